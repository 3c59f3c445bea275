// The self-closing notice: a message and a countdown line; it closes with IDOK when the countdown has run
// out and ignores OK, Enter and Escape before that. In system mode with the lock it also holds the user's
// input (mouse swallowed, cursor optionally confined to the popup, popup topmost, OK hidden) until it
// closes. The owner keeps one object for its whole life and fills it before every showing.
#pragma once
#include <cstdint>
#include <string>
#include "app/KestorPage.h"
#include "usercontrol/InputLock.h"

namespace kestor {

class CNoticeDlg : public ActivityDialog {
public:
    static constexpr unsigned kCountdownTimer = 100001;

    CNoticeDlg();
    bool OnInitDialog() override;
    void OnTimer(unsigned id) override;
    void OnOK() override;
    void OnCancel() override;
    // A popup that goes away without its countdown (the program quitting under it) gives the input back.
    void OnDestroy() override { m_lock.UnlockInput(); }

    // The countdown line for `seconds` in the wording of the mode.
    std::string CountdownLine(int seconds) const;

    std::string m_strMessage;    // set by the caller
    std::string m_strCountdown;  // first countdown line: set by the caller in system mode, here in plain mode
    int32_t m_nSeconds = 0;      // set by the caller; counted down to -1 by the popup
    int m_bSystemMode = 0;       // set by the caller; cleared when a system-mode showing closes
    int m_bLock = 0;             // system mode: hold the input while shown; cleared with m_bSystemMode
    int m_bClipCursor = 0;       // system mode with lock: also confine the cursor to the popup; kept
    int m_bTimeUp = 0;           // the countdown of the current showing has run out

private:
    InputLock m_lock;  // held from the opening of a locked system-mode showing to its close
};

}  // namespace kestor
