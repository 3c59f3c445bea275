// The user time-control page: the limit list, both list files, enforcement, the administrator.
#include "Util.h"
#include "app/ListFile.h"
#include "usercontrol/UserLimitFile.h"

namespace kt {
namespace {

using namespace kp;
using namespace std::string_literals;

SysTime T(int h, int m) { return At(2026, 5, 5, h, m); }

class Control : public Program {
protected:
    // The limit rows as "user|hours|rest|window|flags".
    Strings Limits() {
        Strings rows;
        const auto& list = Page(kControlTab).ListViewOf(IDC_USER_LIST);
        for (int r = 0; r < list.GetItemCount(); ++r) {
            rows.push_back("");
            for (int c = 0; c < 4; ++c) rows.back() += list.GetItemText(r, c) + "|";
            rows.back() += std::to_string(list.GetItemData(r));
        }
        return rows;
    }
};

// The new-limit dialog opens fresh, refuses with its message or sorts the row in (the same name to the letter case
// replaced on Yes); the file is written at the exit. The default password opens the first administrator setting only.
TEST_F(Control, TheLimitListAndTheAdministratorOnOneVisitToThePage) {
    const char* const same = "该用户已存在,是否覆盖原有设置.";
    const char* const shorter = "你设置的使用时间段差额小于可使用时间,是否重新设置";
    const std::string file = ListHeader(3) + LimitRecord({"Tom", "1小时", "5分钟", ""}, 1) +
                             LimitRecord({"yan", "", "", ""}, 3) + LimitRecord({"zed", "", "", "damaged"}, 3);
    PutFile("ControlSet.ini", file);
    const struct {
        const char *user, *hours, *rest;  // no hours: continuous box clear
        int window[4];                    // start, end as hour, minute
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
            const auto v = os.Reg().GetRaw(m ? Hive::LocalMachine : Hive::CurrentUser, m ? kMachine : kProfile,
                                           "Options_"s + (name + m));
            out += (!v ? "-" : v->type == sim::REG_DWORD ? std::to_string(v->bytes[0]) : v->bytes) + " ";
        }
        return out;
    };
    // A click on a dialog is activity (the window stays up 30 s more), a double click none.
    const auto clicks = [this](SimWindow& w) {
        w.LButtonDown(true);
        const int64_t due = *os.Sheet()->TimerDue(10001);
        w.LButtonDown();
        EXPECT_EQ(1000, *os.Sheet()->TimerDue(10001) - due);
    };
    OnPage(2000, kControlTab, [&, this](SimWindow& page) {
        std::string columns;
        for (const auto& c : page.ListViewOf(IDC_USER_LIST).Columns())
            columns += Format("%s %d %d|", c.title.c_str(), c.width, c.align == ColumnAlign::Center);
        EXPECT_EQ("用户名 80 1|连续使用时间 100 1|休息时间 100 1|使用时间段 150 1|", columns);
        for (const auto& c : cases) {
            if (c.message) os.AnswerMessageBox(c.answer);
            os.OnModal(IDD_NEWUSERLIMIT, [&c](SimWindow& w) {
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
                if (!w.Result()) w.Escape();
            });
            page.Click(IDC_USER_NEW);
        }
        page.Click(IDC_USER_DELETE);  // no row selected
        page.ClickListItem(IDC_USER_LIST, 0);
        page.Click(IDC_USER_DELETE);
        EXPECT_EQ(file, File("ControlSet.ini"));
        os.OnModal(IDD_NEWUSERLIMIT, [&](SimWindow& w) {
            clicks(w);
            w.Click(IDC_LIMIT_CONTINUOUS);
            std::string rest;
            for (int step : {1, -1, -1, 0, 1}) {  // the arrows stop at both ends
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
        os.Reg().SetDword(Hive::LocalMachine, kMachine, "Options_g3", 0);  // the dialog shows the machine's
        ask("MoonGate");
        ask("Sesame", [&](SimWindow& w) {
            EXPECT_EQ("Sesame", w.GetText(IDC_ADMIN_PASSWORD));
            w.Type(IDC_ADMIN_PASSWORD, "");
            w.Click(IDOK);
        });
        ask("", [](SimWindow& w) { w.Click(IDCANCEL); });
        SetProfile("Options_f2", 1);  // first state, another password
        ask("");
        SetProfile("Options_f1", 0);  // no text: nothing after the question
        ask("");
    });
    ExitAt(10000);
    Run();
    for (const char* text : {"管理员名称不能为空", "密码错误", "密码错误"}) messages.push_back(text);
    EXPECT_TRUE(MessageBoxTexts(os, messages));
    EXPECT_EQ("0 1 boss 1 0 boss 1 0 ", stored());
    const Strings rows = {"bob|2小时|15分钟||1", "carl|1小时|10分钟|每日8时0分 - 12时0分|3", "Tom|4小时|20分钟||1",
                          "tom|2小时|5分钟||1", "u1|3小时|5分钟|每日9时0分 - 11时0分|3",
                          "u2|1小时|5分钟|每日9时30分 - 10时0分|3", "u3|||每日9时0分 - 10时0分|3", "u4|5小时|60分钟||1",
                          "yan||||3", "zed|||damaged|3"};
    std::string saved = "[ItemCount]\r\n\r\n\x00\x00\x00" "D\r\n[ItemData]\r\n"s;  // a count of 10 holds a line feed
    for (const std::string& row : rows) {
        Strings f(1);
        for (char c : row) c == '|' ? f.push_back("") : f.back().push_back(c);
        saved += LimitRecord({f[0], f[1], f[2], f[3]}, std::stoul(f[4]));
    }
    EXPECT_EQ(saved, File("ControlSet.ini"));
    // Row, time of day, where it lies: 1 inside (both ends too), -1 outside, 0 no window.
    const int windows[][4] = {{0, 23, 0, 0},  {1, 7, 59, -1}, {1, 10, 0, 1},  {1, 12, 0, 1}, {1, 12, 1, -1},
                              {5, 9, 29, -1}, {5, 9, 30, 1},  {5, 10, 0, 1},  {5, 10, 1, -1}, {5, 23, 0, -1},
                              {8, 12, 0, 0},  {9, 0, 0, 1},   {9, 12, 0, -1}};
    for (const auto& [row, h, m, where] : windows)
        EXPECT_EQ(where, kestor::CheckDailyWindow(Page(kControlTab).ListViewOf(IDC_USER_LIST), row, T(h, m))) << row;
}

struct Files {
    SysTime start;
    std::string reminders, limits;
    Strings reminderRows, limitRows;
    std::optional<std::string> savedReminders = std::nullopt, savedLimits = std::nullopt;  // none: unchanged
    bool unreadable = false;
};

class ListFiles : public Control, public ::testing::WithParamInterface<Files> {};

// Both files read (expired reminders dropped, damaged files giving what they hold) and written back.
TEST_P(ListFiles, AreReadIntoTheListsAndWrittenBackAsTheListsHoldThem) {
    const Files& c = GetParam();
    StartAt(c.start);
    PutFile("TimeSet.ini", c.reminders);
    PutFile("ControlSet.ini", c.limits);
    const Strings messages = c.unreadable ? Strings{"提示信息列表读取失败", "定时提醒信息列表初始化失败"} : Strings{};
    for (const char* name : {"TimeSet.ini", "ControlSet.ini"}) {
        if (c.unreadable) os.Files().FailReads(Path(name));
        os.AnswerMessageBox(IDOK);
    }
    SetProfile("Options_f2", 2);  // not the first start: f1 stays
    os.Reg().SetString(Hive::CurrentUser, kProfile, "Options_f1", "s3cret");
    size_t checks = 9;  // the reminder check runs if any was read
    os.At(2900, [&, this] { checks = Page(kSchedulerTab).Timers().size(); });
    ExitAt(3000);
    Run();
    EXPECT_EQ(!c.reminderRows.empty(), checks);
    EXPECT_EQ(c.reminderRows, Rows(kSchedulerTab, IDC_REMINDER_LIST));
    EXPECT_EQ(c.limitRows, Limits());
    EXPECT_EQ(c.savedReminders.value_or(c.reminders), File("TimeSet.ini"));
    EXPECT_EQ(c.savedLimits.value_or(c.limits), File("ControlSet.ini"));
    EXPECT_TRUE(MessageBoxTexts(os, messages));
    EXPECT_EQ("s3cret", os.Reg().GetString(Hive::CurrentUser, kProfile, "Options_f1"));
}

const std::string kTwo = ReminderRecord(Packed(6, 1, 8, 0), "6/1", "一") + ReminderRecord(Packed(6, 2, 8, 0), "6/2", "二");
const std::string kAmy = LimitRecord({"amy", "2小时", "10分钟", ""}, 1);
// 10 October 10:10 packs to four bytes 0x0A, each stored as CR LF; 26 January 09:26 holds two bytes 0x1A.
const std::string kOdd = ListHeader(3) + ReminderRecord(Packed(1, 26, 9, 26), "01-26", "x") +
                         ReminderRecord(Packed(3, 1, 0, 0), "03-01", "y") + "\r\n\r\n\r\n\r\nD\r\n10-10\r\nz\r\n";
const std::string kOneLimit = "[ItemCount]\r\n\x01\x00\x00\x00" "D\r\n[ItemData]\r\nD\r\namy\r\nD\r\n1小时\r\nD\r\n"
                              "5分钟\r\nD\r\n每日9时0分 - 22时30分\r\n\x03\x00\x00\x00"s;
const std::string kNext = ReminderRecord(Packed(5, 5, 9, 6), "9:06", "x");
const std::string kExpiring = ListHeader(4) + ReminderRecord(Packed(5, 5, 9, 5), "9:05", "now") +
                              ReminderRecord(Packed(5, 1, 20, 0), "5/1", "y") + kNext +
                              ReminderRecord(Packed(1, 1, 8, 0), "1/1", "z");

const Files kFiles[] = {
    {At(2026, 1, 2, 8, 0), kOdd, kOneLimit, {"01-26|x", "03-01|y", "10-10|z"}, {"amy|1小时|5分钟|每日9时0分 - 22时30分|3"}},
    {At(2026, 5, 5, 9, 5, 30), kExpiring, ListHeader(1) + LimitRecord({"a", "", "", ""}, 0x1A0A0D0A), {"9:06|x"},
     {"a||||" + std::to_string(0x1A0A0D0A)}, ListHeader(1) + kNext},
    {T(9, 0), ListHeader(3) + kTwo + kTwo.substr(0, 10), ListHeader(1) + kAmy.substr(0, kAmy.find("10") + 1),
     {"6/1|一", "6/2|二"}, {"amy|2小时|1||0"}, ListHeader(2) + kTwo, ListHeader(1) + LimitRecord({"amy", "2小时", "1", ""}, 0)},
    {T(9, 0), kTwo, kAmy, {}, {}, std::nullopt, std::nullopt, true}};
INSTANTIATE_TEST_SUITE_P(Files, ListFiles, ::testing::ValuesIn(kFiles));

// Rows go in greatest first, each at the top, drawing off (Wine's list view looks for a row's place from the top).
TEST(ListFile, RowsGoInGreatestFirstAtTheTopWithDrawingOff) {
    sim::SimListView list;
    std::vector<kestor::ListRow> rows = {{{"b", "x"}, 1}, {{"A", "x"}, 2}, {{"c", "x"}, 3}, {{"a", "x"}, 4}};
    for (int column : {0, 1}) list.InsertColumn(column, "", 80, ColumnAlign::Left);
    kestor::InsertSortedRows(list, rows);
    std::vector<uint32_t> order;
    for (const auto& row : list.Rows()) order.push_back(row.data);
    EXPECT_EQ((std::vector<uint32_t>{4, 2, 1, 3}), order);  // equal names in the file's order
    EXPECT_TRUE(list.redraw && list.GetItemText(0, 1) == "x");
    TextWriter out;
    kestor::WriteUserLimits(list, 0, out);
    EXPECT_EQ("", out.Bytes());  // no rows, no header
}

// After an hour of use a rest of 300 s holds the input. Outside the daily window the end-of-day notice counts 120 s
// (stuck, the backstop acts at 130 s), then the lists are saved and Windows shut.
enum Outcome { kRest, kEndOfDay, kStuck };

class Enforcement : public Control, public ::testing::WithParamInterface<Outcome> {};

TEST_P(Enforcement, RestsAfterTheContinuousLimitOrEndsTheDayOutsideTheWindow) {
    const bool rest = GetParam() == kRest, stuck = GetParam() == kStuck;
    StartAt(T(rest ? 23 : 22, !rest));
    PutFile("ControlSet.ini", ListHeader(2) +
                                  (rest ? LimitRecord({"tom", "1小时", "5分钟", "每日9时0分 - 10时0分"}, 1)  // no window
                                        : LimitRecord({"tom", "2小时", "10分钟", "每日9时0分 - 22时0分"}, 3)) +
                                  LimitRecord({"zoe", "1小时", "5分钟", ""}, 1));
    const char* const line = rest ? "系统将在%d秒后解除锁定" : "系统将在%d秒后自动关闭";
    const int seconds = rest ? 300 : 120;
    std::vector<int64_t> opened;
    for (int showing = 0; showing < 2; ++showing)
        os.OnModal(IDD_NOTICE, [&, this](SimWindow& w) {
            opened.push_back(os.Now());
            const std::string message = rest ? "您已经连续使用1小时,请休息一会儿."
                                             : "您本日使用时间即将结束,请注意保存好您个人的文档资料.";
            EXPECT_EQ("用户:tom.\n    " + message, w.GetText(IDC_NOTICE_MESSAGE));
            EXPECT_EQ(Format(line, seconds), w.GetText(IDC_NOTICE_COUNTDOWN));
            if (stuck) Sheet().m_control.m_notice.m_nSeconds = 100000;
            os.After(1500, [&, this] {
                EXPECT_EQ(Format(line, stuck ? 100000 : seconds) + ".", w.GetText(IDC_NOTICE_COUNTDOWN));
                EXPECT_TRUE(os.Input().MouseHook() && os.Input().ScreenSaverRunning() && w.IsTopmost());
                EXPECT_EQ(rest, os.Input().Clip() == w.GetWindowRect());  // the cursor is held in the rest only
                EXPECT_FALSE(w.IsControlVisible(IDOK));
                w.Enter();
                w.Escape();
            });
            if (!rest) return;
            os.After(301500, [&, this] {
                const kestor::CNoticeDlg& notice = Sheet().m_control.m_notice;
                EXPECT_EQ("0 0 1", Format("%d %d %d", notice.m_bSystemMode, notice.m_bLock, notice.m_bClipCursor));
                EXPECT_EQ(int(opened.size()), os.Input().ReleaseCaptures());
            });
        });
    if (rest) ExitAt(8000000);
    Run();
    EXPECT_EQ((rest ? std::vector<int64_t>{3602000, 7505000} : std::vector<int64_t>{10}), opened);  // 301 s apart
    EXPECT_EQ(rest ? std::vector<unsigned>{} : std::vector<unsigned>{EWX_SHUTDOWN}, os.Power().Calls());
    if (rest) return;
    EXPECT_EQ(10 + (stuck ? 130000 : 121000), os.Now());
    EXPECT_EQ((Strings{Path("TimeSet.ini"), Path("ControlSet.ini"), Path("Playlist.m3u")}), os.Files().Writes());
}

INSTANTIATE_TEST_SUITE_P(Outcomes, Enforcement, ::testing::Values(kRest, kEndOfDay, kStuck));

}  // namespace
}  // namespace kt
