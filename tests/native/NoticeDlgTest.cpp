// The self-closing notice over the simulated platform: the countdown line second by second, the keys it
// ignores, the close with IDOK, the input lock of the system mode and what it leaves behind, reuse of one
// object for every showing, and other windows' timers while it is open.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/Messages.h"
#include "platform/Gbk.h"
#include "MainWindowStub.h"
#include "platform/sim/SimOs.h"
#include "resource.h"
#include "scheduler/NoticeDlg.h"

using kestor::CNoticeDlg;
using kp::sim::GbkToUtf8;
using kp::sim::SimOs;
using kp::sim::SimWindow;

namespace {

const char* const kPlainLine = "对话框将在%d秒后自动关闭.";
const char* const kRestLine = "系统将在%d秒后解除锁定.";
const char* const kShutdownLine = "系统将在%d秒后自动关闭.";

class Notice : public ::testing::Test {
protected:
    SimOs os;
    CNoticeDlg notice;
    MainWindowStub main;

    // Reads the countdown line half a second after each of the first `seconds` ticks of a notice opened
    // now (sample 0 is the line as opened); "closed" once the popup is gone.
    void SampleCountdown(int seconds) {
        auto lines = std::make_shared<std::vector<std::string>>();
        for (int k = 0; k < seconds; ++k)
            os.At(os.Now() + k * 1000 + 500, [this, lines] {
                SimWindow* w = os.Modal(IDD_NOTICE);
                lines->push_back(w ? GbkToUtf8(w->GetText(IDC_NOTICE_COUNTDOWN)) : "closed");
            });
        m_samples = lines;
    }
    std::vector<std::string> Samples() const { return *m_samples; }

    // What the line must read: N when opened and after the first second, then one less every second.
    static std::vector<std::string> Expected(const char* format, int n, int samples) {
        std::vector<std::string> lines;
        for (int k = 0; k < samples; ++k)
            lines.push_back(GbkToUtf8(kp::Format(format, k == 0 ? n : n - k + 1)));
        return lines;
    }

