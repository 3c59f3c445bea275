#include "sysinfo/PowerCommands.h"

#include "platform/Os.h"

namespace kestor {

void ShutDownNow() { kp::TheOs().power->ExitWindows(kp::EWX_SHUTDOWN); }
void RestartNow() { kp::TheOs().power->ExitWindows(kp::EWX_REBOOT); }
void LogOffNow() { kp::TheOs().power->ExitWindows(kp::EWX_LOGOFF); }

}  // namespace kestor
