#include "usercontrol/UserLimitFile.h"

#include "app/ListFile.h"
#include "platform/Gbk.h"

namespace kestor {

namespace {

constexpr int kColumns = 4;

// The text without its last two double-byte characters (the unit), read as a number.
int NumberBeforeUnit(const std::string& text) {
    return kp::Atoi(text.size() > 4 ? text.substr(0, text.size() - 4) : std::string());
}

// Offset just past the first `mark` at or after `from`; npos when there is none.
size_t After(const std::string& text, const std::string& mark, size_t from) {
    const size_t at = kp::MbsFind(text, mark, from);
    return at == std::string::npos ? at : at + mark.size();
}

// The number that follows `mark` in `part`; 0 when the mark is missing.
int NumberAfter(const std::string& part, const std::string& mark, size_t from = 0) {
    const size_t at = After(part, mark, from);
    return at == std::string::npos ? 0 : kp::Atoi(part.substr(at));
}

}  // namespace

std::string HoursText(int hours) { return kp::Format("%d小时", hours); }
std::string RestText(int minutes) { return kp::Format("%d分钟", minutes); }
std::string WindowText(const kp::SysTime& start, const kp::SysTime& end) {
    return kp::Format("每日%d时%d分 - %d时%d分", start.wHour, start.wMinute, end.wHour, end.wMinute);
}

void WriteUserLimits(const kp::IListView& list, int count, kp::TextWriter& out) {
    if (count <= 0) return;
    WriteListHeader(out, count);
    for (int row = 0; row < count; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            out.WriteLine("D");
            out.WriteLine(list.GetItemText(row, column));
        }
        out.WriteUInt32(list.GetItemData(row));
    }
}

void ReadUserLimits(kp::IListView& list, kp::TextReader& in) {
    std::string line;
    in.ReadLine(line);
    uint32_t count = 0;
    in.ReadUInt32(count);
    in.ReadLine(line);
    in.ReadLine(line);
    std::vector<ListRow> rows;
    // The count is only a bound: a damaged count never makes rows out of nothing.
    for (uint32_t n = 0; n < count && !in.AtEnd(); ++n) {
        ListRow row{std::vector<std::string>(kColumns), 0};
        for (std::string& text : row.texts) {
            if (!in.ReadLine(line) || !in.ReadLine(text)) text.clear();
        }
        if (!in.ReadUInt32(row.data)) row.data = 0;
        rows.push_back(std::move(row));
    }
    InsertSortedRows(list, rows);
}

uint32_t ContinuousLimitMs(const kp::IListView& list, int row) {
    const std::string text = list.GetItemText(row, 1);
    if (text.empty()) return kNoLimitMs;
    return static_cast<uint32_t>(NumberBeforeUnit(text)) * 3600000u;
}

int32_t RestSeconds(const kp::IListView& list, int row) {
    const std::string text = list.GetItemText(row, 2);
    if (text.empty()) return kNoRest;
    return static_cast<int32_t>(static_cast<uint32_t>(NumberBeforeUnit(text)) * 60u);
}

int CheckDailyWindow(const kp::IListView& list, int row, const kp::SysTime& now) {
    if (list.GetItemData(row) == kLimitContinuousOnly) return 0;
    const std::string text = list.GetItemText(row, 3);
    if (text.empty()) return 0;
    const size_t dash = After(text, "-", 0);
    const std::string first = text.substr(0, dash == std::string::npos ? text.size() : dash - 1);
    // The end's hour starts one character after the dash (past the space).
    const std::string second = dash == std::string::npos ? std::string() : text.substr(dash);
    const int startHour = NumberAfter(first, "日");
    const int startMinute = NumberAfter(first, "时");
    const int endHour = second.empty() ? 0 : kp::Atoi(second.substr(1));
    const int endMinute = NumberAfter(second, "时");
    const int h = now.wHour, m = now.wMinute;
    const bool afterStart = startHour < h || (startHour == h && startMinute <= m);
    const bool beforeEnd = endHour > h || (endHour == h && endMinute >= m);
    return afterStart && beforeEnd ? 1 : -1;
}

}  // namespace kestor
