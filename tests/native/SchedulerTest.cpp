// The scheduler and user time-control pages in the running program.
#include "Util.h"
#include "app/ListFile.h"
#include "usercontrol/UserLimitFile.h"

namespace kt {
namespace {

using namespace kp;
using namespace std::string_literals;

const char* const kDefault = "备忘记事:时间到!";

SysTime T(int h, int m, int s = 0) { return At(2026, 5, 5, h, m, s); }

class Pages : public Program {
protected:
    Strings Reminders() { return Rows(Page(kSchedulerTab), IDC_REMINDER_LIST); }
    Strings Limits() { return Rows(Page(kControlTab), IDC_USER_LIST, true); }
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

// Reminders across a month end: sorted in; refused for a minute begun (no year: January is past) or taken; shown
// once, at their minute or as the one before closes, then removed.
TEST_F(Pages, RemindersAreAddedInTimeOrderAndShownOnceAtTheirMinute) {
    StartAt(At(2026, 6, 30, 23, 58));
    OnPage(2000, kSchedulerTab, [this](SimWindow& page) {
        EXPECT_EQ("提示时间 120 1|提示信息 200 0|", Columns(page, IDC_REMINDER_LIST));
        Add(page, At(2026, 7, 2, 8, 0), "后天", [](SimWindow& w) {
            auto& time = w.DateTimeOf(IDC_REMINDER_TIME);
            const auto text = [&w] { return w.GetText(IDC_REMINDER_MESSAGE); };
            EXPECT_EQ(SysTimeToMs(At(2026, 7, 1, 0, 0)), SysTimeToMs(time.GetTime()));  // two minutes on
            EXPECT_EQ("MM月dd日HH点mm分 2026 年", time.Format().value_or("") + " " + w.GetText(IDC_REMINDER_YEAR));
            EXPECT_EQ(kDefault, text());
            w.FocusControl(IDC_REMINDER_MESSAGE);
            EXPECT_EQ("", text());
            w.LButtonDown();  // focus lost: the default is back
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
            {6, 30, 23, 59, "另一条"}, {7, 1, 0, 3, "新加的"}, {7, 1, 0, 5, ""}, {7, 1, 0, 0, "午夜"},
            {7, 1, 0, 1, "一分"}};
        for (const auto& [mo, d, h, m, text] : adds) Add(page, At(2026 + (mo == 1), mo, d, h, m), text);
        EXPECT_EQ((Strings{"06月30日23点59分|删掉", "07月01日00点00分|午夜", "07月01日00点01分|一分",
                           "07月01日00点03分|新加的", "07月01日00点05分|" + std::string(kDefault),
                           "07月02日08点00分|后天"}),
                  Reminders());
    });
    OnPage(55000, kSchedulerTab, [](SimWindow& page) {
        page.ClickListItem(IDC_REMINDER_LIST, 0);
        page.Click(IDC_REMINDER_DELETE);  // its timer armed
    });
    os.At(90000, [this] { EXPECT_EQ(10000u, Page(kSchedulerTab).TimerPeriod(1002)); });
    for (int i = 0; i < 4; ++i) os.AnswerMessageBox(IDOK);
    os.AnswerMessageBox(IDOK, 90000);  // past the next one's minute
    for (int i = 0; i < 4; ++i) os.AnswerMessageBox(IDOK, 1000);
    os.At(209000, [this] { EXPECT_EQ(5u, Reminders().size()); });  // kept while shown
    os.At(210500, [this] { EXPECT_EQ(4u, Reminders().size()); });
    os.At(When(At(2026, 7, 2, 8, 0, 30)), [this] { EXPECT_TRUE(Page(kSchedulerTab).Timers().empty()); });
    ExitAt(When(At(2026, 7, 2, 8, 1)));
    Run();
    Strings shown;
    for (const auto& box : os.MessageBoxes()) {
        const SysTime t = AddMs(start, box.at);
        shown.push_back(Format("%02d:%02d:%02d ", t.wHour, t.wMinute, t.wSecond) + box.text);
    }
    const std::string past = "23:58:02 您设置的提醒时间已经过去或与当前本地时间相等，请重新设置提醒时间";
    EXPECT_EQ((Strings{past, past, past, "23:58:02 您设置的时间已经设置了提示信息", "00:00:00 午夜", "00:01:31 一分",
                       "00:03:00 新加的", "00:05:00 " + std::string(kDefault), "08:00:00 后天"}),
              shown);
}

// The hourly notice at each full hour of the local clock while ticked, whatever the interval; a change applied once;
// a zero countdown refuses the whole apply, every time.
TEST_F(Pages, TheHourlyNoticeAndTheApply) {
    SetUser(os, "Options_a1", 1);
    SetUser(os, "Options_a2", 3);
    SetUser(os, "Options_f2", 2);
    os.Reg().SetString(HKCU, kProfile, "Options_f1", "s3cret");
    for (const char* name : {"TimeSet.ini", "ControlSet.ini"}) {  // left alone
        PutFile(name, "x");
        os.Files().FailReads(Path(name));
    }
    StartAt(T(13, 58));
    os.SetUtcTime(T(8, 13));  // UTC+5:45
    const auto at = [this](int h, int m) { return When(T(h, m)); };
    Strings seen;
    const auto look = [this, &seen] {
        SimWindow* w = os.Modal(IDD_NOTICE);
        seen.push_back(w ? w->GetText(IDC_NOTICE_MESSAGE) + " " + w->GetText(IDC_NOTICE_COUNTDOWN) : "-");
    };
    const int64_t two = at(14, 0);
    os.At(two + 11, [this] { EXPECT_TRUE(os.Modal(IDD_NOTICE)); });  // to the timer's resolution
    for (int k = 0; k <= 16; ++k) os.At(two + k * 1000 + 500, look);
    for (int half = 1; half <= 6; ++half) os.At(two + half * 1800000 + 500, look);
    os.At(two + 3200, [this] {
        if (SimWindow* w = os.Modal(IDD_NOTICE)) {  // none closes it
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
    });
    OnPage(at(16, 40), kSchedulerTab, [](SimWindow&) {});  // applied as it hides
    OnPage(at(17, 10), kSchedulerTab, [](SimWindow& page) {
        for (int box : {IDC_COUNTDOWN, IDC_TIMED_SHUTDOWN}) page.Click(box);
        page.ClickApply();
    });
    for (int i = 0; i < 5; ++i) os.AnswerMessageBox(IDOK);
    ExitAt(at(17, 11));
    Run();
    const auto notice = [](int h, int s) { return Format("现在时刻%d点正 对话框将在%d秒后自动关闭.", h, s); };
    Strings expected;
    for (int k = 0; k < 16; ++k) expected.push_back(notice(14, 16 - k - !k));
    expected.insert(expected.end(), {"-", "-", notice(15, 15), "-", "-", "-", notice(17, 15)});
    EXPECT_EQ(expected, seen);
    const char* zero = "倒计时关机时间不能为零";
    EXPECT_TRUE(MessageBoxTexts(os, {"提示信息列表读取失败", "定时提醒信息列表初始化失败", zero, zero, zero}));
    EXPECT_EQ("x x s3cret", File("TimeSet.ini") + " " + File("ControlSet.ini") + " " +
                                *os.Reg().GetString(HKCU, kProfile, "Options_f1"));
    std::string stored;
    for (const char* name : {"Options_a1", "Options_a2", "Options_b1", "Options_c1"})
        stored += std::to_string(Profile(name).value_or(9));
    EXPECT_EQ("1501", stored);
}

struct Shutdown {
    int box;
    SysTime applied, set;
    int64_t inMs;                      // -1: none
    std::optional<SysTime> changed{};  // then applied again
};

class ShutdownTime : public Pages, public ::testing::WithParamInterface<Shutdown> {};

// One shutdown, when the picker says; the countdown's picker shows the time left, 1 at the end.
TEST_P(ShutdownTime, ComesWhenItsPickerSaysAndOnlyThen) {
    const Shutdown& c = GetParam();
    const bool countdown = c.box == IDC_COUNTDOWN;
    const int picker = countdown ? IDC_COUNTDOWN_TIME : IDC_TIMED_SHUTDOWN_TIME;
    std::vector<int64_t> left;
    size_t armed = 9;
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
        for (int s : {1, 123, 124, 3722, 3723, 3724})
            if (countdown) os.After(s * 1000 + 500, [&, this] {
                const SysTime t = Page(kSchedulerTab).DateTimeOf(IDC_COUNTDOWN_TIME).GetTime();
                left.push_back(t.wHour * 3600 + t.wMinute * 60 + t.wSecond);
            });
    });
    os.At(23LL * 3600 * 1000, [&, this] { armed = Page(kSchedulerTab).Timers().size(); });
    ExitAt(500 + 23LL * 3600 * 1000);
    Run();
    EXPECT_EQ(c.inMs < 0 ? 0u : 1u, os.Power().Calls().size());
    EXPECT_EQ(c.inMs < 0, armed);
    EXPECT_EQ(1u, Profile(countdown ? "Options_c1" : "Options_b1"));
    EXPECT_EQ((countdown ? std::vector<int64_t>{3722, 3600, 3599, 1, 1, 1} : std::vector<int64_t>{}), left);
}

const int kTimed = IDC_TIMED_SHUTDOWN;
const Shutdown kShutdowns[] = {
    {kTimed, T(23, 29, 55), T(23, 30), 5000},       {kTimed, T(22, 0), T(23, 30), 5400000},
    {kTimed, T(23, 0), T(0, 30), 5400000},          {kTimed, T(0, 10), T(0, 10, 5), 5000},
    {kTimed, T(22, 0), T(0, 0), -1},                {kTimed, T(22, 0), T(22, 10), 1200000, T(22, 20)},
    {IDC_COUNTDOWN, T(9, 0), T(1, 2, 3), 3723000}};
INSTANTIATE_TEST_SUITE_P(Pickers, ShutdownTime, ::testing::ValuesIn(kShutdowns));

// The new-limit dialog opens fresh, refuses with its message or sorts the row in (the same name replaced on Yes);
// nothing written before the exit. The default password opens the first administrator setting only.
TEST_F(Pages, TheLimitListAndTheAdministratorOnOneVisitToThePage) {
    const char *same = "该用户已存在,是否覆盖原有设置.", *shorter = "你设置的使用时间段差额小于可使用时间,是否重新设置";
    const std::string file = ListHeader(3) + LimitRecord({"Tom", "1小时", "5分钟", ""}, 1) +
                             LimitRecord({"yan", "", "", ""}, 3) + LimitRecord({"zed", "", "", "damaged"}, 3);
    PutFile("ControlSet.ini", file);
    const struct {
        const char *user, *hours, *rest;
        int window[4];
        const char* message;
        int answer = IDOK;
    } cases[] = {
        {"Tom", "3", "20", {}, same, IDNO},
        {"Tom", "4", "20", {}, same, IDYES},
        {"bob", "2", "11", {}, {}},
        {"alice", {}, {}, {9, 0, 22, 30}, {}},
        {"carl", "1", "14", {8, 0, 12, 0}, {}},
        {"tom", "2", "5", {}, {}},
        {"", {}, {}, {}, "用户名不能为空"},
        {"u1", {}, {}, {}, "你未添加任何限制,请设置对该用户的限制"},
        {"abcdefghijklmnopqrstu", {}, {}, {}, "请输入不多于 20 个字符。"},
        {"一二三四五六七八九十一二三四五六七八九十", "6", {}, {}, "请输入一个介于 1 和 5 之间的整数。"},
        {"u1", "x", {}, {}, "请输入一个整数。"},
        {"u1", "1", {}, {9, 0, 9, 59}, "你设置的使用时间段不被接受,开始时间应小于结束时间"},
        {"u1", "4", {}, {9, 0, 11, 0}, shorter, IDYES},
        {"u1", "3", {}, {9, 0, 11, 0}, shorter, IDNO},
        {"u2", "1", "1", {9, 30, 10, 0}, "请输入一个介于 5 和 60 之间的整数。"},
        {"u3", {}, {}, {9, 0, 10, 0}, {}},
        {"u4", "5", "60", {}, {}},
    };
    Strings messages;
    for (const auto& c : cases)
        if (c.message) messages.push_back(c.message);
    const auto stored = [this] {
        std::string out;
        for (const char* name : {"f1", "f2", "g1", "g2", "g3", "Mg1", "Mg2", "Mg3"}) {
            const bool m = *name == 'M';
            const auto v = os.Reg().GetRaw(m ? HKLM : HKCU, m ? kMachine : kProfile, "Options_"s + (name + m));
            out += (!v ? "-" : v->type == sim::REG_DWORD ? std::to_string(v->bytes[0]) : v->bytes) + " ";
        }
        return out;
    };
    // A click on a dialog keeps the window up 30 s more, a double click does not.
    const auto clicks = [this](SimWindow& w) {
        w.LButtonDown(true);
        const int64_t due = *os.Sheet()->TimerDue(10001);
        w.LButtonDown();
        EXPECT_EQ(1000, *os.Sheet()->TimerDue(10001) - due);
    };
    std::string focus;  // after each refusal
    OnPage(2000, kControlTab, [&, this](SimWindow& page) {
        EXPECT_EQ("用户名 80 1|连续使用时间 100 1|休息时间 100 1|使用时间段 150 1|", Columns(page, IDC_USER_LIST));
        for (const auto& c : cases) {
            if (c.message) os.AnswerMessageBox(c.answer);
            os.OnModal(IDD_NEWUSERLIMIT, [&c, &focus](SimWindow& w) {
                std::string fresh = w.GetText(IDC_LIMIT_USER) + w.GetText(IDC_LIMIT_HOURS) + w.GetText(IDC_LIMIT_REST);
                fresh += Format(" %d%d ", w.GetCheck(IDC_LIMIT_CONTINUOUS), w.GetCheck(IDC_LIMIT_WINDOW));
                for (int id : {IDC_LIMIT_HOURS, IDC_LIMIT_REST, IDC_LIMIT_REST_SPIN, IDC_LIMIT_START, IDC_LIMIT_END})
                    fresh += std::to_string(w.IsControlEnabled(id));
                for (int id : {IDC_LIMIT_START, IDC_LIMIT_END}) {
                    const SysTime t = w.DateTimeOf(id).GetTime();
                    fresh += " " + w.DateTimeOf(id).Format().value_or("") + Format("=%d:%02d", t.wHour, t.wMinute);
                }
                EXPECT_EQ("tom15 00 00000 HH:mm=9:00 HH:mm=22:00", fresh);
                w.Type(IDC_LIMIT_USER, c.user);
                if (c.hours) {
                    w.Click(IDC_LIMIT_CONTINUOUS);
                    w.Type(IDC_LIMIT_HOURS, c.hours);
                    if (c.rest) w.Type(IDC_LIMIT_REST, c.rest);
                }
                if (c.window[2]) {
                    w.Click(IDC_LIMIT_WINDOW);
                    w.PickDateTime(IDC_LIMIT_START, T(c.window[0], c.window[1]));
                    w.PickDateTime(IDC_LIMIT_END, T(c.window[2], c.window[3]));
                }
                w.Click(IDOK);
                if (!w.Result()) focus += Format("%d ", w.Focus());
                if (!w.Result()) w.Escape();
            });
            page.Click(IDC_USER_NEW);
        }
        page.Click(IDC_USER_DELETE);
        page.ClickListItem(IDC_USER_LIST, 0);
        page.Click(IDC_USER_DELETE);
        EXPECT_EQ(file, File("ControlSet.ini"));
        os.OnModal(IDD_NEWUSERLIMIT, [&](SimWindow& w) {
            clicks(w);
            w.Click(IDC_LIMIT_CONTINUOUS);
            std::string rest;
            for (int step : {1, -1, -1, 0, 1}) {
                if (step) w.ClickUpDown(IDC_LIMIT_REST_SPIN, step);
                else w.Type(IDC_LIMIT_REST, "60");
                rest += w.GetText(IDC_LIMIT_REST) + " ";
            }
            EXPECT_EQ("10 5 5 60 60 ", rest);
            w.Escape();
        }, 1000);
        page.Click(IDC_USER_NEW);

        const auto ask = [&, this](const std::string& password, std::function<void(SimWindow&)> inDialog = {}) {
            os.OnModal(IDD_PASSWORDINPUT, [password](SimWindow& w) {
                w.Type(IDC_PASSWORD, password);
                w.Click(IDOK);
            });
            if (inDialog) os.OnModal(IDD_ADMIN, inDialog, 1000);
            page.Click(IDC_ADMIN_SETTINGS);
        };
        for (int i = 0; i < 3; ++i) os.AnswerMessageBox(IDOK);
        ask("MoonGate", [&](SimWindow& w) {
            clicks(w);
            w.Click(IDOK);  // refused: no name
            w.Type(IDC_ADMIN_NAME, "boss");
            w.Click(IDCANCEL);
        });
        EXPECT_EQ("MoonGate 1 - - - - - - ", stored());
        ask("MoonGate", [](SimWindow& w) {
            w.Type(IDC_ADMIN_NAME, "boss");
            w.Type(IDC_ADMIN_PASSWORD, "Sesame");
            w.Click(IDC_ADMIN_NO_TRAY);
            w.Click(IDC_ADMIN_HIDE);
            w.Click(IDOK);
        });
        EXPECT_EQ("Sesame 2 boss 1 1 boss 1 1 ", stored());
        SetMachine(os, "Options_g3", 0);
        ask("MoonGate");
        ask("Sesame", [&](SimWindow& w) {
            EXPECT_EQ("Sesame", w.GetText(IDC_ADMIN_PASSWORD));
            w.Type(IDC_ADMIN_PASSWORD, "");
            w.Click(IDOK);
        });
        ask("", [](SimWindow& w) { w.Click(IDCANCEL); });
        SetUser(os, "Options_f2", 1);
        ask("");
        SetUser(os, "Options_f1", 0);
        ask("");
    });
    ExitAt(10000);
    Run();
    messages.insert(messages.end(), {"管理员名称不能为空", "密码错误", "密码错误"});
    EXPECT_TRUE(MessageBoxTexts(os, messages));
    // A value refused by its field's own rule (length, range, number) puts the focus there; the rest leave it on OK.
    EXPECT_EQ(Format("1 1 %d %d %d 1 1 ", IDC_LIMIT_USER, IDC_LIMIT_HOURS, IDC_LIMIT_HOURS), focus);
    EXPECT_EQ("0 1 boss 1 0 boss 1 0 ", stored());
    EXPECT_EQ((Strings{"bob|2小时|15分钟||1", "carl|1小时|10分钟|每日8时0分 - 12时0分|3", "Tom|4小时|20分钟||1",
                       "tom|2小时|5分钟||1", "u1|3小时|5分钟|每日9时0分 - 11时0分|3",
                       "u2|1小时|5分钟|每日9时30分 - 10时0分|3", "u3|||每日9时0分 - 10时0分|3", "u4|5小时|60分钟||1",
                       "yan||||3", "zed|||damaged|3"}),
              Limits());
    // Row, time, 1 inside (ends too), -1 outside, 0 no window.
    const int windows[][4] = {{0, 23, 0, 0},  {1, 7, 59, -1}, {1, 8, 0, 1},  {1, 12, 0, 1}, {1, 12, 1, -1},
                              {5, 9, 29, -1}, {5, 9, 30, 1},  {5, 10, 0, 1},  {5, 10, 1, -1}, {5, 23, 0, -1},
                              {8, 12, 0, 0},  {9, 0, 0, 1},   {9, 12, 0, -1}};
    for (const auto& [row, h, m, where] : windows)
        EXPECT_EQ(where, kestor::CheckDailyWindow(Page(kControlTab).ListViewOf(IDC_USER_LIST), row, T(h, m))) << row;
}

// Both files read and written back: past reminders dropped (the minute begun too), a record cut short ends a list.
TEST_F(Pages, ListFilesAreReadAndWrittenBack) {
    StartAt(At(2026, 5, 5, 9, 5, 30));
    // 26 January 09:26 packs to two bytes 0x1A; 10 October 10:10 to four bytes 0x0A, each stored as CR LF.
    const std::string kept = "\r\n\r\n\r\n\r\nD\r\n10-10\r\nz\r\n";
    PutFile("TimeSet.ini", ListHeader(4) + ReminderRecord(Packed(1, 26, 9, 26), "01-26", "x") +
                               ReminderRecord(Packed(5, 5, 9, 5), "9:05", "y") + kept + kept.substr(0, 9));
    const std::string odd = LimitRecord({"a", "", "", ""}, 0x1A0A0D0A), amy = LimitRecord({"amy", "2小时", "1", ""}, 0);
    PutFile("ControlSet.ini", ListHeader(3) + odd + amy.substr(0, amy.find("1\r") + 1));
    size_t checks = 9;
    os.At(2900, [&, this] { checks = Page(kSchedulerTab).Timers().size(); });
    ExitAt(3000);
    Run();
    EXPECT_EQ(1u, checks);
    EXPECT_EQ(Strings{"10-10|z"}, Reminders());
    EXPECT_EQ((Strings{"a||||" + std::to_string(0x1A0A0D0A), "amy|2小时|1||0"}), Limits());
    EXPECT_EQ(ListHeader(1) + kept, File("TimeSet.ini"));
    EXPECT_EQ(ListHeader(2) + odd + amy, File("ControlSet.ini"));
}

// Rows go in greatest first, each at the top, drawing off (Wine's list view seeks a row's place from the top).
TEST(ListFile, RowsGoInGreatestFirstAtTheTopWithDrawingOff) {
    sim::SimListView list;
    std::vector<kestor::ListRow> rows{{{"b", "x"}, 1}, {{"A", "x"}, 2}, {{"c", "x"}, 3}, {{"a", "x"}, 4}};
    for (int column : {0, 1}) list.InsertColumn(column, "", 80, ColumnAlign::Left);
    kestor::InsertSortedRows(list, rows);
    std::string order;
    for (const auto& row : list.Rows()) order += std::to_string(row.data);
    EXPECT_EQ("4213", order);  // equal names in the file's order
    EXPECT_TRUE(list.redraw && list.GetItemText(0, 1) == "x");
    TextWriter out;
    kestor::WriteUserLimits(list, 0, out);
    EXPECT_EQ("", out.Bytes());  // no rows, no header
}

// An hour of use gives a 300 s rest. Outside the daily window the notice counts 120 s (stuck, the backstop acts at
// 130 s), then the lists are saved and Windows shut.
enum Outcome { kRest, kEndOfDay, kStuck };

class Enforcement : public Pages, public ::testing::WithParamInterface<Outcome> {};

TEST_P(Enforcement, RestsAfterTheContinuousLimitOrEndsTheDayOutsideTheWindow) {
    const bool rest = GetParam() == kRest, stuck = GetParam() == kStuck;
    StartAt(T(rest ? 23 : 22, !rest));
    const std::string tom = rest ? LimitRecord({"tom", "1小时", "5分钟", "每日9时0分 - 10时0分"}, 1)  // no window
                                 : LimitRecord({"tom", "2小时", "10分钟", "每日9时0分 - 22时0分"}, 3);
    PutFile("ControlSet.ini", ListHeader(2) + tom + LimitRecord({"zoe", "1小时", "5分钟", ""}, 1));
    const char* line = rest ? "系统将在%d秒后解除锁定" : "系统将在%d秒后自动关闭";
    const int seconds = rest ? 300 : 120;
    std::string opened;
    int shown = 0;
    for (int showing = 0; showing < 2; ++showing)
        os.OnModal(IDD_NOTICE, [&, this](SimWindow& w) {
            opened += std::to_string(os.Now()) + " ";
            ++shown;
            EXPECT_EQ("用户:tom.\n    "s + (rest ? "您已经连续使用1小时,请休息一会儿."
                                                  : "您本日使用时间即将结束,请注意保存好您个人的文档资料."),
                      w.GetText(IDC_NOTICE_MESSAGE));
            EXPECT_EQ(Format(line, seconds), w.GetText(IDC_NOTICE_COUNTDOWN));
            if (stuck) SheetOf(os).m_control.m_notice.m_nSeconds = 100000;
            os.After(1500, [&, this] {
                EXPECT_EQ(Format(line, stuck ? 100000 : seconds) + ".", w.GetText(IDC_NOTICE_COUNTDOWN));
                EXPECT_TRUE(os.Input().MouseHook() && os.Input().ScreenSaverRunning() && w.IsTopmost());
                EXPECT_EQ(rest, os.Input().Clip() == w.GetWindowRect());  // in the rest only
                EXPECT_FALSE(w.IsControlVisible(IDOK));
                w.Enter();
                w.Escape();
            });
            if (!rest) return;
            os.After(301500, [&, this] {
                const kestor::CNoticeDlg& notice = SheetOf(os).m_control.m_notice;
                EXPECT_EQ("0 0 1", Format("%d %d %d", notice.m_bSystemMode, notice.m_bLock, notice.m_bClipCursor));
                EXPECT_EQ(shown, os.Input().ReleaseCaptures());
            });
        });
    if (rest) ExitAt(8000000);
    Run();
    EXPECT_EQ(rest ? "3602000 7505000 " : "10 ", opened);  // 301 s apart
    EXPECT_EQ(std::vector<unsigned>(!rest, EWX_SHUTDOWN), os.Power().Calls());
    if (rest) return;
    EXPECT_EQ(10 + (stuck ? 130000 : 121000), os.Now());
    EXPECT_EQ((Strings{Path("TimeSet.ini"), Path("ControlSet.ini"), Path("Playlist.m3u")}), os.Files().Writes());
}

INSTANTIATE_TEST_SUITE_P(Outcomes, Enforcement, ::testing::Values(kRest, kEndOfDay, kStuck));

}  // namespace
}  // namespace kt
