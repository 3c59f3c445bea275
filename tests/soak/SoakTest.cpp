// The clock story of the native suite told over thirty virtual days: nothing that grows with time grows
// without bound, and nothing drifts; each hourly notice comes on its hour on the thirtieth day as on the first.
#include "ClockStory.h"

TEST(Soak, ThirtyDaysAcrossAClockJumpStayBoundedAndOnTime) { kt::ClockStories(30); }
