// Whole stories of the user time-control page over the simulated platform: the limit list through the
// new-limit dialog and ControlSet.ini, the enforcement for the logged-on user, and the administrator.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "SimTestUtil.h"
#include "app/Settings.h"
#include "app/TovrelApp.h"
#include "app/TovrelDlg.h"
#include "platform/Os.h"
#include "platform/sim/SimOs.h"
#include "resource.h"
#include "ControlTestUtil.h"
#include "usercontrol/UserLimitFile.h"

namespace {

using kp::Hive;
using kp::sim::SimOs;
using kp::sim::SimWindow;
using kp::sim::test::GbkEq;
using kp::sim::test::MessageBoxTexts;
using kestor::CTovrelControl;

using kp::sim::test::kProfile;
using kestor::test::kLimitFile;
using kestor::test::Limit;
using kestor::test::PutRows;
using kestor::test::RawRow;
using kestor::test::RowOf;
using kestor::test::TodayAt;

// Records, when the shutdown is asked for, the virtual time and whether the lists were saved by then.
class PowerRecorder : public kp::IPower {
public:
    explicit PowerRecorder(SimOs& sim) : m_sim(sim), m_real(kp::TheOs().power) { kp::TheOs().power = this; }
    ~PowerRecorder() override { kp::TheOs().power = m_real; }
    bool ExitWindows(unsigned flags) override {
        calls.push_back({flags, m_sim.Now(), m_sim.Files().Writes(), m_sim.QuitCode().has_value()});
        return m_real->ExitWindows(flags);
    }
    struct Call {
        unsigned flags;
        int64_t at;
        std::vector<std::string> filesWritten;
        bool quitPosted;
    };
    std::vector<Call> calls;

private:
    SimOs& m_sim;
    kp::IPower* m_real;
};

class ControlScenario : public ::testing::Test {
protected:
    SimOs sim;

    void SetUp() override { sim.System().SetUserName(std::string("tom")); }

    kestor::CTovrelDlg& Sheet() { return *static_cast<kestor::CTovrelDlg*>(sim.Sheet()->Object()); }
    CTovrelControl& Page() { return Sheet().m_control; }
    SimWindow& PageWindow() { return *sim.Sheet()->Page(2); }
    kp::sim::SimListView& Rows() { return PageWindow().ListViewOf(IDC_USER_LIST); }

    void PutLimits(const std::vector<Limit>& limits) {
        std::vector<RawRow> rows;
        for (const Limit& l : limits) rows.push_back(RowOf(l));
        PutRows(sim, rows);
    }

