#include "controls/LinkStatic.h"

#include "app/Messages.h"
#include "platform/Gbk.h"
#include "platform/Os.h"

namespace kestor {

namespace {

// Offset of the first single-byte `c` in GBK text, skipping the second byte of every double-byte
// character (which may itself be 0x40, the value of "@"); npos when there is none.
size_t FindSingleByte(const std::string& text, char c) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == c) return i;
        if (kp::IsLeadByte(static_cast<unsigned char>(text[i]))) ++i;
    }
    return std::string::npos;
}

}  // namespace

void CLinkStatic::Subclass(kp::Wnd& owner, int id) {
    m_owner = &owner;
    m_id = id;
    if (owner.Window()) owner.Window()->SetLinkStatic(id, m_bLinkEnabled);
}

void CLinkStatic::EnableLink() {
    m_bLinkEnabled = true;
    if (m_owner && m_owner->Window()) m_owner->Window()->SetLinkStatic(m_id, true);
}

void CLinkStatic::SetAboutMode() { m_bAboutMode = true; }

bool CLinkStatic::OnCommand(int id, int code) {
    if (!m_owner || id != m_id || code != kp::STN_CLICKED) return false;
    if (!m_bLinkEnabled) return true;
    if (m_bAboutMode) {
        kp::TheOs().ui->SendToMain(WM_SHOW_ABOUT, 0, 0);
        return true;
    }
    m_strTarget = m_owner->GetItemText(m_id);
    // A missing mail program or a bad target is not the user's concern here: the result is not reported.
    kp::TheOs().shell->Open(ShellTarget(m_strTarget));
    return true;
}

std::string CLinkStatic::ShellTarget(const std::string& text) {
    const size_t at = FindSingleByte(text, '@');
    if (at == std::string::npos || at == 0) return text;
    const size_t colon = FindSingleByte(text, ':');
    if (colon == std::string::npos) return "mailto:" + text;
    return "mailto" + text.substr(colon);
}

}  // namespace kestor
