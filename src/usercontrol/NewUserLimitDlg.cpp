#include "usercontrol/NewUserLimitDlg.h"

#include "platform/DataExchange.h"
#include "platform/Os.h"
#include "resource.h"

namespace kestor {

namespace {
kp::SysTime TodayAt(int hour) {
    kp::SysTime t = kp::TheOs().clock->LocalTime();
    t.wHour = static_cast<uint16_t>(hour);
    t.wMinute = 0;
    t.wSecond = 0;
    t.wMilliseconds = 0;
    return t;
}
}  // namespace

CNewUserLimitDlg::CNewUserLimitDlg() : ActivityDialog(IDD_NEWUSERLIMIT) {}

bool CNewUserLimitDlg::OnInitDialog() {
    m_bWriting = true;
    Dialog::OnInitDialog();
    m_bWriting = false;
    m_note.Subclass(*this, IDC_LIMIT_NOTE);
    kp::IWindow& w = *Window();
    m_strUserName.clear();
    kp::TheOs().system->UserName(m_strUserName);
    m_bContinuous = 0;
    m_nHours = 1;
    m_bWindow = 0;
    m_nRestMinutes = 5;
    m_startTime = TodayAt(9);
    m_endTime = TodayAt(22);
    kp::IDateTime& start = w.DateTime(IDC_LIMIT_START);
    kp::IDateTime& end = w.DateTime(IDC_LIMIT_END);
    start.SetFormat(kTimeFormat);
    end.SetFormat(kTimeFormat);
    start.SetTime(m_startTime);
    end.SetTime(m_endTime);
    EnableContinuous(false);
    w.EnableControl(IDC_LIMIT_START, false);
    w.EnableControl(IDC_LIMIT_END, false);
    w.UpDown(IDC_LIMIT_REST_SPIN).SetRange(5, 60);
    WriteControls();
    return true;
}

void CNewUserLimitDlg::DoDataExchange(kp::DataExchange& dx) {
    dx.Text(IDC_LIMIT_USER, m_strUserName);
    dx.MaxChars(IDC_LIMIT_USER, m_strUserName, 20);
    dx.Check(IDC_LIMIT_CONTINUOUS, m_bContinuous);
    dx.Int(IDC_LIMIT_HOURS, m_nHours);
    dx.MinMaxInt(IDC_LIMIT_HOURS, m_nHours, 1, 5);
    dx.Check(IDC_LIMIT_WINDOW, m_bWindow);
    dx.Int(IDC_LIMIT_REST, m_nRestMinutes);
    dx.MinMaxInt(IDC_LIMIT_REST, m_nRestMinutes, 5, 60);
}

void CNewUserLimitDlg::WriteControls() {
    m_bWriting = true;
    UpdateData(false);
    m_bWriting = false;
}

// The up-down goes with its field: arrows beside a greyed field would still change its number.
void CNewUserLimitDlg::EnableContinuous(bool enable) {
    kp::IWindow& w = *Window();
    w.EnableControl(IDC_LIMIT_HOURS, enable);
    w.EnableControl(IDC_LIMIT_REST, enable);
    w.EnableControl(IDC_LIMIT_REST_SPIN, enable);
}

bool CNewUserLimitDlg::OnCommand(int id, int code) {
    if (id == IDC_LIMIT_REST && code == kp::EN_CHANGE) {
        if (!m_bWriting) OnRestChanged();
        return true;
    }
    if (code == kp::BN_CLICKED && id == IDC_LIMIT_CONTINUOUS) {
        m_bContinuous = !m_bContinuous;
        EnableContinuous(m_bContinuous != 0);
        return true;
    }
    if (code == kp::BN_CLICKED && id == IDC_LIMIT_WINDOW) {
        m_bWindow = !m_bWindow;
        Window()->EnableControl(IDC_LIMIT_START, m_bWindow != 0);
        Window()->EnableControl(IDC_LIMIT_END, m_bWindow != 0);
        return true;
    }
    return Dialog::OnCommand(id, code);
}

void CNewUserLimitDlg::OnRestChanged() {
    // A value outside the range has been stored by the time the range message is shown, so a single
    // digit 1 still snaps to 5.
    UpdateData(true);
    int& r = m_nRestMinutes;
    if (r % 5 == 1)
        r += 4;
    else if (r % 5 == 4)
        r -= 4;
    else
        return;
    WriteControls();
}

void CNewUserLimitDlg::OnOK() {
    if (!UpdateData(true)) return;
    kp::IUi& ui = *kp::TheOs().ui;
    if (m_strUserName.empty()) {
        ui.MessageBox("用户名不能为空", kp::MB_OK);
        return;
    }
    if (m_bContinuous && !m_bWindow) {
        EndDialog(kp::IDOK);
        return;
    }
    if (!m_bContinuous && !m_bWindow) {
        ui.MessageBox("你未添加任何限制,请设置对该用户的限制", kp::MB_OK);
        return;
    }
    m_startTime = Window()->DateTime(IDC_LIMIT_START).GetTime();
    m_endTime = Window()->DateTime(IDC_LIMIT_END).GetTime();
    const int hours = m_endTime.wHour - m_startTime.wHour;  // whole hours; the minutes are not compared
    if (hours <= 0) {
        ui.MessageBox("你设置的使用时间段不被接受,开始时间应小于结束时间", kp::MB_OK);
        return;
    }
    if (hours >= m_nHours ||
        ui.MessageBox("你设置的使用时间段差额小于可使用时间,是否重新设置", kp::MB_YESNO) == kp::IDNO)
        EndDialog(kp::IDOK);
}

}  // namespace kestor
