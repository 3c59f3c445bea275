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
    m_banner.Subclass(*this, IDC_OS_BANNER);
    StartClock();
    SetItemText(IDC_COMPUTER_NAME, LookUpName(1));
    SetItemText(IDC_USER_NAME, LookUpName(2));
    const OsDescription os = DescribeOs(kp::TheOs().system->Version());
    SetItemText(IDC_OS_VERSION, os.text);
    if (os.banner) m_banner.LoadBitmap(os.banner);
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

std::string CSystemInfo::FormatUptime(uint64_t msSinceStart) {
    const uint64_t s = msSinceStart / 1000;
    const unsigned r = static_cast<unsigned>(s % 86400);
    return kp::Format("%llu天%u小时%02u分%02u秒", static_cast<unsigned long long>(s / 86400), r / 3600,
                      (r % 3600) / 60, r % 60);
}

std::string CSystemInfo::FormatClock(const kp::SysTime& t) {
    return kp::Format("%d:%02d:%02d", t.wHour, t.wMinute, t.wSecond);
}

std::string CSystemInfo::FormatDate(const kp::SysTime& t) {
    return kp::Format("%d年%d月%d日", t.wYear, t.wMonth, t.wDay);
}

CSystemInfo::OsDescription CSystemInfo::DescribeOs(uint32_t version) {
    const int major = static_cast<int>(version & 0xFF);
    const int minor = static_cast<int>((version >> 8) & 0xFF);
    const int build = static_cast<int>(version >> 16);
    if (version & 0x80000000u) {
        // The Windows 95 line numbers its releases by the minor version alone.
        if (minor == 90) return {kp::Format("Microsoft Windows ME %d.%d (Build %d)", major, minor, 3000), IDB_BANNER_WINME};
        if (minor < 10) return {kp::Format("Microsoft Windows 95 %d.%d", major, minor), IDB_BANNER_WIN95};
        if (minor == 10) return {kp::Format("Microsoft Windows 98 %d.%d", major, minor), IDB_BANNER_WIN98};
        return {};
    }
    if (major <= 4) return {kp::Format("Microsoft Windows NT %d.%d (Build %d)", major, minor, build), 0};
    if (major == 5 && minor == 0) return {kp::Format("Microsoft Windows 2000 %d.%d (Build %d)", major, minor, build), 0};
    if (major == 5 && minor == 1) return {kp::Format("Microsoft Windows XP %d.%d (Build %d)", major, minor, build), 0};
    return {};
}

// The date is the local one: the UTC date is still yesterday's for the first hours after local midnight
// east of Greenwich.
void CSystemInfo::RefreshClocks() {
    kp::IClock& clock = *kp::TheOs().clock;
    SetItemText(IDC_UPTIME, FormatUptime(clock.MsSinceStart()));
    SetItemText(IDC_UTC_TIME, FormatClock(clock.UtcTime()));
    const kp::SysTime local = clock.LocalTime();
    SetItemText(IDC_TODAY, FormatDate(local));
    SetItemText(IDC_LOCAL_TIME, FormatClock(local));
}

}  // namespace kestor
