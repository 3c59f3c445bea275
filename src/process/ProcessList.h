// The process list shared by the process manager page and the add-process dialog: its columns, filling
// it from a snapshot, the count behind the page's auto-refresh, and opening the process of a row to end
// it. A row carries the process identifier as its row data and the process name in column 0.
#pragma once
#include <cstdint>
#include <string>
#include "platform/Controls.h"
#include "platform/Os.h"

namespace kestor {

// The name of a process: its executable text after the last backslash (the whole text without one).
std::string ProcessNameFromPath(const std::string& exeFile);

// The six centred columns: name, window title (always empty), identifier, parent, threads, usage count.
void InsertProcessColumns(kp::IListView& list);

// What a failed fill says: the snapshot could not be taken, or its first entry could not be read.
struct FillMessages {
    const char* noSnapshot;
    const char* noEntry;
};
extern const FillMessages kPageFillMessages;
extern const FillMessages kDialogFillMessages;

// Empties the list and adds one row per process of a fresh snapshot, each at the top, so the last
// process listed by the system stands first. A failure is reported and leaves the list empty.
void FillProcessList(kp::IListView& list, const FillMessages& messages);

// The number of processes; 0 (after a message) when they cannot be counted.
int CountProcesses();

// The first row from the top whose name is `name` (case-insensitive, GBK-aware); -1 when none.
int FindProcessRow(const kp::IListView& list, const std::string& name);

// Opens the process a row names, with the right to end it, only while its identifier still belongs to a
// process of the row's name: the list is rebuilt only when the number of processes changes, so the
// identifier may have passed to another program since. 0 when it cannot be opened or belongs elsewhere.
kp::ProcessHandle OpenListedProcess(uint32_t id, const std::string& name);

}  // namespace kestor
