// The main window: a property sheet with the five pages, the tray icon, the tray menu, auto-hide and the
// save-all exit.
#pragma once
#include <array>
#include <string>
#include "platform/Wnd.h"
#include "player/TovrelPlay.h"
#include "process/ProcessManager.h"
#include "scheduler/TovrelTimeset.h"
#include "sysinfo/SystemInfo.h"
#include "usercontrol/PasswordInputDlg.h"
#include "usercontrol/TovrelControl.h"
#include "usercontrol/UnlockDlg.h"

namespace kestor {

class CTovrelDlg : public kp::PropertySheet {
public:
    static constexpr unsigned kAutoHideTimer = 10001;
    static constexpr unsigned kTrayIconId = 101;
    static constexpr int kMaxMinimized = 255;

    CTovrelDlg(const std::string& caption, kp::Wnd* parent, int startPage);

    bool OnInitDialog() override;
    void OnTimer(unsigned id) override;
    bool OnCommand(int id, int code) override;
    bool OnSysCommand(unsigned id) override;
    bool OnMessage(unsigned msg, uintptr_t wp, intptr_t lp, intptr_t& result) override;
    void OnLButtonDown(bool doubleClick) override;
    void OnNcLButtonDown() override;

    void HideToTray();
    void ShowMain();
    // Who asked for the exit. The user is told about a list that could not be saved, and the program then
    // stays as it was; the exit before the end-of-day shutdown says nothing, since a message would hold
    // the shutdown for as long as nobody clicks, and goes on with what could be saved.
    enum class QuitRequest { ByUser, BeforeShutdown };
    // Saves every list to its file, removes the tray icon and quits.
    void SaveAllAndQuit(QuitRequest request);
    // Clears the desktop, holds the user in the unlock dialog, then shows the window and puts the desktop
    // back.
    void LockDesktop();
    // Minimises every other application window and remembers them; when none is left to minimise, restores
    // the remembered ones instead. True when it minimised.
    bool MinimizeOrRestore();
    // Asks the old unlock password, then the new one twice, and stores it.
    void SetUnlockPassword();

    CTovrelPlay m_play;
    CPasswordInputDlg m_passwordDlg;
    bool m_bUnrestricted = true;
    CUnlockDlg m_unlockDlg;
    std::string m_strAppDir;
    CTovrelControl m_control;
    CSystemInfo m_sysInfo;
    CProcessManager m_process;
    CTovrelTimeset m_timeset;
    std::array<kp::WindowRef, kMaxMinimized> m_minimized{};
    int m_nMinimized = 0;       // windows remembered by the last clearing of the desktop
    int m_nMinimizedWork = 0;   // count while collecting

private:
    void AddTrayIcon();
    void InsertTrayIcon();
    // Restores the remembered windows that still exist and are minimised, last to first.
    void RestoreRemembered();
    // Runs the password prompt with `prompt`; false unless it ended with OK.
    bool AskPassword(const char* prompt, std::string& entered);
    void ShowTrayMenu();
    void ShowAbout();
    void TurnOnAutoRun();
    void ApplyStartupRules(const std::string& userName);
    // Writes the three lists, each whole or not at all; returns the names of those that failed, one a
    // line, empty when every one was saved.
    std::string SaveLists();
};

}  // namespace kestor
