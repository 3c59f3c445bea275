// Processes through Toolhelp and the kernel; programs started with CreateProcessW.
#include "platform/win32/Processes.h"

#include <tlhelp32.h>

#include <vector>

namespace kp::win32 {

namespace {

// Walks a fresh snapshot of all processes, calling `each` for every entry, the first included.
template <typename Each>
SnapshotStatus WalkSnapshot(Each&& each) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return SnapshotStatus::Failed;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    if (!Process32FirstW(snapshot, &entry)) {
        CloseHandle(snapshot);
        return SnapshotStatus::NoEntry;
    }
    do {
        each(entry);
        entry.dwSize = sizeof entry;
    } while (Process32NextW(snapshot, &entry));
    CloseHandle(snapshot);
    return SnapshotStatus::Ok;
}

}  // namespace

SnapshotStatus Processes::Snapshot(std::vector<ProcessEntry>& entries) {
    entries.clear();
    const SnapshotStatus status = WalkSnapshot([&](const PROCESSENTRY32W& e) {
        ProcessEntry p;
        p.id = e.th32ProcessID;
        p.parentId = e.th32ParentProcessID;
        p.threads = static_cast<int>(e.cntThreads);
        p.usage = static_cast<int>(e.cntUsage);
        p.exeFile = Narrow(e.szExeFile, wcsnlen(e.szExeFile, MAX_PATH));
        entries.push_back(std::move(p));
    });
    if (status != SnapshotStatus::Ok) entries.clear();
    return status;
}

SnapshotStatus Processes::Count(int& count) {
    int n = 0;
    const SnapshotStatus status = WalkSnapshot([&](const PROCESSENTRY32W&) { ++n; });
    count = status == SnapshotStatus::Ok ? n : 0;
    return status;
}

ProcessHandle Processes::OpenToEnd(uint32_t id) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, id);
    return reinterpret_cast<ProcessHandle>(process);
}

bool Processes::Terminate(ProcessHandle process, unsigned exitCode) {
    return TerminateProcess(reinterpret_cast<HANDLE>(process), exitCode) != 0;
}

void Processes::Close(ProcessHandle process) {
    if (process) CloseHandle(reinterpret_cast<HANDLE>(process));
}

unsigned Processes::Start(const std::string& path) {
    std::wstring application = Wide(path);
    if (application.empty()) return ERROR_FILE_NOT_FOUND;
    std::wstring commandLine = L"\"" + application + L"\"";
    // The program starts in its own folder, where it may look for its files.
    std::wstring folder;
    const size_t slash = application.find_last_of(L'\\');
    if (slash != std::wstring::npos) {
        folder = application.substr(0, slash);
        if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNA;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(application.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        return 33;
    }
    // WinExec's convention: system error codes below 32 as they are, 0 for lack of memory, and every
    // other failure (an image of another machine, for one) as a bad format.
    const DWORD error = GetLastError();
    if (error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY) return 0;
    // The folder given as the program's current directory is missing: the program's path is not found.
    if (error == ERROR_DIRECTORY) return ERROR_PATH_NOT_FOUND;
    return error < 32 ? error : ERROR_BAD_FORMAT;
}

}  // namespace kp::win32
