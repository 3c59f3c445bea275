// The one way the win32 backend includes the Windows headers: the portable headers first (their constants
// and method names would otherwise be hit by the Windows macros), then the system headers with the
// clashing macros taken back out, then the text conversions used at every call.
#pragma once
#include <string>

#include "platform/Os.h"
#include "platform/Wnd.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

// These macros would rename members of the portable interfaces (IUi::MessageBox, IUi::LoadString,
// IUi::PostMessage, IPower::ExitWindows) and the class kp::PropertySheet. The backend calls the W
// functions by their full names.
#undef MessageBox
#undef LoadString
#undef PostMessage
#undef ExitWindows
#undef PropertySheet

namespace kp::win32 {

// Every text of the program is GBK (code page 936); the backend converts at each Windows call.
std::wstring Wide(const std::string& gbk);
std::string Narrow(const wchar_t* text, size_t length);
std::string Narrow(const std::wstring& text);

// The program's own module, where every resource lives.
HINSTANCE Instance();

}  // namespace kp::win32
