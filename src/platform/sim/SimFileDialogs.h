// The simulated common file dialogs: modal like a message box, answered by the script, and recorded.
#pragma once
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>
#include "platform/Os.h"

namespace kp::sim {

class SimOs;

// Each dialog takes the next scripted answer, which must be for a dialog of its kind, and stays open
// the answer's `afterMs` of virtual time (timers keep firing); one without a fitting answer throws
// UnscriptedWait.
class SimFileDialogs final : public IFileDialogs {
public:
    enum class Kind { OpenFile, OpenFiles, FolderBrowser };
    struct Request {
        Kind kind = Kind::OpenFile;
        const Wnd* owner = nullptr;
        std::string filter;  // as the program gave it
        // The (description, pattern) entries the dialog offers: the filter text up to its first "||".
        std::vector<std::pair<std::string, std::string>> filters;
        std::string defaultExt;
        std::string initialDir;
        std::optional<std::string> chosen;  // a single-file dialog's choice; none: cancelled
    };

    explicit SimFileDialogs(SimOs& os) : m_os(os) {}

    bool OpenFile(Wnd& owner, const std::string& filter, const std::string& defaultExt,
                  const std::string& initialDir, std::string& path) override;
    FileDialogResult OpenFiles(Wnd& owner, const std::string& filter, const std::string& defaultExt,
                               std::vector<std::string>& paths) override;
    bool BrowseForFolder(Wnd& owner, std::string& folder) override;

    // --- Script: the user's choice in the next dialog of each kind, made `afterMs` after it opened ---
    // A single-file dialog: this file (a full path; a name without extension gets the default one), or
    // a cancel.
    void ChooseFile(std::string path, int64_t afterMs = 0);
    void Cancel(int64_t afterMs = 0);
    // A several-files dialog: these files, a cancel (Cancelled), or more names than the dialog can return
    // (TooManyFiles).
    void AnswerOpenFiles(FileDialogResult result, std::vector<std::string> paths = {}, int64_t afterMs = 0);
    // The folder browser: this folder; nullopt cancels it.
    void AnswerFolderBrowser(std::optional<std::string> folder, int64_t afterMs = 0);

    // Every dialog shown so far, in order.
    const std::vector<Request>& Requests() const { return m_requests; }
    size_t AnswersLeft() const { return m_answers.size(); }

private:
    struct Answer {
        Kind kind;
        FileDialogResult result;
        std::vector<std::string> paths;  // a folder browser's or single-file choice: one path, none on cancel
        int64_t afterMs;
    };
    // Records the request, takes its answer and holds the dialog open; false when the program is quitting
    // (the dialog then ends as cancelled).
    bool Run(Request request, Answer& answer);

    SimOs& m_os;
    std::deque<Answer> m_answers;
    std::vector<Request> m_requests;
};

}  // namespace kp::sim
