#include "player/PlaylistFile.h"

#include "platform/TextFile.h"

namespace kestor {

std::vector<std::string> ReadPlaylist(const std::string& bytes) {
    std::vector<std::string> paths;
    kp::TextReader reader(bytes);
    std::string line;
    while (reader.ReadLine(line) && !line.empty()) paths.push_back(line);
    return paths;
}

std::string WritePlaylist(const kp::IListBox& list) {
    kp::TextWriter writer;
    for (int i = 0; i < list.GetCount(); ++i) writer.WriteLine(list.GetText(i));
    return writer.Bytes();
}

}  // namespace kestor