    // On the shown page at `ms`, as the user.
    void OnPage(int64_t ms, std::function<void(SimWindow&)> fn) {
        sim.At(ms, [this, fn] {
            Sheet().ShowMain();
            sim.Sheet()->SelectTab(2);
            fn(PageWindow());
        });
    }
    // The next new-limit dialog is filled with `l` and confirmed.
    void FillNextLimit(const Limit& l) {
        sim.OnModal(IDD_NEWUSERLIMIT, [l](SimWindow& w) {
            w.Type(IDC_LIMIT_USER, l.name);
            if (l.hours) {
                w.Click(IDC_LIMIT_CONTINUOUS);
                w.Type(IDC_LIMIT_HOURS, std::to_string(l.hours));
                w.Type(IDC_LIMIT_REST, std::to_string(l.rest));
            }
            if (l.window) {
                w.Click(IDC_LIMIT_WINDOW);
                w.PickDateTime(IDC_LIMIT_START, l.window->first);
                w.PickDateTime(IDC_LIMIT_END, l.window->second);
            }
            w.Click(kp::IDOK);
        });
    }
    void AddLimitAt(int64_t ms, const Limit& l) {
        OnPage(ms, [this, l](SimWindow& page) {
            FillNextLimit(l);
            page.Click(IDC_USER_NEW);
        });
    }
    void RunUntil(int64_t quitAt) {
        sim.At(quitAt, [this] {
            Sheet().OnCommand(ID_TRAY_EXIT, 0);
        });
        kestor::RunKestor();
    }
    std::vector<std::string> RowTexts(int row) {
        std::vector<std::string> texts;
        for (int col = 0; col < 4; ++col) texts.push_back(Rows().GetItemText(row, col));
        return texts;
    }
    std::optional<std::string> ProfileString(const char* name) {
        return sim.Reg().GetString(Hive::CurrentUser, kProfile, name);
    }
    std::optional<uint32_t> ProfileInt(const char* name) { return sim.Reg().GetDword(Hive::CurrentUser, kProfile, name); }
};

// ---------------------------------------------------------------- the list and its file

TEST_F(ControlScenario, NewLimitsOfThreeKindsAreSortedIntoTheListAndSavedAtExit) {
    AddLimitAt(500, {"bob", 2, 10, std::nullopt});
    AddLimitAt(600, {"alice", 0, 5, {{TodayAt(9, 0), TodayAt(22, 30)}}});
    AddLimitAt(700, {"carl", 1, 5, {{TodayAt(8, 0), TodayAt(12, 0)}}});
    sim.At(800, [this] {
        const auto& cols = Rows().Columns();
        ASSERT_EQ(4u, cols.size());
        const char* titles[] = {"用户名", "连续使用时间", "休息时间", "使用时间段"};
        const int widths[] = {80, 100, 100, 150};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(titles[i], cols[i].title);
            EXPECT_EQ(widths[i], cols[i].width);
            EXPECT_EQ(kp::ColumnAlign::Center, cols[i].align);
        }
        ASSERT_EQ(3, Rows().GetItemCount());
        EXPECT_EQ((std::vector<std::string>{"alice", "", "", "每日9时0分 - 22时30分"}), RowTexts(0));
        EXPECT_EQ((std::vector<std::string>{"bob", "2小时", "10分钟", ""}), RowTexts(1));
        EXPECT_EQ((std::vector<std::string>{"carl", "1小时", "5分钟", "每日8时0分 - 12时0分"}), RowTexts(2));
        EXPECT_EQ(3u, Rows().GetItemData(0));
        EXPECT_EQ(1u, Rows().GetItemData(1));
        EXPECT_EQ(3u, Rows().GetItemData(2));
        EXPECT_FALSE(sim.Files().Has(kLimitFile)) << "nothing is written before exit";
    });
    RunUntil(900);
    const std::string saved = sim.Files().Get(kLimitFile).value_or("");
    EXPECT_EQ(0u, saved.find("[ItemCount]\r\n\x03\x00\x00\x00" "D\r\n[ItemData]\r\nD\r\nalice\r\nD\r\n\r\nD\r\n\r\nD\r\n"
                             "每日9时0分 - 22时30分\r\n\x03\x00\x00\x00" "D\r\nbob\r\n"));
    EXPECT_TRUE(MessageBoxTexts(sim, {}));
}

TEST_F(ControlScenario, SameNameAsksBeforeOverwritingAndLetterCaseMakesAnotherUser) {
    PutLimits({{"Tom", 1, 5, std::nullopt}});
    sim.AnswerMessageBox(kp::IDNO);
    AddLimitAt(500, {"Tom", 3, 20, std::nullopt});
    sim.At(600, [this] {
        ASSERT_EQ(1, Rows().GetItemCount());
        EXPECT_EQ("1小时", Rows().GetItemText(0, 1));
        sim.AnswerMessageBox(kp::IDYES);
    });
    AddLimitAt(700, {"Tom", 3, 20, std::nullopt});
    AddLimitAt(800, {"tom", 2, 5, std::nullopt});
    sim.At(900, [this] {
        ASSERT_EQ(2, Rows().GetItemCount());
        EXPECT_EQ((std::vector<std::string>{"Tom", "3小时", "20分钟", ""}), RowTexts(0));
        EXPECT_EQ((std::vector<std::string>{"tom", "2小时", "5分钟", ""}), RowTexts(1));
    });
    RunUntil(1000);
    EXPECT_TRUE(MessageBoxTexts(sim, {"该用户已存在,是否覆盖原有设置.", "该用户已存在,是否覆盖原有设置."}));
}

