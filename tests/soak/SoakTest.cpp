// Thirty virtual days of the whole program with every feature on: reminders added through the scheduler
// page as others fire, the hourly notice, a one-hour limit with its locked rests, timed terminations of
// processes that come and go, a looping playlist, and the window shown and hidden again. Nothing that
// grows with time may grow without bound, and nothing may drift: every reminder comes at its minute and
// every hourly notice at its hour, on the thirtieth day as on the first.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ControlTestUtil.h"
#include "LongRunUtil.h"
#include "SimTestUtil.h"
#include "platform/Gbk.h"

namespace {

using namespace longrun;
using kp::sim::test::U8;

using kp::sim::test::kMachine;
using kp::sim::test::kProfile;
const char* const kRestMessage = "用户:tom.\n    您已经连续使用1小时,请休息一会儿.";
// A rest notice counts 300 s down and closes a second after showing 0. A reminder's message (read here
// for up to 90 s) or an hourly notice (15 s) open over a rest's end holds the rest open until it has gone.
constexpr int64_t kRestMs = 301 * kSecond;
constexpr int64_t kLongestOver = 90 * kSecond + 16 * kSecond;

// The playlist, sorted as the list box keeps it, with each track's length.
const std::vector<std::pair<std::string, int64_t>> kTracks = {
    {"C:\\Music\\a.mp3", 3 * kMinute + 21 * kSecond + 250},
    {"C:\\Music\\b.mp3", 4 * kMinute + 2 * kSecond},
    {"C:\\Music\\c.mp3", 2 * kMinute + 47 * kSecond + 900},
};

// The virtual time of every request to end a process, in order; the table records which one it was.
class TerminationTimes : public kp::IProcesses {
public:
    explicit TerminationTimes(SimOs& os) : m_os(os), m_real(kp::TheOs().processes) { kp::TheOs().processes = this; }
    ~TerminationTimes() override { kp::TheOs().processes = m_real; }
    kp::SnapshotStatus Snapshot(std::vector<kp::ProcessEntry>& e) override { return m_real->Snapshot(e); }
    kp::SnapshotStatus Count(int& count) override { return m_real->Count(count); }
    kp::ProcessHandle OpenToEnd(uint32_t id) override { return m_real->OpenToEnd(id); }
    bool Terminate(kp::ProcessHandle process, unsigned exitCode) override {
        times.push_back(m_os.Now());
        return m_real->Terminate(process, exitCode);
    }
    void Close(kp::ProcessHandle process) override { m_real->Close(process); }
    unsigned Start(const std::string& path) override { return m_real->Start(path); }
    std::vector<int64_t> times;

private:
    SimOs& m_os;
    kp::IProcesses* m_real;
};

class Soak : public ::testing::Test, protected LongRun {
protected:
    struct Reminder {
        int64_t due;
        std::string message;
    };
    struct Run {
        uint32_t id;
        int64_t from;
    };
    std::vector<Reminder> reminders;  // as added, which is the order they fall due
    std::vector<Run> games, notepads;
    int notepadRunsOnEntry = 0;
    std::set<uint32_t> notepadsToEnd;  // the third run on an entry
    int sessions = 0, hiddenAfterSession = 0;

    // The user's visit number k: a reminder five hours and some minutes ahead; on every other visit a
    // game that the termination list ends after 20 minutes, and a notepad that runs 25 minutes by itself
    // and is ended once it has run an hour in all; on every third a look at the music page.
    void Visit(int k, int64_t end) {
        ++sessions;
        kp::SysTime due = kp::AddMs(os.LocalTime(), 5 * kHour + (k * 13 % 60) * kMinute);
        due.wSecond = due.wMilliseconds = 0;
        if (When(due) < end) {
            const std::string message = kp::Format("第%d次提醒", k);
            reminders.push_back(Reminder{When(due), message});
            AddReminder(due, message, (k % 4) * 30 * kSecond);
        }
        if (k % 2 == 0) {
            SimWindow& page = OpenTab(kProcessTab);
            games.push_back(Run{os.Processes().Add("game.exe"), os.Now()});
            AddTermination(page, "C:\\Games\\game.exe", 0, 20);
            bool listed = false;
            for (const auto& row : page.ListViewOf(IDC_TERMINATION_LIST).Rows()) listed |= row.texts[0] == "notepad.exe";
            if (!listed) {
                AddTermination(page, "C:\\Windows\\notepad.exe", 1, 0);
                notepadRunsOnEntry = 0;
            }
            const uint32_t id = os.Processes().Add("notepad.exe");
            notepads.push_back(Run{id, os.Now()});
            if (++notepadRunsOnEntry == 3) notepadsToEnd.insert(id);
            os.After(25 * kMinute, [this, id] {
                if (os.Processes().IsRunning(id)) os.Processes().Exit(id);
            });
        }
        if (k % 3 == 1) OpenTab(kMusicTab);
        os.After(2 * kMinute, [this] { hiddenAfterSession += os.Sheet()->IsVisible() ? 0 : 1; });
    }

