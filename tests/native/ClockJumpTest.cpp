// The wall clock moved while the program runs: a daylight-saving change (local time only) or the user
// setting the clock (local time and UTC), back and forward by an hour and by a day. Window timers and the
// tick count do not see the change; everything that reads the clock must cope: no reminder shown twice or
// lost, the hourly notice on the hours the clock shows, the limit meter counting use, not clock time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ControlTestUtil.h"
#include "LongRunUtil.h"
#include "SimTestUtil.h"
#include "platform/Gbk.h"

namespace {

using namespace longrun;
using kp::sim::test::U8;

// ---------------------------------------------------------------- the simulator's clock

class Ticker : public kp::Dialog {
public:
    explicit Ticker(SimOs& os) : Dialog(9001), m_os(os) {}
    void OnTimer(unsigned id) override { fired.push_back({id, m_os.Now(), m_os.TickCount()}); }
    struct Fired {
        unsigned id;
        int64_t at;
        uint32_t tick;
        bool operator==(const Fired& o) const { return id == o.id && at == o.at && tick == o.tick; }
    };
    std::vector<Fired> fired;

private:
    SimOs& m_os;
};

TEST(SimClock, AWallClockJumpMovesOnlyTheClockReadingsNeverATimerOrTheTickCount) {
    struct Case {
        const char* name;
        int64_t jump;
        bool utcToo;
    } cases[] = {
        {"daylight saving ends", -kHour, false},
        {"daylight saving starts", kHour, false},
        {"the user sets the clock back a day", -kDay, true},
        {"the user sets the clock forward a day", kDay, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimOs os("");
        Ticker ticker(os);
        os.Create(ticker);
        ticker.SetTimer(1, 1000);
        ticker.SetTimer(2, 90 * kMinute);
        os.Advance(30 * kMinute + 500);
        const int64_t local = kp::SysTimeToMs(os.LocalTime()), utc = kp::SysTimeToMs(os.UtcTime());
        const uint32_t tick = os.TickCount();
        const auto due = os.Window(ticker)->TimerDue(2);

        os.ShiftClock(c.jump, c.utcToo);
        EXPECT_EQ(local + c.jump, kp::SysTimeToMs(os.LocalTime()));
        EXPECT_EQ(utc + (c.utcToo ? c.jump : 0), kp::SysTimeToMs(os.UtcTime()));
        EXPECT_EQ(tick, os.TickCount());
        EXPECT_EQ(due, os.Window(ticker)->TimerDue(2));

        ticker.fired.clear();
        os.Advance(kHour);
        ASSERT_EQ(3601u, ticker.fired.size()) << "every second, and the long timer once";
        int longTimer = 0;
        for (const auto& f : ticker.fired)
            if (f.id == 2) {
                ++longTimer;
                EXPECT_EQ((Ticker::Fired{2, 90 * kMinute, static_cast<uint32_t>(3600000 + 90 * kMinute)}), f);
            }
        EXPECT_EQ(1, longTimer) << "due when it was armed for, as if the clock had not moved";
        EXPECT_EQ(local + c.jump + kHour, kp::SysTimeToMs(os.LocalTime())) << "the clock runs on from where it was set";
        EXPECT_EQ(tick + kHour, os.TickCount());
    }
}

// ---------------------------------------------------------------- the program across a jump

using kp::sim::test::kProfile;
const char* const kRestMessage = "用户:tom.\n    您已经连续使用1小时,请休息一会儿.";

struct Jump {
    const char* name;
    int64_t by;
    bool utcToo;
};

// One reminder of the story, at a local time of the clock before the jump.
struct Planned {
    kp::SysTime at;
    const char* message;
};

TEST(ClockJump, RemindersHourlyNoticeAndLimitAcrossJumpsOfAnHourAndADay) {
    const Jump jumps[] = {
        {"daylight saving ends: back an hour", -kHour, false},
        {"daylight saving starts: forward an hour", kHour, false},
        {"the user sets the clock back a day", -kDay, true},
        {"the user sets the clock forward a day", kDay, true},
    };
    // The program starts at 09:00:00 sharp, so that the minute timer re-aiming the hourly notice falls on
    // the very moment of each full hour; the clock jumps at 11:30:20.
    const kp::SysTime start = Local(2026, 5, 5, 9, 0, 0);
    const kp::SysTime jumpAt = Local(2026, 5, 5, 11, 30, 20);
    const kp::SysTime endAt = Local(2026, 5, 6, 14, 0, 0);  // on the clock after the jump
    const Planned planned[] = {
        {Local(2026, 5, 5, 10, 0), "十点"},         // shown before the jump
        {Local(2026, 5, 5, 11, 45), "十一点三刻"},  // a quarter of an hour after the jump point
        {Local(2026, 5, 5, 12, 10), "十二点十分"},
        {Local(2026, 5, 6, 10, 0), "明天十点"},
    };
    const int64_t answerAfter = 2 * kSecond;

    for (const Jump& jump : jumps) {
        SCOPED_TRACE(jump.name);
        LongRun run;
        SimOs& os = run.os;
        os.SetLocalTime(start);
        os.System().SetCurrentDirectory("C:\\Kestor");
        os.System().SetUserName(std::string("tom"));
        os.Reg().SetDword(kp::Hive::CurrentUser, kProfile, "Options", 0);
        os.Reg().SetDword(kp::Hive::CurrentUser, kProfile, "Options_a1", 1);
        os.Reg().SetDword(kp::Hive::CurrentUser, kProfile, "Options_d1", 0);
        // A one-hour limit with a daily window of 08:00 to 22:00, which is looked at when the program starts.
        kestor::test::PutRows(os, {kestor::test::RowOf({"tom", 1, 5, {{Local(2026, 5, 5, 8, 0), Local(2026, 5, 5, 22, 0)}}})});

        const int64_t jumpTime = run.When(jumpAt);
        const int64_t endTime = jumpTime + kp::SysTimeToMs(endAt) - (kp::SysTimeToMs(jumpAt) + jump.by);
        run.WatchNotices();
        run.AsUser(5 * kMinute, [&] {
            for (const Planned& p : planned) run.AddReminder(p.at, p.message, answerAfter);
        });
        // The census after the jump finds the longest timer armed once every timer has been re-aimed.
        run.CensusEvery(10 * kSecond, jumpTime + 2 * kMinute, endTime);
        os.At(jumpTime, [&] { os.ShiftClock(jump.by, jump.utcToo); });
        run.ExitAt(endTime);
        kestor::RunKestor();
        ASSERT_EQ(18, os.QuitCode().value_or(0));

        // Reminders: each once. One whose minute the clock has not shown yet comes at that minute; the
        // ones a forward jump passed over come one after another as soon as the jump is noticed.
        const auto& boxes = os.MessageBoxes();
        ASSERT_EQ(4u, boxes.size());
        int64_t previousClose = jumpTime;
        for (size_t i = 0; i < 4; ++i) {
            const Planned& p = planned[i];
            SCOPED_TRACE(U8(p.message));
            EXPECT_EQ(std::string(p.message), boxes[i].text);
            const int64_t dueBefore = kp::SysTimeToMs(p.at) - kp::SysTimeToMs(start);
            const int64_t dueAfter = jumpTime + kp::SysTimeToMs(p.at) - (kp::SysTimeToMs(jumpAt) + jump.by);
            if (dueBefore <= jumpTime) {
                EXPECT_EQ(dueBefore, boxes[i].at);
            } else if (dueAfter > jumpTime) {
                EXPECT_EQ(dueAfter, boxes[i].at) << "at its minute on the clock as set";
            } else {
                EXPECT_GE(boxes[i].at, previousClose);
                EXPECT_LE(boxes[i].at, previousClose + 10 * kSecond) << "passed over: shown at the next look";
                previousClose = boxes[i].at + answerAfter;
            }
        }

        // The hourly notice: once for each full hour the clock shows, on it, naming it: the hours up to the
        // jump and those after it as the clock then runs (back an hour, the clock shows 11:00 twice).
        std::string expected, shown;  // a line for each, so that a failure shows the difference
        auto hoursBetween = [&expected](int64_t fromMs, int64_t toMs) {
            for (int64_t h = (fromMs / kHour + 1) * kHour; h <= toMs; h += kHour) {
                const kp::SysTime t = kp::SysTimeFromMs(h);
                expected += Show(t) + " " + U8(kp::Format("现在时刻%d点正", t.wHour)) + "\n";
            }
        };
        hoursBetween(kp::SysTimeToMs(start), kp::SysTimeToMs(jumpAt));
        hoursBetween(kp::SysTimeToMs(jumpAt) + jump.by, kp::SysTimeToMs(endAt));
        // The meter counts use, not the clock: the rests keep their rhythm across the jump (an hourly notice
        // over a rest's end holds it open until it has gone).
        std::vector<int64_t> rests;
        for (const Notice& n : run.notices) {
            if (n.message == kRestMessage) {
                const int64_t gap = n.at - (rests.empty() ? 3602 * kSecond - 3903 * kSecond : rests.back());
                EXPECT_TRUE(gap >= 3903 * kSecond && gap <= 3903 * kSecond + 15 * kSecond)
                    << "rest " << rests.size() << " after " << gap;
                rests.push_back(n.at);
                continue;
            }
            // Within the timer's resolution of the hour.
            kp::SysTime t = n.local;
            EXPECT_LE(t.wMilliseconds, 20) << Show(t);
            t.wMilliseconds = 0;
            shown += Show(t) + " " + U8(n.message) + "\n";
        }
        EXPECT_EQ(expected, shown);
        ASSERT_FALSE(rests.empty());
        EXPECT_EQ(3602 * kSecond, rests.front());
        EXPECT_GT(rests.back(), endTime - 3903 * kSecond - 15 * kSecond) << "the rests went on to the end";

        // No timer is left aimed at a moment the jump has moved away: nothing armed for longer than the hour
        // the notice waits at most. The daily window is looked at only at start, so no jump ends the day.
        EXPECT_LE(run.peaks.longestTimerMs, kHour);
        EXPECT_TRUE(os.Power().Calls().empty());
    }
}

}  // namespace
