// Playlist.m3u: one full path per line, CR LF line ends, in the list's order. An empty line ends the list.
#pragma once
#include <string>
#include <vector>
#include "platform/Controls.h"

namespace kestor {

// The largest file read; a longer one is read in part and kept as it is at exit.
constexpr size_t kPlaylistReadLimit = 16u << 20;

// The paths up to the first empty line or the end of the bytes.
std::vector<std::string> ReadPlaylist(const std::string& bytes);
// Every row of the list, each followed by a line end; no rows give no bytes.
std::string WritePlaylist(const kp::IListBox& list);

}  // namespace kestor
