#include "usercontrol/TovrelControl.h"

#include "app/Messages.h"
#include "app/ListFile.h"
#include "app/Settings.h"
#include "platform/DataExchange.h"
#include "platform/Gbk.h"
#include "platform/Os.h"
#include "platform/Profile.h"
#include "resource.h"
#include "sysinfo/PowerCommands.h"

namespace kestor {

namespace {
// ControlSet.ini is read up to this size; a list of that size already holds thousands of rows.
constexpr size_t kMaxListFileBytes = 4u << 20;
}  // namespace

CTovrelControl::CTovrelControl() : KestorPage(IDD_CONTROL, true) {}

bool CTovrelControl::OnInitDialog() {
    KestorPage::OnInitDialog();
    m_note.Subclass(*this, IDC_USER_NOTE);
    kp::IListView& list = Window()->ListView(IDC_USER_LIST);
    list.InsertColumn(0, "用户名", 80, kp::ColumnAlign::Center);
    list.InsertColumn(1, "连续使用时间", 100, kp::ColumnAlign::Center);
    list.InsertColumn(2, "休息时间", 100, kp::ColumnAlign::Center);
    list.InsertColumn(3, "使用时间段", 150, kp::ColumnAlign::Center);
    m_bListReady = 1;
    if (!LoadUserLimits()) kp::TheOs().ui->MessageBox("初始化用户设置列表失败", kp::MB_OK);
    kp::TheOs().system->UserName(m_strUserName);
    for (int row = 0; row < list.GetItemCount(); ++row) {
        if (kp::MbsCmp(list.GetItemText(row, 0), m_strUserName) == 0) StartEnforcement(row);
    }
    if (GetProfileInt("Options_f2", 0) == 0) {
        WriteProfileString("Options_f1", kDefaultPassword);
        WriteProfileInt("Options_f2", 1);
    }
    return true;
}

void CTovrelControl::DoDataExchange(kp::DataExchange& dx) { dx.Text(IDC_MACHINE_ADMIN, m_strAdminName); }

kp::IListView* CTovrelControl::UserList() { return Window() ? &Window()->ListView(IDC_USER_LIST) : nullptr; }

bool CTovrelControl::LoadUserLimits() {
    kp::Os& os = kp::TheOs();
    std::string bytes;
    m_bKeepListFile =
        KeepsFileAtExit(ReadListFile(os.system->CurrentDirectory() + "\\ControlSet.ini", kMaxListFileBytes, bytes));
    if (bytes.empty()) return true;
    kp::TextReader in(std::move(bytes));
    ReadUserLimits(*UserList(), in);
    return true;
}

void CTovrelControl::StopTimers() {
    KillTimer(kEndOfDayTimer);
    KillTimer(kMeterTimer);
    KillTimer(kRestTimer);
    KillTimer(kShutdownBackstopTimer);
}

bool CTovrelControl::OnCommand(int id, int code) {
    if (code != kp::BN_CLICKED) return KestorPage::OnCommand(id, code);
    switch (id) {
    case IDC_USER_NEW: AddLimit(); return true;
    case IDC_USER_DELETE: DeleteSelected(); return true;
    case IDC_ADMIN_SETTINGS: AdministratorSettings(); return true;
    default: return KestorPage::OnCommand(id, code);
    }
}

// ---------------------------------------------------------------- the limit list

void CTovrelControl::AddLimit() {
    CNewUserLimitDlg& dlg = m_newLimitDlg;
    if (dlg.DoModal() != kp::IDOK) return;
    kp::IListView& list = *UserList();
    kp::IUi& ui = *kp::TheOs().ui;
    // Every row of that name is replaced; rows loaded from a damaged file may name a user twice.
    for (int row = 0; row < list.GetItemCount();) {
        if (kp::MbsCmp(list.GetItemText(row, 0), dlg.m_strUserName) != 0) {
            ++row;
            continue;
        }
        if (ui.MessageBox("该用户已存在,是否覆盖原有设置.", kp::MB_YESNO) != kp::IDYES) return;
        list.DeleteItem(row);
    }
    const int row = list.InsertItem(list.GetItemCount(), dlg.m_strUserName);
    if (row < 0) return;
    if (dlg.m_bContinuous) {
        list.SetItemText(row, 1, HoursText(dlg.m_nHours));
        list.SetItemText(row, 2, RestText(dlg.m_nRestMinutes));
        list.SetItemData(row, kLimitContinuousOnly);
    }
    if (dlg.m_bWindow) {
        list.SetItemText(row, 3, WindowText(dlg.m_startTime, dlg.m_endTime));
        list.SetItemData(row, kLimitDailyWindow);
    }
}

void CTovrelControl::DeleteSelected() {
    kp::IListView& list = *UserList();
    const int row = list.GetNextSelected(-1);
    if (row >= 0) list.DeleteItem(row);
}

// ---------------------------------------------------------------- enforcement

void CTovrelControl::StartEnforcement(int row) {
    kp::IListView& list = *UserList();
    if (CheckDailyWindow(list, row, kp::TheOs().clock->LocalTime()) == -1) {
        SetTimer(kEndOfDayTimer, 0);
        return;
    }
    SetTimer(kMeterTimer, 1000);
    m_meter.rest = RestSeconds(list, row);
    m_meter.limit = ContinuousLimitMs(list, row);
    m_meter.continuousText = list.GetItemText(row, 1);
}

void CTovrelControl::OnTimer(unsigned id) {
    switch (id) {
    case kMeterTimer:
        m_meter.elapsed += 1000;
        if (m_meter.limit < m_meter.elapsed) {
            KillTimer(kMeterTimer);
            SetTimer(kRestTimer, 1000);
        }
        break;
    case kRestTimer: ShowRestNotice(); break;
    case kEndOfDayTimer: ShowEndOfDayNotice(); break;
    case kShutdownBackstopTimer:
        KillTimer(kShutdownBackstopTimer);
        ShutDownForTheDay();
        break;
    default: break;
    }
}

void CTovrelControl::ShowRestNotice() {
    KillTimer(kRestTimer);
    m_notice.m_nSeconds = m_meter.rest;
    m_notice.m_strMessage = kp::Format("用户:%s.\n    您已经连续使用%s,请休息一会儿.", m_strUserName.c_str(),
                                       m_meter.continuousText.c_str());
    m_notice.m_bSystemMode = 1;
    m_notice.m_bLock = 1;
    m_notice.m_bClipCursor = 1;
    m_notice.m_strCountdown = kp::Format("系统将在%d秒后解除锁定", m_meter.rest);
    if (m_notice.DoModal() != kp::IDOK) return;
    m_meter.elapsed = 0;
    SetTimer(kMeterTimer, 1000);
}

void CTovrelControl::ShowEndOfDayNotice() {
    KillTimer(kEndOfDayTimer);
    m_notice.m_nSeconds = 120;
    m_notice.m_strMessage = kp::Format("用户:%s.\n    您本日使用时间即将结束,请注意保存好您个人的文档资料.",
                                       m_strUserName.c_str());
    m_notice.m_bSystemMode = 1;
    m_notice.m_bLock = 1;
    m_notice.m_bClipCursor = 0;
    m_notice.m_strCountdown = kp::Format("系统将在%d秒后自动关闭", 120);
    SetTimer(kShutdownBackstopTimer, 130000);
    if (m_notice.DoModal() == kp::IDOK) ShutDownForTheDay();
}

void CTovrelControl::ShutDownForTheDay() {
    kp::TheOs().ui->SendToMain(WM_SAVE_AND_QUIT, 0, 0);
    ShutDownNow();
}

// ---------------------------------------------------------------- the administrator

void CTovrelControl::AdministratorSettings() {
    m_passwordDlg.m_strPassword.clear();
    m_passwordDlg.m_strPrompt = "请输入密码:";
    if (m_passwordDlg.DoModal() != kp::IDOK) return;
    std::string& typed = m_passwordDlg.m_strPassword;
    const std::string stored = GetProfileString("Options_f1", "Error");
    if (stored == "Error") return;
    const uint32_t state = GetProfileInt("Options_f2", 1);
    kp::IUi& ui = *kp::TheOs().ui;
    const bool firstSetting = stored == kDefaultPassword && state == 1;
    if ((!firstSetting && state != 2) || typed != stored) {
        typed.clear();
        ui.MessageBox("密码错误", kp::MB_OK);
        return;
    }
    if (firstSetting) {
        if (m_adminDlg.DoModal() == kp::IDOK && !m_adminDlg.m_strAdminName.empty()) {
            SaveAdministrator();
            WriteProfileInt("Options_f2", 2);
        }
        return;
    }
    kp::IRegistry& reg = *kp::TheOs().registry;
    kp::RegKeyHolder key(reg.Open(kp::Hive::LocalMachine, kMachineKeyPath, kp::Access::Read));
    if (key) {
        uint32_t value = 0;
        if (reg.QueryDword(key.Get(), "Options_g2", value)) m_adminDlg.m_bNoTrayIcon = static_cast<int>(value);
        if (reg.QueryDword(key.Get(), "Options_g3", value)) m_adminDlg.m_bHideProgram = static_cast<int>(value);
        std::string name;
        if (reg.QueryString(key.Get(), "Options_g1", name, kRegStringBuffer)) m_adminDlg.m_strAdminName = name;
    }
    m_adminDlg.m_strAdminPassword = GetProfileString("Options_f1", "Error");
    if (m_adminDlg.DoModal() == kp::IDOK) SaveAdministrator();
}

void CTovrelControl::SaveAdministrator() {
    const CAdminSettingsDlg& a = m_adminDlg;
    WriteProfileString("Options_f1", a.m_strAdminPassword);
    WriteProfileString("Options_g1", a.m_strAdminName);
    WriteProfileInt("Options_g2", static_cast<uint32_t>(a.m_bNoTrayIcon));
    WriteProfileInt("Options_g3", static_cast<uint32_t>(a.m_bHideProgram));
    kp::IRegistry& reg = *kp::TheOs().registry;
    kp::RegKeyHolder key(OpenOrCreateMachineKey());
    if (!key) return;
    reg.SetDword(key.Get(), "Options_g3", static_cast<uint32_t>(a.m_bHideProgram));
    reg.SetDword(key.Get(), "Options_g2", static_cast<uint32_t>(a.m_bNoTrayIcon));
    reg.SetString(key.Get(), "Options_g1", a.m_strAdminName);
}

}  // namespace kestor
