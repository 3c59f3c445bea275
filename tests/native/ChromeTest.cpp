// The shared chrome over the simulated platform: the link static's targets and modes, the bitmap static's
// loading and reloading, and the about box with its start-up sound, opened from every place that opens it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Messages.h"
#include "app/TovrelApp.h"
#include "app/TovrelDlg.h"
#include "controls/AboutDlg.h"
#include "controls/BitmapStatic.h"
#include "controls/LinkStatic.h"
#include "MainWindowStub.h"
#include "platform/sim/SimOs.h"
#include "resource.h"

using kestor::CAboutDlg;
using kestor::CBitmapStatic;
using kestor::CLinkStatic;
using kp::sim::SimOs;
using kp::sim::SimWindow;

namespace {

const char* const kSound = "C:\\WINDOWS\\Media\\The Microsoft Sound.wav";

TEST(LinkTarget, EmailTextBecomesMailtoAndEverythingElseIsOpenedAsItStands) {
    EXPECT_EQ("mailto:kestor@example.com", CLinkStatic::ShellTarget("email:kestor@example.com"));
    EXPECT_EQ("mailto:kestor@example.com", CLinkStatic::ShellTarget("kestor@example.com"));
    EXPECT_EQ("http://www.example.com/", CLinkStatic::ShellTarget("http://www.example.com/"));
    EXPECT_EQ("@example.com", CLinkStatic::ShellTarget("@example.com")) << "begins with @";
    EXPECT_EQ("", CLinkStatic::ShellTarget(""));
    // "丂" is 0x81 0x40 in GBK: its second byte is the value of "@" but no "@" is in the text.
    EXPECT_EQ("丂:说明", CLinkStatic::ShellTarget("丂:说明"));
    EXPECT_EQ("mailto:老王@example.com", CLinkStatic::ShellTarget("邮件:老王@example.com"))
        << "the colon is searched after whole characters too";
}

// A dialog of the test's own with an e-mail link, an about link, a colour-only note and a banner.
constexpr int kTestDialog = 9400;
constexpr int kMailLink = 10, kAboutLink = 11, kNote = 12, kBanner = 13;

class ChromeDialog : public kp::Dialog {
public:
    ChromeDialog() : Dialog(kTestDialog) {
        mail.EnableLink();
        about.EnableLink();
        about.SetAboutMode();
    }
    bool OnInitDialog() override {
        mail.Subclass(*this, kMailLink);
        about.Subclass(*this, kAboutLink);
        note.Subclass(*this, kNote);
        banner.Subclass(*this, kBanner);
        return true;
    }
    bool OnCommand(int id, int code) override {
        return mail.OnCommand(id, code) || about.OnCommand(id, code) || note.OnCommand(id, code) ||
               Dialog::OnCommand(id, code);
    }
    void OnSysColorChange() override { banner.OnSysColorChange(); }

    CLinkStatic mail, about, note;
    CBitmapStatic banner;
};

class Chrome : public ::testing::Test {
protected:
    SimOs os;
    MainWindowStub main;
    ChromeDialog dlg;

