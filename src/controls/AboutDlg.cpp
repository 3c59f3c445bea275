#include "controls/AboutDlg.h"

#include "platform/Os.h"
#include "resource.h"

namespace kestor {

CAboutDlg::CAboutDlg() : ActivityDialog(IDD_ABOUTBOX) { m_email.EnableLink(); }

bool CAboutDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    m_email.Subclass(*this, IDC_ABOUT_EMAIL);
    SetTimer(kSoundTimer, kSoundDelayMs);
    return true;
}

void CAboutDlg::OnTimer(unsigned id) {
    if (id != kSoundTimer) return;
    KillTimer(kSoundTimer);
    PlayStartupSound();
}

bool CAboutDlg::OnCommand(int id, int code) {
    if (m_email.OnCommand(id, code)) return true;
    if (id == IDC_ABOUT_SOUND && code == kp::BN_CLICKED) {
        PlayStartupSound();
        return true;
    }
    return Dialog::OnCommand(id, code);
}

std::string CAboutDlg::StartupSoundPath() {
    return kp::TheOs().system->WindowsDirectory() + "\\Media\\The Microsoft Sound.wav";
}

void CAboutDlg::PlayStartupSound() {
    kp::Os& os = kp::TheOs();
    const std::string path = StartupSoundPath();
    if (os.files->Exists(path)) os.sound->PlaySync(path);
}

}  // namespace kestor
