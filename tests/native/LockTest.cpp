// Scenarios of the desktop lock, the unlock dialog, the password prompt and the unlock password, with
// the whole program running over the simulated platform.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "SimTestUtil.h"
#include "app/PasswordDigest.h"
#include "app/Settings.h"
#include "app/TovrelApp.h"
#include "app/TovrelDlg.h"
#include "platform/sim/SimOs.h"
#include "resource.h"

namespace {

using kp::Hive;
using kp::WindowRef;
using kp::sim::GbkToUtf8;
using kp::sim::SimDesktop;
using kp::sim::SimOs;
using kp::sim::SimWindow;

using kp::sim::test::kProfile;
const char* const kWrongPassword = "Sunrise";
const char* const kUnusableMessage = "密码中至少要有一个英文字母、数字或符号，请重新输入";
const char* const kTooLongMessage = "密码太长，请重新输入";

class LockScenario : public ::testing::Test {
protected:
    SimOs sim;

    kestor::CTovrelDlg& Sheet() { return *static_cast<kestor::CTovrelDlg*>(sim.Sheet()->Object()); }

    // A tray-menu command chosen at `ms`, the way the user picks it.
    void TrayCommandAt(int64_t ms, int id) {
        sim.At(ms, [this, id] {
            sim.ChooseMenuItem(id);
            sim.PostTray(kp::WM_RBUTTONDOWN);
        });
    }
    // A command straight to the sheet, for configurations without a tray icon.
    void SheetCommandAt(int64_t ms, int id) {
        sim.At(ms, [this, id] { Sheet().OnCommand(id, 0); });
    }
    // Runs the program until it quits through the save-all routine at `quitAt`.
    void RunUntil(int64_t quitAt) {
        SheetCommandAt(quitAt, ID_TRAY_EXIT);
        kestor::RunKestor();
        ASSERT_TRUE(sim.QuitCode().has_value());
    }

    // Types into the unlock dialog and presses OK. A wrong password gets its message box answered.
    static void TypeAndConfirm(SimOs& sim, SimWindow& w, const std::string& password, bool wrong) {
        if (wrong) sim.AnswerMessageBox(kp::IDOK);
        w.Type(IDC_UNLOCK_PASSWORD, password);
        w.Click(kp::IDOK);
    }
    // The next unlock dialog is given these passwords in turn; all but the last are expected wrong.
    void UnlockWith(std::vector<std::string> passwords, std::function<void(SimWindow&)> whileLocked = {}) {
        sim.OnModal(IDD_UNLOCK, [this, passwords, whileLocked](SimWindow& w) {
            if (whileLocked) whileLocked(w);
            for (size_t i = 0; i < passwords.size(); ++i) TypeAndConfirm(sim, w, passwords[i], i + 1 < passwords.size());
        });
    }

    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : sim.MessageBoxes()) texts.push_back(box.text);
        return texts;
    }
    std::vector<WindowRef> CallsOf(SimDesktop::Call::What what, size_t from = 0) {
        std::vector<WindowRef> windows;
        const auto& calls = sim.Desktop().Calls();
        for (size_t i = from; i < calls.size(); ++i)
            if (calls[i].what == what) windows.push_back(calls[i].window);
        return windows;
    }
    std::string MachineString(const char* name) {
        return sim.Reg().GetString(Hive::LocalMachine, kestor::kMachineKeyPath, name).value_or("<none>");
    }

    // The input lock is fully given back: no hook, no clip, the screen-saver flag off, nothing removed twice.
    ::testing::AssertionResult InputReleased() {
        auto& in = sim.Input();
        if (in.MouseHook() || in.TaskKeyHook()) return ::testing::AssertionFailure() << "a hook is still in place";
        if (in.Clip()) return ::testing::AssertionFailure() << "the cursor is still confined";
        if (in.ScreenSaverRunning()) return ::testing::AssertionFailure() << "the screen-saver flag is still on";
        if (in.BadRemovals()) return ::testing::AssertionFailure() << in.BadRemovals() << " bad hook removals";
        return ::testing::AssertionSuccess();
    }
    // The input lock holds for `w`: both hooks, the flag, the cursor on w, w on top.
    ::testing::AssertionResult InputLockedTo(SimWindow& w) {
        auto& in = sim.Input();
        if (!in.MouseHook()) return ::testing::AssertionFailure() << "no mouse hook";
        if (!in.TaskKeyHook()) return ::testing::AssertionFailure() << "no task-key hook";
        if (!in.ScreenSaverRunning()) return ::testing::AssertionFailure() << "screen-saver flag off";
        if (!in.Clip() || !(*in.Clip() == w.GetWindowRect()))
            return ::testing::AssertionFailure() << "the cursor is not confined to the dialog";
        if (!w.IsTopmost()) return ::testing::AssertionFailure() << "the dialog is not topmost";
        return ::testing::AssertionSuccess();
    }
};

