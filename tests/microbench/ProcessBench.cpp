// What the process page costs each second with 500 processes: the count its refresh check takes, a
// rebuild of the list when the count has changed, and the timed-termination tick over 100 entries.
#include <benchmark/benchmark.h>

#include "platform/Gbk.h"
#include "platform/sim/SimControls.h"
#include "platform/sim/SimOs.h"
#include "process/ProcessList.h"
#include "process/TerminationList.h"

namespace {

constexpr int kProcesses = 500;
constexpr int kEntries = 100;

void AddProcesses(kp::sim::SimOs& os, int count) {
    for (int i = 0; i < count; ++i) os.Processes().Add(kp::Format("C:\\Program Files\\Tool%d\\tool%d.exe", i, i));
}

void BM_ProcessCount(benchmark::State& state) {
    kp::sim::SimOs os("");
    AddProcesses(os, kProcesses);
    for (auto _ : state) benchmark::DoNotOptimize(kestor::CountProcesses());
}
BENCHMARK(BM_ProcessCount);

void BM_ProcessListRebuild(benchmark::State& state) {
    kp::sim::SimOs os("");
    AddProcesses(os, kProcesses);
    kp::sim::SimListView list;
    kestor::InsertProcessColumns(list);
    for (auto _ : state) kestor::FillProcessList(list, kestor::kPageFillMessages);
    state.counters["rows"] = list.GetItemCount();
}
BENCHMARK(BM_ProcessListRebuild)->Unit(benchmark::kMicrosecond);

// Half the entries name running processes, so half count down and half only look.
void BM_TerminationTick(benchmark::State& state) {
    kp::sim::SimOs os("");
    AddProcesses(os, kProcesses);
    kp::sim::SimListView processes;
    kestor::InsertProcessColumns(processes);
    kestor::FillProcessList(processes, kestor::kPageFillMessages);
    kp::sim::SimListView entries;
    kestor::InsertTerminationColumns(entries);
    for (int i = 0; i < kEntries; ++i) {
        const int tool = i % 2 == 0 ? i : kProcesses + i;
        kestor::AddTermination(entries, kp::Format("tool%d.exe", tool), 999, 0, 0, i % 2 == 0);
    }
    for (auto _ : state) kestor::TerminationTick(entries, processes);
    state.counters["entries"] = entries.GetItemCount();
}
BENCHMARK(BM_TerminationTick)->Unit(benchmark::kMicrosecond);

}  // namespace
