// The music page over the simulated platform: the sorted playlist, adding files and folders, the play
// order with its loop, deleting rows while a track plays, the auto-play flag and Playlist.m3u.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/TovrelApp.h"
#include "player/PlaylistFile.h"
#include "player/TovrelPlay.h"
#include "platform/sim/SimOs.h"
#include "resource.h"
#include "SimTestUtil.h"

using kp::FileDialogResult;
using kp::Hive;
using kp::sim::SimOs;
using kp::sim::SimWindow;
using Strings = std::vector<std::string>;

namespace {

using kp::sim::test::kMachine;
const char* const kPlaylistPath = "C:\\Kestor\\Playlist.m3u";

class Play : public ::testing::Test {
protected:
    SimOs os;
    kestor::CTovrelPlay page;
    SimWindow* w = nullptr;

    void SetUp() override { os.System().SetCurrentDirectory("C:\\Kestor"); }

    SimWindow& Open() { return *(w = &os.Create(page)); }
    Strings Rows() { return w->ListBoxOf(IDC_PLAYLIST).Items(); }
    int Selected() { return w->ListBoxOf(IDC_PLAYLIST).GetCurSel(); }
    void Tracks(const Strings& paths, int64_t lengthMs) {
        for (const std::string& p : paths) os.Media().AddTrack(p, lengthMs);
    }
    void AddFiles(const Strings& paths) {
        os.FileDialogs().AnswerOpenFiles(FileDialogResult::Ok, paths);
        w->Click(IDC_ADD_FILES);
    }
    void SelectAndPlay(int row) {
        w->SelectListItem(IDC_PLAYLIST, row);
        w->Click(IDC_PLAY);
    }
    // The virtual times of the Play calls, from `since` on.
    std::vector<int64_t> PlayTimes(int64_t since) {
        std::vector<int64_t> out;
        for (const auto& c : os.Media().Calls())
            if (c.what == kp::sim::SimMedia::Call::Play) out.push_back(c.at - since);
        return out;
    }
};

TEST_F(Play, EachAddSortsTheRowsInAndRestartsTheTrackAtTheCurrentRow) {
    Tracks({"D:\\b.mp3", "C:\\a.mp3", "c:\\B.mp3"}, 60000);
    Open();
    AddFiles({"D:\\b.mp3"});
    EXPECT_EQ(Strings{"D:\\b.mp3"}, Rows());
    EXPECT_EQ(Strings{"D:\\b.mp3"}, os.Media().Playing());
    EXPECT_EQ(1000u, w->TimerPeriod(kestor::CTovrelPlay::kPollTimer).value_or(0));

    AddFiles({"C:\\a.mp3"});
    EXPECT_EQ((Strings{"C:\\a.mp3", "D:\\b.mp3"}), Rows());
    EXPECT_EQ(Strings{"C:\\a.mp3"}, os.Media().Playing()) << "the track at row 0 now";
    EXPECT_EQ(1, os.Media().OpenDevices()) << "D:\\b.mp3 was closed";
    EXPECT_EQ(0, Selected());

    // Case is ignored in the order; a file already listed is listed again.
    AddFiles({"c:\\B.mp3", "C:\\a.mp3"});
    EXPECT_EQ((Strings{"C:\\a.mp3", "C:\\a.mp3", "c:\\B.mp3", "D:\\b.mp3"}), Rows());

    const auto& requests = os.FileDialogs().Requests();
    ASSERT_EQ(3u, requests.size());
    EXPECT_EQ("mp3", requests[0].defaultExt);
    EXPECT_EQ("所有文件 (*.mp3)|*.mp3||", requests[0].filter);
    EXPECT_EQ(&page, requests[0].owner);
}

TEST_F(Play, TracksFollowTheListOrderPolledOnceASecondAndStartOverAfterTheLast) {
    os.Media().AddTrack("C:\\m\\1.mp3", 2500);
    os.Media().AddTrack("C:\\m\\2.mp3", 4200);
    Open();
    const int64_t t0 = os.Now();
    AddFiles({"C:\\m\\2.mp3", "C:\\m\\1.mp3"});
    os.Advance(20000);
    EXPECT_EQ((Strings{"C:\\m\\1.mp3", "C:\\m\\2.mp3", "C:\\m\\1.mp3", "C:\\m\\2.mp3", "C:\\m\\1.mp3",
                       "C:\\m\\2.mp3"}),
              os.Media().Plays());
    // A track's end is seen at the first poll after it; each start arms the poll anew.
    EXPECT_EQ((std::vector<int64_t>{0, 3000, 8000, 11000, 16000, 19000}), PlayTimes(t0));
    EXPECT_EQ(1, Selected()) << "the row playing is selected";
    EXPECT_EQ(1, page.m_nCurrent);
}

TEST_F(Play, DeletingThePlayingRowLeavesItPlayingAndItsEndMovesOnFromTheOldIndex) {
    Tracks({"C:\\a.mp3", "C:\\b.mp3", "C:\\c.mp3", "C:\\d.mp3"}, 5000);
    os.Files().Put(kPlaylistPath, "C:\\a.mp3\r\nC:\\b.mp3\r\nC:\\c.mp3\r\nC:\\d.mp3\r\n");
    Open();
    SelectAndPlay(1);
    w->SelectListItem(IDC_PLAYLIST, 1);
    w->Click(IDC_DELETE_SELECTED);
    EXPECT_EQ((Strings{"C:\\a.mp3", "C:\\c.mp3", "C:\\d.mp3"}), Rows());
    EXPECT_EQ(Strings{"C:\\b.mp3"}, os.Media().Playing());
    os.Advance(6000);
    EXPECT_EQ(Strings{"C:\\d.mp3"}, os.Media().Playing()) << "old index 1 + 1 of the shortened list";

    // Keeping only the selected row leaves playback alone; with no selection nothing is deleted.
    w->SelectListItem(IDC_PLAYLIST, 0);
    w->Click(IDC_DELETE_UNSELECTED);
    EXPECT_EQ(Strings{"C:\\a.mp3"}, Rows());
    EXPECT_EQ(Strings{"C:\\d.mp3"}, os.Media().Playing());
    ASSERT_EQ(-1, Selected());
    w->Click(IDC_DELETE_UNSELECTED);
    w->Click(IDC_DELETE_SELECTED);
    EXPECT_EQ(Strings{"C:\\a.mp3"}, Rows());

    // d.mp3 ends with the list down to one row: from the top again.
    os.Advance(6000);
    EXPECT_EQ(Strings{"C:\\a.mp3"}, os.Media().Playing());
}

TEST_F(Play, StopThenPlayStartsTheSelectedRowAndWithoutASelectionTheCurrentOne) {
    Tracks({"C:\\a.mp3", "C:\\b.mp3", "C:\\c.mp3"}, 60000);
    os.Files().Put(kPlaylistPath, "C:\\a.mp3\r\nC:\\b.mp3\r\nC:\\c.mp3\r\n");
    Open();
    ASSERT_EQ(-1, Selected());
    w->Click(IDC_PLAY);
    EXPECT_EQ(Strings{"C:\\a.mp3"}, os.Media().Playing()) << "no selection: the current row";
    EXPECT_EQ(0, Selected());

    w->Click(IDC_STOP);
    EXPECT_TRUE(os.Media().Playing().empty());
    EXPECT_EQ(0, os.Media().OpenDevices());
    EXPECT_EQ(0u, page.m_nDeviceId);
    os.Advance(5000);
    EXPECT_EQ(1u, os.Media().Plays().size()) << "the poll of no device starts nothing";

    SelectAndPlay(2);
    EXPECT_EQ(Strings{"C:\\c.mp3"}, os.Media().Playing());
    EXPECT_EQ(2, page.m_nCurrent);

    // A double click on a row plays it as the button does.
    w->ClickListItem(IDC_PLAYLIST, 1, true);
    EXPECT_EQ(Strings{"C:\\b.mp3"}, os.Media().Playing());
    EXPECT_EQ(1, os.Media().OpenDevices());
    EXPECT_EQ(1, page.m_nCurrent);
}

TEST_F(Play, AFileTheDeviceCannotOpenEndsTheRunSilentlyUntilTheUserPlaysAgain) {
    os.Media().AddTrack("C:\\a.mp3", 2000);
    os.Media().AddTrack("C:\\c.mp3", 2000);  // C:\b.mp3 is damaged: no device takes it
    os.Files().Put(kPlaylistPath, "C:\\a.mp3\r\nC:\\b.mp3\r\nC:\\c.mp3\r\n");
    Open();
    w->Click(IDC_PLAY);
    os.Advance(10000);
    EXPECT_EQ(Strings{"C:\\a.mp3"}, os.Media().Plays());
    EXPECT_TRUE(os.Media().Playing().empty());
    EXPECT_EQ(0u, page.m_nDeviceId);
    EXPECT_TRUE(os.MessageBoxes().empty());
    SelectAndPlay(2);
    EXPECT_EQ(Strings{"C:\\c.mp3"}, os.Media().Playing());
}

TEST_F(Play, ASelectionTooLargeForTheDialogIsReportedAndACancelChangesNothing) {
    Tracks({"C:\\a.mp3"}, 60000);
    Open();
    AddFiles({"C:\\a.mp3"});
    os.FileDialogs().AnswerOpenFiles(FileDialogResult::TooManyFiles);
    os.AnswerMessageBox(kp::IDOK);
    w->Click(IDC_ADD_FILES);
    EXPECT_TRUE(kp::sim::test::MessageBoxTexts(os, {"选择的文件太多，请分几次添加。"}));
    os.FileDialogs().AnswerOpenFiles(FileDialogResult::Cancelled);
    w->Click(IDC_ADD_FILES);
    EXPECT_EQ(Strings{"C:\\a.mp3"}, Rows());
    EXPECT_EQ(1u, os.Media().Plays().size()) << "the track playing went on";
    EXPECT_EQ(Strings{"C:\\a.mp3"}, os.Media().Playing());
}

TEST_F(Play, AFolderAddsItsMp3FilesDepthFirstWithoutFollowingLinks) {
    for (const char* f : {"C:\\music\\a.MP3", "C:\\music\\b.mp3", "C:\\music\\c.wav", "C:\\music\\sub\\d.Mp3",
                          "C:\\music\\sub\\deeper\\e.mp3x", "C:\\music\\sub\\deeper\\fmp3", "C:\\other\\g.mp3"})
        os.Files().Put(f, "");
    os.Files().AddFolder("C:\\music\\empty");
    os.Files().AddFolderLink("C:\\music\\sub\\back", "C:\\music");  // a junction making a loop
    os.Files().AddFolderLink("C:\\music\\elsewhere", "C:\\other");
    Tracks({"C:\\music\\a.MP3"}, 60000);
    Open();

    os.FileDialogs().AnswerFolderBrowser(std::nullopt);
    w->Click(IDC_ADD_FOLDER);
    EXPECT_TRUE(Rows().empty());
    EXPECT_TRUE(os.Media().Calls().empty()) << "a cancelled browser plays nothing";

    os.FileDialogs().AnswerFolderBrowser(std::string("C:\\music"));
    w->Click(IDC_ADD_FOLDER);
    EXPECT_EQ((Strings{"C:\\music\\a.MP3", "C:\\music\\b.mp3", "C:\\music\\sub\\d.Mp3",
                       "C:\\music\\sub\\deeper\\fmp3"}),
              Rows());
    EXPECT_EQ(Strings{"C:\\music\\a.MP3"}, os.Media().Playing());
    EXPECT_EQ(kp::sim::SimFileDialogs::Kind::FolderBrowser, os.FileDialogs().Requests().back().kind);
    EXPECT_EQ("C:\\Kestor", os.System().CurrentDirectory());
}

TEST_F(Play, ADriveRootIsJoinedWithOneBackslashAndAnyDepthOfFoldersIsScanned) {
    std::string deep = "D:\\";
    for (int i = 0; i < 1000; ++i) deep += "f\\";
    os.Files().Put(deep + "x.mp3", "");
    os.Files().Put("D:\\top.mp3", "");
    Open();
    os.FileDialogs().AnswerFolderBrowser(std::string("D:\\"));
    w->Click(IDC_ADD_FOLDER);
    EXPECT_EQ((Strings{deep + "x.mp3", "D:\\top.mp3"}), Rows());

    // The second bytes of 誠 and 運 have the value of a backslash: the names are joined all the same.
    w->ListBoxOf(IDC_PLAYLIST).ResetContent();
    os.Files().Put("E:\\誠\\a.mp3", "");
    os.Files().Put("E:\\誠\\運\\b.mp3", "");
    os.FileDialogs().AnswerFolderBrowser(std::string("E:\\誠"));
    w->Click(IDC_ADD_FOLDER);
    EXPECT_EQ((Strings{"E:\\誠\\a.mp3", "E:\\誠\\運\\b.mp3"}), Rows());
}

TEST(PlaylistNames, TheLastThreeCharactersDecideWholeCharactersCounted) {
    EXPECT_TRUE(kestor::EndsInMp3("C:\\a.mp3"));
    EXPECT_TRUE(kestor::EndsInMp3("C:\\歌曲\\情歌.Mp3"));
    EXPECT_TRUE(kestor::EndsInMp3("mp3"));
    EXPECT_FALSE(kestor::EndsInMp3("p3"));
    EXPECT_FALSE(kestor::EndsInMp3("C:\\a.mp4"));
    // 0x81 0x4D is one character whose second byte has the value of "M".
    EXPECT_FALSE(kestor::EndsInMp3("C:\\\x81MP3"));
}

TEST_F(Play, TheAutoPlayFlagIsStoredAtOnceAndStillTogglesWhenTheKeyIsDenied) {
    Open();
    w->Click(IDC_AUTOPLAY);
    EXPECT_EQ(1u, os.Reg().GetDword(Hive::LocalMachine, kMachine, "Options_i1").value_or(99));
    EXPECT_EQ(1, w->GetCheck(IDC_AUTOPLAY));
    w->Click(IDC_AUTOPLAY);
    EXPECT_EQ(0u, os.Reg().GetDword(Hive::LocalMachine, kMachine, "Options_i1").value_or(99));

    os.Reg().DeleteKey(Hive::LocalMachine, "SOFTWARE\\Kestor");
    os.Reg().DenyWrite(Hive::LocalMachine, "SOFTWARE\\Kestor");
    w->Click(IDC_AUTOPLAY);
    EXPECT_EQ(1, page.m_bAutoPlay);
    EXPECT_FALSE(os.Reg().HasKey(Hive::LocalMachine, kMachine));
    EXPECT_TRUE(os.MessageBoxes().empty());
    EXPECT_EQ(0, os.Reg().OpenHandles());
}

TEST(PlaylistFile, ReadingStopsAtTheFirstEmptyLineAndTakesALastLineWithoutItsEnd) {
    EXPECT_EQ((Strings{"C:\\a.mp3", "D:\\b.mp3"}), kestor::ReadPlaylist("C:\\a.mp3\r\nD:\\b.mp3\r\n\r\nE:\\c.mp3\r\n"));
    EXPECT_EQ((Strings{"C:\\a.mp3", "D:\\歌.mp3"}), kestor::ReadPlaylist("C:\\a.mp3\r\nD:\\歌.mp3"));
    EXPECT_TRUE(kestor::ReadPlaylist("\r\nC:\\a.mp3\r\n").empty());
    EXPECT_TRUE(kestor::ReadPlaylist("").empty());
}

// The whole program: the playlist read at start, auto-play, and the file written back at exit.
class PlayProgram : public ::testing::Test {
protected:
    SimOs os;
    void SetUp() override { os.System().SetCurrentDirectory("C:\\Kestor"); }
    void RunAndExitAt(int64_t at) {
        os.ChooseMenuItem(ID_TRAY_EXIT, 100);
        os.At(at, [this] { os.PostTray(kp::WM_RBUTTONDOWN); });
        kestor::RunKestor();
    }
};

TEST_F(PlayProgram, AutoPlayStartsRowZeroAtStartAndTheListRoundTripsUpToItsEmptyLine) {
    os.Reg().SetDword(Hive::LocalMachine, kMachine, "Options_i1", 1);
    os.Files().Put(kPlaylistPath, "D:\\歌\\b.mp3\r\nC:\\a.mp3\r\n\r\nE:\\lost.mp3\r\n");
    os.Media().AddTrack("C:\\a.mp3", 60000);
    os.At(500, [this] {
        EXPECT_EQ(Strings{"C:\\a.mp3"}, os.Media().Playing());
        EXPECT_EQ(1, os.Sheet()->Page(3)->GetCheck(IDC_AUTOPLAY));
    });
    RunAndExitAt(2000);
    EXPECT_EQ(0, os.Media().OpenDevices()) << "the exit closes the track still playing";
    EXPECT_EQ(std::string("C:\\a.mp3\r\nD:\\歌\\b.mp3\r\n"), os.Files().Get(kPlaylistPath).value_or("missing"));
    EXPECT_TRUE(os.MessageBoxes().empty());
}

TEST_F(PlayProgram, AutoPlayWithAnEmptyListPlaysNothingAndSavesAnEmptyFile) {
    os.Reg().SetDword(Hive::LocalMachine, kMachine, "Options_i1", 1);
    RunAndExitAt(2000);
    EXPECT_TRUE(os.Media().Calls().empty());
    EXPECT_TRUE(os.MessageBoxes().empty());
    EXPECT_EQ(std::string(), os.Files().Get(kPlaylistPath).value_or("missing"));
}

}  // namespace
