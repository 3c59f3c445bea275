// The simulated common file dialogs.
#include "platform/sim/SimFileDialogs.h"

#include "platform/Gbk.h"
#include "platform/sim/SimOs.h"

namespace kp::sim {

namespace {

const char* KindName(SimFileDialogs::Kind kind) {
    switch (kind) {
    case SimFileDialogs::Kind::OpenFile: return "open-file dialog";
    case SimFileDialogs::Kind::OpenFiles: return "open-files dialog";
    case SimFileDialogs::Kind::FolderBrowser: return "folder browser";
    }
    return "file dialog";
}

// Fields split at every single-byte "|" (never at the second byte of a GBK character); the entries end
// at the first empty field, as at the first "||".
std::vector<std::pair<std::string, std::string>> FilterEntries(const std::string& filter) {
    std::vector<std::string> fields(1);
    for (size_t i = 0; i < filter.size(); ++i) {
        if (filter[i] == '|') {
            fields.emplace_back();
            continue;
        }
        fields.back() += filter[i];
        if (IsLeadByte(static_cast<unsigned char>(filter[i])) && i + 1 < filter.size()) fields.back() += filter[++i];
    }
    std::vector<std::pair<std::string, std::string>> entries;
    for (size_t i = 0; i + 1 < fields.size() && !fields[i].empty() && !fields[i + 1].empty(); i += 2)
        entries.emplace_back(fields[i], fields[i + 1]);
    return entries;
}

}  // namespace

void SimFileDialogs::ChooseFile(std::string path, int64_t afterMs) {
    m_answers.push_back(Answer{Kind::OpenFile, FileDialogResult::Ok, {std::move(path)}, afterMs});
}

void SimFileDialogs::Cancel(int64_t afterMs) {
    m_answers.push_back(Answer{Kind::OpenFile, FileDialogResult::Cancelled, {}, afterMs});
}

void SimFileDialogs::AnswerOpenFiles(FileDialogResult result, std::vector<std::string> paths, int64_t afterMs) {
    if (result != FileDialogResult::Ok && !paths.empty())
        throw SimError("only an open-file dialog ended with OK returns files");
    m_answers.push_back(Answer{Kind::OpenFiles, result, std::move(paths), afterMs});
}

void SimFileDialogs::AnswerFolderBrowser(std::optional<std::string> folder, int64_t afterMs) {
    std::vector<std::string> paths;
    if (folder) paths.push_back(*folder);
    m_answers.push_back(Answer{Kind::FolderBrowser, folder ? FileDialogResult::Ok : FileDialogResult::Cancelled,
                               std::move(paths), afterMs});
}

bool SimFileDialogs::Run(Request request, Answer& answer) {
    const Kind kind = request.kind;
    const std::string filter = request.filter;
    m_requests.push_back(std::move(request));
    if (m_os.m_quitPending) return false;
    if (m_answers.empty() || m_answers.front().kind != kind)
        throw UnscriptedWait(std::string("the ") + KindName(kind) + " (filter \"" + GbkToUtf8(filter) +
                             "\") has no scripted answer; " + m_os.PendingScript());
    answer = m_answers.front();
    m_answers.pop_front();
    m_os.RunTimedLevel(answer.afterMs);
    return !m_os.m_quitPending;
}

bool SimFileDialogs::OpenFile(Wnd& owner, const std::string& filter, const std::string& defaultExt,
                              const std::string& initialDir, std::string& path) {
    Answer answer;
    if (!Run(Request{Kind::OpenFile, &owner, filter, FilterEntries(filter), defaultExt, initialDir, {}}, answer) ||
        answer.paths.empty())
        return false;
    std::string chosen = answer.paths.front();
    const size_t slash = MbsRFind(chosen, '\\');
    const std::string name = chosen.substr(slash == std::string::npos ? 0 : slash + 1);
    if (name.find('.') == std::string::npos && !defaultExt.empty()) chosen += "." + defaultExt;
    m_requests.back().chosen = chosen;
    path = chosen;
    return true;
}

FileDialogResult SimFileDialogs::OpenFiles(Wnd& owner, const std::string& filter, const std::string& defaultExt,
                                           std::vector<std::string>& paths) {
    paths.clear();
    Answer answer;
    if (!Run(Request{Kind::OpenFiles, &owner, filter, FilterEntries(filter), defaultExt, {}, {}}, answer))
        return FileDialogResult::Cancelled;
    paths = std::move(answer.paths);
    return answer.result;
}

bool SimFileDialogs::BrowseForFolder(Wnd& owner, std::string& folder) {
    Answer answer;
    if (!Run(Request{Kind::FolderBrowser, &owner, {}, {}, {}, {}, {}}, answer) || answer.paths.empty()) return false;
    folder = answer.paths.front();
    return true;
}

}  // namespace kp::sim
