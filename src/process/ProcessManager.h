// The process manager page.
#pragma once
#include "app/KestorPage.h"

namespace kestor {

class CProcessManager : public KestorPage {
public:
    static constexpr unsigned kRefreshTimer = 5000;
    CProcessManager();
    // Stops the automatic refresh of the process list if it was ever started.
    void StopAutoRefresh();

    bool m_bAutoRefreshStarted = false;
};

}  // namespace kestor
