// Playlist.m3u: any bytes load without a crash or a hang, and the list the loaded paths make saves to
// bytes that load back to the same paths and save to the same bytes. Paths built from the input are
// written and read back whole (a path is never empty: an empty line ends the list).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "ListRows.h"
#include "player/PlaylistFile.h"

namespace {

kp::sim::SimListBox ListOf(const std::vector<std::string>& paths) {
    kp::sim::SimListBox list;
    for (const std::string& path : paths) list.AddString(path);
    return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The input as a file.
    const std::vector<std::string> paths = kestor::ReadPlaylist(std::string(reinterpret_cast<const char*>(data), size));
    for (const std::string& path : paths) FUZZ_CHECK(!path.empty() && path.size() <= size);
    const std::string bytes = kestor::WritePlaylist(ListOf(paths));
    const std::vector<std::string> again = kestor::ReadPlaylist(bytes);
    FUZZ_CHECK(again == paths);
    FUZZ_CHECK(kestor::WritePlaylist(ListOf(again)) == bytes);

    // The input as the paths of a list.
    FuzzedDataProvider provider(data, size);
    std::vector<std::string> listed;
    while (provider.remaining_bytes() > 0) {
        const std::string path = fuzz::CellText(provider);
        if (!path.empty()) listed.push_back(path);
    }
    FUZZ_CHECK(kestor::ReadPlaylist(kestor::WritePlaylist(ListOf(listed))) == listed);
    return 0;
}
