// The clock story of the native suite told over thirty virtual days: nothing that grows with time grows
// without bound, and nothing drifts; each hourly notice comes on its hour on the thirtieth day as on the first.
#include "ClockStory.h"

TEST(Soak, ThirtyDaysAcrossAClockJumpStayBoundedAndOnTime) {
    constexpr int64_t kHour = 3600000;
    for (const auto& [by, utcToo] : {std::pair{-kHour, false}, {kHour, false}, {-24 * kHour, true}, {24 * kHour, true}})
        kt::ClockStory(30, by, utcToo);
}
