// ControlSet.ini: any bytes load without a crash, a hang or an allocation sized by the row count, and
// what the writer makes of the loaded rows loads back to the same rows and the same bytes. Rows built
// from the input (four texts and the flags) are written and read back whole.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "ListRows.h"
#include "usercontrol/UserLimitFile.h"

namespace {

constexpr int kColumns = 4;  // user, continuous limit, rest, daily window

kp::sim::SimListView Load(const std::string& bytes) {
    kp::sim::SimListView list = fuzz::ListWithColumns(kColumns);
    kp::TextReader in(bytes);
    kestor::ReadUserLimits(list, in);
    return list;
}

std::string Save(const kp::IListView& list) {
    kp::TextWriter out;
    kestor::WriteUserLimits(list, list.GetItemCount(), out);
    return out.Bytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The input as a file.
    const kp::sim::SimListView rows = Load(std::string(reinterpret_cast<const char*>(data), size));
    const std::string bytes = Save(rows);
    const kp::sim::SimListView again = Load(bytes);
    FUZZ_CHECK(fuzz::SameRows(rows, again, kColumns));
    FUZZ_CHECK(Save(again) == bytes);
    // The limits the enforcement reads out of the row texts come from any texts without trouble.
    for (int row = 0; row < rows.GetItemCount(); ++row) {
        kestor::ContinuousLimitMs(rows, row);
        kestor::RestSeconds(rows, row);
        const int inside = kestor::CheckDailyWindow(rows, row, kp::SysTime{});
        FUZZ_CHECK(inside >= -1 && inside <= 1);
    }

    // The input as rows of a list.
    FuzzedDataProvider provider(data, size);
    kp::sim::SimListView written = fuzz::ListWithColumns(kColumns);
    while (provider.remaining_bytes() > 0) {
        const uint32_t flags = provider.ConsumeIntegral<uint32_t>();
        const int row = written.InsertItem(written.GetItemCount(), fuzz::CellText(provider));
        for (int col = 1; col < kColumns; ++col) written.SetItemText(row, col, fuzz::CellText(provider));
        written.SetItemData(row, flags);
    }
    FUZZ_CHECK(fuzz::SameRows(Load(Save(written)), written, kColumns));
    return 0;
}
