// The information page: the system's name and banner, the clocks that run only while the sheet is shown,
// the power buttons; and, in the same run, which pages count a click as activity.
#include "Util.h"
#include "sysinfo/SystemInfo.h"

namespace {

using kestor::CSystemInfo;
using kt::Program;
constexpr uint64_t kMinute = 60000, kHour = 60 * kMinute, kDay = 24 * kHour;

// GetVersion's packing: major, minor, build, and bit 31 for the Windows 95 line.
constexpr uint32_t Version(bool line95, uint32_t major, uint32_t minor, uint32_t build) {
    return (line95 ? 0x80000000u : 0) | (build << 16) | (minor << 8) | major;
}

TEST(InfoTexts, TheTimeSinceStartAndEveryRowOfTheVersionTable) {
    for (const auto& [ms, text] : {std::pair{3 * kDay + 4 * kHour + 5 * kMinute + 6999, "3天4小时05分06秒"},
                                   {kHour, "0天1小时00分00秒"}, {kHour - 1, "0天0小时59分59秒"},
                                   {0x100000000ull, "49天17小时02分47秒"}, {400 * kDay + 10000, "400天0小时00分10秒"}})
        EXPECT_TRUE(kt::GbkEq(text, CSystemInfo::FormatUptime(ms)));
    const struct { uint32_t version; const char* text; int banner; } rows[] = {
        {Version(true, 4, 10, 0x0AE2), "Microsoft Windows 98 4.10", IDB_BANNER_WIN98},
        {Version(true, 4, 90, 0x1234), "Microsoft Windows ME 4.90 (Build 3000)", IDB_BANNER_WINME},
        {Version(true, 4, 0, 0x03B6), "Microsoft Windows 95 4.0", IDB_BANNER_WIN95},
        {Version(true, 4, 9, 0), "Microsoft Windows 95 4.9", IDB_BANNER_WIN95},
        {Version(false, 5, 0, 2195), "Microsoft Windows 2000 5.0 (Build 2195)", 0},
        {Version(false, 5, 1, 2600), "Microsoft Windows XP 5.1 (Build 2600)", 0},
        {Version(false, 4, 0, 1381), "Microsoft Windows NT 4.0 (Build 1381)", 0},
        {Version(false, 3, 51, 1057), "Microsoft Windows NT 3.51 (Build 1057)", 0},
        {Version(true, 4, 11, 0), "", 0}, {Version(true, 4, 89, 0), "", 0}, {Version(true, 4, 91, 0), "", 0},
        {Version(false, 5, 2, 3790), "", 0}, {Version(false, 6, 0, 6000), "", 0}, {Version(false, 6, 1, 7601), "", 0}};
    for (const auto& row : rows) {
        const CSystemInfo::OsDescription os = CSystemInfo::DescribeOs(row.version);
        EXPECT_EQ(row.text + std::to_string(row.banner), os.text + std::to_string(os.banner)) << std::hex << row.version;
    }
}

// Half past one at night in Beijing is still yesterday evening in UTC; the date shown is the local one. The
// sheet hides 30 s after the last activity: showing a page is activity, and so is a click on the information
// and process pages, but not one on the music page.
TEST_F(Program, TheInformationPageAndWhichClicksOnAPageKeepTheSheetUp) {
    os.System().SetVersion(Version(true, 4, 10, 0x0AE2));
    os.System().SetComputerName(std::string("DESK-01"));
    os.System().SetUserName(std::string("Tom"));
    StartAt(kt::At(2026, 5, 5, 1, 5, 0));
    os.SetUtcTime(kt::At(2026, 5, 4, 17, 5, 0));
    os.SetMsSinceStart(3 * kDay + 4 * kHour + 59 * kMinute);
    const auto texts = [this] {
        std::string shown;
        for (int id : {IDC_OS_VERSION, IDC_COMPUTER_NAME, IDC_USER_NAME, IDC_TODAY, IDC_LOCAL_TIME, IDC_UTC_TIME})
            shown += Page(kt::kInfoTab).GetText(id) + "|";
        return shown + Page(kt::kInfoTab).GetText(IDC_UPTIME);
    };
    const std::string names = "Microsoft Windows 98 4.10|DESK-01|tom|2026年5月5日|";
    std::string hidden;
    os.At(500, [&] {
        EXPECT_EQ(names + "1:05:00|17:05:00|3天4小时59分00秒", texts());
        EXPECT_EQ(IDB_BANNER_WIN98, Page(kt::kInfoTab).Control(IDC_OS_BANNER).bitmap.value_or(0));
        EXPECT_EQ(1000u, Page(kt::kInfoTab).TimerPeriod(10002).value_or(0));
    });
    os.At(1500, [&] { hidden = texts(); });
    int64_t at = 5000;
    for (const auto& [tab, counts] : {std::pair{kt::kInfoTab, true}, {kt::kMusicTab, false}, {kt::kProcessTab, true}}) {
        OnPage(at, tab, [](kt::SimWindow&) {});
        os.At(at + 15000, [this, tab = tab] { Page(tab).LButtonDown(); });
        os.At(at + 40000, [this, tab = tab, counts = counts] { EXPECT_EQ(counts, os.Sheet()->IsVisible()) << tab; });
        at += 60000;
    }
    os.At(4999, [&] { EXPECT_EQ(hidden, texts()) << "the clocks stand still while the sheet is hidden"; });
    os.At(5010, [&] { EXPECT_EQ(names + "1:05:05|17:05:05|3天4小时59分05秒", texts()) << "right at once"; });
    os.At(7500, [&] { EXPECT_EQ(names + "1:05:07|17:05:07|3天4小时59分07秒", texts()); });
    os.At(8000, [&] {
        os.Power().SetResult(false);  // a refused request is not looked at
        for (int button : {IDC_SHUTDOWN_NOW, IDC_RESTART_NOW, IDC_LOGOFF_NOW}) Page(kt::kInfoTab).Click(button);
        EXPECT_EQ((std::vector<unsigned>{1, 2, 0}), os.Power().Calls());
        EXPECT_TRUE(os.Files().Writes().empty()) << "nothing saved";
    });
    ExitAt(at);
    Run();
    EXPECT_TRUE(kt::MessageBoxTexts(os, {}));
}

}  // namespace
