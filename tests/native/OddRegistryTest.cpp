// Every registry value the program reads, stored oddly: of another type, of the wrong size, too long for
// its buffer, or behind a key that cannot be opened. Each must read as absent: the program starts, every
// page opens, and the default is used.
#include <functional>

#include "SimTestUtil.h"
#include "app/Messages.h"
#include "app/PasswordDigest.h"
#include "app/TovrelApp.h"
#include "app/TovrelDlg.h"
#include "resource.h"

namespace {

using kp::Hive;
using kp::sim::REG_BINARY;
using kp::sim::REG_DWORD;
using kp::sim::REG_EXPAND_SZ;
using kp::sim::REG_SZ;
using kp::sim::SimOs;
using kp::sim::SimRegistry;

using kp::sim::test::kProfile;
using kp::sim::test::kMachine;
using kp::sim::test::kRun;

// What one run of the program showed and stored.
struct Seen {
    bool visible = false;   // half a second after the start
    size_t trayIcons = 0;   // after the window hid by itself
    int chime = -1, interval = -1, autoRun = -1, autoPlay = -1;
    std::string admin;
    int pagesOpened = 0;
    // Registry after the exit.
    std::optional<uint32_t> marker, autoRunValue, adminState, machinePasswordState;
    std::optional<std::string> adminPassword, machineDigest;
    bool runEntry = false;