TEST_F(LockScenario, LockMinimisesTheDesktopAndUnlocksOnlyToTheRightPassword) {
    const WindowRef a = sim.AddDesktopWindow("Notes - A");
    const WindowRef b = sim.AddDesktopWindow("Mail - B");
    const WindowRef c = sim.AddDesktopWindow("Browser - C");
    bool checkedWhileLocked = false;
    UnlockWith({kWrongPassword, "MoonGate"}, [&](SimWindow& w) {
        EXPECT_EQ(GbkToUtf8("解除锁定"), GbkToUtf8(w.Caption()));
        EXPECT_TRUE(sim.Desktop().IsMinimized(a) && sim.Desktop().IsMinimized(b) && sim.Desktop().IsMinimized(c));
        EXPECT_TRUE(InputLockedTo(w));
        w.Escape();  // ignored
        EXPECT_FALSE(w.IsDestroyed());
        w.Type(IDC_UNLOCK_PASSWORD, "");
        w.Click(kp::IDOK);  // an empty password does nothing, not even a message
        w.Type(IDC_UNLOCK_PASSWORD, "密码");
        w.Enter();  // nor does one whose digest is empty
        EXPECT_TRUE(sim.MessageBoxes().empty());
        EXPECT_FALSE(w.IsDestroyed());
        checkedWhileLocked = true;
    });
    TrayCommandAt(2000, ID_TRAY_LOCK);
    RunUntil(60000);

    EXPECT_TRUE(checkedWhileLocked);
    EXPECT_EQ((std::vector<WindowRef>{a, b, c}), CallsOf(SimDesktop::Call::Minimize));
    EXPECT_EQ((std::vector<WindowRef>{c, b, a}), CallsOf(SimDesktop::Call::Restore));
    EXPECT_FALSE(sim.Desktop().IsMinimized(a) || sim.Desktop().IsMinimized(b) || sim.Desktop().IsMinimized(c));
    EXPECT_EQ(std::vector<std::string>{"密码不正确"}, MessageTexts());
    EXPECT_TRUE(InputReleased());
    // Lock and unlock of the dialog, in this order.
    EXPECT_EQ((std::vector<std::string>{"InstallMouseHook", "InstallTaskKeyHook", "ScreenSaver 1", "Clip",
                                        "ScreenSaver 1", "ScreenSaver 0", "RemoveMouseHook", "RemoveTaskKeyHook",
                                        "ReleaseCapture", "Unclip"}),
              sim.Input().Log());
}

TEST_F(LockScenario, UnlockShowsTheSheetAndItHidesAgainAfterTwentySeconds) {
    sim.AddDesktopWindow("Editor");
    SimWindow* sheet = nullptr;
    int64_t unlockedAt = 0;
    sim.OnModal(IDD_UNLOCK, [&](SimWindow& w) {
        sheet = sim.Sheet();
        EXPECT_FALSE(sheet->IsVisible());  // hidden since second 1
        unlockedAt = sim.Now();
        TypeAndConfirm(sim, w, "MoonGate", false);
    }, 5000);
    TrayCommandAt(2000, ID_TRAY_LOCK);
    sim.At(7000 + 19000, [&] { EXPECT_TRUE(sheet->IsVisible()); });
    sim.At(7000 + 21000, [&] { EXPECT_FALSE(sheet->IsVisible()); });
    RunUntil(60000);
    EXPECT_EQ(7000, unlockedAt);
}

