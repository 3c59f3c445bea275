// The simulated platform's own contract: timer order, modal loops over one queue, scripted waits that
// fail at once, the quit message, clock arithmetic, the registry's buffer rule, and the user actions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "SimTestUtil.h"
#include "platform/Os.h"
#include "platform/SysTimeMath.h"
#include "platform/Wnd.h"
#include "platform/sim/SimOs.h"
#include "resource.h"

namespace {

using kp::sim::SimError;
using kp::sim::SimOs;
using kp::sim::SimWindow;
using kp::sim::UnscriptedWait;
using kp::sim::test::GbkEq;
using kp::sim::test::MessageBoxTexts;
using kp::sim::test::Throws;

// Template ids no resource script has: their controls appear as they are used.
constexpr int kProbe = 9001;
constexpr int kOther = 9002;

using Log = std::vector<std::string>;

// A dialog that writes what happens to it into a log, with the virtual time.
class Probe : public kp::Dialog {
public:
    Probe(SimOs& os, Log& log, std::string name, int templateId = kProbe)
        : Dialog(templateId), m_os(os), m_log(log), m_name(std::move(name)) {}
    std::function<void(unsigned)> onTimer;
    std::function<void()> onInit;

    bool OnInitDialog() override {
        Add("init");
        if (onInit) onInit();
        return true;
    }
    void OnTimer(unsigned id) override {
        Add("timer " + std::to_string(id));
        if (onTimer) onTimer(id);
    }
    bool OnCommand(int id, int code) override {
        Add("command " + std::to_string(id) + "/" + std::to_string(code));
        return Dialog::OnCommand(id, code);
    }
    bool OnNotify(int id, int code) override {
        Add("notify " + std::to_string(id) + "/" + std::to_string(code));
        return true;
    }
    void OnShowWindow(bool show) override { Add(show ? "show" : "hide"); }
    void OnDestroy() override { Add("destroy"); }
    void OnLButtonDown(bool dbl) override { Add(dbl ? "dblclick" : "click"); }

private:
    void Add(const std::string& what) { m_log.push_back(m_name + " " + what + " @" + std::to_string(m_os.Now())); }
    SimOs& m_os;
    Log& m_log;
    std::string m_name;
};

class ProbePage : public kp::PropertyPage {
public:
    ProbePage(Log& log, std::string name, int templateId) : PropertyPage(templateId), m_log(log), m_name(name) {}
    bool OnInitDialog() override {
        m_log.push_back(m_name + " init");
        return true;
    }
    void OnShowWindow(bool show) override { m_log.push_back(m_name + (show ? " show" : " hide")); }
    void OnDestroy() override { m_log.push_back(m_name + " destroy"); }
    bool OnApply() override {
        m_log.push_back(m_name + " apply");
        return true;
    }

private:
    Log& m_log;
    std::string m_name;
};

class ProbeSheet : public kp::PropertySheet {
public:
    explicit ProbeSheet(Log& log) : PropertySheet("Kestor", 0), m_log(log), a(log, "A", 9101), b(log, "B", 9102),
                                    c(log, "C", 9103) {
        AddPage(&a);
        AddPage(&b);
        AddPage(&c);
    }
    std::function<void()> onInit;
    std::function<bool(unsigned, uintptr_t, intptr_t)> onMessage;
    bool OnInitDialog() override {
        m_log.push_back("sheet init");
        if (onInit) onInit();
        return true;
    }
    bool OnMessage(unsigned msg, uintptr_t wp, intptr_t lp, intptr_t& result) override {
        m_log.push_back("sheet message " + std::to_string(msg) + " " + std::to_string(wp) + " " +
                        std::to_string(lp));
        result = 1;
        return onMessage ? onMessage(msg, wp, lp) : true;
    }
    bool OnCommand(int id, int code) override {
        m_log.push_back("sheet command " + std::to_string(id) + "/" + std::to_string(code));
        return false;
    }
    void OnDestroy() override { m_log.push_back("sheet destroy"); }

    Log& m_log;
    ProbePage a, b, c;
};

bool Contains(const Log& log, const std::string& entry) {
    return std::find(log.begin(), log.end(), entry) != log.end();
}

kp::SysTime Time(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
    kp::SysTime t;
    t.wYear = y, t.wMonth = mo, t.wDay = d, t.wHour = h, t.wMinute = mi, t.wSecond = s, t.wMilliseconds = ms;
    return t;
}

std::string Show(const kp::SysTime& t) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d dow%d", t.wYear, t.wMonth, t.wDay,
                  t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, t.wDayOfWeek);
    return buffer;
}

