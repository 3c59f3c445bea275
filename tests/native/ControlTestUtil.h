// Helpers shared by the tests of the user time-control page: times of the simulator's day and limit rows
// put into ControlSet.ini as the program writes it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/TextFile.h"
#include "platform/Types.h"
#include "platform/sim/SimOs.h"
#include "usercontrol/UserLimitFile.h"

namespace kestor::test {

// The simulator's default day, 2026-05-05, at this hour and minute.
inline kp::SysTime TodayAt(int hour, int minute) {
    kp::SysTime t;
    t.wYear = 2026;
    t.wMonth = 5;
    t.wDay = 5;
    t.wDayOfWeek = 2;
    t.wHour = static_cast<uint16_t>(hour);
    t.wMinute = static_cast<uint16_t>(minute);
    return t;
}

inline const char* const kLimitFile = "C:\\Kestor\\ControlSet.ini";

struct Limit {
    std::string name;
    int hours = 0;  // 0: no continuous limit
    int rest = 5;
    std::optional<std::pair<kp::SysTime, kp::SysTime>> window;
};

struct RawRow {
    std::string texts[4];
    uint32_t flags;
};

// A ControlSet.ini holding these rows, as the program writes it.
inline void PutRows(kp::sim::SimOs& sim, const std::vector<RawRow>& rows) {
    kp::sim::SimListView list;
    list.sorted = true;
    for (int col = 0; col < 4; ++col) list.InsertColumn(col, "", 80, kp::ColumnAlign::Center);
    for (const RawRow& r : rows) {
        const int row = list.InsertItem(list.GetItemCount(), r.texts[0]);
        for (int col = 1; col < 4; ++col) list.SetItemText(row, col, r.texts[col]);
        list.SetItemData(row, r.flags);
    }
    kp::TextWriter out;
    WriteUserLimits(list, list.GetItemCount(), out);
    sim.Files().Put(kLimitFile, out.Bytes());
}

inline RawRow RowOf(const Limit& l) {
    RawRow r{{l.name, "", "", ""}, 0};
    if (l.hours) {
        r.texts[1] = HoursText(l.hours);
        r.texts[2] = RestText(l.rest);
        r.flags = kLimitContinuousOnly;
    }
    if (l.window) {
        r.texts[3] = WindowText(l.window->first, l.window->second);
        r.flags = kLimitDailyWindow;
    }
    return r;
}

}  // namespace kestor::test
