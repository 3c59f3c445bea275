// The timed termination list: processes, each ended after it has been seen running for a chosen time.
// Entries live only in the page's list view: column 0 the process name, column 1 the time left as
// "h:m:s", column 2 "运行中" or "未运行", and the seconds left as row data. The time counts down only in
// ticks that find the entry running, matched by name against the page's process list.
#pragma once
#include <string>
#include "platform/Controls.h"

namespace kestor {

extern const char* const kStateRunning;     // "运行中"
extern const char* const kStateNotRunning;  // "未运行"

void InsertTerminationColumns(kp::IListView& entries);

// Puts an entry at the top. An entry of the same name (case-insensitive) is replaced after the question
// "该进程已添加到列表，是否覆盖。"; false when the user declines, and then nothing changes.
bool AddTermination(kp::IListView& entries, const std::string& name, int hour, int minute, int second,
                    bool running);

// One second of the list against the process list; true when it ended a process and left the list empty.
bool TerminationTick(kp::IListView& entries, const kp::IListView& processes);

}  // namespace kestor
