// The scheduler page: reminders, the hourly notice, shutdowns, apply.
#include "Util.h"

namespace kt {
namespace {

using namespace kp;

const char* const kDefault = "备忘记事:时间到!";

SysTime T(int h, int m, int s = 0) { return At(2026, 5, 5, h, m, s); }

class Sched : public Program {
protected:
    Strings Reminders() { return Rows(kSchedulerTab, IDC_REMINDER_LIST); }
    // Adds a reminder through its dialog, after `first` has run in it.
    void Add(SimWindow& page, const SysTime& t, const std::string& text, std::function<void(SimWindow&)> first = {}) {
        os.OnModal(IDD_NEWREMINDER, [=](SimWindow& w) {
            if (first) first(w);
            w.PickDateTime(IDC_REMINDER_TIME, t);
            w.Type(IDC_REMINDER_MESSAGE, text);
            w.Click(IDOK);
        });
        page.Click(IDC_REMINDER_NEW);
    }
};

// Reminders across a month end: sorted in; refused for a minute begun (no year: January is past) or taken; each
// shown once, at its minute or as the one before closes, then removed.
TEST_F(Sched, RemindersAreAddedInTimeOrderAndShownOnceAtTheirMinute) {
    StartAt(At(2026, 6, 30, 23, 58));
    OnPage(2000, kSchedulerTab, [this](SimWindow& page) {
        std::string columns;
        for (const auto& c : page.ListViewOf(IDC_REMINDER_LIST).Columns())
            columns += Format("%s %d %d|", c.title.c_str(), c.width, c.align == ColumnAlign::Center);
        EXPECT_EQ("提示时间 120 1|提示信息 200 0|", columns);
        Add(page, At(2026, 7, 2, 8, 0), "后天", [](SimWindow& w) {
            auto& time = w.DateTimeOf(IDC_REMINDER_TIME);
            const auto text = [&w] { return w.GetText(IDC_REMINDER_MESSAGE); };
            EXPECT_EQ(SysTimeToMs(At(2026, 7, 1, 0, 0)), SysTimeToMs(time.GetTime()));  // two minutes on
            EXPECT_EQ("MM月dd日HH点mm分 2026 年", time.Format().value_or("") + " " + w.GetText(IDC_REMINDER_YEAR));
            EXPECT_EQ(kDefault, text());
            w.FocusControl(IDC_REMINDER_MESSAGE);
            EXPECT_EQ("", text());
            w.LButtonDown();  // the field loses the focus: empty, the default is back
            EXPECT_EQ(kDefault, text());
            for (const char* typed : {"交报告", kDefault}) {  // the default typed counts as it
                w.Type(IDC_REMINDER_MESSAGE, typed);
                w.FocusControl(IDC_REMINDER_TIME);
                w.FocusControl(IDC_REMINDER_MESSAGE);
                EXPECT_EQ(typed == kDefault ? "" : typed, text());
            }
        });
        const std::tuple<int, int, int, int, const char*> adds[] = {
            {6, 30, 23, 59, "删掉"}, {6, 30, 23, 58, "此刻"}, {5, 31, 10, 0, "上个月"}, {1, 1, 8, 0, "明年"},
            {6, 30, 23, 59, "另一条"}, {7, 1, 0, 3, "新加的"}, {7, 1, 0, 5, ""}, {7, 1, 0, 0, "午夜"}, {7, 1, 0, 1, "一分"}};
        for (const auto& [mo, d, h, m, text] : adds) Add(page, At(2026 + (mo == 1), mo, d, h, m), text);
        EXPECT_EQ((Strings{"06月30日23点59分|删掉", "07月01日00点00分|午夜", "07月01日00点01分|一分",
                           "07月01日00点03分|新加的", "07月01日00点05分|" + std::string(kDefault),
                           "07月02日08点00分|后天"}),
                  Reminders());
    });
    // The first reminder is deleted while its one-shot timer is armed.
    OnPage(55000, kSchedulerTab, [](SimWindow& page) {
        page.ClickListItem(IDC_REMINDER_LIST, 0);
        page.Click(IDC_REMINDER_DELETE);
    });
    os.At(90000, [this] { EXPECT_EQ(10000u, Page(kSchedulerTab).TimerPeriod(1002)); });
    for (int i = 0; i < 4; ++i) os.AnswerMessageBox(IDOK);
    os.AnswerMessageBox(IDOK, 90000);  // open past the next reminder's minute
    for (int i = 0; i < 4; ++i) os.AnswerMessageBox(IDOK, 1000);
    const auto july = [this](int d, int h, int m, int s) { return When(At(2026, 7, d, h, m, s)); };
    os.At(july(1, 0, 1, 29), [this] { EXPECT_EQ(5u, Reminders().size()); });  // kept while shown
    os.At(july(1, 0, 1, 30) + 500, [this] { EXPECT_EQ(4u, Reminders().size()); });
    os.At(july(2, 8, 0, 30), [this] { EXPECT_TRUE(Page(kSchedulerTab).Timers().empty()); });
    ExitAt(july(2, 8, 1, 0));
    Run();
    Strings shown;  // "HH:MM:SS text" as it opened
    for (const auto& box : os.MessageBoxes()) {
        const SysTime t = AddMs(start, box.at);
        shown.push_back(Format("%02d:%02d:%02d ", t.wHour, t.wMinute, t.wSecond) + box.text);
    }
    const std::string past = "23:58:02 您设置的提醒时间已经过去或与当前本地时间相等，请重新设置提醒时间";
    EXPECT_EQ((Strings{past, past, past, "23:58:02 您设置的时间已经设置了提示信息", "00:00:00 午夜", "00:01:31 一分",
                       "00:03:00 新加的", "00:05:00 " + std::string(kDefault), "08:00:00 后天"}),
              shown);
}

// The hourly notice at every full hour of the local clock while ticked, whatever the interval; a change applied once,
// at the hide; a zero countdown refuses the whole apply, at every try.
TEST_F(Sched, TheSettingsTakeEffectWhenAppliedAndTheHourlyNoticeComesAtEveryFullHour) {
    SetProfile("Options_a1", 1);
    SetProfile("Options_a2", 3);
    StartAt(T(13, 58));
    os.SetUtcTime(T(8, 13));  // a zone 5 h 45 min ahead of UTC
    const auto at = [this](int h, int m) { return When(T(h, m)); };
    Strings seen;
    const auto look = [this, &seen] {
        SimWindow* w = os.Modal(IDD_NOTICE);
        seen.push_back(w ? w->GetText(IDC_NOTICE_MESSAGE) + " " + w->GetText(IDC_NOTICE_COUNTDOWN) : "-");
    };
    const int64_t two = at(14, 0);
    os.At(two + 11, [this] { EXPECT_TRUE(os.Modal(IDD_NOTICE)); });  // on the full hour, to the timer's resolution
    for (int k = 0; k <= 16; ++k) os.At(two + k * 1000 + 500, look);
    for (int half = 1; half <= 6; ++half) os.At(two + half * 1800000 + 500, look);
    os.At(two + 3200, [this] {
        if (SimWindow* w = os.Modal(IDD_NOTICE)) {  // none of them closes it
            w->Click(IDOK);
            w->Enter();
            w->Escape();
        }
    });
    OnPage(at(15, 10), kSchedulerTab, [](SimWindow& page) {
        for (bool on : {false, true, false}) {  // waits for the apply
            page.Click(IDC_CHIME);
            EXPECT_EQ(on, page.IsControlEnabled(IDC_CHIME_INTERVAL));
            EXPECT_TRUE(page.Timers().empty());
        }
    });
    OnPage(at(16, 10), kSchedulerTab, [](SimWindow& page) {
        page.Click(IDC_CHIME);
        page.ClickApply();
        EXPECT_EQ(60000u, page.TimerPeriod(6004));
        page.SelectListItem(IDC_CHIME_INTERVAL, 5);
        EXPECT_TRUE(page.Timers().empty());
    });
    OnPage(at(16, 40), kSchedulerTab, [](SimWindow&) {});  // applied as it hides
    OnPage(at(17, 10), kSchedulerTab, [](SimWindow& page) {
        for (int box : {IDC_COUNTDOWN, IDC_TIMED_SHUTDOWN}) page.Click(box);
        page.ClickApply();
    });
    for (int i = 0; i < 3; ++i) os.AnswerMessageBox(IDOK);  // the hide and the exit apply again
    ExitAt(at(17, 11));
    Run();
    const auto notice = [](int h, int s) { return Format("现在时刻%d点正 对话框将在%d秒后自动关闭.", h, s); };
    Strings expected;
    for (int k = 0; k < 16; ++k) expected.push_back(notice(14, 16 - k - !k));
    expected.insert(expected.end(), {"-", "-", notice(15, 15), "-", "-", "-", notice(17, 15)});
    EXPECT_EQ(expected, seen);
    const char* const zero = "倒计时关机时间不能为零";
    EXPECT_TRUE(MessageBoxTexts(os, {zero, zero, zero}));
    std::string stored;
    for (const char* name : {"Options_a1", "Options_a2", "Options_b1", "Options_c1"})
        stored += std::to_string(Profile(name).value_or(9));
    EXPECT_EQ("1501", stored);
}

struct Shutdown {
    int box;
    SysTime applied, set;  // the clock at the apply, the picker
    int64_t inMs;          // from the apply to the shutdown; -1: none in 23 hours
    std::optional<SysTime> changed = std::nullopt;  // picked after the apply, then applied again
};

class ShutdownTime : public Sched, public ::testing::WithParamInterface<Shutdown> {};

// One shutdown, when the picker says; the countdown's picker shows the time left, 1 at the end.
TEST_P(ShutdownTime, ComesWhenItsPickerSaysAndOnlyThen) {
    const Shutdown& c = GetParam();
    const bool countdown = c.box == IDC_COUNTDOWN;
    const int picker = countdown ? IDC_COUNTDOWN_TIME : IDC_TIMED_SHUTDOWN_TIME;
    std::vector<int64_t> left, expected;
    StartAt(AddMs(c.applied, -500));
    os.At(500, [&, this] {
        os.Sheet()->SelectTab(kSchedulerTab);
        SimWindow& page = Page(kSchedulerTab);
        page.Click(c.box);
        page.PickDateTime(picker, c.set);
        page.ClickApply();
        if (c.changed) {
            page.PickDateTime(picker, *c.changed);
            EXPECT_TRUE(page.Timers().empty());  // a change stops it
            page.ClickApply();
        }
        if (c.inMs < 0) return;
        os.After(c.inMs - 1, [this] { EXPECT_TRUE(os.Power().Calls().empty()); });
        os.After(c.inMs + 1, [this] { EXPECT_EQ(std::vector<unsigned>{EWX_SHUTDOWN}, os.Power().Calls()); });
        const int64_t total = c.inMs / 1000;
        for (int64_t s : {int64_t{1}, int64_t{123}, int64_t{124}, total - 1, total, total + 1}) {
            if (!countdown) break;
            expected.push_back(total - s > 1 ? total - s : 1);
            os.After(s * 1000 + 500, [&, this] {
                const SysTime t = Page(kSchedulerTab).DateTimeOf(IDC_COUNTDOWN_TIME).GetTime();
                left.push_back(t.wHour * 3600 + t.wMinute * 60 + t.wSecond);
            });
        }
    });
    ExitAt(500 + 23LL * 3600 * 1000);
    Run();
    EXPECT_EQ(c.inMs < 0 ? 0u : 1u, os.Power().Calls().size());
    EXPECT_EQ(expected, left);
}

const int kTimed = IDC_TIMED_SHUTDOWN;
const Shutdown kShutdowns[] = {
    {kTimed, T(23, 29, 55), T(23, 30), 5000},       {kTimed, T(22, 0), T(23, 30), 5400000},
    {kTimed, T(23, 0), T(0, 30), 5400000},          {kTimed, T(0, 10), T(0, 10, 5), 5000},
    {kTimed, T(22, 0), T(0, 0), -1},                {kTimed, T(22, 0), T(22, 10), 1200000, T(22, 20)},
    {IDC_COUNTDOWN, T(9, 0), T(1, 2, 3), 3723000}};
INSTANTIATE_TEST_SUITE_P(Pickers, ShutdownTime, ::testing::ValuesIn(kShutdowns));

}  // namespace
}  // namespace kt
