// Reminders on the scheduler page: adding and its refusals, the time order, TimeSet.ini byte for byte and
// read back without the expired ones, and every reminder shown once at (or, when held up, right after)
// its minute.
#include "TimesetFixture.h"

namespace timeset_test {
namespace {

using kp::sim::test::GbkEq;
using kp::sim::test::MessageBoxTexts;

const char* const kPast = "您设置的提醒时间已经过去或与当前本地时间相等，请重新设置提醒时间";
const char* const kDuplicate = "您设置的时间已经设置了提示信息";
const char* const kFile = "D:\\tools\\TimeSet.ini";

TEST_F(Scheduler, RemindersAreListedAndSavedInTimeOrder) {
    Start(At(2026, 1, 10, 9, 0));
    OnPage(2000, [this](SimWindow& page) {
        const auto& columns = page.ListViewOf(IDC_REMINDER_LIST).Columns();
        ASSERT_EQ(2u, columns.size());
        EXPECT_EQ("提示时间", columns[0].title);
        EXPECT_EQ(120, columns[0].width);
        EXPECT_EQ(kp::ColumnAlign::Center, columns[0].align);
        EXPECT_EQ("提示信息", columns[1].title);
        EXPECT_EQ(200, columns[1].width);
        EXPECT_EQ(kp::ColumnAlign::Left, columns[1].align);
        AddReminder(page, At(2026, 12, 1, 8, 0), "年底");
        AddReminder(page, At(2026, 3, 15, 10, 30), "开会");
        AddReminder(page, At(2026, 3, 15, 9, 5), "交报告");
    });
    Run(5000);
    EXPECT_EQ((std::vector<std::string>{"03月15日09点05分|交报告", "03月15日10点30分|开会", "12月01日08点00分|年底"}),
              Rows());
    EXPECT_EQ(Header(3) + Record(Packed(3, 15, 9, 5), "03月15日09点05分", "交报告") +
                  Record(Packed(3, 15, 10, 30), "03月15日10点30分", "开会") +
                  Record(Packed(12, 1, 8, 0), "12月01日08点00分", "年底"),
              os.Files().Get(kFile).value_or("-"));
    EXPECT_TRUE(os.MessageBoxes().empty());
}

TEST_F(Scheduler, AddingRefusesPastTimesAndTakenMinutes) {
    Start(At(2026, 5, 20, 9, 0, 30));
    OnPage(2000, [this](SimWindow& page) {
        AddReminder(page, At(2026, 5, 20, 9, 0), "这一分钟");
        AddReminder(page, At(2026, 4, 25, 10, 0), "上个月");  // a later day, but an earlier month
        AddReminder(page, At(2027, 1, 1, 8, 0), "明年");      // no year is kept: January is past
        AddReminder(page, At(2026, 5, 20, 9, 1), "下一分钟");
        AddReminder(page, At(2026, 5, 20, 9, 1), "另一条");
        AddReminder(page, At(2026, 6, 3, 7, 9), "");
    });
    for (int i = 0; i < 5; ++i) os.AnswerMessageBox(kp::IDOK);
    Run(50000);
    EXPECT_TRUE(MessageBoxTexts(os, {kPast, kPast, kPast, kDuplicate, "下一分钟"}));
    EXPECT_EQ(When(At(2026, 5, 20, 9, 1)), os.MessageBoxes().back().at) << "shown at its minute";
    EXPECT_EQ((std::vector<std::string>{"06月03日07点09分|备忘记事:时间到!"}), Rows());
}

TEST_F(Scheduler, TheFileKeepsLineFeedAndEndOfFileBytesInsideTheTimes) {
    // 10 October 10:10 packs to four 0x0A bytes; 26 January 09:26 holds two 0x1A bytes.
    const std::string tenTen = "\x0D\x0A\x0D\x0A\x0D\x0A\x0D\x0A" "D\r\n10月10日10点10分\r\n十\r\n";
    const std::string file = Header(3) + Record(Packed(1, 26, 9, 26), "01月26日09点26分", "二十六") +
                             Record(Packed(3, 1, 0, 0), "03月01日00点00分", "之后") + tenTen;
    ASSERT_EQ(file.substr(file.size() - tenTen.size()), Record(Packed(10, 10, 10, 10), "10月10日10点10分", "十"));
    os.Files().Put(kFile, file);
    Start(At(2026, 1, 2, 8, 0));
    Run(3000);
    EXPECT_EQ((std::vector<std::string>{"01月26日09点26分|二十六", "03月01日00点00分|之后", "10月10日10点10分|十"}),
              Rows());
    EXPECT_EQ(file, os.Files().Get(kFile).value_or("-"));
}

TEST_F(Scheduler, StartingDropsTheRemindersWhoseMinuteHasBegun) {
    os.Files().Put(kFile, Header(4) + Record(Packed(5, 5, 9, 5), "05月05日09点05分", "现在") +
                              Record(Packed(5, 1, 20, 0), "05月01日20点00分", "上周") +
                              Record(Packed(5, 5, 9, 6), "05月05日09点06分", "下一分钟") +
                              Record(Packed(1, 1, 8, 0), "01月01日08点00分", "元旦"));
    Start(At(2026, 5, 5, 9, 5, 30));
    Run(3000);
    EXPECT_EQ((std::vector<std::string>{"05月05日09点06分|下一分钟"}), Rows());
    EXPECT_TRUE(os.MessageBoxes().empty());
}

TEST_F(Scheduler, DamagedFilesKeepTheCompleteRecordsAndUnreadableOnesAreReported) {
    const std::string two = Record(Packed(6, 1, 8, 0), "06月01日08点00分", "一") +
                            Record(Packed(6, 2, 8, 0), "06月02日08点00分", "二");
    struct Case {
        std::string bytes;
        std::vector<std::string> rows;
    } cases[] = {
        {"", {}},
        {"[ItemCount]\r\n\x01", {}},
        {Header(0x7FFFFFFF) + two + "\x01\x02", {"06月01日08点00分|一", "06月02日08点00分|二"}},
        {Header(0xFFFFFFFF) + two, {}},
        {Header(3) + two + Record(Packed(6, 3, 8, 0), "06月03日08点00分", "三").substr(0, 10),
         {"06月01日08点00分|一", "06月02日08点00分|二"}},
    };
    for (const Case& c : cases) {
        SimOs fresh;
        SCOPED_TRACE(c.bytes.size());
        fresh.System().SetCurrentDirectory("D:\\tools");
        fresh.Files().Put(kFile, c.bytes);
        fresh.ChooseMenuItem(ID_TRAY_EXIT, 10);
        fresh.At(2000, [&] { fresh.PostTray(kp::WM_RBUTTONDOWN); });
        fresh.Reg().SetDword(Hive::CurrentUser, kProfile, "Options_a1", 0);
        kestor::RunKestor();
        std::vector<std::string> rows;
        for (const auto& row : fresh.Sheet()->Page(1)->ListViewOf(IDC_REMINDER_LIST).Rows())
            rows.push_back(row.texts.at(0) + "|" + row.texts.at(1));
        EXPECT_EQ(c.rows, rows);
    }

    os.Files().Put(kFile, two);
    os.Files().FailReads(kFile);
    os.AnswerMessageBox(kp::IDOK);
    os.AnswerMessageBox(kp::IDOK);
    Run(3000);
    EXPECT_TRUE(MessageBoxTexts(os, {"提示信息列表读取失败", "定时提醒信息列表初始化失败"}));
    EXPECT_TRUE(Rows().empty());
}

TEST_F(Scheduler, EachReminderIsShownOnceAtItsMinuteAndRemoved) {
    os.Files().Put(kFile, Header(2) + Record(Packed(5, 5, 9, 3), "05月05日09点03分", "第二") +
                              Record(Packed(5, 6, 0, 1), "05月06日00点01分", "明天"));
    Start(At(2026, 5, 5, 9, 0));
    OnPage(2000, [this](SimWindow& page) { AddReminder(page, At(2026, 5, 5, 9, 2), "第一"); });
    for (int i = 0; i < 3; ++i) os.AnswerMessageBox(kp::IDOK, 5000);
    os.At(When(At(2026, 5, 5, 9, 2, 1)), [this] { EXPECT_EQ(3u, Rows().size()) << "kept while open"; });
    os.At(When(At(2026, 5, 5, 9, 2, 6)), [this] { EXPECT_EQ(2u, Rows().size()) << "removed once closed"; });
    Run(When(At(2026, 5, 6, 0, 5)));
    EXPECT_EQ((std::vector<std::string>{"09:02:00 第一", "09:03:00 第二", "00:01:00 明天"}), Shown());
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ("", os.Files().Get(kFile).value_or("-"));
}

TEST_F(Scheduler, AReminderHeldUpIsShownAsSoonAsPossibleAndNeverTwice) {
    os.Files().Put(kFile, Header(3) + Record(Packed(5, 5, 9, 1), "05月05日09点01分", "一") +
                              Record(Packed(5, 5, 9, 2), "05月05日09点02分", "二") +
                              Record(Packed(5, 5, 11, 0), "05月05日11点00分", "三"));
    Start(At(2026, 5, 5, 9, 0));
    os.AnswerMessageBox(kp::IDOK, 90000);  // the first message stays open past the second one's minute
    os.AnswerMessageBox(kp::IDOK, 1000);
    // The clock is put forward past the third reminder's minute while the program runs.
    os.At(When(At(2026, 5, 5, 10, 0)), [this] { os.SetLocalTime(At(2026, 5, 5, 11, 30)); });
    os.AnswerMessageBox(kp::IDOK, 1000);
    Run(When(At(2026, 5, 5, 10, 5)));
    const std::vector<std::string> shown = Shown();
    ASSERT_EQ(3u, shown.size());
    EXPECT_EQ("09:01:00 一", shown[0]);
    EXPECT_EQ("09:02:31 二", shown[1]) << "one second after the first message closed";
    EXPECT_EQ("三", os.MessageBoxes()[2].text);
    EXPECT_GE(10000, os.MessageBoxes()[2].at - When(At(2026, 5, 5, 10, 0))) << "by the next check";
    EXPECT_TRUE(Rows().empty());
}

TEST_F(Scheduler, DeletingTheComingReminderShowsNothingEarly) {
    Start(At(2026, 5, 5, 9, 0));
    OnPage(2000, [this](SimWindow& page) {
        AddReminder(page, At(2026, 5, 5, 9, 1), "删掉的");
        AddReminder(page, At(2026, 5, 5, 9, 30), "留下的");
    });
    // Both reminders' one-shot timer is armed for 09:01 within a minute of it; the user deletes that row.
    OnPage(When(At(2026, 5, 5, 9, 0, 55)), [this](SimWindow& page) {
        ASSERT_TRUE(page.TimerDue(kestor::CTovrelTimeset::kReminderDueTimer).has_value());
        page.ClickListItem(IDC_REMINDER_LIST, 0);
        page.Click(IDC_REMINDER_DELETE);
        EXPECT_EQ((std::vector<std::string>{"05月05日09点30分|留下的"}), Rows());
    });
    os.AnswerMessageBox(kp::IDOK);
    Run(When(At(2026, 5, 5, 9, 31)));
    EXPECT_EQ((std::vector<std::string>{"09:30:00 留下的"}), Shown());
}

TEST_F(Scheduler, RemindersKeepComingAcrossTheEndOfAMonth) {
    os.Files().Put(kFile, Header(3) + Record(Packed(5, 31, 23, 59), "05月31日23点59分", "月底") +
                              Record(Packed(6, 1, 0, 1), "06月01日00点01分", "月初") +
                              Record(Packed(6, 2, 8, 0), "06月02日08点00分", "后天"));
    Start(At(2026, 5, 31, 23, 58, 50));
    for (int i = 0; i < 3; ++i) os.AnswerMessageBox(kp::IDOK, 3000);
    Run(When(At(2026, 6, 2, 8, 1)));
    EXPECT_EQ((std::vector<std::string>{"23:59:00 月底", "00:01:00 月初", "08:00:00 后天"}), Shown());
}

}  // namespace
}  // namespace timeset_test
