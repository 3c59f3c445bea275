// Holding the user's input: low-level hooks, the screen-saver flag and the cursor clip. The hook
// procedures run for every input event of the desktop, so they decide from the event alone.
#include "platform/win32/Services.h"

namespace kp::win32 {

namespace {

LRESULT CALLBACK SwallowMouse(int code, WPARAM wp, LPARAM lp) {
    if (code < 0) return CallNextHookEx(nullptr, code, wp, lp);
    return 1;
}

bool IsTaskSwitchKey(const KBDLLHOOKSTRUCT& key) {
    const bool alt = (key.flags & LLKHF_ALTDOWN) != 0;
    switch (key.vkCode) {
    case VK_TAB: return alt;
    case VK_ESCAPE: return alt || (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0;
    case VK_LWIN:
    case VK_RWIN: return true;
    default: return false;
    }
}

LRESULT CALLBACK SwallowTaskKeys(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && IsTaskSwitchKey(*reinterpret_cast<const KBDLLHOOKSTRUCT*>(lp))) return 1;
    return CallNextHookEx(nullptr, code, wp, lp);
}

uintptr_t Install(int type, HOOKPROC proc) {
    return reinterpret_cast<uintptr_t>(SetWindowsHookExW(type, proc, GetModuleHandleW(nullptr), 0));
}

void Remove(uintptr_t hook) {
    if (hook) UnhookWindowsHookEx(reinterpret_cast<HHOOK>(hook));
}

}  // namespace

uintptr_t InputLock::InstallMouseHook() { return Install(WH_MOUSE_LL, SwallowMouse); }

void InputLock::RemoveMouseHook(uintptr_t hook) { Remove(hook); }

uintptr_t InputLock::InstallTaskKeyHook() { return Install(WH_KEYBOARD_LL, SwallowTaskKeys); }

void InputLock::RemoveTaskKeyHook(uintptr_t hook) { Remove(hook); }

void InputLock::SetScreenSaverRunning(bool running, uint32_t& previous) {
    BOOL before = FALSE;
    SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, running ? TRUE : FALSE, &before, SPIF_UPDATEINIFILE);
    previous = before ? 1 : 0;
}

void InputLock::ClipCursor(const Rect* rect) {
    if (!rect) {
        ::ClipCursor(nullptr);
        return;
    }
    const RECT clip{rect->left, rect->top, rect->right, rect->bottom};
    ::ClipCursor(&clip);
}

void InputLock::ReleaseCapture() { ::ReleaseCapture(); }

}  // namespace kp::win32
