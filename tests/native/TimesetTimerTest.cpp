// The scheduler page's timers: the hourly notice, the countdown and timed shutdowns, what apply arms and
// what a click or a changed value stops, and start with Windows.
#include "TimesetFixture.h"

#include <algorithm>

namespace timeset_test {
namespace {

using kestor::CTovrelTimeset;
using kp::sim::test::MessageBoxTexts;

TEST_F(Scheduler, TheHourlyNoticeComesAtEveryFullHourWhateverTheInterval) {
    SetProfile("Options_a1", 1);
    SetProfile("Options_a2", 3);
    // Started on a whole second, so the re-aiming timer falls due together with the notice itself.
    Start(At(2026, 5, 5, 13, 58, 0));
    os.SetUtcTime(At(2026, 5, 5, 8, 13, 0));  // a zone 5 h 45 min ahead: the UTC minute is not the local one
    std::vector<std::string> seen;
    for (int hour : {14, 15}) {
        os.At(When(At(2026, 5, 5, hour, 0, 0)) + 20, [this, &seen] {
            SimWindow* notice = os.Modal(IDD_NOTICE);
            seen.push_back(notice ? notice->GetText(IDC_NOTICE_MESSAGE) + " " + notice->GetText(IDC_NOTICE_COUNTDOWN)
                                  : std::string("none"));
        });
        os.At(When(At(2026, 5, 5, hour, 0, 17)), [this, &seen] {
            if (os.Modal(IDD_NOTICE)) seen.push_back("still open");
        });
    }
    os.At(When(At(2026, 5, 5, 14, 30)), [this, &seen] { if (os.Modal(IDD_NOTICE)) seen.push_back("at 14:30"); });
    Run(When(At(2026, 5, 5, 15, 1)));
    EXPECT_EQ((std::vector<std::string>{"现在时刻14点正 对话框将在15秒后自动关闭.", "现在时刻15点正 对话框将在15秒后自动关闭."}),
              seen);
    EXPECT_EQ(3u, Profile("Options_a2").value_or(0)) << "the interval is kept, never acted on";
}

TEST_F(Scheduler, UncheckingStopsTheNoticeUntilTheNextApply) {
    SetProfile("Options_a1", 1);
    Start(At(2026, 5, 5, 13, 59, 0));
    OnPage(2000, [](SimWindow& page) {
        page.Click(IDC_CHIME);
        EXPECT_FALSE(page.IsControlEnabled(IDC_CHIME_INTERVAL));
        EXPECT_FALSE(page.TimerDue(CTovrelTimeset::kChimeTimer).has_value());
        page.Click(IDC_CHIME);
        EXPECT_TRUE(page.IsControlEnabled(IDC_CHIME_INTERVAL));
        EXPECT_FALSE(page.TimerDue(CTovrelTimeset::kChimeTimer).has_value()) << "ticking again arms nothing";
        page.Click(IDC_CHIME);  // left off: hiding the window applies it
    });
    bool at14 = true;
    os.At(When(At(2026, 5, 5, 14, 0, 1)), [&] { at14 = os.Modal(IDD_NOTICE) != nullptr; });
    OnPage(When(At(2026, 5, 5, 14, 10)), [](SimWindow& page) {
        page.Click(IDC_CHIME);
        page.ClickApply();
    });
    bool at15 = false;
    os.At(When(At(2026, 5, 5, 15, 0, 1)), [&] { at15 = os.Modal(IDD_NOTICE) != nullptr; });
    Run(When(At(2026, 5, 5, 15, 1)));
    EXPECT_FALSE(at14);
    EXPECT_TRUE(at15);
    EXPECT_EQ(1u, Profile("Options_a1").value_or(0));
}

TEST_F(Scheduler, TheCountdownShowsTheTimeLeftAndShutsDownWhenItEnds) {
    std::vector<int> shownSeconds;
    OnPage(2000, [this, &shownSeconds](SimWindow& page) {
        page.Click(IDC_COUNTDOWN);
        page.PickDateTime(IDC_COUNTDOWN_TIME, At(2026, 5, 5, 0, 0, 10));
        page.ClickApply();
        for (int i = 1; i <= 12; ++i)
            os.After(i * 1000 + 500, [this, &shownSeconds] {
                const kp::SysTime t = Page().DateTimeOf(IDC_COUNTDOWN_TIME).GetTime();
                shownSeconds.push_back(t.wHour * 3600 + t.wMinute * 60 + t.wSecond);
            });
        os.After(9999, [this] { EXPECT_TRUE(os.Power().Calls().empty()); });
        os.After(10001, [this] { EXPECT_EQ(std::vector<unsigned>{kp::EWX_SHUTDOWN}, os.Power().Calls()); });
    });
    Run(20000);
    EXPECT_EQ((std::vector<int>{9, 8, 7, 6, 5, 4, 3, 2, 1, 1, 1, 1}), shownSeconds);
    EXPECT_EQ(1u, Profile("Options_c1").value_or(0));
}

TEST_F(Scheduler, AZeroCountdownRefusesTheWholeApply) {
    OnPage(2000, [](SimWindow& page) {
        page.Click(IDC_COUNTDOWN);
        page.Click(IDC_TIMED_SHUTDOWN);
        page.Click(IDC_AUTORUN);
        page.ClickApply();
    });
    for (int i = 0; i < 3; ++i) os.AnswerMessageBox(kp::IDOK);  // hiding and exiting try the apply again
    Run(8000);
    ASSERT_FALSE(os.MessageBoxes().empty());
    EXPECT_EQ("倒计时关机时间不能为零", os.MessageBoxes()[0].text);
    EXPECT_FALSE(Profile("Options_b1").has_value());
    EXPECT_EQ(0u, Profile("Options_d1").value_or(9));
    EXPECT_TRUE(os.Power().Calls().empty());
}

struct TimedCase {
    kp::SysTime applied;   // the local time of the apply
    kp::SysTime set;       // the picker
    int64_t shutdownInMs;  // after the apply; -1: not within the day
};

class TimedShutdown : public Scheduler, public ::testing::WithParamInterface<TimedCase> {};

TEST_P(TimedShutdown, ComesAtTheSetTimeOfDayOnly) {
    const TimedCase& c = GetParam();
    Start(kp::AddMs(c.applied, -500));
    os.At(500, [this, c] {  // while the window is still up after the start
        os.Sheet()->SelectTab(1);
        Page().Click(IDC_TIMED_SHUTDOWN);
        Page().PickDateTime(IDC_TIMED_SHUTDOWN_TIME, c.set);
        Page().ClickApply();
        if (c.shutdownInMs < 0) return;
        os.After(c.shutdownInMs - 1, [this] { EXPECT_TRUE(os.Power().Calls().empty()); });
        os.After(c.shutdownInMs + 1, [this] { EXPECT_EQ(1u, os.Power().Calls().size()); });
    });
    Run(500 + 23LL * 3600 * 1000);
    EXPECT_EQ(c.shutdownInMs < 0 ? 0u : 1u, os.Power().Calls().size());
    EXPECT_EQ(1u, Profile("Options_b1").value_or(0));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TimedShutdown,
    ::testing::Values(TimedCase{At(2026, 5, 5, 23, 29, 55), At(2026, 5, 5, 23, 30, 0), 5000},
                      TimedCase{At(2026, 5, 5, 22, 0, 0), At(2026, 5, 5, 23, 30, 0), 5400000},
                      TimedCase{At(2026, 5, 5, 23, 0, 0), At(2026, 5, 5, 0, 30, 0), 5400000},
                      TimedCase{At(2026, 5, 5, 22, 0, 0), At(2026, 5, 5, 0, 0, 0), -1}));

TEST_F(Scheduler, ChangingTheTimeAfterApplyCancelsTheShutdownUntilTheNextApply) {
    Start(At(2026, 5, 5, 22, 0, 0));
    OnPage(2000, [](SimWindow& page) {
        page.Click(IDC_TIMED_SHUTDOWN);
        page.PickDateTime(IDC_TIMED_SHUTDOWN_TIME, At(2026, 5, 5, 22, 10, 0));
        page.ClickApply();
        EXPECT_TRUE(page.TimerPeriod(CTovrelTimeset::kShutdownCheckTimer).has_value());
        page.PickDateTime(IDC_TIMED_SHUTDOWN_TIME, At(2026, 5, 5, 22, 20, 0));
        EXPECT_FALSE(page.TimerPeriod(CTovrelTimeset::kShutdownCheckTimer).has_value());
        EXPECT_FALSE(page.TimerPeriod(CTovrelTimeset::kTimedShutdownTimer).has_value());
    });
    // Hiding the window 20 s later applies the changed settings: the new time is armed.
    os.At(When(At(2026, 5, 5, 22, 19, 59)), [this] { EXPECT_TRUE(os.Power().Calls().empty()); });
    Run(When(At(2026, 5, 5, 22, 21)));
    EXPECT_EQ(1u, os.Power().Calls().size());
}

TEST_F(Scheduler, ADayWithEveryFeatureOnKeepsTheTimerCountSteady) {
    SetProfile("Options_a1", 1);
    os.Power().SetResult(false);
    os.Files().Put("D:\\tools\\TimeSet.ini", Header(2) + Record(Packed(5, 5, 12, 0), "05月05日12点00分", "午饭") +
                                                 Record(Packed(5, 6, 8, 0), "05月06日08点00分", "早上"));
    OnPage(2000, [](SimWindow& page) {
        page.Click(IDC_TIMED_SHUTDOWN);  // 00:00:00: never acted on by the check
        page.Click(IDC_COUNTDOWN);
        page.PickDateTime(IDC_COUNTDOWN_TIME, At(2026, 5, 5, 12, 0, 0));
        page.ClickApply();
    });
    os.AnswerMessageBox(kp::IDOK, 1000);
    os.AnswerMessageBox(kp::IDOK, 1000);
    size_t most = 0;
    for (int h = 1; h < 24; ++h)
        os.At(h * 3600000LL + 1800000, [&] { most = std::max(most, Page().Timers().size()); });
    std::vector<unsigned> left;
    os.At(24LL * 3600 * 1000 - 1000, [&] { left = Page().Timers(); });
    Run(24LL * 3600 * 1000);
    EXPECT_GE(6u, most) << "chime pair, shutdown check, reminder check, countdown pair";
    EXPECT_EQ(std::vector<unsigned>{kp::EWX_SHUTDOWN}, os.Power().Calls());
    EXPECT_EQ(2u, os.MessageBoxes().size());
    std::sort(left.begin(), left.end());
    EXPECT_EQ((std::vector<unsigned>{CTovrelTimeset::kShutdownCheckTimer, CTovrelTimeset::kChimeTimer,
                                     CTovrelTimeset::kChimeAimTimer}),
              left)
        << "after the countdown's shutdown and both reminders";
}

TEST_F(Scheduler, StartWithWindowsFollowsTheApplyAndNamesTheStartUpDirectory) {
    SetProfile("Options_d1", 1);
    OnPage(2000, [this](SimWindow& page) {
        os.System().SetCurrentDirectory("E:\\music");  // another page's file dialog moved it
        page.Click(IDC_AUTORUN);
        page.Click(IDC_AUTORUN);
        page.ClickApply();
        EXPECT_EQ("D:\\tools\\Kestor.exe", os.Reg().GetString(Hive::LocalMachine, kRun, "Kestor").value_or("-"));
        page.Click(IDC_AUTORUN);
        EXPECT_TRUE(os.Reg().GetString(Hive::LocalMachine, kRun, "Kestor").has_value()) << "not before apply";
        EXPECT_EQ(1u, Profile("Options_d1").value_or(9));
        page.ClickApply();
    });
    Run(5000);
    EXPECT_FALSE(os.Reg().GetString(Hive::LocalMachine, kRun, "Kestor").has_value());
    EXPECT_EQ(0u, Profile("Options_d1").value_or(9));
}

}  // namespace
}  // namespace timeset_test
