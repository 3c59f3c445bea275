// ControlSet.ini and the limit rows it holds: the row texts are the stored data, and the enforcement reads
// its limits back out of them.
#pragma once
#include <cstdint>
#include <string>
#include "platform/Controls.h"
#include "platform/TextFile.h"
#include "platform/Types.h"

namespace kestor {

// The flags kept as a row's item data.
constexpr uint32_t kLimitContinuousOnly = 1;  // a continuous limit and no daily window
constexpr uint32_t kLimitDailyWindow = 3;     // a daily window, with or without a continuous limit

// Column texts of a row.
std::string HoursText(int hours);          // "2小时"
std::string RestText(int minutes);         // "10分钟"
std::string WindowText(const kp::SysTime& start, const kp::SysTime& end);  // "每日9时0分 - 22时30分"

// Writes `count` rows of the user list (four column texts and the flags). Nothing for a count of 0.
void WriteUserLimits(const kp::IListView& list, int count, kp::TextWriter& out);
// Adds the rows of a ControlSet.ini to the sorted list. Rows the data runs out inside keep empty texts and
// zero flags; no row is started once the data has ended, whatever count the file claims.
void ReadUserLimits(kp::IListView& list, kp::TextReader& in);

// The continuous limit of a row in milliseconds, and its rest in seconds; kNoLimitMs and kNoRest when the
// column is empty.
constexpr uint32_t kNoLimitMs = 0xFFFFFFFFu;
constexpr int32_t kNoRest = -1;
uint32_t ContinuousLimitMs(const kp::IListView& list, int row);
int32_t RestSeconds(const kp::IListView& list, int row);

// Where `now` lies against the row's daily window: 1 inside (both ends included, to the minute), -1
// outside, 0 when the row has none (flags 1, or an empty window text).
int CheckDailyWindow(const kp::IListView& list, int row, const kp::SysTime& now);

}  // namespace kestor
