// The process manager over a simulated process table: the list, ending and starting programs, timed terminations.
#include "Util.h"
#include "process/ProcessManager.h"

namespace {

using kestor::CAddProcessDlg;
using kt::MessageBoxTexts;
using kt::SimWindow;
using kt::Strings;
using Ids = std::vector<unsigned>;

// Each row of a list view: its column texts and its row data, joined by "|".
Strings Rows(SimWindow& w, int list) {
    Strings rows;
    for (const auto& row : w.ListViewOf(list).Rows()) {
        std::string joined;
        for (const std::string& text : row.texts) joined += text + "|";
        rows.push_back(joined + std::to_string(row.data));
    }
    return rows;
}

class Proc : public ::testing::Test {
protected:
    kt::SimOs os;
    kp::sim::SimProcesses& table = os.Processes();
    kestor::CProcessManager page;
    SimWindow* w = nullptr;

    std::string Top(int64_t ms = 0) {
        os.Advance(ms);
        return w->ListViewOf(IDC_PROCESS_LIST).Rows().at(0).texts[0];
    }
    void End(const std::string& name) {
        int row = 0;
        while (w->ListViewOf(IDC_PROCESS_LIST).GetItemText(row, 0) != name) ++row;
        w->SelectListItem(IDC_PROCESS_LIST, row);
        w->Click(IDC_END_PROCESS);
        os.Advance(10);
    }
    // An entry added with a typed path (none: cancelled) and a time on the picker, which starts on 27 July 2003.
    void Add(const std::string& path, int h = 0, int m = 0, int s = 0) {
        os.OnModal(IDD_ADDPROCESS, [=](SimWindow& d) {
            d.Type(IDC_PROCESS_PATH, path);
            d.PickDateTime(IDC_TERMINATION_TIME, kt::At(2003, 7, 27, h, m, s));
            d.Click(path.empty() ? kp::IDCANCEL : kp::IDOK);
        });
        w->Click(IDC_TERMINATION_ADD);
    }
};

// Ending asks first, and leaves alone a process it cannot open or whose identifier passed to another program
// since the list was filled; four results of a start are reported, any other fills the list.
TEST_F(Proc, TheListOfProcessesAndEndingAndStartingThem) {
    table.Clear();
    table.AddWithId(0x8, "C:\\WINDOWS\\EXPLORER.EXE", 0, 3, 1);
    table.AddWithId(0x4D2, "C:\\運\\誠品.exe", 0x8, 12, 0);  // 誠 is D5 5C, 運 DF 5C
    table.AddWithId(0x10, "誠品.exe", 0x4D2, 1, 2);
    w = &os.Create(page);
    std::string columns;
    for (int list : {IDC_PROCESS_LIST, IDC_TERMINATION_LIST})
        for (const auto& c : w->ListViewOf(list).Columns())
            columns += c.title + " " + std::to_string(c.width) + (c.align == kp::ColumnAlign::Center ? "|" : " left|");
    EXPECT_EQ("进程名称 100|窗口标题 100|进程ID 100|父进程ID 100|线程数 50|引用数 50|"
              "进程名称 100|终止时间 100|进程状态 100|", columns);
    EXPECT_EQ((Strings{"誠品.exe||0x10|0x4D2|1|2|16", "誠品.exe||0x4D2|0x8|12|0|1234", "EXPLORER.EXE||0x8|0x0|3|1|8"}),
              Rows(*w, IDC_PROCESS_LIST));
    table.Exit(0x10);  // one ends and another starts between two checks: the count is the same, the list stays
    const uint32_t notepad = table.Add("notepad.exe");
    os.Advance(3000);
    const uint32_t calc = table.Add("calc.exe");
    EXPECT_EQ("誠品.exe", Top(999));
    EXPECT_EQ("calc.exe", Top(1));
    w->FocusControl(IDC_PROCESS_LIST);  // while the user is choosing a row, the rows stay put
    table.RefuseOpen(table.Add("guard.exe"));
    EXPECT_EQ("calc.exe", Top(5000));
    w->FocusControl(IDC_NEW_TASK);
    EXPECT_EQ("guard.exe", Top(1000));
    w->Click(IDC_END_PROCESS);  // nothing selected: nothing happens
    os.AnswerMessageBox(kp::IDNO);
    table.Add("late.exe");
    End("notepad.exe");
    EXPECT_EQ("guard.exe", Top()) << "No: nothing ended, the list not filled";
    End("guard.exe");  // the list is filled again at once, by a timer that fires once
    EXPECT_EQ("late.exe|5000", Top() + "|" + std::to_string(w->Timers().back()));
    table.Exit(calc);
    table.AddWithId(calc, "cmd.exe");
    End("calc.exe");  // its identifier now belongs to cmd.exe: left alone
    os.AnswerMessageBox(kp::IDYES);
    End("notepad.exe");
    EXPECT_EQ((Ids{1, notepad, 0, 0}), (Ids{unsigned(table.Terminated().size()), table.Terminated().at(0).id,
                                           table.Terminated()[0].exitCode, unsigned(table.OpenHandles())}));
    os.FileDialogs().Cancel();
    w->Click(IDC_NEW_TASK);
    for (const auto& [result, reported] : {std::pair{0u, true}, {1u, false}, {2u, true}, {3u, true}, {4u, false},
                                           {11u, true}, {12u, false}, {33u, false}}) {
        os.FileDialogs().ChooseFile("D:\\apps\\tool.exe");
        table.SetStartResult(result);
        if (reported) os.AnswerMessageBox(kp::IDOK);
        w->Click(IDC_NEW_TASK);
    }
    EXPECT_EQ("D:\\apps\\tool.exe|tool.exe", table.Starts().at(7).path + "|" + Top());
    const auto& request = os.FileDialogs().Requests().back();
    EXPECT_TRUE(&page == request.owner && request.filter + "|" + request.defaultExt == "所有文件 (*.exe)|*.exe|||exe");
    // A failed fill empties the list. A failing check says so, the fill it starts too; the ticks while its box
    // stays open for 3 s add no message of their own.
    for (int64_t after : {0, 0, 3000, 0, 0}) os.AnswerMessageBox(kp::IDOK, after);
    table.FailSnapshots(kp::SnapshotStatus::NoEntry);
    End("cmd.exe");  // without a snapshot its name cannot be checked: no question, and the list is filled again
    w->Click(IDC_PROCESS_REFRESH);
    for (auto status : {kp::SnapshotStatus::Failed, kp::SnapshotStatus::NoEntry}) {
        table.FailSnapshots(status);
        os.Advance(1000);
    }
    EXPECT_TRUE(w->ListViewOf(IDC_PROCESS_LIST).Rows().empty());
    const char* const kAsk = "终止进程可能发生致命错误,是否终止该进程";
    const char* const kNotFound = "程序D:\\apps\\tool.exe没找到，请检查程序名或路径是否正确";
    EXPECT_TRUE(MessageBoxTexts(os, {kAsk, kAsk, kNotFound, kNotFound, kNotFound, kNotFound, "Open Process Error",
                                     "Open Process Error", "PROC READ ERROR", "PROC", "Open Process Error"}));
}

// An entry counts down in ticks that find its name listed, and ends the first listed process in the tick after 0.
TEST_F(Proc, TimedTerminationsCountDownWhileTheirProcessIsListed) {
    const uint32_t first = table.Add("notepad.exe"), second = table.Add("NOTEPAD.EXE");
    w = &os.Create(page);
    Add("");
    EXPECT_EQ(1000u, w->TimerPeriod(8000).value_or(0)) << "started after a cancelled run too";
    Add("C:\\WINDOWS\\notepad.exe", 0, 0, 2);  // a typed path of a listed program counts as running
    Add("D:\\games\\game.exe", 1, 2, 3);
    // The same name in any case asks first: No keeps the old entry as it is, Yes puts the new one on top.
    os.AnswerMessageBox(kp::IDNO);
    Add("E:\\GAME.EXE", 0, 0, 9);
    EXPECT_EQ((Strings{"game.exe|1:2:3|未运行|3723", "notepad.exe|0:0:2|运行中|2"}), Rows(*w, IDC_TERMINATION_LIST));
    os.AnswerMessageBox(kp::IDYES);
    Add("E:\\GAME.EXE", 1, 0, 1);
    std::vector<Strings> ticks;
    const auto tick = [&] {
        os.Advance(1000);  // the list is filled again before the tick
        ticks.push_back(Rows(*w, IDC_TERMINATION_LIST));
    };
    tick();
    table.Exit(first);
    table.Exit(second);
    table.Add("game.exe");
    tick();
    tick();
    const uint32_t third = table.Add("notepad.exe"), fourth = table.Add("Notepad.exe");
    tick();
    tick();
    EXPECT_EQ((std::vector<Strings>{{"GAME.EXE|1:0:1|未运行|3601", "notepad.exe|0:0:1|运行中|1"},
                                    {"GAME.EXE|1:0:1|运行中|3601", "notepad.exe|0:0:0|未运行|0"},
                                    {"GAME.EXE|1:0:0|运行中|3600", "notepad.exe|0:0:0|未运行|0"},
                                    {"GAME.EXE|0:59:59|运行中|3599", "notepad.exe|0:0:0|运行中|0"},
                                    {"GAME.EXE|0:59:58|运行中|3598"}}),
              ticks);
    w->SelectListItem(IDC_TERMINATION_LIST, 0);
    w->Click(IDC_TERMINATION_DELETE);
    table.RefuseOpen(third);
    Add("C:\\notepad.exe", 0, 0, 1);
    page.RestWhileHidden();  // the sheet hides: the list stays current while a termination waits
    os.Advance(3000);  // a process it cannot open is tried again every second
    EXPECT_EQ(Strings{"notepad.exe|0:0:0|运行中|0"}, Rows(*w, IDC_TERMINATION_LIST));
    const uint32_t fifth = table.Add("notepad.exe");  // listed first: ended instead
    os.Advance(2000);
    EXPECT_EQ((Ids{2, fourth, fifth, 0}), (Ids{unsigned(table.Terminated().size()), table.Terminated().at(0).id,
                                              table.Terminated().at(1).id, unsigned(table.OpenHandles())}))
        << "the first of the list's rows of a name is ended: the later in the snapshot";
    EXPECT_TRUE(w->Timers().empty() && Rows(*w, IDC_TERMINATION_LIST).empty()) << "tick and, hidden, refresh stop";
    EXPECT_TRUE(MessageBoxTexts(os, {"该进程已添加到列表，是否覆盖。", "该进程已添加到列表，是否覆盖。"}));
}

// A picked or browsed name goes before the typed path; 纜 is C0 7C, a "|" as a trail byte; 啊 is B0 A1, its
// trail byte in the lead byte range.
TEST(AddProcessDialog, TypedPathsPicksAndBrowsedFilesAreCheckedForAnExtensionAndATime) {
    const char* const kBad1 = "你指定的进程路径无效1.";
    const char* const kBad2 = "你指定的进程路径无效2.";
    std::vector<std::pair<std::string, const char*>> paths = {{"", "你还未指定要终止的进程"}, {"d:/tools/a.exe", kBad1},
        {"C:", kBad1}, {"Cx\\a.exe", kBad1}, {"C:\\", nullptr}, {"A:\\a b\\", nullptr}, {"Z:\\纜\\a", nullptr},
        {"a:\\誠", nullptr}, {"z:\\x", nullptr}};
    for (char c : std::string("1@[`{")) paths.push_back({c + std::string(":\\a.exe"), kBad2});  // not a letter
    for (char c : std::string("/*<>?|\"")) paths.push_back({std::string("C:\\d\\a") + c + ".exe", kBad2});
    auto text = [](const char* s) { return kt::U8(s ? s : ""); };
    for (const auto& [path, message] : paths)
        EXPECT_EQ(text(message), text(CAddProcessDlg::PathProblem(path))) << kt::U8(path);
    for (const auto& [name, taken] : {std::pair{".exe", true}, {"a.EXE", true}, {"b.Dll", true}, {"c.tsK", true},
                                      {"exe", false}, {"a.ex", false}, {"readme.txt", false}, {"", false}})
        EXPECT_EQ(taken, CAddProcessDlg::HasProcessExtension(name)) << name;

    kt::SimOs os;
    CAddProcessDlg dlg;
    std::string longName;
    for (int i = 0; i < 130; ++i) longName += "啊";
    os.Processes().Add("C:\\WINDOWS\\" + longName);
    os.FileDialogs().Cancel();
    os.FileDialogs().ChooseFile("\\\\server\\tools\\sync.exe");
    for (int i = 0; i < 3; ++i) os.AnswerMessageBox(kp::IDOK);
    dlg.m_strName = "left.exe";
    os.OnModal(IDD_ADDPROCESS, [&](SimWindow& d) {
        const kp::SysTime t = d.DateTimeOf(IDC_TERMINATION_TIME).GetTime();
        EXPECT_EQ("2003-7-27 0 0:0:0", kp::Format("%d-%d-%d %d %d:%d:%d", t.wYear, t.wMonth, t.wDay, t.wDayOfWeek,
                                                  t.wHour, t.wMinute, t.wSecond));
        EXPECT_TRUE(dlg.m_strName.empty() && d.Control(IDC_ADDPROCESS_NOTE).link) << "a note, not a link";
        d.ClickListItem(IDC_RUNNING_LIST, 0);
        EXPECT_EQ(longName.substr(0, 254), dlg.m_strName) << "at most 255 bytes, never half a character";
        d.Type(IDC_PROCESS_PATH, "d:/b.exe");
        EXPECT_TRUE(d.ListViewOf(IDC_RUNNING_LIST).Selection().empty()) << "typing fills the list again";
        d.Click(kp::IDOK);  // the picked name has no extension: refused, and cleared
        EXPECT_FALSE(d.Result()) << "a refusal keeps the dialog open";
        d.Click(kp::IDOK);  // now the typed path
        d.ClickListItem(IDC_RUNNING_LIST, 1, true);  // explorer.exe: a double click is OK
        EXPECT_EQ("|", dlg.m_strName + "|" + d.GetText(IDC_PROCESS_PATH));
        d.Click(IDC_BROWSE);  // cancelled: nothing changes
        d.Click(IDC_BROWSE);
        EXPECT_EQ("\\\\server\\tools\\sync.exe", d.GetText(IDC_PROCESS_PATH));
        d.PickDateTime(IDC_TERMINATION_TIME, kt::At(2003, 7, 27, 23, 59, 59));
        d.Click(kp::IDOK);
    });
    EXPECT_EQ(kp::IDOK, dlg.DoModal());
    EXPECT_TRUE(MessageBoxTexts(os, {"你指定的进程,不合规范,请重新指定.", kBad1, "你还未指定进程终止时间"}));
    EXPECT_EQ("sync.exe|\\\\server\\tools\\sync.exe", dlg.m_strName + "|" + dlg.m_strPath);
    EXPECT_EQ((std::vector<int>{1, 23}), (std::vector<int>{dlg.m_nRunningFlag, dlg.m_time.wHour}));
    const auto& request = os.FileDialogs().Requests().at(1);  // modal over the add dialog
    EXPECT_TRUE(&dlg == request.owner && request.filter + "|" + request.defaultExt + "|" + request.initialDir ==
                                             "所有文件 (*.exe)|*.exe||(*.dll)|*.dll|||exe|C:\\WINDOWS\\system32");
}

}  // namespace
