// The scheduler page ("自动执行"): reminders, the hourly notice, timed shutdowns and start with Windows.
#pragma once
#include "app/KestorPage.h"

namespace kestor {

class CTovrelTimeset : public KestorPage {
public:
    CTovrelTimeset();
    bool OnInitDialog() override;
    bool OnCommand(int id, int code) override;
    bool OnApply() override;
    void DoDataExchange(kp::DataExchange& dx) override;

    // Writes or removes the Run value according to m_bAutoRun.
    void WriteRunKey();
    // Stops every timer of the page.
    void StopTimers();
    kp::IListView* ReminderList();

    int m_bSettingsChanged = 0;  // a check box changed since start; never cleared
    int m_bListReady = 0;
    int m_bAutoRun = 0;
};

}  // namespace kestor