// ---------------------------------------------------------------- timers

TEST(SimTimers, FireInDueOrderTiesInArmingOrderAndASecondSetTimerRestarts) {
    SimOs os("");
    Log log;
    Probe p(os, log, "p"), q(os, log, "q", kOther);
    os.Create(p);
    os.Create(q);
    log.clear();
    p.SetTimer(1, 300);
    q.SetTimer(2, 200);
    p.SetTimer(3, 300);  // due with timer 1, armed after it
    os.Advance(250);
    p.SetTimer(3, 300);  // restarted: now due at 550
    os.Advance(350);     // to 600
    EXPECT_EQ((Log{"q timer 2 @200", "p timer 1 @300", "q timer 2 @400", "p timer 3 @550",
                   "p timer 1 @600" /* re-armed at 300, before timer 2 was at 400 */, "q timer 2 @600"}),
              log);
    EXPECT_EQ(600, os.Now());
    ASSERT_TRUE(os.Window(p)->TimerPeriod(1));
    EXPECT_EQ(300u, *os.Window(p)->TimerPeriod(1));
    p.KillTimer(1);
    EXPECT_FALSE(os.Window(p)->TimerPeriod(1));
}

TEST(SimTimers, ScriptedActionsComeBeforeTimersDueAtTheSameMoment) {
    SimOs os("");
    Log log;
    Probe p(os, log, "p");
    os.Create(p);
    log.clear();
    p.SetTimer(7, 1000);
    os.At(1000, [&] { log.push_back("action @" + std::to_string(os.Now())); });
    os.Advance(1000);
    EXPECT_EQ((Log{"action @1000", "p timer 7 @1000"}), log);
}

// ---------------------------------------------------------------- modal loops

TEST(SimModal, AnOpenDialogAndAnOpenMessageBoxKeepOtherWindowsTimersFiring) {
    SimOs os("");
    Log log;
    Probe background(os, log, "bg", kOther);
    os.Create(background);
    background.SetTimer(5, 1000);
    Probe dialog(os, log, "dlg");
    os.OnModal(kProbe, [](SimWindow& w) { w.Enter(); }, 3500);
    log.clear();
    EXPECT_EQ(kp::IDOK, dialog.DoModal());
    EXPECT_EQ((Log{"dlg init @0", "dlg show @0", "bg timer 5 @1000", "bg timer 5 @2000", "bg timer 5 @3000",
                   "dlg command 1/0 @3500", "dlg destroy @3500"}),
              log);
    EXPECT_FALSE(dialog.IsCreated());

    log.clear();
    os.AnswerMessageBox(kp::IDNO, 2000);
    EXPECT_EQ(kp::IDNO, kp::TheOs().ui->MessageBox("继续吗?", kp::MB_YESNO));
    EXPECT_EQ((Log{"bg timer 5 @4000", "bg timer 5 @5000"}), log);
    EXPECT_EQ(5500, os.Now());
    EXPECT_TRUE(MessageBoxTexts(os, {"继续吗?"}));
}

TEST(SimModal, AWaitNobodyScriptedFailsAtOnceNamingWhatIsShown) {
    SimOs os("");
    Log log;
    Probe dialog(os, log, "dlg");
    dialog.onInit = [&] { dialog.SetItemText(1001, "请输入密码"); };
    EXPECT_TRUE(Throws<UnscriptedWait>([&] { dialog.DoModal(); }, u8"1001 control of unknown kind \"请输入密码\""));
    EXPECT_TRUE(Throws<UnscriptedWait>([&] { dialog.DoModal(); }, "dialog 9001"));
    EXPECT_EQ(0, os.Now());
    EXPECT_FALSE(dialog.IsCreated());  // the window went away with the failed run

    EXPECT_TRUE(Throws<UnscriptedWait>([] { kp::TheOs().ui->MessageBox("密码不正确", kp::MB_OK); },
                                       u8"message box \"密码不正确\" has no scripted answer"));
    os.AnswerMessageBox(kp::IDYES);
    EXPECT_TRUE(Throws<SimError>([] { kp::TheOs().ui->MessageBox("好", kp::MB_OK); }, "not a button"));
}

TEST(SimModal, ADialogWithATimerOfItsOwnMayEndItselfAndAScriptThatNeverEndsHitsTheCap) {
    SimOs os("");
    Log log;
    Probe countdown(os, log, "cd");
    countdown.onInit = [&] { countdown.SetTimer(1, 60000); };
    countdown.onTimer = [&](unsigned) { countdown.EndDialog(kp::IDCANCEL); };
    EXPECT_EQ(kp::IDCANCEL, countdown.DoModal());
    EXPECT_EQ(60000, os.Now());

    Probe endless(os, log, "endless");
    endless.onInit = [&] { endless.SetTimer(1, 3600 * 1000); };
    EXPECT_TRUE(Throws<UnscriptedWait>([&] { endless.DoModal(); }, "30 virtual days"));
}

