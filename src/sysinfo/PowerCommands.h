// The three ways the program ends the Windows session. Each is one request and nothing else: no question,
// no saving, no privilege, and the result is not looked at.
#pragma once

namespace kestor {

void ShutDownNow();
void RestartNow();
void LogOffNow();

}  // namespace kestor
