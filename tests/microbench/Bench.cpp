// The list files at 1,000 to 100,000 rows as the pages make them (reminder i on minute i of the year), loaded
// into a control with the page's sort style or in the file's order (the reader's own cost), and saved; the
// process page with 500 processes and 100 entries to end: its refresh check's count, a rebuild, the tick.
#include <benchmark/benchmark.h>
#include "platform/Gbk.h"
#include "platform/SysTimeMath.h"
#include "platform/sim/SimOs.h"
#include "player/PlaylistFile.h"
#include "process/ProcessList.h"
#include "process/TerminationList.h"
#include "scheduler/ReminderFile.h"
#include "usercontrol/UserLimitFile.h"
namespace {
using namespace kestor;
using kp::Format;
enum File { kTimeSet, kControlSet, kPlaylist };
struct List {
    kp::sim::SimListView view;
    kp::sim::SimListBox box;
};
List Make(int file, bool sorted, int rows = 0) {
    List l;
    for (int col = 0; col < (file ? 4 : 2); ++col) l.view.InsertColumn(col, "c", 80, {});
    l.view.sorted = l.box.sorted = sorted;
    const auto at = [](int month, int day, int h, int m) { return kp::MakeSysTime(1, month, day, h, m, 0); };
    for (int i = 0; i < rows; ++i) {
        const uint32_t packed = PackTime(at(1 + i / 40320, 1 + i / 1440 % 28, i / 60 % 24, i % 60));
        l.box.AddString(Format("D:\\音乐\\专辑%03d\\第%05d首 月亮代表我的心.mp3", i / 100, i));
        if (file == kPlaylist) continue;
        l.view.InsertItem(i, file ? Format("用户%05d", i) : ReminderTimeText(packed));
        l.view.SetItemText(i, 1, file ? HoursText(1 + i % 5) : Format("第%d项：交电费、取快递", i));
        l.view.SetItemText(i, 2, RestText(5 + i % 50));  // TimeSet.ini's list has no third column
        l.view.SetItemText(i, 3, i % 2 ? "" : WindowText(at(1, 1, 8, 0), at(1, 1, 21, 30)));
        l.view.SetItemData(i, !file ? packed : i % 2 ? kLimitContinuousOnly : kLimitDailyWindow);
    }
    return l;
}
std::string Save(int file, const List& l) {
    kp::TextWriter out;
    if (file == kTimeSet) WriteReminders(l.view, l.view.GetItemCount(), out);
    if (file == kControlSet) WriteUserLimits(l.view, l.view.GetItemCount(), out);
    return file == kPlaylist ? WritePlaylist(l.box) : out.Bytes();
}
// Mode 0: a sorted load, 1: a load in the file's order, 2: a save.
void Lists(benchmark::State& state, int file, int mode) {
    const List full = Make(file, false, int(state.range(0)));
    const std::string bytes = Save(file, full);
    for (auto _ : state) {
        if (mode == 2) {
            benchmark::DoNotOptimize(Save(file, full));
            continue;
        }
        List l = Make(file, mode == 0);  // a fresh list for every load (a few columns: microseconds)
        kp::TextReader in(bytes);
        if (file == kTimeSet) ReadReminders(in, 0, l.view);
        if (file == kControlSet) ReadUserLimits(l.view, in);
        for (const std::string& song : ReadPlaylist(file == kPlaylist ? bytes : "")) l.box.AddString(song);
    }
}
void Process(benchmark::State& state, int what) {
    kp::sim::SimOs os("");
    kp::sim::SimListView ps, entries;
    for (int i = 0; i < 500; ++i) os.Processes().Add(Format("C:\\Program Files\\Tool%d\\tool%d.exe", i, i));
    InsertProcessColumns(ps);
    FillProcessList(ps, kPageFillMessages);
    InsertTerminationColumns(entries);
    for (int i = 0; i < 100; ++i) AddTermination(entries, Format("tool%d.exe", i % 2 * 500 + i), 999, 0, 0, i % 2 == 0);
    for (auto _ : state) {
        if (what == 0) benchmark::DoNotOptimize(CountProcesses());
        if (what == 1) FillProcessList(ps, kPageFillMessages);
        if (what == 2) TerminationTick(entries, ps);
    }
}
const bool registered = [] {
    const std::string files[] = {"TimeSet.ini", "ControlSet.ini", "Playlist.m3u"};
    const char* const modes[] = {" load, sorted", " load, file order", " save"};
    const char* const process[] = {"process count", "process list rebuild", "termination tick"};
    for (int mode = 0; mode < 3; ++mode) {
        for (int f = 0; f < 3; ++f)
            benchmark::RegisterBenchmark((files[f] + modes[mode]).c_str(), Lists, f, mode)
                ->Unit(benchmark::kMillisecond)->Arg(1000)->Arg(10000)->Arg(100000);
        benchmark::RegisterBenchmark(process[mode], Process, mode)->Unit(benchmark::kMicrosecond);
    }
    return true;
}();
}  // namespace
