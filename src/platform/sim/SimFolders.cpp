// The simulated file system's folders: made from the paths of the files, added folders and folder links.
#include <map>

#include "platform/Gbk.h"
#include "platform/sim/SimServices.h"

namespace kp::sim {

namespace {

std::string WithoutTrailingBackslash(std::string path) {
    while (MbsEndsWith(path, '\\')) path.pop_back();
    return path;
}

}  // namespace

void SimFiles::AddFolder(const std::string& path) {
    const std::string p = WithoutTrailingBackslash(path);
    m_folders[MbsLower(p)] = p;
}

void SimFiles::AddFolderLink(const std::string& path, const std::string& target) {
    const std::string p = WithoutTrailingBackslash(path);
    m_folders[MbsLower(p)] = p;
    m_links[MbsLower(p)] = WithoutTrailingBackslash(target);
}

// A link anywhere on the path leads to its target; a loop of links gives up after a while, as Windows
// does.
std::string SimFiles::Resolve(std::string folded) const {
    for (int hops = 0; hops < 64; ++hops) {
        bool replaced = false;
        for (const auto& [link, target] : m_links) {
            const bool under = folded.compare(0, link.size(), link) == 0 &&
                               (folded.size() == link.size() || folded[link.size()] == '\\');
            if (!under) continue;
            folded = MbsLower(target) + folded.substr(link.size());
            replaced = true;
            break;
        }
        if (!replaced) break;
    }
    return folded;
}

bool SimFiles::ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
    entries.clear();
    const std::string resolved = Resolve(MbsLower(WithoutTrailingBackslash(folder)));
    const std::string prefix = resolved + "\\";
    bool exists = m_folders.count(resolved) != 0;
    std::map<std::string, FolderEntry> found;  // by folded name
    auto consider = [&](const std::string& key, const std::string& asGiven, bool isFolder) {
        if (key.compare(0, prefix.size(), prefix) != 0) return false;
        exists = true;
        const size_t slash = MbsFind(key, "\\", prefix.size());
        const size_t end = slash == std::string::npos ? key.size() : slash;
        FolderEntry e;
        e.name = asGiven.substr(prefix.size(), end - prefix.size());
        e.folder = isFolder || slash != std::string::npos;
        e.reparsePoint = slash == std::string::npos && m_links.count(key) != 0;
        const std::string name = key.substr(prefix.size(), end - prefix.size());
        if (!found.count(name) || e.reparsePoint) found[name] = e;
        return true;
    };
    // Everything below the folder sorts together, right after the prefix.
    for (auto it = m_files.lower_bound(prefix); it != m_files.end() && consider(it->first, it->second.path, false);)
        ++it;
    for (auto it = m_folders.lower_bound(prefix); it != m_folders.end() && consider(it->first, it->second, true);)
        ++it;
    if (!exists) return false;
    for (auto& [name, e] : found) entries.push_back(e);
    return true;
}

}  // namespace kp::sim
