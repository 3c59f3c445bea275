#include "app/TovrelDlg.h"

#include "app/Messages.h"
#include "app/PasswordDigest.h"
#include "app/Settings.h"
#include "controls/AboutDlg.h"
#include "platform/Gbk.h"
#include "platform/Os.h"
#include "platform/Profile.h"
#include "platform/TextFile.h"
#include "player/PlaylistFile.h"
#include "resource.h"
#include "scheduler/ReminderFile.h"
#include "sysinfo/PowerCommands.h"
#include "usercontrol/UserLimitFile.h"

namespace kestor {

CTovrelDlg::CTovrelDlg(const std::string& caption, kp::Wnd* /*parent*/, int startPage)
    : PropertySheet(caption, startPage) {
    SetIconResource(IDI_MAIN);
    AddPage(&m_sysInfo);
    AddPage(&m_timeset);
    AddPage(&m_control);
    AddPage(&m_play);
    AddPage(&m_process);
}

bool CTovrelDlg::OnInitDialog() {
    kp::Os& os = kp::TheOs();
    kp::IWindow& w = *Window();
    const std::string about = os.ui->LoadString(IDS_ABOUTBOX);
    if (!about.empty()) w.AppendSystemMenuItem(IDM_ABOUTBOX, about);
    w.SetIcon(IDI_MAIN);
    w.SetTopmost();
    m_strAppDir = os.system->CurrentDirectory();
    w.SetText(kp::IDCANCEL, "退出");

    // Every page but the process manager creates its window now and starts its own work.
    SetActivePage(&m_timeset);
    SetActivePage(&m_control);
    SetActivePage(&m_play);
    SetActivePage(&m_sysInfo);

    if (GetProfileInt("Options", 4) == 4) {
        WriteProfileInt("Options", 1);
        m_timeset.m_bAutoRun = 1;
        WriteProfileInt("Options_d1", 1);
        m_timeset.WriteRunKey();
    } else {
        WriteProfileInt("Options", 0);
    }
    m_timeset.m_bAutoRun = GetProfileInt("Options_d1", 4) != 0;
    m_timeset.WriteRunKey();
    m_timeset.UpdateData(false);

    m_nMinimized = 0;
    m_nMinimizedWork = 0;

    std::string userName;
    os.system->UserName(userName);
    ApplyStartupRules(userName);

    SetTimer(kAutoHideTimer, m_bUnrestricted ? 1000 : 0);
    return true;
}

// The default unlock password until the user sets one, the administrator's name and the hide option.
void CTovrelDlg::ApplyStartupRules(const std::string& userName) {
    kp::IRegistry& reg = *kp::TheOs().registry;
    uint32_t hideAtStart = 0;
    uint32_t passwordState = 1;
    std::string adminName;
    bool installDefault = false;
    kp::RegKeyHolder key(reg.Open(kp::Hive::LocalMachine, kMachineKeyPath, kp::Access::All));
    if (!key) {
        key.Reset(reg.Create(kp::Hive::LocalMachine, kMachineKeyPath, kp::Access::All));
        installDefault = true;
    } else {
        reg.QueryDword(key.Get(), "Options_g3", hideAtStart);
        reg.QueryDword(key.Get(), "Options_h2", passwordState);
        if (!reg.QueryString(key.Get(), "Options_g1", adminName, kRegStringBuffer)) adminName.clear();
        installDefault = passwordState != 2;
    }
    if (installDefault) {
        WriteProfileString("Options_h1", kDefaultPassword);
        WriteProfileInt("Options_h2", 1);
        if (key) {
            reg.SetString(key.Get(), "Options_h1", PasswordDigest(kDefaultPassword));
            reg.SetDword(key.Get(), "Options_h2", passwordState);
        }
    }

    m_control.m_strAdminName = adminName;
    m_control.UpdateData(false);
    m_bUnrestricted = !(hideAtStart != 0 && kp::MbsCmp(adminName, userName) != 0);
}

void CTovrelDlg::OnTimer(unsigned id) {
    if (id == kAutoHideTimer) {
        KillTimer(kAutoHideTimer);
        HideToTray();
    }
}

void CTovrelDlg::HideToTray() {
    if (m_timeset.m_bSettingsChanged) {
        if (!m_timeset.OnApply()) return;
        m_timeset.SetModified(false);
    }
    m_sysInfo.StopClock();
    m_process.RestWhileHidden();
    Window()->Show(false);
    AddTrayIcon();
}

void CTovrelDlg::AddTrayIcon() {
    const uint32_t noTrayIcon = ReadMachineInt("Options_g2", 0);
    if (noTrayIcon == 1 && !m_bUnrestricted) return;
    InsertTrayIcon();
}

// Adding the icon when it is already there fails silently.
void CTovrelDlg::InsertTrayIcon() {
    kp::TheOs().shell->AddTrayIcon(*this, kTrayIconId, IDI_TRAY, WM_TRAY_NOTIFY, "Kestor");
}

void CTovrelDlg::ShowMain() {
    m_sysInfo.StartClock();
    m_process.WakeOnShow();
    Window()->Show(true);
    Window()->SetFocus(0);
    SetTimer(kAutoHideTimer, 20000);
}

bool CTovrelDlg::OnCommand(int id, int code) {
    (void)code;
    switch (id) {
    case kp::IDOK:
        HideToTray();
        return true;
    case kp::IDCANCEL:
        if (Window()->IsControlEnabled(kp::IDCANCEL) &&
            kp::TheOs().ui->MessageBox("你真的要关闭本程序吗?", kp::MB_YESNO) == kp::IDYES)
            SaveAllAndQuit(QuitRequest::ByUser);
        return true;
    case ID_TRAY_EXIT: SaveAllAndQuit(QuitRequest::ByUser); return true;
    case ID_TRAY_SHOW: ShowMain(); return true;
    case ID_TRAY_ABOUT: ShowAbout(); return true;
    case ID_TRAY_AUTORUN: TurnOnAutoRun(); return true;
    case ID_TRAY_SHUTDOWN: ShutDownNow(); return true;
    case ID_TRAY_RESTART: RestartNow(); return true;
    case ID_TRAY_LOCK: LockDesktop(); return true;
    case ID_TRAY_SET_UNLOCK_PASSWORD: SetUnlockPassword(); return true;
    default: return false;
    }
}

bool CTovrelDlg::OnSysCommand(unsigned id) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        ShowAbout();
        return true;
    }
    if ((id & 0xFFF0) == kp::SC_CLOSE) {
        HideToTray();
        return true;
    }
    return false;
}

