// The file readers under libFuzzer, FUZZ_TARGET: TextFileFuzz (1), ReminderFileFuzz (2), UserLimitFileFuzz (3),
// PlaylistFileFuzz (4). Any bytes load; what the writer makes of them loads and saves the same; rows made from
// the input save and load whole, but for reminders not later than "now", which the reader drops on purpose.
#include <fuzzer/FuzzedDataProvider.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/sim/SimControls.h"
#include "player/PlaylistFile.h"
#include "scheduler/ReminderFile.h"
#include "usercontrol/UserLimitFile.h"

#define CHECK(c) ((c) ? (void)0 : (std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #c), std::abort()))

namespace {

constexpr int T = FUZZ_TARGET, kColumns = T == 2 ? 2 : T == 3 ? 4 : 1;
const uint32_t kNow = 0x060F0C00;  // 15 June, 12:00: reminders up to it are expired
using Rows = std::vector<std::vector<std::string>>;  // each row's texts, then a list view's row data

// The page's list: a list view with its columns (targets 2 and 3) or a list box.
struct List {
    kp::sim::SimListView view;
    kp::sim::SimListBox box;
    explicit List(bool sorted, const Rows& rows = {}) {
        for (int c = 0; c < kColumns; ++c) view.InsertColumn(c, "c", 80, kp::ColumnAlign::Left);
        view.sorted = box.sorted = sorted;
        for (const auto& r : rows) {
            if (kColumns == 1) {
                box.AddString(r[0]);
                continue;
            }
            const int row = view.InsertItem(view.GetItemCount(), r[0]);
            for (int c = 1; c < kColumns; ++c) view.SetItemText(row, c, r[c]);
            view.SetItemData(row, uint32_t(std::stoul(r[kColumns])));
        }
    }
    Rows Get() const {
        Rows rows;
        for (const std::string& t : box.Items()) rows.push_back({t});
        for (const auto& r : view.Rows()) {
            rows.push_back(r.texts);
            rows.back().resize(kColumns);
            rows.back().push_back(std::to_string(r.data));
        }
        return rows;
    }
};
Rows Load(const std::string& bytes) {
    kp::TextReader in(bytes);
    Rows lines;
    for (std::string line; T == 1 && in.ReadLine(line);) lines.push_back({line});
    List list(true);
    for (const std::string& path : kestor::ReadPlaylist(T == 4 ? bytes : "")) list.box.AddString(path);
    if (T == 2) kestor::ReadReminders(in, kNow, list.view);
    if (T == 3) kestor::ReadUserLimits(list.view, in);
    for (int row = 0; row < list.view.GetItemCount(); ++row) {
        CHECK(T == 3 || list.view.GetItemData(row) > kNow);
        if (T != 3) continue;
        // The enforcement reads its limits out of any texts.
        CHECK(std::abs(kestor::CheckDailyWindow(list.view, row, kp::SysTime{})) <= 1);
        (void)kestor::ContinuousLimitMs(list.view, row);
        (void)kestor::RestSeconds(list.view, row);
    }
    return T == 1 ? lines : list.Get();
}
std::string Save(const Rows& rows) {
    const List list(false, rows);
    kp::TextWriter out;
    for (size_t i = 0; T == 1 && i < rows.size(); ++i) out.WriteLine(rows[i][0]);
    if (T == 2) kestor::WriteReminders(list.view, int(rows.size()), out);
    if (T == 3) kestor::WriteUserLimits(list.view, int(rows.size()), out);
    return T == 4 ? kestor::WritePlaylist(list.box) : out.Bytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size), bytes = Save(Load(input));
    CHECK(Load(bytes) == Load(input) && Save(Load(bytes)) == bytes);
    // Lines and raw fields in an order the bytes choose: a read that succeeds consumes; reading ends.
    kp::TextReader reader(input);
    std::string line;
    uint32_t value = 0;
    for (size_t i = 0; T == 1 && !reader.AtEnd(); ++i)
        CHECK(i < size && (((data[i] & 1) && reader.ReadUInt32(value)) || reader.ReadLine(line)));
    CHECK(T != 1 || (!reader.ReadLine(line) && !reader.ReadUInt32(value)));
    // Rows made of texts a list can hold: no NUL, and no line feed, which no single-line edit takes.
    FuzzedDataProvider provider(data, size);
    Rows made;
    while (provider.remaining_bytes() > 0) {
        const uint32_t value = provider.ConsumeIntegral<uint32_t>();
        std::vector<std::string> row(kColumns);
        for (auto& t : row) {
            t = provider.ConsumeRandomLengthString(512);
            t.erase(std::remove_if(t.begin(), t.end(), [](char c) { return !c || c == '\n'; }), t.end());
        }
        if (kColumns > 1) row.push_back(std::to_string(value));
        if ((T != 4 || !row[0].empty()) && (T != 2 || value > kNow)) made.push_back(row);
    }
    CHECK(Load(Save(made)) == (T == 1 ? made : List(true, made).Get()));  // as the page's sorted list holds them
    return 0;
}
