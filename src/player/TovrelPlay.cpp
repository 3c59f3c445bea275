#include "player/TovrelPlay.h"

#include <vector>

#include "app/ListFile.h"
#include "app/Settings.h"
#include "platform/DataExchange.h"
#include "platform/Gbk.h"
#include "platform/Os.h"
#include "player/PlaylistFile.h"
#include "resource.h"

namespace kestor {

namespace {

const char* const kAutoPlayValue = "Options_i1";
const char* const kSelectionTooLarge = "选择的文件太多，请分几次添加。";

}  // namespace

// A click on the music page's background is not counted as activity.
CTovrelPlay::CTovrelPlay() : KestorPage(IDD_PLAY, false) {}

kp::IListBox* CTovrelPlay::Playlist() { return Window() ? &Window()->ListBox(IDC_PLAYLIST) : nullptr; }

bool CTovrelPlay::OnInitDialog() {
    kp::Os& os = kp::TheOs();
    m_bAutoPlay = static_cast<int>(ReadMachineInt(kAutoPlayValue, 0));
    std::string bytes;
    m_bKeepListFile =
        KeepsFileAtExit(ReadListFile(os.system->CurrentDirectory() + "\\Playlist.m3u", kPlaylistReadLimit, bytes));
    kp::IListBox& list = *Playlist();
    for (const std::string& path : ReadPlaylist(bytes)) list.AddString(path);
    if (m_bAutoPlay) PlayFile(RowText(0));
    return KestorPage::OnInitDialog();  // shows the flag in its check box
}

void CTovrelPlay::DoDataExchange(kp::DataExchange& dx) { dx.Check(IDC_AUTOPLAY, m_bAutoPlay); }

bool CTovrelPlay::OnCommand(int id, int code) {
    if (id == IDC_PLAYLIST) {
        if (code == kp::LBN_DBLCLK) Play();
        return true;
    }
    if (code != kp::BN_CLICKED) return KestorPage::OnCommand(id, code);
    switch (id) {
    case IDC_ADD_FILES: AddFiles(); return true;
    case IDC_ADD_FOLDER: AddFolder(); return true;
    case IDC_DELETE_SELECTED: DeleteSelected(); return true;
    case IDC_DELETE_UNSELECTED: DeleteUnselected(); return true;
    case IDC_AUTOPLAY: ToggleAutoPlay(); return true;
    case IDC_PLAY: Play(); return true;
    case IDC_STOP: StopPlayback(); return true;
    default: return KestorPage::OnCommand(id, code);
    }
}

void CTovrelPlay::OnTimer(unsigned /*id*/) {
    kp::IMedia& media = *kp::TheOs().media;
    uint32_t mode = 0;
    if (!media.Mode(m_nDeviceId, mode) || mode == kp::MCI_MODE_PLAY) return;
    // The track has ended: on to the next row, and from the top after the last.
    KillTimer(kPollTimer);
    media.Close(m_nDeviceId);
    m_nDeviceId = 0;
    ++m_nCurrent;
    if (m_nCurrent >= Playlist()->GetCount()) m_nCurrent = 0;
    PlayCurrent();
}

void CTovrelPlay::PlayFile(const std::string& path) {
    if (m_nDeviceId) StopPlayback();
    kp::IMedia& media = *kp::TheOs().media;
    uint32_t device = 0;
    if (path.empty() || !media.Open(path, device)) return;
    m_nDeviceId = device;
    media.Play(device);
    SetTimer(kPollTimer, 1000);
}

// The poll timer keeps running; its polls of no device do nothing.
void CTovrelPlay::StopPlayback() {
    kp::TheOs().media->Close(m_nDeviceId);
    m_nDeviceId = 0;
}

void CTovrelPlay::PlayCurrent() {
    Playlist()->SetCurSel(m_nCurrent);
    PlayFile(RowText(m_nCurrent));
}

std::string CTovrelPlay::RowText(int row) {
    kp::IListBox& list = *Playlist();
    return row >= 0 && row < list.GetCount() ? list.GetText(row) : std::string();
}

void CTovrelPlay::AddFiles() {
    std::vector<std::string> paths;
    const kp::FileDialogResult result =
        kp::TheOs().fileDialogs->OpenFiles(*this, "所有文件 (*.mp3)|*.mp3||", "mp3", paths);
    if (result == kp::FileDialogResult::TooManyFiles) {
        kp::TheOs().ui->MessageBox(kSelectionTooLarge, kp::MB_OK | kp::MB_ICONEXCLAMATION);
        return;
    }
    if (result != kp::FileDialogResult::Ok) return;
    kp::IListBox& list = *Playlist();
    for (const std::string& path : paths) list.AddString(path);
    PlayCurrent();
}

void CTovrelPlay::AddFolder() {
    std::string folder;
    if (!kp::TheOs().fileDialogs->BrowseForFolder(*this, folder)) return;
    ScanFolder(folder);
    PlayCurrent();
}

bool EndsInMp3(const std::string& path) {
    // Whole characters: the last three must be single-byte ones, not the trail byte of a Chinese one.
    size_t starts[3] = {std::string::npos, std::string::npos, std::string::npos};
    for (size_t i = 0; i < path.size();) {
        starts[0] = starts[1];
        starts[1] = starts[2];
        starts[2] = i;
        i += kp::IsLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size() ? 2 : 1;
    }
    if (starts[0] == std::string::npos || path.size() - starts[0] != 3) return false;
    return kp::MbsICmp(path.substr(starts[0]), "MP3") == 0;
}

void CTovrelPlay::ScanFolder(const std::string& folder) {
    // Depth first with a stack of our own, so that no depth of folders can exhaust the call stack. Each
    // level holds its folder's listing and the next entry to look at; `path` holds the innermost folder,
    // and each level remembers how long its own folder's path is.
    struct Level {
        size_t pathLength;
        std::vector<kp::FolderEntry> entries;
        size_t next = 0;
    };
    kp::IFiles& files = *kp::TheOs().files;
    kp::IListBox& list = *Playlist();
    std::string path = folder;
    std::vector<Level> stack(1, Level{path.size(), {}, 0});
    if (!files.ListFolder(path, stack[0].entries)) return;
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.next == level.entries.size()) {
            stack.pop_back();
            continue;
        }
        const kp::FolderEntry& entry = level.entries[level.next++];
        path.resize(level.pathLength);
        if (!kp::MbsEndsWith(path, '\\')) path += '\\';
        path += entry.name;
        if (!entry.folder) {
            if (EndsInMp3(path)) list.AddString(path);
        } else if (!entry.reparsePoint) {
            Level inner{path.size(), {}, 0};
            if (files.ListFolder(path, inner.entries)) stack.push_back(std::move(inner));
        }
    }
}

void CTovrelPlay::DeleteSelected() {
    kp::IListBox& list = *Playlist();
    const int selected = list.GetCurSel();
    if (selected >= 0) list.DeleteString(selected);
}

void CTovrelPlay::DeleteUnselected() {
    kp::IListBox& list = *Playlist();
    const int selected = list.GetCurSel();
    if (selected < 0) return;
    const std::string keep = list.GetText(selected);
    list.ResetContent();
    list.AddString(keep);
}

void CTovrelPlay::Play() {
    StopPlayback();
    const int selected = Playlist()->GetCurSel();
    if (selected >= 0) m_nCurrent = selected;
    if (m_nCurrent >= Playlist()->GetCount()) m_nCurrent = 0;
    PlayCurrent();
}

void CTovrelPlay::ToggleAutoPlay() {
    m_bAutoPlay = !m_bAutoPlay;
    WriteMachineInt(kAutoPlayValue, static_cast<uint32_t>(m_bAutoPlay));
}

}  // namespace kestor
