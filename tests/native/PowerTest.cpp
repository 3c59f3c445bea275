// The power commands: one request to end the session with the exact flags, nothing saved, nothing asked.
#include <gtest/gtest.h>

#include <vector>

#include "platform/sim/SimOs.h"
#include "sysinfo/PowerCommands.h"

namespace {

using kp::sim::SimOs;

TEST(PowerCommands, PassTheirSingleFlagsAndNothingElse) {
    SimOs sim;
    kestor::LogOffNow();
    kestor::ShutDownNow();
    kestor::RestartNow();
    sim.Power().SetResult(false);  // a refused request is not looked at
    kestor::ShutDownNow();
    EXPECT_EQ((std::vector<unsigned>{0, 1, 2, 1}), sim.Power().Calls());
    EXPECT_TRUE(sim.MessageBoxes().empty());
    EXPECT_TRUE(sim.Files().Writes().empty());
}

}  // namespace
