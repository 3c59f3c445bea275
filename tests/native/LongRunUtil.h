// The whole program over the simulated platform for days of virtual time: the user's visits to the window
// (made only when no dialog or message is in the way, as a user must wait for a lock to lift), a record
// of every showing of the notice popup, and a census of what grows with time (armed timers, open media
// devices, list rows, open notices).
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "SimTestUtil.h"
#include "app/TovrelApp.h"
#include "app/TovrelDlg.h"
#include "platform/Gbk.h"
#include "platform/SysTimeMath.h"
#include "platform/sim/SimOs.h"
#include "resource.h"

namespace longrun {

using kp::sim::SimOs;
using kp::sim::SimWindow;

constexpr int64_t kSecond = 1000;
constexpr int64_t kMinute = 60 * kSecond;
constexpr int64_t kHour = 60 * kMinute;
constexpr int64_t kDay = 24 * kHour;

constexpr int kSchedulerTab = 1, kControlTab = 2, kMusicTab = 3, kProcessTab = 4;

inline kp::SysTime Local(int year, int month, int day, int hour, int minute, int second = 0, int ms = 0) {
    auto u16 = [](int v) { return static_cast<uint16_t>(v); };
    return kp::SysTime{u16(year), u16(month), 0, u16(day), u16(hour), u16(minute), u16(second), u16(ms)};
}

inline std::string Show(const kp::SysTime& t) {
    return kp::Format("%04d-%02d-%02d %02d:%02d:%02d.%03d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                      t.wSecond, t.wMilliseconds);
}

// One showing of the notice popup.
struct Notice {
    int64_t at;           // virtual ms
    kp::SysTime local;    // the local clock then
    std::string message;  // GBK
    const SimWindow* window;
};

// What the census saw at its worst.
struct Peaks {
    size_t timers = 0;
    unsigned longestTimerMs = 0;
    int mediaDevices = 0;
    int reminderRows = 0, terminationRows = 0, userRows = 0, playlistRows = 0;
    int openNotices = 0;
    int64_t longestNoticeMs = 0;
};

class LongRun {
public:
    SimOs os;
    std::vector<Notice> notices;
    Peaks peaks;
    SimWindow* m_sheet = nullptr;

    kestor::CTovrelDlg& Sheet() { return *static_cast<kestor::CTovrelDlg*>(os.Sheet()->Object()); }
    // A page's window; null while it has not been made. The sheet is looked up once: the simulator finds
    // it among every window ever made.
    SimWindow* Page(int tab) {
        if (!m_sheet) m_sheet = os.Sheet();
        return m_sheet ? m_sheet->Page(tab) : nullptr;
    }

    // Records every showing of the notice popup from now on: each handler records one showing and leaves
    // another for the next.
    void WatchNotices() {
        os.OnModal(IDD_NOTICE, [this](SimWindow& w) {
            notices.push_back(Notice{os.Now(), os.LocalTime(), w.GetText(IDC_NOTICE_MESSAGE), &w});
            WatchNotices();
        });
    }

    // A dialog or a message box is open: the user waits for it to go.
    bool InTheWay() const {
        const auto& boxes = os.MessageBoxes();
        const bool boxOpen = !boxes.empty() && boxes.back().answer == 0 && !os.QuitCode();
        return boxOpen || !os.OpenModals().empty();
    }

    // At `at` (or as soon after as nothing is in the way, looking again every 10 s) the user does `fn`.
    void AsUser(int64_t at, std::function<void()> fn) {
        os.At(at, [this, fn] {
            if (InTheWay())
                AsUser(os.Now() + 10 * kSecond, fn);
            else
                fn();
        });
    }

    // Shows the window from the tray and opens a tab.
    SimWindow& OpenTab(int tab) {
        os.PostTray(kp::WM_LBUTTONDBLCLK);
        os.Sheet()->SelectTab(tab);
        return *Page(tab);
    }

    // A new reminder through the scheduler page's dialog; its message box is answered `answerAfterMs`
    // after it opens.
    void AddReminder(const kp::SysTime& t, const std::string& message, int64_t answerAfterMs) {
        SimWindow& page = OpenTab(kSchedulerTab);
        os.OnModal(IDD_NEWREMINDER, [t, message](SimWindow& w) {
            w.PickDateTime(IDC_REMINDER_TIME, t);
            w.Type(IDC_REMINDER_MESSAGE, message);
            w.Click(kp::IDOK);
        });
        os.AnswerMessageBox(kp::IDOK, answerAfterMs);
        page.Click(IDC_REMINDER_NEW);
    }

    // The virtual time at which the local clock, as it runs from virtual time `from`, shows `t`.
    int64_t When(const kp::SysTime& t, int64_t from = 0) const {
        return from + kp::SysTimeToMs(t) - kp::SysTimeToMs(kp::AddMs(os.LocalTime(), from - os.Now()));
    }

    // Leaves through the tray menu at `at`.
    void ExitAt(int64_t at) {
        AsUser(at, [this] {
            os.ChooseMenuItem(ID_TRAY_EXIT, 10);
            os.PostTray(kp::WM_RBUTTONDOWN);
        });
    }

    // Takes the census every `everyMs` from `from` until `until`.
    void CensusEvery(int64_t everyMs, int64_t from, int64_t until) {
        os.At(from, [this, everyMs, until] {
            Census();
            if (os.Now() + everyMs <= until) CensusEvery(everyMs, os.Now() + everyMs, until);
        });
    }

    void Census() {
        const auto timers = os.ArmedTimers();
        peaks.timers = std::max(peaks.timers, timers.size());
        for (const auto& t : timers) peaks.longestTimerMs = std::max(peaks.longestTimerMs, t.period);
        peaks.mediaDevices = std::max(peaks.mediaDevices, os.Media().OpenDevices());
        auto rows = [this](int tab, int id, int& peak) {
            if (SimWindow* page = Page(tab)) peak = std::max(peak, page->ListViewOf(id).GetItemCount());
        };
        rows(kSchedulerTab, IDC_REMINDER_LIST, peaks.reminderRows);
        rows(kProcessTab, IDC_TERMINATION_LIST, peaks.terminationRows);
        rows(kControlTab, IDC_USER_LIST, peaks.userRows);
        if (SimWindow* page = Page(kMusicTab))
            peaks.playlistRows = std::max(peaks.playlistRows, page->ListBoxOf(IDC_PLAYLIST).GetCount());
        int open = 0;
        for (const SimWindow* w : os.OpenModals()) {
            if (w->TemplateId() != IDD_NOTICE) continue;
            ++open;
            for (auto it = notices.rbegin(); it != notices.rend(); ++it)
                if (it->window == w) {
                    peaks.longestNoticeMs = std::max(peaks.longestNoticeMs, os.Now() - it->at);
                    break;
                }
        }
        peaks.openNotices = std::max(peaks.openNotices, open);
    }
};

}  // namespace longrun
