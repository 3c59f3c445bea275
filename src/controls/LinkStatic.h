// A static control shown as a link: blue text on a transparent background for every instance; with the
// link enabled, the hand cursor and a click that opens the control's text with the shell, or (in about
// mode) asks the main window for the about box. The backend draws it; the owning dialog passes its
// commands to OnCommand so that the static's click notification reaches this object.
#pragma once
#include <string>
#include "platform/Wnd.h"

namespace kestor {

class CLinkStatic {
public:
    // Binds this object to control `id` of `owner`, whose window must exist.
    void Subclass(kp::Wnd& owner, int id);

    void EnableLink();
    void SetAboutMode();

    // true when the command was this control's click notification (handled here).
    bool OnCommand(int id, int code);

    // What the shell is asked to open for a link text: an e-mail address ("@" after the first byte) becomes
    // a "mailto:" target built from the text after its first ":"; any other text is opened as it stands.
    static std::string ShellTarget(const std::string& text);

    const std::string& Target() const { return m_strTarget; }

private:
    kp::Wnd* m_owner = nullptr;
    int m_id = 0;
    bool m_bAboutMode = false;
    bool m_bLinkEnabled = false;
    std::string m_strTarget;  // the text last taken from the control for opening
};

}  // namespace kestor