    void SetUp() override {
        kp::sim::DialogDef def;
        def.id = kTestDialog;
        def.caption = "chrome";
        auto add = [&](int id, const char* text, bool notify) {
            kp::sim::ControlDef c;
            c.id = id;
            c.kind = kp::sim::ControlKind::Static;
            c.text = text;
            c.notify = notify;
            def.controls.push_back(c);
        };
        add(kMailLink, "email:kestor@example.com", true);
        add(kAboutLink, "关于：Kestor", true);
        add(kNote, "注意：只显示颜色", false);
        add(kBanner, "", false);
        os.Resources().AddDialog(def);
    }
};

TEST_F(Chrome, LinksOpenTheirTargetOrAskForTheAboutBoxAndColourOnlyNotesIgnoreClicks) {
    SimWindow& w = os.Create(dlg);
    EXPECT_TRUE(w.Control(kMailLink).link && w.Control(kMailLink).linkEnabled);
    EXPECT_TRUE(w.Control(kNote).link) << "every instance gets the link colour";
    EXPECT_FALSE(w.Control(kNote).linkEnabled);

    w.Click(kMailLink);
    EXPECT_EQ(std::vector<std::string>{"mailto:kestor@example.com"}, os.Shell().Opened());
    EXPECT_EQ("email:kestor@example.com", dlg.mail.Target());

    // A failing shell is not reported: no message box, the dialog goes on.
    os.Shell().SetOpenResult(false);
    w.SetText(kMailLink, "http://www.example.com/");
    w.Click(kMailLink);
    EXPECT_EQ("http://www.example.com/", os.Shell().Opened().back()) << "the text as it is at the click";
    EXPECT_TRUE(os.MessageBoxes().empty());

    w.Click(kAboutLink);
    EXPECT_EQ(std::vector<unsigned>{kestor::WM_SHOW_ABOUT}, main.messages);
    EXPECT_EQ(2u, os.Shell().Opened().size()) << "about mode opens nothing";

    w.Click(kNote);
    EXPECT_EQ(2u, os.Shell().Opened().size());
    EXPECT_EQ(1u, main.messages.size());
    os.Destroy(dlg);
}

TEST_F(Chrome, BitmapStaticKeepsItsBitmapOnAFailedLoadAndReloadsOnAColourChange) {
    SimWindow& w = os.Create(dlg);
    EXPECT_FALSE(dlg.banner.Reload()) << "nothing loaded yet";
    EXPECT_FALSE(w.Control(kBanner).bitmap.has_value());

    EXPECT_TRUE(dlg.banner.LoadBitmap(IDB_BANNER_WIN98));
    EXPECT_EQ(IDB_BANNER_WIN98, w.Control(kBanner).bitmap.value_or(0));

    EXPECT_FALSE(dlg.banner.LoadBitmap(4242)) << "no such bitmap";
    EXPECT_EQ(IDB_BANNER_WIN98, w.Control(kBanner).bitmap.value_or(0));
    EXPECT_EQ(IDB_BANNER_WIN98, dlg.banner.ResourceId()) << "what is shown is what a colour change reloads";

    EXPECT_TRUE(dlg.banner.LoadBitmap(std::string("#157")));
    EXPECT_EQ(IDB_BANNER_WIN95, w.Control(kBanner).bitmap.value_or(0));
    EXPECT_EQ(-1, dlg.banner.ResourceId());
    EXPECT_EQ("#157", dlg.banner.ResourceName());
    EXPECT_FALSE(dlg.banner.LoadBitmap(std::string("BANNER"))) << "the program's bitmaps are numbered";
    EXPECT_FALSE(dlg.banner.LoadBitmap(std::string("#99999")));
    EXPECT_EQ(IDB_BANNER_WIN95, w.Control(kBanner).bitmap.value_or(0));

    EXPECT_TRUE(dlg.banner.LoadBitmap(IDB_BANNER_WINME | 0x30000)) << "only the low 16 bits name the resource";
    EXPECT_EQ(IDB_BANNER_WINME, w.Control(kBanner).bitmap.value_or(0));
    dlg.OnSysColorChange();
    EXPECT_EQ(IDB_BANNER_WINME, w.Control(kBanner).bitmap.value_or(0));
    os.Destroy(dlg);
}

class AboutBox : public ::testing::Test {
protected:
    SimOs os;
    std::vector<int64_t> opened;

