// Whole stories of the main window over the simulated platform: start-up, the registry it leaves,
// hiding into the tray and showing again, the tray commands and the save-all exit.
#include <gtest/gtest.h>

#include "SimTestUtil.h"
#include "app/Messages.h"
#include "app/PasswordDigest.h"
#include "app/TovrelApp.h"
#include "app/TovrelDlg.h"
#include "platform/Gbk.h"
#include "platform/sim/SimOs.h"
#include "resource.h"

using kp::Hive;
using kp::sim::SimOs;
using kp::sim::SimWindow;

namespace {

using kp::sim::test::kProfile;
using kp::sim::test::kMachine;
using kp::sim::test::kRun;
const char* const kRunFailed = "设置自动运行程序失败,如果您需要本程序在系统启动时自动运行，请在程序中设置.";

class MainWindow : public ::testing::Test {
protected:
    SimOs os;

    void SetUp() override { os.System().SetCurrentDirectory("D:\\tools"); }

    // Runs the program until it quits or the script ends.
    void Run() { kestor::RunKestor(); }

    // Chooses a tray menu command the way the user does: right button on the icon, then the item.
    void TrayCommand(int64_t at, int command) {
        os.ChooseMenuItem(command, 200);
        os.At(at, [this] { os.PostTray(kp::WM_RBUTTONDOWN); });
    }

    kestor::CTovrelDlg& Sheet() { return *static_cast<kestor::CTovrelDlg*>(os.Sheet()->Object()); }

