// The system information page over the simulated platform: its texts and their formats, the operating
// system with its banner, and clocks that stand still while the window is hidden.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "app/TovrelApp.h"
#include "platform/SysTimeMath.h"
#include "platform/sim/SimOs.h"
#include "resource.h"
#include "SimTestUtil.h"
#include "sysinfo/SystemInfo.h"

using kestor::CSystemInfo;
using kp::sim::SimOs;
using kp::sim::SimWindow;
using kp::sim::test::GbkEq;

namespace {

constexpr uint64_t kSecond = 1000, kMinute = 60 * kSecond, kHour = 60 * kMinute, kDay = 24 * kHour;

TEST(SystemInfoTexts, UptimeClockAndDateFormats) {
    EXPECT_EQ("3天4小时05分06秒", CSystemInfo::FormatUptime(3 * kDay + 4 * kHour + 5 * kMinute + 6 * kSecond + 999));
    EXPECT_EQ("0天0小时12分07秒", CSystemInfo::FormatUptime(12 * kMinute + 7 * kSecond));
    EXPECT_EQ("0天0小时09分30秒", CSystemInfo::FormatUptime(9 * kMinute + 30 * kSecond));
    EXPECT_EQ("1天10小时10分10秒", CSystemInfo::FormatUptime(kDay + 10 * kHour + 10 * kMinute + 10 * kSecond));
    // Past the 32-bit millisecond wrap (49.7 days) the count goes on.
    EXPECT_EQ("49天17小时02分47秒", CSystemInfo::FormatUptime(0xFFFFFFFFull));
    EXPECT_EQ("49天17小时02分47秒", CSystemInfo::FormatUptime(0x100000000ull));
    EXPECT_EQ("400天0小时00分01秒", CSystemInfo::FormatUptime(400 * kDay + kSecond));

    EXPECT_EQ("8:05:09", CSystemInfo::FormatClock(kp::MakeSysTime(2026, 1, 1, 8, 5, 9)));
    EXPECT_EQ("14:30:00", CSystemInfo::FormatClock(kp::MakeSysTime(2026, 1, 1, 14, 30, 0)));
    EXPECT_EQ("0:00:00", CSystemInfo::FormatClock(kp::MakeSysTime(2026, 1, 1, 0, 0, 0)));
    EXPECT_EQ("9:10:05", CSystemInfo::FormatClock(kp::MakeSysTime(2026, 1, 1, 9, 10, 5)));
    EXPECT_EQ("2003年7月5日", CSystemInfo::FormatDate(kp::MakeSysTime(2003, 7, 5, 0, 0, 0)));
    EXPECT_EQ("2026年12月31日", CSystemInfo::FormatDate(kp::MakeSysTime(2026, 12, 31, 0, 0, 0)));
}

// GetVersion's packing: major, minor, build, and bit 31 for the Windows 95 line.
constexpr uint32_t Version(bool line95, uint32_t major, uint32_t minor, uint32_t build) {
    return (line95 ? 0x80000000u : 0) | (build << 16) | (minor << 8) | major;
}

TEST(SystemInfoTexts, EveryRowOfTheVersionTableWithItsBanner) {
    struct Row {
        uint32_t version;
        const char* text;
        int banner;
    } rows[] = {
        {Version(true, 4, 10, 0x0AE2), "Microsoft Windows 98 4.10", IDB_BANNER_WIN98},
        {Version(true, 4, 90, 0x0BB8), "Microsoft Windows ME 4.90 (Build 3000)", IDB_BANNER_WINME},
        {Version(true, 4, 90, 0x1234), "Microsoft Windows ME 4.90 (Build 3000)", IDB_BANNER_WINME},
        {Version(true, 4, 0, 0x03B6), "Microsoft Windows 95 4.0", IDB_BANNER_WIN95},
        {Version(true, 4, 3, 0), "Microsoft Windows 95 4.3", IDB_BANNER_WIN95},
        {Version(true, 4, 11, 0), "", 0},
        {Version(true, 4, 91, 0), "", 0},
        {Version(false, 5, 0, 2195), "Microsoft Windows 2000 5.0 (Build 2195)", 0},
        {Version(false, 5, 1, 2600), "Microsoft Windows XP 5.1 (Build 2600)", 0},
        {Version(false, 4, 0, 1381), "Microsoft Windows NT 4.0 (Build 1381)", 0},
        {Version(false, 3, 51, 1057), "Microsoft Windows NT 3.51 (Build 1057)", 0},
        {Version(false, 5, 2, 3790), "", 0},
        {Version(false, 6, 0, 6000), "", 0},
        {Version(false, 6, 2, 9200), "", 0},
    };
    for (const Row& row : rows) {
        const CSystemInfo::OsDescription os = CSystemInfo::DescribeOs(row.version);
        EXPECT_EQ(row.text, os.text) << std::hex << row.version;
        EXPECT_EQ(row.banner, os.banner) << std::hex << row.version;
    }
}

TEST(SystemInfoPage, ShowsTheSystemWithItsBannerTheNamesAndTheLocalDate) {
    SimOs os;
    os.System().SetVersion(Version(true, 4, 10, 0x0AE2));
    os.System().SetComputerName(std::string("DESK-01"));
    os.System().SetUserName(std::string("Tom"));
    // Half past one in the morning in Beijing is still yesterday evening in UTC.
    os.SetLocalTime(kp::MakeSysTime(2026, 5, 5, 1, 30, 0));
    os.SetUtcTime(kp::MakeSysTime(2026, 5, 4, 17, 30, 0));
    os.SetMsSinceStart(60 * kDay + 5 * kSecond);
    CSystemInfo page;
    SimWindow& w = os.Create(page);
    EXPECT_EQ("Microsoft Windows 98 4.10", w.GetText(IDC_OS_VERSION));
    EXPECT_EQ(IDB_BANNER_WIN98, w.Control(IDC_OS_BANNER).bitmap.value_or(0));
    EXPECT_EQ("DESK-01", w.GetText(IDC_COMPUTER_NAME));
    EXPECT_EQ("tom", w.GetText(IDC_USER_NAME));
    EXPECT_TRUE(GbkEq("2026年5月5日", w.GetText(IDC_TODAY)));
    EXPECT_EQ("1:30:00", w.GetText(IDC_LOCAL_TIME));
    EXPECT_EQ("17:30:00", w.GetText(IDC_UTC_TIME));
    EXPECT_TRUE(GbkEq("60天0小时00分05秒", w.GetText(IDC_UPTIME)));

    os.Advance(2500);
    EXPECT_EQ("1:30:02", w.GetText(IDC_LOCAL_TIME));
    EXPECT_EQ("17:30:02", w.GetText(IDC_UTC_TIME));
    EXPECT_TRUE(GbkEq("60天0小时00分07秒", w.GetText(IDC_UPTIME)));

    // Each power button asks for its own end of the session at once, without a question.
    w.Click(IDC_SHUTDOWN_NOW);
    w.Click(IDC_RESTART_NOW);
    w.Click(IDC_LOGOFF_NOW);
    EXPECT_EQ((std::vector<unsigned>{kp::EWX_SHUTDOWN, kp::EWX_REBOOT, kp::EWX_LOGOFF}), os.Power().Calls());
    EXPECT_TRUE(os.MessageBoxes().empty());
}

TEST(SystemInfoPage, AnUnnamedSystemEmptiesThePlaceholderAndShowsNoBanner) {
    SimOs os;
    os.System().SetVersion(Version(false, 6, 2, 9200));
    CSystemInfo page;
    SimWindow& w = os.Create(page);
    EXPECT_EQ("", w.GetText(IDC_OS_VERSION));
    EXPECT_FALSE(w.Control(IDC_OS_BANNER).bitmap.has_value());
}

TEST(SystemInfoPage, TheClocksStandStillWhileTheWindowIsHiddenAndAreRightAtOnceWhenShown) {
    SimOs os;
    std::string hiddenUptime, hiddenLocal;
    os.At(1500, [&] {
        ASSERT_FALSE(os.Sheet()->IsVisible());
        hiddenUptime = os.Sheet()->Page(0)->GetText(IDC_UPTIME);
        hiddenLocal = os.Sheet()->Page(0)->GetText(IDC_LOCAL_TIME);
    });
    os.At(9000, [&] {
        SimWindow& info = *os.Sheet()->Page(0);
        EXPECT_EQ(hiddenUptime, info.GetText(IDC_UPTIME));
        EXPECT_EQ(hiddenLocal, info.GetText(IDC_LOCAL_TIME));
        os.PostTray(kp::WM_LBUTTONDBLCLK);
    });
    os.At(9001, [&] {
        SimWindow& info = *os.Sheet()->Page(0);
        ASSERT_TRUE(os.Sheet()->IsVisible());
        EXPECT_EQ("9:00:09", info.GetText(IDC_LOCAL_TIME));
        EXPECT_EQ("1:00:09", info.GetText(IDC_UTC_TIME));
        EXPECT_TRUE(GbkEq("0天1小时00分09秒", info.GetText(IDC_UPTIME)));
    });
    kestor::RunKestor();
    EXPECT_FALSE(hiddenUptime.empty());
}

}  // namespace
