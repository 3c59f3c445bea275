#include "app/KestorPage.h"

#include "app/Messages.h"
#include "platform/Os.h"

namespace kestor {

void NotifyUserActivity() { kp::TheOs().ui->SendToMain(WM_USER_ACTIVITY, 0, 0); }

void KestorPage::OnShowWindow(bool /*show*/) { NotifyUserActivity(); }

void KestorPage::OnLButtonDown(bool doubleClick) {
    if (m_clickIsActivity && !doubleClick) NotifyUserActivity();
}

void ActivityDialog::OnLButtonDown(bool doubleClick) {
    if (!doubleClick) NotifyUserActivity();
}

}  // namespace kestor
