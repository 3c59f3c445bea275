// The process manager page over a simulated process table: what the list shows and in which order, the
// auto-refresh that follows the number of processes and rests while the list has the focus, ending a
// process by hand, starting a program, and the failure messages.
#include <gtest/gtest.h>

#include "ProcessTestUtil.h"
#include "process/ProcessList.h"

namespace {

using kestor::test::ProcessPage;
using kp::sim::test::MessageBoxTexts;
using Strings = std::vector<std::string>;

const char* const kAskEnd = "终止进程可能发生致命错误,是否终止该进程";

TEST(ProcessName, IsTheTextAfterTheLastBackslash) {
    EXPECT_EQ("EXPLORER.EXE", kestor::ProcessNameFromPath("C:\\WINDOWS\\EXPLORER.EXE"));
    EXPECT_EQ("explorer.exe", kestor::ProcessNameFromPath("explorer.exe"));
    EXPECT_EQ("", kestor::ProcessNameFromPath("C:\\dir\\"));
    // The second byte of 誠 has the value of a backslash.
    EXPECT_EQ("誠品.exe", kestor::ProcessNameFromPath("誠品.exe"));
    EXPECT_EQ("誠品.exe", kestor::ProcessNameFromPath("C:\\運\\誠品.exe"));
}

TEST_F(ProcessPage, ListsTheSnapshotLastFirstWithHexIdentifiersAndAnEmptyTitleColumn) {
    Table().Clear();
    Table().AddWithId(0x8, "C:\\WINDOWS\\EXPLORER.EXE", 0, 3, 1);
    Table().AddWithId(0x4D2, "notepad.exe", 0x8, 12, 0);
    Table().AddWithId(0x10, "third.exe", 0x4D2, 1, 2);
    Open();

    const auto& list = w->ListViewOf(IDC_PROCESS_LIST);
    const Strings titles{"进程名称", "窗口标题", "进程ID", "父进程ID", "线程数", "引用数"};
    const std::vector<int> widths{100, 100, 100, 100, 50, 50};
    ASSERT_EQ(6u, list.Columns().size());
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(titles[i], list.Columns()[i].title);
        EXPECT_EQ(widths[i], list.Columns()[i].width);
        EXPECT_EQ(kp::ColumnAlign::Center, list.Columns()[i].align);
    }
    ASSERT_EQ(3u, list.Rows().size());
    EXPECT_EQ((Strings{"third.exe", "", "0x10", "0x4D2", "1", "2"}), list.Rows()[0].texts);
    EXPECT_EQ((Strings{"notepad.exe", "", "0x4D2", "0x8", "12", "0"}), list.Rows()[1].texts);
    EXPECT_EQ((Strings{"EXPLORER.EXE", "", "0x8", "0x0", "3", "1"}), list.Rows()[2].texts);
    EXPECT_EQ(0x4D2u, list.Rows()[1].data);

    const auto& entries = w->ListViewOf(IDC_TERMINATION_LIST);
    ASSERT_EQ(3u, entries.Columns().size());
    EXPECT_EQ("终止时间", entries.Columns()[1].title);
    EXPECT_EQ(kp::ColumnAlign::Center, entries.Columns()[2].align);
    EXPECT_EQ(1000u, w->TimerPeriod(kestor::CProcessManager::kRefreshTimer).value_or(0));
    EXPECT_TRUE(page.m_bAutoRefreshStarted);
}

TEST_F(ProcessPage, RefreshFollowsTheNumberOfProcessesAndRestsWhileTheListHasTheFocus) {
    Open();
    const uint32_t notepad = Table().Add("notepad.exe");
    os.Advance(1000);
    EXPECT_EQ("notepad.exe", Names().front()) << "a new process shows at the next check";

    // One ends and another starts between two checks: the count is the same, the list stays.
    Table().Exit(notepad);
    Table().Add("calc.exe");
    os.Advance(3000);
    EXPECT_EQ("notepad.exe", Names().front());
    EXPECT_EQ(2, Table().Snapshots()) << "the checks only count: the opening fill and one refill";

    w->Click(IDC_PROCESS_REFRESH);
    EXPECT_EQ("calc.exe", Names().front());

    // While the user is choosing a row, processes come and go without moving the rows.
    w->FocusControl(IDC_PROCESS_LIST);
    Table().Add("mspaint.exe");
    os.Advance(5000);
    EXPECT_EQ("calc.exe", Names().front());
    w->FocusControl(IDC_NEW_TASK);
    os.Advance(1000);
    EXPECT_EQ("mspaint.exe", Names().front());
}

