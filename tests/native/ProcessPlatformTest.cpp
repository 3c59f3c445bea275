// The simulated process table keeps the system's rules: identifiers pinned by open handles, snapshots in
// table order that fail as asked, starts recorded.
#include <gtest/gtest.h>

#include "SimTestUtil.h"
#include "platform/sim/SimOs.h"

namespace {

using kp::ProcessEntry;
using kp::SnapshotStatus;
using kp::sim::SimError;
using kp::sim::SimOs;
using kp::sim::UnscriptedWait;
using kp::sim::test::Throws;

std::vector<std::string> Names(kp::IProcesses& p) {
    std::vector<ProcessEntry> entries;
    p.Snapshot(entries);
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.exeFile);
    return names;
}

TEST(SimProcessTable, ListsInOrderAndKeepsAnIdentifierWhileAHandleHoldsIt) {
    SimOs os;
    kp::IProcesses& api = *kp::TheOs().processes;
    auto& table = os.Processes();
    EXPECT_EQ((std::vector<std::string>{"[System Process]", "System", "explorer.exe"}), Names(api));
    const uint32_t a = table.Add("a.exe", 4, 3, 1);
    const uint32_t b = table.Add("b.exe");
    int count = 0;
    EXPECT_EQ(SnapshotStatus::Ok, api.Count(count));
    EXPECT_EQ(5, count);

    // An exited process whose handle is still open keeps its identifier; terminating it does nothing.
    const kp::ProcessHandle h = api.OpenToEnd(a);
    ASSERT_NE(0u, h);
    table.Exit(a);
    EXPECT_FALSE(api.Terminate(h, 0));
    EXPECT_TRUE(Throws<SimError>([&] { table.AddWithId(a, "c.exe"); }, "in use"));
    api.Close(h);
    EXPECT_EQ(a, table.AddWithId(a, "c.exe"));
    api.Close(h);
    EXPECT_EQ(1, table.BadCloses());

    // Refused, missing, and ended processes.
    table.RefuseOpen(b);
    EXPECT_EQ(0u, api.OpenToEnd(b));
    EXPECT_EQ(0u, api.OpenToEnd(0x7FFC));
    EXPECT_EQ(0u, api.OpenToEnd(4)) << "System";
    const kp::ProcessHandle c = api.OpenToEnd(a);
    EXPECT_TRUE(api.Terminate(c, 7));
    api.Close(c);
    EXPECT_FALSE(table.IsRunning(a));
    ASSERT_EQ(1u, table.Terminated().size());
    EXPECT_EQ("c.exe", table.Terminated()[0].exeFile);
    EXPECT_EQ(7u, table.Terminated()[0].exitCode);
    EXPECT_EQ(0, table.OpenHandles());
}

TEST(SimProcessTable, SnapshotsFailAsAskedAndAnEmptyTableHasNoFirstEntry) {
    SimOs os;
    kp::IProcesses& api = *kp::TheOs().processes;
    std::vector<ProcessEntry> entries;
    int count = -1;
    os.Processes().FailSnapshots(SnapshotStatus::Failed);
    EXPECT_EQ(SnapshotStatus::Failed, api.Snapshot(entries));
    EXPECT_EQ(SnapshotStatus::Failed, api.Count(count));
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(0, count);
    os.Processes().FailSnapshots(SnapshotStatus::Ok);
    os.Processes().Clear();
    EXPECT_EQ(SnapshotStatus::NoEntry, api.Snapshot(entries));
    EXPECT_EQ(SnapshotStatus::NoEntry, api.Count(count));
}

TEST(SimProcessTable, AStartIsRecordedAndOnlyASuccessfulOneRuns) {
    SimOs os;
    kp::IProcesses& api = *kp::TheOs().processes;
    os.Processes().SetStartResult(11);
    EXPECT_EQ(11u, api.Start("C:\\bad\\x.exe"));
    EXPECT_LT(31u, api.Start("C:\\Program Files\\Tool\\tool.exe"));
    EXPECT_TRUE(os.Processes().IdsOf("x.exe").empty());
    EXPECT_EQ(1u, os.Processes().IdsOf("TOOL.EXE").size()) << "listed under its file name";
    ASSERT_EQ(2u, os.Processes().Starts().size());
    EXPECT_EQ("C:\\bad\\x.exe", os.Processes().Starts()[0].path);
}

}  // namespace
