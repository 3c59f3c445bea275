// The file readers under libFuzzer, one target per reader built from this source with FUZZ_TARGET set:
// TextFileFuzz (1), ReminderFileFuzz (2), UserLimitFileFuzz (3), PlaylistFileFuzz (4). Any bytes load without
// a crash, a hang or a large allocation; what the writer makes of the loaded rows loads back to the same rows
// and saves to the same bytes; rows built from the input (raw fields too: a reminder's packed time, a limit's
// flags) save and load whole, but the reminders not later than "now", which the reader drops on purpose.
#include <fuzzer/FuzzedDataProvider.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/sim/SimControls.h"
#include "player/PlaylistFile.h"
#include "scheduler/ReminderFile.h"
#include "usercontrol/UserLimitFile.h"

#define CHECK(c) \
    ((c) ? (void)0 : (std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #c), std::abort()))

namespace {

using Rows = std::vector<std::vector<std::string>>;  // the texts of each row, and the row data of a list view's
constexpr int kColumns = FUZZ_TARGET == 2 ? 2 : FUZZ_TARGET == 3 ? 4 : 1, kListView = kColumns > 1;
const uint32_t kNow = 0x060F0C00;  // 15 June, 12:00: reminders up to it are expired

// A list view with the page's columns or a list box holding the rows; Held: the rows as the page's sorted list
// holds them (the lines of the text-mode file as they are).
kp::sim::SimListView View(const Rows& rows, bool sorted) {
    kp::sim::SimListView view;
    for (int col = 0; col < kColumns; ++col) view.InsertColumn(col, "c", 80, kp::ColumnAlign::Left);
    view.sorted = sorted;
    for (const auto& r : rows) {
        const int row = view.InsertItem(view.GetItemCount(), r[0]);
        for (int col = 1; col < kColumns; ++col) view.SetItemText(row, col, r[col]);
        view.SetItemData(row, static_cast<uint32_t>(std::stoul(r[kColumns])));
    }
    return view;
}
kp::sim::SimListBox Box(const Rows& rows, bool sorted) {
    kp::sim::SimListBox box;
    box.sorted = sorted;
    for (const auto& r : rows) box.AddString(r[0]);
    return box;
}
Rows RowsOf(const kp::sim::SimListView& view, const kp::sim::SimListBox& box) {
    Rows rows;
    for (const std::string& text : box.Items()) rows.push_back({text});
    for (const auto& r : view.Rows()) rows.push_back(r.texts);
    for (auto& row : rows) row.resize(kColumns);
    for (size_t i = 0; kListView && i < rows.size(); ++i) rows[i].push_back(std::to_string(view.Rows()[i].data));
    return rows;
}
Rows Held(const Rows& rows) {
    return FUZZ_TARGET == 1 ? rows : kListView ? RowsOf(View(rows, true), {}) : RowsOf({}, Box(rows, true));
}
Rows Load(const std::string& bytes) {
    kp::TextReader in(bytes);
    Rows rows;
    for (std::string line; FUZZ_TARGET == 1 && in.ReadLine(line);) rows.push_back({line});
    for (const std::string& path : kestor::ReadPlaylist(FUZZ_TARGET == 4 ? bytes : "")) rows.push_back({path});
    if (!kListView) return Held(rows);
    kp::sim::SimListView list = View({}, true);
    if (FUZZ_TARGET == 2) kestor::ReadReminders(in, kNow, list);
    if (FUZZ_TARGET == 3) kestor::ReadUserLimits(list, in);
    for (int row = 0; row < list.GetItemCount(); ++row) {
        CHECK(FUZZ_TARGET == 3 || list.GetItemData(row) > kNow);
        if (FUZZ_TARGET != 3) continue;
        // The limits the enforcement reads out of the row texts come from any texts without trouble.
        CHECK(std::abs(kestor::CheckDailyWindow(list, row, kp::SysTime{})) <= 1);
        (void)kestor::ContinuousLimitMs(list, row);
        (void)kestor::RestSeconds(list, row);
    }
    return RowsOf(list, {});
}
std::string Save(const Rows& rows) {
    kp::TextWriter out;
    for (size_t i = 0; FUZZ_TARGET == 1 && i < rows.size(); ++i) out.WriteLine(rows[i][0]);
    if (FUZZ_TARGET == 2) kestor::WriteReminders(View(rows, false), int(rows.size()), out);
    if (FUZZ_TARGET == 3) kestor::WriteUserLimits(View(rows, false), int(rows.size()), out);
    return FUZZ_TARGET == 4 ? kestor::WritePlaylist(Box(rows, false)) : out.Bytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size), bytes = Save(Load(input));
    CHECK(Load(bytes) == Load(input) && Save(Load(bytes)) == bytes);
    // Lines and raw fields in an order taken from the bytes: every read that succeeds consumes, and it ends.
    kp::TextReader reader(input);
    std::string line;
    uint32_t value = 0;
    for (size_t i = 0; FUZZ_TARGET == 1 && !reader.AtEnd(); ++i)
        CHECK(i < size && (((data[i] & 1) && reader.ReadUInt32(value)) || reader.ReadLine(line)));
    CHECK(FUZZ_TARGET != 1 || (!reader.ReadLine(line) && !reader.ReadUInt32(value)));
    // Rows built from the input: texts a list can hold (no NUL, where texts end, and no line feed, which the
    // single-line edits they come from cannot take; a lone CR and 0x1A are kept), and a row data.
    FuzzedDataProvider provider(data, size);
    Rows made;
    while (provider.remaining_bytes() > 0) {
        const uint32_t value = provider.ConsumeIntegral<uint32_t>();
        std::vector<std::string> row(kColumns);
        for (std::string& text : row) {
            text = provider.ConsumeRandomLengthString(512);
            text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return !c || c == '\n'; }), text.end());
        }
        if (kListView) row.push_back(std::to_string(value));
        if ((FUZZ_TARGET != 4 || !row[0].empty()) && (FUZZ_TARGET != 2 || value > kNow)) made.push_back(row);
    }
    CHECK(Load(Save(made)) == Held(made));
    return 0;
}
