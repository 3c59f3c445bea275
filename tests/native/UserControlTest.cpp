// The user time-control page in the running program: the limit list and the new-limit dialog, ControlSet.ini,
// the enforcement of the logged-on user's limits under its locking notice, and the administrator.
#include "Util.h"
#include "app/ListFile.h"
#include "usercontrol/UserLimitFile.h"

namespace kt {
namespace {

using namespace std::string_literals;
using Window = std::optional<std::pair<kp::SysTime, kp::SysTime>>;
const char* const kShort = "你设置的使用时间段差额小于可使用时间,是否重新设置";
const char* const kWrong = "密码错误";

struct Limit {
    Limit(std::string u, const char* h = nullptr, const char* r = nullptr, Window w = {})
        : user(std::move(u)), hours(h), rest(r), window(std::move(w)) {}
    std::string user;
    const char* hours;  // typed with the continuous box ticked; none: the box stays clear
    const char* rest;   // typed after the hours, if given
    Window window;      // picked with the window box ticked
};

Window Daily(int h1, int m1, int h2, int m2) { return std::make_pair(At(2026, 5, 5, h1, m1), At(2026, 5, 5, h2, m2)); }

class UserControl : public Program {
protected:
    // The limit rows as "user|hours|rest|window|flags".
    Strings Limits() {
        Strings rows;
        const kp::sim::SimListView& list = Page(kControlTab).ListViewOf(IDC_USER_LIST);
        for (int row = 0; row < list.GetItemCount(); ++row) {
            rows.emplace_back();
            for (int column = 0; column < 4; ++column) rows.back() += list.GetItemText(row, column) + "|";
            rows.back() += std::to_string(list.GetItemData(row));
        }
        return rows;
    }
    // The new-limit dialog, checked to open as it always does, filled as the user does, then OK; left with
    // Escape when it refuses.
    void AddLimit(SimWindow& page, const Limit& l) {
        os.OnModal(IDD_NEWUSERLIMIT, [l](SimWindow& w) {
            std::string fresh = w.GetText(IDC_LIMIT_USER) + " " + w.GetText(IDC_LIMIT_HOURS) + " " + w.GetText(IDC_LIMIT_REST);
            for (int id : {IDC_LIMIT_CONTINUOUS, IDC_LIMIT_WINDOW}) fresh += " " + std::to_string(w.GetCheck(id));
            for (int id : {IDC_LIMIT_HOURS, IDC_LIMIT_REST, IDC_LIMIT_REST_SPIN, IDC_LIMIT_START, IDC_LIMIT_END})
                fresh += w.IsControlEnabled(id) ? " on" : " off";
            for (int id : {IDC_LIMIT_START, IDC_LIMIT_END}) {
                const kp::SysTime t = w.DateTimeOf(id).GetTime();
                fresh += kp::Format(" %s=%d:%02d", w.DateTimeOf(id).Format().value_or("").c_str(), t.wHour, t.wMinute);
            }
            EXPECT_EQ("tom 1 5 0 0 off off off off off HH:mm=9:00 HH:mm=22:00", fresh);
            w.Type(IDC_LIMIT_USER, l.user);
            if (l.hours) {
                w.Click(IDC_LIMIT_CONTINUOUS);
                w.Type(IDC_LIMIT_HOURS, l.hours);
                if (l.rest) w.Type(IDC_LIMIT_REST, l.rest);
            }
            if (l.window) {
                w.Click(IDC_LIMIT_WINDOW);
                w.PickDateTime(IDC_LIMIT_START, l.window->first);
                w.PickDateTime(IDC_LIMIT_END, l.window->second);
            }
            w.Click(kp::IDOK);
            if (!w.Result()) w.Escape();
        });
        page.Click(IDC_USER_NEW);
    }
    // The page's armed timers as "id:period".
    Strings Armed() {
        Strings out;
        for (unsigned id : Page(kControlTab).Timers())
            out.push_back(std::to_string(id) + ":" + std::to_string(*Page(kControlTab).TimerPeriod(id)));
        return out;
    }
};

// The new-limit dialog refuses an entry with its message and stays open, or the row is sorted into the list; the
// window counts in whole hours against the hours (left at 1 with the box clear). A user of the same name (to the
// letter case) is replaced when the user says so. ControlSet.ini is written at the exit only, as the list is.
TEST_F(UserControl, TheListTakesTheNewLimitDialogsEntriesAndGoesToTheFileAtExit) {
    const char* const same = "该用户已存在,是否覆盖原有设置.";
    const std::string file = ListHeader(2) + LimitRecord({"Tom", "1小时", "5分钟", ""}, 1) + LimitRecord({"al", "", "", ""}, 0);
    PutFile("ControlSet.ini", file);
    const struct {
        Limit limit;
        Strings messages;
        int answer = kp::IDOK;
    } cases[] = {
        {{"bob", "2", "10"}, {}},
        {{"alice", nullptr, nullptr, Daily(9, 0, 22, 30)}, {}},
        {{"carl", "1", "5", Daily(8, 0, 12, 0)}, {}},
        {{"Tom", "3", "20"}, {same}, kp::IDNO},
        {{"Tom", "4", "20"}, {same}, kp::IDYES},
        {{"tom", "2", "5"}, {}},
        {{""}, {"用户名不能为空"}},
        {{"u1"}, {"你未添加任何限制,请设置对该用户的限制"}},
        {{"abcdefghijklmnopqrstu"}, {"请输入不多于 20 个字符。"}},
        {{"一二三四五六七八九十一二三四五六七八九十", "6"}, {"请输入一个介于 1 和 5 之间的整数。"}},
        {{"u1", "x"}, {"请输入一个整数。"}},
        {{"u1", "1", nullptr, Daily(9, 0, 9, 59)}, {"你设置的使用时间段不被接受,开始时间应小于结束时间"}},
        {{"u1", "3", nullptr, Daily(9, 0, 11, 0)}, {kShort}, kp::IDYES},
        {{"u1", "3", nullptr, Daily(9, 0, 11, 0)}, {kShort}, kp::IDNO},
        {{"u2", "1", nullptr, Daily(9, 30, 10, 0)}, {}},
        {{"u3", nullptr, nullptr, Daily(9, 0, 10, 0)}, {}},
    };
    Strings messages;
    OnPage(2000, kControlTab, [&](SimWindow& page) {
        std::string columns;
        for (const auto& c : page.ListViewOf(IDC_USER_LIST).Columns())
            columns += kp::Format("%s %d %d|", c.title.c_str(), c.width, c.align == kp::ColumnAlign::Center);
        EXPECT_EQ("用户名 80 1|连续使用时间 100 1|休息时间 100 1|使用时间段 150 1|", columns) << "all centred";
        for (const auto& c : cases) {
            for (size_t i = 0; i < c.messages.size(); ++i) os.AnswerMessageBox(c.answer);
            messages.insert(messages.end(), c.messages.begin(), c.messages.end());
            AddLimit(page, c.limit);
        }
        page.Click(IDC_USER_DELETE);  // no row selected
        EXPECT_EQ(9u, Limits().size());
        page.ClickListItem(IDC_USER_LIST, 0);
        page.Click(IDC_USER_DELETE);
        EXPECT_EQ(file, File("ControlSet.ini")) << "nothing is written before the exit";
    });
    ExitAt(3000);
    Run();
    EXPECT_TRUE(MessageBoxTexts(os, messages));
    const Strings rows[] = {{"alice", "", "", "每日9时0分 - 22时30分", "3"}, {"bob", "2小时", "10分钟", "", "1"},
                            {"carl", "1小时", "5分钟", "每日8时0分 - 12时0分", "3"}, {"Tom", "4小时", "20分钟", "", "1"},
                            {"tom", "2小时", "5分钟", "", "1"}, {"u1", "3小时", "5分钟", "每日9时0分 - 11时0分", "3"},
                            {"u2", "1小时", "5分钟", "每日9时30分 - 10时0分", "3"}, {"u3", "", "", "每日9时0分 - 10时0分", "3"}};
    Strings shown;
    std::string saved = ListHeader(8);
    for (const Strings& row : rows) {
        shown.push_back(row[0] + "|" + row[1] + "|" + row[2] + "|" + row[3] + "|" + row[4]);
        saved += LimitRecord({row[0], row[1], row[2], row[3]}, std::stoul(row[4]));
    }
    EXPECT_EQ(shown, Limits());
    EXPECT_EQ(saved, File("ControlSet.ini"));
    EXPECT_EQ("MoonGate", os.Reg().GetString(Hive::CurrentUser, kProfile, "Options_f1").value_or("-"));
    EXPECT_EQ(1u, Profile("Options_f2").value_or(0)) << "the first start installs the administrator password";
}

TEST_F(UserControl, TheNewLimitDialogsRestMovesInStepsOfFiveAndClicksOnItCountAsActivity) {
    OnPage(2000, kControlTab, [this](SimWindow& page) {
        os.OnModal(IDD_NEWUSERLIMIT, [this](SimWindow& w) {
            const auto hidesIn = [this] { return *os.Sheet()->TimerDue(10001) - os.Now(); };
            w.LButtonDown(true);
            EXPECT_EQ(29000, hidesIn()) << "a double click on the background is no activity";
            w.LButtonDown();
            EXPECT_EQ(30000, hidesIn()) << "a click is";
            for (int box : {IDC_LIMIT_WINDOW, IDC_LIMIT_CONTINUOUS, IDC_LIMIT_WINDOW}) {
                w.Click(box);
                for (int id : {IDC_LIMIT_HOURS, IDC_LIMIT_REST, IDC_LIMIT_REST_SPIN})
                    EXPECT_EQ(w.GetCheck(IDC_LIMIT_CONTINUOUS) == 1, w.IsControlEnabled(id)) << id;
                for (int id : {IDC_LIMIT_START, IDC_LIMIT_END})
                    EXPECT_EQ(w.GetCheck(IDC_LIMIT_WINDOW) == 1, w.IsControlEnabled(id)) << id;
            }
            for (auto [typed, shown] : {std::pair{"11", "15"}, {"14", "10"}, {"7", "7"}, {"56", "60"}, {"59", "55"},
                                        {"1", "5"}}) {
                w.Type(IDC_LIMIT_REST, typed);
                EXPECT_EQ(shown, w.GetText(IDC_LIMIT_REST)) << typed;
            }
            for (auto [direction, shown] : {std::pair{+1, "10"}, {+1, "15"}, {-1, "10"}, {-1, "5"}, {-1, "5"},
                                            {+1, "10"}}) {
                w.ClickUpDown(IDC_LIMIT_REST_SPIN, direction);
                EXPECT_EQ(shown, w.GetText(IDC_LIMIT_REST));
            }
            w.Type(IDC_LIMIT_REST, "60");
            w.ClickUpDown(IDC_LIMIT_REST_SPIN, +1);
            EXPECT_EQ("60", w.GetText(IDC_LIMIT_REST));
            w.Escape();
        }, 1000);
        page.Click(IDC_USER_NEW);
    });
    os.AnswerMessageBox(kp::IDOK);
    ExitAt(4000);
    Run();
    EXPECT_TRUE(MessageBoxTexts(os, {"请输入一个介于 5 和 60 之间的整数。"})) << "only the single digit 1 is out of range";
    EXPECT_TRUE(Limits().empty());
}

struct FileCase {
    const char* name;
    std::string bytes;  // ControlSet.ini at the start
    Strings rows;
    std::optional<std::string> saved;  // ControlSet.ini after the exit; none: as it was
};

// `n` rows of every kind; 10 rows put a line feed into the count, 26 an end-of-file byte.
FileCase Many(const char* name, int n, const std::string& header) {
    const uint32_t flags[] = {0, 1, 3, 0x0A, 0x0D0A, 0x1A1A1A1A, 0x0A0D0A0D, 0xFFFFFFFF};
    FileCase c{name, header, {}, std::nullopt};
    for (int i = 0; i < n; ++i) {
        const Strings texts = {"u" + std::to_string(100 + i), i % 2 ? "2小时" : "", i % 2 ? "10分钟" : "",
                               i % 3 ? "每日8时5分 - 17时45分" : ""};
        c.bytes += LimitRecord(texts, flags[i % 8]);
        c.rows.push_back(texts[0] + "|" + texts[1] + "|" + texts[2] + "|" + texts[3] + "|" + std::to_string(flags[i % 8]));
    }
    return c;
}

class LimitFile : public UserControl, public ::testing::WithParamInterface<FileCase> {};

TEST_P(LimitFile, IsReadIntoTheListAndWrittenBackAsTheListHoldsIt) {
    const FileCase& c = GetParam();
    PutFile("ControlSet.ini", c.bytes);
    ExitAt(2000);
    Run();
    EXPECT_EQ(c.rows, Limits());
    EXPECT_EQ(c.saved.value_or(c.bytes), File("ControlSet.ini"));
}

const std::string kAmy = LimitRecord({"amy", "2小时", "10分钟", ""}, 1);

INSTANTIATE_TEST_SUITE_P(
    Files, LimitFile,
    ::testing::Values(
        FileCase{"OneRow",
                 "[ItemCount]\r\n\x01\x00\x00\x00" "D\r\n[ItemData]\r\nD\r\namy\r\nD\r\n1小时\r\nD\r\n5分钟\r\n"
                 "D\r\n每日9时0分 - 22时30分\r\n\x03\x00\x00\x00"s,
                 {"amy|1小时|5分钟|每日9时0分 - 22时30分|3"}, std::nullopt},
        Many("TenRows", 10, "[ItemCount]\r\n\r\n\x00\x00\x00" "D\r\n[ItemData]\r\n"s),
        Many("TwentySixRows", 26, ListHeader(26)),
        FileCase{"CutInsideARow", ListHeader(1) + kAmy.substr(0, kAmy.find("10") + 1), {"amy|2小时|1||0"},
                 ListHeader(1) + LimitRecord({"amy", "2小时", "1", ""}, 0)},
        FileCase{"HugeCount", ListHeader(0xFFFFFFFF) + kAmy, {"amy|2小时|10分钟||1"}, ListHeader(1) + kAmy},
        FileCase{"HeaderOnly", ListHeader(5), {}, ""}, FileCase{"NoCount", "[ItemCount]\r\n\x05", {}, ""},
        FileCase{"Garbage", "garbage", {}, ""}, FileCase{"Empty", "", {}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// The real list control walks its rows from the top for a new row's place: the rows go in greatest first,
// each at the top, with drawing off meanwhile. A control without the sort style shows that order.
TEST(ListFile, RowsGoInGreatestFirstAtTheTopWithDrawingOff) {
    kp::sim::SimListView plain;
    std::vector<kestor::ListRow> rows = {{{"b", "x"}, 1}, {{"A", "x"}, 2}, {{"c", "x"}, 3}, {{"a", "x"}, 4}};
    plain.InsertColumn(0, "", 80, kp::ColumnAlign::Left);
    plain.InsertColumn(1, "", 80, kp::ColumnAlign::Left);
    kestor::InsertSortedRows(plain, rows);
    EXPECT_TRUE(plain.redraw);
    std::vector<uint32_t> order;
    for (const auto& row : plain.Rows()) order.push_back(row.data);
    EXPECT_EQ((std::vector<uint32_t>{4, 2, 1, 3}), order) << "equal names stay in the file's order, a before A";
    EXPECT_EQ("x", plain.GetItemText(0, 1));
}

// Where a time of day lies against a row's daily window: 1 inside, both ends included to the minute; -1 outside;
// 0 when the row has none (flags 1, or no text).
TEST(LimitRow, TheDailyWindowIsReadBackOutOfTheRowsText) {
    const struct {
        const char* window;
        uint32_t flags;
        std::vector<std::pair<int, int>> inside, outside;  // hour and minute
    } cases[] = {
        {"每日9时0分 - 22时0分", 3, {{22, 0}, {9, 0}, {13, 59}}, {{22, 1}, {8, 59}}},
        {"每日9时30分 - 10时15分", 3, {{9, 30}, {10, 15}}, {{9, 29}, {10, 16}, {23, 0}}},
        {"每日9时0分 - 10时0分", 1, {}, {}},
        {"", 3, {}, {}},
        {"damaged", 0, {{0, 0}}, {{12, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(U8(c.window));
        kp::sim::SimListView list;
        for (int column = 0; column < 4; ++column) list.InsertColumn(column, "", 80, kp::ColumnAlign::Center);
        list.InsertItem(0, "tom");
        list.SetItemText(0, 3, c.window);
        list.SetItemData(0, c.flags);
        if (c.inside.empty() && c.outside.empty()) {
            EXPECT_EQ(0, kestor::CheckDailyWindow(list, 0, At(2026, 5, 5, 23, 0)));
        }
        for (auto [h, m] : c.inside) EXPECT_EQ(1, kestor::CheckDailyWindow(list, 0, At(2026, 5, 5, h, m))) << h << m;
        for (auto [h, m] : c.outside) EXPECT_EQ(-1, kestor::CheckDailyWindow(list, 0, At(2026, 5, 5, h, m))) << h << m;
    }
}

struct StartCase {
    const char* name;
    kp::SysTime start;
    std::string row;                // tom's row in ControlSet.ini, with one for zoe
    Strings armed;                  // the page's timers half a second after the start
    std::vector<int64_t> notices;   // when the notices open
    std::string message, line;      // the notice's message, and its countdown line after a second
    int64_t quitAt = -1;            // when the lists are saved and the machine shut down; -1: never
    bool stuck = false;             // the notice never ends its countdown
};

class Enforcement : public UserControl, public ::testing::WithParamInterface<StartCase> {};

TEST_P(Enforcement, RunsTheMeterWithItsRestOrEndsTheDayAsTheStartFindsIt) {
    const StartCase& c = GetParam();
    const bool rest = c.quitAt < 0;
    StartAt(c.start);
    PutFile("ControlSet.ini", ListHeader(2) + c.row + LimitRecord({"zoe", "1小时", "5分钟", ""}, 1));
    const std::string before = File("ControlSet.ini");
    Strings armed;
    std::vector<int64_t> opened;
    os.At(500, [&] { armed = Armed(); });
    for (size_t i = 0; i < c.notices.size(); ++i)
        os.OnModal(IDD_NOTICE, [this, &c, &opened, rest](SimWindow& w) {
            opened.push_back(os.Now());
            EXPECT_TRUE(GbkEq(c.message, w.GetText(IDC_NOTICE_MESSAGE)));
            EXPECT_TRUE(GbkEq(rest ? "系统将在300秒后解除锁定" : "系统将在120秒后自动关闭", w.GetText(IDC_NOTICE_COUNTDOWN)));
            if (c.stuck) Sheet().m_control.m_notice.m_nSeconds = 100000;
            os.After(1500, [this, &c, &w, rest] {
                EXPECT_TRUE(GbkEq(c.line, w.GetText(IDC_NOTICE_COUNTDOWN)));
                EXPECT_TRUE(os.Input().MouseHook() && os.Input().ScreenSaverRunning() && w.IsTopmost());
                EXPECT_EQ(rest, os.Input().Clip() == w.GetWindowRect()) << "the cursor is held in the rest only";
                EXPECT_FALSE(w.IsControlVisible(kp::IDOK));
                w.Enter();
                w.Escape();
            });
            if (rest) os.After(301500, [this, &opened] {
                const kestor::CNoticeDlg& notice = Sheet().m_control.m_notice;
                EXPECT_EQ("0 0 1", kp::Format("%d %d %d", notice.m_bSystemMode, notice.m_bLock, notice.m_bClipCursor));
                EXPECT_EQ(int(opened.size()), os.Input().ReleaseCaptures());
                EXPECT_EQ((Strings{"7001:1000"}), Armed()) << "the meter counts again";
            });
        });
    if (rest) ExitAt(8000000);
    Run();
    EXPECT_EQ(c.armed, armed);
    EXPECT_EQ(c.notices, opened);
    EXPECT_FALSE(os.Input().MouseHook() || os.Input().ScreenSaverRunning() || os.Input().Clip());
    EXPECT_EQ(0, os.Input().BadRemovals());
    EXPECT_EQ(rest ? 0u : 1u, os.Power().Calls().size());
    if (rest) return;
    EXPECT_EQ(c.quitAt, os.Now());
    EXPECT_EQ(std::vector<unsigned>{kp::EWX_SHUTDOWN}, os.Power().Calls());
    EXPECT_EQ((Strings{Path("TimeSet.ini"), Path("ControlSet.ini"), Path("Playlist.m3u")}), os.Files().Writes());
    EXPECT_EQ(before, File("ControlSet.ini"));
}

const std::string kNineToTen = "每日9时0分 - 10时0分", kNineToTwentyTwo = "每日9时0分 - 22时0分";
const std::string kRest = "用户:tom.\n    您已经连续使用1小时,请休息一会儿.";
const std::string kEndOfDay = "用户:tom.\n    您本日使用时间即将结束,请注意保存好您个人的文档资料.";

INSTANTIATE_TEST_SUITE_P(
    Starts, Enforcement,
    ::testing::Values(
        // One hour of use, a rest of 300 s, the next hour; the window text is not looked at under flags 1.
        StartCase{"Rest", At(2026, 5, 5, 23, 0), LimitRecord({"tom", "1小时", "5分钟", kNineToTen}, 1), {"7001:1000"},
                  {3602000, 3602000 + 301000 + 3602000}, kRest, "系统将在300秒后解除锁定."},
        StartCase{"EndOfDay", At(2026, 5, 5, 22, 1), LimitRecord({"tom", "2小时", "10分钟", kNineToTwentyTwo}, 3),
                  {"7003:130000"}, {10}, kEndOfDay, "系统将在120秒后自动关闭.", 10 + 121000},
        StartCase{"EndOfDayNoticeStuck", At(2026, 5, 5, 22, 1), LimitRecord({"tom", "", "", kNineToTwentyTwo}, 3),
                  {"7003:130000"}, {10}, kEndOfDay, "系统将在100000秒后自动关闭.", 10 + 130000, true},
        StartCase{"InTheWindowsLastMinute", At(2026, 5, 5, 22, 0), LimitRecord({"tom", "", "", kNineToTwentyTwo}, 3),
                  {"7001:1000"}, {}, "", ""},
        StartCase{"NameInAnotherCase", At(2026, 5, 5, 23, 0), LimitRecord({"Tom", "1小时", "5分钟", kNineToTen}, 3), {},
                  {}, "", ""},
        StartCase{"NoLimitInTheRow", At(2026, 5, 5, 23, 0), LimitRecord({"tom", "", "", ""}, 0), {"7001:1000"}, {}, "",
                  ""}),
    [](const auto& info) { return std::string(info.param.name); });

class Administrator : public UserControl {
protected:
    // The administrator button with this password; `inDialog` runs in the administrator dialog if it opens.
    void Ask(int64_t at, const std::string& password, std::function<void(SimWindow&)> inDialog = {}) {
        OnPage(at, kControlTab, [this, password, inDialog](SimWindow& page) {
            os.OnModal(IDD_PASSWORDINPUT, [password](SimWindow& w) {
                EXPECT_EQ("请输入密码:", w.GetText(IDC_PASSWORD_PROMPT));
                w.Type(IDC_PASSWORD, password);
                w.Click(kp::IDOK);
            });
            if (inDialog) os.OnModal(IDD_ADMIN, inDialog);
            page.Click(IDC_ADMIN_SETTINGS);
        });
    }
    // The profile's f1 f2 g1 g2 g3 and the machine's g1 g2 g3; "-" for a value not there.
    std::string Stored() {
        std::string out;
        const auto add = [this, &out](Hive hive, const char* path, const char* name) {
            const auto value = os.Reg().GetRaw(hive, path, name);
            const bool dword = value && value->type == kp::sim::REG_DWORD;
            out += (dword ? std::to_string(*os.Reg().GetDword(hive, path, name)) : value ? value->bytes : "-") + " ";
        };
        for (const char* name : {"Options_f1", "Options_f2", "Options_g1", "Options_g2", "Options_g3"})
            add(Hive::CurrentUser, kProfile, name);
        for (const char* name : {"Options_g1", "Options_g2", "Options_g3"}) add(Hive::LocalMachine, kMachine, name);
        return out;
    }
};

// In the dialog: name, password, no tray icon, hide.
std::string Fields(SimWindow& w) {
    return w.GetText(IDC_ADMIN_NAME) + " " + w.GetText(IDC_ADMIN_PASSWORD) + " " +
           std::to_string(w.GetCheck(IDC_ADMIN_NO_TRAY)) + " " + std::to_string(w.GetCheck(IDC_ADMIN_HIDE));
}

TEST_F(Administrator, TheDefaultPasswordOpensTheFirstSettingThenOnlyTheAdministratorsPassword) {
    for (int i = 0; i < 6; ++i) os.AnswerMessageBox(kp::IDOK);
    Ask(2500, "moongate");
    Ask(2600, "MoonGate", [](SimWindow& w) {
        EXPECT_EQ("  0 0", Fields(w));
        w.Click(kp::IDOK);  // refused: no name
        w.Type(IDC_ADMIN_NAME, "boss");
        w.Click(kp::IDCANCEL);
    });
    os.At(2700, [this] { EXPECT_EQ("MoonGate 1 - - - - - - ", Stored()) << "cancelled: still the first setting"; });
    Ask(2800, "MoonGate", [](SimWindow& w) {
        w.Type(IDC_ADMIN_NAME, "boss");
        w.Type(IDC_ADMIN_PASSWORD, "Sesame");
        w.Click(IDC_ADMIN_NO_TRAY);
        w.Click(kp::IDOK);
    });
    os.At(2900, [this] {
        EXPECT_EQ("Sesame 2 boss 1 0 boss 1 0 ", Stored());
        os.Reg().SetDword(Hive::LocalMachine, kMachine, "Options_g3", 1);  // the dialog shows the machine copy
    });
    Ask(3000, "MoonGate");
    Ask(3100, "sesame");
    Ask(3200, "Sesame", [](SimWindow& w) {
        EXPECT_EQ("boss Sesame 1 1", Fields(w));
        w.Type(IDC_ADMIN_PASSWORD, "");
        w.Click(kp::IDOK);
    });
    Ask(3300, "", [this](SimWindow& w) {
        EXPECT_EQ("boss  1 1", Fields(w));
        w.Click(kp::IDCANCEL);
        SetProfile("Options_f2", 1);  // a stored password other than the default in the first state
    });
    Ask(3400, "");
    os.At(3500, [this] { SetProfile("Options_f1", 0); });
    Ask(3600, "");  // no stored password (not a text): nothing after the question
    ExitAt(3700);
    Run();
    EXPECT_TRUE(MessageBoxTexts(os, {kWrong, "管理员名称不能为空", kWrong, kWrong, kWrong}));
    EXPECT_EQ("0 1 boss 1 1 boss 1 1 ", Stored());
}

}  // namespace
}  // namespace kt
