// ControlSet.ini: the per-user limit list between runs.
#pragma once
#include "platform/Controls.h"
#include "platform/TextFile.h"

namespace kestor {

// Writes `count` rows of the user list (four column texts and the flags). Nothing for a count of 0.
void WriteUserLimits(const kp::IListView& list, int count, kp::TextWriter& out);

}  // namespace kestor
