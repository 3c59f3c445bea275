#include "usercontrol/InputLock.h"

#include "platform/Os.h"

namespace kestor {

void InputLock::LockInput(kp::IWindow& window, bool clipCursor) {
    if (m_locked) return;
    kp::IInputLock& input = *kp::TheOs().input;
    m_locked = true;
    m_mouseHook = input.InstallMouseHook();
    // The screen-saver flag no longer holds Alt+Tab and the Windows keys on the NT line; this hook does.
    m_taskKeyHook = input.InstallTaskKeyHook();
    input.SetScreenSaverRunning(true, m_screenSaverState);
    if (clipCursor) {
        const kp::Rect rect = window.GetWindowRect();
        input.ClipCursor(&rect);
    }
    window.SetTopmost();
}

void InputLock::UnlockInput() {
    if (!m_locked) return;
    kp::IInputLock& input = *kp::TheOs().input;
    m_locked = false;
    input.SetScreenSaverRunning(false, m_screenSaverState);
    if (m_mouseHook) input.RemoveMouseHook(m_mouseHook);
    if (m_taskKeyHook) input.RemoveTaskKeyHook(m_taskKeyHook);
    m_mouseHook = 0;
    m_taskKeyHook = 0;
    input.ReleaseCapture();
    input.ClipCursor(nullptr);
}

void InputLock::SetScreenSaverRunningAgain() {
    if (m_locked) kp::TheOs().input->SetScreenSaverRunning(true, m_screenSaverState);
}

}  // namespace kestor
