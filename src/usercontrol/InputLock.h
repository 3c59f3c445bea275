// The input lock shared by the lock dialogs and the locked notice: while it holds, the mouse is swallowed,
// the task-switching keys are kept from the shell, the cursor stays on the dialog, the dialog stays on top
// and the system believes a screen saver is running.
#pragma once
#include <cstdint>
#include "platform/Window.h"

namespace kestor {

// One per dialog. Holds the hook handles and the screen-saver state saved when the lock was taken.
class InputLock {
public:
    InputLock() = default;
    InputLock(const InputLock&) = delete;
    InputLock& operator=(const InputLock&) = delete;
    ~InputLock() { UnlockInput(); }

    // Takes the lock for `window`: mouse hook, task-key hook, screen-saver-running flag on, the cursor
    // confined to the window's rectangle (when `clipCursor`), the window topmost. A hook the system refuses
    // is skipped silently; the rest still applies. Locking again while locked does nothing.
    void LockInput(kp::IWindow& window, bool clipCursor = true);
    // Undoes the lock exactly: flag off, hooks removed, capture released, cursor freed. Does nothing when
    // no lock is held, so every way out of a dialog may call it.
    void UnlockInput();
    // Sets the screen-saver-running flag again while the lock holds (the unlock dialog does so once more
    // after taking the lock).
    void SetScreenSaverRunningAgain();

private:
    bool m_locked = false;
    uintptr_t m_mouseHook = 0;
    uintptr_t m_taskKeyHook = 0;
    uint32_t m_screenSaverState = 0;  // receives the flag's earlier state
};

}  // namespace kestor
