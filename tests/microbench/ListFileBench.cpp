// What loading and saving the three list files costs with 1,000 and 10,000 rows: TimeSet.ini, ControlSet.ini
// and Playlist.m3u, from bytes in memory through the readers and writers the pages call (no disk). Each
// load fills the list the way its page does: into a control with the page's sort style, and once into one
// without it, which leaves only the reader's own cost (its sort included). Items per second that stay level
// from one size to the next mean linear growth.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/Gbk.h"
#include "platform/sim/SimControls.h"
#include "platform/TextFile.h"
#include "player/PlaylistFile.h"
#include "scheduler/ReminderFile.h"
#include "usercontrol/UserLimitFile.h"

namespace {

using kp::sim::SimListBox;
using kp::sim::SimListView;

SimListView ListWithColumns(int columns, bool sorted) {
    SimListView list;
    for (int col = 0; col < columns; ++col) list.InsertColumn(col, "c", 80, kp::ColumnAlign::Left);
    list.sorted = sorted;
    return list;
}

// The lists the saves start from are made in their sort order already, as a page's sorted control keeps
// them. Reminder i falls on minute i counted from 1 January 00:00; "now" (0) is before all of them.
constexpr uint32_t kNow = 0;

SimListView Reminders(int count) {
    SimListView list = ListWithColumns(2, false);
    for (int i = 0; i < count; ++i) {
        kp::SysTime t;
        t.wMonth = static_cast<uint16_t>(1 + i / (24 * 60 * 28));
        t.wDay = static_cast<uint16_t>(1 + i / (24 * 60) % 28);
        t.wHour = static_cast<uint16_t>(i / 60 % 24);
        t.wMinute = static_cast<uint16_t>(i % 60);
        const uint32_t packed = kestor::PackTime(t);
        const int row = list.InsertItem(list.GetItemCount(), kestor::ReminderTimeText(packed));
        list.SetItemText(row, 1, kp::Format("第%d项：交电费、取快递", i));
        list.SetItemData(row, packed);
    }
    return list;
}

SimListView UserLimits(int count) {
    SimListView list = ListWithColumns(4, false);
    kp::SysTime start, end;
    start.wHour = 8;
    end.wHour = 21;
    end.wMinute = 30;
    for (int i = 0; i < count; ++i) {
        const int row = list.InsertItem(list.GetItemCount(), kp::Format("用户%05d", i));
        list.SetItemText(row, 1, kestor::HoursText(1 + i % 5));
        list.SetItemText(row, 2, kestor::RestText(5 + i % 50));
        const bool window = i % 2 == 0;
        if (window) list.SetItemText(row, 3, kestor::WindowText(start, end));
        list.SetItemData(row, window ? kestor::kLimitDailyWindow : kestor::kLimitContinuousOnly);
    }
    return list;
}

SimListBox Playlist(int count) {
    SimListBox list;
    for (int i = 0; i < count; ++i) list.AddString(kp::Format("D:\\音乐\\专辑%03d\\第%05d首 月亮代表我的心.mp3", i / 100, i));
    return list;
}

std::string SavedReminders(const SimListView& list) {
    kp::TextWriter out;
    kestor::WriteReminders(list, list.GetItemCount(), out);
    return out.Bytes();
}

std::string SavedUserLimits(const SimListView& list) {
    kp::TextWriter out;
    kestor::WriteUserLimits(list, list.GetItemCount(), out);
    return out.Bytes();
}

void Count(benchmark::State& state, const std::string& bytes) {
    const int64_t rows = state.range(0);
    state.SetItemsProcessed(state.iterations() * rows);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
    state.SetComplexityN(rows);
}

// A fresh list for every load; emptying the last one is not part of the load.
template <typename List, typename Make, typename Load>
void Loads(benchmark::State& state, Make make, Load load) {
    List list = make();
    for (auto _ : state) {
        state.PauseTiming();
        list = make();
        state.ResumeTiming();
        load(list);
        benchmark::DoNotOptimize(list);
    }
}

template <typename List, typename Save>
void Saves(benchmark::State& state, const List& list, Save save) {
    std::string bytes;
    for (auto _ : state) benchmark::DoNotOptimize(bytes = save(list));
    Count(state, bytes);
}

void BM_RemindersLoad(benchmark::State& state, bool sorted) {
    const std::string bytes = SavedReminders(Reminders(static_cast<int>(state.range(0))));
    Loads<SimListView>(state, [&] { return ListWithColumns(2, sorted); }, [&](SimListView& list) {
        kp::TextReader in(bytes);
        kestor::ReadReminders(in, kNow, list);
    });
    Count(state, bytes);
}

void BM_RemindersSave(benchmark::State& state) {
    Saves(state, Reminders(static_cast<int>(state.range(0))), SavedReminders);
}

void BM_UserLimitsLoad(benchmark::State& state, bool sorted) {
    const std::string bytes = SavedUserLimits(UserLimits(static_cast<int>(state.range(0))));
    Loads<SimListView>(state, [&] { return ListWithColumns(4, sorted); }, [&](SimListView& list) {
        kp::TextReader in(bytes);
        kestor::ReadUserLimits(list, in);
    });
    Count(state, bytes);
}

void BM_UserLimitsSave(benchmark::State& state) {
    Saves(state, UserLimits(static_cast<int>(state.range(0))), SavedUserLimits);
}

void BM_PlaylistLoad(benchmark::State& state, bool sorted) {
    const std::string bytes = kestor::WritePlaylist(Playlist(static_cast<int>(state.range(0))));
    const auto make = [&] {
        SimListBox list;
        list.sorted = sorted;
        return list;
    };
    Loads<SimListBox>(state, make, [&](SimListBox& list) {
        for (const std::string& path : kestor::ReadPlaylist(bytes)) list.AddString(path);
    });
    Count(state, bytes);
}

void BM_PlaylistSave(benchmark::State& state) {
    Saves(state, Playlist(static_cast<int>(state.range(0))), kestor::WritePlaylist);
}

// 100,000 rows as well: past the size where the lists outgrow the core's cache, the growth shows alone.
#define LIST_SIZES Unit(benchmark::kMillisecond)->Arg(1000)->Arg(10000)->Arg(100000)->Complexity()
BENCHMARK_CAPTURE(BM_RemindersLoad, sorted, true)->LIST_SIZES;
BENCHMARK_CAPTURE(BM_RemindersLoad, file_order, false)->LIST_SIZES;
BENCHMARK(BM_RemindersSave)->LIST_SIZES;
BENCHMARK_CAPTURE(BM_UserLimitsLoad, sorted, true)->LIST_SIZES;
BENCHMARK_CAPTURE(BM_UserLimitsLoad, file_order, false)->LIST_SIZES;
BENCHMARK(BM_UserLimitsSave)->LIST_SIZES;
BENCHMARK_CAPTURE(BM_PlaylistLoad, sorted, true)->LIST_SIZES;
BENCHMARK_CAPTURE(BM_PlaylistLoad, file_order, false)->LIST_SIZES;
BENCHMARK(BM_PlaylistSave)->LIST_SIZES;

}  // namespace
