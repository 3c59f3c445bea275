// The limit rows and ControlSet.ini: the bytes the writer produces, what the reader makes of them and of
// damaged files, and the limits read back out of a row's texts.
#include <gtest/gtest.h>

#include <string>

#include "platform/sim/SimControls.h"
#include "ControlTestUtil.h"
#include "app/ListFile.h"
#include "usercontrol/UserLimitFile.h"

namespace {

using kp::sim::SimListView;
using namespace kestor;
using namespace std::string_literals;

using kestor::test::TodayAt;

// A list with the page's four columns (sub-item texts need their column).
SimListView LimitList() {
    SimListView list;
    for (int col = 0; col < 4; ++col) list.InsertColumn(col, "c", 80, kp::ColumnAlign::Center);
    list.sorted = true;
    return list;
}

void AddRow(SimListView& list, const std::string& name, const std::string& hours, const std::string& rest,
            const std::string& window, uint32_t flags) {
    const int row = list.InsertItem(list.GetItemCount(), name);
    list.SetItemText(row, 1, hours);
    list.SetItemText(row, 2, rest);
    list.SetItemText(row, 3, window);
    list.SetItemData(row, flags);
}

std::string Save(const SimListView& list) {
    kp::TextWriter out;
    WriteUserLimits(list, list.GetItemCount(), out);
    return out.Bytes();
}

SimListView Load(const std::string& bytes) {
    SimListView list = LimitList();
    kp::TextReader in(bytes);
    ReadUserLimits(list, in);
    return list;
}

::testing::AssertionResult SameRows(const SimListView& a, const SimListView& b) {
    if (a.GetItemCount() != b.GetItemCount())
        return ::testing::AssertionFailure() << a.GetItemCount() << " rows against " << b.GetItemCount();
    for (int row = 0; row < a.GetItemCount(); ++row) {
        for (int col = 0; col < 4; ++col)
            if (a.GetItemText(row, col) != b.GetItemText(row, col))
                return ::testing::AssertionFailure() << "row " << row << " column " << col << " differs";
        if (a.GetItemData(row) != b.GetItemData(row))
            return ::testing::AssertionFailure() << "row " << row << " flags differ";
    }
    return ::testing::AssertionSuccess();
}

TEST(UserLimitFile, OneRowIsWrittenInTheFileLayoutByteForByte) {
    SimListView list = LimitList();
    AddRow(list, "tom", HoursText(1), RestText(5), WindowText(TodayAt(9, 0), TodayAt(22, 30)), kLimitDailyWindow);
    EXPECT_EQ("[ItemCount]\r\n\x01\x00\x00\x00" "D\r\n[ItemData]\r\n"
              "D\r\ntom\r\nD\r\n1小时\r\nD\r\n5分钟\r\nD\r\n每日9时0分 - 22时30分\r\n\x03\x00\x00\x00"s,
              Save(list));
}

TEST(UserLimitFile, TenRowsWriteTheirCountAsFiveBytesAndLoadBack) {
    SimListView list = LimitList();
    for (int i = 0; i < 10; ++i)
        AddRow(list, "user" + std::to_string(i), HoursText(1 + i % 5), RestText(5 + 5 * i), "", kLimitContinuousOnly);
    const std::string bytes = Save(list);
    EXPECT_EQ("[ItemCount]\r\n\r\n\x00\x00\x00" "D\r\n"s, bytes.substr(0, 21));
    EXPECT_TRUE(SameRows(list, Load(bytes)));
}

TEST(UserLimitFile, EveryFileTheWriterProducesLoadsBackToTheSameRows) {
    // 26 rows put 0x1A (the end-of-file mark of text streams) into the count; 10 and 13 put line ends
    // into flags.
    SimListView list = LimitList();
    const uint32_t flags[] = {0, 1, 3, 0x0A, 0x0D0A, 0x1A1A1A1A, 0x0A0D0A0D, 0xFFFFFFFF};
    for (int i = 0; i < 26; ++i)
        AddRow(list, "u" + std::to_string(100 + i), i % 2 ? HoursText(2) : "", i % 2 ? RestText(10) : "",
               i % 3 ? WindowText(TodayAt(8, 5), TodayAt(17, 45)) : "", flags[i % 8]);
    const std::string bytes = Save(list);
    EXPECT_EQ('\x1A', bytes[13]);
    EXPECT_TRUE(SameRows(list, Load(bytes)));
}

TEST(UserLimitFile, EmptyListWritesNothingAndEmptyDataLoadsNothing) {
    SimListView list = LimitList();
    EXPECT_EQ("", Save(list));
    EXPECT_EQ(0, Load("").GetItemCount());
}

TEST(UserLimitFile, DamagedFilesGiveRowsWithEmptyTextsOrZeroFlagsAndNeverRowsFromNothing) {
    SimListView list = LimitList();
    AddRow(list, "tom", HoursText(2), RestText(10), "", kLimitContinuousOnly);
    const std::string whole = Save(list);

    // Cut inside the rest text: the row is kept with what could be read.
    const SimListView cut = Load(whole.substr(0, whole.find("10") + 1));
    ASSERT_EQ(1, cut.GetItemCount());
    EXPECT_EQ("tom", cut.GetItemText(0, 0));
    EXPECT_EQ("2小时", cut.GetItemText(0, 1));
    EXPECT_EQ("1", cut.GetItemText(0, 2));
    EXPECT_EQ("", cut.GetItemText(0, 3));
    EXPECT_EQ(0u, cut.GetItemData(0));

    // A count of four thousand million over one row's data: one row, at once.
    std::string huge = whole;
    huge.replace(13, 4, "\xFF\xFF\xFF\xFF");
    EXPECT_EQ(1, Load(huge).GetItemCount());

    // Only the header, or not even the count.
    EXPECT_EQ(0, Load("[ItemCount]\r\n\x05\x00\x00\x00" "D\r\n[ItemData]\r\n"s).GetItemCount());
    EXPECT_EQ(0, Load("[ItemCount]\r\n\x05").GetItemCount());
    EXPECT_EQ(0, Load("garbage").GetItemCount());
}

// The real control walks its rows from the top for a new row's place: the rows go in greatest first, each
// at the top, with drawing off meanwhile. A control without the sort style shows that order.
TEST(UserLimitFile, RowsGoInGreatestFirstAtTheTopWithDrawingOff) {
    SimListView plain;
    for (int col = 0; col < 4; ++col) plain.InsertColumn(col, "c", 80, kp::ColumnAlign::Center);
    SimListView sorted = LimitList();
    for (SimListView* list : {&plain, &sorted}) {
        std::vector<ListRow> rows = {{{"b", "", "", ""}, 1}, {{"A", "", "", ""}, 2}, {{"c", "", "", ""}, 3},
                                     {{"a", "", "", ""}, 4}};
        list->SetRedraw(true);
        InsertSortedRows(*list, rows);
        EXPECT_TRUE(list->redraw);
        std::vector<uint32_t> order;
        for (const auto& row : list->Rows()) order.push_back(row.data);
        // Equal texts end as the control leaves them one by one in the file's order: the real control puts
        // a row before its equals, the simulated one after.
        EXPECT_EQ(list == &plain ? (std::vector<uint32_t>{4, 2, 1, 3}) : (std::vector<uint32_t>{2, 4, 1, 3}), order);
    }
}

TEST(UserLimitRow, TextsCarryNoZeroPadding) {
    EXPECT_EQ("每日9时0分 - 22时30分", WindowText(TodayAt(9, 0), TodayAt(22, 30)));
    EXPECT_EQ("每日0时5分 - 9时9分", WindowText(TodayAt(0, 5), TodayAt(9, 9)));
    EXPECT_EQ("5小时", HoursText(5));
    EXPECT_EQ("60分钟", RestText(60));
}

TEST(UserLimitRow, ContinuousLimitAndRestAreReadBackFromTheTexts) {
    SimListView list = LimitList();
    AddRow(list, "a", HoursText(2), RestText(10), "", kLimitContinuousOnly);
    AddRow(list, "b", "", "", WindowText(TodayAt(9, 0), TodayAt(22, 0)), kLimitDailyWindow);
    AddRow(list, "c", "小时", "x", "", 0);  // damaged texts read as 0
    EXPECT_EQ(7200000u, ContinuousLimitMs(list, 0));
    EXPECT_EQ(600, RestSeconds(list, 0));
    EXPECT_EQ(kNoLimitMs, ContinuousLimitMs(list, 1));
    EXPECT_EQ(kNoRest, RestSeconds(list, 1));
    EXPECT_EQ(0u, ContinuousLimitMs(list, 2));
    EXPECT_EQ(0, RestSeconds(list, 2));
}

TEST(UserLimitRow, DailyWindowIncludesBothEndsToTheMinute) {
    SimListView list = LimitList();
    AddRow(list, "a", "", "", WindowText(TodayAt(9, 0), TodayAt(22, 0)), kLimitDailyWindow);
    AddRow(list, "b", HoursText(1), RestText(5), WindowText(TodayAt(9, 30), TodayAt(10, 15)), kLimitDailyWindow);
    EXPECT_EQ(1, CheckDailyWindow(list, 0, TodayAt(22, 0)));
    EXPECT_EQ(-1, CheckDailyWindow(list, 0, TodayAt(22, 1)));
    EXPECT_EQ(-1, CheckDailyWindow(list, 0, TodayAt(8, 59)));
    EXPECT_EQ(1, CheckDailyWindow(list, 0, TodayAt(9, 0)));
    EXPECT_EQ(1, CheckDailyWindow(list, 0, TodayAt(13, 59)));
    EXPECT_EQ(-1, CheckDailyWindow(list, 1, TodayAt(9, 29)));
    EXPECT_EQ(1, CheckDailyWindow(list, 1, TodayAt(9, 30)));
    EXPECT_EQ(1, CheckDailyWindow(list, 1, TodayAt(10, 15)));
    EXPECT_EQ(-1, CheckDailyWindow(list, 1, TodayAt(10, 16)));
    EXPECT_EQ(-1, CheckDailyWindow(list, 1, TodayAt(23, 0)));
}

TEST(UserLimitRow, NoWindowWhenTheFlagsSayContinuousOnlyOrTheTextIsEmpty) {
    SimListView list = LimitList();
    AddRow(list, "a", HoursText(1), RestText(5), WindowText(TodayAt(9, 0), TodayAt(10, 0)), kLimitContinuousOnly);
    AddRow(list, "b", "", "", "", kLimitDailyWindow);
    AddRow(list, "c", "", "", "damaged", 0);  // no marks: 0:00 to 0:00
    EXPECT_EQ(0, CheckDailyWindow(list, 0, TodayAt(23, 0)));
    EXPECT_EQ(0, CheckDailyWindow(list, 1, TodayAt(23, 0)));
    EXPECT_EQ(-1, CheckDailyWindow(list, 2, TodayAt(12, 0)));
    EXPECT_EQ(1, CheckDailyWindow(list, 2, TodayAt(0, 0)));
}

}  // namespace
