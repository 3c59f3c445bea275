// The unlock dialog of the desktop lock: it holds the user's input until a password whose digest matches
// the stored unlock digest is typed, and it has no other way out.
#pragma once
#include <string>
#include "platform/Wnd.h"
#include "usercontrol/InputLock.h"

namespace kestor {

class CUnlockDlg : public kp::Dialog {
public:
    CUnlockDlg();
    bool OnInitDialog() override;
    // Checks the typed password; ends the dialog with IDOK only when it matches.
    void OnOK() override;
    // Escape does not leave the lock.
    void OnCancel() override {}

    // The digest the typed password must match: the machine's "Options_h1". When that cannot be read, or
    // is empty (no password could ever match it), the default password's digest stands in, which is what
    // the next start of the program would install; so a damaged store never locks the user out for good,
    // and the lock still asks for a password.
    static std::string ExpectedDigest();

    // A dialog that goes away without its OK (the program quitting under it) still gives the input back.
    void OnDestroy() override { m_lock.UnlockInput(); }

private:
    InputLock m_lock;
};

}  // namespace kestor