TEST(SimModal, AQuitMessageEndsEveryNestedLoopUpToTheSheet) {
    SimOs os("");
    Log log;
    ProbeSheet sheet(log);
    Probe dialog(os, log, "dlg");
    int dialogResult = 0, boxResult = -5;
    os.At(1000, [&] { dialogResult = dialog.DoModal(); });
    os.OnModal(kProbe, [&](SimWindow&) {
        dialog.SetTimer(9, 500);  // posts the quit while the box below is open
        dialog.onTimer = [&](unsigned) { kp::TheOs().ui->PostQuit(18); };
        os.AnswerMessageBox(kp::IDYES, 10000);
        boxResult = kp::TheOs().ui->MessageBox("你真的要关闭本程序吗?", kp::MB_YESNO);
        log.push_back("after box");
    });
    EXPECT_EQ(-1, sheet.DoModal());
    EXPECT_EQ(0, boxResult);
    EXPECT_EQ(-1, dialogResult);
    EXPECT_EQ(1500, os.Now());
    ASSERT_TRUE(os.QuitCode());
    EXPECT_EQ(18, *os.QuitCode());
    EXPECT_TRUE(Contains(log, "after box"));
    EXPECT_TRUE(Contains(log, "sheet destroy"));
    EXPECT_FALSE(sheet.IsCreated());
    EXPECT_TRUE(os.OpenModals().empty());
}

// ---------------------------------------------------------------- the sheet

TEST(SimSheet, PagesAreCreatedOnFirstActivationAndTheRunEndsWhenTheScriptIsDone) {
    SimOs os("");
    Log log;
    ProbeSheet sheet(log);
    sheet.onInit = [&] { sheet.SetActivePage(2); };
    os.At(100, [&] {
        log.push_back("-- tab");
        os.Sheet()->SelectTab(0);
    });
    EXPECT_EQ(-1, sheet.DoModal());
    EXPECT_EQ((Log{"A init", "A show", "sheet init", "C init", "A hide", "C show", "-- tab", "C hide", "A show",
                   "sheet destroy", "A destroy", "C destroy"}),
              log);
    SimWindow* record = os.Sheet();
    ASSERT_NE(nullptr, record);
    EXPECT_TRUE(record->IsDestroyed());
    EXPECT_EQ(nullptr, record->Page(1));  // never activated
    EXPECT_FALSE(sheet.a.IsCreated());
}

TEST(SimSheet, ButtonsGoToTheSheetWithTheirDefaultHandlingAndApplyFollowsModifiedPages) {
    SimOs os("");
    Log log;
    ProbeSheet sheet(log);
    kp::TheOs().ui->SetMainWindow(&sheet);
    os.At(10, [&] {
        SimWindow& w = *os.Sheet();
        EXPECT_TRUE(Throws<SimError>([&] { w.ClickApply(); }, "disabled"));
        sheet.a.SetModified(true);
        EXPECT_TRUE(w.IsControlEnabled(kp::ID_APPLY_NOW));
        w.ClickApply();
        EXPECT_FALSE(w.IsControlEnabled(kp::ID_APPLY_NOW));
        w.SetText(kp::IDCANCEL, "退出");
        w.Page(0)->Escape();  // a page's Escape is the sheet's
    });
    EXPECT_EQ(kp::IDCANCEL, sheet.DoModal());
    EXPECT_TRUE(Contains(log, "A apply"));
    EXPECT_TRUE(Contains(log, "sheet command 12321/0"));
    EXPECT_TRUE(Contains(log, "sheet command 2/0"));
    EXPECT_TRUE(GbkEq("退出", os.Sheet()->Control(kp::IDCANCEL).text));
}