// The tray icon after an unlock: added unless Options_g3 is exactly 1. With Options_g2 on and the user not
// the administrator, the hide at start adds none, so whatever icon there is came from the unlock.
class TrayAfterUnlock : public LockScenario, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(TrayAfterUnlock, IconIsAddedUnlessHideAtStartIsOne) {
    const uint32_t hideAtStart = GetParam();
    sim.Reg().SetDword(Hive::LocalMachine, kestor::kMachineKeyPath, "Options_g2", 1);
    sim.Reg().SetDword(Hive::LocalMachine, kestor::kMachineKeyPath, "Options_g3", hideAtStart);
    sim.Reg().SetString(Hive::LocalMachine, kestor::kMachineKeyPath, "Options_g1", "admin");
    sim.AddDesktopWindow("Editor");
    size_t iconsBeforeUnlock = 99;
    sim.OnModal(IDD_UNLOCK, [&](SimWindow& w) {
        iconsBeforeUnlock = sim.TrayIcons().size();
        TypeAndConfirm(sim, w, "MoonGate", false);
    });
    SheetCommandAt(2000, ID_TRAY_LOCK);
    size_t iconsAfterUnlock = 99;
    sim.At(5000, [&] { iconsAfterUnlock = sim.TrayIcons().size(); });
    RunUntil(60000);
    EXPECT_EQ(0u, iconsBeforeUnlock);
    EXPECT_EQ(hideAtStart == 1 ? 0u : 1u, iconsAfterUnlock);
}

INSTANTIATE_TEST_SUITE_P(HideAtStart, TrayAfterUnlock, ::testing::Values(1u, 2u));

TEST_F(LockScenario, WithEverythingMinimisedTheLockRestoresAndTheUnlockMinimisesAgain) {
    const WindowRef a = sim.AddDesktopWindow("A");
    const WindowRef b = sim.AddDesktopWindow("B");
    const WindowRef gone = sim.AddDesktopWindow("Closed later");
    UnlockWith({"MoonGate"});
    TrayCommandAt(2000, ID_TRAY_LOCK);  // first lock: all three minimised, then restored
    size_t mark = 0;
    sim.At(10000, [&] {
        // The user minimises everything by hand and closes one window.
        sim.Desktop().ShowMinimizedNoActivate(a);
        sim.Desktop().ShowMinimizedNoActivate(b);
        sim.CloseDesktopWindow(gone);
        mark = sim.Desktop().Calls().size();
        UnlockWith({"MoonGate"}, [&](SimWindow&) {
            // The lock found nothing to minimise: it restored what the first lock remembered, back to front,
            // skipping the closed window.
            EXPECT_EQ((std::vector<WindowRef>{b, a}), CallsOf(SimDesktop::Call::Restore, mark));
            EXPECT_TRUE(CallsOf(SimDesktop::Call::Minimize, mark).empty());
        });
    });
    TrayCommandAt(11000, ID_TRAY_LOCK);
    RunUntil(60000);
    // After the second unlock the restored windows were minimised again, and stay so.
    EXPECT_EQ((std::vector<WindowRef>{a, b}), CallsOf(SimDesktop::Call::Minimize, mark));
    EXPECT_TRUE(sim.Desktop().IsMinimized(a) && sim.Desktop().IsMinimized(b));
}

TEST_F(LockScenario, LockWithNothingRememberedAndNothingToMinimiseTouchesNoWindow) {
    sim.AddDesktopWindow("Already down", true, true);
    UnlockWith({"MoonGate"});
    TrayCommandAt(2000, ID_TRAY_LOCK);
    RunUntil(60000);
    EXPECT_TRUE(sim.Desktop().Calls().empty());
}

