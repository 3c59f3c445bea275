#include "scheduler/ReminderFile.h"

#include "app/ListFile.h"

namespace kestor {

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

}  // namespace kestor
