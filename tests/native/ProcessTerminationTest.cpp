// The timed termination list over a simulated process table: the countdown that runs only while the
// process is listed, the end one tick after 0:0:0, replacing an entry, and when the tick timer stops.
#include <gtest/gtest.h>

#include "ProcessTestUtil.h"

namespace {

using kestor::CProcessManager;
using kestor::test::ProcessPage;
using kp::sim::test::MessageBoxTexts;
using Strings = std::vector<std::string>;

const char* const kRunning = "运行中";
const char* const kNotRunning = "未运行";
const char* const kOverwrite = "该进程已添加到列表，是否覆盖。";

class Termination : public ProcessPage {
protected:
    std::optional<unsigned> TickTimer() { return w->TimerPeriod(CProcessManager::kTerminationTimer); }
};

TEST_F(Termination, CountsDownWhileListedAndEndsTheProcessOneTickAfterZero) {
    const uint32_t notepad = Table().Add("NOTEPAD.EXE");
    Open();
    AddTyped("C:\\WINDOWS\\notepad.exe", 0, 0, 5);
    EXPECT_EQ((Strings{"notepad.exe"}), Entries(0));
    EXPECT_EQ((Strings{kRunning}), Entries(2)) << "a typed path of a listed program counts as running";
    EXPECT_EQ(5u, w->ListViewOf(IDC_TERMINATION_LIST).Rows()[0].data);
    Strings shown = Entries(1);
    for (int tick = 0; tick < 5; ++tick) {
        os.Advance(1000);
        shown.push_back(Entries(1).at(0));
    }
    EXPECT_EQ((Strings{"0:0:5", "0:0:4", "0:0:3", "0:0:2", "0:0:1", "0:0:0"}), shown);
    EXPECT_TRUE(Table().IsRunning(notepad));
    os.Advance(1000);
    ASSERT_EQ(1u, Table().Terminated().size());
    EXPECT_EQ(notepad, Table().Terminated()[0].id);
    EXPECT_TRUE(Entries(0).empty());
    EXPECT_FALSE(TickTimer()) << "the last entry ended its process";
    EXPECT_EQ(0, Table().OpenHandles());
}

TEST_F(Termination, HoursMinutesAndSecondsShowWithoutLeadingZerosAndANameNotRunningWaits) {
    Open();
    AddTyped("D:\\games\\game.exe", 1, 2, 3);
    EXPECT_EQ((Strings{"1:2:3"}), Entries(1));
    EXPECT_EQ(3723u, w->ListViewOf(IDC_TERMINATION_LIST).Rows()[0].data);
    EXPECT_EQ((Strings{kNotRunning}), Entries(2));
    os.Advance(5000);
    EXPECT_EQ((Strings{"1:2:3"}), Entries(1)) << "no countdown while the process is not listed";

    Table().Add("GAME.EXE");
    os.Advance(1000);  // the refresh lists it; the tick finds it and changes the state only
    EXPECT_EQ((Strings{kRunning}), Entries(2));
    EXPECT_EQ((Strings{"1:2:3"}), Entries(1));
    os.Advance(1000);
    EXPECT_EQ((Strings{"1:2:2"}), Entries(1));
}

TEST_F(Termination, ANameAlreadyListedIsReplacedOnlyWhenTheUserSaysYes) {
    Open();
    AddTyped("C:\\a\\tool.exe", 0, 1, 0);
    AddTyped("C:\\a\\other.exe", 0, 2, 0);
    os.Advance(3000);

    os.AnswerMessageBox(kp::IDNO);
    AddTyped("C:\\b\\TOOL.EXE", 0, 0, 9);
    EXPECT_TRUE(MessageBoxTexts(os, {kOverwrite}));
    EXPECT_EQ((Strings{"other.exe", "tool.exe"}), Entries(0));
    EXPECT_EQ((Strings{"0:2:0", "0:1:0"}), Entries(1)) << "the old entry keeps its time";
    EXPECT_EQ(0, page.m_addDlg.m_nRunningFlag);

    Table().Add("tool.exe");
    os.Advance(2000);
    os.AnswerMessageBox(kp::IDYES);
    AddTyped("C:\\b\\TOOL.EXE", 0, 0, 9);
    EXPECT_EQ((Strings{"TOOL.EXE", "other.exe"}), Entries(0));
    EXPECT_EQ((Strings{"0:0:9", "0:2:0"}), Entries(1));
    EXPECT_EQ((Strings{kRunning, kNotRunning}), Entries(2));
}

TEST_F(Termination, OneOfTwoProcessesOfTheNameIsEndedTheFirstListed) {
    const uint32_t first = Table().Add("notepad.exe");
    const uint32_t second = Table().Add("notepad.exe");
    Open();
    AddTyped("C:\\WINDOWS\\notepad.exe", 0, 0, 1);
    os.Advance(2000);
    ASSERT_EQ(1u, Table().Terminated().size());
    EXPECT_EQ(second, Table().Terminated()[0].id) << "the top row of the list, the later in the snapshot";
    EXPECT_TRUE(Table().IsRunning(first));
    EXPECT_TRUE(Entries(0).empty());
}

TEST_F(Termination, AProcessGoneAtZeroIsEndedOneTickAfterItComesBack) {
    const uint32_t notepad = Table().Add("notepad.exe");
    Open();
    AddTyped("C:\\WINDOWS\\notepad.exe", 0, 0, 2);
    os.Advance(2000);
    EXPECT_EQ((Strings{"0:0:0"}), Entries(1));
    Table().Exit(notepad);
    os.Advance(3000);
    EXPECT_EQ((Strings{kNotRunning}), Entries(2));
    EXPECT_TRUE(Table().Terminated().empty());

    const uint32_t again = Table().Add("notepad.exe");
    os.Advance(1000);  // listed by the refresh, found by the tick
    EXPECT_EQ((Strings{kRunning}), Entries(2));
    EXPECT_TRUE(Table().IsRunning(again));
    os.Advance(1000);
    ASSERT_EQ(1u, Table().Terminated().size());
    EXPECT_EQ(again, Table().Terminated()[0].id);
}

TEST_F(Termination, AnIdentifierThatPassedToAnotherProgramIsNotEnded) {
    const uint32_t notepad = Table().Add("notepad.exe");
    Open();
    AddTyped("C:\\WINDOWS\\notepad.exe", 0, 0, 1);
    Table().Exit(notepad);
    Table().AddWithId(notepad, "calc.exe");  // same count: the list still shows notepad.exe
    os.Advance(5000);
    EXPECT_TRUE(Table().Terminated().empty());
    EXPECT_TRUE(Table().IsRunning(notepad));
    EXPECT_EQ((Strings{"notepad.exe"}), Entries(0)) << "the entry waits, as for a process that cannot be opened";
    EXPECT_EQ(0, Table().OpenHandles());
}

TEST_F(Termination, TheTickTimerRunsAfterEveryDialogRunUntilATerminationEmptiesTheList) {
    Open();
    EXPECT_FALSE(TickTimer());
    AddWith([](kp::sim::SimWindow& d) { d.Click(kp::IDCANCEL); });
    EXPECT_EQ(1000u, TickTimer().value_or(0)) << "started after a cancelled run too";

    AddTyped("C:\\x\\away.exe", 0, 0, 3);
    w->SelectListItem(IDC_TERMINATION_LIST, 0);
    w->Click(IDC_TERMINATION_DELETE);
    EXPECT_TRUE(Entries(0).empty());
    os.Advance(2000);
    EXPECT_EQ(1000u, TickTimer().value_or(0)) << "deleting by hand leaves it running";
    EXPECT_TRUE(MessageBoxTexts(os, {}));
}

}  // namespace
