#include "usercontrol/UserLimitFile.h"

#include "app/ListFile.h"

namespace kestor {

void WriteUserLimits(const kp::IListView& list, int count, kp::TextWriter& out) {
    if (count <= 0) return;
    WriteListHeader(out, count);
    for (int row = 0; row < count; ++row) {
        for (int column = 0; column < 4; ++column) {
            out.WriteLine("D");
            out.WriteLine(list.GetItemText(row, column));
        }
        out.WriteUInt32(list.GetItemData(row));
    }
}

}  // namespace kestor
