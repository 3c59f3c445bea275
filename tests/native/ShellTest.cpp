// The shell: start-up, the tray and its commands, the about box, the statics, the save-all exit, the clock set.
#include <map>

#include "ClockStory.h"
#include "app/PasswordDigest.h"
#include "controls/BitmapStatic.h"
#include "controls/LinkStatic.h"

namespace {

using namespace kt;
using kp::Format;
using Prepare = std::function<void(SimOs&)>;

const Strings kFiles = {"TimeSet.ini", "ControlSet.ini", "Playlist.m3u"};

// Tom starts over the registry `prepare` leaves: shown, chime/interval, autorun, autoplay, administrator, icon,
// postponed by a click | after the exit Options, Options_d1, the Run entry | h1 h2 of the profile | of the machine.
std::string StartAndLook(const Prepare& prepare) {
    SimOs os;
    os.System().SetUserName(std::string("tom"));
    for (int i = 0; i < 2; ++i) os.AnswerMessageBox(kp::IDOK);
    prepare(os);
    std::string seen = "no window";
    os.At(500, [&] {
        SimWindow& sheet = *os.Sheet();
        SimWindow& timeset = *sheet.Page(kSchedulerTab);
        EXPECT_TRUE(sheet.Caption() == "Kestor" && sheet.GetText(kp::IDCANCEL) == "退出" && sheet.IsTopmost());
        EXPECT_TRUE(sheet.Icon() == IDI_MAIN && sheet.GetActivePage() == kInfoTab && !sheet.Page(kProcessTab));
        EXPECT_EQ(sheet.IsVisible() ? 1000u : 0u, sheet.TimerPeriod(kestor::CTovrelDlg::kAutoHideTimer).value_or(0));
        const auto& menu = sheet.SystemMenuItems();
        EXPECT_TRUE(menu.size() == 1 && menu[0].first == IDM_ABOUTBOX && menu[0].second == "关于 Tovrel(&A)...");
        seen = Format("%s %d/%d %d %d %s", sheet.IsVisible() ? "shown" : "hidden", timeset.GetCheck(IDC_CHIME),
                      timeset.Combo(IDC_CHIME_INTERVAL).GetCurSel(), timeset.GetCheck(IDC_AUTORUN),
                      sheet.Page(kMusicTab)->GetCheck(IDC_AUTOPLAY),
                      sheet.Page(kControlTab)->GetText(IDC_MACHINE_ADMIN).c_str());
    });
    os.At(1500, [&] {
        seen += os.TrayIcons().empty() ? " no icon" : " icon";
        for (const auto& icon : os.TrayIcons()) {
            EXPECT_TRUE(icon.id == 101 && icon.icon == IDI_TRAY && icon.tip == "Kestor");
            EXPECT_TRUE(icon.callbackMessage == kestor::WM_TRAY_NOTIFY && os.Sheet()->Timers().empty());
        }
        SheetOf(os).OnCommand(ID_TRAY_SHOW, 0);  // 20 s, or 30 s from a click
    });
    os.At(12000, [&] { os.Sheet()->Page(kInfoTab)->LButtonDown(); });
    os.At(22000, [&] { seen += os.Sheet()->IsVisible() ? " postponed" : " not postponed"; });
    os.At(23000, Quit);
    kestor::RunKestor();
    EXPECT_EQ(0, os.Reg().OpenHandles());
    auto add = [&](const char* sep, Hive hive, const char* key, const char* name) {
        const auto number = os.Reg().GetDword(hive, key, name);
        const auto text = os.Reg().GetString(hive, key, name);
        seen += sep + (number ? std::to_string(*number)
                              : text == kestor::PasswordDigest("MoonGate") ? "<MoonGate>" : text.value_or("-"));
    };
    add(" | ", HKCU, kProfile, "Options");
    add(" ", HKCU, kProfile, "Options_d1");
    add(" ", HKLM, kRun, "Kestor");
    add(" | ", HKCU, kProfile, "Options_h1");
    add(" ", HKCU, kProfile, "Options_h2");
    add(" | ", HKLM, kMachine, "Options_h1");
    add(" ", HKLM, kMachine, "Options_h2");
    for (const auto& box : os.MessageBoxes()) seen += " | " + box.text;
    return seen;
}

TEST(StartUp, FollowsTheStoredOptionsAndPasswords) {
    using kp::sim::REG_BINARY, kp::sim::REG_DWORD, kp::sim::REG_SZ;
    auto shown = [](const char* admin) { return std::string("shown 1/0 1 0 ") + admin + " icon postponed"; };
    const std::string first = " | 1 1 C:\\Kestor\\Kestor.exe | MoonGate 1", defaults = first + " | <MoonGate> 1";
    const std::string hidden = "hidden 1/0 1 0 Admin";
    const std::string runFailed = " | 设置自动运行程序失败,如果您需要本程序在系统启动时自动运行，请在程序中设置.";
    auto hide = [](const char* admin, const char* user, uint32_t atStart, uint32_t noIcon, Prepare more = {}) {
        return [=](SimOs& os) {
            SetMachine(os, "Options_g1", admin);
            SetMachine(os, "Options_g3", atStart);
            SetMachine(os, "Options_g2", noIcon);
            os.System().SetUserName(std::string(user));
            if (more) more(os);
        };
    };
    auto password = [](uint32_t state) {
        return [state](SimOs& os) {
            SetMachine(os, "Options_h2", state);
            SetMachine(os, "Options_h1", "999");
        };
    };
    auto unreadable = [](Hive hive, const char* key) {  // values that change the screen
        return [=](SimOs& os) {
            SetUser(os, "Options_a1", 0);
            SetUser(os, "Options_a2", 4);
            SetMachine(os, "Options_g3", 1);
            SetMachine(os, "Options_i1", 1);
            os.Reg().DenyAll(hive, key);
        };
    };
    const Prepare later = [](SimOs& os) {
        SetUser(os, "Options", 1);
        SetUser(os, "Options_d1", 0);
        os.Reg().SetString(HKLM, kRun, "Kestor", "C:\\old\\Kestor.exe");
    };
    const struct {
        const char* what;
        Prepare prepare;
        std::string seen;
    } starts[] = {
        {"first", [](SimOs&) {}, shown("") + defaults},
        {"second copy", [](SimOs& os) { os.System().MarkMutexExisting("1"); },
         "no window | - - - | - - | - - | 应用程序已经在运行"},
        {"machine key read-only",
         hide("boss", "tom", 1, 0, [](SimOs& os) { os.Reg().DenyWrite(HKLM, "SOFTWARE"); }),
         shown("") + " | 1 1 - | MoonGate 1 | - -" + runFailed + runFailed},
        {"hidden, no icon, Admin is not admin", hide("Admin", "admin", 1, 1),
         hidden + " no icon not postponed" + defaults},
        {"later start", hide("Admin", "tom", 1, 0, later),
         "hidden 1/0 0 0 Admin icon not postponed | 0 0 - | MoonGate 1 | <MoonGate> 1"},
        {"the administrator, state 5", hide("Admin", "Admin", 1, 1, password(5)),
         shown("Admin") + first + " | <MoonGate> 5"},
        {"no icon alone, a set password", hide("Admin", "tom", 0, 1, password(2)),
         shown("Admin") + " | 1 1 C:\\Kestor\\Kestor.exe | - - | 999 2"},
        {"no full rights: not taken as missing", [=](SimOs& os) {
             password(2)(os);
             os.Reg().DenyFull(HKLM, kMachine);
         }, shown("") + " | 1 1 C:\\Kestor\\Kestor.exe | MoonGate 1 | 999 2"},
        {"odd values: another type or size, too long",
         [](SimOs& os) {
             SetMachine(os, "Options_g3", 1);
             SetMachine(os, "Options_h1", "999");
             os.Reg().SetRaw(HKCU, kProfile, "Options", REG_SZ, std::string("0\0", 2));
             os.Reg().SetRaw(HKCU, kProfile, "Options_a1", REG_DWORD, std::string(8, '\0'));
             os.Reg().SetRaw(HKCU, kProfile, "Options_a2", REG_BINARY, std::string("\3\0\0\0", 4));
             os.Reg().SetRaw(HKLM, kMachine, "Options_g1", REG_SZ, "tom" + std::string(300, 'x'));
             os.Reg().SetRaw(HKLM, kMachine, "Options_g2", REG_SZ, std::string("1\0", 2));
             os.Reg().SetRaw(HKLM, kMachine, "Options_h2", REG_DWORD, std::string("\2\0", 2));
             os.Reg().SetRaw(HKLM, kMachine, "Options_i1", REG_BINARY, std::string("\1\0\0\0", 4));
         },
         "hidden 1/0 1 0  icon not postponed" + defaults},
        {"profile unreadable", unreadable(HKCU, "Software\\Kestor"),
         "hidden 1/0 1 1  icon not postponed | - - C:\\Kestor\\Kestor.exe | - - | <MoonGate> 1"},
        {"machine key unreadable", unreadable(HKLM, "SOFTWARE\\Kestor"),
         "shown 0/4 1 0  icon postponed" + first + " | - -"},
    };
    for (const auto& start : starts) {
        SCOPED_TRACE(start.what);
        EXPECT_EQ(U8(start.seen), U8(StartAndLook(start.prepare)));
    }
}

// A day in the tray. Too large list files are read in whole lines up to the limit and kept at the exit, as is an
// unreadable one. Hiding applies a pending scheduler setting, not while that fails.
TEST_F(Program, ADayInTheTray) {
    const std::string reminder = ReminderRecord(Packed(12, 31, 23, 59), "12月31日23点59分", std::string(4000, 'x'));
    const std::string song = std::string(4000, 's') + ".mp3\r\n", sound = "D:\\WINNT\\Media\\The Microsoft Sound.wav";
    std::string reminders = ListHeader(40000), songs;
    while (reminders.size() <= (4u << 20)) reminders += reminder;
    for (int i = 0; songs.size() <= (16u << 20); ++i) songs += Format("D:\\%05d", i) + song;
    PutFile("TimeSet.ini", reminders);
    PutFile("Playlist.m3u", songs);
    PutFile("ControlSet.ini", "[ItemCount]\r\n");
    os.Files().FailReads(Path("ControlSet.ini"));
    os.System().SetWindowsDirectory("D:\\WINNT");
    os.Files().Put(sound, "RIFF");
    os.SetCursorPos(kp::Point{700, 750});
    auto refresh = [this] { return Page(kProcessTab).TimerPeriod(kestor::CProcessManager::kRefreshTimer); };
    auto clock = [this] { return Page(kInfoTab).TimerPeriod(kestor::CSystemInfo::kClockTimer); };
    auto modified = [this] { return os.Sheet()->PageModified(kSchedulerTab); };
    const std::string on = "1 C:\\Kestor\\Kestor.exe";
    auto autoRun = [this] {
        const auto run = os.Reg().GetString(HKLM, kRun, "Kestor");
        return Format("%u %s", Profile("Options_d1").value_or(9), run.value_or("-").c_str());
    };
    for (int i = 0; i < 2; ++i) os.AnswerMessageBox(kp::IDOK);
    os.At(300, [&] {
        const size_t rows = ((4u << 20) - ListHeader(0).size()) / reminder.size();
        EXPECT_EQ(rows, Page(kSchedulerTab).ListViewOf(IDC_REMINDER_LIST).Rows().size());
        const Strings playlist = Page(kMusicTab).ListBoxOf(IDC_PLAYLIST).Items();
        EXPECT_EQ((16u << 20) / (song.size() + 8), playlist.size());
        EXPECT_EQ(song.substr(0, song.size() - 2), playlist.back().substr(8));
        // A failed load keeps the bitmap shown and the one a colour change loads; "#" and digits name one.
        SimWindow& info = Page(kInfoTab);
        kestor::CBitmapStatic banner;
        banner.Subclass(*info.Object(), IDC_OS_BANNER);
        auto shows = [&](int id) { return info.Control(IDC_OS_BANNER).bitmap == id; };
        EXPECT_FALSE(banner.Reload());
        EXPECT_TRUE(banner.LoadBitmap(IDB_BANNER_WIN98) && !banner.LoadBitmap(4242) && shows(IDB_BANNER_WIN98));
        EXPECT_TRUE(banner.ResourceId() == IDB_BANNER_WIN98 && banner.LoadBitmap(std::string("#00149")));
        for (const char* name : {"BANNER", "#99999", "#", "#15a"}) EXPECT_FALSE(banner.LoadBitmap(std::string(name)));
        EXPECT_TRUE(shows(IDB_BANNER_WINME) && banner.ResourceId() == -1 && banner.ResourceName() == "#00149");
        EXPECT_TRUE(banner.LoadBitmap(IDB_BANNER_WIN95 | 0x30000) && shows(IDB_BANNER_WIN95)) << "the low 16 bits";
        info.SetStaticBitmap(IDC_OS_BANNER, IDB_BANNER_WIN98);  // as if painted over
        banner.OnSysColorChange();
        EXPECT_TRUE(shows(IDB_BANNER_WIN95) && banner.ResourceName().empty());
        os.Sheet()->SelectTab(kSchedulerTab);
        Page(kSchedulerTab).Click(IDC_AUTORUN);
    });
    os.At(30299, [&] { EXPECT_TRUE(modified() && autoRun() == "0 -" && clock()); });
    os.At(30301, [&] { EXPECT_TRUE(!modified() && !clock() && autoRun() == on); });
    Tray(31000, ID_TRAY_SHOW);
    os.At(31200, [this] { os.Sheet()->SelectTab(kProcessTab); });
    os.At(50000, [&] {
        os.SysCommand(kp::SC_CLOSE);
        EXPECT_FALSE(os.Sheet()->IsVisible() || refresh());
        os.PostTray(kp::WM_LBUTTONDBLCLK);
    });
    os.At(50001, [&] { EXPECT_TRUE(refresh() == 1000u && clock() == 1000u); });
    os.At(51000, [this] {
        os.Sheet()->SelectTab(kSchedulerTab);
        Page(kSchedulerTab).Click(IDC_COUNTDOWN);
        Page(kSchedulerTab).Click(IDC_AUTORUN);
        os.Sheet()->Click(kp::IDOK);
    });
    os.AnswerMessageBox(kp::IDOK);
    os.At(52000, [&] {
        EXPECT_TRUE(modified() && clock());
        Page(kSchedulerTab).Click(IDC_COUNTDOWN);
        Page(kSchedulerTab).ClickApply();  // nothing left for hiding
        os.Sheet()->Click(kp::IDOK);
        EXPECT_TRUE(!modified() && !clock() && autoRun() == "0 -");
    });
    Tray(60000, ID_TRAY_SHUTDOWN);
    Tray(61000, ID_TRAY_RESTART);  // neither saves nor quits
    Tray(62000, ID_TRAY_AUTORUN);
    os.AnswerMessageBox(kp::IDOK);
    os.At(62200, [&] { EXPECT_TRUE(Page(kSchedulerTab).GetCheck(IDC_AUTORUN) && autoRun() == on); });
    std::vector<int64_t> opened;
    for (int i = 0; i < 3; ++i) {
        os.OnModal(IDD_ABOUTBOX, [&, i](SimWindow& w) {
            opened.push_back(os.Now());
            EXPECT_TRUE(w.Caption() == "关于 Tovrel" && !w.IsControlVisible(IDC_ABOUT_SOUND));
            if (i == 0) w.Click(IDC_ABOUT_EMAIL);
            if (i == 0) w.Object()->OnCommand(IDC_ABOUT_SOUND, kp::BN_CLICKED);
            os.After(2000, [&w] { w.Click(kp::IDOK); });
        });
    }
    Tray(65000, ID_TRAY_ABOUT);
    os.At(69000, [this] { os.PostTray(kp::WM_LBUTTONDBLCLK); });  // hides at 89 s
    os.At(70000, [this] { os.SysCommand(IDM_ABOUTBOX | 3); });
    os.At(71000, [this] { os.Modal(IDD_ABOUTBOX)->LButtonDown(); });  // at 101 s
    os.At(100999, [this] { EXPECT_TRUE(os.Sheet()->IsVisible()); });
    os.At(101001, [&] {
        EXPECT_FALSE(os.Sheet()->IsVisible());
        os.Files().Remove(sound);
    });
    OnPage(104000, kInfoTab, [](SimWindow& page) { page.Click(IDC_ABOUT_LINK); });
    OnPage(108000, kSchedulerTab, [](SimWindow& page) { page.Click(IDC_AUTORUN); });
    OnPage(108000, kControlTab, [](SimWindow&) {});  // at 138 s
    os.At(109000, [this] { os.Sheet()->Escape(); });
    os.AnswerMessageBox(kp::IDNO);
    os.At(120000, [this] { Page(kControlTab).Click(IDC_USER_NOTE); });  // a note: a click on the page
    // Hiding at 150 s; a click on the sheet, its frame or a page moves it 30 s on.
    auto shown = [this](int64_t at, std::function<void(SimWindow&)> act) {
        os.At(at, [this, act] {
            EXPECT_TRUE(!os.QuitCode() && os.Sheet()->IsVisible()) << os.Now();
            act(*os.Sheet());
        });
    };
    shown(149000, [](SimWindow& sheet) { sheet.LButtonDown(); });
    shown(178000, [](SimWindow& sheet) { sheet.NcLButtonDown(); });
    shown(207000, [](SimWindow& sheet) { sheet.Page(kControlTab)->LButtonDown(); });
    shown(236000, [](SimWindow& sheet) { sheet.Escape(); });
    os.AnswerMessageBox(kp::IDYES);
    Run();

    EXPECT_EQ((std::vector<unsigned>{kp::EWX_SHUTDOWN, kp::EWX_REBOOT}), os.Power().Calls());
    for (const auto& menu : os.Menus()) EXPECT_TRUE(menu.menuId == IDR_TRAY_MENU && !menu.sub && menu.at.x == 700);
    const char* const quit = "你真的要关闭本程序吗?";
    auto tooLarge = [](const char* name, int mb) {
        return Format("列表文件 %s 超过 %d MB，只读入了它前面的一部分。\n\n为了不丢失其余的内容，本程序退出时不会改写这个"
                      "文件，本次对这个列表所做的修改也不会保存。请把这个文件移走或缩小后再启动本程序。", name, mb);
    };
    EXPECT_TRUE(MessageBoxTexts(os, {tooLarge("TimeSet.ini", 4), tooLarge("Playlist.m3u", 16), "倒计时关机时间不能为零",
                                     "已设置本程序在系统启动时自动运行", quit, quit}));
    EXPECT_EQ(kp::MB_YESNO, os.MessageBoxes().back().type & 0xF);
    EXPECT_EQ((std::vector<int64_t>{65100, 70000, 104010}), opened);
    std::vector<int64_t> played;  // 0.5 s after opening; from the button
    for (const auto& play : os.Sound().Plays()) played.push_back(play.path == sound ? play.at : -1);
    EXPECT_EQ((std::vector<int64_t>{65100, 65600, 70500}), played);
    EXPECT_EQ((Strings{"mailto:kestor@example.com"}), os.Shell().Opened());
    EXPECT_EQ("0 -", autoRun());  // applied at the exit
    EXPECT_TRUE(os.QuitCode() == 18 && os.TrayIcons().empty() && os.Files().Writes().empty());
    EXPECT_TRUE(reminders == File("TimeSet.ini") && songs == File("Playlist.m3u"));
    EXPECT_EQ(3600000u + 236000u, Profile("Options_e1").value_or(0));  // the tick count at the exit
}

// Each of the 15 steps of the three writes failing, and a read-only folder: a list not written keeps its old file,
// the others are saved. The user who asked to quit is told, the program runs on; the exit before a shutdown quits.
TEST(SaveFaults, AListNotWrittenKeepsItsOldFile) {
    std::map<std::string, std::string> old, saved;
    auto exit = [](SimOs& os, int64_t at, bool byUser) {
        if (byUser) os.ChooseMenuItem(ID_TRAY_EXIT, 10);
        os.At(at, [&os, byUser] { byUser ? os.PostTray(kp::WM_RBUTTONDOWN) : Quit(); });
    };
    auto start = [&](SimOs& os, int day, bool byUser) {  // a row more in each list
        os.System().SetUserName(std::string("tom"));
        for (const auto& [name, bytes] : old) os.Files().Put(Path(name), bytes);
        os.At(1500, [&os, day] {
            kp::IListView& reminders = os.Sheet()->Page(kSchedulerTab)->ListView(IDC_REMINDER_LIST);
            const int row = reminders.InsertItem(0, Format("06月%02d日09点10分", day));
            reminders.SetItemText(row, 1, "开会");
            reminders.SetItemData(row, Packed(6, day, 9, 10));  // minute 10 is a line feed
            kp::IListView& users = os.Sheet()->Page(kControlTab)->ListView(IDC_USER_LIST);
            users.SetItemData(users.InsertItem(0, Format("user%d", day)), 1);
            os.Sheet()->Page(kMusicTab)->ListBox(IDC_PLAYLIST).AddString(Format("D:\\music\\%d.mp3", day));
        });
        exit(os, 2000, byUser);
    };
    for (auto* files : {&old, &saved}) {
        SimOs os;
        start(os, files == &old ? 1 : 2, true);
        kestor::RunKestor();
        for (const std::string& name : kFiles) (*files)[name] = os.Files().Get(Path(name)).value_or("-");
        EXPECT_EQ(15, os.Files().StepsTaken());
        EXPECT_EQ((Strings{Path(kFiles[0]), Path(kFiles[1]), Path(kFiles[2])}), os.Files().Writes());
        EXPECT_TRUE(os.QuitCode() == 18 && os.TrayIcons().empty());
    }
    EXPECT_TRUE(GbkEq(std::string("[ItemCount]\r\n\x01\0\0\0D\r\n[ItemData]\r\n\r\n\x09\x01\x06", 37) +
                          "D\r\n06月01日09点10分\r\n开会\r\n", old["TimeSet.ini"]));
    auto state = [&](SimOs& os) {  // old, new or torn; the exit tick
        std::string s;
        for (const std::string& name : kFiles) {
            const std::string bytes = os.Files().Get(Path(name)).value_or("-");
            s += bytes == old[name] ? "o" : bytes == saved[name] ? "n" : "t";
        }
        return s + (os.Reg().GetDword(HKCU, kProfile, "Options_e1") ? " tick" : "");
    };
    const Strings lists = {"提醒列表\n", "用户时间控制列表\n", "播放列表\n"};
    for (bool byUser : {true, false}) {
        for (int n = 1; n <= 16; ++n) {  // 16: a read-only folder
            SCOPED_TRACE(Format("%s, fault %d", byUser ? "the user's exit" : "the exit before the shutdown", n));
            std::string expected, unsaved;
            for (int i = 0; i < 3; ++i) {
                const bool fails = n > 15 || (n - 1) / 5 == i;
                expected += fails ? "o" : "n";
                unsaved += fails ? lists[i] : "";
            }
            expected += expected[1] == 'o' ? "" : " tick";
            SimOs os;
            start(os, 2, byUser);
            if (n <= 15) os.Files().FailNthStep(n);
            else os.Files().SetReadOnlyFolder("C:\\Kestor");
            size_t timers = 0;
            os.At(1900, [&] { timers = os.ArmedTimers().size(); });
            if (byUser) {
                os.AnswerMessageBox(kp::IDOK);
                os.At(2500, [&] {
                    EXPECT_EQ(expected, state(os));
                    EXPECT_TRUE(!os.QuitCode() && os.TrayIcons().size() == 1u && timers == os.ArmedTimers().size());
                    os.Files().SetReadOnlyFolder("C:\\Kestor", false);
                });
                exit(os, 3000, true);  // the fault passed: all saved
            }
            kestor::RunKestor();
            EXPECT_EQ(18, os.QuitCode().value_or(-1));
            EXPECT_EQ(byUser ? "nnn tick" : expected, state(os));
            const std::string told = "下列内容未能保存到文件夹 C:\\Kestor:\n\n" + unsaved +
                                     "\n本程序没有退出，这些内容仍保留在程序中。请确认该文件夹可以写入、磁盘还有空间，然后再退出本程序。";
            EXPECT_TRUE(MessageBoxTexts(os, byUser ? Strings{told} : Strings{}));
            EXPECT_TRUE(!byUser || (os.MessageBoxes().at(0).type & 0xF) == kp::MB_OK);
        }
    }
}

TEST(LinkStatic, AnEmailOpensAsMailto) {
    const std::pair<const char*, const char*> targets[] = {
        {"email:kestor@example.com", "mailto:kestor@example.com"}, {"kestor@example.com", "mailto:kestor@example.com"},
        {"http://www.example.com/", "http://www.example.com/"},    {"@example.com", "@example.com"},
        {"", ""}, {"丂:说明", "丂:说明"},  // 丂 is 81 40, a "@" as a trail byte
        {"邮件:老王@example.com", "mailto:老王@example.com"},
    };
    for (const auto& [text, target] : targets) EXPECT_TRUE(GbkEq(target, kestor::CLinkStatic::ShellTarget(text)));
}

TEST(NameLookup, AnUnknownSelectorSaysError) { EXPECT_EQ("Error", kestor::LookUpName(3)); }

TEST(ClockJump, TimersFollowTheClockAsSet) { ClockStories(0); }

}  // namespace
