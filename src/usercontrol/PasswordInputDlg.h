// The password prompt: a prompt text and a password box, shown under the input lock. The caller sets the
// prompt, empties the password, runs it and judges what was typed.
#pragma once
#include <string>
#include "platform/Wnd.h"
#include "usercontrol/InputLock.h"

namespace kestor {

class CPasswordInputDlg : public kp::Dialog {
public:
    CPasswordInputDlg();
    bool OnInitDialog() override;
    void DoDataExchange(kp::DataExchange& dx) override;
    // Reads the typed password and the prompt back and ends with IDOK; no check is made here.
    void OnOK() override;
    // Escape does not leave the prompt; only the hidden cancel button (1092) ends it with IDCANCEL.
    void OnCancel() override {}
    bool OnCommand(int id, int code) override;

    std::string m_strPassword;  // edit 1078
    std::string m_strPrompt;    // static 1085

    // A dialog that goes away without its OK (the program quitting under it) still gives the input back.
    void OnDestroy() override { m_lock.UnlockInput(); }

private:
    InputLock m_lock;
};

}  // namespace kestor
