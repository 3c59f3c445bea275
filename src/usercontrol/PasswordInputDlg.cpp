#include "usercontrol/PasswordInputDlg.h"

#include "platform/DataExchange.h"
#include "resource.h"

namespace kestor {

CPasswordInputDlg::CPasswordInputDlg() : Dialog(IDD_PASSWORDINPUT) {}

bool CPasswordInputDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    kp::IWindow& w = *Window();
    w.BringToTop();
    w.CenterWindow();
    w.SetForeground();
    m_lock.LockInput(w);
    return true;
}

void CPasswordInputDlg::DoDataExchange(kp::DataExchange& dx) {
    dx.Text(IDC_PASSWORD, m_strPassword);
    dx.Text(IDC_PASSWORD_PROMPT, m_strPrompt);
}

void CPasswordInputDlg::OnOK() {
    m_lock.UnlockInput();
    UpdateData(true);
    EndDialog(kp::IDOK);
}

bool CPasswordInputDlg::OnCommand(int id, int code) {
    if (id == IDC_PASSWORD_CANCEL && code == kp::BN_CLICKED) {
        m_lock.UnlockInput();
        EndDialog(kp::IDCANCEL);
        return true;
    }
    return Dialog::OnCommand(id, code);
}

}  // namespace kestor
