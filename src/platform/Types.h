// Plain value types and the Windows constants the portable code needs, without <windows.h>.
#pragma once
#include <cstdint>

namespace kp {

// Same field order and meaning as the Win32 SYSTEMTIME.
struct SysTime {
    uint16_t wYear = 0, wMonth = 0, wDayOfWeek = 0, wDay = 0;
    uint16_t wHour = 0, wMinute = 0, wSecond = 0, wMilliseconds = 0;
};

struct Rect { int left = 0, top = 0, right = 0, bottom = 0; };
struct Point { int x = 0, y = 0; };
inline bool operator==(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Opaque identity of a top-level window of the desktop (any process).
using WindowRef = uintptr_t;

// Messages.
constexpr unsigned WM_NULL = 0x0000;
constexpr unsigned WM_USER = 0x0400;
constexpr unsigned WM_LBUTTONDOWN = 0x0201;
constexpr unsigned WM_LBUTTONUP = 0x0202;
constexpr unsigned WM_LBUTTONDBLCLK = 0x0203;
constexpr unsigned WM_RBUTTONDOWN = 0x0204;
constexpr unsigned WM_RBUTTONUP = 0x0205;
constexpr unsigned WM_MOUSEMOVE = 0x0200;

// System commands.
constexpr unsigned SC_CLOSE = 0xF060;

// Message box types and results.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Notification codes delivered with commands.
constexpr int BN_CLICKED = 0;
constexpr int STN_CLICKED = 0;
constexpr int EN_SETFOCUS = 0x0100;
constexpr int EN_KILLFOCUS = 0x0200;
constexpr int EN_CHANGE = 0x0300;
constexpr int CBN_SELCHANGE = 1;
constexpr int LBN_SELCHANGE = 1;
constexpr int LBN_DBLCLK = 2;

// ExitWindowsEx flags.
constexpr unsigned EWX_LOGOFF = 0;
constexpr unsigned EWX_SHUTDOWN = 1;
constexpr unsigned EWX_REBOOT = 2;

// Button ids of a property sheet.
constexpr int ID_APPLY_NOW = 0x3021;

}  // namespace kp

namespace kp {
// WM_NOTIFY codes the portable code reacts to.
constexpr int NM_CLICK = -2;
constexpr int NM_DBLCLK = -3;
constexpr int NM_SETFOCUS = -7;
constexpr int NM_KILLFOCUS = -8;
constexpr int LVN_ITEMCHANGED = -101;
constexpr int DTN_DATETIMECHANGE = -759;
constexpr int UDN_DELTAPOS = -722;
}  // namespace kp
