// The process page over a simulated process table.
#include "Util.h"
#include "process/ProcessManager.h"

namespace {

using namespace kt;
using kestor::CAddProcessDlg;
using Ids = std::vector<unsigned>;
using St = kp::SnapshotStatus;
enum { kOk = kp::IDOK, kYes = kp::IDYES, kNo = kp::IDNO, kList = IDC_PROCESS_LIST, kEntries = IDC_TERMINATION_LIST };

class Proc : public OnePage<kestor::CProcessManager> {
protected:
    kp::sim::SimProcesses& ps = os.Processes();

    void Answer(int a, int64_t after = 0) { os.AnswerMessageBox(a, after); }
    std::string Top(int64_t ms = 0) {
        os.Advance(ms);
        return w->ListViewOf(kList).GetItemText(0, 0);
    }
    void End(const std::string& name) {
        int row = 0;
        while (w->ListViewOf(kList).GetItemText(row, 0) != name) ++row;
        w->SelectListItem(kList, row);
        w->Click(IDC_END_PROCESS);
        os.Advance(10);
    }
    // An entry: a path (none: cancel) and a time on the picker, which starts on 27 July 2003.
    void Add(const std::string& path, int h = 0, int m = 0, int s = 0) {
        os.OnModal(IDD_ADDPROCESS, [=](SimWindow& d) {
            d.Type(IDC_PROCESS_PATH, path);
            d.PickDateTime(IDC_TERMINATION_TIME, At(2003, 7, 27, h, m, s));
            d.Click(path.empty() ? kp::IDCANCEL : kOk);
        });
        w->Click(IDC_TERMINATION_ADD);
    }
    // Texts and data; an entry's state as + or -.
    std::string Rows(int list) {
        std::string s;
        for (const auto& row : w->ListViewOf(list).Rows()) {
            for (const std::string& t : row.texts) s += (t == "运行中" ? "+" : t == "未运行" ? "-" : t) + " ";
            s += std::to_string(row.data) + ", ";
        }
        return s;
    }
    // Open handles, then each ended process's id and exit code.
    Ids Ended() {
        Ids ids{unsigned(ps.OpenHandles())};
        for (const auto& p : ps.Terminated()) ids.insert(ids.end(), {p.id, p.exitCode});
        return ids;
    }
};

// Ending asks first, and spares a process it cannot open or whose id passed to another since the fill; four results
// of a start are reported, others fill the list.
TEST_F(Proc, TheListOfProcessesAndEndingAndStartingThem) {
    ps.Clear();
    ps.AddWithId(0x8, "C:\\WINDOWS\\EXPLORER.EXE", 0, 3, 1);
    ps.AddWithId(0x4D2, "C:\\運\\誠品.exe", 0x8, 12, 0);  // 誠 is D5 5C, 運 DF 5C
    ps.AddWithId(0x10, "誠品.exe", 0x4D2, 1, 2);
    w = &os.Create(page);
    EXPECT_EQ("进程名称 100 1|窗口标题 100 1|进程ID 100 1|父进程ID 100 1|线程数 50 1|引用数 50 1|进程名称 100 1|终止时间 100 1|"
              "进程状态 100 1|", Columns(*w, kList) + Columns(*w, kEntries));
    EXPECT_EQ("誠品.exe  0x10 0x4D2 1 2 16, 誠品.exe  0x4D2 0x8 12 0 1234, EXPLORER.EXE  0x8 0x0 3 1 8, ", Rows(kList));
    ps.Exit(0x10);  // the same count: no fill
    const uint32_t notepad = ps.Add("notepad.exe");
    os.Advance(3000);
    const uint32_t calc = ps.Add("calc.exe");
    EXPECT_EQ("誠品.exe", Top(999));
    EXPECT_EQ("calc.exe", Top(1));
    w->FocusControl(kList);  // choosing a row: no fill
    ps.RefuseOpen(ps.Add("guard.exe"));
    EXPECT_EQ("calc.exe", Top(5000));
    w->FocusControl(IDC_NEW_TASK);
    EXPECT_EQ("guard.exe", Top(1000));
    page.RestWhileHidden();
    ps.Add("late.exe");
    EXPECT_EQ("guard.exe", Top(5000));
    page.WakeOnShow();  // a check at once
    EXPECT_EQ("late.exe", Top());
    w->Click(IDC_END_PROCESS);  // nothing selected
    Answer(kNo);
    ps.Add("more.exe");
    End("notepad.exe");
    EXPECT_EQ("late.exe", Top());  // No: no fill
    End("guard.exe");  // a one-shot timer fills the list
    EXPECT_EQ("more.exe|5000", Top() + "|" + std::to_string(w->Timers().back()));
    ps.Exit(calc);
    ps.AddWithId(calc, "cmd.exe");
    End("calc.exe");  // its id is cmd.exe's now: spared
    Answer(kYes);
    End("notepad.exe");
    EXPECT_EQ((Ids{0, notepad, 0}), Ended());
    // A failing check and its fill say so, the list empties; no box while one is open.
    for (int64_t after : {0, 0, 3000, 0, 0}) Answer(kOk, after);
    ps.FailSnapshots(St::NoEntry);
    End("cmd.exe");  // no snapshot: no question
    w->Click(IDC_PROCESS_REFRESH);
    for (auto status : {St::Failed, St::NoEntry}) {
        ps.FailSnapshots(status);
        os.Advance(1000);
    }
    EXPECT_TRUE(w->ListViewOf(kList).Rows().empty());
    ps.FailSnapshots(St::Ok);
    auto& files = os.FileDialogs();
    files.Cancel();
    w->Click(IDC_NEW_TASK);
    std::string shown;
    for (unsigned result : {0, 1, 2, 3, 4, 11, 12, 33}) {
        files.ChooseFile("D:\\apps\\tool.exe");
        ps.SetStartResult(result);
        Answer(kOk);
        const size_t n = os.MessageBoxes().size();
        w->Click(IDC_NEW_TASK);
        shown += std::to_string(os.MessageBoxes().size() - n);
    }
    EXPECT_EQ("10110100|D:\\apps\\tool.exe|tool.exe", shown + "|" + ps.Starts().at(7).path + "|" + Top());
    const auto& ask = files.Requests().back();
    EXPECT_TRUE(&page == ask.owner && ask.filter + "|" + ask.defaultExt == "所有文件 (*.exe)|*.exe|||exe");
    const std::string q = "终止进程可能发生致命错误,是否终止该进程", o = "Open Process Error",
                      nf = "程序D:\\apps\\tool.exe没找到，请检查程序名或路径是否正确";
    EXPECT_TRUE(MessageBoxTexts(os, {q, q, o, o, "PROC READ ERROR", "PROC", o, nf, nf, nf, nf}));
}

// An entry counts down in ticks that find its name listed, and ends the first listed process in the tick after 0.
TEST_F(Proc, TimedTerminationsCountDownWhileTheirProcessIsListed) {
    const uint32_t first = ps.Add("notepad.exe"), second = ps.Add("NOTEPAD.EXE");
    w = &os.Create(page);
    Add("");
    EXPECT_EQ(1000u, w->TimerPeriod(8000).value_or(0));  // after a cancel too
    Add("C:\\WINDOWS\\notepad.exe", 0, 0, 2);  // a listed name: running
    Add("D:\\games\\game.exe", 1, 2, 3);
    // The same name in any case asks: No keeps the old, Yes puts the new on top.
    Answer(kNo);
    Add("E:\\GAME.EXE", 0, 0, 9);
    EXPECT_EQ("game.exe 1:2:3 - 3723, notepad.exe 0:0:2 + 2, ", Rows(kEntries));
    Answer(kYes);
    Add("E:\\GAME.EXE", 1, 0, 1);
    std::string ticks;
    const auto tick = [&] {
        os.Advance(1000);
        ticks += Rows(kEntries) + "| ";
    };
    tick();
    ps.Exit(first);
    ps.Exit(second);
    ps.Add("game.exe");
    tick();
    tick();
    const uint32_t third = ps.Add("notepad.exe"), fourth = ps.Add("Notepad.exe");
    tick();
    tick();
    EXPECT_EQ("GAME.EXE 1:0:1 - 3601, notepad.exe 0:0:1 + 1, | GAME.EXE 1:0:1 + 3601, notepad.exe 0:0:0 - 0, | "
              "GAME.EXE 1:0:0 + 3600, notepad.exe 0:0:0 - 0, | GAME.EXE 0:59:59 + 3599, notepad.exe 0:0:0 + 0, | "
              "GAME.EXE 0:59:58 + 3598, | ", ticks);
    w->SelectListItem(kEntries, 0);
    w->Click(IDC_TERMINATION_DELETE);
    ps.RefuseOpen(third);
    Add("C:\\notepad.exe", 0, 0, 1);
    page.RestWhileHidden();
    os.Advance(3000);  // tried again
    EXPECT_EQ("notepad.exe 0:0:0 + 0, ", Rows(kEntries));
    const uint32_t fifth = ps.Add("notepad.exe");  // listed first: ended
    os.Advance(2000);
    EXPECT_EQ((Ids{0, fourth, 0, fifth, 0}), Ended());  // the first row of a name: the later in the snapshot
    EXPECT_TRUE(w->Timers().empty() && Rows(kEntries).empty());
    Add("C:\\x.exe", 0, 0, 1);
    EXPECT_EQ(1000u, w->TimerPeriod(8000).value_or(0));  // an entry restarts the tick
    EXPECT_TRUE(MessageBoxTexts(os, Strings(2, "该进程已添加到列表，是否覆盖。")));
}

// A picked or browsed name goes before the typed path; 纜 is C0 7C, a "|" as a trail byte; 啊 B0 A1.
TEST(AddProcessDialog, TypedPathsPicksAndBrowsedFilesAreCheckedForAnExtensionAndATime) {
    Strings paths = {"C:\\", "A:\\a b\\", "Z:\\纜\\a", "a:\\誠", "z:\\x", "", "d:/tools/a.exe", "C:", "Cx\\a.exe"};
    for (char c : std::string("1@[`{")) paths.push_back(c + std::string(":\\a.exe"));  // not a letter
    for (char c : std::string("/*<>?|\"")) paths.push_back(std::string("C:\\d\\a") + c + ".exe");
    const std::string bad[] = {"", "你还未指定要终止的进程", "你指定的进程路径无效1.", "你指定的进程路径无效2."};
    std::string kinds, taken;
    for (const std::string& path : paths) {
        const char* problem = CAddProcessDlg::PathProblem(path);
        kinds += std::to_string(std::find(bad, bad + 4, problem ? problem : "") - bad);
    }
    EXPECT_EQ("000001222333333333333", kinds);
    for (const char* name : {".exe", "a.EXE", "b.Dll", "c.tsK", "exe", "a.ex", "readme.txt", ""})
        taken += std::to_string(CAddProcessDlg::HasProcessExtension(name));
    EXPECT_EQ("11110000", taken);

    SimOs os;
    CAddProcessDlg dlg;
    std::string longName;
    for (int i = 0; i < 130; ++i) longName += "啊";
    os.Processes().Add("C:\\WINDOWS\\" + longName);
    os.FileDialogs().Cancel();
    os.FileDialogs().ChooseFile("\\\\server\\tools\\sync.exe");
    for (int i = 0; i < 3; ++i) os.AnswerMessageBox(kOk);
    dlg.m_strName = "left.exe";
    os.OnModal(IDD_ADDPROCESS, [&](SimWindow& d) {
        const kp::SysTime t = d.DateTimeOf(IDC_TERMINATION_TIME).GetTime(), sunday = At(2003, 7, 27, 0, 0);
        EXPECT_EQ(0, memcmp(&t, &sunday, sizeof t));
        EXPECT_TRUE(dlg.m_strName.empty() && d.Control(IDC_ADDPROCESS_NOTE).link);
        EXPECT_EQ(6u, d.ListViewOf(IDC_RUNNING_LIST).Columns().size());
        d.ClickListItem(IDC_RUNNING_LIST, 0);
        EXPECT_EQ(longName.substr(0, 254), dlg.m_strName);  // 255 bytes at most, no half character
        d.Type(IDC_PROCESS_PATH, "d:/b.exe");
        EXPECT_TRUE(d.ListViewOf(IDC_RUNNING_LIST).Selection().empty());  // typing refills
        d.Click(kOk);  // no extension: refused
        EXPECT_FALSE(d.Result());
        d.Click(kOk);
        d.ClickListItem(IDC_RUNNING_LIST, 1, true);  // OK, but no time
        EXPECT_EQ("0|", std::to_string(d.Result().has_value()) + dlg.m_strName + "|" + d.GetText(IDC_PROCESS_PATH));
        d.Click(IDC_BROWSE);  // cancelled
        d.Click(IDC_BROWSE);
        EXPECT_EQ("\\\\server\\tools\\sync.exe", d.GetText(IDC_PROCESS_PATH));
        d.PickDateTime(IDC_TERMINATION_TIME, At(2003, 7, 27, 23, 59, 59));
        d.Click(kOk);
    });
    EXPECT_EQ(kOk, dlg.DoModal());
    EXPECT_TRUE(MessageBoxTexts(os, {"你指定的进程,不合规范,请重新指定.", bad[2], "你还未指定进程终止时间"}));
    EXPECT_EQ("sync.exe|\\\\server\\tools\\sync.exe|1|23",
              dlg.m_strName + "|" + dlg.m_strPath + kp::Format("|%d|%d", dlg.m_nRunningFlag, dlg.m_time.wHour));
    const auto& ask = os.FileDialogs().Requests().at(1);
    EXPECT_TRUE(&dlg == ask.owner && ask.filter + "|" + ask.defaultExt + "|" + ask.initialDir ==
                                         "所有文件 (*.exe)|*.exe||(*.dll)|*.dll|||exe|C:\\WINDOWS\\system32");
}

}  // namespace
