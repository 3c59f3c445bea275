// Faults while the lists are saved at exit: every step of the save failing in turn, a full disk and a
// read-only start-up folder. The user who chose to quit hears which lists stayed unsaved and the program
// runs on as before; the exit before the end-of-day shutdown goes on without a word.
#include <map>
#include <set>

#include "TimesetFixture.h"
#include "app/Messages.h"

namespace {

using kp::Hive;
using kp::sim::SimOs;
using kp::sim::SimWindow;
using kp::sim::test::U8;
using timeset_test::At;
using timeset_test::Header;
using timeset_test::Record;

const char* const kDir = "D:\\tools";
using kp::sim::test::kProfile;
const std::vector<std::string> kFiles = {"TimeSet.ini", "ControlSet.ini", "Playlist.m3u"};
// How the user is told about each file's list.
const std::map<std::string, std::string> kListNames = {
    {"TimeSet.ini", "提醒列表"}, {"ControlSet.ini", "用户时间控制列表"}, {"Playlist.m3u", "播放列表"}};

using Disk = std::map<std::string, std::string>;  // file name -> bytes; a missing file is absent

enum class ExitBy { TrayMenu, Shutdown };

std::string Path(const std::string& name) { return std::string(kDir) + "\\" + name; }

// One run of the program over the lists on disk.
struct Session {
    SimOs os;

    explicit Session(const Disk& disk) {
        os.System().SetCurrentDirectory(kDir);
        os.Reg().SetDword(Hive::CurrentUser, kProfile, "Options", 0);
        os.Reg().SetDword(Hive::CurrentUser, kProfile, "Options_a1", 0);  // no hourly notice to answer
        for (const auto& [name, bytes] : disk) os.Files().Put(Path(name), bytes);
    }

    Disk Files() {
        Disk disk;
        for (const std::string& name : kFiles)
            if (auto bytes = os.Files().Get(Path(name))) disk[name] = *bytes;
        return disk;
    }

    // At `at`, one more row in each list, as the pages hold them; `day` makes the rows differ.
    void AddRows(int64_t at, int day) {
        os.At(at, [this, day] {
            // The reminder list keeps its rows sorted: the new row's index is the one it was given.
            kp::IListView& reminders = os.Sheet()->Page(1)->ListView(IDC_REMINDER_LIST);
            const int reminder = reminders.InsertItem(0, kp::Format("06月%02d日09点05分", day));
            reminders.SetItemText(reminder, 1, "开会");
            reminders.SetItemData(reminder, (6u << 24) | (static_cast<uint32_t>(day) << 16) | (9u << 8) | 5u);
            kp::IListView& users = os.Sheet()->Page(2)->ListView(IDC_USER_LIST);
            const int user = users.InsertItem(0, kp::Format("user%d", day));
            users.SetItemText(user, 1, "1小时");
            users.SetItemText(user, 2, "5分钟");
            users.SetItemData(user, 1);
            os.Sheet()->Page(3)->ListBox(IDC_PLAYLIST).AddString(kp::Format("D:\\music\\%d.mp3", day));
        });
    }

    // The tray menu's "退出", or the exit that the usage enforcement asks for before its shutdown.
    void Exit(int64_t at, ExitBy by) {
        if (by == ExitBy::TrayMenu) {
            os.ChooseMenuItem(ID_TRAY_EXIT, 10);
            os.At(at, [this] { os.PostTray(kp::WM_RBUTTONDOWN); });
        } else {
            os.At(at, [] { kp::TheOs().ui->SendToMain(kestor::WM_SAVE_AND_QUIT, 0, 0); });
        }
    }