TEST_F(ControlScenario, DeleteRemovesTheSelectedRowOnlyAndAnEmptyListSavesAnEmptyFile) {
    PutLimits({{"amy", 1, 5, std::nullopt}, {"ben", 2, 5, std::nullopt}});
    OnPage(500, [this](SimWindow& page) {
        page.Click(IDC_USER_DELETE);
        EXPECT_EQ(2, Rows().GetItemCount()) << "nothing selected, nothing deleted";
        page.ClickListItem(IDC_USER_LIST, 1);
        page.Click(IDC_USER_DELETE);
        ASSERT_EQ(1, Rows().GetItemCount());
        EXPECT_EQ("amy", Rows().GetItemText(0, 0));
        page.ClickListItem(IDC_USER_LIST, 0);
        page.Click(IDC_USER_DELETE);
        EXPECT_EQ(0, Rows().GetItemCount());
    });
    RunUntil(600);
    EXPECT_EQ("", sim.Files().Get(kLimitFile).value_or("<none>"));
}

TEST_F(ControlScenario, FirstStartInstallsTheDefaultAdministratorPasswordOnlyOnce) {
    RunUntil(500);
    EXPECT_EQ("MoonGate", ProfileString("Options_f1").value_or(""));
    EXPECT_EQ(1u, ProfileInt("Options_f2").value_or(0));

    SimOs again;
    again.Reg().SetString(Hive::CurrentUser, kProfile, "Options_f1", "s3cret");
    again.Reg().SetDword(Hive::CurrentUser, kProfile, "Options_f2", 2);
    again.At(500, [&again] { static_cast<kestor::CTovrelDlg*>(again.Sheet()->Object())->OnCommand(ID_TRAY_EXIT, 0); });
    kestor::RunKestor();
    EXPECT_EQ("s3cret", again.Reg().GetString(Hive::CurrentUser, kProfile, "Options_f1").value_or(""));
}

// ---------------------------------------------------------------- enforcement

struct NoticeSeen {
    int64_t at = -1;
    std::string message, countdown;
    bool mouseHooked = false, clipped = false, okVisible = true;
};

class Enforcement : public ControlScenario {
protected:
    // The scheduler's hourly notice shares the notice dialog; these scenarios watch only the limits'.
    void SetUp() override {
        ControlScenario::SetUp();
        sim.Reg().SetDword(Hive::CurrentUser, kProfile, "Options_a1", 0);
    }
    // Records the next showing of the notice; `also` runs on it afterwards.
    void WatchNotice(NoticeSeen& seen, std::function<void(SimWindow&)> also = {}) {
        sim.OnModal(IDD_NOTICE, [this, &seen, also](SimWindow& w) {
            seen.at = sim.Now();
            seen.message = w.GetText(IDC_NOTICE_MESSAGE);
            seen.countdown = w.GetText(IDC_NOTICE_COUNTDOWN);
            seen.mouseHooked = sim.Input().MouseHook() != 0;
            seen.clipped = sim.Input().Clip().has_value();
            seen.okVisible = w.IsControlVisible(kp::IDOK);
            if (also) also(w);
        });
    }
    // Watches for a notice from now on; true once one has been shown.
    std::shared_ptr<bool> WatchForAnyNotice() {
        auto shown = std::make_shared<bool>(false);
        sim.OnModal(IDD_NOTICE, [shown](SimWindow&) { *shown = true; });
        return shown;
    }
};