bool CTovrelDlg::OnMessage(unsigned msg, uintptr_t /*wp*/, intptr_t lp, intptr_t& result) {
    switch (msg) {
    case WM_TRAY_NOTIFY:
        if (Window()->IsControlEnabled(kp::IDCANCEL)) {
            const unsigned mouse = static_cast<unsigned>(lp) & 0xFFFF;
            if (mouse == kp::WM_LBUTTONDBLCLK)
                ShowMain();
            else if (mouse == kp::WM_RBUTTONDOWN)
                ShowTrayMenu();
        }
        result = 1;
        return true;
    case WM_USER_ACTIVITY:
        if (m_bUnrestricted) {
            KillTimer(kAutoHideTimer);
            SetTimer(kAutoHideTimer, 30000);
        }
        result = 1;
        return true;
    case WM_SAVE_AND_QUIT:
        SaveAllAndQuit(QuitRequest::BeforeShutdown);
        result = 1;
        return true;
    case WM_SHOW_ABOUT:
        ShowAbout();
        result = 1;
        return true;
    default:
        return false;
    }
}

void CTovrelDlg::OnLButtonDown(bool doubleClick) {
    if (!doubleClick) NotifyUserActivity();
}

void CTovrelDlg::OnNcLButtonDown() { NotifyUserActivity(); }

void CTovrelDlg::ShowTrayMenu() {
    kp::IUi& ui = *kp::TheOs().ui;
    const kp::Point at = ui.GetCursorPos();
    Window()->SetForeground();
    ui.TrackPopupMenu(IDR_TRAY_MENU, 0, at, *this);
}

void CTovrelDlg::ShowAbout() {
    CAboutDlg about;
    about.DoModal();
}

void CTovrelDlg::TurnOnAutoRun() {
    m_timeset.m_bAutoRun = 1;
    WriteProfileInt("Options_d1", 1);
    m_timeset.WriteRunKey();
    m_timeset.UpdateData(false);
    kp::TheOs().ui->MessageBox("已设置本程序在系统启动时自动运行", kp::MB_OK);
}

void CTovrelDlg::LockDesktop() {
    const bool cleared = MinimizeOrRestore();
    Window()->SetTopmost();
    if (m_unlockDlg.DoModal() != kp::IDOK) return;
    ShowMain();
    // Windows this lock minimised come back even when others are there to minimise now (beyond the first
    // 255, or opened during the lock): toggling would minimise those instead and forget the first ones.
    if (cleared) {
        RestoreRemembered();
        Window()->SetForeground();
    } else {
        MinimizeOrRestore();
    }
    if (ReadMachineInt("Options_g3", 0) != 1) InsertTrayIcon();
}

bool CTovrelDlg::MinimizeOrRestore() {
    kp::IDesktop& desktop = *kp::TheOs().desktop;
    const kp::WindowRef self = Window()->Ref();
    const kp::WindowRef desktopWindow = desktop.DesktopWindow();
    // Collecting straight into the remembered list is safe: it is only written when something is found,
    // and then it is replaced anyway.
    m_nMinimizedWork = 0;
    for (kp::WindowRef w : desktop.TopLevelWindows()) {
        if (m_nMinimizedWork == kMaxMinimized) break;
        if (w == self || w == desktopWindow || !desktop.IsVisible(w) || desktop.IsIconic(w) ||
            desktop.HasParent(w))
            continue;
        const std::string title = desktop.Title(w);
        if (title.empty() || title == "Program Manager") continue;
        m_minimized[m_nMinimizedWork++] = w;
    }
    const bool minimize = m_nMinimizedWork > 0;
    if (minimize) {
        for (int i = 0; i < m_nMinimizedWork; ++i) desktop.ShowMinimizedNoActivate(m_minimized[i]);
        m_nMinimized = m_nMinimizedWork;
    } else {
        RestoreRemembered();
    }
    Window()->SetForeground();
    return minimize;
}

