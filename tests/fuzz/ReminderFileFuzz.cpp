// TimeSet.ini: any bytes load without a crash, a hang or an allocation sized by the record count, and
// what the writer makes of the loaded rows loads back to the same rows and the same bytes. Rows built
// from the input are written and read back whole, except the reminders not later than "now", which the
// reader drops on purpose.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "ListRows.h"
#include "scheduler/ReminderFile.h"

namespace {

constexpr int kColumns = 2;  // time text, message

// A fixed "now" (15 June, 12:00): reminders up to it are expired, later ones are kept.
kp::SysTime Now() {
    kp::SysTime t;
    t.wYear = 2026;
    t.wMonth = 6;
    t.wDay = 15;
    t.wHour = 12;
    return t;
}
const uint32_t kNow = kestor::PackTime(Now());

kp::sim::SimListView Load(const std::string& bytes) {
    kp::sim::SimListView list = fuzz::ListWithColumns(kColumns);
    kp::TextReader in(bytes);
    kestor::ReadReminders(in, kNow, list);
    return list;
}

std::string Save(const kp::IListView& list) {
    kp::TextWriter out;
    kestor::WriteReminders(list, list.GetItemCount(), out);
    return out.Bytes();
}

void CheckLoadedRows(const kp::IListView& list) {
    for (int row = 0; row < list.GetItemCount(); ++row) FUZZ_CHECK(list.GetItemData(row) > kNow);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The input as a file.
    const kp::sim::SimListView rows = Load(std::string(reinterpret_cast<const char*>(data), size));
    CheckLoadedRows(rows);
    const std::string bytes = Save(rows);
    const kp::sim::SimListView again = Load(bytes);
    FUZZ_CHECK(fuzz::SameRows(rows, again, kColumns));
    FUZZ_CHECK(Save(again) == bytes);

    // The input as rows of a list: packed time, time text, message.
    FuzzedDataProvider provider(data, size);
    kp::sim::SimListView written = fuzz::ListWithColumns(kColumns);
    kp::sim::SimListView expected = fuzz::ListWithColumns(kColumns);
    while (provider.remaining_bytes() > 0) {
        const uint32_t packed = provider.ConsumeIntegral<uint32_t>();
        const std::string text = fuzz::CellText(provider), message = fuzz::CellText(provider);
        const auto add = [&](kp::sim::SimListView& list) {
            const int row = list.InsertItem(list.GetItemCount(), text);
            list.SetItemText(row, 1, message);
            list.SetItemData(row, packed);
        };
        add(written);
        if (packed > kNow) add(expected);
    }
    FUZZ_CHECK(fuzz::SameRows(Load(Save(written)), expected, kColumns));
    return 0;
}