TEST(SimSheet, TrayCallbacksPostedMessagesAndMenuCommandsReachTheOwner) {
    SimOs os("");
    Log log;
    ProbeSheet sheet(log);
    kp::TheOs().ui->SetMainWindow(&sheet);
    EXPECT_TRUE(Throws<SimError>([&] { os.PostTray(kp::WM_LBUTTONDBLCLK); }, "without a tray icon"));
    os.At(0, [&] {
        kp::TheOs().shell->AddTrayIcon(sheet, 101, 129, kp::WM_USER + 10, "Kestor");
        os.PostTray(kp::WM_RBUTTONDOWN);
        EXPECT_EQ(1, kp::TheOs().ui->SendToMain(kp::WM_USER + 100, 0, 0));
        kp::TheOs().ui->PostMessage(sheet, kp::WM_USER + 120, 0, 0);
        kp::TheOs().ui->PostMessage(sheet, kp::WM_USER + 121, 0, 0);
        os.ChooseMenuItem(105, 700);
        kp::TheOs().ui->TrackPopupMenu(145, 0, {5, 5}, sheet);
        log.push_back("menu closed @" + std::to_string(os.Now()));
    });
    sheet.DoModal();
    EXPECT_EQ((Log{"A init", "A show", "sheet init", "sheet message 1034 101 516", "sheet message 1124 0 0",
                   "sheet message 1144 0 0", "sheet message 1145 0 0", "menu closed @700", "sheet command 105/0",
                   "sheet destroy", "A destroy"}),
              log);
    ASSERT_EQ(1u, os.Menus().size());
    EXPECT_EQ(105, os.Menus()[0].chosen);
    EXPECT_TRUE(Throws<UnscriptedWait>([&] { kp::TheOs().ui->TrackPopupMenu(145, 0, {}, sheet); }, "menu 145"));
}

// ---------------------------------------------------------------- user actions

TEST(SimInput, ClicksToggleAutoCheckBoxesFirstAndRefuseDisabledHiddenAndBlockedControls) {
    SimOs os("");
    kp::sim::DialogDef def;
    def.id = 9200;
    def.caption = "测试";
    kp::sim::ControlDef check;
    check.id = 1015;
    check.kind = kp::sim::ControlKind::CheckBox;
    check.autoCheck = true;
    kp::sim::ControlDef edit;
    edit.id = 1031;
    edit.kind = kp::sim::ControlKind::Edit;
    edit.tabStop = true;
    kp::sim::ControlDef list;
    list.id = 1040;
    list.kind = kp::sim::ControlKind::ListView;
    list.sorted = true;
    list.tabStop = true;
    def.controls = {edit, check, list};
    os.Resources().AddDialog(def);

    Log log;
    Probe dialog(os, log, "d", 9200);
    int checkSeen = -1;
    dialog.onInit = [&] { dialog.Window()->ListView(1040).InsertColumn(0, "名", 80, kp::ColumnAlign::Left); };
    os.OnModal(9200, [&](SimWindow& w) {
        EXPECT_EQ(1031, w.Focus());  // the first tab stop
        log.clear();
        w.Click(1015);
        checkSeen = w.GetCheck(1015);
        w.Type(1031, "abc");
        w.FocusControl(1040);
        kp::IListView& lv = w.ListView(1040);
        lv.InsertItem(0, "beta");
        lv.InsertItem(0, "Alpha");
        lv.InsertItem(9, "gamma");
        EXPECT_EQ("Alpha", lv.GetItemText(0, 0));
        EXPECT_EQ("gamma", lv.GetItemText(2, 0));
        w.EnableControl(1015, false);
        EXPECT_TRUE(Throws<SimError>([&] { w.Click(1015); }, "disabled"));
        w.ShowControl(1015, true);
        w.EnableControl(1015, true);
        w.ShowControl(1015, false);
        EXPECT_TRUE(Throws<SimError>([&] { w.Click(1015); }, "hidden"));
        EXPECT_TRUE(Throws<SimError>([&] { w.Click(1099); }, "no control 1099"));
        EXPECT_TRUE(Throws<SimError>([&] { w.ListBox(1031); }, "not a list box"));
        w.Escape();
    });
    Log bgLog;
    Probe background(os, bgLog, "bg", kOther);
    SimWindow& bg = os.Create(background);
    kp::TheOs().ui->SetMainWindow(&background);
    os.At(0, [&] { EXPECT_TRUE(Throws<SimError>([&] { bg.Click(5); }, "modal window above it")); });
    EXPECT_EQ(kp::IDCANCEL, dialog.DoModal());
    EXPECT_EQ(1, checkSeen);
    EXPECT_EQ((Log{"d command 1031/512 @0", "d command 1015/0 @0", "d command 1031/256 @0",
                   "d command 1031/768 @0", "d command 1031/512 @0", "d notify 1040/-7 @0", "d command 2/0 @0",
                   "d destroy @0"}),
              log);
    bg.Click(5);  // the owner takes input again once the dialog is gone
}

// ---------------------------------------------------------------- clocks

