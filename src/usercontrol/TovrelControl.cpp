#include "usercontrol/TovrelControl.h"

#include "app/Settings.h"
#include "platform/DataExchange.h"
#include "platform/Os.h"
#include "resource.h"

namespace kestor {

CTovrelControl::CTovrelControl() : KestorPage(IDD_CONTROL, true) {}

bool CTovrelControl::OnInitDialog() {
    KestorPage::OnInitDialog();
    kp::IListView& list = Window()->ListView(IDC_USER_LIST);
    list.InsertColumn(0, "用户名", 80, kp::ColumnAlign::Center);
    list.InsertColumn(1, "连续使用时间", 100, kp::ColumnAlign::Center);
    list.InsertColumn(2, "休息时间", 100, kp::ColumnAlign::Center);
    list.InsertColumn(3, "使用时间段", 150, kp::ColumnAlign::Center);
    m_bListReady = 1;
    kp::TheOs().system->UserName(m_strUserName);
    if (GetProfileInt("Options_f2", 0) == 0) {
        WriteProfileString("Options_f1", kDefaultPassword);
        WriteProfileInt("Options_f2", 1);
    }
    return true;
}

void CTovrelControl::DoDataExchange(kp::DataExchange& dx) { dx.Text(IDC_MACHINE_ADMIN, m_strAdminName); }

kp::IListView* CTovrelControl::UserList() { return Window() ? &Window()->ListView(IDC_USER_LIST) : nullptr; }

}  // namespace kestor
