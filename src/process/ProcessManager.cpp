#include "process/ProcessManager.h"

#include "resource.h"

namespace kestor {

CProcessManager::CProcessManager() : KestorPage(IDD_PROCESS, true) {}

void CProcessManager::StopAutoRefresh() {
    if (m_bAutoRefreshStarted) KillTimer(kRefreshTimer);
}

}  // namespace kestor
