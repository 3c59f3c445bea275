// The application shell as its user meets it: start-up and what it stores, odd registry values, hiding into
// the tray and showing again, the tray and system menu commands with the about box and the shared statics,
// the save-all exit and its faults, and the clock set while the program runs.
#include <map>
#include <set>

#include "ClockStory.h"
#include "Util.h"
#include "app/PasswordDigest.h"
#include "controls/BitmapStatic.h"
#include "controls/LinkStatic.h"

namespace {

using namespace kt;
using kp::Format;
using Prepare = std::function<void(SimOs&)>;

const std::string kDir = "C:\\Kestor\\";
const Strings kFiles = {"TimeSet.ini", "ControlSet.ini", "Playlist.m3u"};

void SendToMain(unsigned msg) { kp::TheOs().ui->SendToMain(msg, 0, 0); }
kestor::CTovrelDlg& SheetOf(SimOs& os) { return *static_cast<kestor::CTovrelDlg*>(os.Sheet()->Object()); }
void SetUser(SimOs& os, const char* name, uint32_t v) { os.Reg().SetDword(Hive::CurrentUser, kProfile, name, v); }
void SetMachine(SimOs& os, const char* name, uint32_t v) { os.Reg().SetDword(Hive::LocalMachine, kMachine, name, v); }

// At `at`, a row more in each list, as the pages hold them; `day` tells the rows of two runs apart.
void AddRows(SimOs& os, int64_t at, int day) {
    os.At(at, [&os, day] {
        kp::IListView& reminders = os.Sheet()->Page(kSchedulerTab)->ListView(IDC_REMINDER_LIST);
        const int row = reminders.InsertItem(0, Format("06月%02d日09点10分", day));
        reminders.SetItemText(row, 1, "开会");
        reminders.SetItemData(row, Packed(6, day, 9, 10));  // minute 10 is a line feed
        kp::IListView& users = os.Sheet()->Page(kControlTab)->ListView(IDC_USER_LIST);
        users.SetItemData(users.InsertItem(0, Format("user%d", day)), 1);
        os.Sheet()->Page(kMusicTab)->ListBox(IDC_PLAYLIST).AddString(Format("D:\\music\\%d.mp3", day));
    });
}

// A start by tom over the registry `prepare` leaves: what the screen shows, every page opened, whether a click
// on a page postpones hiding, the exit the usage enforcement asks for, then what the registry, the list files
// and the message boxes hold. One line, so that a table of starts reads as one.
std::string StartAndLook(const Prepare& prepare) {
    SimOs os;
    os.System().SetUserName(std::string("tom"));
    prepare(os);
    std::string seen = "no window";
    os.At(500, [&] {
        SimWindow& sheet = *os.Sheet();
        SimWindow& timeset = *sheet.Page(kSchedulerTab);
        seen = Format("%s%s chime=%d/%d autorun=%d play=%d admin=%s", sheet.IsVisible() ? "shown" : "hidden",
                      SheetOf(os).m_bUnrestricted ? "" : " restricted",
                      timeset.GetCheck(IDC_CHIME), timeset.Combo(IDC_CHIME_INTERVAL).GetCurSel(),
                      timeset.GetCheck(IDC_AUTORUN), sheet.Page(kMusicTab)->GetCheck(IDC_AUTOPLAY),
                      sheet.Page(kControlTab)->GetText(IDC_MACHINE_ADMIN).c_str());
    });
    os.At(1500, [&] {
        seen += os.TrayIcons().empty() ? " no icon" : " icon";
        for (int tab = kInfoTab; tab <= kProcessTab; ++tab) {
            SheetOf(os).SetActivePage(tab);
            EXPECT_TRUE(os.Sheet()->Page(tab)) << "page " << tab;
        }
        SheetOf(os).OnCommand(ID_TRAY_SHOW, 0);  // the window shows for 20 s, or 30 s from a click on it
    });
    os.At(12000, [&] { os.Sheet()->Page(kProcessTab)->LButtonDown(); });
    os.At(22000, [&] { seen += os.Sheet()->IsVisible() ? " postponed" : " not postponed"; });
    os.At(23000, [] { SendToMain(kestor::WM_SAVE_AND_QUIT); });
    kestor::RunKestor();
    EXPECT_EQ(0, os.Reg().OpenHandles()) << "registry keys left open";
    auto add = [&](const char* label, Hive hive, const char* path, const char* name, bool text = false) {
        const auto number = os.Reg().GetDword(hive, path, name);
        const auto chars = os.Reg().GetString(hive, path, name);
        const std::string shown = chars == kestor::PasswordDigest("MoonGate") ? "<MoonGate>" : chars.value_or("-");
        seen += label + (text ? shown : number ? std::to_string(*number) : "-");
    };
    add(" | Options=", Hive::CurrentUser, kProfile, "Options");
    add(" d1=", Hive::CurrentUser, kProfile, "Options_d1");
    add(" run=", Hive::LocalMachine, kRun, "Kestor", true);
    add(" | h1=", Hive::CurrentUser, kProfile, "Options_h1", true);
    add(" h2=", Hive::CurrentUser, kProfile, "Options_h2");
    add(" | HKLM h1=", Hive::LocalMachine, kMachine, "Options_h1", true);
    add(" h2=", Hive::LocalMachine, kMachine, "Options_h2");
    seen += " | files";
    for (const std::string& name : kFiles) seen += " " + os.Files().Get(kDir + name).value_or("-");
    for (const auto& box : os.MessageBoxes()) seen += " | " + box.text;
    return seen;
}

// The hide options of the administrator `admin`, for the user `user`.
Prepare Hide(const char* admin, const char* user, uint32_t atStart, uint32_t noIcon) {
    return [=](SimOs& os) {
        os.Reg().SetString(Hive::LocalMachine, kMachine, "Options_g1", admin);
        SetMachine(os, "Options_g3", atStart);
        SetMachine(os, "Options_g2", noIcon);
        os.System().SetUserName(std::string(user));
    };
}

TEST(StartUp, FirstAndLaterStartsTheHideOptionsAndTheStoredPasswords) {
    const std::string first = " | Options=1 d1=1 run=C:\\Kestor\\Kestor.exe | h1=MoonGate h2=1";
    const std::string defaults = first + " | HKLM h1=<MoonGate> h2=1 | files   ";  // the lists empty
    const std::string shown = "shown chime=1/0 autorun=1 play=0 admin=", postponed = " icon postponed";
    const std::string hidden = "hidden restricted chime=1/0 autorun=1 play=0 admin=Admin";
    const std::string runFailed = " | 设置自动运行程序失败,如果您需要本程序在系统启动时自动运行，请在程序中设置.";
    auto password = [](uint32_t state) {
        return [state](SimOs& os) {
            SetMachine(os, "Options_h2", state);
            os.Reg().SetString(Hive::LocalMachine, kMachine, "Options_h1", "999");
        };
    };
    using Deny = void (kp::sim::SimRegistry::*)(Hive, const std::string&);
    auto denied = [](Prepare before, Deny deny, Hive hive, const char* key) {
        return [=](SimOs& os) {
            before(os);
            (os.Reg().*deny)(hive, key);
        };
    };
    const Prepare odd = [](SimOs& os) {  // values that change the screen when they can be read
        SetUser(os, "Options_a1", 0);
        SetUser(os, "Options_a2", 4);
        SetMachine(os, "Options_g3", 1);
        SetMachine(os, "Options_i1", 1);
    };
    const struct {
        const char* what;
        Prepare prepare;
        std::string seen;
    } starts[] = {
        {"nothing stored: the first start", [](SimOs&) {}, shown + postponed + defaults},
        {"a second copy says so and does nothing",
         [](SimOs& os) {
             os.System().MarkMutexExisting("1");
             os.AnswerMessageBox(kp::IDOK);
         },
         "no window | Options=- d1=- run=- | h1=- h2=- | HKLM h1=- h2=- | files - - - | 应用程序已经在运行"},
        {"a later start follows the stored start-with-Windows setting",
         [](SimOs& os) {
             SetUser(os, "Options", 1);
             SetUser(os, "Options_d1", 0);
             os.Reg().SetString(Hive::LocalMachine, kRun, "Kestor", "C:\\old\\Kestor.exe");
         },
         "shown chime=1/0 autorun=0 play=0 admin=" + postponed + " | Options=0 d1=0 run=- | h1=MoonGate h2=1"
         " | HKLM h1=<MoonGate> h2=1 | files   "},
        {"a password state other than 2 gets the default password back", password(5),
         shown + postponed + first + " | HKLM h1=<MoonGate> h2=5 | files   "},
        {"a password the user set stays", password(2),
         shown + postponed + " | Options=1 d1=1 run=C:\\Kestor\\Kestor.exe | h1=- h2=- | HKLM h1=999 h2=2 | files   "},
        {"without full rights on the machine key nothing is written there",
         denied(password(2), &kp::sim::SimRegistry::DenyFull, Hive::LocalMachine, kMachine),
         shown + postponed + first + " | HKLM h1=999 h2=2 | files   "},
        {"who may not write the machine key is unrestricted and told twice that the Run key failed",
         denied(
             [](SimOs& os) {
                 Hide("boss", "tom", 1, 0)(os);
                 for (int i = 0; i < 2; ++i) os.AnswerMessageBox(kp::IDOK);
             },
             &kp::sim::SimRegistry::DenyWrite, Hive::LocalMachine, "SOFTWARE"),
         shown + postponed + " | Options=1 d1=1 run=- | h1=MoonGate h2=1 | HKLM h1=- h2=- | files   " + runFailed +
             runFailed},
        {"hidden at once, no icon", Hide("Admin", "tom", 1, 1), hidden + " no icon not postponed" + defaults},
        {"hidden at once, with the icon", Hide("Admin", "tom", 1, 0), hidden + " icon not postponed" + defaults},
        {"a name that differs in case only is another user", Hide("Admin", "admin", 1, 1),
         hidden + " no icon not postponed" + defaults},
        {"the administrator himself", Hide("Admin", "Admin", 1, 1), shown + "Admin" + postponed + defaults},
        {"the no-icon option alone hides nothing", Hide("Admin", "tom", 0, 1), shown + "Admin" + postponed + defaults},
        {"an unreadable profile", denied(odd, &kp::sim::SimRegistry::DenyAll, Hive::CurrentUser, "Software\\Kestor"),
         "hidden restricted chime=1/0 autorun=1 play=1 admin= icon not postponed | Options=- d1=- "
         "run=C:\\Kestor\\Kestor.exe | h1=- h2=- | HKLM h1=<MoonGate> h2=1 | files   "},
        {"an unreadable machine key", denied(odd, &kp::sim::SimRegistry::DenyAll, Hive::LocalMachine, "SOFTWARE\\Kestor"),
         "shown chime=0/4 autorun=1 play=0 admin=" + postponed + first + " | HKLM h1=- h2=- | files   "},
    };
    for (const auto& start : starts) {
        SCOPED_TRACE(start.what);
        EXPECT_EQ(U8(start.seen), U8(StartAndLook(start.prepare)));
    }
}

// Every value the program reads, stored with another type, of the wrong size or too long for its buffer,
// reads as absent. Each is tried where its valid value would change what the program does.
TEST(StartUp, EveryValueStoredOddlyReadsAsAbsent) {
    const Prepare hideAtStart = [](SimOs& os) { SetMachine(os, "Options_g3", 1); };
    const struct {
        const char* name;
        Hive hive;
        uint32_t value;
        const char* text;  // for a string value
        Prepare context;
    } readings[] = {
        {"Options", Hive::CurrentUser, 0, nullptr, {}},  // read as 0 it would not count as a first run
        {"Options_a1", Hive::CurrentUser, 0, nullptr, {}},
        {"Options_a2", Hive::CurrentUser, 3, nullptr, {}},
        {"Options_d1", Hive::CurrentUser, 0, nullptr, [](SimOs& os) { SetUser(os, "Options", 0); }},
        {"Options_g1", Hive::LocalMachine, 0, "tom", hideAtStart},
        {"Options_g2", Hive::LocalMachine, 1, nullptr, hideAtStart},
        {"Options_g3", Hive::LocalMachine, 1, nullptr, {}},
        {"Options_h2", Hive::LocalMachine, 2, nullptr,
         [](SimOs& os) { os.Reg().SetString(Hive::LocalMachine, kMachine, "Options_h1", "999"); }},
        {"Options_i1", Hive::LocalMachine, 1, nullptr, {}},
    };
    using kp::sim::REG_BINARY, kp::sim::REG_DWORD, kp::sim::REG_EXPAND_SZ, kp::sim::REG_NONE, kp::sim::REG_SZ;
    for (const auto& r : readings) {
        SCOPED_TRACE(r.name);
        auto startWith = [&](uint32_t type, const std::string& bytes) {
            return StartAndLook([&](SimOs& os) {
                if (r.context) r.context(os);
                const char* key = r.hive == Hive::CurrentUser ? kProfile : kMachine;
                if (type != REG_NONE) os.Reg().SetRaw(r.hive, key, r.name, type, bytes);
            });
        };
        const std::string absent = startWith(REG_NONE, "");
        const std::string valid = r.text ? r.text : std::string(reinterpret_cast<const char*>(&r.value), 4);
        EXPECT_NE(absent, startWith(r.text ? REG_SZ : REG_DWORD, valid)) << "the value does not count here";
        const std::string ended = valid + '\0';
        const std::vector<std::pair<uint32_t, std::string>> odd =
            r.text ? decltype(odd){{REG_DWORD, ended.substr(0, 4)}, {REG_BINARY, ended}, {REG_EXPAND_SZ, ended},
                                   {REG_SZ, valid + std::string(300, 'x')}}
                   : decltype(odd){{REG_SZ, std::to_string(r.value) + '\0'}, {REG_DWORD, valid.substr(0, 2)},
                                   {REG_DWORD, valid + std::string(4, '\0')}, {REG_DWORD, ""}, {REG_BINARY, valid}};
        for (const auto& [type, bytes] : odd) EXPECT_EQ(absent, startWith(type, bytes)) << type << ", " << bytes.size();
    }
}

// A day in the tray, from a start over list files the program does not read whole (one larger than it reads,
// read in whole lines up to the limit, the user told; two that cannot be read), which the exit leaves as they
// are. Hiding applies a pending scheduler setting and does not hide while that fails; the process list rests
// while hidden and is right at once when shown; the tray's commands; the about box from its three places with
// its sound and links; the question before the exit, which applies what is still pending.
TEST_F(Program, ADayInTheTray) {
    const std::string reminder = ReminderRecord(Packed(12, 31, 23, 59), "12月31日23点59分", std::string(4000, 'x'));
    std::string reminders = ListHeader(40000);
    while (reminders.size() <= (4u << 20)) reminders += reminder;
    PutFile("TimeSet.ini", reminders);
    for (const char* name : {"ControlSet.ini", "Playlist.m3u"}) {
        PutFile(name, "[ItemCount]\r\n");
        os.Files().FailReads(Path(name));
    }
    const std::string sound = "D:\\WINNT\\Media\\The Microsoft Sound.wav";
    os.System().SetWindowsDirectory("D:\\WINNT");
    os.Files().Put(sound, "RIFF");
    os.SetCursorPos(kp::Point{700, 750});
    auto refresh = [this] { return Page(kProcessTab).TimerPeriod(kestor::CProcessManager::kRefreshTimer); };
    auto firstProcess = [this] { return Page(kProcessTab).ListViewOf(IDC_PROCESS_LIST).Rows().at(0).texts.at(0); };
    auto autoRun = [this] {  // the setting, and the Run entry
        return std::to_string(Profile("Options_d1").value_or(9)) + " " +
               os.Reg().GetString(Hive::LocalMachine, kRun, "Kestor").value_or("-");
    };
    auto modified = [this] { return os.Sheet()->IsVisible() && os.Sheet()->PageModified(kSchedulerTab); };
    auto clock = [this] { return Page(kInfoTab).TimerPeriod(kestor::CSystemInfo::kClockTimer); };
    os.AnswerMessageBox(kp::IDOK);
    os.At(300, [&] {
        const size_t rows = ((4u << 20) - ListHeader(0).size()) / reminder.size();  // whole records only
        EXPECT_EQ(rows, Page(kSchedulerTab).ListViewOf(IDC_REMINDER_LIST).Rows().size());
        os.Sheet()->SelectTab(kSchedulerTab);  // a page shown: hiding moves to 30 s from now
        Page(kSchedulerTab).Click(IDC_AUTORUN);
    });
    os.At(30299, [&] { EXPECT_TRUE(modified() && autoRun() == "0 -") << "nothing is applied before"; });
    os.At(30301, [&] {
        EXPECT_TRUE(!modified() && !os.Sheet()->IsVisible() && !clock());
        EXPECT_EQ("1 C:\\Kestor\\Kestor.exe", autoRun());
    });
    Tray(31000, ID_TRAY_SHOW);
    os.At(31200, [this] { os.Sheet()->SelectTab(kProcessTab); });
    os.At(40000, [&] { EXPECT_EQ(1000u, refresh().value_or(0)); });
    int counts = 0;
    os.At(50000, [&] {
        os.SysCommand(kp::SC_CLOSE);
        EXPECT_FALSE(os.Sheet()->IsVisible() || refresh().has_value());
        counts = os.Processes().Counts();
        os.Processes().Add("notepad.exe");
    });
    os.At(55000, [&] {
        EXPECT_TRUE(counts == os.Processes().Counts() && firstProcess() != "notepad.exe") << "no counting while hidden";
        os.PostTray(kp::WM_LBUTTONDBLCLK);
    });
    os.At(55001, [&] {
        EXPECT_TRUE(firstProcess() == "notepad.exe" && refresh() == 1000u) << "checked when shown";
        EXPECT_EQ(1000u, clock().value_or(0));
    });
    os.At(56000, [this] {
        os.Sheet()->SelectTab(kSchedulerTab);
        Page(kSchedulerTab).Click(IDC_COUNTDOWN);  // a countdown of zero cannot be applied
        Page(kSchedulerTab).Click(IDC_AUTORUN);
        os.Sheet()->Click(kp::IDOK);
    });
    os.AnswerMessageBox(kp::IDOK);
    os.At(57000, [&] {
        EXPECT_TRUE(modified());
        Page(kSchedulerTab).Click(IDC_COUNTDOWN);
        os.Sheet()->Click(kp::IDOK);
        EXPECT_TRUE(!modified() && autoRun() == "0 -");
    });
    Tray(60000, ID_TRAY_SHUTDOWN);
    Tray(61000, ID_TRAY_RESTART);  // neither saves nor quits: the session ends
    Tray(62000, ID_TRAY_AUTORUN);
    os.AnswerMessageBox(kp::IDOK);
    os.At(62200, [&] { EXPECT_TRUE(Page(kSchedulerTab).GetCheck(IDC_AUTORUN) && autoRun() == "1 C:\\Kestor\\Kestor.exe"); });
    std::vector<int64_t> opened;
    auto about = [&](std::function<void(SimWindow&)> also) {
        os.OnModal(IDD_ABOUTBOX, [&, also](SimWindow& w) {
            opened.push_back(os.Now());
            EXPECT_TRUE(w.Caption() == "关于 Tovrel" && !w.IsControlVisible(IDC_ABOUT_SOUND));
            if (also) also(w);
            os.After(2000, [&w] { w.Click(kp::IDOK); });
        });
    };
    about([this](SimWindow& w) {
        w.Click(IDC_ABOUT_EMAIL);
        os.Shell().SetOpenResult(false);  // not reported
        w.SetText(IDC_ABOUT_EMAIL, "http://www.example.com/");
        w.Click(IDC_ABOUT_EMAIL);
        w.Object()->OnCommand(IDC_ABOUT_SOUND, kp::BN_CLICKED);  // the hidden button's command plays the sound
    });
    Tray(65000, ID_TRAY_ABOUT);
    os.At(69000, [this] { os.PostTray(kp::WM_LBUTTONDBLCLK); });  // hides at 89 s unless the user is active
    about({});
    os.At(70000, [this] { os.SysCommand(IDM_ABOUTBOX | 3); });
    os.At(71000, [this] { os.Modal(IDD_ABOUTBOX)->LButtonDown(); });  // hiding moves to 101 s
    os.At(100999, [this] { EXPECT_TRUE(os.Sheet()->IsVisible()); });
    os.At(101001, [&] {
        EXPECT_FALSE(os.Sheet()->IsVisible());
        os.Files().Remove(sound);
    });
    about({});
    OnPage(104000, kInfoTab, [](SimWindow& page) { page.Click(IDC_ABOUT_LINK); });
    OnPage(108000, kSchedulerTab, [](SimWindow& page) { page.Click(IDC_AUTORUN); });
    OnPage(108000, kControlTab, [](SimWindow& page) { page.Click(IDC_USER_NOTE); });  // a note, not a link
    os.At(109000, [this] { os.Sheet()->Escape(); });
    os.AnswerMessageBox(kp::IDNO);
    // The note's click counted as a click on its page: hiding at 138 s. Clicks on the sheet, its frame and a
    // page postpone it each to 30 s from then.
    const std::pair<int64_t, std::function<void(SimWindow&)>> clicks[] = {
        {110000, [](SimWindow& sheet) { sheet.LButtonDown(); }},
        {139000, [](SimWindow& sheet) { sheet.NcLButtonDown(); }},
        {168000, [](SimWindow& sheet) { sheet.Page(kControlTab)->LButtonDown(); }},
        {197000, [](SimWindow& sheet) { sheet.Escape(); }}};
    for (const auto& [at, click] : clicks) {
        os.At(at, [this, click = click] {
            EXPECT_TRUE(!os.QuitCode() && os.Sheet()->IsVisible()) << os.Now();
            click(*os.Sheet());
        });
    }
    os.AnswerMessageBox(kp::IDYES);
    Run();

    EXPECT_EQ((std::vector<unsigned>{kp::EWX_SHUTDOWN, kp::EWX_REBOOT}), os.Power().Calls());
    for (const auto& menu : os.Menus()) EXPECT_TRUE(menu.menuId == IDR_TRAY_MENU && !menu.sub && menu.at.x == 700);
    ASSERT_EQ(5u, os.MessageBoxes().size());
    EXPECT_NE(std::string::npos, os.MessageBoxes()[0].text.find("列表文件 TimeSet.ini 超过 4 MB"));
    Strings texts;
    for (const auto& box : os.MessageBoxes()) texts.push_back(box.text);
    EXPECT_EQ((Strings{"倒计时关机时间不能为零", "已设置本程序在系统启动时自动运行", "你真的要关闭本程序吗?",
                       "你真的要关闭本程序吗?"}),
              Strings(texts.begin() + 1, texts.end()));
    EXPECT_EQ(kp::MB_YESNO, os.MessageBoxes().back().type & 0xF);
    EXPECT_EQ((std::vector<int64_t>{65100, 70000, 104010}), opened);
    std::vector<std::pair<std::string, int64_t>> played;
    for (const auto& play : os.Sound().Plays()) played.emplace_back(play.path, play.at);
    EXPECT_EQ((decltype(played){{sound, 65100}, {sound, 65600}, {sound, 70500}}), played) << "none without the file";
    EXPECT_EQ((Strings{"mailto:kestor@example.com", "http://www.example.com/"}), os.Shell().Opened());
    EXPECT_EQ("0 -", autoRun()) << "applied at the exit";
    EXPECT_TRUE(os.QuitCode() == 18 && os.TrayIcons().empty() && os.Files().Writes().empty());
    EXPECT_EQ(reminders, File("TimeSet.ini"));
    EXPECT_EQ(3600000u + 197000u, Profile("Options_e1").value_or(0)) << "the tick count at the exit";
}

// The exit with a fault of the disk: each of the fifteen steps of the three writes failing in turn, and a
// folder that cannot be written. The list whose write failed keeps its old file whole, every other list is
// saved. The user who asked to quit is told which lists and where, and the program runs on with every timer
// until an exit that can write; the exit before the shutdown says nothing and quits.
TEST(SaveFaults, AListThatCannotBeWrittenKeepsItsOldFileWhole) {
    std::map<std::string, std::string> old, saved;
    auto exit = [](SimOs& os, int64_t at, bool byUser) {
        if (byUser) os.ChooseMenuItem(ID_TRAY_EXIT, 10);
        os.At(at, [&os, byUser] { byUser ? os.PostTray(kp::WM_RBUTTONDOWN) : SendToMain(kestor::WM_SAVE_AND_QUIT); });
    };
    // A run over the old files with a row more in each list, and its exit at 2 s.
    auto start = [&](SimOs& os, int day, bool byUser) {
        os.System().SetUserName(std::string("tom"));
        for (const auto& [name, bytes] : old) os.Files().Put(kDir + name, bytes);
        AddRows(os, 1500, day);
        exit(os, 2000, byUser);
    };
    for (auto* files : {&old, &saved}) {
        SimOs os;
        start(os, files == &old ? 1 : 2, true);
        kestor::RunKestor();
        for (const std::string& name : kFiles) (*files)[name] = os.Files().Get(kDir + name).value_or("-");
        EXPECT_EQ(15, os.Files().StepsTaken()) << "five steps for each file";
        EXPECT_EQ((Strings{kDir + kFiles[0], kDir + kFiles[1], kDir + kFiles[2]}), os.Files().Writes());
        EXPECT_TRUE(os.QuitCode() == 18 && os.TrayIcons().empty());
    }
    // A row in each list: the bytes as the formats have them, with the line feed of the time written as CR LF.
    const std::string header = std::string("[ItemCount]\r\n\x01\0\0\0D\r\n[ItemData]\r\n", 32);
    EXPECT_TRUE(GbkEq(header + "\r\n\x09\x01\x06" + "D\r\n06月01日09点10分\r\n开会\r\n", old["TimeSet.ini"]));
    EXPECT_TRUE(GbkEq(header + "D\r\nuser1\r\nD\r\n\r\nD\r\n\r\nD\r\n\r\n" + std::string("\x01\0\0\0", 4),
                      old["ControlSet.ini"]));
    EXPECT_EQ("D:\\music\\1.mp3\r\n", old["Playlist.m3u"]);
    // Which version each list file holds, and whether the exit tick was written.
    auto state = [&](SimOs& os) {
        std::string s;
        for (const std::string& name : kFiles) {
            const std::string bytes = os.Files().Get(kDir + name).value_or("-");
            s += name + (bytes == old[name] ? " old, " : bytes == saved[name] ? " new, " : " torn, ");
        }
        return s + (os.Reg().GetDword(Hive::CurrentUser, kProfile, "Options_e1") ? "tick" : "no tick");
    };
    auto timers = [](SimOs& os) {
        std::multiset<std::tuple<const void*, unsigned, unsigned>> armed;
        for (const auto& t : os.ArmedTimers()) armed.emplace(t.window, t.id, t.period);
        return armed;
    };
    const Strings lists = {"提醒列表", "用户时间控制列表", "播放列表"};
    for (bool byUser : {true, false}) {
        for (int n = 1; n <= 16; ++n) {
            SCOPED_TRACE(Format("%s, %s", byUser ? "the user's exit" : "the exit before the shutdown",
                                n <= 15 ? Format("step %d fails", n).c_str() : "a read-only folder"));
            std::string expected;
            for (int i = 0; i < 3; ++i) expected += kFiles[i] + (n > 15 || (n - 1) / 5 == i ? " old, " : " new, ");
            expected += n > 15 || (n - 1) / 5 == 1 ? "no tick" : "tick";
            SimOs os;
            start(os, 2, byUser);
            if (n <= 15) os.Files().FailNthStep(n);
            else os.Files().SetReadOnlyFolder("C:\\Kestor");
            std::multiset<std::tuple<const void*, unsigned, unsigned>> before;
            os.At(1900, [&] { before = timers(os); });
            if (byUser) {
                os.AnswerMessageBox(kp::IDOK);
                os.At(2500, [&] {
                    EXPECT_EQ(expected, state(os));
                    EXPECT_TRUE(!os.QuitCode() && os.TrayIcons().size() == 1u && before == timers(os))
                        << "the program runs on as it was, every timer armed";
                    os.Files().SetReadOnlyFolder("C:\\Kestor", false);
                });
                exit(os, 3000, true);  // the fault has passed: this exit saves everything
            }
            kestor::RunKestor();
            EXPECT_EQ(18, os.QuitCode().value_or(-1));
            EXPECT_EQ(byUser ? 1u : 0u, os.MessageBoxes().size());
            if (!byUser) EXPECT_EQ(expected, state(os));
            if (!byUser || os.MessageBoxes().empty()) continue;
            const std::string& text = os.MessageBoxes()[0].text;
            EXPECT_TRUE(text.find("C:\\Kestor") != std::string::npos && (os.MessageBoxes()[0].type & 0xF) == kp::MB_OK);
            for (int i = 0; i < 3; ++i) EXPECT_EQ(expected.find(kFiles[i] + " old") != std::string::npos,
                                                  text.find(lists[i]) != std::string::npos) << U8(text);
            EXPECT_EQ("TimeSet.ini new, ControlSet.ini new, Playlist.m3u new, tick", state(os));
        }
    }
}

// The bitmap static, bound to the information page's banner: a load that fails keeps what is shown and what a
// change of the system colours loads again; by name, only the numbered form names one of its bitmaps.
TEST_F(Program, BitmapStaticKeepsWhatItShowsWhenALoadFails) {
    os.At(500, [this] {
        kestor::CBitmapStatic banner;
        banner.Subclass(*Page(kInfoTab).Object(), IDC_OS_BANNER);
        auto shows = [&](int id) { return Page(kInfoTab).Control(IDC_OS_BANNER).bitmap.value_or(0) == id; };
        EXPECT_FALSE(banner.Reload()) << "nothing loaded yet";
        EXPECT_TRUE(banner.LoadBitmap(IDB_BANNER_WIN98) && shows(IDB_BANNER_WIN98));
        EXPECT_FALSE(banner.LoadBitmap(4242));
        EXPECT_TRUE(shows(IDB_BANNER_WIN98) && banner.ResourceId() == IDB_BANNER_WIN98);
        EXPECT_TRUE(banner.LoadBitmap(std::string("#157")) && shows(IDB_BANNER_WIN95));
        EXPECT_TRUE(banner.ResourceId() == -1 && banner.ResourceName() == "#157");
        for (const char* name : {"BANNER", "#99999", "#", "#15a"}) EXPECT_FALSE(banner.LoadBitmap(std::string(name)));
        EXPECT_TRUE(shows(IDB_BANNER_WIN95) && banner.ResourceName() == "#157");
        EXPECT_TRUE(banner.LoadBitmap(IDB_BANNER_WINME | 0x30000) && shows(IDB_BANNER_WINME)) << "the low 16 bits";
        banner.LoadBitmap(std::string("#153"));
        banner.LoadBitmap(IDB_BANNER_WINME);
        banner.OnSysColorChange();
        EXPECT_TRUE(shows(IDB_BANNER_WINME) && banner.ResourceName().empty());
    });
    Run();
}

TEST(LinkStatic, AnEmailTextOpensAsMailtoAndAnyOtherAsItStands) {
    const std::pair<const char*, const char*> targets[] = {
        {"email:kestor@example.com", "mailto:kestor@example.com"}, {"kestor@example.com", "mailto:kestor@example.com"},
        {"http://www.example.com/", "http://www.example.com/"},    {"@example.com", "@example.com"},
        {"", ""}, {"丂:说明", "丂:说明"},  // 丂 is 0x81 0x40 in GBK: its second byte has the value of "@"
        {"邮件:老王@example.com", "mailto:老王@example.com"},
    };
    for (const auto& [text, target] : targets) EXPECT_TRUE(GbkEq(target, kestor::CLinkStatic::ShellTarget(text)));
}

// The computer and user names are the information page's, and its tests look at them.
TEST(NameLookup, AnUnknownSelectorSaysError) { EXPECT_EQ("Error", kestor::LookUpName(3)); }

// The clock set while the program runs, over a day or two; the soak tells the same story over thirty.
TEST(ClockJump, RemindersHourlyNoticesAndRestsFollowTheClockAsSet) {
    constexpr int64_t kHour = 3600000;
    for (const auto& [by, utcToo] : {std::pair{-kHour, false}, {kHour, false}, {-24 * kHour, true}, {24 * kHour, true}})
        ClockStory(0, by, utcToo);
}

}  // namespace
