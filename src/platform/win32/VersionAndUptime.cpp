// The Windows version value and the time since Windows started.
#include "platform/win32/Services.h"

namespace kp::win32 {

namespace {

using TickCount64Fn = ULONGLONG(WINAPI*)();

// GetTickCount64 came with Vista; the program also runs on XP, which lacks it, so it is looked up by name.
TickCount64Fn TickCount64() {
    static const TickCount64Fn fn = [] {
        HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        return kernel ? reinterpret_cast<TickCount64Fn>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetTickCount64")))
                      : nullptr;
    }();
    return fn;
}

}  // namespace

uint64_t Clock::MsSinceStart() {
    if (TickCount64Fn fn = TickCount64()) return fn();
    return GetTickCount();
}

uint32_t System::Version() { return GetVersion(); }

}  // namespace kp::win32
