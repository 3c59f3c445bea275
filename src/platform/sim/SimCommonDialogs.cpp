// The simulated open-file dialog and folder browser: modal like a message box, answered by the script.
#include "platform/sim/SimOs.h"

namespace kp::sim {

void SimOs::AnswerOpenFiles(FileDialogResult result, std::vector<std::string> paths, int64_t afterMs) {
    if (result != FileDialogResult::Ok && !paths.empty())
        throw SimError("only an open-file dialog ended with OK returns files");
    m_fileAnswers.push_back(FileAnswer{false, result, std::move(paths), afterMs});
}

void SimOs::AnswerFolderBrowser(std::optional<std::string> folder, int64_t afterMs) {
    std::vector<std::string> paths;
    if (folder) paths.push_back(*folder);
    m_fileAnswers.push_back(
        FileAnswer{true, folder ? FileDialogResult::Ok : FileDialogResult::Cancelled, std::move(paths), afterMs});
}

FileDialogResult SimOs::OpenFiles(Wnd& owner, const std::string& defaultExt, const std::string& filter,
                                  std::vector<std::string>& paths) {
    m_mediaDialogs.push_back(FileDialogRecord{false, defaultExt, filter, &owner});
    paths.clear();
    if (m_quitPending) return FileDialogResult::Cancelled;
    if (m_fileAnswers.empty() || m_fileAnswers.front().folderBrowser)
        throw UnscriptedWait("the open-file dialog has no scripted answer; " + PendingScript());
    FileAnswer answer = m_fileAnswers.front();
    m_fileAnswers.pop_front();
    RunTimedLevel(answer.afterMs);
    if (m_quitPending) return FileDialogResult::Cancelled;
    paths = std::move(answer.paths);
    return answer.result;
}

bool SimOs::BrowseForFolder(Wnd& owner, std::string& folder) {
    m_mediaDialogs.push_back(FileDialogRecord{true, std::string(), std::string(), &owner});
    if (m_quitPending) return false;
    if (m_fileAnswers.empty() || !m_fileAnswers.front().folderBrowser)
        throw UnscriptedWait("the folder browser has no scripted answer; " + PendingScript());
    FileAnswer answer = m_fileAnswers.front();
    m_fileAnswers.pop_front();
    RunTimedLevel(answer.afterMs);
    if (m_quitPending || answer.paths.empty()) return false;
    folder = answer.paths.front();
    return true;
}

}  // namespace kp::sim
