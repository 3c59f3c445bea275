// Loading and saving the list files at 1,000 to 100,000 rows, from bytes in memory through the readers and
// writers the pages call: into a control with the page's sort style ("sorted") or the file's order (the
// reader's own cost). The process page each second with 500 processes: a count, a rebuild, the tick.
#include <benchmark/benchmark.h>

#include "platform/Gbk.h"
#include "platform/sim/SimOs.h"
#include "player/PlaylistFile.h"
#include "process/ProcessList.h"
#include "process/TerminationList.h"
#include "scheduler/ReminderFile.h"
#include "usercontrol/UserLimitFile.h"

namespace {

enum File { kTimeSet, kControlSet, kPlaylist };
struct List {
    kp::sim::SimListView view;
    kp::sim::SimListBox box;
};

// A file's list with `rows` rows as its page makes them, in sort order (reminder i on minute i of the year).
List Make(File file, bool sorted, int rows = 0) {
    List l;
    for (int col = 0; col < (file == kTimeSet ? 2 : 4); ++col) l.view.InsertColumn(col, "c", 80, {});
    l.view.sorted = l.box.sorted = sorted;
    const std::string window = kestor::WindowText(kp::MakeSysTime(1, 1, 1, 8, 0, 0), kp::MakeSysTime(1, 1, 1, 21, 30, 0));
    for (int i = 0; i < rows; ++i) {
        const bool limits = file == kControlSet;
        const uint32_t packed = kestor::PackTime(kp::MakeSysTime(1, 1 + i / 40320, 1 + i / 1440 % 28, i / 60 % 24, i % 60, 0));
        if (file == kPlaylist) l.box.AddString(kp::Format("D:\\音乐\\专辑%03d\\第%05d首 月亮代表我的心.mp3", i / 100, i));
        if (file == kPlaylist) continue;
        l.view.InsertItem(i, limits ? kp::Format("用户%05d", i) : kestor::ReminderTimeText(packed));
        l.view.SetItemText(i, 1, limits ? kestor::HoursText(1 + i % 5) : kp::Format("第%d项：交电费、取快递", i));
        l.view.SetItemText(i, 2, kestor::RestText(5 + i % 50));  // TimeSet.ini's list has no third or fourth column
        l.view.SetItemText(i, 3, i % 2 ? "" : window);
        l.view.SetItemData(i, !limits ? packed : i % 2 ? kestor::kLimitContinuousOnly : kestor::kLimitDailyWindow);
    }
    return l;
}

// Mode 0: a load into a sorted control; 1: a load in the file's order; 2: a save.
void Lists(benchmark::State& state, File file, int mode) {
    const List full = Make(file, false, static_cast<int>(state.range(0)));
    const auto save = [file](const List& l) {
        kp::TextWriter out;
        if (file == kTimeSet) kestor::WriteReminders(l.view, l.view.GetItemCount(), out);
        if (file == kControlSet) kestor::WriteUserLimits(l.view, l.view.GetItemCount(), out);
        return file == kPlaylist ? kestor::WritePlaylist(l.box) : out.Bytes();
    };
    const std::string bytes = save(full);
    for (auto _ : state) {
        if (mode == 2) benchmark::DoNotOptimize(save(full));
        if (mode == 2) continue;
        state.PauseTiming();
        List l = Make(file, mode == 0);  // a fresh list for every load; emptying the last one is not counted
        state.ResumeTiming();
        kp::TextReader in(bytes);
        if (file == kTimeSet) kestor::ReadReminders(in, 0, l.view);
        if (file == kControlSet) kestor::ReadUserLimits(l.view, in);
        for (const std::string& path : kestor::ReadPlaylist(file == kPlaylist ? bytes : "")) l.box.AddString(path);
        benchmark::DoNotOptimize(l);
    }
}

// Mode 0: the count of the refresh check; 1: a rebuild of the list; 2: the tick over 100 entries, half running.
void Process(benchmark::State& state, int mode) {
    kp::sim::SimOs os("");
    kp::sim::SimListView processes, entries;
    for (int i = 0; i < 500; ++i) os.Processes().Add(kp::Format("C:\\Program Files\\Tool%d\\tool%d.exe", i, i));
    kestor::InsertProcessColumns(processes);
    kestor::FillProcessList(processes, kestor::kPageFillMessages);
    kestor::InsertTerminationColumns(entries);
    for (int i = 0; i < 100; ++i)
        kestor::AddTermination(entries, kp::Format("tool%d.exe", i % 2 * 500 + i), 999, 0, 0, i % 2 == 0);
    for (auto _ : state) {
        if (mode == 0) benchmark::DoNotOptimize(kestor::CountProcesses());
        if (mode == 1) kestor::FillProcessList(processes, kestor::kPageFillMessages);
        if (mode == 2) kestor::TerminationTick(entries, processes);
    }
}

const bool registered = [] {
    const std::string files[] = {"TimeSet.ini", "ControlSet.ini", "Playlist.m3u"};
    const std::string lists[] = {" load, sorted", " load, file order", " save"};
    const char* const process[] = {"process count", "process list rebuild", "termination tick"};
    for (int mode = 0; mode < 3; ++mode) {
        for (File f : {kTimeSet, kControlSet, kPlaylist})
            benchmark::RegisterBenchmark((files[f] + lists[mode]).c_str(), Lists, f, mode)
                ->Unit(benchmark::kMillisecond)->Arg(1000)->Arg(10000)->Arg(100000);
        benchmark::RegisterBenchmark(process[mode], Process, mode)->Unit(benchmark::kMicrosecond);
    }
    return true;
}();

}  // namespace