    bool ScreenEquals(const Seen& o) const {
        return std::tie(visible, trayIcons, chime, interval, autoRun, autoPlay, admin, pagesOpened) ==
               std::tie(o.visible, o.trayIcons, o.chime, o.interval, o.autoRun, o.autoPlay, o.admin, o.pagesOpened);
    }
    bool operator==(const Seen& o) const {
        return ScreenEquals(o) &&
               std::tie(marker, autoRunValue, adminState, machinePasswordState, adminPassword, machineDigest,
                        runEntry) == std::tie(o.marker, o.autoRunValue, o.adminState, o.machinePasswordState,
                                              o.adminPassword, o.machineDigest, o.runEntry);
    }
};

std::ostream& operator<<(std::ostream& out, const Seen& s) {
    auto opt = [](const auto& v) {
        std::ostringstream o;
        if (v) o << *v; else o << "-";
        return o.str();
    };
    return out << "{visible " << s.visible << ", tray " << s.trayIcons << ", chime " << s.chime << ", interval "
               << s.interval << ", autorun " << s.autoRun << ", autoplay " << s.autoPlay << ", admin \""
               << kp::sim::test::U8(s.admin) << "\", pages " << s.pagesOpened << ", Options " << opt(s.marker)
               << ", d1 " << opt(s.autoRunValue) << ", f2 " << opt(s.adminState) << ", h2 "
               << opt(s.machinePasswordState) << ", f1 " << opt(s.adminPassword) << ", h1 " << opt(s.machineDigest)
               << ", run " << s.runEntry << "}";
}

// Starts the program as user "tom" over the registry `prepare` leaves, opens every page, and quits the
// way the enforcement does (no tray icon is needed for it).
Seen RunWith(const std::function<void(SimOs&)>& prepare) {
    SimOs os;
    os.System().SetCurrentDirectory("D:\\tools");
    os.System().SetUserName("tom");
    prepare(os);
    Seen seen;
    os.At(500, [&] {
        kp::sim::SimWindow& sheet = *os.Sheet();
        seen.visible = sheet.IsVisible();
        seen.chime = sheet.Page(1)->GetCheck(IDC_CHIME);
        seen.interval = sheet.Page(1)->Combo(IDC_CHIME_INTERVAL).GetCurSel();
        seen.autoRun = sheet.Page(1)->GetCheck(IDC_AUTORUN);
        seen.admin = sheet.Page(2)->GetText(IDC_MACHINE_ADMIN);
        seen.autoPlay = sheet.Page(3)->GetCheck(IDC_AUTOPLAY);
    });
    os.At(1500, [&] { seen.trayIcons = os.TrayIcons().size(); });
    os.At(2000, [&] {
        auto& dlg = *static_cast<kestor::CTovrelDlg*>(os.Sheet()->Object());
        for (int page = 0; page < os.Sheet()->PageCount(); ++page) {
            dlg.SetActivePage(page);
            if (os.Sheet()->Page(page)) ++seen.pagesOpened;
        }
    });
    os.At(3000, [] { kp::TheOs().ui->SendToMain(kestor::WM_SAVE_AND_QUIT, 0, 0); });
    kestor::RunKestor();
    EXPECT_EQ(18, os.QuitCode().value_or(-1));
    const SimRegistry& reg = os.Reg();
    seen.marker = reg.GetDword(Hive::CurrentUser, kProfile, "Options");
    seen.autoRunValue = reg.GetDword(Hive::CurrentUser, kProfile, "Options_d1");
    seen.adminState = reg.GetDword(Hive::CurrentUser, kProfile, "Options_f2");
    seen.adminPassword = reg.GetString(Hive::CurrentUser, kProfile, "Options_f1");
    seen.machinePasswordState = reg.GetDword(Hive::LocalMachine, kMachine, "Options_h2");
    seen.machineDigest = reg.GetString(Hive::LocalMachine, kMachine, "Options_h1");
    seen.runEntry = reg.GetString(Hive::LocalMachine, kRun, "Kestor").has_value();
    return seen;
}

std::string Dword(uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

// A value the program reads; `misread` is a valid value, other than the default, that would change what
// the program does in the surroundings `context` makes. Every odd form below carries that same value.
struct Reading {
    const char* name;
    Hive hive;
    bool text;  // a string; else a DWORD
    uint32_t misread;
    std::string misreadText;
    std::function<void(SimOs&)> context;
};

const char* KeyOf(Hive hive) { return hive == Hive::CurrentUser ? kProfile : kMachine; }

struct Odd {
    const char* what;
    uint32_t type;
    std::string bytes;
};

std::vector<Odd> OddForms(const Reading& r) {
    if (r.text) {
        // A profile string may be long; the machine strings are read into a 128-byte buffer.
        const size_t tooLong = r.hive == Hive::CurrentUser ? 70000 : 300;
        const std::string zeroEnded = r.misreadText + std::string(1, '\0');
        return {{"a DWORD", REG_DWORD, zeroEnded.substr(0, 4)},
                {"binary", REG_BINARY, zeroEnded},
                {"an expandable string", REG_EXPAND_SZ, zeroEnded},
                {"too long for its buffer", REG_SZ, r.misreadText + std::string(tooLong, 'x')}};
    }
    const std::string v = Dword(r.misread);
    return {{"a string", REG_SZ, std::to_string(r.misread) + std::string(1, '\0')},
            {"two bytes", REG_DWORD, v.substr(0, 2)},
            {"eight bytes", REG_DWORD, v + std::string(4, '\0')},
            {"no bytes", REG_DWORD, std::string()},
            {"binary", REG_BINARY, v}};
}

void SetProfile(SimOs& os, const char* name, uint32_t v) { os.Reg().SetDword(Hive::CurrentUser, kProfile, name, v); }
void SetMachine(SimOs& os, const char* name, uint32_t v) { os.Reg().SetDword(Hive::LocalMachine, kMachine, name, v); }
void None(SimOs&) {}

const std::vector<Reading>& Readings() {
    static const std::vector<Reading> readings = {
        // The first-run marker: read as 0 it would not count as a first run.
        {"Options", Hive::CurrentUser, false, 0, "", None},
        {"Options_a1", Hive::CurrentUser, false, 0, "", None},
        {"Options_a2", Hive::CurrentUser, false, 3, "", None},
        // Start with Windows, on a later start (a first one turns it on anyway).
        {"Options_d1", Hive::CurrentUser, false, 0, "", [](SimOs& os) { SetProfile(os, "Options", 0); }},
        // The administrator state: read as 2 the stored password would not be reset to the default.
        {"Options_f2", Hive::CurrentUser, false, 2, "",
         [](SimOs& os) { os.Reg().SetString(Hive::CurrentUser, kProfile, "Options_f1", "secret"); }},
        // The administrator's name matters only with the hide option on.
        {"Options_g1", Hive::LocalMachine, true, 0, "tom", [](SimOs& os) { SetMachine(os, "Options_g3", 1); }},
        {"Options_g2", Hive::LocalMachine, false, 1, "", [](SimOs& os) { SetMachine(os, "Options_g3", 1); }},
        {"Options_g3", Hive::LocalMachine, false, 1, "", None},
        // The unlock-password state: read as 2 the default password would not be put back.
        {"Options_h2", Hive::LocalMachine, false, 2, "",
         [](SimOs& os) { os.Reg().SetString(Hive::LocalMachine, kMachine, "Options_h1", "123"); }},
        {"Options_i1", Hive::LocalMachine, false, 1, "", None},
    };
    return readings;
}

TEST(OddRegistry, WithNothingStoredTheDefaultsAreUsed) {
    const Seen seen = RunWith(None);
    EXPECT_TRUE(seen.visible);
    EXPECT_EQ(1u, seen.trayIcons);
    EXPECT_EQ(1, seen.chime);
    EXPECT_EQ(0, seen.interval);
    EXPECT_EQ(1, seen.autoRun);
    EXPECT_EQ(0, seen.autoPlay);
    EXPECT_EQ("", seen.admin);
    EXPECT_EQ(5, seen.pagesOpened);
    EXPECT_EQ(1u, seen.marker.value_or(99));
    EXPECT_EQ(1u, seen.autoRunValue.value_or(99));
    EXPECT_TRUE(seen.runEntry);
    EXPECT_EQ(1u, seen.adminState.value_or(99));
    EXPECT_EQ("MoonGate", seen.adminPassword.value_or("-"));
    EXPECT_EQ(1u, seen.machinePasswordState.value_or(99));
    EXPECT_EQ(kestor::PasswordDigest("MoonGate"), seen.machineDigest.value_or("-"));
}

TEST(OddRegistry, EveryValueStoredOddlyReadsAsAbsent) {
    for (const Reading& r : Readings()) {
        SCOPED_TRACE(r.name);
        const Seen absent = RunWith(r.context);
        // The surroundings make the value count: read as the valid value it would change the outcome.
        const Seen valid = RunWith([&r](SimOs& os) {
            r.context(os);
            if (r.text)
                os.Reg().SetString(r.hive, KeyOf(r.hive), r.name, r.misreadText);
            else
                os.Reg().SetDword(r.hive, KeyOf(r.hive), r.name, r.misread);
        });
        EXPECT_FALSE(valid == absent) << "the value does not count here: " << valid;
        for (const Odd& odd : OddForms(r)) {
            SCOPED_TRACE(odd.what);
            const Seen seen = RunWith([&](SimOs& os) {
                r.context(os);
                os.Reg().SetRaw(r.hive, KeyOf(r.hive), r.name, odd.type, odd.bytes);
            });
            EXPECT_EQ(absent, seen);
        }
    }
}

TEST(OddRegistry, KeysThatCannotBeOpenedLeaveTheDefaultsOnScreen) {
    const Seen defaults = RunWith(None);
    for (Hive hive : {Hive::CurrentUser, Hive::LocalMachine}) {
        SCOPED_TRACE(hive == Hive::CurrentUser ? "profile" : "machine key");
        const Seen seen = RunWith([hive](SimOs& os) {
            // Values that would change the start if they could be read.
            SetProfile(os, "Options_a1", 0);
            SetProfile(os, "Options_a2", 4);
            SetMachine(os, "Options_g3", 1);
            SetMachine(os, "Options_i1", 1);
            os.Reg().DenyAll(hive, hive == Hive::CurrentUser ? "Software\\Kestor" : "SOFTWARE\\Kestor");
        });
        Seen expected = defaults;
        if (hive == Hive::CurrentUser) {
            expected.visible = false;  // the hide option still reads
            expected.autoPlay = 1;
        } else {
            expected.chime = 0;
            expected.interval = 4;
        }
        EXPECT_TRUE(expected.ScreenEquals(seen)) << seen;
    }
}

}  // namespace
