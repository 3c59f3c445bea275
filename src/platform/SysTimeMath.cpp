#include "platform/SysTimeMath.h"

namespace kp {

namespace {

constexpr int64_t kMsPerDay = 86400000;

// Days from 1970-01-01 to a proleptic Gregorian date (H. Hinnant's days_from_civil).
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

const int64_t kEpoch1601 = DaysFromCivil(1601, 1, 1);

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int DayOfWeek(int year, int month, int day) {
    // 1970-01-01 was a Thursday.
    const int64_t days = DaysFromCivil(year, month, day);
    return static_cast<int>(((days % 7) + 7 + 4) % 7);
}

bool IsValidSysTime(const SysTime& t) {
    return t.wYear >= 1601 && t.wMonth >= 1 && t.wMonth <= 12 && t.wDay >= 1 &&
           t.wDay <= DaysInMonth(t.wYear, t.wMonth) && t.wHour < 24 && t.wMinute < 60 && t.wSecond < 60 &&
           t.wMilliseconds < 1000;
}

SysTime MakeSysTime(int year, int month, int day, int hour, int minute, int second) {
    SysTime t;
    t.wYear = static_cast<uint16_t>(year);
    t.wMonth = static_cast<uint16_t>(month);
    t.wDay = static_cast<uint16_t>(day);
    t.wHour = static_cast<uint16_t>(hour);
    t.wMinute = static_cast<uint16_t>(minute);
    t.wSecond = static_cast<uint16_t>(second);
    return t;
}

int64_t SysTimeToMs(const SysTime& t) {
    const int64_t days = DaysFromCivil(t.wYear, t.wMonth, t.wDay) - kEpoch1601;
    return days * kMsPerDay + ((t.wHour * 60 + t.wMinute) * 60 + t.wSecond) * int64_t{1000} + t.wMilliseconds;
}

SysTime SysTimeFromMs(int64_t ms) {
    const int64_t days = ms / kMsPerDay;
    int64_t rest = ms % kMsPerDay;
    int year = 0, month = 0, day = 0;
    CivilFromDays(days + kEpoch1601, year, month, day);
    SysTime t;
    t.wYear = static_cast<uint16_t>(year);
    t.wMonth = static_cast<uint16_t>(month);
    t.wDay = static_cast<uint16_t>(day);
    t.wDayOfWeek = static_cast<uint16_t>(DayOfWeek(year, month, day));
    t.wMilliseconds = static_cast<uint16_t>(rest % 1000);
    rest /= 1000;
    t.wSecond = static_cast<uint16_t>(rest % 60);
    rest /= 60;
    t.wMinute = static_cast<uint16_t>(rest % 60);
    t.wHour = static_cast<uint16_t>(rest / 60);
    return t;
}

SysTime AddMs(const SysTime& t, int64_t ms) { return SysTimeFromMs(SysTimeToMs(t) + ms); }

}  // namespace kp
