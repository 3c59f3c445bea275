#include "scheduler/TovrelTimeset.h"

#include <limits>

#include "app/ListFile.h"
#include "app/Settings.h"
#include "platform/DataExchange.h"
#include "platform/Gbk.h"
#include "platform/Os.h"
#include "platform/Profile.h"
#include "platform/SysTimeMath.h"
#include "resource.h"
#include "scheduler/ReminderFile.h"
#include "sysinfo/PowerCommands.h"

namespace kestor {

namespace {

constexpr int64_t kHourMs = 3600000;
constexpr unsigned kCheckPeriodMs = 10000;
constexpr unsigned kCheckAfterShowingMs = 1000;
constexpr int kChimeSeconds = 15;
constexpr int kChimeIntervals = 6;
constexpr size_t kMaxReminderFileBytes = 4u << 20;
const char* const kPickerFormat = "HH:mm:ss";

// Milliseconds since midnight of a time of day; hour 0 counts as 24 where asked.
int64_t DayMs(const kp::SysTime& t, bool hourZeroIs24) {
    const int64_t hour = (hourZeroIs24 && t.wHour == 0) ? 24 : t.wHour;
    return ((hour * 60 + t.wMinute) * 60 + t.wSecond) * 1000 + t.wMilliseconds;
}

// Milliseconds until the packed minute of this year begins; the largest value for a date this year does
// not have (29 February, or a damaged record).
int64_t MsUntil(uint32_t packed, const kp::SysTime& now) {
    kp::SysTime at;
    at.wYear = now.wYear;
    at.wMonth = static_cast<uint16_t>(packed >> 24);
    at.wDay = static_cast<uint16_t>((packed >> 16) & 0xFF);
    at.wHour = static_cast<uint16_t>((packed >> 8) & 0xFF);
    at.wMinute = static_cast<uint16_t>(packed & 0xFF);
    if (!kp::IsValidSysTime(at) || !kp::IsValidSysTime(now)) return std::numeric_limits<int64_t>::max();
    return kp::SysTimeToMs(at) - kp::SysTimeToMs(now);
}

int64_t HourNumber(const kp::SysTime& t) { return kp::SysTimeToMs(t) / kHourMs; }

// The row of the earliest reminder by its packed time (the first of equal ones); -1 for an empty list.
int EarliestRow(const kp::IListView& list) {
    int best = -1;
    for (int row = 0; row < list.GetItemCount(); ++row)
        if (best < 0 || list.GetItemData(row) < list.GetItemData(best)) best = row;
    return best;
}

}  // namespace

CTovrelTimeset::CTovrelTimeset() : KestorPage(IDD_TIMESET, true) {}

bool CTovrelTimeset::OnInitDialog() {
    KestorPage::OnInitDialog();
    kp::IWindow& w = *Window();
    m_strStartDir = kp::TheOs().system->CurrentDirectory();
    m_bChime = GetProfileInt("Options_a1", 4) != 0;

    kp::SysTime midnight = kp::TheOs().clock->LocalTime();
    midnight.wHour = midnight.wMinute = midnight.wSecond = midnight.wMilliseconds = 0;
    for (int id : {IDC_TIMED_SHUTDOWN_TIME, IDC_COUNTDOWN_TIME}) {
        w.DateTime(id).SetFormat(kPickerFormat);
        w.DateTime(id).SetTime(midnight);
    }

    kp::ICombo& intervals = w.Combo(IDC_CHIME_INTERVAL);
    intervals.ResetContent();
    for (int hours = 1; hours <= kChimeIntervals; ++hours) intervals.AddString(kp::Format("每%d小时", hours));
    if (m_bChime)
        ArmChime();
    else
        w.EnableControl(IDC_CHIME_INTERVAL, false);
    const uint32_t interval = GetProfileInt("Options_a2", 0);
    intervals.SetCurSel(interval < static_cast<uint32_t>(kChimeIntervals) ? static_cast<int>(interval) : 0);

    w.EnableControl(IDC_COUNTDOWN_TIME, false);
    w.EnableControl(IDC_TIMED_SHUTDOWN_TIME, false);

    m_bListReady = 1;
    if (!LoadReminders()) kp::TheOs().ui->MessageBox("定时提醒信息列表初始化失败", kp::MB_OK);
    UpdateData(false);
    return true;
}

void CTovrelTimeset::DoDataExchange(kp::DataExchange& dx) {
    dx.Check(IDC_CHIME, m_bChime);
    dx.Check(IDC_TIMED_SHUTDOWN, m_bTimedShutdown);
    dx.Check(IDC_COUNTDOWN, m_bCountdown);
    dx.Check(IDC_AUTORUN, m_bAutoRun);
}

bool CTovrelTimeset::OnCommand(int id, int code) {
    if (code == kp::BN_CLICKED) {
        switch (id) {
        case IDC_REMINDER_NEW: AddReminder(); return true;
        case IDC_REMINDER_DELETE: DeleteReminder(); return true;
        case IDC_CHIME:
            ToggleFeature(m_bChime, IDC_CHIME_INTERVAL, m_bChimeArmed, kChimeTimer, kChimeAimTimer);
            return true;
        case IDC_TIMED_SHUTDOWN:
            ToggleFeature(m_bTimedShutdown, IDC_TIMED_SHUTDOWN_TIME, m_bTimedShutdownArmed, kShutdownCheckTimer,
                          kTimedShutdownTimer);
            return true;
        case IDC_COUNTDOWN:
            ToggleFeature(m_bCountdown, IDC_COUNTDOWN_TIME, m_bCountdownArmed, kCountdownShutdownTimer,
                          kCountdownTickTimer);
            return true;
        case IDC_AUTORUN:
            m_bAutoRun = !m_bAutoRun;
            MarkChanged();
            return true;
        default: break;
        }
    }
    if (id == IDC_CHIME_INTERVAL && code == kp::CBN_SELCHANGE) {
        MarkChanged();
        Disarm(m_bChimeArmed, kChimeTimer, kChimeAimTimer);
        return true;
    }
    return KestorPage::OnCommand(id, code);
}

bool CTovrelTimeset::OnNotify(int id, int code) {
    if (code != kp::DTN_DATETIMECHANGE) return false;
    if (id == IDC_TIMED_SHUTDOWN_TIME) {
        MarkChanged();
        Disarm(m_bTimedShutdownArmed, kShutdownCheckTimer, kTimedShutdownTimer);
        return true;
    }
    if (id == IDC_COUNTDOWN_TIME) {
        MarkChanged();
        Disarm(m_bCountdownArmed, kCountdownShutdownTimer, kCountdownTickTimer);
        return true;
    }
    return false;
}

void CTovrelTimeset::ToggleFeature(int& flag, int control, int& armed, unsigned timerA, unsigned timerB) {
    if (flag) {
        flag = 0;
        Window()->EnableControl(control, false);
        Disarm(armed, timerA, timerB);
    } else {
        flag = 1;
        Window()->EnableControl(control, true);
    }
    MarkChanged();
}

void CTovrelTimeset::MarkChanged() {
    SetModified(true);
    m_bSettingsChanged = 1;
}

void CTovrelTimeset::Disarm(int& armed, unsigned timerA, unsigned timerB) {
    if (armed) {
        KillTimer(timerA);
        KillTimer(timerB);
    }
    armed = 0;
}

bool CTovrelTimeset::OnApply() {
    kp::Os& os = kp::TheOs();
    kp::IWindow& w = *Window();

    WriteProfileInt("Options_c1", m_bCountdown ? 1 : 0);
    if (m_bCountdown && !m_bCountdownArmed) {
        const int64_t duration = DayMs(w.DateTime(IDC_COUNTDOWN_TIME).GetTime(), false) / 1000 * 1000;
        if (duration == 0) {
            os.ui->MessageBox("倒计时关机时间不能为零", kp::MB_OK);
            return false;
        }
        SetTimer(kCountdownShutdownTimer, static_cast<unsigned>(duration));
        SetTimer(kCountdownTickTimer, 1000);
        m_bCountdownArmed = 1;
    }

    WriteProfileInt("Options_b1", m_bTimedShutdown ? 1 : 0);
    if (m_bTimedShutdown && !m_bTimedShutdownArmed) {
        kp::SysTime target = w.DateTime(IDC_TIMED_SHUTDOWN_TIME).GetTime();
        target.wMilliseconds = 0;
        const int64_t left = DayMs(target, true) - DayMs(os.clock->LocalTime(), true);
        if (left > 0 && left <= 10000)
            SetTimer(kTimedShutdownTimer, static_cast<unsigned>(left));
        else
            SetTimer(kShutdownCheckTimer, kCheckPeriodMs);
        m_bTimedShutdownArmed = 1;
    }

    if (m_bChime) {
        WriteProfileInt("Options_a1", 1);
        WriteProfileInt("Options_a2", static_cast<uint32_t>(w.Combo(IDC_CHIME_INTERVAL).GetCurSel()));
        if (!m_bChimeArmed) ArmChime();
    } else {
        WriteProfileInt("Options_a1", 0);
        WriteProfileInt("Options_a2", 0);
    }

    WriteProfileInt("Options_d1", m_bAutoRun ? 1 : 0);
    WriteRunKey();
    // Applied: hiding the window has nothing left to apply until the next change.
    m_bSettingsChanged = 0;
    return true;
}

void CTovrelTimeset::OnTimer(unsigned id) {
    const kp::SysTime now = kp::TheOs().clock->LocalTime();
    switch (id) {
    case kCountdownShutdownTimer:
        KillTimer(id);
        ShutDownNow();
        m_bCountdownArmed = 0;
        break;
    case kTimedShutdownTimer:
        KillTimer(id);
        ShutDownNow();
        m_bTimedShutdownArmed = 0;
        break;
    case kChimeTimer:
        KillTimer(id);
        Chime();
        break;
    case kChimeAimTimer: {
        // The clock set back behind the last notice (the end of daylight saving, the user): the hour it
        // shows now counts as announced, and each full hour from here on is announced as it comes.
        if (HourNumber(now) < m_lastChimedHour) m_lastChimedHour = HourNumber(now);
        // A full hour whose notice has not come yet (its timer fell due together with this one, or the
        // program was held up) is announced now; otherwise the notice is aimed at the next full hour.
        const int64_t intoHour = kp::SysTimeToMs(now) % kHourMs;
        const bool missed = now.wMinute == 0 && HourNumber(now) > m_lastChimedHour;
        SetTimer(kChimeTimer, missed ? 10 : static_cast<unsigned>(kHourMs - intoHour));
        break;
    }
    case kShutdownCheckTimer: CheckShutdownTime(); break;
    case kReminderCheckTimer: CheckReminders(); break;
    case kCountdownTickTimer: CountdownTick(); break;
    case kReminderDueTimer:
        KillTimer(id);
        // The reminder it was aimed at may have been deleted since: only a due one is shown.
        m_reminderCheckPeriod = 0;
        PlanReminders(now, kCheckPeriodMs);
        break;
    default: break;
    }
}

void CTovrelTimeset::ArmChime() {
    m_bChimeArmed = 1;
    SetTimer(kChimeAimTimer, 60000);
    const kp::SysTime now = kp::TheOs().clock->LocalTime();
    m_lastChimedHour = HourNumber(now);
    SetTimer(kChimeTimer, static_cast<unsigned>(kHourMs - kp::SysTimeToMs(now) % kHourMs));
}

void CTovrelTimeset::Chime() {
    if (m_showingChime) return;
    // The hour nearest to now: a timer that comes a moment early still names the hour it was aimed at.
    const kp::SysTime now = kp::TheOs().clock->LocalTime();
    const kp::SysTime nearest = kp::AddMs(now, kHourMs / 2);
    m_lastChimedHour = HourNumber(nearest);
    m_noticeDlg.m_strMessage = kp::Format("现在时刻%d点正", nearest.wHour);
    m_noticeDlg.m_nSeconds = kChimeSeconds;
    m_noticeDlg.m_bSystemMode = 0;
    m_showingChime = true;
    m_noticeDlg.DoModal();
    m_showingChime = false;
}

void CTovrelTimeset::CountdownTick() {
    kp::IDateTime& picker = Window()->DateTime(IDC_COUNTDOWN_TIME);
    kp::SysTime t = picker.GetTime();
    const int left = t.wHour * 3600 + t.wMinute * 60 + t.wSecond - 1;
    if (left <= 0) {
        KillTimer(kCountdownTickTimer);
        return;
    }
    t.wHour = static_cast<uint16_t>(left / 3600);
    t.wMinute = static_cast<uint16_t>(left % 3600 / 60);
    t.wSecond = static_cast<uint16_t>(left % 60);
    picker.SetTime(t);
}

void CTovrelTimeset::CheckShutdownTime() {
    kp::SysTime target = Window()->DateTime(IDC_TIMED_SHUTDOWN_TIME).GetTime();
    if (target.wHour == 0 && target.wMinute == 0 && target.wSecond == 0) return;
    target.wMilliseconds = 0;
    const int64_t left = DayMs(target, true) - DayMs(kp::TheOs().clock->LocalTime(), true);
    if (left <= 0 || left >= 60000) return;
    KillTimer(kShutdownCheckTimer);
    SetTimer(kTimedShutdownTimer, static_cast<unsigned>(left));
}

bool CTovrelTimeset::LoadReminders() {
    kp::Os& os = kp::TheOs();
    kp::IListView& list = *ReminderList();
    list.InsertColumn(0, "提示时间", 120, kp::ColumnAlign::Center);
    list.InsertColumn(1, "提示信息", 200, kp::ColumnAlign::Left);
    std::string bytes;
    const std::string path = os.system->CurrentDirectory() + "\\TimeSet.ini";
    const ListFileRead read = ReadListFile(path, kMaxReminderFileBytes, bytes);
    m_bKeepListFile = KeepsFileAtExit(read);
    if (read == ListFileRead::Missing) return true;
    if (read == ListFileRead::Unreadable) {
        os.ui->MessageBox("提示信息列表读取失败", kp::MB_OK);
        return false;
    }
    const kp::SysTime now = os.clock->LocalTime();
    kp::TextReader in(std::move(bytes));
    ReadReminders(in, PackTime(now), list);
    if (list.GetItemCount() > 0) PlanReminders(now, kCheckPeriodMs);
    return true;
}

void CTovrelTimeset::AddReminder() {
    kp::Os& os = kp::TheOs();
    if (m_newReminderDlg.DoModal() != kp::IDOK || !Window()) return;
    const uint32_t packed = PackTime(m_newReminderDlg.m_time);
    const kp::SysTime now = os.clock->LocalTime();
    if (packed <= PackTime(now)) {
        os.ui->MessageBox("您设置的提醒时间已经过去或与当前本地时间相等，请重新设置提醒时间", kp::MB_OK);
        return;
    }
    const std::string text = ReminderTimeText(packed);
    kp::IListView& list = *ReminderList();
    for (int row = 0; row < list.GetItemCount(); ++row) {
        if (list.GetItemText(row, 0) == text) {
            os.ui->MessageBox("您设置的时间已经设置了提示信息", kp::MB_OK);
            return;
        }
    }
    const int row = list.InsertItem(list.GetItemCount(), text);
    if (row < 0) return;
    list.SetItemData(row, packed);
    list.SetItemText(row, 1, m_newReminderDlg.m_strMessage);
    PlanReminders(now, 60000);
}

void CTovrelTimeset::DeleteReminder() {
    kp::IListView& list = *ReminderList();
    const int row = list.GetNextSelected(-1);
    if (row >= 0) list.DeleteItem(row);
}

void CTovrelTimeset::CheckReminders() { PlanReminders(kp::TheOs().clock->LocalTime(), kCheckPeriodMs); }

void CTovrelTimeset::PlanReminders(const kp::SysTime& now, int64_t armWithinMs) {
    if (m_showingReminder || !Window()) return;
    kp::IListView& list = *ReminderList();
    const int row = EarliestRow(list);
    if (row < 0) {
        SetReminderCheck(0);
        return;
    }
    const uint32_t packed = list.GetItemData(row);
    if (packed <= PackTime(now)) {
        ShowReminder(row);
        return;
    }
    const int64_t left = MsUntil(packed, now);
    if (left <= armWithinMs) {
        SetReminderCheck(0);
        SetTimer(kReminderDueTimer, static_cast<unsigned>(left));
    } else if (m_reminderCheckPeriod != kCheckPeriodMs) {
        SetReminderCheck(kCheckPeriodMs);
    }
}

void CTovrelTimeset::ShowReminder(int row) {
    kp::IListView& list = *ReminderList();
    const uint32_t packed = list.GetItemData(row);
    const std::string text = list.GetItemText(row, 0);
    const std::string message = list.GetItemText(row, 1);
    SetReminderCheck(0);
    KillTimer(kReminderDueTimer);
    m_showingReminder = true;
    kp::TheOs().ui->MessageBox(message, kp::MB_OK);
    m_showingReminder = false;
    if (!Window()) return;
    // Nothing can change the list while the message is open, but the row is looked up again all the same.
    kp::IListView& after = *ReminderList();
    for (int i = 0; i < after.GetItemCount(); ++i) {
        if (after.GetItemData(i) == packed && after.GetItemText(i, 0) == text && after.GetItemText(i, 1) == message) {
            after.DeleteItem(i);
            break;
        }
    }
    // Reminders that fell due while the message was open follow one by one.
    if (after.GetItemCount() > 0) SetReminderCheck(kCheckAfterShowingMs);
}

void CTovrelTimeset::SetReminderCheck(unsigned periodMs) {
    if (periodMs == 0)
        KillTimer(kReminderCheckTimer);
    else
        SetTimer(kReminderCheckTimer, periodMs);
    m_reminderCheckPeriod = periodMs;
}

void CTovrelTimeset::WriteRunKey() {
    kp::Os& os = kp::TheOs();
    const std::string dir = m_strStartDir.empty() ? os.system->CurrentDirectory() : m_strStartDir;
    const std::string path = dir + "\\Kestor.exe";
    kp::RegKeyHolder key(os.registry->Open(kp::Hive::LocalMachine, kRunKeyPath, kp::Access::Write));
    if (m_bAutoRun) {
        if (!key) {
            os.ui->MessageBox("设置自动运行程序失败,如果您需要本程序在系统启动时自动运行，请在程序中设置.", kp::MB_OK);
            return;
        }
        os.registry->SetString(key.Get(), "Kestor", path);
    } else if (key) {
        os.registry->DeleteValue(key.Get(), "Kestor");
    }
}

void CTovrelTimeset::StopTimers() {
    if (m_bCountdownArmed) {
        KillTimer(kCountdownTickTimer);
        KillTimer(kCountdownShutdownTimer);
    }
    if (m_bTimedShutdownArmed) {
        KillTimer(kShutdownCheckTimer);
        KillTimer(kTimedShutdownTimer);
    }
    if (m_bChimeArmed) {
        KillTimer(kChimeTimer);
        KillTimer(kChimeAimTimer);
    }
    // Nothing fires while the program saves its lists and quits.
    SetReminderCheck(0);
    KillTimer(kReminderDueTimer);
}

kp::IListView* CTovrelTimeset::ReminderList() {
    return Window() ? &Window()->ListView(IDC_REMINDER_LIST) : nullptr;
}

}  // namespace kestor