TEST(SimClock, LocalUtcAndTickCountRunOnAcrossMonthEndsLeapDaysAndTheTickWrap) {
    SimOs os("");
    os.SetLocalTime(Time(2024, 2, 28, 23, 59, 59, 500));
    os.SetUtcTime(Time(2023, 12, 31, 23, 59, 59, 0));
    os.SetTickCount(0xFFFFFFFFu - 999u);
    os.Advance(1000);
    EXPECT_EQ("2024-02-29 00:00:00.500 dow4", Show(os.LocalTime()));
    EXPECT_EQ("2024-01-01 00:00:00.000 dow1", Show(os.UtcTime()));
    EXPECT_EQ(0u, os.TickCount());
    os.Advance(86400 * 1000);
    EXPECT_EQ("2024-03-01 00:00:00.500 dow5", Show(os.LocalTime()));

    os.SetLocalTime(Time(2100, 2, 28, 12, 0, 0));  // not a leap year
    os.Advance(86400 * 1000);
    EXPECT_EQ("2100-03-01 12:00:00.000 dow1", Show(os.LocalTime()));
    EXPECT_EQ("2026-04-30 00:00:00.000 dow4", Show(kp::AddMs(Time(2026, 5, 1, 0, 0, 0), -86400 * 1000)));
    EXPECT_TRUE(Throws<SimError>([&] { os.SetLocalTime(Time(2023, 2, 29, 0, 0, 0)); }, "invalid time"));
}

// ---------------------------------------------------------------- registry and files

TEST(SimRegistry, StringsMustFitTheBufferWithTheirTerminatorAndOddValuesAreRefused) {
    SimOs os("");
    kp::IRegistry& reg = *kp::TheOs().registry;
    const std::string path = kp::sim::test::kMachine;
    kp::RegKey key = reg.Create(kp::Hive::LocalMachine, path, kp::Access::All);
    ASSERT_NE(0u, key);
    ASSERT_TRUE(reg.SetString(key, "Options_h1", "1234567"));
    reg.Close(key);
    EXPECT_EQ(std::string("1234567"),
              os.Reg().GetRaw(kp::Hive::LocalMachine, path, "options_H1")->bytes);  // no terminator stored

    key = reg.Open(kp::Hive::LocalMachine, "software\\kestor\\setting\\default", kp::Access::Read);
    ASSERT_NE(0u, key);
    std::string value;
    EXPECT_FALSE(reg.QueryString(key, "Options_h1", value, 7));
    EXPECT_TRUE(reg.QueryString(key, "Options_h1", value, 8));
    EXPECT_EQ("1234567", value);
    EXPECT_FALSE(reg.SetDword(key, "Options_h2", 2));  // opened for reading

    os.Reg().SetRaw(kp::Hive::LocalMachine, path, "Options_g3", kp::sim::REG_DWORD, std::string("\x01\x00", 2));
    os.Reg().SetString(kp::Hive::LocalMachine, path, "Options_g2", "1");
    os.Reg().SetRaw(kp::Hive::LocalMachine, path, "Options_g1", kp::sim::REG_SZ, std::string("ab\0cdef", 7));
    uint32_t dword = 77;
    EXPECT_FALSE(reg.QueryDword(key, "Options_g3", dword));
    EXPECT_FALSE(reg.QueryDword(key, "Options_g2", dword));
    EXPECT_EQ(77u, dword);
    EXPECT_FALSE(reg.QueryString(key, "Options_g1", value, 4));  // the stored data is 7 bytes
    EXPECT_TRUE(reg.QueryString(key, "Options_g1", value, 7));
    EXPECT_EQ("ab", value);
    os.Reg().SetRaw(kp::Hive::LocalMachine, path, "Options_g1", kp::sim::REG_EXPAND_SZ, std::string("ab\0", 3));
    EXPECT_FALSE(reg.QueryString(key, "Options_g1", value, 64));
    reg.Close(key);
    EXPECT_EQ(0, os.Reg().OpenHandles());
}

