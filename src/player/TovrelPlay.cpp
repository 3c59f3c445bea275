#include "player/TovrelPlay.h"

#include "resource.h"

namespace kestor {

// A click on the music page's background is not counted as activity.
CTovrelPlay::CTovrelPlay() : KestorPage(IDD_PLAY, false) {}

kp::IListBox* CTovrelPlay::Playlist() { return Window() ? &Window()->ListBox(IDC_PLAYLIST) : nullptr; }

}  // namespace kestor
