// The framing shared by the reminder and user-limit list files: a "[ItemCount]" line, the record count as
// a raw 32-bit field ended by a "D" line, then an "[ItemData]" line before the records.
#pragma once
#include <cstdint>
#include "platform/TextFile.h"

namespace kestor {

inline void WriteListHeader(kp::TextWriter& out, int count) {
    out.WriteLine("[ItemCount]");
    out.WriteUInt32(static_cast<uint32_t>(count));
    out.WriteLine("D");
    out.WriteLine("[ItemData]");
}

}  // namespace kestor
