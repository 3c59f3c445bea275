// The process manager page ("进程管理"): the running processes, ending one, starting a program, and the
// timed termination list. Its window is made only when the user first opens its tab.
#pragma once
#include "app/KestorPage.h"
#include "platform/Controls.h"
#include "process/AddProcessDlg.h"

namespace kestor {

class CProcessManager : public KestorPage {
public:
    static constexpr unsigned kRefreshTimer = 5000;      // every second: has the number of processes changed?
    static constexpr unsigned kRefillTimer = 5001;       // once, right after ending a process
    static constexpr unsigned kTerminationTimer = 8000;  // every second: the timed termination list

    CProcessManager();
    bool OnInitDialog() override;
    bool OnCommand(int id, int code) override;
    bool OnNotify(int id, int code) override;
    void OnTimer(unsigned id) override;

    // Stops the automatic refresh of the process list if it was ever started.
    void StopAutoRefresh();
    // Nobody looks at the list while the sheet is hidden in the tray: unless timed terminations wait,
    // the refresh rests meanwhile, and showing the sheet again checks at once. Counting the processes
    // each second is most of what the program would otherwise cost while it idles.
    void RestWhileHidden();
    void WakeOnShow();

    int m_nLastCount = 0;
    bool m_bAutoRefreshStarted = false;
    CAddProcessDlg m_addDlg;

private:
    kp::IListView& Processes();
    kp::IListView& Terminations();
    void FillProcessList();
    void RefreshCheck();
    bool RefreshWanted();
    void EndSelectedProcess();
    void NewTask();
    void AddTermination();
    bool m_bChecking = false;  // the refresh check is running (its message box may be open)
    bool m_bListFocused = false;
    bool m_bSheetHidden = false;
};

}  // namespace kestor
