// The wall clock set while the whole program runs: told over a day or two by the native suite, thirty by the soak.
#pragma once
#include <algorithm>
#include <tuple>

#include "Util.h"
#include "scheduler/ReminderFile.h"
#include "usercontrol/UserLimitFile.h"

namespace kt {

// Tom starts at 09:00:00 with the hourly notice on, four reminders and a one-hour limit; at 11:30:20 the clock
// moves by `by`. Each reminder comes once, at its minute or soon after a jump over it; the notice on every full hour
// the clock shows (a clock set back once silenced them); the rests keep the rhythm of use; no timer runs longer
// than the hour, none piles up. The end: 14:00 the next day, or `days` after the start.
inline void ClockStory(int64_t days, int64_t by, bool utcToo) {
    constexpr int64_t kHour = 3600000;
    SCOPED_TRACE(kp::Format("the clock moved by %d minutes", static_cast<int>(by / 60000)));
    auto stamp = [](const kp::SysTime& t) {
        return kp::Format("%04d-%02d-%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    };
    const kp::SysTime start = At(2026, 5, 5, 9, 0), jumpAt = At(2026, 5, 5, 11, 30, 20);
    const kp::SysTime due[] = {At(2026, 5, 5, 10, 0), At(2026, 5, 5, 11, 45), At(2026, 5, 5, 12, 10),
                               At(2026, 5, 6, 10, 0)};
    SimOs os;
    os.System().SetUserName(std::string("tom"));
    for (const char* name : {"Options", "Options_d1"}) SetUser(os, name, 0);
    os.SetLocalTime(start);
    std::string reminders = ListHeader(4);
    for (const kp::SysTime& t : due) {
        const std::string text = kestor::ReminderTimeText(kestor::PackTime(t));
        reminders += ReminderRecord(kestor::PackTime(t), text, text);
        os.AnswerMessageBox(kp::IDOK, 2000);
    }
    os.Files().Put(Path("TimeSet.ini"), reminders);
    const std::string window = kestor::WindowText(At(2026, 5, 5, 8, 0), At(2026, 5, 5, 22, 0));
    os.Files().Put(Path("ControlSet.ini"),
                   ListHeader(1) + LimitRecord({"tom", "1小时", "5分钟", window}, kestor::kLimitDailyWindow));
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
    os.At(end, Quit);
    kestor::RunKestor();

    ASSERT_EQ(4u, os.MessageBoxes().size());
    for (size_t i = 0; i < 4; ++i) {
        const int64_t at = before(due[i]) <= jump ? before(due[i]) : std::max(after(due[i]), jump);
        const auto& box = os.MessageBoxes()[i];
        EXPECT_EQ(kestor::ReminderTimeText(kestor::PackTime(due[i])), box.text);
        EXPECT_TRUE(box.at >= at && box.at <= at + (at == jump ? 40000 : 0)) << i << " at " << box.at;
    }
    std::string expected, shown;
    auto hours = [&](int64_t from, int64_t to) {  // the full hours after `from` up to `to`, on the clock
        for (int64_t h = (from / kHour + 1) * kHour; h <= to; h += kHour)
            expected += stamp(kp::SysTimeFromMs(h)) + kp::Format(" 现在时刻%d点正\n", kp::SysTimeFromMs(h).wHour);
    };
    hours(kp::SysTimeToMs(start), kp::SysTimeToMs(jumpAt));
    hours(kp::SysTimeToMs(jumpAt) + by, kp::SysTimeToMs(start) + end + by - 1);  // the exit comes first
    std::vector<int64_t> rests;
    for (const auto& [at, local, text] : notices) {
        if (text == "用户:tom.\n    您已经连续使用1小时,请休息一会儿.") {
            rests.push_back(at);
        } else {
            EXPECT_LE(local.wMilliseconds, 20) << stamp(local);
            shown += stamp(local) + " " + text + "\n";
        }
    }
    EXPECT_EQ(U8(expected), U8(shown));
    ASSERT_FALSE(rests.empty());
    EXPECT_EQ(3602000, rests[0]) << "an hour and a second of use, then a second to the notice";
    for (size_t i = 1; i < rests.size(); ++i)  // the rest, and an hourly notice over its end
        EXPECT_TRUE(rests[i] - rests[i - 1] >= 3903000 && rests[i] - rests[i - 1] <= 3918000) << i;
    EXPECT_GT(rests.back(), end - 3918000) << "the rests went on to the end";
    EXPECT_TRUE(longest <= kHour && most <= 5u) << longest << " ms, " << most << " timers";
    EXPECT_TRUE(os.Power().Calls().empty() && os.QuitCode() == 18);
}

// Set back and forward by an hour, and by a day with the UTC clock too.
inline void ClockStories(int64_t days) {
    constexpr int64_t kHour = 3600000;
    for (const auto& [by, utc] : {std::pair{-kHour, false}, {kHour, false}, {-24 * kHour, true}, {24 * kHour, true}})
        ClockStory(days, by, utc);
}

}  // namespace kt
