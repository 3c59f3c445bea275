#include "usercontrol/UnlockDlg.h"

#include "app/PasswordDigest.h"
#include "app/Settings.h"
#include "platform/Os.h"
#include "resource.h"

namespace kestor {

CUnlockDlg::CUnlockDlg() : Dialog(IDD_UNLOCK) {}

bool CUnlockDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    kp::IWindow& w = *Window();
    w.CenterWindow();
    w.SetForeground();
    w.SetFocus(0);
    m_lock.LockInput(w);
    m_lock.SetScreenSaverRunningAgain();
    return true;
}

std::string CUnlockDlg::ExpectedDigest() {
    std::string stored;
    if (ReadMachineString("Options_h1", stored) && !stored.empty()) return stored;
    return PasswordDigest(kDefaultPassword);
}

void CUnlockDlg::OnOK() {
    const std::string typed = GetItemText(IDC_UNLOCK_PASSWORD);
    const std::string digest = PasswordDigest(typed);
    if (digest.empty()) return;
    if (digest != ExpectedDigest()) {
        kp::TheOs().ui->MessageBox("密码不正确", kp::MB_OK);
        return;
    }
    m_lock.UnlockInput();
    EndDialog(kp::IDOK);
}

}  // namespace kestor