TEST(SimRegistry, DeniedKeysAndEverythingBelowThemRefuseWritingButNotReading) {
    SimOs os("");
    kp::IRegistry& reg = *kp::TheOs().registry;
    os.Reg().SetDword(kp::Hive::LocalMachine, kp::sim::test::kMachine, "Options_g3", 1);
    os.Reg().DenyWrite(kp::Hive::LocalMachine, "SOFTWARE");
    EXPECT_EQ(0u, reg.Open(kp::Hive::LocalMachine, kp::sim::test::kMachine, kp::Access::All));
    EXPECT_EQ(0u, reg.Open(kp::Hive::LocalMachine, kp::sim::test::kRun,
                           kp::Access::Write));
    EXPECT_EQ(0u, reg.Create(kp::Hive::LocalMachine, "SOFTWARE\\Kestor\\Other", kp::Access::All));
    EXPECT_FALSE(os.Reg().HasKey(kp::Hive::LocalMachine, "SOFTWARE\\Kestor\\Other"));
    kp::RegKey key = reg.Open(kp::Hive::LocalMachine, kp::sim::test::kMachine, kp::Access::Read);
    uint32_t v = 0;
    EXPECT_TRUE(reg.QueryDword(key, "OPTIONS_G3", v));
    EXPECT_EQ(1u, v);
    reg.Close(key);
    os.Reg().DenyAll(kp::Hive::CurrentUser, "Software\\Kestor");
    os.Reg().SetDword(kp::Hive::CurrentUser, kp::sim::test::kProfile, "Options", 0);
    EXPECT_EQ(0u, reg.Open(kp::Hive::CurrentUser, kp::sim::test::kProfile, kp::Access::Read));
}

TEST(SimFiles, AFailedWriteKeepsTheOldContentAndWritesAreRecordedInOrder) {
    SimOs os("");
    kp::IFiles& files = *kp::TheOs().files;
    os.Files().Put("C:\\Kestor\\TimeSet.ini", "old");
    os.Files().FailWrites("c:\\kestor\\timeset.INI");
    EXPECT_FALSE(files.WriteReplace("C:\\Kestor\\TimeSet.ini", "new"));
    EXPECT_EQ("old", *os.Files().Get("C:\\Kestor\\TimeSet.ini"));
    EXPECT_TRUE(files.WriteReplace("C:\\Kestor\\ControlSet.ini", "x"));
    EXPECT_TRUE(files.WriteReplace("C:\\Kestor\\Playlist.m3u", "y"));
    EXPECT_EQ((std::vector<std::string>{"C:\\Kestor\\ControlSet.ini", "C:\\Kestor\\Playlist.m3u"}),
              os.Files().Writes());
    std::string bytes;
    EXPECT_TRUE(files.Read("C:\\KESTOR\\playlist.m3u", bytes, 100));
    EXPECT_EQ("y", bytes);
}

TEST(SimFiles, EachStepOfAReplaceCanFailAndNoneTouchesTheTarget) {
    SimOs os("");
    kp::IFiles& files = *kp::TheOs().files;
    using Step = kp::sim::SimFiles::Step;
    const std::string path = "C:\\Kestor\\TimeSet.ini";
    EXPECT_TRUE(files.WriteReplace(path, "one"));
    const std::vector<std::pair<Step, std::string>> steps{
        {Step::Create, path}, {Step::Write, path}, {Step::Flush, path}, {Step::Close, path}, {Step::Rename, path}};
    EXPECT_EQ(steps, os.Files().StepLog());
    for (int n = 1; n <= 5; ++n) {
        SCOPED_TRACE(n);
        os.Files().FailNthStep(n);
        EXPECT_FALSE(files.WriteReplace(path, "two"));
        EXPECT_EQ("one", *os.Files().Get(path));
    }
    EXPECT_TRUE(files.WriteReplace(path, "two"));  // a fault strikes once

    // A full disk: the temporary copy needs room of its own, whatever the old file holds.
    os.Files().SetFreeSpace(4);
    EXPECT_FALSE(files.WriteReplace(path, "three"));
    EXPECT_TRUE(files.WriteReplace(path, "four"));  // 3 bytes left: "two" was freed
    EXPECT_FALSE(files.WriteReplace("C:\\Kestor\\b.ini", "xxxx"));
    EXPECT_TRUE(files.WriteReplace(path, "fiv"));  // 4 left again
    EXPECT_TRUE(files.WriteReplace("C:\\Kestor\\b.ini", "xxxx"));

    os.Files().SetFreeSpace(SIZE_MAX);
    os.Files().SetReadOnlyFolder("c:\\KESTOR");
    EXPECT_FALSE(files.WriteReplace(path, "six"));
    EXPECT_EQ("fiv", *os.Files().Get(path));
    EXPECT_TRUE(files.WriteReplace("C:\\Other\\TimeSet.ini", "six"));
    os.Files().SetReadOnlyFolder("C:\\Kestor", false);
    EXPECT_TRUE(files.WriteReplace(path, "six"));
}

// ---------------------------------------------------------------- resources and desktop