TEST_F(LockScenario, WindowsThatNeverQualifyAreLeftAlone) {
    sim.AddDesktopWindow("");                                // no title
    sim.AddDesktopWindow("Child", true, false, true);        // has a parent
    sim.AddDesktopWindow("Hidden", false);                   // not visible
    sim.AddDesktopWindow("Down", true, true);                // already minimised
    sim.AddDesktopWindow("Program Manager");                 // the shell's desktop
    const WindowRef app = sim.AddDesktopWindow("Program Manager 2");  // only the exact title is spared
    sim.At(1500, [&] { sim.PostTray(kp::WM_LBUTTONDBLCLK); });          // the sheet is visible during the lock
    UnlockWith({"MoonGate"}, [&](SimWindow&) { EXPECT_TRUE(sim.Sheet()->IsVisible()); });
    TrayCommandAt(2000, ID_TRAY_LOCK);
    RunUntil(60000);
    EXPECT_EQ(std::vector<WindowRef>{app}, CallsOf(SimDesktop::Call::Minimize));
    EXPECT_EQ(std::vector<WindowRef>{app}, CallsOf(SimDesktop::Call::Restore));
}

// The unlock brings back what the lock minimised even though windows are left that it could minimise now.
TEST_F(LockScenario, OnlyTheFirst255CandidatesInZOrderAreMinimisedAndRestored) {
    std::vector<WindowRef> windows;
    for (int i = 0; i < 300; ++i) windows.push_back(sim.AddDesktopWindow("Window " + std::to_string(i)));
    UnlockWith({"MoonGate"});
    TrayCommandAt(2000, ID_TRAY_LOCK);
    RunUntil(60000);
    const std::vector<WindowRef> first(windows.begin(), windows.begin() + 255);
    EXPECT_EQ(first, CallsOf(SimDesktop::Call::Minimize));
    EXPECT_EQ(std::vector<WindowRef>(first.rbegin(), first.rend()), CallsOf(SimDesktop::Call::Restore));
    for (WindowRef w : windows) EXPECT_FALSE(sim.Desktop().IsMinimized(w)) << w;
}

TEST_F(LockScenario, RefusedMouseHookStillConfinesTheCursorAndUnlocks) {
    sim.Input().RefuseMouseHook(true);
    UnlockWith({"MoonGate"}, [&](SimWindow& w) {
        EXPECT_EQ(0u, sim.Input().MouseHook());
        EXPECT_TRUE(sim.Input().Clip().has_value());
        EXPECT_TRUE(w.IsTopmost());
    });
    TrayCommandAt(2000, ID_TRAY_LOCK);
    RunUntil(60000);
    EXPECT_TRUE(MessageTexts().empty());
    EXPECT_TRUE(InputReleased());
}

// The unlock dialog compares with the machine digest each time it is asked; one that cannot be read (or is
// empty, which nothing could match) falls back to the default password's digest.
TEST_F(LockScenario, UnreadableStoredDigestFallsBackToTheDefaultPassword) {
    auto storeDigest = [this](const std::string& digest) {
        sim.Reg().SetString(Hive::LocalMachine, kestor::kMachineKeyPath, "Options_h1", digest);
    };
    sim.At(1500, [&] { sim.Reg().DeleteKey(Hive::LocalMachine, kestor::kMachineKeyPath); });
    UnlockWith({kWrongPassword, "MoonGate"});
    TrayCommandAt(2000, ID_TRAY_LOCK);
    sim.At(10000, [&] { storeDigest(""); });
    UnlockWith({"Secret1", "MoonGate"});
    TrayCommandAt(11000, ID_TRAY_LOCK);
    sim.At(20000, [&] { storeDigest(std::string(128, '1')); });  // does not fit the buffer
    UnlockWith({"Secret1", "MoonGate"});
    TrayCommandAt(21000, ID_TRAY_LOCK);
    sim.At(30000, [&] { storeDigest(kestor::PasswordDigest("Secret1")); });  // readable: it alone counts
    UnlockWith({"MoonGate", "Secret1"});
    TrayCommandAt(31000, ID_TRAY_LOCK);
    RunUntil(60000);
    EXPECT_EQ((std::vector<std::string>(4, "密码不正确")), MessageTexts());
}

