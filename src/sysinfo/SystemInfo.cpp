#include "sysinfo/SystemInfo.h"

#include "app/TovrelApp.h"
#include "platform/Gbk.h"
#include "platform/Os.h"
#include "resource.h"
#include "sysinfo/PowerCommands.h"

namespace kestor {

CSystemInfo::CSystemInfo() : KestorPage(IDD_SYSTEMINFO, true) {}

bool CSystemInfo::OnInitDialog() {
    KestorPage::OnInitDialog();
    m_aboutLink.Subclass(*this, IDC_ABOUT_LINK);
    m_aboutLink.EnableLink();
    m_aboutLink.SetAboutMode();
    StartClock();
    SetItemText(IDC_COMPUTER_NAME, LookUpName(1));
    SetItemText(IDC_USER_NAME, LookUpName(2));
    return true;
}

bool CSystemInfo::OnCommand(int id, int code) {
    if (m_aboutLink.OnCommand(id, code)) return true;
    if (code == kp::BN_CLICKED) {
        switch (id) {
        case IDC_SHUTDOWN_NOW: ShutDownNow(); return true;
        case IDC_RESTART_NOW: RestartNow(); return true;
        case IDC_LOGOFF_NOW: LogOffNow(); return true;
        default: break;
        }
    }
    return KestorPage::OnCommand(id, code);
}

void CSystemInfo::StartClock() {
    RefreshClocks();
    SetTimer(kClockTimer, 1000);
}

void CSystemInfo::StopClock() { KillTimer(kClockTimer); }

void CSystemInfo::OnTimer(unsigned id) {
    if (id == kClockTimer) RefreshClocks();
}

std::string CSystemInfo::FormatUptime(uint32_t tickCount) {
    const uint32_t s = tickCount / 1000;
    const uint32_t r = s % 86400;
    return kp::Format("%u天%u小时%02u分%02u秒", s / 86400, r / 3600, (r % 3600) / 60, r % 60);
}

std::string CSystemInfo::FormatClock(const kp::SysTime& t) {
    return kp::Format("%d:%02d:%02d", t.wHour, t.wMinute, t.wSecond);
}

std::string CSystemInfo::FormatDate(const kp::SysTime& t) {
    return kp::Format("%d年%d月%d日", t.wYear, t.wMonth, t.wDay);
}

void CSystemInfo::RefreshClocks() {
    kp::IClock& clock = *kp::TheOs().clock;
    SetItemText(IDC_UPTIME, FormatUptime(clock.TickCount()));
    const kp::SysTime utc = clock.UtcTime();
    SetItemText(IDC_UTC_TIME, FormatClock(utc));
    SetItemText(IDC_TODAY, FormatDate(utc));
    SetItemText(IDC_LOCAL_TIME, FormatClock(clock.LocalTime()));
}

}  // namespace kestor
