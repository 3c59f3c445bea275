// Calendar arithmetic on SysTime values: leap years, month lengths, day of week, and adding milliseconds
// across day, month and year ends.
#pragma once
#include <cstdint>
#include "platform/Types.h"

namespace kp {

// A time of day on a date, the other fields zero.
SysTime MakeSysTime(int year, int month, int day, int hour, int minute, int second);
bool IsLeapYear(int year);
// 28 to 31; 0 for a month outside 1..12.
int DaysInMonth(int year, int month);
// 0 = Sunday … 6 = Saturday, as in SysTime::wDayOfWeek.
int DayOfWeek(int year, int month, int day);
// A real date from 1601 on, with every field in its range (the day of week is not checked).
bool IsValidSysTime(const SysTime& t);
// Milliseconds since 1601-01-01 00:00:00.000, the Windows file-time epoch. The time must be valid.
int64_t SysTimeToMs(const SysTime& t);
// The inverse, with the day of week filled in; `ms` must not be negative.
SysTime SysTimeFromMs(int64_t ms);
// `t` moved by `ms` (may be negative), with the day of week filled in.
SysTime AddMs(const SysTime& t, int64_t ms);

}  // namespace kp
