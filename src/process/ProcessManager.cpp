#include "process/ProcessManager.h"

#include "platform/Os.h"
#include "process/ProcessList.h"
#include "process/TerminationList.h"
#include "resource.h"

namespace kestor {

CProcessManager::CProcessManager() : KestorPage(IDD_PROCESS, true) {}

kp::IListView& CProcessManager::Processes() { return Window()->ListView(IDC_PROCESS_LIST); }

kp::IListView& CProcessManager::Terminations() { return Window()->ListView(IDC_TERMINATION_LIST); }

bool CProcessManager::OnInitDialog() {
    KestorPage::OnInitDialog();
    InsertProcessColumns(Processes());
    InsertTerminationColumns(Terminations());
    m_nLastCount = 0;
    FillProcessList();
    m_nLastCount = CountProcesses();
    SetTimer(kRefreshTimer, 1000);
    m_bAutoRefreshStarted = true;
    return true;
}

void CProcessManager::FillProcessList() { kestor::FillProcessList(Processes(), kPageFillMessages); }

bool CProcessManager::OnCommand(int id, int code) {
    if (code == kp::BN_CLICKED) {
        switch (id) {
        case IDC_PROCESS_REFRESH: FillProcessList(); return true;
        case IDC_NEW_TASK: NewTask(); return true;
        case IDC_END_PROCESS: EndSelectedProcess(); return true;
        case IDC_TERMINATION_ADD: AddTermination(); return true;
        case IDC_TERMINATION_DELETE: {
            const int row = Terminations().GetNextSelected(-1);
            if (row >= 0) Terminations().DeleteItem(row);
            return true;
        }
        default: break;
        }
    }
    return KestorPage::OnCommand(id, code);
}

bool CProcessManager::OnNotify(int id, int code) {
    // The rows stay put while the user is choosing one.
    if (id == IDC_PROCESS_LIST && code == kp::NM_SETFOCUS) {
        m_bListFocused = true;
        KillTimer(kRefreshTimer);
        return true;
    }
    if (id == IDC_PROCESS_LIST && code == kp::NM_KILLFOCUS) {
        m_bListFocused = false;
        if (RefreshWanted()) SetTimer(kRefreshTimer, 1000);
        return true;
    }
    return KestorPage::OnNotify(id, code);
}

void CProcessManager::OnTimer(unsigned id) {
    switch (id) {
    case kRefreshTimer: RefreshCheck(); break;
    case kRefillTimer:
        KillTimer(kRefillTimer);
        FillProcessList();
        break;
    case kTerminationTimer:
        if (TerminationTick(Terminations(), Processes())) {
            KillTimer(kTerminationTimer);
            if (!RefreshWanted()) StopAutoRefresh();
        }
        break;
    default: break;
    }
}

void CProcessManager::RefreshCheck() {
    // A failure message of the check stays the only one: the ticks while it is open do nothing.
    if (m_bChecking) return;
    m_bChecking = true;
    const int count = CountProcesses();
    if (count != m_nLastCount) {
        m_nLastCount = count;
        FillProcessList();
    }
    m_bChecking = false;
}

void CProcessManager::StopAutoRefresh() {
    if (m_bAutoRefreshStarted) KillTimer(kRefreshTimer);
}

void CProcessManager::RestWhileHidden() {
    m_bSheetHidden = true;
    if (!RefreshWanted()) StopAutoRefresh();
}

// The timed terminations find their processes in the list, so while any wait the list is kept current
// even when nobody looks at it.
bool CProcessManager::RefreshWanted() {
    return !m_bSheetHidden || (m_bAutoRefreshStarted && Terminations().GetItemCount() > 0);
}

void CProcessManager::WakeOnShow() {
    m_bSheetHidden = false;
    if (!m_bAutoRefreshStarted || m_bListFocused) return;
    RefreshCheck();
    SetTimer(kRefreshTimer, 1000);
}

void CProcessManager::EndSelectedProcess() {
    kp::IListView& list = Processes();
    const int row = list.GetNextSelected(-1);
    if (row < 0) return;
    kp::Os& os = kp::TheOs();
    const kp::ProcessHandle process = OpenListedProcess(list.GetItemData(row), list.GetItemText(row, 0));
    if (process) {
        if (os.ui->MessageBox("终止进程可能发生致命错误,是否终止该进程", kp::MB_YESNO) != kp::IDYES) {
            os.processes->Close(process);
            return;
        }
        os.processes->Terminate(process, 0);
        os.processes->Close(process);
    }
    SetTimer(kRefillTimer, 0);
}

void CProcessManager::NewTask() {
    kp::Os& os = kp::TheOs();
    std::string path;
    if (!os.fileDialogs->OpenFile(*this, "所有文件 (*.exe)|*.exe||", "exe", "", path)) return;
    // By its full path: a program of the same name elsewhere on the search path must not start instead.
    const unsigned result = os.processes->Start(path);
    if (result == 0 || result == 2 || result == 3 || result == 11) {
        os.ui->MessageBox("程序" + path + "没找到，请检查程序名或路径是否正确", kp::MB_OK);
        return;
    }
    FillProcessList();
}

void CProcessManager::AddTermination() {
    if (m_addDlg.DoModal() == kp::IDOK) {
        if (FindProcessRow(Processes(), m_addDlg.m_strName) >= 0) m_addDlg.m_nRunningFlag = 1;
        const kp::SysTime& t = m_addDlg.m_time;
        if (!kestor::AddTermination(Terminations(), m_addDlg.m_strName, t.wHour, t.wMinute, t.wSecond,
                                    m_addDlg.m_nRunningFlag != 0)) {
            m_addDlg.m_nRunningFlag = 0;
            return;
        }
    }
    SetTimer(kTerminationTimer, 1000);
    m_addDlg.ClearResults();
}

}  // namespace kestor
