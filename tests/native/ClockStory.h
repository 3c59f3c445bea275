// One long story of the whole program, told over a day or two by the native suite and over thirty days by the
// soak: the wall clock set while the program runs.
#pragma once
#include <algorithm>
#include <tuple>

#include "Util.h"
#include "app/Messages.h"
#include "scheduler/ReminderFile.h"
#include "usercontrol/UserLimitFile.h"

namespace kt {

inline std::string Stamp(const kp::SysTime& t) {
    return kp::Format("%04d-%02d-%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
}

// Tom starts the program at 09:00:00 sharp, so that the minute timer re-aiming the hourly notice falls on each
// full hour, with the notice on, four reminders on disk, and a one-hour limit with a 5-minute rest and a daily
// window of 08:00 to 22:00 (looked at when the program starts only). At 11:30:20 the clock is moved by `by`:
// an hour with local time only (daylight saving), or a day with UTC too (the user). Each reminder comes once,
// at its minute on the clock as set or at once when the jump passed over it; the hourly notice comes on every
// full hour the clock shows (a clock set back once silenced them); the rests keep the rhythm of use, not of the
// clock; no timer is ever armed for longer than the hour, nor more than the few that run at once. The story
// ends at 14:00 of the next day on the clock as set, or `days` after the start if that is later.
inline void ClockStory(int64_t days, int64_t by, bool utcToo) {
    constexpr int64_t kHour = 3600000;
    SCOPED_TRACE(kp::Format("the clock moved by %d minutes", static_cast<int>(by / 60000)));
    const kp::SysTime start = At(2026, 5, 5, 9, 0), jumpAt = At(2026, 5, 5, 11, 30, 20);
    const kp::SysTime due[] = {At(2026, 5, 5, 10, 0), At(2026, 5, 5, 11, 45), At(2026, 5, 5, 12, 10),
                               At(2026, 5, 6, 10, 0)};
    SimOs os;
    os.System().SetUserName(std::string("tom"));
    for (const char* name : {"Options", "Options_d1"}) os.Reg().SetDword(Hive::CurrentUser, kProfile, name, 0);
    os.SetLocalTime(start);
    std::string reminders = ListHeader(4);
    for (const kp::SysTime& t : due) {
        const std::string text = kestor::ReminderTimeText(kestor::PackTime(t));
        reminders += ReminderRecord(kestor::PackTime(t), text, text);
        os.AnswerMessageBox(kp::IDOK, 2000);
    }
    os.Files().Put("C:\\Kestor\\TimeSet.ini", reminders);
    const std::string window = kestor::WindowText(At(2026, 5, 5, 8, 0), At(2026, 5, 5, 22, 0));
    const std::string limit = LimitRecord({"tom", "1小时", "5分钟", window}, kestor::kLimitDailyWindow);
    os.Files().Put("C:\\Kestor\\ControlSet.ini", ListHeader(1) + limit);
    auto before = [&](const kp::SysTime& t) { return kp::SysTimeToMs(t) - kp::SysTimeToMs(start); };
    auto after = [&](const kp::SysTime& t) { return before(t) - by; };  // on the clock as set
    const int64_t jump = before(jumpAt), end = std::max(days * 24 * kHour, after(At(2026, 5, 6, 14, 0)));
    std::vector<std::tuple<int64_t, kp::SysTime, std::string>> notices;
    unsigned longest = 0;
    size_t most = 0;
    std::function<void()> watch = [&] {
        os.OnModal(IDD_NOTICE, [&](SimWindow& w) {
            notices.emplace_back(os.Now(), os.LocalTime(), w.GetText(IDC_NOTICE_MESSAGE));
            for (const auto& t : os.ArmedTimers()) longest = std::max(longest, t.period);
            most = std::max(most, os.ArmedTimers().size());
            watch();
        });
    };
    watch();
    os.At(jump, [&] { os.ShiftClock(by, utcToo); });
    os.At(end, [] { kp::TheOs().ui->SendToMain(kestor::WM_SAVE_AND_QUIT, 0, 0); });
    kestor::RunKestor();

    ASSERT_EQ(4u, os.MessageBoxes().size());
    int64_t next = jump;  // those the jump passed over come one after another once it is noticed
    for (size_t i = 0; i < 4; ++i) {
        const auto& box = os.MessageBoxes()[i];
        EXPECT_EQ(kestor::ReminderTimeText(kestor::PackTime(due[i])), box.text);
        if (before(due[i]) <= jump || after(due[i]) > jump) {
            EXPECT_EQ(before(due[i]) <= jump ? before(due[i]) : after(due[i]), box.at) << i;
        } else {
            EXPECT_TRUE(box.at >= next && box.at <= next + 10000) << i << " at " << box.at;
            next = box.at + 2000;
        }
    }
    std::string expected, shown;
    auto hours = [&](int64_t from, int64_t to) {  // the full hours after `from` up to `to`, on the clock
        for (int64_t h = (from / kHour + 1) * kHour; h <= to; h += kHour)
            expected += Stamp(kp::SysTimeFromMs(h)) + kp::Format(" 现在时刻%d点正\n", kp::SysTimeFromMs(h).wHour);
    };
    hours(kp::SysTimeToMs(start), kp::SysTimeToMs(jumpAt));
    hours(kp::SysTimeToMs(jumpAt) + by, kp::SysTimeToMs(start) + end + by - 1);  // the exit comes first
    std::vector<int64_t> rests;
    for (const auto& [at, local, text] : notices) {
        if (text == "用户:tom.\n    您已经连续使用1小时,请休息一会儿.") {
            rests.push_back(at);
            continue;
        }
        EXPECT_LE(local.wMilliseconds, 20) << Stamp(local);
        shown += Stamp(local) + " " + text + "\n";
    }
    EXPECT_EQ(U8(expected), U8(shown));
    ASSERT_FALSE(rests.empty());
    EXPECT_EQ(3602000, rests[0]) << "an hour and a second of use, then a second to the notice";
    for (size_t i = 1; i < rests.size(); ++i) {
        const int64_t gap = rests[i] - rests[i - 1];  // the rest, and an hourly notice over its end
        EXPECT_TRUE(gap >= 3903000 && gap <= 3918000) << "rest " << i << " after " << gap;
    }
    EXPECT_GT(rests.back(), end - 3918000) << "the rests went on to the end";
    EXPECT_LE(longest, kHour);
    EXPECT_LE(most, 5u) << "the hourly pair, the limit's meter, the notices' countdowns: nothing piles up";
    EXPECT_TRUE(os.Power().Calls().empty() && os.QuitCode() == 18);
}

}  // namespace kt
