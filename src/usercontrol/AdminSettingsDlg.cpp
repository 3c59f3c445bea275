#include "usercontrol/AdminSettingsDlg.h"

#include "platform/DataExchange.h"
#include "platform/Os.h"
#include "resource.h"

namespace kestor {

CAdminSettingsDlg::CAdminSettingsDlg() : ActivityDialog(IDD_ADMIN) {}

bool CAdminSettingsDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    m_note.Subclass(*this, IDC_ADMIN_NOTE);
    return true;
}

void CAdminSettingsDlg::DoDataExchange(kp::DataExchange& dx) {
    dx.Check(IDC_ADMIN_NO_TRAY, m_bNoTrayIcon);
    dx.Text(IDC_ADMIN_NAME, m_strAdminName);
    dx.MaxChars(IDC_ADMIN_NAME, m_strAdminName, 20);
    dx.Check(IDC_ADMIN_HIDE, m_bHideProgram);
    dx.Text(IDC_ADMIN_PASSWORD, m_strAdminPassword);
}

void CAdminSettingsDlg::OnOK() {
    if (!UpdateData(true)) return;
    if (m_strAdminName.empty()) {
        kp::TheOs().ui->MessageBox("管理员名称不能为空", kp::MB_OK);
        return;
    }
    EndDialog(kp::IDOK);
}

}  // namespace kestor
