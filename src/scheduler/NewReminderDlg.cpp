#include "scheduler/NewReminderDlg.h"

#include "platform/DataExchange.h"
#include "platform/Gbk.h"
#include "platform/Os.h"
#include "platform/SysTimeMath.h"
#include "resource.h"

namespace kestor {

CNewReminderDlg::CNewReminderDlg() : Dialog(IDD_NEWREMINDER) {}

bool CNewReminderDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    kp::IDateTime& picker = Window()->DateTime(IDC_REMINDER_TIME);
    picker.SetFormat(kTimeFormat);
    kp::SysTime t = kp::TheOs().clock->LocalTime();
    t.wSecond = 0;
    t.wMilliseconds = 0;
    t = kp::AddMs(t, 2 * 60 * 1000);
    picker.SetTime(t);
    m_strMessage = kDefaultMessage;
    SetItemText(IDC_REMINDER_YEAR, kp::Format("%d 年", t.wYear));
    UpdateData(false);
    return true;
}

void CNewReminderDlg::DoDataExchange(kp::DataExchange& dx) { dx.Text(IDC_REMINDER_MESSAGE, m_strMessage); }

bool CNewReminderDlg::OnCommand(int id, int code) {
    if (id == IDC_REMINDER_MESSAGE && code == kp::EN_SETFOCUS) {
        if (m_strMessage == kDefaultMessage) {
            m_strMessage.clear();
            UpdateData(false);
        }
        return true;
    }
    if (id == IDC_REMINDER_MESSAGE && code == kp::EN_KILLFOCUS) {
        UpdateData(true);
        if (m_strMessage.empty()) {
            m_strMessage = kDefaultMessage;
            UpdateData(false);
        }
        return true;
    }
    return Dialog::OnCommand(id, code);
}

void CNewReminderDlg::OnLButtonDown(bool /*doubleClick*/) {
    // A click on the dialog's own surface takes the focus out of the message field.
    if (Window()) Window()->SetFocus(0);
}

void CNewReminderDlg::OnOK() {
    UpdateData(true);
    m_time = Window()->DateTime(IDC_REMINDER_TIME).GetTime();
    if (m_strMessage.empty()) m_strMessage = kDefaultMessage;
    EndDialog(kp::IDOK);
}

}  // namespace kestor
