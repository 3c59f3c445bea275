// The user time-control page: the per-user limit list and the machine's administrator.
#pragma once
#include <string>
#include "app/KestorPage.h"

namespace kestor {

class CTovrelControl : public KestorPage {
public:
    CTovrelControl();
    bool OnInitDialog() override;
    void DoDataExchange(kp::DataExchange& dx) override;
    kp::IListView* UserList();

    int m_bListReady = 0;
    std::string m_strAdminName;  // shown read-only; filled by the main window at start
    std::string m_strUserName;   // the logged-on user, as the system returns it
};

}  // namespace kestor