TEST_F(ProcessPage, EndingAProcessAsksFirstAndNeverTouchesOneThatCannotBeOpened) {
    const uint32_t guarded = Table().Add("guard.exe");
    Table().RefuseOpen(guarded);
    const uint32_t notepad = Table().Add("notepad.exe");
    Open();

    w->Click(IDC_END_PROCESS);  // nothing selected
    os.Advance(20);
    EXPECT_TRUE(MessageBoxTexts(os, {}));

    // No: nothing is ended and the list is not rebuilt.
    w->SelectListItem(IDC_PROCESS_LIST, RowOf("notepad.exe"));
    os.AnswerMessageBox(kp::IDNO);
    Table().Add("late.exe");
    w->Click(IDC_END_PROCESS);
    os.Advance(20);
    EXPECT_TRUE(MessageBoxTexts(os, {kAskEnd}));
    EXPECT_TRUE(Table().IsRunning(notepad));
    EXPECT_EQ("notepad.exe", Names().front());

    // A process that cannot be opened: no question, and the list is rebuilt at once.
    w->SelectListItem(IDC_PROCESS_LIST, RowOf("guard.exe"));
    w->Click(IDC_END_PROCESS);
    os.Advance(20);
    EXPECT_TRUE(MessageBoxTexts(os, {kAskEnd}));
    EXPECT_EQ("late.exe", Names().front());

    // Yes: ended with exit code 0, and the list is rebuilt without it.
    w->SelectListItem(IDC_PROCESS_LIST, RowOf("notepad.exe"));
    os.AnswerMessageBox(kp::IDYES);
    w->Click(IDC_END_PROCESS);
    os.Advance(20);
    ASSERT_EQ(1u, Table().Terminated().size());
    EXPECT_EQ(notepad, Table().Terminated()[0].id);
    EXPECT_EQ(0u, Table().Terminated()[0].exitCode);
    for (const auto& name : Names()) EXPECT_NE("notepad.exe", name);
    EXPECT_EQ(0, Table().OpenHandles());
    EXPECT_FALSE(w->TimerPeriod(kestor::CProcessManager::kRefillTimer)) << "the refill timer fires once";
}

TEST_F(ProcessPage, AnIdentifierThatPassedToAnotherProgramIsNotEnded) {
    const uint32_t notepad = Table().Add("notepad.exe");
    Open();
    Table().Exit(notepad);
    Table().AddWithId(notepad, "calc.exe");
    os.Advance(1000);  // same count: the row still says notepad.exe
    w->SelectListItem(IDC_PROCESS_LIST, RowOf("notepad.exe"));
    w->Click(IDC_END_PROCESS);
    os.Advance(20);
    EXPECT_TRUE(MessageBoxTexts(os, {})) << "treated as a process that cannot be opened";
    EXPECT_TRUE(Table().IsRunning(notepad));
    EXPECT_TRUE(Table().Terminated().empty());
    EXPECT_EQ("calc.exe", Names().front());
    EXPECT_EQ(0, Table().OpenHandles());
}

TEST_F(ProcessPage, NewTaskStartsTheChosenFileByItsFullPath) {
    Open();
    os.FileDialogs().Cancel();
    w->Click(IDC_NEW_TASK);
    EXPECT_TRUE(Table().Starts().empty());

    os.FileDialogs().ChooseFile("D:\\apps\\tool.exe");
    Table().SetStartResult(2);
    os.AnswerMessageBox(kp::IDOK);
    w->Click(IDC_NEW_TASK);
    EXPECT_TRUE(MessageBoxTexts(os, {"程序D:\\apps\\tool.exe没找到，请检查程序名或路径是否正确"}));

    os.FileDialogs().ChooseFile("D:\\apps\\tool");  // typed without its extension
    w->Click(IDC_NEW_TASK);
    ASSERT_EQ(3u, os.FileDialogs().Requests().size());
    const auto& request = os.FileDialogs().Requests()[2];
    EXPECT_EQ(&page, request.owner);
    EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{{"所有文件 (*.exe)", "*.exe"}}), request.filters);
    EXPECT_EQ("exe", request.defaultExt);
    ASSERT_EQ(2u, Table().Starts().size());
    EXPECT_EQ("D:\\apps\\tool.exe", Table().Starts()[1].path);
    EXPECT_EQ("tool.exe", Names().front()) << "a start rebuilds the list at once";
    EXPECT_EQ(1u, os.MessageBoxes().size());
}

TEST_F(ProcessPage, SnapshotFailuresAreReportedAndLeaveTheListEmptyAndMessagesOfTheCheckNeverPileUp) {
    Table().FailSnapshots(kp::SnapshotStatus::Failed);
    os.AnswerMessageBox(kp::IDOK);
    os.AnswerMessageBox(kp::IDOK);
    Open();
    EXPECT_TRUE(MessageBoxTexts(os, {"PROC", "PROC READ ERROR"}));
    EXPECT_TRUE(Names().empty());

    Table().FailSnapshots(kp::SnapshotStatus::NoEntry);
    os.AnswerMessageBox(kp::IDOK);
    w->Click(IDC_PROCESS_REFRESH);
    EXPECT_EQ("Open Process Error", os.MessageBoxes().back().text);

    Table().FailSnapshots(kp::SnapshotStatus::Ok);
    os.Advance(1000);
    EXPECT_FALSE(Names().empty());

    // Failing while the last count was not 0: the check says so, the fill that follows says so too, and
    // the ticks while the first box stays open for three seconds add none of their own.
    Table().FailSnapshots(kp::SnapshotStatus::Failed);
    os.AnswerMessageBox(kp::IDOK, 3000);
    os.AnswerMessageBox(kp::IDOK);
    os.Advance(1000);
    Table().FailSnapshots(kp::SnapshotStatus::Ok);
    EXPECT_TRUE(MessageBoxTexts(os, {"PROC", "PROC READ ERROR", "Open Process Error", "PROC READ ERROR", "PROC"}));
    EXPECT_TRUE(Names().empty());
}

}  // namespace
