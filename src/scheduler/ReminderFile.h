// TimeSet.ini: the reminder list between runs.
#pragma once
#include "platform/Controls.h"
#include "platform/TextFile.h"

namespace kestor {

// Writes `count` rows of the reminder list (packed time, time text, message). Nothing for a count of 0.
void WriteReminders(const kp::IListView& list, int count, kp::TextWriter& out);

}  // namespace kestor
