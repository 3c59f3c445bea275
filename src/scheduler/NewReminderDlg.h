// The new-reminder dialog: a time picker proposing two minutes from now and a message field whose
// default text clears itself on entry and comes back when the field is left empty.
#pragma once
#include <string>
#include "platform/Types.h"
#include "platform/Wnd.h"

namespace kestor {

class CNewReminderDlg : public kp::Dialog {
public:
    static constexpr const char* kTimeFormat = "MM月dd日HH点mm分";
    static constexpr const char* kDefaultMessage = "备忘记事:时间到!";

    CNewReminderDlg();
    bool OnInitDialog() override;
    void DoDataExchange(kp::DataExchange& dx) override;
    bool OnCommand(int id, int code) override;
    void OnLButtonDown(bool doubleClick) override;
    void OnOK() override;

    kp::SysTime m_time;        // after IDOK: the chosen time (month, day, hour and minute are used)
    std::string m_strMessage;  // after IDOK: the message, never empty
};

}  // namespace kestor