    // Expects an about box to be opened; checks what it shows and closes it with OK after `stayMs`.
    void ExpectAboutBox(int64_t stayMs = 2000) {
        os.OnModal(IDD_ABOUTBOX, [this, stayMs](SimWindow& w) {
            opened.push_back(os.Now());
            EXPECT_EQ("关于 Tovrel", w.Caption());
            const std::string email = w.GetText(IDC_ABOUT_EMAIL);
            EXPECT_EQ(0u, email.rfind("email:", 0)) << kp::sim::GbkToUtf8(email);
            EXPECT_NE(std::string::npos, email.find("@example.com"));
            EXPECT_TRUE(w.Control(IDC_ABOUT_EMAIL).linkEnabled);
            EXPECT_FALSE(w.IsControlVisible(IDC_ABOUT_SOUND));
            os.After(stayMs, [&w] { w.Click(kp::IDOK); });
        });
    }
    std::vector<int64_t> SoundTimes() {
        std::vector<int64_t> times;
        for (const auto& play : os.Sound().Plays()) times.push_back(play.at);
        return times;
    }
};

TEST_F(AboutBox, PlaysTheStartUpSoundHalfASecondAfterEachOpeningWhenTheFileExists) {
    os.Files().Put(kSound, "RIFF");
    for (int i = 0; i < 2; ++i) {
        ExpectAboutBox();
        CAboutDlg about;
        EXPECT_EQ(kp::IDOK, about.DoModal());
    }
    ASSERT_EQ(2u, opened.size());
    EXPECT_EQ((std::vector<int64_t>{opened[0] + 500, opened[1] + 500}), SoundTimes());
    EXPECT_EQ(kSound, os.Sound().Plays()[0].path);

    // Closed before the half second is up: no sound.
    ExpectAboutBox(300);
    CAboutDlg early;
    early.DoModal();
    EXPECT_EQ(2u, os.Sound().Plays().size());
}

TEST_F(AboutBox, IsSilentWithoutTheSoundFileAndTheWindowsDirectoryIsAsked) {
    os.System().SetWindowsDirectory("D:\\WINNT");
    os.Files().Put(kSound, "RIFF");  // in another Windows directory
    ExpectAboutBox();
    CAboutDlg about;
    about.DoModal();
    EXPECT_TRUE(os.Sound().Plays().empty());

    os.Files().Put("D:\\WINNT\\Media\\The Microsoft Sound.wav", "RIFF");
    ExpectAboutBox();
    about.DoModal();
    ASSERT_EQ(1u, os.Sound().Plays().size());
    EXPECT_EQ("D:\\WINNT\\Media\\The Microsoft Sound.wav", os.Sound().Plays()[0].path);
}

TEST_F(AboutBox, EmailLinkWritesAMailAndTheHiddenButtonPlaysTheSound) {
    os.Files().Put(kSound, "RIFF");
    os.OnModal(IDD_ABOUTBOX, [this](SimWindow& w) {
        w.Click(IDC_ABOUT_EMAIL);
        // The hidden button cannot be clicked by the user; its command still plays the sound.
        w.Object()->OnCommand(IDC_ABOUT_SOUND, kp::BN_CLICKED);
        EXPECT_EQ(1u, os.Sound().Plays().size());
        w.Click(kp::IDOK);
    }, 100);
    CAboutDlg about;
    about.DoModal();
    ASSERT_EQ(1u, os.Shell().Opened().size());
    EXPECT_EQ(0u, os.Shell().Opened()[0].rfind("mailto:", 0));
    EXPECT_NE(std::string::npos, os.Shell().Opened()[0].find("@example.com"));
}

TEST_F(AboutBox, OpensFromTheTrayMenuTheSystemMenuAndTheMessageAndClicksOnItPostponeHiding) {
    os.Files().Put(kSound, "RIFF");
    for (int i = 0; i < 3; ++i) ExpectAboutBox();
    // Tray "关于..." at 5 s, while the sheet lives hidden.
    os.ChooseMenuItem(ID_TRAY_ABOUT, 200);
    os.At(5000, [this] { os.PostTray(kp::WM_RBUTTONDOWN); });
    // Shown at 9 s (hides at 29 s unless the user is active); its system menu at 10 s; a click on the about
    // box at 11 s restarts the auto-hide with 30 s.
    os.At(9000, [this] { os.PostTray(kp::WM_LBUTTONDBLCLK); });
    os.At(10000, [this] { os.SysCommand(IDM_ABOUTBOX); });
    os.At(11000, [this] { os.Modal(IDD_ABOUTBOX)->LButtonDown(); });
    os.At(35000, [this] { EXPECT_TRUE(os.Sheet()->IsVisible()) << "26 s after showing, 24 s after the click"; });
    os.At(41001, [this] { EXPECT_FALSE(os.Sheet()->IsVisible()); });
    // The message, as the information page's link sends it, at 45 s.
    os.At(45000, [this] { kp::TheOs().ui->PostMessage(*os.Sheet()->Object(), kestor::WM_SHOW_ABOUT, 0, 0); });
    os.ChooseMenuItem(ID_TRAY_EXIT, 200);
    os.At(60000, [this] { os.PostTray(kp::WM_RBUTTONDOWN); });
    kestor::RunKestor();

    EXPECT_EQ((std::vector<int64_t>{5200, 10000, 45000}), opened);
    EXPECT_EQ((std::vector<int64_t>{5700, 10500, 45500}), SoundTimes());
    EXPECT_EQ(18, os.QuitCode().value_or(-1));
}

}  // namespace
