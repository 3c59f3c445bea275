#include "scheduler/ReminderFile.h"

#include "app/ListFile.h"
#include "platform/Gbk.h"

namespace kestor {

uint32_t PackTime(const kp::SysTime& t) {
    return (static_cast<uint32_t>(t.wMonth & 0xFF) << 24) | (static_cast<uint32_t>(t.wDay & 0xFF) << 16) |
           (static_cast<uint32_t>(t.wHour & 0xFF) << 8) | static_cast<uint32_t>(t.wMinute & 0xFF);
}

std::string ReminderTimeText(uint32_t packed) {
    return kp::Format("%02u月%02u日%02u点%02u分", packed >> 24, (packed >> 16) & 0xFF, (packed >> 8) & 0xFF,
                      packed & 0xFF);
}

void WriteReminders(const kp::IListView& list, int count, kp::TextWriter& out) {
    if (count <= 0) return;
    WriteListHeader(out, count);
    for (int row = 0; row < count; ++row) {
        out.WriteUInt32(list.GetItemData(row));
        out.WriteLine("D");
        out.WriteLine(list.GetItemText(row, 0));
        out.WriteLine(list.GetItemText(row, 1));
    }
}

void ReadReminders(kp::TextReader& in, uint32_t now, kp::IListView& list) {
    std::string line;
    uint32_t rawCount = 0;
    in.ReadLine(line);
    if (!in.ReadUInt32(rawCount)) return;
    in.ReadLine(line);
    in.ReadLine(line);
    const int32_t count = static_cast<int32_t>(rawCount);
    std::vector<ListRow> rows;
    // Every record takes at least four bytes, so a huge count ends with the data.
    for (int32_t i = 0; i < count; ++i) {
        uint32_t packed = 0;
        std::string text, message;
        if (!in.ReadUInt32(packed) || !in.ReadLine(line) || !in.ReadLine(text) || !in.ReadLine(message)) break;
        if (packed > now) rows.push_back(ListRow{{std::move(text), std::move(message)}, packed});
    }
    InsertSortedRows(list, rows);
}

}  // namespace kestor
