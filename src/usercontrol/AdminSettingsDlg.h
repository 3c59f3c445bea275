// The administrator dialog: the administrator's name and password, and the two switches that hide the
// tray icon and the program from every other user. The page keeps one for the whole run, so what was
// entered stays between showings.
#pragma once
#include <string>
#include "controls/LinkStatic.h"
#include "app/KestorPage.h"

namespace kestor {

class CAdminSettingsDlg : public ActivityDialog {
public:
    CAdminSettingsDlg();
    bool OnInitDialog() override;
    void DoDataExchange(kp::DataExchange& dx) override;
    // Refuses an empty administrator name.
    void OnOK() override;

    int m_bNoTrayIcon = 0;           // check box 1076
    std::string m_strAdminName;      // edit 1072, at most 20 characters
    int m_bHideProgram = 0;          // check box 1077
    std::string m_strAdminPassword;  // edit 1073, shown in plain text

private:
    CLinkStatic m_note;
};

}  // namespace kestor