TEST_F(Enforcement, RestNoticeComesOneSecondAfterTheLimitIsPassedAndTheMeterStartsAgainAfterIt) {
    PutLimits({{"tom", 1, 5, std::nullopt}});
    NoticeSeen first, second;
    WatchNotice(first);
    WatchNotice(second);
    RunUntil(8000000);
    EXPECT_EQ(3602000, first.at);
    EXPECT_TRUE(GbkEq("用户:tom.\n    您已经连续使用1小时,请休息一会儿.", first.message));
    EXPECT_TRUE(GbkEq("系统将在300秒后解除锁定", first.countdown));
    EXPECT_TRUE(first.mouseHooked);
    EXPECT_TRUE(first.clipped);
    EXPECT_FALSE(first.okVisible);
    // The countdown shows 300 down to 0 and closes a second later; the meter then counts from zero.
    EXPECT_EQ(first.at + 301000 + 3602000, second.at);
    EXPECT_FALSE(sim.Input().Clip().has_value());
}

TEST_F(Enforcement, DailyWindowIsCheckedOnceAtStartWithBothEndsIncluded) {
    struct Case {
        int hour, minute;
        bool endOfDay;
    } cases[] = {{22, 0, false}, {22, 1, true}, {8, 59, true}, {9, 0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.hour) + ":" + std::to_string(c.minute));
        SimOs run;
        run.System().SetUserName(std::string("tom"));
        run.SetLocalTime(TodayAt(c.hour, c.minute));
        PowerRecorder power(run);
        PutRows(run, {RowOf({"tom", 0, 5, {{TodayAt(9, 0), TodayAt(22, 0)}}})});
        bool meterRunning = false;
        run.At(500, [&run, &meterRunning] {
            meterRunning = run.Sheet()->Page(2)->TimerPeriod(CTovrelControl::kMeterTimer).has_value();
        });
        run.At(200000, [&run] { static_cast<kestor::CTovrelDlg*>(run.Sheet()->Object())->OnCommand(ID_TRAY_EXIT, 0); });
        kestor::RunKestor();
        EXPECT_EQ(!c.endOfDay, meterRunning);
        EXPECT_EQ(c.endOfDay ? 1u : 0u, power.calls.size());
    }
}

TEST_F(Enforcement, EndOfDayNoticeCountsDownThenTheListsAreSavedAndTheMachineShutDown) {
    sim.SetLocalTime(TodayAt(22, 1));
    PutLimits({{"tom", 2, 10, {{TodayAt(9, 0), TodayAt(22, 0)}}}, {"amy", 1, 5, std::nullopt}});
    const std::string before = sim.Files().Get(kLimitFile).value_or("");
    PowerRecorder power(sim);
    NoticeSeen seen;
    WatchNotice(seen);
    kestor::RunKestor();
    EXPECT_LE(seen.at, 20);
    EXPECT_TRUE(GbkEq("用户:tom.\n    您本日使用时间即将结束,请注意保存好您个人的文档资料.", seen.message));
    EXPECT_TRUE(GbkEq("系统将在120秒后自动关闭", seen.countdown));
    EXPECT_TRUE(seen.mouseHooked);
    EXPECT_FALSE(seen.clipped);
    ASSERT_EQ(1u, power.calls.size());
    EXPECT_EQ(kp::EWX_SHUTDOWN, power.calls[0].flags);
    EXPECT_EQ(seen.at + 121000, power.calls[0].at);
    EXPECT_TRUE(power.calls[0].quitPosted);
    EXPECT_EQ((std::vector<std::string>{"C:\\Kestor\\TimeSet.ini", kLimitFile, "C:\\Kestor\\Playlist.m3u"}),
              power.calls[0].filesWritten);
    EXPECT_EQ(before, sim.Files().Get(kLimitFile).value_or("")) << "the list is saved back as it was";
}

