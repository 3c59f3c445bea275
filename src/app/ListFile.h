// The list files: reading one whole or telling the user why not, and the framing shared by the reminder
// and user-limit files (a "[ItemCount]" line, the record count as a raw 32-bit field ended by a "D"
// line, then an "[ItemData]" line before the records).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include "platform/Controls.h"
#include "platform/TextFile.h"

namespace kestor {

enum class ListFileRead {
    Missing,     // no such file
    Unreadable,  // there, but it cannot be read
    Whole,
    Cut,  // larger than the limit: `bytes` holds its first whole lines, and the user has been told
};

// Reads a list file of at most `limit` bytes. A list read in part or not at all is kept on disk as it
// is at exit, so that the rows the program did not see are never written over.
ListFileRead ReadListFile(const std::string& path, size_t limit, std::string& bytes);

inline bool KeepsFileAtExit(ListFileRead read) { return read == ListFileRead::Unreadable || read == ListFileRead::Cut; }

// A row of a list file on its way into its list view.
struct ListRow {
    std::vector<std::string> texts;  // column 0 first
    uint32_t data = 0;
};

// Adds the rows to a list view that keeps its rows sorted by column 0. The real control finds a new row's
// place by walking its rows from the top, so rows go in from the greatest to the least, each found at
// the top: a list of n rows costs n comparisons there instead of n * n / 2. Rows of equal texts end up
// in the order they would have had one by one in the file's order.
void InsertSortedRows(kp::IListView& list, std::vector<ListRow>& rows);

inline void WriteListHeader(kp::TextWriter& out, int count) {
    out.WriteLine("[ItemCount]");
    out.WriteUInt32(static_cast<uint32_t>(count));
    out.WriteLine("D");
    out.WriteLine("[ItemData]");
}

}  // namespace kestor
