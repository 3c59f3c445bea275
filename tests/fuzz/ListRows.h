// What the list-file fuzz targets share: list views with the pages' columns, a row-by-row comparison, and
// cell texts cut from the input the way a list can hold them.
#pragma once
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <string>

#include "platform/sim/SimControls.h"

namespace fuzz {

// Sub-item texts need their column; sorted, as the pages' lists are.
inline kp::sim::SimListView ListWithColumns(int columns) {
    kp::sim::SimListView list;
    for (int col = 0; col < columns; ++col) list.InsertColumn(col, "c", 80, kp::ColumnAlign::Left);
    list.sorted = true;
    return list;
}

inline bool SameRows(const kp::IListView& a, const kp::IListView& b, int columns) {
    if (a.GetItemCount() != b.GetItemCount()) return false;
    for (int row = 0; row < a.GetItemCount(); ++row) {
        if (a.GetItemData(row) != b.GetItemData(row)) return false;
        for (int col = 0; col < columns; ++col)
            if (a.GetItemText(row, col) != b.GetItemText(row, col)) return false;
    }
    return true;
}

// A text a list row can hold: any bytes but NUL (texts end there) and the line feed (the edit
// controls they come from are single-line). A lone CR and 0x1A are kept: the files must carry them.
inline std::string CellText(FuzzedDataProvider& data) {
    std::string text = data.ConsumeRandomLengthString(512);
    std::string kept;
    for (char c : text)
        if (c != '\0' && c != '\n') kept += c;
    return kept;
}

}  // namespace fuzz