TEST(SimResources, TemplatesOfTheScriptBringTheirControlsStylesTextsMenusAndStrings) {
    SimOs os;
    Log log;
    Probe timeset(os, log, "ts", IDD_TIMESET);
    SimWindow& w = os.Create(timeset);
    EXPECT_TRUE(GbkEq("自动执行", w.Caption()));
    EXPECT_TRUE(GbkEq("整点报时：", w.GetText(IDC_CHIME)));
    w.Click(IDC_CHIME);  // an auto check box
    EXPECT_EQ(1, w.GetCheck(IDC_CHIME));
    kp::ICombo& combo = w.Combo(IDC_CHIME_INTERVAL);  // sorted style
    combo.AddString("b");
    combo.AddString("C");
    combo.AddString("a");
    EXPECT_EQ("a", combo.GetLBText(0));
    EXPECT_EQ("C", combo.GetLBText(2));
    EXPECT_TRUE(Throws<SimError>([&] { w.SetText(1999, "x"); }, "window 140 has no control 1999"));
    EXPECT_TRUE(Throws<SimError>([&] { w.ListBox(IDC_REMINDER_LIST); }, "not a list box"));
    os.Destroy(timeset);

    Probe control(os, log, "uc", IDD_CONTROL);
    SimWindow& uc = os.Create(control);
    EXPECT_TRUE(Throws<SimError>([&] { uc.Type(IDC_MACHINE_ADMIN, "tom"); }, "read-only"));
    os.Destroy(control);

    EXPECT_TRUE(GbkEq("关于 Tovrel(&A)...", kp::TheOs().ui->LoadString(IDS_ABOUTBOX)));
    EXPECT_EQ("", kp::TheOs().ui->LoadString(4321));

    Probe owner(os, log, "owner", kOther);
    os.Create(owner);
    log.clear();
    os.ChooseMenuItem(4321);
    EXPECT_TRUE(Throws<SimError>([&] { kp::TheOs().ui->TrackPopupMenu(IDR_TRAY_MENU, 0, {}, owner); },
                                 "no item 4321"));
    os.ChooseMenuItem(ID_TRAY_EXIT);
    kp::TheOs().ui->TrackPopupMenu(IDR_TRAY_MENU, 0, {}, owner);
    EXPECT_TRUE(log.empty()) << "the command is posted, not sent";
    os.Advance(0);
    EXPECT_EQ((Log{"owner command 105/0 @0"}), log);
}

TEST(SimDesktop, OwnWindowsComeToTheFrontAndMinimisingIsRecordedOnFakeWindows) {
    SimOs os("");
    kp::IDesktop& desktop = *kp::TheOs().desktop;
    const kp::WindowRef editor = os.AddDesktopWindow("记事本");
    const kp::WindowRef hidden = os.AddDesktopWindow("hidden", false);
    Log log;
    Probe p(os, log, "p");
    SimWindow& w = os.Create(p);
    EXPECT_EQ((std::vector<kp::WindowRef>{w.Ref(), editor, hidden}), desktop.TopLevelWindows());
    EXPECT_TRUE(w.IsForeground());
    desktop.ShowMinimizedNoActivate(editor);
    EXPECT_TRUE(desktop.IsIconic(editor));
    os.CloseDesktopWindow(editor);
    EXPECT_FALSE(desktop.IsWindow(editor));
    desktop.Restore(editor);  // closed meanwhile: recorded, nothing else
    ASSERT_EQ(2u, os.Desktop().Calls().size());
    EXPECT_EQ(kp::sim::SimDesktop::Call::Restore, os.Desktop().Calls()[1].what);
    EXPECT_FALSE(desktop.IsVisible(hidden));
    os.Destroy(p);
    EXPECT_EQ((std::vector<kp::WindowRef>{hidden}), desktop.TopLevelWindows());
}

// ---------------------------------------------------------------- controls

