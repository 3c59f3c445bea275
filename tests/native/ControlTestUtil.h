// Helpers shared by the tests of the user time-control page.
#pragma once
#include <cstdint>

#include "platform/Types.h"

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

}  // namespace kestor::test
