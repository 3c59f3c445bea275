// The information page and, in the running program, the music page's auto-play and Playlist.m3u.
#include "Util.h"
#include "player/PlaylistFile.h"
#include "sysinfo/SystemInfo.h"

namespace {

using namespace kt;
using kestor::CSystemInfo;
constexpr uint64_t kMin = 60000, kHour = 60 * kMin, kDay = 24 * kHour;

// GetVersion: build in bits 16 to 30, minor in 8 to 15, major in 0 to 7, bit 31 for the Windows 95 line.
TEST(InfoTexts, TheTimeSinceStartAndEveryRowOfTheVersionTable) {
    for (const auto& [ms, text] : {std::pair{3 * kDay + 4 * kHour + 5 * kMin + 6999, "3天4小时05分06秒"},
                                   {kHour, "0天1小时00分00秒"}, {kHour - 1, "0天0小时59分59秒"},
                                   {0x100000000ull, "49天17小时02分47秒"}, {400 * kDay + 10000, "400天0小时00分10秒"}})
        EXPECT_TRUE(GbkEq(text, CSystemInfo::FormatUptime(ms)));
    const struct { uint32_t version; std::string text; int banner; } rows[] = {
        {0x8AE20A04, "98 4.10", IDB_BANNER_WIN98}, {0x92345A04, "ME 4.90 (Build 3000)", IDB_BANNER_WINME},
        {0x83B60004, "95 4.0", IDB_BANNER_WIN95}, {0x08930005, "2000 5.0 (Build 2195)", 0},
        {0x0A280105, "XP 5.1 (Build 2600)", 0}, {0x05650004, "NT 4.0 (Build 1381)", 0},
        {0x04213303, "NT 3.51 (Build 1057)", 0},
        {0x80000B04, "", 0}, {0x80005B04, "", 0}, {0x0ECE0205, "", 0}, {0x17700006, "", 0},
        {0x1DB10106, "", 0}};
    for (const auto& r : rows) {
        const auto os = CSystemInfo::DescribeOs(r.version);
        EXPECT_EQ((r.text.empty() ? "" : "Microsoft Windows " + r.text) + std::to_string(r.banner),
                  os.text + std::to_string(os.banner)) << std::hex << r.version;
    }
}

// 1:05 in Beijing is yesterday in UTC: the date shown is the local one. The exit closes the track playing and
// writes the playlist, read up to its first empty line, sorted.
TEST_F(Program, TheInformationPageAndAutoPlayInTheRunningProgram) {
    auto& sys = os.System();
    sys.SetVersion(0x8AE20A04);
    sys.SetComputerName(std::string("DESK-01"));
    sys.SetUserName(std::string("Tom"));
    StartAt(At(2026, 5, 5, 1, 5, 0));
    os.SetUtcTime(At(2026, 5, 4, 17, 5, 0));
    os.SetMsSinceStart(3 * kDay + 4 * kHour + 59 * kMin);
    SetMachine(os, "Options_i1", 1);
    PutFile("Playlist.m3u", "D:\\歌\\b.mp3\r\nC:\\a.mp3\r\n\r\nE:\\lost.mp3\r\n");
    os.Media().AddTrack("C:\\a.mp3", 60000);
    const auto texts = [this](std::vector<int> ids = {IDC_LOCAL_TIME, IDC_UTC_TIME, IDC_UPTIME}) {
        std::string shown;
        for (int id : ids) shown += Page(kInfoTab).GetText(id) + "|";
        return shown;
    };
    os.At(500, [&] {
        EXPECT_EQ("Microsoft Windows 98 4.10|DESK-01|tom|2026年5月5日|",
                  texts({IDC_OS_VERSION, IDC_COMPUTER_NAME, IDC_USER_NAME, IDC_TODAY}));
        EXPECT_EQ("1:05:00|17:05:00|3天4小时59分00秒|", texts());
        EXPECT_EQ(IDB_BANNER_WIN98, Page(kInfoTab).Control(IDC_OS_BANNER).bitmap.value_or(0));
        EXPECT_EQ(Strings{"C:\\a.mp3"}, os.Media().Playing());
    });
    std::string hidden;
    os.At(1500, [&] { hidden = texts(); });
    os.At(4999, [&] { EXPECT_EQ(hidden, texts()); });  // hidden: the clocks stand still
    OnPage(5000, kMusicTab, [&](SimWindow& music) {
        EXPECT_EQ(1, music.GetCheck(IDC_AUTOPLAY));
        music.Click(IDC_AUTOPLAY);
        EXPECT_EQ(0u, Machine("Options_i1").value_or(9));
        os.Sheet()->SelectTab(kInfoTab);
        EXPECT_EQ("1:05:05|17:05:05|3天4小时59分05秒|", texts());
    });
    os.At(7500, [&] {
        EXPECT_EQ("1:05:07|17:05:07|3天4小时59分07秒|", texts());
        for (int button : {IDC_SHUTDOWN_NOW, IDC_RESTART_NOW, IDC_LOGOFF_NOW}) Page(kInfoTab).Click(button);
        EXPECT_EQ((std::vector<unsigned>{1, 2, 0}), os.Power().Calls());
        Page(kInfoTab).LButtonDown();  // 30 s from a click, as from a tab shown
    });
    os.At(36000, [this] { EXPECT_TRUE(os.Sheet()->IsVisible()); });
    ExitAt(36500);
    Run();
    EXPECT_EQ(0, os.Media().OpenDevices());
    EXPECT_TRUE(GbkEq("C:\\a.mp3\r\nD:\\歌\\b.mp3\r\n", File("Playlist.m3u")));
}

}  // namespace
