// The new-reminder dialog over the simulated platform: the time it proposes across an hour and a year end,
// the year line, the default message that clears itself and comes back, and what OK and Cancel return.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/sim/SimOs.h"
#include "resource.h"
#include "scheduler/NewReminderDlg.h"

using kestor::CNewReminderDlg;
using kp::sim::GbkToUtf8;
using kp::sim::SimOs;
using kp::sim::SimWindow;

namespace {

const char* const kDefault = "备忘记事:时间到!";

kp::SysTime At(int year, int month, int day, int hour, int minute, int second) {
    auto u16 = [](int v) { return static_cast<uint16_t>(v); };
    return kp::SysTime{u16(year), u16(month), 0, u16(day), u16(hour), u16(minute), u16(second), 0};
}

::testing::AssertionResult SameMinute(const kp::SysTime& want, const kp::SysTime& got) {
    if (want.wYear == got.wYear && want.wMonth == got.wMonth && want.wDay == got.wDay && want.wHour == got.wHour &&
        want.wMinute == got.wMinute && got.wSecond == 0 && got.wMilliseconds == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << got.wYear << "-" << got.wMonth << "-" << got.wDay << " "
                                         << got.wHour << ":" << got.wMinute << ":" << got.wSecond << "."
                                         << got.wMilliseconds;
}

class NewReminder : public ::testing::Test {
protected:
    SimOs os;
    CNewReminderDlg dlg;

    // Opens the dialog with the local clock at `now`, runs `user` in it, and returns the dialog's result.
    int Open(const kp::SysTime& now, std::function<void(SimWindow&)> user) {
        os.SetLocalTime(now);
        os.OnModal(IDD_NEWREMINDER, std::move(user));
        return dlg.DoModal();
    }
};

struct Proposal {
    kp::SysTime now;
    kp::SysTime proposed;
    const char* yearLine;
};

class NewReminderProposal : public NewReminder, public ::testing::WithParamInterface<Proposal> {};

TEST_P(NewReminderProposal, ProposesTwoMinutesFromNowOnTheMinuteWithThatDaysYear) {
    const Proposal& p = GetParam();
    const int result = Open(p.now, [&](SimWindow& w) {
        EXPECT_EQ("新建提示...", w.Caption());
        EXPECT_EQ("MM月dd日HH点mm分", w.DateTimeOf(IDC_REMINDER_TIME).Format().value_or("(none)"));
        EXPECT_TRUE(SameMinute(p.proposed, w.DateTimeOf(IDC_REMINDER_TIME).GetTime()));
        EXPECT_EQ(p.yearLine, w.GetText(IDC_REMINDER_YEAR));
        EXPECT_EQ(kDefault, w.GetText(IDC_REMINDER_MESSAGE));
        w.Click(kp::IDOK);
    });
    EXPECT_EQ(kp::IDOK, result);
    EXPECT_TRUE(SameMinute(p.proposed, dlg.m_time));
    EXPECT_EQ(kDefault, dlg.m_strMessage);
}

INSTANTIATE_TEST_SUITE_P(
    Clock, NewReminderProposal,
    ::testing::Values(Proposal{At(2026, 5, 5, 10, 58, 40), At(2026, 5, 5, 11, 0, 0), "2026 年"},
                      Proposal{At(2026, 5, 5, 23, 59, 0), At(2026, 5, 6, 0, 1, 0), "2026 年"},
                      Proposal{At(2026, 12, 31, 23, 59, 59), At(2027, 1, 1, 0, 1, 0), "2027 年"},
                      Proposal{At(2028, 2, 28, 23, 58, 30), At(2028, 2, 29, 0, 0, 0), "2028 年"}));

TEST_F(NewReminder, DefaultMessageClearsOnEntryAndComesBackWhenLeftEmpty) {
    const int result = Open(At(2026, 5, 5, 9, 0, 0), [](SimWindow& w) {
        w.FocusControl(IDC_REMINDER_MESSAGE);
        EXPECT_EQ("", w.GetText(IDC_REMINDER_MESSAGE)) << "entering the field clears the default";
        w.FocusControl(IDC_REMINDER_TIME);
        EXPECT_EQ(kDefault, w.GetText(IDC_REMINDER_MESSAGE)) << "left empty, the default comes back";

        // A text of the user's own stays when the field is left and entered again.
        w.Type(IDC_REMINDER_MESSAGE, "交报告");
        w.FocusControl(IDC_REMINDER_TIME);
        w.FocusControl(IDC_REMINDER_MESSAGE);
        EXPECT_EQ("交报告", w.GetText(IDC_REMINDER_MESSAGE));

        // The user's text equal to the default is taken for the default on the next entry.
        w.Type(IDC_REMINDER_MESSAGE, kDefault);
        w.FocusControl(IDC_REMINDER_TIME);
        w.FocusControl(IDC_REMINDER_MESSAGE);
        EXPECT_EQ("", w.GetText(IDC_REMINDER_MESSAGE));

        // A click on the dialog's surface takes the focus out of the field.
        w.LButtonDown();
        EXPECT_NE(IDC_REMINDER_MESSAGE, w.Focus());
        EXPECT_EQ(kDefault, w.GetText(IDC_REMINDER_MESSAGE));
        w.Click(kp::IDCANCEL);
    });
    EXPECT_EQ(kp::IDCANCEL, result);
}

TEST_F(NewReminder, OkReturnsThePickedTimeAndTheMessageAndAnEmptyFieldGivesTheDefault) {
    int result = Open(At(2026, 5, 5, 9, 0, 0), [](SimWindow& w) {
        w.PickDateTime(IDC_REMINDER_TIME, At(2026, 6, 1, 14, 30, 0));
        w.Type(IDC_REMINDER_MESSAGE, "开会");
        w.Click(kp::IDOK);
    });
    EXPECT_EQ(kp::IDOK, result);
    EXPECT_TRUE(SameMinute(At(2026, 6, 1, 14, 30, 0), dlg.m_time));
    EXPECT_EQ("开会", dlg.m_strMessage);

    // Enter with the field emptied: the focus never leaves the field, OK itself supplies the default.
    result = Open(At(2026, 5, 5, 9, 0, 0), [](SimWindow& w) {
        w.Type(IDC_REMINDER_MESSAGE, "");
        w.Enter();
    });
    EXPECT_EQ(kp::IDOK, result);
    EXPECT_EQ(kDefault, dlg.m_strMessage);
    EXPECT_TRUE(SameMinute(At(2026, 5, 5, 9, 2, 0), dlg.m_time));
}

}  // namespace
