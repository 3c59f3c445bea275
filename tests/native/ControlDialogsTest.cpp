// The new-user-limit dialog over the simulated platform: its first state, the order of its checks and
// their messages, the rest field's steps of five, and what it hands to the page. The up-down arrows and
// the platform's field checks it relies on are covered here too.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ControlTestUtil.h"
#include "MainWindowStub.h"
#include "SimTestUtil.h"
#include "platform/DataExchange.h"
#include "platform/sim/SimOs.h"
#include "resource.h"
#include "app/Messages.h"
#include "usercontrol/AdminSettingsDlg.h"
#include "usercontrol/NewUserLimitDlg.h"

namespace {

using kestor::CNewUserLimitDlg;
using kestor::test::TodayAt;
using kp::sim::SimOs;
using kp::sim::SimWindow;
using kp::sim::test::MessageBoxTexts;

const char* const kRestRange = "请输入一个介于 5 和 60 之间的整数。";
const char* const kNotBefore = "你设置的使用时间段不被接受,开始时间应小于结束时间";
const char* const kShortWindow = "你设置的使用时间段差额小于可使用时间,是否重新设置";

class NewLimitDialog : public ::testing::Test {
protected:
    SimOs sim;
    MainWindowStub main;
    CNewUserLimitDlg dlg;

    void SetUp() override { sim.System().SetUserName(std::string("tom")); }

