// Private messages of the main window.
#pragma once
#include "platform/Types.h"

namespace kestor {

constexpr unsigned WM_TRAY_NOTIFY = kp::WM_USER + 10;     // the tray icon's callback
constexpr unsigned WM_USER_ACTIVITY = kp::WM_USER + 100;  // a click on a page or dialog, or a page shown
constexpr unsigned WM_SAVE_AND_QUIT = kp::WM_USER + 110;  // save every list and quit
constexpr unsigned WM_SHOW_ABOUT = kp::WM_USER + 120;     // show the about box

// Tells the main window that the user did something; it postpones hiding itself.
void NotifyUserActivity();

}  // namespace kestor
