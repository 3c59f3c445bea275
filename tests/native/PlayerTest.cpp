// The music page: adding files and folders, the play order, deleting rows while a track plays.
#include "Util.h"
#include "player/TovrelPlay.h"

namespace {

using namespace kt;
using kp::FileDialogResult;

class Player : public OnePage<kestor::CTovrelPlay> {
protected:
    kp::sim::SimMedia& media = os.Media();

    Strings Rows() { return w->ListBoxOf(IDC_PLAYLIST).Items(); }
    // Selects a row (-1: none) and clicks; the add button gets these files or this answer.
    void Click(int row, int button, const Strings& files = {}, FileDialogResult result = FileDialogResult::Ok) {
        if (button == IDC_ADD_FILES) os.FileDialogs().AnswerOpenFiles(result, files);
        if (row >= 0) w->SelectListItem(IDC_PLAYLIST, row);
        w->Click(button);
    }
};

// A track's end is seen at the first poll after it. Folders are joined with one backslash, also to a name whose
// last byte is a backslash's (誠 D5 5C, 運 DF 5C); 0x81 0x4D is one character, not an "M".
TEST_F(Player, AddingFilesAndFoldersAndTheLoop) {
    for (const auto& [path, ms] : {std::pair{"D:\\b.mp3", 2500}, {"C:\\a.mp3", 2500}, {"c:\\B.mp3", 4200}})
        media.AddTrack(path, ms);
    for (const char* f : {"E:\\a.MP3", "E:\\b.mp3", "E:\\c.wav", "E:\\sub\\d.Mp3", "E:\\sub\\e.mp3x", "E:\\sub\\fmp3",
                          "E:\\sub\\\x81MP3", "E:\\誠\\g.mp3", "E:\\誠\\運\\h.mp3"})
        os.Files().Put(f, "");
    os.Files().AddFolderLink("E:\\sub\\back", "E:\\");  // a loop: links are not followed
    w = &os.Create(page);
    Click(-1, IDC_ADD_FILES, {"D:\\b.mp3"});
    Click(-1, IDC_ADD_FILES, {"C:\\a.mp3", "c:\\B.mp3", "C:\\a.mp3"});
    EXPECT_EQ((Strings{"C:\\a.mp3", "C:\\a.mp3", "c:\\B.mp3", "D:\\b.mp3"}), Rows());
    EXPECT_EQ(1, media.OpenDevices());
    os.Advance(14500);
    std::string plays;
    for (const auto& c : media.Calls())
        if (c.what == kp::sim::SimMedia::Call::Play) plays += c.path + "@" + std::to_string(c.at) + " ";
    EXPECT_EQ("D:\\b.mp3@0 C:\\a.mp3@0 C:\\a.mp3@3000 c:\\B.mp3@6000 D:\\b.mp3@11000 C:\\a.mp3@14000 ", plays);
    EXPECT_EQ(0, w->ListBoxOf(IDC_PLAYLIST).GetCurSel());
    os.AnswerMessageBox(kp::IDOK);
    Click(-1, IDC_ADD_FILES, {}, FileDialogResult::TooManyFiles);
    Click(-1, IDC_ADD_FILES, {}, FileDialogResult::Cancelled);
    EXPECT_TRUE(MessageBoxTexts(os, {"选择的文件太多，请分几次添加。"}));
    EXPECT_EQ(4u, Rows().size());
    EXPECT_EQ(6u, media.Plays().size());
    const auto& ask = os.FileDialogs().Requests().back();
    EXPECT_TRUE(ask.owner == &page && ask.filter + "|" + ask.defaultExt == "所有文件 (*.mp3)|*.mp3|||mp3");
    w->ListBoxOf(IDC_PLAYLIST).ResetContent();
    os.FileDialogs().AnswerFolderBrowser(std::string("E:\\"));
    w->Click(IDC_ADD_FOLDER);
    EXPECT_EQ((Strings{"E:\\a.MP3", "E:\\b.mp3", "E:\\sub\\d.Mp3", "E:\\sub\\fmp3", "E:\\誠\\g.mp3",
                       "E:\\誠\\運\\h.mp3"}), Rows());
    EXPECT_EQ("E:\\a.MP3", media.Calls().back().path);
    EXPECT_TRUE(kestor::EndsInMp3("mp3") && !kestor::EndsInMp3("p3"));
}

TEST_F(Player, PlayStopAndDeletingRowsLeaveThePlayingTrackAndItsEndMovesOnFromTheOldIndex) {
    for (const char* path : {"C:\\a.mp3", "C:\\b.mp3", "C:\\d.mp3"}) media.AddTrack(path, 4500);  // c is damaged
    os.Files().Put("C:\\Kestor\\Playlist.m3u", "C:\\a.mp3\r\nC:\\b.mp3\r\nC:\\c.mp3\r\nC:\\d.mp3\r\n");
    w = &os.Create(page);
    const Strings a{"C:\\a.mp3"}, b{"C:\\b.mp3"};
    Click(-1, IDC_PLAY);
    EXPECT_EQ(a, media.Playing());
    Click(-1, IDC_STOP);
    EXPECT_EQ(0u, page.m_nDeviceId);
    os.Advance(6000);
    Click(1, IDC_PLAY);
    Click(1, IDC_DELETE_SELECTED);
    EXPECT_EQ((Strings{"C:\\a.mp3", "C:\\c.mp3", "C:\\d.mp3"}), Rows());
    EXPECT_EQ(b, media.Playing());
    // b ends: old index 1 + 1 of the shorter list; d, a; c cannot be opened: the run ends silently.
    os.Advance(28000);
    EXPECT_EQ((Strings{"C:\\a.mp3", "C:\\b.mp3", "C:\\d.mp3", "C:\\a.mp3"}), media.Plays());
    Click(0, IDC_DELETE_UNSELECTED);
    Click(-1, IDC_DELETE_UNSELECTED);
    Click(-1, IDC_DELETE_SELECTED);
    EXPECT_EQ(a, Rows());
    w->ClickListItem(IDC_PLAYLIST, 0, true);
    EXPECT_EQ(a, media.Playing());
}

}  // namespace
