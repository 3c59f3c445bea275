// Static controls the backend draws itself: the link (or coloured note) static and the stretched-bitmap
// static. Each keeps its state in a window property of the control and removes it when the control goes.
#pragma once
#include "platform/win32/Win32.h"

namespace kp::win32 {

// Makes a static a link: its parent colours it (ColourLinkStatic), and with the link enabled it shows the
// hand cursor. Calling again only changes whether the link is enabled.
void MakeLinkStatic(HWND control, bool linkEnabled);
// For the parent's WM_CTLCOLORSTATIC: the brush for a link static, null for any other control.
HBRUSH ColourLinkStatic(HWND control, HDC dc);

// Makes a static paint the bitmap resource stretched over itself with its text centred on top; false
// when the resource does not load (the control keeps what it showed before).
bool SetBitmapStatic(HWND control, int bitmapResource);

}  // namespace kp::win32
