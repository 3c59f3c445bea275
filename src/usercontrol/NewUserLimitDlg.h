// The new-user-limit dialog: one user's name, a continuous-use limit with its rest, and a daily window of
// permitted use, checked before the page turns them into a row.
#pragma once
#include <string>
#include "controls/LinkStatic.h"
#include "platform/Types.h"
#include "app/KestorPage.h"

namespace kestor {

class CNewUserLimitDlg : public ActivityDialog {
public:
    static constexpr const char* kTimeFormat = "HH:mm";

    CNewUserLimitDlg();
    bool OnInitDialog() override;
    void DoDataExchange(kp::DataExchange& dx) override;
    bool OnCommand(int id, int code) override;
    void OnOK() override;

    // After IDOK: what the page makes the row from. Each showing starts from the same values.
    std::string m_strUserName;   // edit 1054; the logged-on user at first
    int m_bContinuous = 0;       // check box 1057
    int m_nHours = 1;            // edit 1055, 1 to 5
    int m_bWindow = 0;           // check box 1056
    int m_nRestMinutes = 5;      // edit 1069 with its up-down, 5 to 60
    kp::SysTime m_startTime;     // picker 1062; hour and minute are used
    kp::SysTime m_endTime;       // picker 1063

private:
    // Writes the members to the controls; the rest field's change notifications this causes are ours,
    // not the user's, and are not acted on.
    void WriteControls();
    // The rest field moves in steps of five: one above a multiple of five goes up to the next one, one
    // below goes down to the previous one.
    void OnRestChanged();
    void EnableContinuous(bool enable);
    bool m_bWriting = false;
    CLinkStatic m_note;
};

}  // namespace kestor