    std::optional<uint32_t> Profile(const char* name) { return os.Reg().GetDword(Hive::CurrentUser, kProfile, name); }
    std::optional<uint32_t> Machine(const char* name) {
        return os.Reg().GetDword(Hive::LocalMachine, kMachine, name);
    }
};

TEST_F(MainWindow, FirstStartShowsFivePagesHidesIntoTheTrayAndRegistersItself) {
    os.At(500, [this] {
        SimWindow* sheet = os.Sheet();
        ASSERT_NE(nullptr, sheet);
        EXPECT_TRUE(sheet->IsVisible());
        EXPECT_TRUE(sheet->IsTopmost());
        EXPECT_EQ("Kestor", sheet->Caption());
        EXPECT_EQ("退出", sheet->GetText(kp::IDCANCEL));
        EXPECT_EQ(IDI_MAIN, sheet->Icon());
        ASSERT_EQ(5, sheet->PageCount());
        const char* captions[] = {"系统信息", "自动执行", "Kestor", "自动播放", "进程管理"};
        for (int i = 0; i < 4; ++i) {
            ASSERT_NE(nullptr, sheet->Page(i)) << i;
            EXPECT_EQ(captions[i], sheet->Page(i)->Caption()) << i;
        }
        EXPECT_EQ(nullptr, sheet->Page(4)) << "the process page is created only when first opened";
        EXPECT_EQ(0, sheet->GetActivePage());
        ASSERT_EQ(1u, sheet->SystemMenuItems().size());
        EXPECT_EQ(IDM_ABOUTBOX, sheet->SystemMenuItems()[0].first);
        EXPECT_EQ("关于 Tovrel(&A)...", sheet->SystemMenuItems()[0].second);
        EXPECT_EQ(1, sheet->Page(1)->GetCheck(IDC_AUTORUN));
        EXPECT_TRUE(os.TrayIcons().empty());
        EXPECT_EQ(1000u, sheet->TimerPeriod(kestor::CTovrelDlg::kAutoHideTimer).value_or(0));
    });
    os.At(1001, [this] {
        EXPECT_FALSE(os.Sheet()->IsVisible());
        ASSERT_EQ(1u, os.TrayIcons().size());
        EXPECT_EQ(101u, os.TrayIcons()[0].id);
        EXPECT_EQ(IDI_TRAY, os.TrayIcons()[0].icon);
        EXPECT_EQ("Kestor", os.TrayIcons()[0].tip);
        EXPECT_EQ(kestor::WM_TRAY_NOTIFY, os.TrayIcons()[0].callbackMessage);
        EXPECT_FALSE(os.Sheet()->TimerPeriod(kestor::CTovrelDlg::kAutoHideTimer).has_value());
    });
    TrayCommand(2000, ID_TRAY_EXIT);
    Run();

    EXPECT_EQ(18, os.QuitCode().value_or(-1));
    EXPECT_EQ(1u, Profile("Options").value_or(99));
    EXPECT_EQ(1u, Profile("Options_d1").value_or(99));
    EXPECT_EQ("D:\\tools\\Kestor.exe", os.Reg().GetString(Hive::LocalMachine, kRun, "Kestor").value_or("-"));
    EXPECT_EQ(kestor::PasswordDigest("MoonGate"), os.Reg().GetString(Hive::LocalMachine, kMachine, "Options_h1"));
    EXPECT_EQ(1u, Machine("Options_h2").value_or(99));
    EXPECT_EQ("MoonGate", os.Reg().GetString(Hive::CurrentUser, kProfile, "Options_h1").value_or("-"));
    EXPECT_EQ(1u, Profile("Options_h2").value_or(99));
    EXPECT_EQ("MoonGate", os.Reg().GetString(Hive::CurrentUser, kProfile, "Options_f1").value_or("-"));
    EXPECT_EQ(1u, Profile("Options_f2").value_or(99));
    EXPECT_TRUE(os.MessageBoxes().empty());
}

TEST_F(MainWindow, LaterStartsMarkTheRunAndFollowTheStoredAutoRunSetting) {
    os.Reg().SetDword(Hive::CurrentUser, kProfile, "Options", 1);
    os.Reg().SetDword(Hive::CurrentUser, kProfile, "Options_d1", 0);
    os.Reg().SetString(Hive::LocalMachine, kRun, "Kestor", "C:\\old\\Kestor.exe");
    os.At(100, [this] { EXPECT_EQ(0, os.Sheet()->Page(1)->GetCheck(IDC_AUTORUN)); });
    Run();
    EXPECT_EQ(0u, Profile("Options").value_or(99));
    EXPECT_EQ(0u, Profile("Options_d1").value_or(99));
    EXPECT_FALSE(os.Reg().GetString(Hive::LocalMachine, kRun, "Kestor").has_value());
}

TEST_F(MainWindow, DefaultUnlockPasswordComesBackUntilTheUserHasSetOne) {
    // State 5 is not "set by the user": the default digest is written and the state read is kept.
    os.Reg().SetDword(Hive::LocalMachine, kMachine, "Options_h2", 5);
    os.Reg().SetString(Hive::LocalMachine, kMachine, "Options_h1", "999");
    Run();
    EXPECT_EQ(kestor::PasswordDigest("MoonGate"), os.Reg().GetString(Hive::LocalMachine, kMachine, "Options_h1"));
    EXPECT_EQ(5u, Machine("Options_h2").value_or(99));

    SimOs again;
    again.Reg().SetDword(Hive::LocalMachine, kMachine, "Options_h2", 2);
    again.Reg().SetString(Hive::LocalMachine, kMachine, "Options_h1", "999");
    kestor::RunKestor();
    EXPECT_EQ("999", again.Reg().GetString(Hive::LocalMachine, kMachine, "Options_h1").value_or("-"));
    EXPECT_FALSE(again.Reg().GetString(Hive::CurrentUser, kProfile, "Options_h1").has_value());

    // An account that may write the key's values but lacks full rights on it cannot open it as the rule
    // asks, nor create it: the password the user set stays.
    SimOs limited;
    limited.Reg().SetDword(Hive::LocalMachine, kMachine, "Options_h2", 2);
    limited.Reg().SetString(Hive::LocalMachine, kMachine, "Options_h1", "999");
    limited.Reg().DenyFull(Hive::LocalMachine, kMachine);
    kestor::RunKestor();
    EXPECT_EQ("999", limited.Reg().GetString(Hive::LocalMachine, kMachine, "Options_h1").value_or("-"));
    EXPECT_EQ(2u, limited.Reg().GetDword(Hive::LocalMachine, kMachine, "Options_h2").value_or(0));
}

TEST_F(MainWindow, UserWhoMayNotWriteTheMachineKeyStaysUnrestrictedAndIsToldTheRunKeyFailed) {
    os.Reg().SetDword(Hive::LocalMachine, kMachine, "Options_g3", 1);
    os.Reg().SetString(Hive::LocalMachine, kMachine, "Options_g1", "boss");
    os.Reg().DenyWrite(Hive::LocalMachine, "SOFTWARE");
    os.AnswerMessageBox(kp::IDOK);
    os.AnswerMessageBox(kp::IDOK);
    os.At(999, [this] { EXPECT_TRUE(os.Sheet()->IsVisible()) << "the hide option was not readable"; });
    os.At(1001, [this] { EXPECT_FALSE(os.Sheet()->IsVisible()); EXPECT_EQ(1u, os.TrayIcons().size()); });
    Run();
    ASSERT_EQ(2u, os.MessageBoxes().size()) << "first start: once in the first-run branch, once after";
    EXPECT_EQ(kRunFailed, os.MessageBoxes()[0].text);
    EXPECT_EQ(kRunFailed, os.MessageBoxes()[1].text);
    EXPECT_FALSE(os.Reg().GetString(Hive::LocalMachine, kMachine, "Options_h1").has_value());
    EXPECT_EQ(1u, Profile("Options_d1").value_or(99)) << "the setting stays on";
}

TEST_F(MainWindow, MissingMachineKeyIsCreatedWithTheDefaultPassword) {
    ASSERT_FALSE(os.Reg().HasKey(Hive::LocalMachine, kMachine));
    Run();
    EXPECT_TRUE(os.Reg().HasKey(Hive::LocalMachine, kMachine));
    EXPECT_EQ(1u, Machine("Options_h2").value_or(99));
    EXPECT_EQ(0, os.Reg().OpenHandles());
}

struct Restriction {
    const char* admin;
    const char* user;
    uint32_t hideAtStart;
    uint32_t noTrayIcon;
    bool unrestricted;
    bool trayIcon;
};

class MainWindowRestriction : public MainWindow, public ::testing::WithParamInterface<Restriction> {};

TEST_P(MainWindowRestriction, HideOptionsApplyOnlyToOtherUsers) {
    const Restriction& r = GetParam();
    os.Reg().SetString(Hive::LocalMachine, kMachine, "Options_g1", r.admin);
    os.Reg().SetDword(Hive::LocalMachine, kMachine, "Options_g3", r.hideAtStart);
    os.Reg().SetDword(Hive::LocalMachine, kMachine, "Options_g2", r.noTrayIcon);
    os.System().SetUserName(std::string(r.user));
    os.At(100, [&] {
        EXPECT_EQ(r.unrestricted, os.Sheet()->IsVisible());
        EXPECT_EQ(!r.unrestricted && r.trayIcon, !os.TrayIcons().empty()) << "an unrestricted user sees the window first";
        EXPECT_EQ(r.admin, os.Sheet()->Page(2)->GetText(IDC_MACHINE_ADMIN));
        EXPECT_EQ(r.unrestricted, Sheet().m_bUnrestricted);
    });
    os.KeepRunningUntil(2000);
    Run();
    EXPECT_FALSE(os.Sheet()->IsVisible());
    EXPECT_EQ(r.trayIcon, !os.TrayIcons().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Configurations, MainWindowRestriction,
    ::testing::Values(Restriction{"Admin", "tom", 1, 1, false, false},   // hidden at once, no icon
                      Restriction{"Admin", "tom", 1, 0, false, true},    // hidden at once, icon
                      Restriction{"Admin", "admin", 1, 1, false, false}, // names differ in case only
                      Restriction{"Admin", "Admin", 1, 1, true, true},   // the administrator himself
                      Restriction{"Admin", "tom", 0, 1, true, true}));   // icon option alone hides nothing

TEST_F(MainWindow, ShownFromTheTrayHidesAfterTwentySecondsOrThirtyAfterActivity) {
    os.At(2000, [this] { os.PostTray(kp::WM_LBUTTONDBLCLK); });
    os.At(2001, [this] {
        EXPECT_TRUE(os.Sheet()->IsVisible());
        EXPECT_EQ(20000u, os.Sheet()->TimerPeriod(kestor::CTovrelDlg::kAutoHideTimer).value_or(0));
    });
    os.At(21999, [this] { EXPECT_TRUE(os.Sheet()->IsVisible()); });
    os.At(22001, [this] { EXPECT_FALSE(os.Sheet()->IsVisible()); });
    // Shown again at 30 s; a click on a page's background at 45 s postpones hiding to 75 s.
    os.At(30000, [this] { os.PostTray(kp::WM_LBUTTONDBLCLK); });
    os.At(45000, [this] { os.Sheet()->Page(0)->LButtonDown(); });
    os.At(50001, [this] { EXPECT_TRUE(os.Sheet()->IsVisible()); });
    os.At(74999, [this] { EXPECT_TRUE(os.Sheet()->IsVisible()); });
    os.At(75001, [this] { EXPECT_FALSE(os.Sheet()->IsVisible()); });
    Run();
}

TEST_F(MainWindow, RestrictedUserCannotPostponeHiding) {
    os.Reg().SetDword(Hive::LocalMachine, kMachine, "Options_g3", 1);
    os.Reg().SetString(Hive::LocalMachine, kMachine, "Options_g1", "boss");
    os.At(1000, [this] { os.PostTray(kp::WM_LBUTTONDBLCLK); });
    os.At(15000, [this] {
        os.Sheet()->Page(0)->LButtonDown();
        os.Sheet()->LButtonDown();
        os.Sheet()->SelectTab(2);
    });
    os.At(20999, [this] { EXPECT_TRUE(os.Sheet()->IsVisible()); });
    os.At(21001, [this] { EXPECT_FALSE(os.Sheet()->IsVisible()); });
    Run();
}

TEST_F(MainWindow, EscapeAsksBeforeQuittingAndNoKeepsEverything) {
    os.At(300, [this] { os.Sheet()->Escape(); });
    os.AnswerMessageBox(kp::IDNO);
    os.At(400, [this] {
        ASSERT_EQ(1u, os.MessageBoxes().size());
        EXPECT_EQ("你真的要关闭本程序吗?", os.MessageBoxes()[0].text);
        EXPECT_EQ(kp::MB_YESNO, os.MessageBoxes()[0].type & 0xF);
        EXPECT_FALSE(os.QuitCode().has_value());
        EXPECT_TRUE(os.Files().Writes().empty());
        EXPECT_TRUE(os.Sheet()->IsVisible());
    });
    os.At(500, [this] { os.Sheet()->Escape(); });
    os.AnswerMessageBox(kp::IDYES);
    Run();
    EXPECT_EQ(18, os.QuitCode().value_or(-1));
    EXPECT_EQ(3u, os.Files().Writes().size());
}

TEST_F(MainWindow, SaveAllWritesTheThreeListsInOrderAndRemovesTheTrayIcon) {
    os.SetTickCount(123456);
    os.At(1500, [this] {
        // A reminder row, a user row and two playlist entries, as their pages would hold them.
        kp::IListView& reminders = os.Sheet()->Page(1)->ListView(IDC_REMINDER_LIST);
        reminders.InsertItem(0, "05月20日09点05分");
        reminders.SetItemText(0, 1, "开会");
        reminders.SetItemData(0, (5u << 24) | (20u << 16) | (9u << 8) | 10u);  // minute 10 = 0x0A
        kp::IListView& users = os.Sheet()->Page(2)->ListView(IDC_USER_LIST);
        users.InsertItem(0, "tom");
        users.SetItemText(0, 1, "1小时");
        users.SetItemText(0, 2, "5分钟");
        users.SetItemData(0, 1);
        kp::IListBox& songs = os.Sheet()->Page(3)->ListBox(IDC_PLAYLIST);
        songs.AddString("D:\\music\\b.mp3");
        songs.AddString("D:\\music\\A.mp3");
    });
    TrayCommand(2000, ID_TRAY_EXIT);
    Run();

    const std::vector<std::string> order = {"D:\\tools\\TimeSet.ini", "D:\\tools\\ControlSet.ini",
                                            "D:\\tools\\Playlist.m3u"};
    EXPECT_EQ(order, os.Files().Writes());
    EXPECT_EQ(std::string("[ItemCount]\r\n\x01\0\0\0D\r\n[ItemData]\r\n"
                          "\x0D\x0A\x09\x14\x05"
                          "D\r\n05月20日09点05分\r\n开会\r\n",
                          sizeof("[ItemCount]\r\n\x01\0\0\0D\r\n[ItemData]\r\n\x0D\x0A\x09\x14\x05"
                                 "D\r\n05月20日09点05分\r\n开会\r\n") - 1),
              os.Files().Get("D:\\tools\\TimeSet.ini").value_or("-"));
    EXPECT_EQ(std::string("[ItemCount]\r\n\x01\0\0\0D\r\n[ItemData]\r\nD\r\ntom\r\nD\r\n1小时\r\nD\r\n5分钟\r\nD\r\n\r\n"
                          "\x01\0\0\0",
                          sizeof("[ItemCount]\r\n\x01\0\0\0D\r\n[ItemData]\r\nD\r\ntom\r\nD\r\n1小时\r\nD\r\n5分钟\r\nD\r\n\r\n"
                                 "\x01\0\0\0") - 1),
              os.Files().Get("D:\\tools\\ControlSet.ini").value_or("-"));
    EXPECT_EQ("D:\\music\\A.mp3\r\nD:\\music\\b.mp3\r\n", os.Files().Get("D:\\tools\\Playlist.m3u").value_or("-"));
    EXPECT_TRUE(os.TrayIcons().empty());
    EXPECT_EQ(18, os.QuitCode().value_or(-1));
}

TEST_F(MainWindow, EmptyListsLeaveEmptyFilesAndTheExitTickCount) {
    os.SetTickCount(5000);
    TrayCommand(3000, ID_TRAY_EXIT);
    Run();
    for (const char* name : {"TimeSet.ini", "ControlSet.ini", "Playlist.m3u"})
        EXPECT_EQ("", os.Files().Get(std::string("D:\\tools\\") + name).value_or("-")) << name;
    EXPECT_EQ(5000u + 3200u, Profile("Options_e1").value_or(0));
}

// A list file larger than the program reads is read in part, the user is told, and the file is left as
// it is at exit; so is one that cannot be read. The rows never seen are not written over.
TEST_F(MainWindow, ListFilesNotReadWholeAreKeptAtExit) {
    std::string reminders = std::string("[ItemCount]\r\n\x40\x9C\0\0D\r\n[ItemData]\r\n", 27);
    const std::string message(4000, 'x');
    for (int i = 0; i < 1100; ++i)
        reminders += std::string("\x3B\x17\x1F\x0C", 4) + "D\r\n12月31日23点59分\r\n" + message + "\r\n";
    const std::string song = std::string(4000, 's') + ".mp3\r\n";
    std::string songs;
    for (int i = 0; songs.size() <= (16u << 20); ++i) songs += kp::Format("D:\\%05d", i) + song;
    os.Files().Put("D:\\tools\\TimeSet.ini", reminders);
    os.Files().Put("D:\\tools\\ControlSet.ini", "[ItemCount]\r\n");
    os.Files().FailReads("D:\\tools\\ControlSet.ini");
    os.Files().Put("D:\\tools\\Playlist.m3u", songs);
    os.SetTickCount(5000);
    os.AnswerMessageBox(kp::IDOK);
    os.AnswerMessageBox(kp::IDOK);
    os.At(1500, [this, song] {
        const size_t record = 4 + 3 + 18 + 4002;
        EXPECT_EQ(((4u << 20) - 27) / record, os.Sheet()->Page(1)->ListViewOf(IDC_REMINDER_LIST).Rows().size());
        const auto playlist = os.Sheet()->Page(3)->ListBoxOf(IDC_PLAYLIST).Items();
        EXPECT_EQ((16u << 20) / (song.size() + 8), playlist.size());
        EXPECT_EQ(song.substr(0, song.size() - 2), playlist.back().substr(8)) << "whole lines only";
    });
    TrayCommand(3000, ID_TRAY_EXIT);
    Run();
    ASSERT_EQ(2u, os.MessageBoxes().size());
    EXPECT_NE(std::string::npos, os.MessageBoxes()[0].text.find("列表文件 TimeSet.ini 超过 4 MB"));
    EXPECT_NE(std::string::npos, os.MessageBoxes()[1].text.find("列表文件 Playlist.m3u 超过 16 MB"));
    EXPECT_TRUE(os.Files().Writes().empty());
    EXPECT_EQ(reminders, os.Files().Get("D:\\tools\\TimeSet.ini"));
    EXPECT_EQ(songs, os.Files().Get("D:\\tools\\Playlist.m3u"));
    EXPECT_EQ(5000u + 3200u, Profile("Options_e1").value_or(0));
    EXPECT_EQ(18, os.QuitCode().value_or(-1));
}

TEST_F(MainWindow, ShutdownAndRestartFromTheTraySaveNothing) {
    TrayCommand(2000, ID_TRAY_SHUTDOWN);
    TrayCommand(3000, ID_TRAY_RESTART);
    Run();
    EXPECT_EQ((std::vector<unsigned>{kp::EWX_SHUTDOWN, kp::EWX_REBOOT}), os.Power().Calls());
    EXPECT_TRUE(os.Files().Writes().empty());
    EXPECT_FALSE(os.QuitCode().has_value());
}

TEST_F(MainWindow, AutoRunFromTheTrayTurnsTheSettingOnAndSaysSo) {
    os.Reg().SetDword(Hive::CurrentUser, kProfile, "Options", 0);
    os.Reg().SetDword(Hive::CurrentUser, kProfile, "Options_d1", 0);
    TrayCommand(2000, ID_TRAY_AUTORUN);
    os.AnswerMessageBox(kp::IDOK);
    os.At(3000, [this] { EXPECT_EQ(1, os.Sheet()->Page(1)->GetCheck(IDC_AUTORUN)); });
    Run();
    ASSERT_EQ(1u, os.MessageBoxes().size());
    EXPECT_EQ("已设置本程序在系统启动时自动运行", os.MessageBoxes()[0].text);
    EXPECT_EQ(1u, Profile("Options_d1").value_or(99));
    EXPECT_EQ("D:\\tools\\Kestor.exe", os.Reg().GetString(Hive::LocalMachine, kRun, "Kestor").value_or("-"));
}

TEST_F(MainWindow, AChangedSchedulerSettingIsAppliedBeforeTheListsAreSaved) {
    os.At(2000, [this] { os.PostTray(kp::WM_LBUTTONDBLCLK); });
    os.At(2100, [this] {
        os.Sheet()->SelectTab(1);
        os.Sheet()->Page(1)->Click(IDC_AUTORUN);
    });
    os.At(2200, [this] {
        EXPECT_TRUE(os.Sheet()->PageModified(1));
        EXPECT_EQ(1u, Profile("Options_d1").value_or(99)) << "nothing changes before the apply";
    });
    TrayCommand(2300, ID_TRAY_EXIT);
    Run();
    EXPECT_EQ(0u, Profile("Options_d1").value_or(99));
    EXPECT_FALSE(os.Reg().GetString(Hive::LocalMachine, kRun, "Kestor").has_value());
}

TEST_F(MainWindow, HidingAppliesAChangedSchedulerSettingAndClearsTheModifiedMark) {
    os.At(300, [this] {
        os.Sheet()->SelectTab(1);  // a page shown counts as activity: hiding moves to 30 s from now
        os.Sheet()->Page(1)->Click(IDC_AUTORUN);
    });
    os.At(30299, [this] { EXPECT_TRUE(os.Sheet()->IsVisible()); });
    os.At(30301, [this] {
        EXPECT_FALSE(os.Sheet()->IsVisible());
        EXPECT_FALSE(os.Sheet()->PageModified(1));
        EXPECT_EQ(0u, Profile("Options_d1").value_or(99));
    });
    Run();
}

TEST_F(MainWindow, SecondCopySaysSoAndTouchesNothing) {
    os.System().MarkMutexExisting("1");
    os.AnswerMessageBox(kp::IDOK);
    Run();
    ASSERT_EQ(1u, os.MessageBoxes().size());
    EXPECT_EQ("应用程序已经在运行", os.MessageBoxes()[0].text);
    EXPECT_EQ(nullptr, os.Sheet());
    EXPECT_FALSE(os.Reg().HasKey(Hive::CurrentUser, "Software\\Kestor"));
}

TEST_F(MainWindow, InformationClockRunsOnlyWhileShown) {
    os.At(500, [this] {
        EXPECT_EQ(1000u, os.Sheet()->Page(0)->TimerPeriod(kestor::CSystemInfo::kClockTimer).value_or(0));
    });
    os.At(1500, [this] {
        EXPECT_FALSE(os.Sheet()->Page(0)->TimerPeriod(kestor::CSystemInfo::kClockTimer).has_value());
        os.PostTray(kp::WM_LBUTTONDBLCLK);
    });
    os.At(1600, [this] {
        EXPECT_EQ(1000u, os.Sheet()->Page(0)->TimerPeriod(kestor::CSystemInfo::kClockTimer).value_or(0));
    });
    Run();
}

TEST_F(MainWindow, ProcessListRestsWhileHiddenAndIsRightAtOnceWhenShown) {
    const auto refresh = [this] {
        return os.Sheet()->Page(4)->TimerPeriod(kestor::CProcessManager::kRefreshTimer);
    };
    const auto firstName = [this] {
        return os.Sheet()->Page(4)->ListViewOf(IDC_PROCESS_LIST).Rows().at(0).texts.at(0);
    };
    int counts = 0;
    os.At(500, [this] { os.Sheet()->SelectTab(4); });  // activity: the sheet hides 30 s later
    os.At(2000, [&] { EXPECT_EQ(1000u, refresh().value_or(0)); });
    os.At(31000, [&] {
        EXPECT_FALSE(os.Sheet()->IsVisible());
        EXPECT_FALSE(refresh().has_value());
        counts = os.Processes().Counts();
        os.Processes().Add("notepad.exe");
    });
    os.At(40000, [&] {
        EXPECT_EQ(counts, os.Processes().Counts()) << "no counting while hidden";
        EXPECT_NE("notepad.exe", firstName());
        os.PostTray(kp::WM_LBUTTONDBLCLK);
    });
    os.At(40001, [&] {
        EXPECT_EQ("notepad.exe", firstName()) << "checked as it was shown";
        EXPECT_EQ(1000u, refresh().value_or(0));
    });
    Run();
}

TEST(NameLookup, UserNameIsLowerCasedAndUnknownSelectorsSayError) {
    SimOs os;
    os.System().SetUserName(std::string("Tom"));
    os.System().SetComputerName(std::string("DESK-01"));
    EXPECT_EQ("tom", kestor::LookUpName(2));
    EXPECT_EQ("DESK-01", kestor::LookUpName(1));
    EXPECT_EQ("Error", kestor::LookUpName(3));
}

}  // namespace

namespace {

TEST_F(MainWindow, InformationPageLinkOpensTheAboutBox) {
    int opened = 0;
    os.OnModal(IDD_ABOUTBOX, [&](SimWindow& about) {
        ++opened;
        about.Click(kp::IDOK);
    }, 600);
    os.At(300, [this] {
        EXPECT_TRUE(os.Sheet()->Page(0)->Control(IDC_ABOUT_LINK).link);
        os.Sheet()->Page(0)->Click(IDC_ABOUT_LINK);
    });
    os.KeepRunningUntil(2000);
    Run();
    EXPECT_EQ(1, opened);
}

}  // namespace