void CTovrelDlg::RestoreRemembered() {
    kp::IDesktop& desktop = *kp::TheOs().desktop;
    for (int i = m_nMinimized - 1; i >= 0; --i) {
        const kp::WindowRef w = m_minimized[i];
        if (desktop.IsWindow(w) && desktop.IsIconic(w)) desktop.Restore(w);
    }
}

bool CTovrelDlg::AskPassword(const char* prompt, std::string& entered) {
    m_passwordDlg.m_strPrompt = prompt;
    m_passwordDlg.m_strPassword.clear();
    if (m_passwordDlg.DoModal() != kp::IDOK) return false;
    entered = m_passwordDlg.m_strPassword;
    return true;
}

namespace {
// Why a new unlock password would lock the user out for good, or null when it will do. The unlock dialog
// ignores an empty digest, and the stored digest is read back into a buffer of kRegStringBuffer bytes.
const char* UnusableUnlockPassword(const std::string& password) {
    const std::string digest = PasswordDigest(password);
    if (digest.empty()) return "密码中至少要有一个英文字母、数字或符号，请重新输入";
    if (digest.size() + 1 > kRegStringBuffer) return "密码太长，请重新输入";
    return nullptr;
}
}  // namespace

void CTovrelDlg::SetUnlockPassword() {
    kp::IUi& ui = *kp::TheOs().ui;
    std::string entered;
    if (!AskPassword("输入旧密码", entered)) return;
    std::string stored;
    // No digest equals the product name, so a store that cannot be read refuses every old password.
    if (!ReadMachineString("Options_h1", stored)) stored = "Kestor";
    if (PasswordDigest(entered) != stored) {
        ui.MessageBox("密码不正确", kp::MB_OK);
        return;
    }

    std::string first;
    if (!AskPassword("输入新密码", first)) return;
    for (;;) {
        const char* problem = UnusableUnlockPassword(first);
        if (!problem) {
            std::string second;
            if (!AskPassword("再输入一次", second)) return;
            if (second == first) break;
            problem = "密码输入有误，请重新输入";
        }
        ui.MessageBox(problem, kp::MB_OK);
        if (!AskPassword("输入新密码", first)) return;
    }

    WriteProfileString("Options_h1", first);
    WriteMachineValues(PasswordDigest(first), 2);
}

void CTovrelDlg::SaveAllAndQuit(QuitRequest request) {
    kp::Os& os = kp::TheOs();
    if (m_timeset.m_bSettingsChanged) m_timeset.OnApply();
    // The lists are written while every timer still runs, so an exit that cannot save leaves the program
    // exactly as it was, with nothing to start again.
    const std::string unsaved = SaveLists();
    if (!unsaved.empty() && request == QuitRequest::ByUser) {
        os.ui->MessageBox("下列内容未能保存到文件夹 " + m_strAppDir + ":\n\n" + unsaved +
                              "\n本程序没有退出，这些内容仍保留在程序中。请确认该文件夹可以写入、磁盘还有空间，"
                              "然后再退出本程序。",
                          kp::MB_OK | kp::MB_ICONEXCLAMATION);
        return;
    }
    m_sysInfo.StopClock();
    m_timeset.StopTimers();
    m_control.StopTimers();
    m_process.StopAutoRefresh();
    m_play.StopPlayback();
    os.shell->DeleteTrayIcon(*this, kTrayIconId);
    os.ui->PostQuit(18);
}

// A list that cannot be saved does not keep the next one from being saved.
std::string CTovrelDlg::SaveLists() {
    kp::Os& os = kp::TheOs();
    std::string unsaved;

    // A list whose file was not read whole leaves that file as it is (the user was told at start).
    const int reminderCount = m_timeset.m_bListReady ? m_timeset.ReminderList()->GetItemCount() : 0;
    kp::TextWriter reminders;
    if (reminderCount > 0) WriteReminders(*m_timeset.ReminderList(), reminderCount, reminders);
    if (!m_timeset.m_bKeepListFile && !os.files->WriteReplace(m_strAppDir + "\\TimeSet.ini", reminders.Bytes()))
        unsaved += "提醒列表\n";

    const int userCount = m_control.m_bListReady ? m_control.UserList()->GetItemCount() : 0;
    kp::TextWriter users;
    if (userCount > 0) WriteUserLimits(*m_control.UserList(), userCount, users);
    if (m_control.m_bKeepListFile || os.files->WriteReplace(m_strAppDir + "\\ControlSet.ini", users.Bytes()))
        WriteProfileInt("Options_e1", os.clock->TickCount());
    else
        unsaved += "用户时间控制列表\n";

    const kp::IListBox* playlist = m_play.Playlist();
    if (!m_play.m_bKeepListFile &&
        !os.files->WriteReplace(m_strAppDir + "\\Playlist.m3u", playlist ? WritePlaylist(*playlist) : std::string()))
        unsaved += "播放列表\n";
    return unsaved;
}

}  // namespace kestor
