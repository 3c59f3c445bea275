// The user time-control page in the running program: the limit list and ControlSet.ini, the enforcement of
// the logged-on user's limits with its locking notice, and the administrator; the new-limit dialog and the
// limit rows' texts on their own.
#include "MainWindowStub.h"
#include "Util.h"
#include "app/ListFile.h"
#include "app/Messages.h"
#include "usercontrol/NewUserLimitDlg.h"
#include "usercontrol/UserLimitFile.h"

namespace kt {
namespace {

using namespace std::string_literals;
using Window = std::optional<std::pair<kp::SysTime, kp::SysTime>>;
const char* const kOverwrite = "该用户已存在,是否覆盖原有设置.";
const char* const kWrongPassword = "密码错误";

struct Limit {
    Limit(std::string u, const char* h = nullptr, const char* r = nullptr, Window w = {})
        : user(std::move(u)), hours(h), rest(r), window(std::move(w)) {}
    std::string user;
    const char* hours;  // typed with the continuous box ticked; none: the box stays clear
    const char* rest;   // typed after the hours, if given
    Window window;      // picked with the window box ticked
};

// Fills the new-limit dialog as the user does and presses OK.
void Fill(SimWindow& w, const Limit& l) {
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
}

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
    void AddLimit(SimWindow& page, const Limit& l) {
        os.OnModal(IDD_NEWUSERLIMIT, [l](SimWindow& w) { Fill(w, l); });
        page.Click(IDC_USER_NEW);
    }
    // The armed timers of the page as "id:period".
    Strings Armed() {
        Strings out;
        for (unsigned id : Page(kControlTab).Timers())
            out.push_back(std::to_string(id) + ":" + std::to_string(*Page(kControlTab).TimerPeriod(id)));
        return out;
    }
    std::optional<std::string> ProfileText(const char* name) {
        return os.Reg().GetString(Hive::CurrentUser, kProfile, name);
    }
};

TEST_F(UserControl, NewLimitsAreSortedInAskBeforeReplacingAUserAndReachTheFileAtExit) {
    const std::string file = ListHeader(2) + LimitRecord({"Tom", "1小时", "5分钟", ""}, 1) + LimitRecord({"al", "", "", ""}, 0);
    PutFile("ControlSet.ini", file);
    OnPage(2000, kControlTab, [this, file](SimWindow& page) {
        const auto& columns = page.ListViewOf(IDC_USER_LIST).Columns();
        const Strings titles = {"用户名", "连续使用时间", "休息时间", "使用时间段"};
        const int widths[] = {80, 100, 100, 150};
        ASSERT_EQ(4u, columns.size());
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(titles[i], columns[i].title);
            EXPECT_EQ(widths[i], columns[i].width);
            EXPECT_EQ(kp::ColumnAlign::Center, columns[i].align);
        }
        AddLimit(page, {"bob", "2", "10"});
        AddLimit(page, {"alice", nullptr, nullptr, Daily(9, 0, 22, 30)});
        AddLimit(page, {"carl", "1", "5", Daily(8, 0, 12, 0)});
        os.AnswerMessageBox(kp::IDNO);
        AddLimit(page, {"Tom", "3", "20"});
        EXPECT_EQ("Tom|1小时|5分钟||1", Limits().at(4));
        os.AnswerMessageBox(kp::IDYES);
        AddLimit(page, {"Tom", "3", "20"});
        AddLimit(page, {"tom", "2", "5"});  // another user: names differ in letter case
        page.Click(IDC_USER_DELETE);        // no row selected
        EXPECT_EQ(6u, Limits().size());
        page.ClickListItem(IDC_USER_LIST, 0);
        page.Click(IDC_USER_DELETE);
        EXPECT_EQ(file, File("ControlSet.ini")) << "nothing is written before the exit";
    });
    ExitAt(3000);
    Run();
    EXPECT_TRUE(MessageBoxTexts(os, {kOverwrite, kOverwrite}));
    const std::string window = "每日9时0分 - 22时30分", morning = "每日8时0分 - 12时0分";
    EXPECT_EQ((Strings{"alice|||" + window + "|3", "bob|2小时|10分钟||1", "carl|1小时|5分钟|" + morning + "|3",
                       "Tom|3小时|20分钟||1", "tom|2小时|5分钟||1"}),
              Limits());
    EXPECT_EQ(ListHeader(5) + LimitRecord({"alice", "", "", window}, 3) + LimitRecord({"bob", "2小时", "10分钟", ""}, 1) +
                  LimitRecord({"carl", "1小时", "5分钟", morning}, 3) + LimitRecord({"Tom", "3小时", "20分钟", ""}, 1) +
                  LimitRecord({"tom", "2小时", "5分钟", ""}, 1),
              File("ControlSet.ini"));
    EXPECT_EQ("MoonGate", ProfileText("Options_f1").value_or("-")) << "the first start's administrator password";
    EXPECT_EQ(1u, Profile("Options_f2").value_or(0));
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
        c.rows.push_back(texts[0] + "|" + texts[1] + "|" + texts[2] + "|" + texts[3] + "|" +
                         std::to_string(flags[i % 8]));
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
    plain.SetRedraw(true);
    kestor::InsertSortedRows(plain, rows);
    EXPECT_TRUE(plain.redraw);
    std::vector<uint32_t> order;
    for (const auto& row : plain.Rows()) order.push_back(row.data);
    EXPECT_EQ((std::vector<uint32_t>{4, 2, 1, 3}), order) << "equal names stay in the file's order, a before A";
    EXPECT_EQ("x", plain.GetItemText(0, 1));
}