// --- The unlock password ---

class PasswordScenario : public LockScenario {
protected:
    std::vector<std::string> prompts;  // the prompt of each showing of the password dialog

    // The next password prompts are answered with these entries, in order.
    void Answer(std::vector<std::string> entries) {
        for (const std::string& entry : entries)
            sim.OnModal(IDD_PASSWORDINPUT, [this, entry](SimWindow& w) {
                prompts.push_back(w.GetText(IDC_PASSWORD_PROMPT));
                EXPECT_EQ("", w.GetText(IDC_PASSWORD));  // emptied before every showing
                EXPECT_TRUE(InputLockedTo(w));
                w.Escape();  // ignored
                w.Type(IDC_PASSWORD, entry);
                w.Click(kp::IDOK);
            });
    }
    void AnswerMessages(int count) {
        for (int i = 0; i < count; ++i) sim.AnswerMessageBox(kp::IDOK);
    }
};

TEST_F(PasswordScenario, WrongOldPasswordChangesNothing) {
    Answer({kWrongPassword});
    AnswerMessages(1);
    TrayCommandAt(2000, ID_TRAY_SET_UNLOCK_PASSWORD);
    RunUntil(60000);
    EXPECT_EQ(std::vector<std::string>{"输入旧密码"}, prompts);
    EXPECT_EQ(std::vector<std::string>{"密码不正确"}, MessageTexts());
    EXPECT_EQ(kestor::PasswordDigest("MoonGate"), MachineString("Options_h1"));
    EXPECT_EQ(1u, sim.Reg().GetDword(Hive::LocalMachine, kestor::kMachineKeyPath, "Options_h2"));
    EXPECT_EQ("MoonGate", sim.Reg().GetString(Hive::CurrentUser, kProfile, "Options_h1"));
    EXPECT_TRUE(InputReleased());
}

TEST_F(PasswordScenario, MismatchAsksAgainThenMatchingEntriesAreStoredAndTakeEffectAtOnce) {
    Answer({"MoonGate", "abc", "abd", "Secret1", "Secret1"});
    AnswerMessages(1);
    TrayCommandAt(2000, ID_TRAY_SET_UNLOCK_PASSWORD);
    UnlockWith({"MoonGate", "Secret1"});
    TrayCommandAt(10000, ID_TRAY_LOCK);
    RunUntil(60000);

    EXPECT_EQ((std::vector<std::string>{"输入旧密码", "输入新密码", "再输入一次", "输入新密码", "再输入一次"}),
              prompts);
    EXPECT_EQ((std::vector<std::string>{"密码输入有误，请重新输入", "密码不正确"}), MessageTexts());
    EXPECT_EQ("Secret1", sim.Reg().GetString(Hive::CurrentUser, kProfile, "Options_h1"));
    EXPECT_EQ(kestor::PasswordDigest("Secret1"), MachineString("Options_h1"));
    auto stored = sim.Reg().GetRaw(Hive::LocalMachine, kestor::kMachineKeyPath, "Options_h1");
    ASSERT_TRUE(stored);
    EXPECT_EQ(kp::sim::REG_SZ, stored->type);
    EXPECT_EQ(2u, sim.Reg().GetDword(Hive::LocalMachine, kestor::kMachineKeyPath, "Options_h2"));
    EXPECT_TRUE(InputReleased());
}

