// What the native tests share: GBK in failure messages, the registry and list files as the program keeps them, and
// the whole program over the simulated platform with a scripted user.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/Messages.h"
#include "app/TovrelApp.h"
#include "app/TovrelDlg.h"
#include "platform/Gbk.h"
#include "platform/SysTimeMath.h"
#include "platform/TextFile.h"
#include "platform/sim/SimOs.h"
#include "resource.h"

namespace kt {

using kp::Hive;
using kp::sim::SimOs;
using kp::sim::SimWindow;
using Strings = std::vector<std::string>;
inline const Hive HKCU = Hive::CurrentUser, HKLM = Hive::LocalMachine;

inline const char* const kProfile = "Software\\Kestor\\Kestor\\Setting\\Default";
inline const char* const kMachine = "SOFTWARE\\Kestor\\Setting\\Default";
inline const char* const kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
enum Tab { kInfoTab, kSchedulerTab, kControlTab, kMusicTab, kProcessTab };

inline std::string U8(const std::string& gbk) { return kp::sim::GbkToUtf8(gbk); }

inline ::testing::AssertionResult GbkEq(const std::string& expected, const std::string& actual) {
    if (expected == actual) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected \"" << U8(expected) << "\"\n  actual \"" << U8(actual) << "\"";
}

// The texts of the message boxes shown so far, in order.
inline ::testing::AssertionResult MessageBoxTexts(const SimOs& os, const Strings& expected) {
    Strings actual;
    for (const auto& box : os.MessageBoxes()) actual.push_back(box.text);
    if (actual == expected) return ::testing::AssertionSuccess();
    auto result = ::testing::AssertionFailure() << "message boxes shown:";
    for (const auto& text : actual) result << "\n  \"" << U8(text) << "\"";
    result << "\nexpected:";
    for (const auto& text : expected) result << "\n  \"" << U8(text) << "\"";
    return result;
}

inline void SetUser(SimOs& os, const char* name, uint32_t v) { os.Reg().SetDword(HKCU, kProfile, name, v); }
inline void SetMachine(SimOs& os, const char* name, uint32_t v) { os.Reg().SetDword(HKLM, kMachine, name, v); }
inline void SetMachine(SimOs& os, const char* name, const std::string& v) { os.Reg().SetString(HKLM, kMachine, name, v); }
inline void Quit() { kp::TheOs().ui->SendToMain(kestor::WM_SAVE_AND_QUIT, 0, 0); }
inline kestor::CTovrelDlg& SheetOf(SimOs& os) { return *static_cast<kestor::CTovrelDlg*>(os.Sheet()->Object()); }

// A list view's columns as "title width centred|", its rows as their texts and (when asked) data, "|" between.
inline std::string Columns(SimWindow& page, int id) {
    std::string out;
    for (const auto& c : page.ListViewOf(id).Columns())
        out += kp::Format("%s %d %d|", c.title.c_str(), c.width, c.align == kp::ColumnAlign::Center);
    return out;
}
inline Strings Rows(SimWindow& page, int id, bool data = false) {
    const auto& list = page.ListViewOf(id);
    Strings rows(list.GetItemCount());
    for (int r = 0; r < list.GetItemCount(); ++r) {
        for (size_t c = 0; c < list.Columns().size(); ++c) rows[r] += (c ? "|" : "") + list.GetItemText(r, int(c));
        if (data) rows[r] += "|" + std::to_string(list.GetItemData(r));
    }
    return rows;
}

inline std::string Path(const std::string& name) { return "C:\\Kestor\\" + name; }  // the program's folder

inline kp::SysTime At(int year, int month, int day, int hour, int minute, int second = 0) {
    auto u16 = [](int v) { return static_cast<uint16_t>(v); };
    return kp::SysTime{u16(year), u16(month), 0, u16(day), u16(hour), u16(minute), u16(second), 0};
}

// TimeSet.ini and ControlSet.ini as the program writes them: the header, a record of each.
inline std::string ListHeader(uint32_t count) {
    kp::TextWriter out;
    out.WriteLine("[ItemCount]");
    out.WriteUInt32(count);
    out.WriteLine("D");
    out.WriteLine("[ItemData]");
    return out.Bytes();
}
inline uint32_t Packed(int month, int day, int hour, int minute) {
    return uint32_t(month) << 24 | uint32_t(day) << 16 | uint32_t(hour) << 8 | uint32_t(minute);
}
inline std::string ReminderRecord(uint32_t packed, const std::string& text, const std::string& message) {
    kp::TextWriter out;
    out.WriteUInt32(packed);
    for (const std::string& line : {std::string("D"), text, message}) out.WriteLine(line);
    return out.Bytes();
}
inline std::string LimitRecord(const Strings& texts, uint32_t flags) {
    kp::TextWriter out;
    for (const std::string& text : texts) {
        out.WriteLine("D");
        out.WriteLine(text);
    }
    out.WriteUInt32(flags);
    return out.Bytes();
}

// One page on its own; a test opens it and sets `w`.
template <class PageClass>
class OnePage : public ::testing::Test {
protected:
    SimOs os;
    PageClass page;
    SimWindow* w = nullptr;
};

// The program in C:\Kestor, started by tom at 2026-05-05 09:00:00, not for the first time, the hourly notice off;
// the test scripts the user, then calls Run().
class Program : public ::testing::Test {
protected:
    SimOs os;
    kp::SysTime start = At(2026, 5, 5, 9, 0);

    void SetUp() override {
        os.System().SetUserName(std::string("tom"));
        for (const char* name : {"Options", "Options_a1", "Options_d1"}) SetUser(os, name, 0);
        os.SetLocalTime(start);
    }
    void StartAt(const kp::SysTime& t) {
        start = t;
        os.SetLocalTime(t);
    }
    // The virtual time at which the local clock shows `t`.
    int64_t When(const kp::SysTime& t) const { return kp::SysTimeToMs(t) - kp::SysTimeToMs(start); }
    void Run() { kestor::RunKestor(); }
    // A tray command: the right button on the icon, then the item.
    void Tray(int64_t at, int command) {
        os.ChooseMenuItem(command, 100);
        os.At(at, [this] { os.PostTray(kp::WM_RBUTTONDOWN); });
    }
    void ExitAt(int64_t at) { Tray(at, ID_TRAY_EXIT); }
    // At `at` the user shows the window from the tray, opens the tab and does `fn` there.
    void OnPage(int64_t at, int tab, std::function<void(SimWindow&)> fn) {
        os.At(at, [this] { os.PostTray(kp::WM_LBUTTONDBLCLK); });
        os.At(at + 10, [this, tab, fn] {
            os.Sheet()->SelectTab(tab);
            fn(*os.Sheet()->Page(tab));
        });
    }
    SimWindow& Page(int tab) { return *os.Sheet()->Page(tab); }

    void PutFile(const std::string& name, const std::string& bytes) { os.Files().Put(Path(name), bytes); }
    std::string File(const std::string& name) { return os.Files().Get(Path(name)).value_or("(missing)"); }
    std::optional<uint32_t> Profile(const char* name) { return os.Reg().GetDword(HKCU, kProfile, name); }
    std::optional<uint32_t> Machine(const char* name) { return os.Reg().GetDword(HKLM, kMachine, name); }
};

}  // namespace kt
