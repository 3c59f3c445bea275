// The simulated platform's pieces behind the music and information pages: the media device over virtual
// time, folder listings with links, the scripted file dialogs, and the 64-bit time since start.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SimTestUtil.h"
#include "platform/Os.h"
#include "platform/Wnd.h"
#include "platform/sim/SimOs.h"

namespace {

using kp::FileDialogResult;
using kp::FolderEntry;
using kp::sim::SimError;
using kp::sim::SimOs;
using kp::sim::UnscriptedWait;
using kp::sim::test::Throws;

class Ticking : public kp::Dialog {
public:
    Ticking() : Dialog(9003) {}
    void OnTimer(unsigned) override { ++ticks; }
    int ticks = 0;
};

TEST(SimMedia, ADeviceIsStoppedUntilPlayedPlaysForItsLengthAndIsGoneOnceClosed) {
    SimOs os("");
    kp::IMedia& media = *kp::TheOs().media;
    os.Media().AddTrack("C:\\Music\\a.mp3", 3000);
    uint32_t id = 0, again = 0, mode = 0;
    EXPECT_FALSE(media.Open("C:\\Music\\missing.mp3", id));
    EXPECT_FALSE(media.Open("", id));
    ASSERT_TRUE(media.Open("c:\\music\\A.MP3", id)) << "paths are case-insensitive";
    ASSERT_TRUE(media.Open("C:\\Music\\a.mp3", again)) << "opened shareably, twice";
    EXPECT_NE(0u, id);
    EXPECT_NE(id, again);
    ASSERT_TRUE(media.Mode(id, mode));
    EXPECT_EQ(kp::MCI_MODE_STOP, mode);

    EXPECT_TRUE(media.Play(id));
    os.Advance(2999);
    ASSERT_TRUE(media.Mode(id, mode));
    EXPECT_EQ(kp::MCI_MODE_PLAY, mode);
    EXPECT_EQ(std::vector<std::string>{"c:\\music\\A.MP3"}, os.Media().Playing());
    os.Advance(1);
    ASSERT_TRUE(media.Mode(id, mode));
    EXPECT_EQ(kp::MCI_MODE_STOP, mode);
    EXPECT_TRUE(os.Media().Playing().empty());

    EXPECT_TRUE(media.Close(id));
    EXPECT_FALSE(media.Mode(id, mode));
    EXPECT_FALSE(media.Close(id));
    EXPECT_FALSE(media.Mode(0, mode));
    EXPECT_FALSE(media.Play(0));
    EXPECT_EQ(1, os.Media().OpenDevices());
    EXPECT_EQ(6u, os.Media().Calls().size()) << "four opens, one play and one close";
}

std::vector<std::string> Describe(const std::vector<FolderEntry>& entries) {
    std::vector<std::string> out;
    for (const FolderEntry& e : entries) out.push_back(e.name + (e.reparsePoint ? " link" : e.folder ? " dir" : ""));
    return out;
}

TEST(SimFolders, ListingsShowFilesImpliedAndAddedFoldersAndLinksThatLeadToTheirTarget) {
    SimOs os("");
    kp::IFiles& files = *kp::TheOs().files;
    os.Files().Put("C:\\Music\\b.mp3", "");
    os.Files().Put("C:\\Music\\Sub\\Deep\\c.mp3", "");
    os.Files().Put("C:\\Musical\\x.mp3", "");
    os.Files().AddFolder("C:\\Music\\Empty\\");
    os.Files().AddFolderLink("C:\\Music\\Back", "C:\\Music");
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(files.ListFolder("c:\\music\\", entries));
    EXPECT_EQ((std::vector<std::string>{"b.mp3", "Back link", "Empty dir", "Sub dir"}), Describe(entries));
    ASSERT_TRUE(files.ListFolder("C:\\Music\\Empty", entries));
    EXPECT_TRUE(entries.empty());
    ASSERT_TRUE(files.ListFolder("C:\\Music\\Back\\Sub", entries));
    EXPECT_EQ(std::vector<std::string>{"Deep dir"}, Describe(entries));
    ASSERT_TRUE(files.ListFolder("C:\\", entries));
    EXPECT_EQ((std::vector<std::string>{"Music dir", "Musical dir"}), Describe(entries));
    EXPECT_FALSE(files.ListFolder("C:\\Nowhere", entries));
    EXPECT_FALSE(files.ListFolder("C:\\Music\\b.mp3", entries)) << "a file is no folder";
}

TEST(SimFileDialogs, RunModallyWhileTimersFireAndMustBeScriptedForTheirKind) {
    SimOs os("");
    Ticking owner;
    os.Create(owner);
    owner.SetTimer(1, 1000);
    kp::IUi& ui = *kp::TheOs().ui;
    std::vector<std::string> paths{"stale"};
    std::string folder;

    os.AnswerOpenFiles(FileDialogResult::Ok, {"C:\\a.mp3", "C:\\b.mp3"}, 2500);
    EXPECT_EQ(FileDialogResult::Ok, ui.OpenFiles(owner, "mp3", "MP3|*.mp3||", paths));
    EXPECT_EQ((std::vector<std::string>{"C:\\a.mp3", "C:\\b.mp3"}), paths);
    EXPECT_EQ(2, owner.ticks);
    os.AnswerOpenFiles(FileDialogResult::TooManyFiles);
    EXPECT_EQ(FileDialogResult::TooManyFiles, ui.OpenFiles(owner, "mp3", "MP3|*.mp3||", paths));
    EXPECT_TRUE(paths.empty());

    os.AnswerFolderBrowser(std::string("D:\\Music"));
    EXPECT_TRUE(ui.BrowseForFolder(owner, folder));
    EXPECT_EQ("D:\\Music", folder);
    os.AnswerFolderBrowser(std::nullopt);
    EXPECT_FALSE(ui.BrowseForFolder(owner, folder));

    EXPECT_TRUE(Throws<UnscriptedWait>([&] { ui.BrowseForFolder(owner, folder); }, "folder browser"));
    os.AnswerFolderBrowser(std::string("D:\\"));
    EXPECT_TRUE(Throws<UnscriptedWait>([&] { ui.OpenFiles(owner, "mp3", "", paths); }, "open-file dialog"));
    EXPECT_TRUE(Throws<SimError>([&] { os.AnswerOpenFiles(FileDialogResult::Cancelled, {"C:\\a.mp3"}); }));
    EXPECT_EQ(6u, os.MediaDialogs().size());
}

TEST(SimClock, TheTimeSinceStartKeepsCountingWhereTheTickCountWraps) {
    SimOs os("");
    kp::IClock& clock = *kp::TheOs().clock;
    os.SetMsSinceStart(0xFFFFF000ull);
    os.Advance(0x2000);
    EXPECT_EQ(0x100001000ull, clock.MsSinceStart());
    EXPECT_EQ(0x1000u, clock.TickCount());
    os.SetTickCount(500);
    EXPECT_EQ(500u, clock.MsSinceStart());
}

}  // namespace
