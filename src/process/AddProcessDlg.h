// The add-process dialog ("添加进程到列表..."): which process the timed termination list is to end, and
// after how long. The process is picked from the running processes, chosen with the file dialog, or
// typed as a full path; OK checks the choice and keeps the dialog open, with a message, until it passes.
#pragma once
#include <string>
#include "controls/LinkStatic.h"
#include "platform/Types.h"
#include "platform/Wnd.h"

namespace kestor {

class CAddProcessDlg : public kp::Dialog {
public:
    CAddProcessDlg();
    bool OnInitDialog() override;
    void DoDataExchange(kp::DataExchange& dx) override;
    bool OnCommand(int id, int code) override;
    bool OnNotify(int id, int code) override;
    void OnOK() override;

    // What the page clears after every run.
    void ClearResults();

    // A name ends in ".exe", ".dll" or ".tsk", in any case.
    static bool HasProcessExtension(const std::string& name);
    // The message that refuses a typed path, or null when its form is acceptable.
    static const char* PathProblem(const std::string& path);

    std::string m_strName;      // after IDOK: the process name, a file name without directory
    std::string m_strPath;      // the full path from the file dialog or the edit
    std::string m_strPathEdit;  // the text of the path edit
    kp::SysTime m_time;         // after IDOK: hour, minute and second give the running time
    int m_nRunningFlag = 0;     // 1 when the name was picked among the running processes

private:
    // A click on a running process makes it the choice; false when no row is selected.
    bool PickSelected();
    void Browse();
    // The time check, the last one before the dialog closes; false after its message.
    bool AcceptName();

    CLinkStatic m_note;
};

}  // namespace kestor