TEST_F(Enforcement, BackstopTimerShutsDownWhenTheNoticeIsStillUpAfter130Seconds) {
    sim.SetLocalTime(TodayAt(7, 30));
    PutLimits({{"tom", 0, 5, {{TodayAt(9, 0), TodayAt(22, 0)}}}});
    PowerRecorder power(sim);
    NoticeSeen seen;
    // A notice that never finishes counting down.
    WatchNotice(seen, [this](SimWindow&) { Page().m_notice.m_nSeconds = 100000; });
    kestor::RunKestor();
    ASSERT_EQ(1u, power.calls.size());
    EXPECT_EQ(seen.at + 130000, power.calls[0].at);
    EXPECT_EQ(3u, power.calls[0].filesWritten.size());
    EXPECT_TRUE(power.calls[0].quitPosted);
    EXPECT_FALSE(sim.Input().MouseHook()) << "the notice gave the input back when the program quit under it";
}

TEST_F(Enforcement, WindowOnlyRowStartedInsideNeverShowsANoticeEvenPastItsEnd) {
    sim.SetLocalTime(TodayAt(21, 50));
    PutLimits({{"tom", 0, 5, {{TodayAt(9, 0), TodayAt(22, 0)}}}});
    const auto shown = WatchForAnyNotice();
    RunUntil(3 * 3600 * 1000);
    EXPECT_FALSE(*shown);
    EXPECT_TRUE(sim.Power().Calls().empty());
}

TEST_F(Enforcement, ContinuousOnlyRowIgnoresAWindowTextAndRests) {
    sim.SetLocalTime(TodayAt(23, 0));
    // A window text that would exclude 23:00, under flags that say continuous only.
    RawRow row = RowOf({"tom", 1, 5, std::nullopt});
    row.texts[3] = kestor::WindowText(TodayAt(9, 0), TodayAt(10, 0));
    PutRows(sim, {row});
    NoticeSeen seen;
    WatchNotice(seen);
    RunUntil(3700000);
    EXPECT_EQ(3602000, seen.at);
    EXPECT_TRUE(sim.Power().Calls().empty());
}

TEST_F(Enforcement, NameThatDiffersOnlyInLetterCaseIsNotEnforced) {
    sim.SetLocalTime(TodayAt(23, 0));
    PutLimits({{"Tom", 1, 5, {{TodayAt(9, 0), TodayAt(10, 0)}}}});
    sim.At(500, [this] { EXPECT_TRUE(PageWindow().Timers().empty()); });
    const auto shown = WatchForAnyNotice();
    RunUntil(3700000);
    EXPECT_FALSE(*shown);
    EXPECT_TRUE(sim.Power().Calls().empty());
}

// ---------------------------------------------------------------- the administrator

class Administrator : public ControlScenario {
protected:
    // The administrator button at `ms` with this password; `inDialog` runs on the administrator dialog if
    // it opens (it must end it).
    void AskAt(int64_t ms, const std::string& password, std::function<void(SimWindow&)> inDialog = {},
               bool wrong = false) {
        OnPage(ms, [this, password, inDialog, wrong](SimWindow& page) {
            sim.OnModal(IDD_PASSWORDINPUT, [password](SimWindow& w) {
                w.Type(IDC_PASSWORD, password);
                w.Click(kp::IDOK);
            });
            if (inDialog) sim.OnModal(IDD_ADMIN, inDialog);
            if (wrong) sim.AnswerMessageBox(kp::IDOK);
            page.Click(IDC_ADMIN_SETTINGS);
        });
    }
    std::optional<std::string> MachineString(const char* name) {
        return sim.Reg().GetString(Hive::LocalMachine, kestor::kMachineKeyPath, name);
    }
    std::optional<uint32_t> MachineInt(const char* name) {
        return sim.Reg().GetDword(Hive::LocalMachine, kestor::kMachineKeyPath, name);
    }
};