    // Shows the notice and checks that it closed with IDOK exactly N + 1 seconds after it opened, with 0 as
    // the last line it showed.
    ::testing::AssertionResult ShowAndExpectCloseAfter(int n, const char* format) {
        const int64_t opened = os.Now();
        const int result = notice.DoModal();
        const int64_t elapsed = os.Now() - opened;
        if (result != kp::IDOK) return ::testing::AssertionFailure() << "result " << result;
        if (elapsed != (n + 1) * 1000LL) return ::testing::AssertionFailure() << "closed after " << elapsed << " ms";
        const std::string last = os.Window(notice)->GetText(IDC_NOTICE_COUNTDOWN);
        if (last != kp::Format(format, 0))
            return ::testing::AssertionFailure() << "last line " << GbkToUtf8(last);
        return ::testing::AssertionSuccess();
    }

private:
    std::shared_ptr<std::vector<std::string>> m_samples;
};

TEST_F(Notice, PlainNoticeCountsDownIgnoresOkEnterAndEscapeAndClosesAfterSixteenSecondsEveryTime) {
    for (int showing = 0; showing < 2; ++showing) {
        SCOPED_TRACE(showing == 0 ? "first showing" : "second showing");
        notice.m_strMessage = showing == 0 ? "现在是10点整" : "现在是11点整";
        notice.m_nSeconds = 15;
        const int64_t opened = os.Now();
        SampleCountdown(16);
        os.At(opened + 100, [this] {
            SimWindow* w = os.Modal(IDD_NOTICE);
            ASSERT_NE(nullptr, w);
            EXPECT_EQ("提示信息...", w->Caption());
            EXPECT_EQ(notice.m_strMessage, w->GetText(IDC_NOTICE_MESSAGE));
            EXPECT_TRUE(w->IsControlVisible(kp::IDOK));
            EXPECT_TRUE(w->IsForeground());
            EXPECT_TRUE(w->IsTopmost()) << "the notice is system modal, and so topmost, locked or not";
        });
        os.At(opened + 3200, [this] { os.Modal(IDD_NOTICE)->Click(kp::IDOK); });
        os.At(opened + 4200, [this] { os.Modal(IDD_NOTICE)->Enter(); });
        os.At(opened + 5200, [this] { os.Modal(IDD_NOTICE)->Escape(); });
        os.At(opened + 15900, [this] { EXPECT_FALSE(os.Modal(IDD_NOTICE)->Result().has_value()); });

        EXPECT_TRUE(ShowAndExpectCloseAfter(15, kPlainLine));
        EXPECT_EQ(Expected(kPlainLine, 15, 16), Samples());
        EXPECT_EQ(1, notice.m_bTimeUp);
        EXPECT_EQ(0u, os.Input().MouseHook());
    }
    EXPECT_TRUE(os.Input().Log().empty()) << "a plain notice takes no lock";
}

TEST_F(Notice, ClickOnThePopupCountsAsUserActivity) {
    notice.m_nSeconds = 3;
    os.At(os.Now() + 1500, [this] { os.Modal(IDD_NOTICE)->LButtonDown(); });
    os.At(os.Now() + 2500, [this] { os.Modal(IDD_NOTICE)->LButtonDown(true); });
    EXPECT_EQ(kp::IDOK, notice.DoModal());
    EXPECT_EQ(std::vector<unsigned>{kestor::WM_USER_ACTIVITY}, main.messages) << "a double click does not count";
}

TEST_F(Notice, RestLockHoldsTheInputForItsWholeCountdownAndGivesEverythingBack) {
    notice.m_strMessage = "休息时间到了";
    notice.m_bSystemMode = 1;
    notice.m_bLock = 1;
    notice.m_bClipCursor = 1;
    notice.m_nSeconds = 300;
    notice.m_strCountdown = kp::Format(kRestLine, 300);
    const int64_t opened = os.Now();
    SampleCountdown(301);
    for (int64_t at : {opened + 500, opened + 300500}) {
        os.At(at, [this] {
            SimWindow* w = os.Modal(IDD_NOTICE);
            ASSERT_NE(nullptr, w);
            EXPECT_NE(0u, os.Input().MouseHook()) << "the mouse is swallowed";
            EXPECT_TRUE(os.Input().ScreenSaverRunning());
            ASSERT_TRUE(os.Input().Clip().has_value());
            EXPECT_EQ(w->GetWindowRect(), *os.Input().Clip());
            EXPECT_TRUE(w->IsTopmost());
            EXPECT_FALSE(w->IsControlVisible(kp::IDOK));
            EXPECT_THROW(w->Click(kp::IDOK), kp::sim::SimError) << "a hidden button cannot be clicked";
            w->Enter();
            w->Escape();
        });
    }

    EXPECT_TRUE(ShowAndExpectCloseAfter(300, kRestLine));
    const std::vector<std::string> lines = Samples();
    EXPECT_EQ(Expected(kRestLine, 300, 301), lines);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(GbkToUtf8("系统将在300秒后解除锁定."), lines[1]) << "the line after the first second, with its full stop";

    EXPECT_EQ(0u, os.Input().MouseHook());
    EXPECT_EQ(0u, os.Input().TaskKeyHook());
    EXPECT_FALSE(os.Input().ScreenSaverRunning());
    EXPECT_FALSE(os.Input().Clip().has_value());
    EXPECT_EQ(1, os.Input().ReleaseCaptures());
    EXPECT_EQ(0, os.Input().BadRemovals());
    EXPECT_EQ(0, notice.m_bSystemMode);
    EXPECT_EQ(0, notice.m_bLock);
    EXPECT_EQ(1, notice.m_bClipCursor) << "kept for the next showing";
}

TEST_F(Notice, EndOfDayWarningLocksWithoutConfiningTheCursor) {
    notice.m_bSystemMode = 1;
    notice.m_bLock = 1;
    notice.m_nSeconds = 120;
    notice.m_strCountdown = kp::Format(kShutdownLine, 120);
    SampleCountdown(3);
    os.At(os.Now() + 60000, [this] {
        EXPECT_NE(0u, os.Input().MouseHook());
        EXPECT_FALSE(os.Input().Clip().has_value());
        EXPECT_TRUE(os.Modal(IDD_NOTICE)->IsTopmost());
    });
    EXPECT_TRUE(ShowAndExpectCloseAfter(120, kShutdownLine));
    EXPECT_EQ(Expected(kShutdownLine, 120, 3), Samples());
    EXPECT_EQ(0u, os.Input().MouseHook());
    EXPECT_FALSE(os.Input().ScreenSaverRunning());
}

// A window of its own with a one-second timer, like the page that owns the notice.
class TickingWindow : public kp::Dialog {
public:
    explicit TickingWindow(SimOs& os) : Dialog(IDD_TIMESET), m_os(os) {}
    bool OnInitDialog() override {
        SetTimer(7, 1000);
        return true;
    }
    void OnTimer(unsigned id) override {
        if (id == 7 && m_os.Modal(IDD_NOTICE)) ++ticksWhileNoticeOpen;
    }
    int ticksWhileNoticeOpen = 0;

private:
    SimOs& m_os;
};

TEST_F(Notice, OwnersTimersKeepFiringWhileTheNoticeIsOpen) {
    TickingWindow page(os);
    os.Create(page);
    notice.m_nSeconds = 15;
    EXPECT_EQ(kp::IDOK, notice.DoModal());
    EXPECT_GE(page.ticksWhileNoticeOpen, 15);
    os.Destroy(page);
}

}  // namespace