    // Visit k at `at` and every three hours after it; each visit plans the next, so that the queue holds
    // one at a time (the simulator looks through every pending action at each step).
    void VisitsFrom(int k, int64_t at, int64_t end) {
        if (at >= end - kHour) return;
        AsUser(at, [this, k, at, end] {
            Visit(k, end);
            VisitsFrom(k + 1, at + 3 * kHour, end);
        });
    }

    void AddTermination(SimWindow& page, const std::string& path, int hours, int minutes) {
        os.OnModal(IDD_ADDPROCESS, [=](SimWindow& d) {
            d.Type(IDC_PROCESS_PATH, path);
            kp::SysTime t = Local(2003, 7, 27, hours, minutes);
            d.PickDateTime(IDC_TERMINATION_TIME, t);
            d.Click(kp::IDOK);
        });
        page.Click(IDC_TERMINATION_ADD);
    }
};

TEST_F(Soak, ThirtyDaysWithEveryFeatureOnStayBoundedAndOnTime) {
    // An odd start, so that the minute timers do not fall on the full minutes the hourly notice is aimed at.
    os.SetLocalTime(Local(2026, 5, 5, 8, 47, 12, 345));
    os.SetUtcTime(Local(2026, 5, 5, 0, 47, 12, 345));
    os.System().SetCurrentDirectory("C:\\Kestor");
    os.System().SetUserName(std::string("tom"));
    os.Reg().SetDword(kp::Hive::CurrentUser, kProfile, "Options", 0);
    os.Reg().SetDword(kp::Hive::CurrentUser, kProfile, "Options_a1", 1);
    os.Reg().SetDword(kp::Hive::CurrentUser, kProfile, "Options_d1", 0);
    os.Reg().SetDword(kp::Hive::LocalMachine, kMachine, "Options_i1", 1);
    std::string playlist;
    for (const auto& [path, length] : kTracks) {
        os.Media().AddTrack(path, length);
        playlist += path + "\r\n";
    }
    os.Files().Put("C:\\Kestor\\Playlist.m3u", playlist);
    kestor::test::PutRows(os, {kestor::test::RowOf({"tom", 1, 5, std::nullopt})});
    TerminationTimes terminations(os);

    // The loop's cap is 30 days: the user leaves a few minutes before it.
    const int64_t end = SimOs::kLoopCapMs - 5 * kMinute;
    WatchNotices();
    CensusEvery(10 * kSecond, 0, end);
    int visits = 0;
    for (int64_t at = 33 * kMinute; at < end - kHour; at += 3 * kHour) ++visits;
    VisitsFrom(0, 33 * kMinute, end);
    ExitAt(end);
    kestor::RunKestor();
    ASSERT_EQ(18, os.QuitCode().value_or(0)) << "the program left through the tray menu";

    // Bounded: the page timers that can run at once (scheduler: hourly pair and reminder check; limit:
    // meter or rest; music: poll; processes: refresh, refill, termination tick; the sheet's hide timer
    // and the clock of the information page; one countdown for each of two notices), one device, at most
    // two reminders ahead, the game's and the notepad's entries, the one limit row, the three tracks, and a
    // notice on top of another.
    EXPECT_LE(peaks.timers, 13u);
    EXPECT_LE(peaks.longestTimerMs, kHour);
    EXPECT_EQ(1, peaks.mediaDevices);
    EXPECT_LE(peaks.reminderRows, 2);
    EXPECT_LE(peaks.terminationRows, 2);
    EXPECT_EQ(1, peaks.userRows);
    EXPECT_EQ(3, peaks.playlistRows);
    EXPECT_LE(peaks.openNotices, 2);
    EXPECT_LE(peaks.longestNoticeMs, kRestMs + kLongestOver) << "a rest, with a message and a notice over its end";
    EXPECT_EQ(visits, sessions) << "every visit was made";
    EXPECT_EQ(sessions, hiddenAfterSession) << "the window went back to the tray after each visit";

    // Every reminder at its minute, once, in the order added; nothing else asked the user anything.
    const auto& boxes = os.MessageBoxes();
    ASSERT_EQ(reminders.size(), boxes.size());
    for (size_t i = 0; i < boxes.size(); ++i) {
        SCOPED_TRACE(U8(reminders[i].message));
        EXPECT_EQ(reminders[i].message, boxes[i].text);
        EXPECT_EQ(reminders[i].due, boxes[i].at) << Show(kp::AddMs(os.LocalTime(), boxes[i].at - os.Now()));
    }

    // Every hourly notice on its hour, naming it; the rests once the meter has counted an hour of use
    // again: the hour and a second over the limit, a second to the notice, the rest, and whatever was open
    // over the rest's end.
    std::vector<const Notice*> chimes, rests;
    for (const Notice& n : notices) (n.message == kRestMessage ? rests : chimes).push_back(&n);
    ASSERT_EQ(720u, chimes.size());
    for (size_t i = 0; i < chimes.size(); ++i) {
        const Notice& c = *chimes[i];
        SCOPED_TRACE(Show(c.local));
        EXPECT_EQ(0, c.local.wMinute * 60000 + c.local.wSecond * 1000 + c.local.wMilliseconds);
        EXPECT_EQ(kp::Format("现在时刻%d点正", c.local.wHour), c.message);
        if (i > 0) {
            EXPECT_EQ(kHour, c.at - chimes[i - 1]->at);
        }
    }
    ASSERT_GT(rests.size(), 600u);
    EXPECT_EQ(3602 * kSecond, rests[0]->at);
    for (size_t i = 1; i < rests.size(); ++i) {
        const int64_t gap = rests[i]->at - rests[i - 1]->at;
        EXPECT_TRUE(gap >= kHour + kSecond + kRestMs + kSecond && gap <= kHour + kSecond + kRestMs + kSecond + kLongestOver)
            << "rest " << i << ": " << gap;
    }

    // The playlist round and round, one track right after another.
    const auto& calls = os.Media().Calls();
    std::vector<const kp::sim::SimMedia::Call*> plays;
    for (const auto& c : calls)
        if (c.what == kp::sim::SimMedia::Call::Play) plays.push_back(&c);
    ASSERT_FALSE(plays.empty());
    EXPECT_LE(end - plays.back()->at, 4 * kMinute + 3 * kSecond) << "still playing at the end";
    for (size_t i = 0; i < plays.size(); ++i) {
        ASSERT_EQ(kTracks[i % kTracks.size()].first, plays[i]->path) << "play " << i;
        if (i == 0) continue;
        const int64_t gap = plays[i]->at - (plays[i - 1]->at + kTracks[(i - 1) % kTracks.size()].second);
        ASSERT_TRUE(gap >= 0 && gap <= kSecond) << "play " << i << " after a gap of " << gap;
    }

    // Each game ended 20 minutes after its entry (the first tick finds it running), each notepad once it had
    // run an hour over its comings and goings: ten minutes into its third run.
    const auto& ended = os.Processes().Terminated();
    ASSERT_EQ(ended.size(), terminations.times.size());
    std::map<uint32_t, int64_t> gameFrom, notepadFrom;
    for (const Run& g : games) gameFrom[g.id] = g.from;
    for (const Run& n : notepads) notepadFrom[n.id] = n.from;
    std::set<uint32_t> notepadsEnded;
    int gamesEnded = 0;
    for (size_t i = 0; i < ended.size(); ++i) {
        const uint32_t id = ended[i].id;
        const int64_t at = terminations.times[i];
        if (gameFrom.count(id)) {
            ++gamesEnded;
            const int64_t ran = at - gameFrom[id];
            EXPECT_TRUE(ran >= 20 * kMinute && ran <= 20 * kMinute + 3 * kSecond) << "game " << id << " ran " << ran;
        } else {
            ASSERT_TRUE(notepadFrom.count(id)) << "process " << id << " had no entry";
            notepadsEnded.insert(id);
            const int64_t ran = at - notepadFrom[id];
            EXPECT_TRUE(ran >= 10 * kMinute && ran <= 10 * kMinute + 10 * kSecond) << "notepad " << id << " ran " << ran;
        }
    }
    EXPECT_EQ(static_cast<int>(games.size()), gamesEnded);
    EXPECT_EQ(notepadsToEnd, notepadsEnded);
    EXPECT_EQ(0, os.Processes().OpenHandles());
    EXPECT_EQ(0u, os.Input().MouseHook()) << "no rest left the mouse held";

    // Nothing lost at the end: the one limit row and the playlist are saved back as they came.
    EXPECT_EQ(playlist, os.Files().Get("C:\\Kestor\\Playlist.m3u").value_or(""));
    EXPECT_TRUE(os.Files().Get(kestor::test::kLimitFile).value_or("").find("tom") != std::string::npos);

    std::printf("[ soak     ] %zu visits, %zu reminders, %zu hourly notices, %zu rests, %d games and %zu notepads "
                "ended, %zu tracks played; at most %zu timers armed (longest %u ms), %d device, %d notices open, "
                "%d reminder rows, %d termination rows\n",
                static_cast<size_t>(sessions), boxes.size(), chimes.size(), rests.size(), gamesEnded,
                notepadsEnded.size(), plays.size(), peaks.timers, peaks.longestTimerMs, peaks.mediaDevices, peaks.openNotices,
                peaks.reminderRows, peaks.terminationRows);
}

}  // namespace