TEST_F(Administrator, FirstSettingWithTheDefaultPasswordThenOnlyTheNewPasswordOpensIt) {
    AskAt(500, "MoonGate", [this](SimWindow& w) {
        EXPECT_EQ("", w.GetText(IDC_ADMIN_NAME));
        EXPECT_EQ("", w.GetText(IDC_ADMIN_PASSWORD));
        EXPECT_EQ(0, w.GetCheck(IDC_ADMIN_NO_TRAY));
        sim.AnswerMessageBox(kp::IDOK);
        w.Click(kp::IDOK);  // refused: no name
        EXPECT_EQ(w.Result(), std::nullopt);
        w.Type(IDC_ADMIN_NAME, "boss");
        w.Type(IDC_ADMIN_PASSWORD, "Sesame");
        w.Click(IDC_ADMIN_NO_TRAY);
        w.Click(kp::IDOK);
    });
    sim.At(600, [this] {
        EXPECT_EQ("Sesame", ProfileString("Options_f1").value_or(""));
        EXPECT_EQ(2u, ProfileInt("Options_f2").value_or(0));
        EXPECT_EQ("boss", ProfileString("Options_g1").value_or(""));
        EXPECT_EQ(1u, ProfileInt("Options_g2").value_or(9));
        EXPECT_EQ(0u, ProfileInt("Options_g3").value_or(9));
        EXPECT_EQ("boss", MachineString("Options_g1").value_or(""));
        EXPECT_EQ(1u, MachineInt("Options_g2").value_or(9));
        EXPECT_EQ(0u, MachineInt("Options_g3").value_or(9));
        // The machine copy is what the dialog shows next time.
        sim.Reg().SetDword(Hive::LocalMachine, kestor::kMachineKeyPath, "Options_g3", 1);
    });
    AskAt(700, "MoonGate", {}, true);
    AskAt(800, "sesame", {}, true);
    AskAt(900, "Sesame", [](SimWindow& w) {
        EXPECT_EQ("boss", w.GetText(IDC_ADMIN_NAME));
        EXPECT_EQ("Sesame", w.GetText(IDC_ADMIN_PASSWORD));
        EXPECT_EQ(1, w.GetCheck(IDC_ADMIN_NO_TRAY));
        EXPECT_EQ(1, w.GetCheck(IDC_ADMIN_HIDE));
        w.Type(IDC_ADMIN_PASSWORD, "");
        w.Click(kp::IDOK);
    });
    AskAt(1000, "", [](SimWindow& w) {
        EXPECT_EQ("", w.GetText(IDC_ADMIN_PASSWORD));
        w.Click(kp::IDCANCEL);
    });
    RunUntil(1100);
    EXPECT_TRUE(MessageBoxTexts(sim, {"管理员名称不能为空", "密码错误", "密码错误"}));
    EXPECT_EQ("", ProfileString("Options_f1").value_or("<none>"));
    EXPECT_EQ(1u, MachineInt("Options_g3").value_or(9));
}

TEST_F(Administrator, WrongPasswordCancelAndAMissingStoredPasswordChangeNothing) {
    AskAt(500, "moongate", {}, true);
    // The first setting cancelled: still the default password.
    AskAt(600, "MoonGate", [](SimWindow& w) {
        w.Type(IDC_ADMIN_NAME, "boss");
        w.Click(kp::IDCANCEL);
    });
    sim.At(700, [this] {
        EXPECT_EQ(1u, ProfileInt("Options_f2").value_or(0));
        EXPECT_FALSE(MachineString("Options_g1").has_value());
        const kp::RegKey key = sim.Reg().Open(Hive::CurrentUser, kProfile, kp::Access::All);
        sim.Reg().DeleteValue(key, "Options_f1");
        sim.Reg().Close(key);
    });
    // Without a stored password the button does nothing after the question (an administrator dialog
    // opening here would wait for input nobody scripted, and fail the run).
    AskAt(800, "MoonGate");
    RunUntil(900);
    EXPECT_TRUE(MessageBoxTexts(sim, {"密码错误"}));
}

}  // namespace