// What a row's texts say about its limits: the continuous limit and the rest, and where a time of day lies
// against the daily window (1 inside, both ends included to the minute; -1 outside; 0 no window).
TEST(LimitRow, TheLimitsAreReadBackOutOfTheRowsTexts) {
    const struct {
        const char *hours, *rest, *window;
        uint32_t flags;
        uint32_t limitMs;
        int32_t restSeconds;
        std::vector<std::pair<int, int>> inside, outside;  // hour and minute
    } cases[] = {
        {"2小时", "10分钟", "", 1, 7200000, 600, {}, {}},
        {"", "", "每日9时0分 - 22时0分", 3, 0xFFFFFFFF, -1, {{22, 0}, {9, 0}, {13, 59}}, {{22, 1}, {8, 59}}},
        {"1小时", "5分钟", "每日9时30分 - 10时15分", 3, 3600000, 300, {{9, 30}, {10, 15}}, {{9, 29}, {10, 16}, {23, 0}}},
        {"5小时", "60分钟", "每日9时0分 - 10时0分", 1, 18000000, 3600, {}, {}},
        {"小时", "x", "damaged", 0, 0, 0, {{0, 0}}, {{12, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(U8(c.window));
        kp::sim::SimListView list;
        for (int column = 0; column < 4; ++column) list.InsertColumn(column, "", 80, kp::ColumnAlign::Center);
        list.InsertItem(0, "tom");
        list.SetItemText(0, 1, c.hours);
        list.SetItemText(0, 2, c.rest);
        list.SetItemText(0, 3, c.window);
        list.SetItemData(0, c.flags);
        EXPECT_EQ(c.limitMs, kestor::ContinuousLimitMs(list, 0));
        EXPECT_EQ(c.restSeconds, kestor::RestSeconds(list, 0));
        if (c.inside.empty() && c.outside.empty()) {
            EXPECT_EQ(0, kestor::CheckDailyWindow(list, 0, At(2026, 5, 5, 23, 0))) << "flags 1 or no text: no window";
        }
        for (auto [h, m] : c.inside) EXPECT_EQ(1, kestor::CheckDailyWindow(list, 0, At(2026, 5, 5, h, m))) << h << m;
        for (auto [h, m] : c.outside) EXPECT_EQ(-1, kestor::CheckDailyWindow(list, 0, At(2026, 5, 5, h, m))) << h << m;
    }
}


struct StartCase {
    const char* name;
    kp::SysTime start;
    std::string row;  // the one row of ControlSet.ini
    Strings armed;    // the page's timers half a second after the start
    int64_t notice;   // when the first notice opens; -1: none in the hour and more that the program runs
};

class Enforcement : public UserControl, public ::testing::WithParamInterface<StartCase> {};

TEST_P(Enforcement, TheStartChoosesBetweenTheMeterAndTheEndOfTheDay) {
    const StartCase& c = GetParam();
    StartAt(c.start);
    PutFile("ControlSet.ini", ListHeader(1) + c.row);
    Strings armed;
    int64_t notice = -1;
    os.At(500, [&] { armed = Armed(); });
    os.OnModal(IDD_NOTICE, [&](SimWindow&) { notice = os.Now(); });
    ExitAt(3700000);
    Run();
    EXPECT_EQ(c.armed, armed);
    EXPECT_EQ(c.notice, notice);
    EXPECT_EQ(c.armed == Strings{"7003:130000"} ? 1u : 0u, os.Power().Calls().size());
}

const std::string kNineToTen = "每日9时0分 - 10时0分";

INSTANTIATE_TEST_SUITE_P(
    Rows, Enforcement,
    ::testing::Values(
        StartCase{"InTheWindowsLastMinute", At(2026, 5, 5, 22, 0), LimitRecord({"tom", "", "", "每日9时0分 - 22时0分"}, 3),
                  {"7001:1000"}, -1},
        StartCase{"AfterTheWindow", At(2026, 5, 5, 22, 1), LimitRecord({"tom", "", "", "每日9时0分 - 22时0分"}, 3),
                  {"7003:130000"}, 10},
        StartCase{"BeforeTheWindow", At(2026, 5, 5, 8, 59), LimitRecord({"tom", "", "", "每日9时0分 - 22时0分"}, 3),
                  {"7003:130000"}, 10},
        StartCase{"ContinuousOnlyIgnoresTheWindowText", At(2026, 5, 5, 23, 0),
                  LimitRecord({"tom", "1小时", "5分钟", kNineToTen}, 1), {"7001:1000"}, 3602000},
        StartCase{"NameInAnotherLetterCase", At(2026, 5, 5, 23, 0), LimitRecord({"Tom", "1小时", "5分钟", kNineToTen}, 3),
                  {}, -1},
        StartCase{"NoLimitInTheRow", At(2026, 5, 5, 23, 0), LimitRecord({"tom", "", "", ""}, 0), {"7001:1000"}, -1}),
    [](const auto& info) { return std::string(info.param.name); });

// One hour of use, then a rest of 300 s under a notice that holds the input; the meter then counts again.
TEST_F(UserControl, TheRestLocksTheInputForItsCountdownAndTheMeterStartsAgainAfterIt) {
    PutFile("ControlSet.ini", ListHeader(1) + LimitRecord({"tom", "1小时", "5分钟", ""}, 1));
    std::vector<int64_t> opened;
    Strings lines;
    for (int showing = 0; showing < 2; ++showing)
        os.OnModal(IDD_NOTICE, [this, &opened, &lines](SimWindow& w) {
            opened.push_back(os.Now());
            EXPECT_TRUE(GbkEq("用户:tom.\n    您已经连续使用1小时,请休息一会儿.", w.GetText(IDC_NOTICE_MESSAGE)));
            EXPECT_TRUE(GbkEq("系统将在300秒后解除锁定", w.GetText(IDC_NOTICE_COUNTDOWN)));
            for (int64_t at : {1500, 2500, 300500})
                os.After(at, [this, &w, &lines] {
                    lines.push_back(w.GetText(IDC_NOTICE_COUNTDOWN));
                    EXPECT_NE(0u, os.Input().MouseHook()) << "the mouse is swallowed";
                    EXPECT_TRUE(os.Input().ScreenSaverRunning());
                    EXPECT_EQ(w.GetWindowRect(), os.Input().Clip().value_or(kp::Rect{}));
                    EXPECT_TRUE(w.IsTopmost());
                    EXPECT_FALSE(w.IsControlVisible(kp::IDOK));
                    w.Enter();
                    w.Escape();
                });
        });
    os.At(3602000 + 301000 + 500, [this] {
        EXPECT_EQ(0u, os.Input().MouseHook());
        EXPECT_FALSE(os.Input().ScreenSaverRunning());
        EXPECT_FALSE(os.Input().Clip().has_value());
        EXPECT_EQ(1, os.Input().ReleaseCaptures());
        const kestor::CNoticeDlg& notice = Sheet().m_control.m_notice;
        EXPECT_EQ(0, notice.m_bSystemMode);
        EXPECT_EQ(0, notice.m_bLock);
        EXPECT_EQ(1, notice.m_bClipCursor) << "kept for the next showing";
        EXPECT_EQ((Strings{"7001:1000"}), Armed());
    });
    ExitAt(8000000);
    Run();
    EXPECT_EQ((std::vector<int64_t>{3602000, 3602000 + 301000 + 3602000}), opened);
    const std::string first = kp::Format("系统将在%d秒后解除锁定.", 300);
    EXPECT_EQ((Strings{first, kp::Format("系统将在%d秒后解除锁定.", 299), kp::Format("系统将在%d秒后解除锁定.", 1)}),
              Strings(lines.begin(), lines.begin() + 3));
    EXPECT_EQ(0, os.Input().BadRemovals());
}

// Outside the daily window: a notice that counts down 120 s, then the lists are saved, the program quits and
// the machine is shut down. A notice still up after 130 s (stuck) does not keep the backstop timer from it.
class EndOfDay : public UserControl, public ::testing::WithParamInterface<bool> {};

TEST_P(EndOfDay, TheNoticeCountsDownThenTheListsAreSavedAndTheMachineIsShutDown) {
    const bool stuck = GetParam();
    StartAt(At(2026, 5, 5, 22, 1));
    PutFile("ControlSet.ini", ListHeader(2) + LimitRecord({"amy", "1小时", "5分钟", ""}, 1) +
                                  LimitRecord({"tom", "2小时", "10分钟", "每日9时0分 - 22时0分"}, 3));
    const std::string before = File("ControlSet.ini");
    int64_t opened = -1;
    os.OnModal(IDD_NOTICE, [this, stuck, &opened](SimWindow& w) {
        opened = os.Now();
        EXPECT_TRUE(GbkEq("用户:tom.\n    您本日使用时间即将结束,请注意保存好您个人的文档资料.", w.GetText(IDC_NOTICE_MESSAGE)));
        EXPECT_TRUE(GbkEq("系统将在120秒后自动关闭", w.GetText(IDC_NOTICE_COUNTDOWN)));
        EXPECT_NE(0u, os.Input().MouseHook());
        EXPECT_FALSE(os.Input().Clip().has_value());
        EXPECT_FALSE(w.IsControlVisible(kp::IDOK));
        if (stuck) Sheet().m_control.m_notice.m_nSeconds = 100000;
        os.After(1500, [&w, stuck] {
            EXPECT_EQ(kp::Format("系统将在%d秒后自动关闭.", stuck ? 100000 : 120), w.GetText(IDC_NOTICE_COUNTDOWN));
        });
    });
    Run();
    EXPECT_EQ(opened + (stuck ? 130000 : 121000), os.Now());
    EXPECT_EQ(std::vector<unsigned>{kp::EWX_SHUTDOWN}, os.Power().Calls());
    EXPECT_EQ(18, os.QuitCode().value_or(0));
    EXPECT_EQ((Strings{Path("TimeSet.ini"), Path("ControlSet.ini"), Path("Playlist.m3u")}), os.Files().Writes());
    EXPECT_EQ(before, File("ControlSet.ini"));
    EXPECT_EQ(0u, os.Input().MouseHook()) << "the notice gives the input back, also when the program quits under it";
}

INSTANTIATE_TEST_SUITE_P(Notice, EndOfDay, ::testing::Bool());

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
    std::optional<std::string> MachineText(const char* name) {
        return os.Reg().GetString(Hive::LocalMachine, kMachine, name);
    }
};

TEST_F(Administrator, TheDefaultPasswordOpensTheFirstSettingThenOnlyTheAdministratorsPassword) {
    for (int i = 0; i < 6; ++i) os.AnswerMessageBox(kp::IDOK);
    Ask(2500, "moongate");
    Ask(2600, "MoonGate", [](SimWindow& w) {
        EXPECT_EQ("", w.GetText(IDC_ADMIN_NAME));
        EXPECT_EQ("", w.GetText(IDC_ADMIN_PASSWORD));
        EXPECT_EQ(0, w.GetCheck(IDC_ADMIN_NO_TRAY));
        EXPECT_EQ(0, w.GetCheck(IDC_ADMIN_HIDE));
        w.Click(kp::IDOK);  // refused: no name
        w.Type(IDC_ADMIN_NAME, "boss");
        w.Click(kp::IDCANCEL);
    });
    os.At(2700, [this] {
        EXPECT_EQ(1u, Profile("Options_f2").value_or(0)) << "cancelled: still the first setting";
        EXPECT_FALSE(MachineText("Options_g1").has_value());
    });
    Ask(2800, "MoonGate", [](SimWindow& w) {
        w.Type(IDC_ADMIN_NAME, "boss");
        w.Type(IDC_ADMIN_PASSWORD, "Sesame");
        w.Click(IDC_ADMIN_NO_TRAY);
        w.Click(kp::IDOK);
    });
    os.At(2900, [this] {
        EXPECT_EQ("Sesame", ProfileText("Options_f1").value_or("-"));
        EXPECT_EQ(2u, Profile("Options_f2").value_or(0));
        EXPECT_EQ("boss", ProfileText("Options_g1").value_or("-"));
        EXPECT_EQ(1u, Profile("Options_g2").value_or(9));
        EXPECT_EQ(0u, Profile("Options_g3").value_or(9));
        EXPECT_EQ("boss", MachineText("Options_g1").value_or("-"));
        EXPECT_EQ(1u, Machine("Options_g2").value_or(9));
        EXPECT_EQ(0u, Machine("Options_g3").value_or(9));
        os.Reg().SetDword(Hive::LocalMachine, kMachine, "Options_g3", 1);  // the dialog shows the machine copy
    });
    Ask(3000, "MoonGate");
    Ask(3100, "sesame");
    Ask(3200, "Sesame", [](SimWindow& w) {
        EXPECT_EQ("boss", w.GetText(IDC_ADMIN_NAME));
        EXPECT_EQ("Sesame", w.GetText(IDC_ADMIN_PASSWORD));
        EXPECT_EQ(1, w.GetCheck(IDC_ADMIN_NO_TRAY));
        EXPECT_EQ(1, w.GetCheck(IDC_ADMIN_HIDE));
        w.Type(IDC_ADMIN_PASSWORD, "");
        w.Click(kp::IDOK);
    });
    Ask(3300, "", [this](SimWindow& w) {
        EXPECT_EQ("", w.GetText(IDC_ADMIN_PASSWORD));
        w.Click(kp::IDCANCEL);
        SetProfile("Options_f2", 1);  // a stored password other than the default in the first state
    });
    Ask(3400, "");
    os.At(3500, [this] { os.Reg().SetDword(Hive::CurrentUser, kProfile, "Options_f1", 0); });
    Ask(3600, "");  // no stored password (not a text): nothing after the question
    ExitAt(3700);
    Run();
    EXPECT_TRUE(MessageBoxTexts(os, {kWrongPassword, "管理员名称不能为空", kWrongPassword, kWrongPassword, kWrongPassword}));
    EXPECT_EQ(1u, Machine("Options_g3").value_or(9));
}

class NewLimitDialog : public ::testing::Test {
protected:
    SimOs os;
    MainWindowStub main;
    kestor::CNewUserLimitDlg dlg;
    void SetUp() override { os.System().SetUserName(std::string("tom")); }
    int Show(std::function<void(SimWindow&)> fn) {
        os.OnModal(IDD_NEWUSERLIMIT, std::move(fn));
        return dlg.DoModal();
    }
};

TEST_F(NewLimitDialog, OpensWithTheLoggedOnUserAndNoLimitEveryTime) {
    for (int showing = 0; showing < 2; ++showing) {
        EXPECT_EQ(kp::IDCANCEL, Show([](SimWindow& w) {
            EXPECT_EQ("tom", w.GetText(IDC_LIMIT_USER));
            EXPECT_EQ(0, w.GetCheck(IDC_LIMIT_CONTINUOUS));
            EXPECT_EQ(0, w.GetCheck(IDC_LIMIT_WINDOW));
            EXPECT_EQ("1", w.GetText(IDC_LIMIT_HOURS));
            EXPECT_EQ("5", w.GetText(IDC_LIMIT_REST));
            for (int id : {IDC_LIMIT_START, IDC_LIMIT_END}) EXPECT_EQ("HH:mm", w.DateTimeOf(id).Format().value_or(""));
            EXPECT_EQ(kp::SysTimeToMs(At(2026, 5, 5, 9, 0)), kp::SysTimeToMs(w.DateTimeOf(IDC_LIMIT_START).GetTime()));
            EXPECT_EQ(kp::SysTimeToMs(At(2026, 5, 5, 22, 0)), kp::SysTimeToMs(w.DateTimeOf(IDC_LIMIT_END).GetTime()));
            EXPECT_EQ(5, w.UpDownOf(IDC_LIMIT_REST_SPIN).Lower());
            EXPECT_EQ(60, w.UpDownOf(IDC_LIMIT_REST_SPIN).Upper());
            const int continuous[] = {IDC_LIMIT_HOURS, IDC_LIMIT_REST, IDC_LIMIT_REST_SPIN};
            const int window[] = {IDC_LIMIT_START, IDC_LIMIT_END};
            for (int click : {0, IDC_LIMIT_CONTINUOUS, IDC_LIMIT_WINDOW, IDC_LIMIT_CONTINUOUS}) {
                if (click) w.Click(click);
                for (int id : continuous) EXPECT_EQ(w.GetCheck(IDC_LIMIT_CONTINUOUS) == 1, w.IsControlEnabled(id));
                for (int id : window) EXPECT_EQ(w.GetCheck(IDC_LIMIT_WINDOW) == 1, w.IsControlEnabled(id));
            }
            w.Type(IDC_LIMIT_USER, "someone");  // gone at the next showing
            w.LButtonDown(true);
            w.LButtonDown();
            w.Escape();
        }));
    }
    EXPECT_EQ((std::vector<unsigned>{kestor::WM_USER_ACTIVITY, kestor::WM_USER_ACTIVITY}), main.messages)
        << "a click on the background counts as activity, a double click does not";
}

// Each entry is refused with its message, or accepted; the dialog stays open after a refusal.
TEST_F(NewLimitDialog, ChecksTheEntriesInTheirOrderAndTheWindowInWholeHours) {
    const struct {
        Limit limit;
        Strings messages;
        int answer;  // to the question about a window shorter than the hours
        bool accepted;
    } cases[] = {
        {{""}, {"用户名不能为空"}, 0, false},
        {{"tom"}, {"你未添加任何限制,请设置对该用户的限制"}, 0, false},
        {{"tom", "3"}, {}, 0, true},
        {{"abcdefghijklmnopqrstu"}, {"请输入不多于 20 个字符。"}, 0, false},
        {{"一二三四五六七八九十一二三四五六七八九十", "6"}, {"请输入一个介于 1 和 5 之间的整数。"}, 0, false},
        {{"tom", "x"}, {"请输入一个整数。"}, 0, false},
        {{"tom", "1", "5", Daily(9, 30, 10, 0)}, {}, 0, true},
        {{"tom", "1", "5", Daily(9, 0, 9, 59)}, {"你设置的使用时间段不被接受,开始时间应小于结束时间"}, 0, false},
        {{"tom", "3", "5", Daily(9, 0, 11, 0)}, {"你设置的使用时间段差额小于可使用时间,是否重新设置"}, kp::IDYES, false},
        {{"tom", "3", "5", Daily(9, 0, 11, 0)}, {"你设置的使用时间段差额小于可使用时间,是否重新设置"}, kp::IDNO, true},
        {{"tom", nullptr, nullptr, Daily(9, 0, 10, 0)}, {}, 0, true},  // the hours left at 1 still count
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(U8(c.limit.user) + " " + (c.limit.hours ? c.limit.hours : "-"));
        const size_t before = os.MessageBoxes().size();
        for (size_t i = 0; i < c.messages.size(); ++i) os.AnswerMessageBox(c.answer ? c.answer : kp::IDOK);
        const int result = Show([&c](SimWindow& w) {
            Fill(w, c.limit);
            if (!c.accepted) w.Escape();
        });
        EXPECT_EQ(c.accepted ? kp::IDOK : kp::IDCANCEL, result);
        Strings shown;
        for (size_t i = before; i < os.MessageBoxes().size(); ++i) shown.push_back(os.MessageBoxes()[i].text);
        EXPECT_EQ(c.messages, shown);
    }
}

TEST_F(NewLimitDialog, TheRestMovesInStepsOfFive) {
    os.AnswerMessageBox(kp::IDOK);
    EXPECT_EQ(kp::IDCANCEL, Show([](SimWindow& w) {
        w.Click(IDC_LIMIT_CONTINUOUS);
        for (auto [typed, shown] : {std::pair{"11", "15"}, {"14", "10"}, {"7", "7"}, {"56", "60"}, {"59", "55"},
                                    {"1", "5"}}) {
            w.Type(IDC_LIMIT_REST, typed);
            EXPECT_EQ(shown, w.GetText(IDC_LIMIT_REST)) << typed;
        }
        w.Type(IDC_LIMIT_REST, "5");
        for (auto [direction, shown] : {std::pair{+1, "10"}, {+1, "15"}, {+1, "20"}, {-1, "15"}, {-1, "10"},
                                        {-1, "5"}, {-1, "5"}}) {
            w.ClickUpDown(IDC_LIMIT_REST_SPIN, direction);
            EXPECT_EQ(shown, w.GetText(IDC_LIMIT_REST));
        }
        w.Escape();
    }));
    EXPECT_TRUE(MessageBoxTexts(os, {"请输入一个介于 5 和 60 之间的整数。"})) << "only the single digit 1 is out of range";
}

}  // namespace
}  // namespace kt