TEST_F(PasswordScenario, AStoredPasswordSurvivesTheNextStart) {
    sim.Reg().SetString(Hive::LocalMachine, kestor::kMachineKeyPath, "Options_h1", kestor::PasswordDigest("Secret1"));
    sim.Reg().SetDword(Hive::LocalMachine, kestor::kMachineKeyPath, "Options_h2", 2);
    UnlockWith({"MoonGate", "Secret1"});
    TrayCommandAt(2000, ID_TRAY_LOCK);
    RunUntil(60000);
    EXPECT_EQ(std::vector<std::string>{"密码不正确"}, MessageTexts());
    EXPECT_EQ(kestor::PasswordDigest("Secret1"), MachineString("Options_h1"));
}

TEST_F(PasswordScenario, MissingMachineKeyRefusesEveryOldPassword) {
    sim.At(1500, [&] { sim.Reg().DeleteKey(Hive::LocalMachine, kestor::kMachineKeyPath); });
    Answer({"MoonGate", "Kestor"});  // the default, and the stand-in text itself
    AnswerMessages(2);
    TrayCommandAt(2000, ID_TRAY_SET_UNLOCK_PASSWORD);
    TrayCommandAt(4000, ID_TRAY_SET_UNLOCK_PASSWORD);
    RunUntil(60000);
    EXPECT_EQ((std::vector<std::string>(2, "密码不正确")), MessageTexts());
    EXPECT_FALSE(sim.Reg().HasKey(Hive::LocalMachine, kestor::kMachineKeyPath));
}

TEST_F(PasswordScenario, PasswordsThatCouldNeverUnlockAreRefusedAndAskedAgain) {
    // 'd' adds two digits and 'a' one: 64 of 'd' make 128 digits, one too many for the 128-byte buffer
    // with its terminating zero; 63 of 'd' and an 'a' make 127, the longest that fits.
    const std::string tooLong(64, 'd');
    const std::string longest = std::string(63, 'd') + "a";
    ASSERT_EQ(128u, kestor::PasswordDigest(tooLong).size());
    ASSERT_EQ(127u, kestor::PasswordDigest(longest).size());
    Answer({"MoonGate", "", "密码", tooLong, longest, longest});
    AnswerMessages(3);
    TrayCommandAt(2000, ID_TRAY_SET_UNLOCK_PASSWORD);
    UnlockWith({longest});
    TrayCommandAt(10000, ID_TRAY_LOCK);
    RunUntil(60000);

    EXPECT_EQ((std::vector<std::string>{"输入旧密码", "输入新密码", "输入新密码", "输入新密码", "输入新密码",
                                        "再输入一次"}),
              prompts);
    EXPECT_EQ((std::vector<std::string>{kUnusableMessage, kUnusableMessage, kTooLongMessage}), MessageTexts());
    EXPECT_EQ(kestor::PasswordDigest(longest), MachineString("Options_h1"));
}

TEST_F(PasswordScenario, HiddenCancelButtonEndsTheFlowWithoutAChange) {
    sim.OnModal(IDD_PASSWORDINPUT, [](SimWindow& w) { w.Object()->OnCommand(IDC_PASSWORD_CANCEL, kp::BN_CLICKED); });
    TrayCommandAt(2000, ID_TRAY_SET_UNLOCK_PASSWORD);  // cancelled at the old password
    Answer({"MoonGate", "Secret1"});
    sim.OnModal(IDD_PASSWORDINPUT, [](SimWindow& w) { w.Object()->OnCommand(IDC_PASSWORD_CANCEL, kp::BN_CLICKED); });
    TrayCommandAt(4000, ID_TRAY_SET_UNLOCK_PASSWORD);  // cancelled at the second entry
    RunUntil(60000);
    EXPECT_TRUE(MessageTexts().empty());
    EXPECT_EQ(kestor::PasswordDigest("MoonGate"), MachineString("Options_h1"));
    EXPECT_EQ(1u, sim.Reg().GetDword(Hive::LocalMachine, kestor::kMachineKeyPath, "Options_h2"));
    EXPECT_TRUE(InputReleased());
    EXPECT_FALSE(sim.Modal(IDD_PASSWORDINPUT));
}

}  // namespace
