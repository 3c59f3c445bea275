// TimeSet.ini: the reminder list between runs, and the packed form of a reminder's time.
#pragma once
#include <cstdint>
#include <string>
#include "platform/Controls.h"
#include "platform/TextFile.h"
#include "platform/Types.h"

namespace kestor {

// month << 24 | day << 16 | hour << 8 | minute: as unsigned numbers, packed times compare in calendar
// order within one year.
uint32_t PackTime(const kp::SysTime& t);
// The list's time text, "MM月DD日HH点MM分" with two digits each.
std::string ReminderTimeText(uint32_t packed);

// Writes `count` rows of the reminder list (packed time, time text, message). Nothing for a count of 0.
void WriteReminders(const kp::IListView& list, int count, kp::TextWriter& out);

// Adds the file's reminders later than `now` (packed) to the list and drops the others. Reading stops at
// the first incomplete record; the count in the file only bounds the records read, it is never trusted
// for anything else.
void ReadReminders(kp::TextReader& in, uint32_t now, kp::IListView& list);

}  // namespace kestor
