// The desktop lock, the unlock dialog, the password prompt and the unlock password with its digest.
#include <algorithm>

#include "Util.h"
#include "app/PasswordDigest.h"

namespace {

using namespace kt;
using kp::WindowRef;
using Refs = std::vector<WindowRef>;
using What = kp::sim::SimDesktop::Call::What;

class Lock : public Program {
protected:
    Strings prompts;

    // The next unlock dialog: `first`, then these passwords, all but the last wrong.
    void Unlock(const Strings& passwords, std::function<void(SimWindow&)> first = {}) {
        os.OnModal(IDD_UNLOCK, [=](SimWindow& w) {
            if (first) first(w);
            for (size_t i = 0; i < passwords.size(); ++i) {
                if (i + 1 < passwords.size()) os.AnswerMessageBox(kp::IDOK);
                w.Type(IDC_UNLOCK_PASSWORD, passwords[i]);
                w.Click(kp::IDOK);
            }
        });
    }
    // The next password prompts get these entries; "cancel" presses the hidden cancel button.
    void Answer(const Strings& entries) {
        for (const std::string& entry : entries)
            os.OnModal(IDD_PASSWORDINPUT, [this, entry](SimWindow& w) {
                prompts.push_back(w.GetText(IDC_PASSWORD_PROMPT));
                EXPECT_TRUE(w.GetText(IDC_PASSWORD).empty() && Held(&w));
                w.Escape();  // ignored
                w.Type(IDC_PASSWORD, entry);
                if (entry == "cancel") w.Object()->OnCommand(IDC_PASSWORD_CANCEL, kp::BN_CLICKED);
                else w.Click(kp::IDOK);
            });
    }
    Refs Calls(What what, size_t from = 0, bool back = false) {
        Refs windows;
        const auto& calls = os.Desktop().Calls();
        for (size_t i = from; i < calls.size(); ++i)
            if (calls[i].what == what) windows.push_back(calls[i].window);
        if (back) std::reverse(windows.begin(), windows.end());
        return windows;
    }
    // The input held for `w` (hooks, screen saver, cursor, on top), or given back whole.
    bool Held(SimWindow* w) {
        const auto& in = os.Input();
        const bool some = in.MouseHook() || in.TaskKeyHook() || in.ScreenSaverRunning() || in.Clip();
        if (!w) return !some && !in.BadRemovals();
        return in.MouseHook() && in.TaskKeyHook() && in.ScreenSaverRunning() && in.Clip() &&
               *in.Clip() == w->GetWindowRect() && w->IsTopmost();
    }
};

// Three locks by tom, the administrator. The first minimises the one application window (not the sheet, an
// untitled, child or hidden window, nor "Program Manager"); with hide option 1 the unlock adds no icon. The second
// minimises the first 255 windows front to back and restores them back to front; option 2 adds the icon. The third,
// all minimised by hand, restores what the second minimised; its unlock minimises them again.
TEST_F(Lock, MinimisesTheOtherWindowsUntilUnlocked) {
    SetMachine(os, "Options_g1", "tom");
    SetMachine(os, "Options_g3", 1);
    os.AddDesktopWindow("Down", true, true);
    const WindowRef one = os.AddDesktopWindow("Only one");
    os.AddDesktopWindow("");
    os.AddDesktopWindow("Child", true, false, true);
    os.AddDesktopWindow("Hidden", false);
    os.AddDesktopWindow("Program Manager");
    Refs w, remembered;
    size_t mark = 0;
    Unlock({"Sunrise", "MoonGate"}, [&](SimWindow& dialog) {
        EXPECT_TRUE(dialog.Caption() == "解除锁定" && os.Sheet()->IsVisible() && os.Sheet()->IsTopmost());
        EXPECT_TRUE(Held(&dialog) && Calls(What::Minimize) == Refs{one});
        dialog.Escape();
        dialog.Type(IDC_UNLOCK_PASSWORD, "");
        dialog.Click(kp::IDOK);  // nothing, not even a message
        dialog.Type(IDC_UNLOCK_PASSWORD, "密码");
        dialog.Enter();
        EXPECT_TRUE(os.MessageBoxes().empty() && !dialog.IsDestroyed());
    });
    Unlock({"MoonGate"});
    Unlock({"MoonGate"}, [&](SimWindow& dialog) {
        EXPECT_EQ(remembered, Calls(What::Restore, mark, true));
        EXPECT_TRUE(!os.Input().MouseHook() && os.Input().Clip() && dialog.IsTopmost());
    });
    for (int64_t at : {500, 5000, 28000}) os.At(at, [this] { SheetOf(os).OnCommand(ID_TRAY_LOCK, 0); });
    os.At(501, [&] {
        EXPECT_TRUE(os.TrayIcons().empty() && Calls(What::Restore) == Refs{one});
        EXPECT_EQ((Strings{"InstallMouseHook", "InstallTaskKeyHook", "ScreenSaver 1", "Clip", "ScreenSaver 1",
                           "ScreenSaver 0", "RemoveMouseHook", "RemoveTaskKeyHook", "ReleaseCapture", "Unclip"}),
                  os.Input().Log());
    });
    os.At(4000, [&] {
        SetMachine(os, "Options_g3", 2);
        os.CloseDesktopWindow(one);
        mark = os.Desktop().Calls().size();
        remembered.push_back(os.AddDesktopWindow("Program Manager 2"));  // the exact title only
        for (int i = 0; i < 300; ++i) w.push_back(os.AddDesktopWindow("Window " + std::to_string(i)));
        remembered.insert(remembered.end(), w.begin(), w.begin() + 254);
    });
    os.At(5001, [this] { EXPECT_EQ(1u, os.TrayIcons().size()); });
    os.At(24999, [this] { EXPECT_TRUE(os.Sheet()->IsVisible()); });
    os.At(25001, [&] {
        EXPECT_FALSE(os.Sheet()->IsVisible());
        EXPECT_EQ(remembered, Calls(What::Minimize, mark));
        EXPECT_EQ(remembered, Calls(What::Restore, mark, true));
        for (WindowRef window : w) os.Desktop().ShowMinimizedNoActivate(window);
        os.Desktop().ShowMinimizedNoActivate(remembered[0]);
        os.CloseDesktopWindow(w[1]);
        remembered.erase(remembered.begin() + 2);
        os.Input().RefuseMouseHook(true);
        mark = os.Desktop().Calls().size();
    });
    ExitAt(40000);
    Run();
    EXPECT_EQ(remembered, Calls(What::Minimize, mark));
    EXPECT_TRUE(os.Desktop().IsMinimized(w[0]) && Held(nullptr));
    EXPECT_TRUE(MessageBoxTexts(os, {"密码不正确"}));
}

// Setting the unlock password: the old one, then two equal entries whose digest fits its buffer, asked until they
// come; the hidden cancel ends it. A stored digest empty, too long or unreadable gives way to the default's.
// Without the machine key no old password is right.
TEST_F(Lock, PasswordChangesAfterTheOldAndTwoEqualNew) {
    // 'd' adds two digits, 'a' one: 64 'd' make 128, one too many for the buffer with its zero.
    const std::string tooLong(64, 'd'), longest = std::string(63, 'd') + "a";
    Answer({"Sunrise", "cancel", "MoonGate", "Secret1", "cancel", "MoonGate", "abc", "abd", "Secret1", "Secret1"});
    Answer({"Secret1", "", "密码", tooLong, longest, longest, "MoonGate", "Kestor"});
    for (int i = 0; i < 7; ++i) os.AnswerMessageBox(kp::IDOK);
    for (const Strings& passwords : {Strings{"MoonGate", "Secret1"}, {"Secret1", longest}, {longest, "MoonGate"},
                                     {"Secret1", "MoonGate"}, {"Secret1", "MoonGate"}})
        Unlock(passwords);
    const int set = ID_TRAY_SET_UNLOCK_PASSWORD, lock = ID_TRAY_LOCK;
    int64_t at = 1000;
    for (int command : {set, set, set, set, lock, set, lock, lock, lock, lock, set, set}) Tray(at += 1000, command);
    os.At(8500, [&] {
        const auto raw = os.Reg().GetRaw(HKLM, kMachine, "Options_h1");
        EXPECT_TRUE(raw && raw->type == kp::sim::REG_SZ && raw->bytes == kestor::PasswordDigest(longest));
        EXPECT_TRUE(Profile("Options_h2") == 1u && Machine("Options_h2") == 2u);
        EXPECT_EQ(longest, os.Reg().GetString(HKCU, kProfile, "Options_h1").value_or("-"));
        SetMachine(os, "Options_h1", "");
    });
    os.At(9500, [this] { SetMachine(os, "Options_h1", std::string(128, '1')); });
    os.At(10500, [this] { os.Reg().DeleteKey(HKLM, kMachine); });
    ExitAt(20000);
    Run();
    const char *const old = "输入旧密码", *const fresh = "输入新密码", *const again = "再输入一次";
    EXPECT_EQ((Strings{old, old, old, fresh, again, old, fresh, again, fresh, again, old, fresh, fresh, fresh, fresh,
                       again, old, old}),
              prompts);
    const char *const wrong = "密码不正确", *const unusable = "密码中至少要有一个英文字母、数字或符号，请重新输入";
    EXPECT_TRUE(MessageBoxTexts(os, {wrong, "密码输入有误，请重新输入", wrong, unusable, unusable, "密码太长，请重新输入",
                                     wrong, wrong, wrong, wrong, wrong, wrong}));
    EXPECT_TRUE(!os.Reg().HasKey(HKLM, kMachine) && Held(nullptr) && os.OpenModals().empty());
}

// Every printable character adds the digits of its column, other bytes nothing. Digests are stored: never change.
TEST(PasswordDigest, EachPrintableCharacterAddsItsColumn) {
    std::string bytes;
    for (int c = 1; c < 256; ++c) bytes += static_cast<char>(c);
    EXPECT_EQ("545634127296101437516342168125207311167910120111511081081395216951207118411119050110310682911041"
              "29370121110128107101289",
              kestor::PasswordDigest(bytes));
}

}  // namespace