    void Run() { kestor::RunKestor(); }
};

// The armed timers of the sheet and of each page window that exists, for comparing two moments.
std::map<int, std::vector<unsigned>> ArmedTimers(const SimOs& os) {
    std::map<int, std::vector<unsigned>> timers{{-1, os.Sheet()->Timers()}};
    for (int page = 0; page < os.Sheet()->PageCount(); ++page)
        if (const SimWindow* w = os.Sheet()->Page(page)) timers[page] = w->Timers();
    return timers;
}

// The message names exactly these lists.
::testing::AssertionResult NamesLists(const std::string& text, const std::set<std::string>& files) {
    for (const auto& [file, list] : kListNames) {
        // "播放列表" is not part of another name, nor "提醒列表"; "用户时间控制列表" holds neither.
        const bool named = text.find(list) != std::string::npos;
        if (named != (files.count(file) != 0))
            return ::testing::AssertionFailure()
                   << (named ? "names " : "does not name ") << U8(list) << ": \"" << U8(text) << "\"";
    }
    return ::testing::AssertionSuccess();
}

TEST(SaveFaults, EveryStepOfTheExitCanFailAndEachListIsThenItsOldOrItsNewFileWhole) {
    Disk old, saved;
    {
        Session first(Disk{});
        first.AddRows(1500, 1);
        first.Exit(2000, ExitBy::TrayMenu);
        first.Run();
        old = first.Files();
    }
    std::vector<std::string> stepFile;  // the file each step of a clean exit works on
    {
        Session clean(old);
        clean.AddRows(1500, 2);
        clean.Exit(2000, ExitBy::TrayMenu);
        clean.Run();
        saved = clean.Files();
        ASSERT_EQ(15, clean.os.Files().StepsTaken()) << "five steps for each of the three files";
        for (const auto& [step, path] : clean.os.Files().StepLog()) stepFile.push_back(path.substr(path.rfind('\\') + 1));
    }
    for (const std::string& name : kFiles) {
        ASSERT_TRUE(old.count(name) && saved.count(name)) << name;
        ASSERT_FALSE(old[name].empty()) << name;
        ASSERT_NE(old[name], saved[name]) << name;
    }

    for (ExitBy by : {ExitBy::TrayMenu, ExitBy::Shutdown}) {
        for (int n = 1; n <= static_cast<int>(stepFile.size()); ++n) {
            SCOPED_TRACE(::testing::Message() << (by == ExitBy::TrayMenu ? "tray exit" : "exit before shutdown")
                                              << ", step " << n << " of " << stepFile[n - 1] << " fails");
            Session s(old);
            s.AddRows(1500, 2);
            s.os.Files().FailNthStep(n);
            s.Exit(2000, by);
            Disk atFault;
            std::optional<uint32_t> exitTick;
            if (by == ExitBy::TrayMenu) {
                s.os.AnswerMessageBox(kp::IDOK);
                s.os.At(2500, [&] {
                    atFault = s.Files();
                    exitTick = s.os.Reg().GetDword(Hive::CurrentUser, kProfile, "Options_e1");
                    EXPECT_FALSE(s.os.QuitCode().has_value());
                    EXPECT_EQ(1u, s.os.TrayIcons().size());
                });
                s.Exit(3000, ExitBy::TrayMenu);  // the fault has passed: this one saves everything
            }
            s.Run();
            if (by == ExitBy::Shutdown) {
                atFault = s.Files();
                exitTick = s.os.Reg().GetDword(Hive::CurrentUser, kProfile, "Options_e1");
            }
            // The list whose step failed keeps its old file; every other list is saved.
            for (const std::string& name : kFiles)
                EXPECT_EQ(name == stepFile[n - 1] ? old[name] : saved[name], atFault[name]) << name;
            EXPECT_EQ(stepFile[n - 1] != "ControlSet.ini", exitTick.has_value()) << "exit tick with ControlSet.ini";
            EXPECT_EQ(18, s.os.QuitCode().value_or(-1));
            if (by == ExitBy::TrayMenu) {
                ASSERT_EQ(1u, s.os.MessageBoxes().size());
                EXPECT_TRUE(NamesLists(s.os.MessageBoxes()[0].text, {stepFile[n - 1]}));
                EXPECT_EQ(saved, s.Files());
            } else {
                EXPECT_TRUE(s.os.MessageBoxes().empty());
            }
        }
    }
}

// Start 09:00 with one reminder due at 09:02 on disk; the tray exit at 09:01 cannot write anything.
TEST(SaveFaults, ReadOnlyFolderKeepsTheProgramRunningWithItsTimersUntilTheFolderCanBeWritten) {
    const std::string reminders = Header(1) + Record((5u << 24) | (5u << 16) | (9u << 8) | 2u, "05月05日09点02分", "交报告");
    Session s(Disk{{"TimeSet.ini", reminders}});
    s.os.SetLocalTime(At(2026, 5, 5, 9, 0));
    s.os.Files().SetReadOnlyFolder(kDir);
    std::map<int, std::vector<unsigned>> before;
    s.os.At(59000, [&] { before = ArmedTimers(s.os); });
    s.AddRows(59500, 7);
    s.Exit(60000, ExitBy::TrayMenu);
    s.os.AnswerMessageBox(kp::IDOK, 5000);
    s.os.At(66000, [&] {
        EXPECT_FALSE(s.os.QuitCode().has_value());
        EXPECT_EQ(before, ArmedTimers(s.os)) << "every timer still armed";
        EXPECT_EQ(1u, s.os.TrayIcons().size());
        EXPECT_EQ((Disk{{"TimeSet.ini", reminders}}), s.Files());
        EXPECT_TRUE(s.os.Files().Writes().empty());
    });
    s.os.AnswerMessageBox(kp::IDOK);  // the reminder, at its minute
    s.os.At(130000, [&] { s.os.Files().SetReadOnlyFolder(kDir, false); });
    s.Exit(140000, ExitBy::TrayMenu);
    s.Run();

    ASSERT_EQ(2u, s.os.MessageBoxes().size());
    EXPECT_TRUE(NamesLists(s.os.MessageBoxes()[0].text, {"TimeSet.ini", "ControlSet.ini", "Playlist.m3u"}));
    EXPECT_NE(std::string::npos, s.os.MessageBoxes()[0].text.find(kDir)) << "names the folder";
    EXPECT_EQ("交报告", s.os.MessageBoxes()[1].text);
    EXPECT_EQ(120000, s.os.MessageBoxes()[1].at) << "the reminder came at its minute";
    EXPECT_EQ(18, s.os.QuitCode().value_or(-1));
    const Disk written = s.Files();
    EXPECT_EQ(3u, written.size());
    EXPECT_NE(std::string::npos, written.at("ControlSet.ini").find("user7"));
    EXPECT_NE(std::string::npos, written.at("Playlist.m3u").find("D:\\music\\7.mp3"));
}

TEST(SaveFaults, FullDiskNamesOnlyTheListsThatDidNotFitAndTheNextExitSavesThem) {
    Session s(Disk{{"TimeSet.ini", "old reminders"}, {"ControlSet.ini", "old users"}});
    s.os.At(1500, [&] {
        kp::IListView& users = s.os.Sheet()->Page(2)->ListView(IDC_USER_LIST);
        users.SetItemText(users.InsertItem(0, "ann"), 1, "2小时");
        kp::IListView& reminders = s.os.Sheet()->Page(1)->ListView(IDC_REMINDER_LIST);
        reminders.SetItemData(reminders.InsertItem(0, "06月01日09点05分"), (6u << 24) | (1u << 16) | (9u << 8) | 5u);
        s.os.Files().SetFreeSpace(0);  // room for the empty playlist only
    });
    s.Exit(2000, ExitBy::TrayMenu);
    s.os.AnswerMessageBox(kp::IDOK);
    s.os.At(3000, [&] {
        EXPECT_EQ((Disk{{"TimeSet.ini", "old reminders"}, {"ControlSet.ini", "old users"}, {"Playlist.m3u", ""}}),
                  s.Files());
        EXPECT_FALSE(s.os.Reg().GetDword(Hive::CurrentUser, kProfile, "Options_e1").has_value());
        s.os.Files().SetFreeSpace(SIZE_MAX);
    });
    s.Exit(4000, ExitBy::TrayMenu);
    s.Run();
    ASSERT_EQ(1u, s.os.MessageBoxes().size());
    EXPECT_TRUE(NamesLists(s.os.MessageBoxes()[0].text, {"TimeSet.ini", "ControlSet.ini"}));
    EXPECT_EQ(kp::MB_OK, s.os.MessageBoxes()[0].type & 0xF);
    EXPECT_NE(std::string::npos, s.Files().at("ControlSet.ini").find("ann"));
    EXPECT_NE(std::string::npos, s.Files().at("TimeSet.ini").find("06月01日09点05分"));
    EXPECT_TRUE(s.os.Reg().GetDword(Hive::CurrentUser, kProfile, "Options_e1").has_value());
    EXPECT_EQ(18, s.os.QuitCode().value_or(-1));
}

TEST(SaveFaults, BeforeTheShutdownNothingIsAskedWhatCanBeWrittenIsAndTheProgramQuits) {
    Session s(Disk{{"TimeSet.ini", "old reminders"}});
    s.os.Files().FailWrites(Path("TimeSet.ini"));
    s.AddRows(1500, 3);
    s.Exit(2000, ExitBy::Shutdown);
    s.Run();
    EXPECT_TRUE(s.os.MessageBoxes().empty());
    EXPECT_EQ(18, s.os.QuitCode().value_or(-1));
    EXPECT_TRUE(s.os.TrayIcons().empty());
    const Disk disk = s.Files();
    EXPECT_EQ("old reminders", disk.at("TimeSet.ini"));
    EXPECT_NE(std::string::npos, disk.at("ControlSet.ini").find("user3"));
    EXPECT_NE(std::string::npos, disk.at("Playlist.m3u").find("3.mp3"));
    EXPECT_TRUE(s.os.Reg().GetDword(Hive::CurrentUser, kProfile, "Options_e1").has_value());
}

}  // namespace