    int Run(std::function<void(SimWindow&)> fn) {
        sim.OnModal(IDD_NEWUSERLIMIT, std::move(fn));
        return dlg.DoModal();
    }
    // Both limits on, with these hours and this window, then OK.
    static void Window(SimWindow& w, int hours, kp::SysTime start, kp::SysTime end, bool continuous = true) {
        if (continuous) {
            w.Click(IDC_LIMIT_CONTINUOUS);
            w.Type(IDC_LIMIT_HOURS, std::to_string(hours));
        }
        w.Click(IDC_LIMIT_WINDOW);
        w.PickDateTime(IDC_LIMIT_START, start);
        w.PickDateTime(IDC_LIMIT_END, end);
        w.Click(kp::IDOK);
    }
};

TEST_F(NewLimitDialog, OpensWithTheLoggedOnUserAndEveryLimitOffEachTime) {
    for (int showing = 0; showing < 2; ++showing) {
        SCOPED_TRACE(showing);
        EXPECT_EQ(kp::IDCANCEL, Run([](SimWindow& w) {
            EXPECT_EQ("tom", w.GetText(IDC_LIMIT_USER));
            EXPECT_EQ(0, w.GetCheck(IDC_LIMIT_CONTINUOUS));
            EXPECT_EQ(0, w.GetCheck(IDC_LIMIT_WINDOW));
            EXPECT_EQ("1", w.GetText(IDC_LIMIT_HOURS));
            EXPECT_EQ("5", w.GetText(IDC_LIMIT_REST));
            for (int id : {IDC_LIMIT_HOURS, IDC_LIMIT_REST, IDC_LIMIT_REST_SPIN, IDC_LIMIT_START, IDC_LIMIT_END})
                EXPECT_FALSE(w.IsControlEnabled(id)) << id;
            for (int id : {IDC_LIMIT_START, IDC_LIMIT_END})
                EXPECT_EQ("HH:mm", w.DateTimeOf(id).Format().value_or("")) << id;
            EXPECT_EQ(9, w.DateTimeOf(IDC_LIMIT_START).GetTime().wHour);
            EXPECT_EQ(0, w.DateTimeOf(IDC_LIMIT_START).GetTime().wMinute);
            EXPECT_EQ(22, w.DateTimeOf(IDC_LIMIT_END).GetTime().wHour);
            EXPECT_EQ(5, w.UpDownOf(IDC_LIMIT_REST_SPIN).Lower());
            EXPECT_EQ(60, w.UpDownOf(IDC_LIMIT_REST_SPIN).Upper());
            // What the last showing entered is gone.
            w.Type(IDC_LIMIT_USER, "someone");
            w.Click(IDC_LIMIT_CONTINUOUS);
            w.Click(IDC_LIMIT_CONTINUOUS);
            w.Click(IDC_LIMIT_WINDOW);
            EXPECT_TRUE(w.IsControlEnabled(IDC_LIMIT_START));
            EXPECT_FALSE(w.IsControlEnabled(IDC_LIMIT_HOURS));
            w.Escape();
        }));
    }
}

TEST_F(NewLimitDialog, ChecksRunInOrderAndEachRefusalKeepsTheDialogOpen) {
    sim.AnswerMessageBox(kp::IDOK);
    sim.AnswerMessageBox(kp::IDOK);
    EXPECT_EQ(kp::IDOK, Run([](SimWindow& w) {
        w.Type(IDC_LIMIT_USER, "");
        w.Click(kp::IDOK);
        w.Type(IDC_LIMIT_USER, "tom");
        w.Click(kp::IDOK);
        EXPECT_FALSE(w.Result().has_value());
        w.Click(IDC_LIMIT_CONTINUOUS);
        w.Type(IDC_LIMIT_HOURS, "3");
        w.Click(kp::IDOK);  // continuous only: accepted
    }));
    EXPECT_TRUE(MessageBoxTexts(sim, {"用户名不能为空", "你未添加任何限制,请设置对该用户的限制"}));
    EXPECT_EQ(1, dlg.m_bContinuous);
    EXPECT_EQ(0, dlg.m_bWindow);
    EXPECT_EQ(3, dlg.m_nHours);
    EXPECT_EQ(5, dlg.m_nRestMinutes);
}

TEST_F(NewLimitDialog, FieldChecksOfThePlatformComeFirst) {
    sim.AnswerMessageBox(kp::IDOK);
    sim.AnswerMessageBox(kp::IDOK);
    sim.AnswerMessageBox(kp::IDOK);
    EXPECT_EQ(kp::IDCANCEL, Run([](SimWindow& w) {
        w.Type(IDC_LIMIT_USER, "abcdefghijklmnopqrstu");  // 21 characters
        w.Click(kp::IDOK);
        w.Type(IDC_LIMIT_USER, "一二三四五六七八九十一二三四五六七八九十");  // 20 double-byte characters
        w.Click(IDC_LIMIT_CONTINUOUS);
        w.Type(IDC_LIMIT_HOURS, "6");
        w.Click(kp::IDOK);
        w.Type(IDC_LIMIT_HOURS, "x");
        w.Click(kp::IDOK);
        EXPECT_EQ(IDC_LIMIT_HOURS, w.Focus());
        w.Escape();
    }));
    EXPECT_TRUE(MessageBoxTexts(sim, {"请输入不多于 20 个字符。", "请输入一个介于 1 和 5 之间的整数。", "请输入一个整数。"}));
}

TEST_F(NewLimitDialog, WindowIsJudgedInWholeHoursAgainstTheContinuousHours) {
    // 09:30 to 10:00 is one whole hour apart: enough for 1 hour.
    EXPECT_EQ(kp::IDOK, Run([](SimWindow& w) { Window(w, 1, TodayAt(9, 30), TodayAt(10, 0)); }));
    EXPECT_EQ(9, dlg.m_startTime.wHour);
    EXPECT_EQ(30, dlg.m_startTime.wMinute);
    EXPECT_EQ(10, dlg.m_endTime.wHour);

    // 09:00 to 09:59 does not start before its end; then 09:00 to 11:00 for 3 hours asks, and No keeps it.
    sim.AnswerMessageBox(kp::IDOK);
    sim.AnswerMessageBox(kp::IDOK);
    sim.AnswerMessageBox(kp::IDYES);
    sim.AnswerMessageBox(kp::IDNO);
    EXPECT_EQ(kp::IDOK, Run([](SimWindow& w) {
        Window(w, 1, TodayAt(9, 0), TodayAt(9, 59));
        w.Click(kp::IDOK);  // still 09:00 to 09:59
        EXPECT_FALSE(w.Result().has_value());
        w.Type(IDC_LIMIT_HOURS, "3");
        w.PickDateTime(IDC_LIMIT_END, TodayAt(11, 0));
        w.Click(kp::IDOK);  // Yes: set it again
        EXPECT_FALSE(w.Result().has_value());
        w.Click(kp::IDOK);  // No: as entered
    }));
    EXPECT_TRUE(MessageBoxTexts(sim, {kNotBefore, kNotBefore, kShortWindow, kShortWindow}));
    EXPECT_EQ(3, dlg.m_nHours);
    EXPECT_EQ(11, dlg.m_endTime.wHour);
}

TEST_F(NewLimitDialog, WindowOnlyStillComparesTheUntouchedHours) {
    sim.AnswerMessageBox(kp::IDNO);
    EXPECT_EQ(kp::IDOK, Run([](SimWindow& w) {
        // With the continuous box off its hours field (1) still counts; 2 hours are enough.
        Window(w, 0, TodayAt(9, 0), TodayAt(11, 0), false);
    }));
    EXPECT_TRUE(MessageBoxTexts(sim, {}));
    EXPECT_EQ(0, dlg.m_bContinuous);
    EXPECT_EQ(1, dlg.m_bWindow);
}

TEST_F(NewLimitDialog, RestFieldMovesInStepsOfFive) {
    sim.AnswerMessageBox(kp::IDOK);
    EXPECT_EQ(kp::IDCANCEL, Run([](SimWindow& w) {
        w.Click(IDC_LIMIT_CONTINUOUS);
        const struct {
            const char* typed;
            const char* shown;
        } cases[] = {{"11", "15"}, {"14", "10"}, {"7", "7"}, {"56", "60"}, {"59", "55"}, {"1", "5"}};
        for (const auto& c : cases) {
            w.Type(IDC_LIMIT_REST, c.typed);
            EXPECT_EQ(c.shown, w.GetText(IDC_LIMIT_REST)) << c.typed;
        }
        w.Type(IDC_LIMIT_REST, "5");
        const char* up[] = {"10", "15", "20"};
        for (const char* shown : up) {
            w.ClickUpDown(IDC_LIMIT_REST_SPIN, +1);
            EXPECT_EQ(shown, w.GetText(IDC_LIMIT_REST));
        }
        const char* down[] = {"15", "10", "5", "5"};
        for (const char* shown : down) {
            w.ClickUpDown(IDC_LIMIT_REST_SPIN, -1);
            EXPECT_EQ(shown, w.GetText(IDC_LIMIT_REST));
        }
        w.Escape();
    }));
    // Only the single digit 1 was out of range; it was answered at once.
    EXPECT_TRUE(MessageBoxTexts(sim, {kRestRange}));
}

// ---------------------------------------------------------------- the platform pieces the dialog uses

// The sheet must not hide while the administrator fills in these dialogs: a click on their background
// counts as activity, a double click does not.
TEST(ControlDialogs, BackgroundClicksCountAsActivity) {
    SimOs sim;
    MainWindowStub main;
    CNewUserLimitDlg limit;
    kestor::CAdminSettingsDlg admin;
    for (kp::Dialog* dialog : {static_cast<kp::Dialog*>(&limit), static_cast<kp::Dialog*>(&admin)}) {
        main.messages.clear();
        sim.OnModal(dialog->TemplateId(), [](SimWindow& w) {
            w.LButtonDown();
            w.LButtonDown(true);
            w.Click(kp::IDCANCEL);
        });
        dialog->DoModal();
        EXPECT_EQ(std::vector<unsigned>{kestor::WM_USER_ACTIVITY}, main.messages) << dialog->TemplateId();
    }
}

TEST(SimUpDown, ArrowsStartFromTheBuddysNumberStopAtTheEndsAndNeedAnEnabledBuddy) {
    SimOs sim;
    MainWindowStub main;
    CNewUserLimitDlg dlg;
    sim.OnModal(IDD_NEWUSERLIMIT, [&sim](SimWindow& w) {
        EXPECT_TRUE(kp::sim::test::Throws<kp::sim::SimError>([&] { w.ClickUpDown(IDC_LIMIT_REST_SPIN, 1); }));
        w.Click(IDC_LIMIT_CONTINUOUS);
        kp::sim::SimUpDown& spin = w.UpDownOf(IDC_LIMIT_REST_SPIN);
        w.Type(IDC_LIMIT_REST, "60");
        w.ClickUpDown(IDC_LIMIT_REST_SPIN, +1);
        EXPECT_EQ("60", w.GetText(IDC_LIMIT_REST)) << "no wrap past the top";
        EXPECT_EQ(60, spin.GetPos());
        // A text the up-down cannot take (out of range) leaves its own position as it was.
        sim.AnswerMessageBox(kp::IDOK);  // 2 is out of range
        w.Type(IDC_LIMIT_REST, "2");
        w.ClickUpDown(IDC_LIMIT_REST_SPIN, -1);
        EXPECT_EQ("55", w.GetText(IDC_LIMIT_REST));
        EXPECT_TRUE(kp::sim::test::Throws<kp::sim::SimError>([&] { w.ClickUpDown(IDC_LIMIT_REST, 1); }));
        w.Escape();
    });
    EXPECT_EQ(kp::IDCANCEL, dlg.DoModal());
}

}  // namespace
