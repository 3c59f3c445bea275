// The user time-control page: the per-user limit list, the enforcement of the logged-on user's limits and
// the machine's administrator.
#pragma once
#include <cstdint>
#include <string>
#include "app/KestorPage.h"
#include "controls/LinkStatic.h"
#include "scheduler/NoticeDlg.h"
#include "usercontrol/AdminSettingsDlg.h"
#include "usercontrol/NewUserLimitDlg.h"
#include "usercontrol/PasswordInputDlg.h"
#include "usercontrol/UserLimitFile.h"

namespace kestor {

// The continuous-use meter of the logged-on user.
struct UsageMeter {
    uint32_t elapsed = 0;              // ms of use since start or since the last rest
    uint32_t limit = kNoLimitMs;       // ms; elapsed never exceeds kNoLimitMs
    std::string continuousText;        // the row's continuous-limit text, quoted in the rest notice
    int32_t rest = kNoRest;            // seconds
};

class CTovrelControl : public KestorPage {
public:
    static constexpr unsigned kEndOfDayTimer = 7000;
    static constexpr unsigned kMeterTimer = 7001;
    static constexpr unsigned kRestTimer = 7002;
    static constexpr unsigned kShutdownBackstopTimer = 7003;

    CTovrelControl();
    bool OnInitDialog() override;
    bool OnCommand(int id, int code) override;
    void OnTimer(unsigned id) override;
    void DoDataExchange(kp::DataExchange& dx) override;
    kp::IListView* UserList();

    // Reads ControlSet.ini of the current directory into the list; a missing or unreadable file leaves it
    // empty. Always true.
    bool LoadUserLimits();
    // Stops every timer of the page (the save-all exit).
    void StopTimers();

    int m_bListReady = 0;
    bool m_bKeepListFile = false;  // ControlSet.ini was not read whole: it is not written at exit
    std::string m_strAdminName;  // shown read-only; filled by the main window at start
    std::string m_strUserName;   // the logged-on user, as the system returns it
    UsageMeter m_meter;
    CNoticeDlg m_notice;
    CNewUserLimitDlg m_newLimitDlg;
    CAdminSettingsDlg m_adminDlg;
    CPasswordInputDlg m_passwordDlg;

private:
    void StartEnforcement(int row);
    void ShowRestNotice();
    void ShowEndOfDayNotice();
    void ShutDownForTheDay();
    void AddLimit();
    void DeleteSelected();
    void AdministratorSettings();
    void SaveAdministrator();
    CLinkStatic m_note;
};

}  // namespace kestor
