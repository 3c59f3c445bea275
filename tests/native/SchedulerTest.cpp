// The scheduler page in the running program: reminders, the hourly notice, shutdowns, apply, start with Windows.
#include "Util.h"

namespace kt {
namespace {

const char* const kPast = "您设置的提醒时间已经过去或与当前本地时间相等，请重新设置提醒时间";
const char* const kDefault = "备忘记事:时间到!";
const char* const kZero = "倒计时关机时间不能为零";

class SchedulerPage : public Program {
protected:
    SimWindow& Page() { return Program::Page(kSchedulerTab); }
    Strings Reminders() { return Rows(kSchedulerTab, IDC_REMINDER_LIST); }
    // Adds a reminder through the new-reminder dialog, after `first` has run in it.
    void AddReminder(SimWindow& page, const kp::SysTime& t, const std::string& message,
                     std::function<void(SimWindow&)> first = [](SimWindow&) {}) {
        os.OnModal(IDD_NEWREMINDER, [t, message, first](SimWindow& w) {
            first(w);
            w.PickDateTime(IDC_REMINDER_TIME, t);
            w.Type(IDC_REMINDER_MESSAGE, message);
            w.Click(kp::IDOK);
        });
        page.Click(IDC_REMINDER_NEW);
    }
    // The message boxes shown, each as "HH:MM:SS text" of the local clock when it opened.
    Strings Shown() {
        Strings out;
        for (const auto& box : os.MessageBoxes()) {
            const kp::SysTime t = kp::AddMs(start, box.at);
            out.push_back(kp::Format("%02d:%02d:%02d ", t.wHour, t.wMinute, t.wSecond) + box.text);
        }
        return out;
    }
};

// Reminders across a month end: added in time order, refused for a minute begun (an earlier month, January of no
// year) or taken; each shown once at its minute or right after the message before it, then removed.
TEST_F(SchedulerPage, RemindersAreAddedInTimeOrderAndShownOnceAtTheirMinute) {
    StartAt(At(2026, 6, 30, 23, 58));
    OnPage(2000, kSchedulerTab, [this](SimWindow& page) {
        std::string columns;
        for (const auto& c : page.ListViewOf(IDC_REMINDER_LIST).Columns())
            columns += kp::Format("%s %d %d|", c.title.c_str(), c.width, c.align == kp::ColumnAlign::Center);
        EXPECT_EQ("提示时间 120 1|提示信息 200 0|", columns) << "the time centred";
        AddReminder(page, At(2026, 7, 2, 8, 0), "后天", [](SimWindow& w) {
            const kp::SysTime proposed = w.DateTimeOf(IDC_REMINDER_TIME).GetTime();
            EXPECT_EQ(kp::SysTimeToMs(At(2026, 7, 1, 0, 0)), kp::SysTimeToMs(proposed)) << "two minutes on";
            EXPECT_EQ("MM月dd日HH点mm分 2026 年",
                      w.DateTimeOf(IDC_REMINDER_TIME).Format().value_or("-") + " " + w.GetText(IDC_REMINDER_YEAR));
            EXPECT_EQ(kDefault, w.GetText(IDC_REMINDER_MESSAGE));
            w.FocusControl(IDC_REMINDER_MESSAGE);
            EXPECT_EQ("", w.GetText(IDC_REMINDER_MESSAGE)) << "entering the field clears the default";
            w.LButtonDown();  // on the dialog's surface: the field loses the focus
            EXPECT_EQ(kDefault, w.GetText(IDC_REMINDER_MESSAGE)) << "left empty, the default comes back";
            for (const char* typed : {"交报告", kDefault}) {  // the user's own text equal to the default counts as it
                w.Type(IDC_REMINDER_MESSAGE, typed);
                w.FocusControl(IDC_REMINDER_TIME);
                w.FocusControl(IDC_REMINDER_MESSAGE);
                EXPECT_EQ(typed == kDefault ? "" : typed, w.GetText(IDC_REMINDER_MESSAGE));
            }
        });
        for (const auto& [t, message] : {std::pair{At(2026, 6, 30, 23, 59), "删掉"}, {At(2026, 6, 30, 23, 58), "此刻"},
                                         {At(2026, 5, 31, 10, 0), "上个月"}, {At(2027, 1, 1, 8, 0), "明年"},
                                         {At(2026, 6, 30, 23, 59), "另一条"}, {At(2026, 7, 1, 0, 3), "新加的"},
                                         {At(2026, 7, 1, 0, 5), ""}, {At(2026, 7, 1, 0, 0), "午夜"},
                                         {At(2026, 7, 1, 0, 1), "一分"}})
            AddReminder(page, t, message);
        EXPECT_EQ((Strings{"06月30日23点59分|删掉", "07月01日00点00分|午夜", "07月01日00点01分|一分",
                           "07月01日00点03分|新加的", "07月01日00点05分|" + std::string(kDefault),
                           "07月02日08点00分|后天"}),
                  Reminders());
    });
    // The first reminder's one-shot timer is armed within a minute of it when the user deletes its row.
    OnPage(When(At(2026, 6, 30, 23, 58, 55)), kSchedulerTab, [this](SimWindow& page) {
        ASSERT_TRUE(page.TimerDue(6000).has_value());
        page.ClickListItem(IDC_REMINDER_LIST, 0);
        page.Click(IDC_REMINDER_DELETE);
    });
    os.At(When(At(2026, 6, 30, 23, 59, 30)), [this] { EXPECT_EQ(10000u, Page().TimerPeriod(1002).value_or(0)); });
    for (int i = 0; i < 4; ++i) os.AnswerMessageBox(kp::IDOK);
    os.AnswerMessageBox(kp::IDOK, 90000);  // open past the next reminder's minute
    for (int i = 0; i < 4; ++i) os.AnswerMessageBox(kp::IDOK, 1000);
    os.At(When(At(2026, 7, 1, 0, 1, 29)), [this] { EXPECT_EQ(5u, Reminders().size()) << "kept while shown"; });
    os.At(When(At(2026, 7, 1, 0, 1, 30)) + 500, [this] { EXPECT_EQ(4u, Reminders().size()) << "gone once closed"; });
    os.At(When(At(2026, 7, 2, 8, 0, 30)), [this] { EXPECT_TRUE(Page().Timers().empty()) << "nothing left to check"; });
    ExitAt(When(At(2026, 7, 2, 8, 1)));
    Run();
    const std::string added = "23:58:02 ", past = added + kPast;
    EXPECT_EQ((Strings{past, past, past, added + "您设置的时间已经设置了提示信息", "00:00:00 午夜", "00:01:31 一分",
                       "00:03:00 新加的", "00:05:00 " + std::string(kDefault), "08:00:00 后天"}),
              Shown());
    EXPECT_EQ("", File("TimeSet.ini"));
}

// An afternoon of settings: the hourly notice at every full hour of the local clock while ticked, whatever the
// interval; start with Windows from the start-up directory; a change applied once, as the window hides; a zero
// countdown refuses all of its apply, at every try.
TEST_F(SchedulerPage, TheSettingsTakeEffectWhenAppliedAndTheHourlyNoticeComesAtEveryFullHour) {
    SetProfile("Options_a1", 1);
    SetProfile("Options_a2", 3);
    SetProfile("Options_d1", 1);
    StartAt(At(2026, 5, 5, 13, 58));
    os.SetUtcTime(At(2026, 5, 5, 8, 13));  // a zone 5 h 45 min ahead of UTC
    Strings seen;
    const auto look = [this, &seen] {
        SimWindow* w = os.Modal(IDD_NOTICE);
        seen.push_back(w ? w->GetText(IDC_NOTICE_MESSAGE) + " " + w->GetText(IDC_NOTICE_COUNTDOWN) : "-");
        EXPECT_TRUE(!w || (w->IsForeground() && w->Timers() == std::vector<unsigned>{100001}));
    };
    const int64_t two = When(At(2026, 5, 5, 14, 0));
    os.At(two + 11, [this] { EXPECT_TRUE(os.Modal(IDD_NOTICE)) << "on the full hour, to the timer's resolution"; });
    for (int k = 0; k <= 16; ++k) os.At(two + k * 1000 + 500, look);
    for (int half = 1; half <= 6; ++half) os.At(two + half * 1800000 + 500, look);
    os.At(two + 3200, [this] {
        if (SimWindow* w = os.Modal(IDD_NOTICE)) {  // none of them closes it
            w->Click(kp::IDOK);
            w->Enter();
            w->Escape();
        }
    });
    const auto run = [this] { return os.Reg().GetString(Hive::LocalMachine, kRun, "Kestor").value_or("-"); };
    OnPage(When(At(2026, 5, 5, 14, 5)), kSchedulerTab, [&, this](SimWindow& page) {
        EXPECT_EQ(1, page.GetCheck(IDC_AUTORUN));
        os.System().SetCurrentDirectory("E:\\music");  // another page's file dialog moved it
        os.Reg().SetString(Hive::LocalMachine, kRun, "Kestor", "stale");
        page.Click(IDC_AUTORUN);
        page.Click(IDC_AUTORUN);
        page.ClickApply();
        EXPECT_EQ("C:\\Kestor\\Kestor.exe", run());
        page.Click(IDC_AUTORUN);
        EXPECT_EQ("C:\\Kestor\\Kestor.exe 1", run() + " " + std::to_string(*Profile("Options_d1"))) << "not yet";
        page.ClickApply();
        EXPECT_EQ("- 0", run() + " " + std::to_string(*Profile("Options_d1")));
    });
    OnPage(When(At(2026, 5, 5, 15, 10)), kSchedulerTab, [](SimWindow& page) {
        EXPECT_EQ((Strings{"每1小时", "每2小时", "每3小时", "每4小时", "每5小时", "每6小时"}),
                  page.ComboOf(IDC_CHIME_INTERVAL).Items());
        EXPECT_EQ(3, page.ComboOf(IDC_CHIME_INTERVAL).GetCurSel());
        EXPECT_EQ(1, page.GetCheck(IDC_CHIME));
        for (bool on : {false, true, false}) {
            page.Click(IDC_CHIME);
            EXPECT_EQ(on, page.IsControlEnabled(IDC_CHIME_INTERVAL));
            EXPECT_EQ(std::vector<unsigned>{}, page.Timers()) << "ticked again, it waits for the apply";
        }
    });
    os.At(When(At(2026, 5, 5, 15, 11)), [this] { EXPECT_EQ(0u, Profile("Options_a2").value_or(9)); });
    OnPage(When(At(2026, 5, 5, 16, 10)), kSchedulerTab, [this](SimWindow& page) {
        os.Reg().DenyWrite(Hive::LocalMachine, kRun);
        page.Click(IDC_AUTORUN);
        page.Click(IDC_CHIME);
        page.ClickApply();
        EXPECT_EQ(60000u, page.TimerPeriod(6004).value_or(0));
        page.SelectListItem(IDC_CHIME_INTERVAL, 5);
        EXPECT_EQ(std::vector<unsigned>{}, page.Timers()) << "a new interval waits for the apply";
    });
    OnPage(When(At(2026, 5, 5, 16, 40)), kSchedulerTab, [](SimWindow&) {});  // nothing left to apply as it hides
    OnPage(When(At(2026, 5, 5, 17, 10)), kSchedulerTab, [](SimWindow& page) {
        for (int box : {IDC_COUNTDOWN, IDC_TIMED_SHUTDOWN}) page.Click(box);
        page.ClickApply();
        EXPECT_EQ((std::vector<unsigned>{6003, 6004}), page.Timers());
    });
    for (int i = 0; i < 5; ++i) os.AnswerMessageBox(kp::IDOK);  // the hide and the exit try the apply again
    ExitAt(When(At(2026, 5, 5, 17, 11)));
    Run();
    Strings expected;
    for (int k = 0; k < 16; ++k)
        expected.push_back(kp::Format("现在时刻14点正 对话框将在%d秒后自动关闭.", 16 - k - !k));
    const std::string fifteen = "现在时刻15点正 对话框将在15秒后自动关闭.";
    expected.insert(expected.end(), {"-", "-", fifteen, "-", "-", "-", "现在时刻17点正 对话框将在15秒后自动关闭."});
    EXPECT_EQ(expected, seen);
    const char* const refused = "设置自动运行程序失败,如果您需要本程序在系统启动时自动运行，请在程序中设置.";
    EXPECT_TRUE(MessageBoxTexts(os, {refused, refused, kZero, kZero, kZero}));
    std::string stored;
    for (const char* name : {"Options_a1", "Options_a2", "Options_b1", "Options_c1", "Options_d1"})
        stored += std::to_string(Profile(name).value_or(9)) + " ";
    EXPECT_EQ("1 5 0 1 1 ", stored) << "a1 a2 b1 c1 d1";
}

struct ShutdownCase {
    int box;                // the timed or the countdown shutdown
    kp::SysTime applied;    // the local time of the apply
    kp::SysTime set;        // the picker
    int64_t inMs;           // the shutdown after the apply; -1: none within 23 hours
    std::optional<kp::SysTime> changed = std::nullopt;  // picked right after the apply, then applied again
};

class ShutdownTime : public SchedulerPage, public ::testing::WithParamInterface<ShutdownCase> {};

// One shutdown, when the picker says; the countdown's picker shows the time left, and 1 at the end.
TEST_P(ShutdownTime, ComesWhenItsPickerSaysAndOnlyThen) {
    const ShutdownCase& c = GetParam();
    const bool countdown = c.box == IDC_COUNTDOWN;
    const int picker = countdown ? IDC_COUNTDOWN_TIME : IDC_TIMED_SHUTDOWN_TIME;
    std::vector<int64_t> left, expected;
    std::vector<unsigned> timers;
    StartAt(kp::AddMs(c.applied, -500));
    os.At(500, [&, this] {  // the window is still up after the start
        os.Sheet()->SelectTab(kSchedulerTab);
        Page().Click(c.box);
        Page().PickDateTime(picker, c.set);
        Page().ClickApply();
        if (c.changed) {
            Page().PickDateTime(picker, *c.changed);
            EXPECT_EQ(std::vector<unsigned>{}, Page().Timers()) << "a changed value stops the shutdown";
            Page().ClickApply();
        }
        if (c.inMs < 0) return;
        os.After(c.inMs - 1, [this] { EXPECT_TRUE(os.Power().Calls().empty()); });
        os.After(c.inMs + 1, [this] { EXPECT_EQ(std::vector<unsigned>{kp::EWX_SHUTDOWN}, os.Power().Calls()); });
        const int64_t total = c.inMs / 1000;
        if (!countdown) return;
        for (int64_t s : {int64_t{1}, int64_t{123}, int64_t{124}, total - 1, total, total + 1}) {
            expected.push_back(total - s > 1 ? total - s : 1);
            os.After(s * 1000 + 500, [&, this] {
                const kp::SysTime t = Page().DateTimeOf(IDC_COUNTDOWN_TIME).GetTime();
                left.push_back(t.wHour * 3600 + t.wMinute * 60 + t.wSecond);
            });
        }
    });
    os.At(23LL * 3600 * 1000, [&, this] { timers = Page().Timers(); });
    ExitAt(500 + 23LL * 3600 * 1000);
    Run();
    EXPECT_EQ(c.inMs < 0 ? 0u : 1u, os.Power().Calls().size());
    EXPECT_EQ(expected, left);
    EXPECT_EQ(c.inMs < 0 ? std::vector<unsigned>{1001} : std::vector<unsigned>{}, timers);
    EXPECT_EQ(1u, Profile(countdown ? "Options_c1" : "Options_b1").value_or(0));
}

INSTANTIATE_TEST_SUITE_P(
    Pickers, ShutdownTime,
    ::testing::Values(ShutdownCase{IDC_TIMED_SHUTDOWN, At(2026, 5, 5, 23, 29, 55), At(2026, 5, 5, 23, 30), 5000},
                      ShutdownCase{IDC_TIMED_SHUTDOWN, At(2026, 5, 5, 22, 0), At(2026, 5, 5, 23, 30), 5400000},
                      ShutdownCase{IDC_TIMED_SHUTDOWN, At(2026, 5, 5, 23, 0), At(2026, 5, 5, 0, 30), 5400000},
                      ShutdownCase{IDC_TIMED_SHUTDOWN, At(2026, 5, 5, 0, 10), At(2026, 5, 5, 0, 10, 5), 5000},
                      ShutdownCase{IDC_TIMED_SHUTDOWN, At(2026, 5, 5, 22, 0), At(2026, 5, 5, 0, 0), -1},
                      ShutdownCase{IDC_TIMED_SHUTDOWN, At(2026, 5, 5, 22, 0), At(2026, 5, 5, 22, 10), 1200000,
                                   At(2026, 5, 5, 22, 20)},
                      ShutdownCase{IDC_COUNTDOWN, At(2026, 5, 5, 9, 0), At(2026, 5, 5, 1, 2, 3), 3723000},
                      ShutdownCase{IDC_COUNTDOWN, At(2026, 5, 5, 9, 0), At(2026, 5, 5, 0, 0, 10), 20000,
                                   At(2026, 5, 5, 0, 0, 20)}));

}  // namespace
}  // namespace kt