TEST(SimControls, ListsKeepTheirWin32RulesForSortingSelectionAndBadIndexes) {
    kp::sim::SimListView lv;
    lv.InsertColumn(0, "进程", 100, kp::ColumnAlign::Center);
    lv.InsertColumn(1, "PID", 50, kp::ColumnAlign::Right);
    EXPECT_EQ(kp::ColumnAlign::Right, lv.Columns()[1].align);
    EXPECT_EQ(-1, lv.InsertItem(-1, "x"));
    EXPECT_EQ(0, lv.InsertItem(5, "b.exe"));
    EXPECT_EQ(0, lv.InsertItem(0, "a.exe"));
    EXPECT_TRUE(lv.SetItemText(1, 1, "42"));
    EXPECT_FALSE(lv.SetItemText(1, 2, "beyond the columns"));
    EXPECT_FALSE(lv.SetItemData(2, 1));
    EXPECT_EQ("", lv.GetItemText(7, 0));
    lv.SetSelected(-1, true);
    EXPECT_EQ(1, lv.GetNextSelected(0));
    EXPECT_EQ(-1, lv.GetNextSelected(1));
    lv.singleSel = true;
    lv.SetSelected(0, true);
    EXPECT_EQ(std::vector<int>{0}, lv.Selection());

    kp::sim::SimListBox box;
    box.sorted = true;
    box.AddString("b.mp3");
    box.AddString("C.mp3");
    box.SetCurSel(1);
    EXPECT_EQ(0, box.AddString("A.mp3"));
    EXPECT_EQ(2, box.GetCurSel()) << "the selection moves with its row";
    EXPECT_EQ(3, box.InsertString(-1, "a-last.mp3")) << "InsertString never sorts";
    EXPECT_EQ(-1, box.InsertString(9, "x"));
    EXPECT_TRUE(box.DeleteString(0));
    EXPECT_EQ(1, box.GetCurSel());
    EXPECT_TRUE(box.DeleteString(1));
    EXPECT_EQ(-1, box.GetCurSel()) << "deleting the selected row drops the selection";

    kp::sim::SimUpDown spin;
    spin.SetPos(50);
    EXPECT_EQ(50, spin.GetPos()) << "the default range is 0 to 100, upside down";
    spin.SetRange(1, 30);
    EXPECT_EQ(30, spin.GetPos());
    spin.SetPos(-3);
    EXPECT_EQ(1, spin.GetPos());
}

TEST(SimInput, RadioGroupsFollowTheGroupStyleAndAMessageBoxDisablesTheDialogBelowIt) {
    SimOs os("");
    kp::sim::DialogDef def;
    def.id = 9300;
    auto radio = [](int id, bool group) {
        kp::sim::ControlDef c;
        c.id = id;
        c.kind = kp::sim::ControlKind::Radio;
        c.autoCheck = true;
        c.group = group;
        return c;
    };
    def.controls = {radio(1, true), radio(11, false), radio(12, false), radio(21, true), radio(22, false)};
    def.controls[0].kind = kp::sim::ControlKind::Button;  // IDOK starts the first group
    os.Resources().AddDialog(def);
    Log log;
    Probe dialog(os, log, "r", 9300);
    os.OnModal(9300, [&](SimWindow& w) {
        w.Click(21);
        w.Click(11);
        w.Click(12);
        EXPECT_EQ((std::vector<int>{0, 1, 1}), (std::vector<int>{w.GetCheck(11), w.GetCheck(12), w.GetCheck(21)}));
        os.After(100, [&] { EXPECT_TRUE(Throws<SimError>([&] { w.Click(22); }, "modal window above it")); });
        os.AnswerMessageBox(kp::IDOK, 500);
        kp::TheOs().ui->MessageBox("请输入一个整数。", kp::MB_OK);
        w.Click(22);
        EXPECT_EQ(0, w.GetCheck(21));
        w.Click(1);
    });
    EXPECT_EQ(kp::IDOK, dialog.DoModal());
    EXPECT_EQ(500, os.Now());
}

TEST(SimInput, PostedMessagesToAWindowThatWentAwayAreDroppedAndHookRemovalsAreChecked) {
    SimOs os("");
    Log log;
    Probe p(os, log, "p");
    os.Create(p);
    kp::TheOs().ui->PostMessage(p, kp::WM_USER + 1, 0, 0);
    os.Destroy(p);
    log.clear();
    os.Advance(10);
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(os.Window(p)->IsDestroyed());
    EXPECT_TRUE(Throws<SimError>([&] { os.Window(p)->Click(1); }, "destroyed"));

    kp::IInputLock& input = *kp::TheOs().input;
    const uintptr_t hook = input.InstallMouseHook();
    ASSERT_NE(0u, hook);
    uint32_t previous = 9;
    input.SetScreenSaverRunning(true, previous);
    EXPECT_EQ(0u, previous);
    input.SetScreenSaverRunning(false, previous);
    EXPECT_EQ(1u, previous);
    input.RemoveMouseHook(hook);
    input.RemoveMouseHook(hook);
    EXPECT_EQ(1, os.Input().BadRemovals());
    os.Input().RefuseTaskKeyHook(true);
    EXPECT_EQ(0u, input.InstallTaskKeyHook());
    const kp::Rect r{0, 0, 1024, 768};
    input.ClipCursor(&r);
    EXPECT_TRUE(os.Input().Clip().has_value());
    input.ClipCursor(nullptr);
    EXPECT_FALSE(os.Input().Clip().has_value());
}

}  // namespace
