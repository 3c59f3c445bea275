// The scheduler page inside the running program over the simulated platform: the clock set at start, the
// user's actions on the page at given local times, and what the program showed, stored and asked for.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "SimTestUtil.h"
#include "app/TovrelApp.h"
#include "scheduler/TovrelTimeset.h"
#include "platform/Gbk.h"
#include "platform/SysTimeMath.h"
#include "platform/TextFile.h"
#include "resource.h"

namespace timeset_test {

using kp::Hive;
using kp::sim::SimOs;
using kp::sim::SimWindow;

using kp::sim::test::kProfile;
using kp::sim::test::kRun;

inline kp::SysTime At(int year, int month, int day, int hour, int minute, int second = 0) {
    auto u16 = [](int v) { return static_cast<uint16_t>(v); };
    return kp::SysTime{u16(year), u16(month), 0, u16(day), u16(hour), u16(minute), u16(second), 0};
}

class Scheduler : public ::testing::Test {
protected:
    SimOs os;
    kp::SysTime m_start = At(2026, 5, 5, 9, 0, 0);

    // Not the first start; the chime off unless a test turns it on.
    void SetUp() override {
        os.System().SetCurrentDirectory("D:\\tools");
        SetProfile("Options", 0);
        SetProfile("Options_a1", 0);
        SetProfile("Options_d1", 0);
    }

    void SetProfile(const char* name, uint32_t value) { os.Reg().SetDword(Hive::CurrentUser, kProfile, name, value); }
    std::optional<uint32_t> Profile(const char* name) { return os.Reg().GetDword(Hive::CurrentUser, kProfile, name); }

    // The local clock at virtual time 0, before anything is scheduled.
    void Start(const kp::SysTime& t) {
        m_start = t;
        os.SetLocalTime(t);
    }
    // The virtual time at which the local clock shows `t`.
    int64_t When(const kp::SysTime& t) const { return kp::SysTimeToMs(t) - kp::SysTimeToMs(m_start); }

    // Runs the program until it exits through the tray menu at virtual time `exitAt`.
    void Run(int64_t exitAt) {
        os.ChooseMenuItem(ID_TRAY_EXIT, 10);
        os.At(exitAt, [this] { os.PostTray(kp::WM_RBUTTONDOWN); });
        kestor::RunKestor();
    }

    // The page window (live or a record).
    SimWindow& Page() { return *os.Sheet()->Page(1); }

    // At `at` the user shows the window from the tray, opens the scheduler tab and does `fn` there.
    void OnPage(int64_t at, std::function<void(SimWindow&)> fn) {
        os.At(at, [this] { os.PostTray(kp::WM_LBUTTONDBLCLK); });
        os.At(at + 10, [this, fn] {
            os.Sheet()->SelectTab(1);
            fn(Page());
        });
    }

    // Adds a reminder through the new-reminder dialog.
    void AddReminder(SimWindow& page, const kp::SysTime& t, const std::string& message) {
        os.OnModal(IDD_NEWREMINDER, [t, message](SimWindow& w) {
            w.PickDateTime(IDC_REMINDER_TIME, t);
            w.Type(IDC_REMINDER_MESSAGE, message);
            w.Click(kp::IDOK);
        });
        page.Click(IDC_REMINDER_NEW);
    }

    // The reminder rows as "time text|message".
    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        for (const auto& row : Page().ListViewOf(IDC_REMINDER_LIST).Rows())
            rows.push_back(row.texts.at(0) + "|" + (row.texts.size() > 1 ? row.texts[1] : std::string()));
        return rows;
    }

    // The message boxes shown, each as "local HH:MM:SS text".
    std::vector<std::string> Shown() {
        std::vector<std::string> out;
        for (const auto& box : os.MessageBoxes()) {
            const kp::SysTime t = kp::AddMs(m_start, box.at);
            out.push_back(kp::Format("%02d:%02d:%02d ", t.wHour, t.wMinute, t.wSecond) + box.text);
        }
        return out;
    }
};

// One TimeSet.ini record as the program writes it.
inline std::string Record(uint32_t packed, const std::string& text, const std::string& message) {
    kp::TextWriter out;
    out.WriteUInt32(packed);
    out.WriteLine("D");
    out.WriteLine(text);
    out.WriteLine(message);
    return out.Bytes();
}

inline std::string Header(uint32_t count) {
    kp::TextWriter out;
    out.WriteLine("[ItemCount]");
    out.WriteUInt32(count);
    out.WriteLine("D");
    out.WriteLine("[ItemData]");
    return out.Bytes();
}

inline uint32_t Packed(int month, int day, int hour, int minute) {
    return static_cast<uint32_t>(month) << 24 | static_cast<uint32_t>(day) << 16 | static_cast<uint32_t>(hour) << 8 |
           static_cast<uint32_t>(minute);
}

}  // namespace timeset_test
