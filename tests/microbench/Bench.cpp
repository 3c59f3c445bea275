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
enum File { kTimeSet, kControlSet, kPlaylist };
using List = std::pair<kp::sim::SimListView, kp::sim::SimListBox>;
List Make(File file, bool sorted, int rows = 0) {
    List l;
    for (int col = 0; col < (file == kTimeSet ? 2 : 4); ++col) l.first.InsertColumn(col, "c", 80, {});
    l.first.sorted = l.second.sorted = sorted;
    const auto at = [](int month, int day, int h, int m) { return kp::MakeSysTime(1, month, day, h, m, 0); };
    for (int i = 0; i < rows; ++i) {
        const uint32_t packed = PackTime(at(1 + i / 40320, 1 + i / 1440 % 28, i / 60 % 24, i % 60));
        l.second.AddString(kp::Format("D:\\音乐\\专辑%03d\\第%05d首 月亮代表我的心.mp3", i / 100, i));
        if (file == kPlaylist) continue;
        l.first.InsertItem(i, file == kControlSet ? kp::Format("用户%05d", i) : ReminderTimeText(packed));
        l.first.SetItemText(i, 1, file == kControlSet ? HoursText(1 + i % 5) : kp::Format("第%d项：交电费、取快递", i));
        l.first.SetItemText(i, 2, RestText(5 + i % 50));  // TimeSet.ini's list has no third column
        l.first.SetItemText(i, 3, i % 2 ? "" : WindowText(at(1, 1, 8, 0), at(1, 1, 21, 30)));
        l.first.SetItemData(i, file == kTimeSet ? packed : i % 2 ? kLimitContinuousOnly : kLimitDailyWindow);
    }
    return l;
}
std::string Save(File file, const List& l) {
    kp::TextWriter out;
    if (file == kTimeSet) WriteReminders(l.first, l.first.GetItemCount(), out);
    if (file == kControlSet) WriteUserLimits(l.first, l.first.GetItemCount(), out);
    return file == kPlaylist ? WritePlaylist(l.second) : out.Bytes();
}
void Lists(benchmark::State& state, File file, bool sorted, bool save) {
    const List full = Make(file, false, static_cast<int>(state.range(0)));
    const std::string bytes = Save(file, full);
    for (auto _ : state) {
        if (save) benchmark::DoNotOptimize(Save(file, full));
        if (save) continue;
        List l = Make(file, sorted);  // a fresh list for every load (a few columns: microseconds)
        kp::TextReader in(bytes);
        if (file == kTimeSet) ReadReminders(in, 0, l.first);
        if (file == kControlSet) ReadUserLimits(l.first, in);
        for (const std::string& song : ReadPlaylist(file == kPlaylist ? bytes : "")) l.second.AddString(song);
    }
}
void Process(benchmark::State& state, int what) {
    kp::sim::SimOs os("");
    kp::sim::SimListView processes, entries;
    for (int i = 0; i < 500; ++i) os.Processes().Add(kp::Format("C:\\Program Files\\Tool%d\\tool%d.exe", i, i));
    InsertProcessColumns(processes);
    FillProcessList(processes, kPageFillMessages);
    InsertTerminationColumns(entries);
    for (int i = 0; i < 100; ++i)
        AddTermination(entries, kp::Format("tool%d.exe", i % 2 * 500 + i), 999, 0, 0, i % 2 == 0);
    for (auto _ : state) {
        if (what == 0) benchmark::DoNotOptimize(CountProcesses());
        if (what == 1) FillProcessList(processes, kPageFillMessages);
        if (what == 2) TerminationTick(entries, processes);
    }
}
const bool registered = [] {
    const std::string files[] = {"TimeSet.ini", "ControlSet.ini", "Playlist.m3u"};
    const std::string modes[] = {" load, sorted", " load, file order", " save"};
    const char* const process[] = {"process count", "process list rebuild", "termination tick"};
    for (int mode = 0; mode < 3; ++mode) {
        for (File f : {kTimeSet, kControlSet, kPlaylist})
            benchmark::RegisterBenchmark((files[f] + modes[mode]).c_str(), Lists, f, mode == 0, mode == 2)
                ->Unit(benchmark::kMillisecond)->Arg(1000)->Arg(10000)->Arg(100000);
        benchmark::RegisterBenchmark(process[mode], Process, mode)->Unit(benchmark::kMicrosecond);
    }
    return true;
}();
}  // namespace
