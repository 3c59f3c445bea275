// The about box: the program's name and version, an e-mail link, and the Windows start-up sound half a
// second after it opens.
#pragma once
#include <string>
#include "controls/LinkStatic.h"
#include "app/KestorPage.h"

namespace kestor {

class CAboutDlg : public ActivityDialog {
public:
    static constexpr unsigned kSoundTimer = 1000;
    static constexpr unsigned kSoundDelayMs = 500;

    CAboutDlg();
    bool OnInitDialog() override;
    void OnTimer(unsigned id) override;
    bool OnCommand(int id, int code) override;

    // "<Windows directory>\Media\The Microsoft Sound.wav", played synchronously when the file exists.
    static std::string StartupSoundPath();
    static void PlayStartupSound();

private:
    CLinkStatic m_email;
};

}  // namespace kestor
