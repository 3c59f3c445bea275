#include "scheduler/NoticeDlg.h"

#include "platform/Gbk.h"
#include "resource.h"

namespace kestor {

CNoticeDlg::CNoticeDlg() : ActivityDialog(IDD_NOTICE) {}

std::string CNoticeDlg::CountdownLine(int seconds) const {
    if (!m_bSystemMode) return kp::Format("对话框将在%d秒后自动关闭.", seconds);
    if (m_bLock && m_bClipCursor) return kp::Format("系统将在%d秒后解除锁定.", seconds);
    return kp::Format("系统将在%d秒后自动关闭.", seconds);
}

bool CNoticeDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    kp::IWindow& w = *Window();
    w.BringToTop();
    w.CenterWindow();
    w.SetForeground();
    w.SetFocus(0);
    m_bTimeUp = 0;
    if (!m_bSystemMode) m_strCountdown = CountdownLine(m_nSeconds);
    if (m_bSystemMode && m_bLock) {
        // Topmost placement is part of the lock.
        m_lock.LockInput(w, m_bClipCursor != 0);
        w.ShowControl(kp::IDOK, false);
    }
    SetTimer(kCountdownTimer, 1000);
    SetItemText(IDC_NOTICE_MESSAGE, m_strMessage);
    SetItemText(IDC_NOTICE_COUNTDOWN, m_strCountdown);
    return true;
}

void CNoticeDlg::OnTimer(unsigned id) {
    if (id != kCountdownTimer) return;
    // The line shows the count before it is decremented, so N appears at the opening and again after the
    // first second, and the popup closes right after showing 0.
    SetItemText(IDC_NOTICE_COUNTDOWN, CountdownLine(m_nSeconds));
    if (--m_nSeconds < 0) {
        KillTimer(kCountdownTimer);
        m_bTimeUp = 1;
        OnOK();
    }
}

void CNoticeDlg::OnOK() {
    if (!m_bTimeUp) return;
    KillTimer(kCountdownTimer);
    if (m_bSystemMode) {
        m_lock.UnlockInput();
        m_bSystemMode = 0;
        m_bLock = 0;
    }
    EndDialog(kp::IDOK);
}

void CNoticeDlg::OnCancel() {}

}  // namespace kestor
