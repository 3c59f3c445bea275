// The scheduler page ("自动执行"): reminders, the hourly notice, timed shutdowns and start with Windows.
//
// Each of the chime, the timed shutdown and the countdown is off (box clear), on but not armed (box ticked
// or its value changed since the last apply) or armed (its timers running). Apply arms what is on; a click
// that clears a box, or a change of its value, stops its timers at once.
//
// Reminders: the earliest one whose minute has begun is shown in a message box and removed, one at a time;
// one that could not be shown at its minute (another reminder's message still open, the program busy) is
// shown as soon as the open message has gone. The check runs every 10 s, across month and year ends, and
// hands over to a one-shot timer in the last seconds before a reminder's minute.
#pragma once
#include <cstdint>
#include <string>
#include "app/KestorPage.h"
#include "scheduler/NewReminderDlg.h"
#include "scheduler/NoticeDlg.h"

namespace kestor {

class CTovrelTimeset : public KestorPage {
public:
    static constexpr unsigned kCountdownTickTimer = 1000;
    static constexpr unsigned kShutdownCheckTimer = 1001;
    static constexpr unsigned kReminderCheckTimer = 1002;
    static constexpr unsigned kReminderDueTimer = 6000;
    static constexpr unsigned kTimedShutdownTimer = 6001;
    static constexpr unsigned kCountdownShutdownTimer = 6002;
    static constexpr unsigned kChimeTimer = 6003;
    static constexpr unsigned kChimeAimTimer = 6004;

    CTovrelTimeset();
    bool OnInitDialog() override;
    bool OnCommand(int id, int code) override;
    bool OnNotify(int id, int code) override;
    void OnTimer(unsigned id) override;
    bool OnApply() override;
    void DoDataExchange(kp::DataExchange& dx) override;

    // Creates the list's columns and fills it from TimeSet.ini without the reminders already due; false
    // when the file is there but cannot be read (the user has been told).
    bool LoadReminders();
    void AddReminder();
    void DeleteReminder();
    // Shows the earliest reminder if its minute has begun, else plans the next look at it.
    void CheckReminders();
    void CheckShutdownTime();
    // Writes or removes the Run value according to m_bAutoRun, naming Kestor.exe in the start-up
    // directory.
    void WriteRunKey();
    // Stops the armed timers and the reminder timers; the flags stay as they are.
    void StopTimers();
    kp::IListView* ReminderList();

    int m_bChime = 0;
    int m_bTimedShutdown = 0;
    int m_bCountdown = 0;
    int m_bAutoRun = 0;
    int m_bChimeArmed = 0;           // 6003 and 6004 run
    int m_bTimedShutdownArmed = 0;   // 1001 or 6001 runs
    int m_bCountdownArmed = 0;       // 1000 and 6002 run
    int m_bSettingsChanged = 0;      // a box or a value changed since the last successful apply
    int m_bListReady = 0;
    bool m_bKeepListFile = false;  // TimeSet.ini was not read whole: it is not written at exit
    std::string m_strStartDir;       // the working directory when the page was created
    CNewReminderDlg m_newReminderDlg;
    CNoticeDlg m_noticeDlg;

private:
    void ArmChime();
    void Chime();
    void CountdownTick();
    // Looks at the earliest reminder: shows it when due, else arms the one-shot timer when its minute is
    // at most `armWithinMs` away, else keeps the periodic check going.
    void PlanReminders(const kp::SysTime& now, int64_t armWithinMs);
    void ShowReminder(int row);
    void SetReminderCheck(unsigned periodMs);
    // A check box of a feature: its flag, the control it enables and its armed pair.
    void ToggleFeature(int& flag, int control, int& armed, unsigned timerA, unsigned timerB);
    void Disarm(int& armed, unsigned timerA, unsigned timerB);
    // Something to apply: the sheet's Apply is enabled and hiding the window applies it.
    void MarkChanged();

    bool m_showingReminder = false;
    bool m_showingChime = false;
    unsigned m_reminderCheckPeriod = 0;  // 0: the check is not running
    int64_t m_lastChimedHour = 0;        // hours since 1601 (local) of the last notice or of the arming
};

}  // namespace kestor
