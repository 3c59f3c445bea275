#include "scheduler/TovrelTimeset.h"

#include "app/Settings.h"
#include "platform/DataExchange.h"
#include "platform/Os.h"
#include "platform/Profile.h"
#include "resource.h"

namespace kestor {

namespace {
// The page's timers: the countdown display, the shutdown-time and reminder checks, and the due timers.
const unsigned kTimers[] = {1000, 1001, 1002, 6000, 6001, 6002, 6003, 6004};
}  // namespace

CTovrelTimeset::CTovrelTimeset() : KestorPage(IDD_TIMESET, true) {}

bool CTovrelTimeset::OnInitDialog() {
    KestorPage::OnInitDialog();
    kp::IListView& list = Window()->ListView(IDC_REMINDER_LIST);
    list.InsertColumn(0, "提示时间", 120, kp::ColumnAlign::Center);
    list.InsertColumn(1, "提示信息", 200, kp::ColumnAlign::Left);
    m_bListReady = 1;
    return true;
}

bool CTovrelTimeset::OnCommand(int id, int code) {
    if (id == IDC_AUTORUN && code == kp::BN_CLICKED) {
        m_bAutoRun = !m_bAutoRun;
        SetModified(true);
        m_bSettingsChanged = 1;
        return true;
    }
    return KestorPage::OnCommand(id, code);
}

bool CTovrelTimeset::OnApply() {
    WriteProfileInt("Options_d1", m_bAutoRun ? 1 : 0);
    WriteRunKey();
    return true;
}

void CTovrelTimeset::DoDataExchange(kp::DataExchange& dx) { dx.Check(IDC_AUTORUN, m_bAutoRun); }

void CTovrelTimeset::WriteRunKey() {
    kp::Os& os = kp::TheOs();
    const std::string path = os.system->CurrentDirectory() + "\\Kestor.exe";
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
    for (unsigned id : kTimers) KillTimer(id);
}

kp::IListView* CTovrelTimeset::ReminderList() {
    return Window() ? &Window()->ListView(IDC_REMINDER_LIST) : nullptr;
}

}  // namespace kestor
