// The simulated process table. A test adds, ends and starts processes, makes snapshots fail and refuses
// opening a process; the table records what the program asked of it.
#pragma once
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>
#include "platform/Os.h"

namespace kp::sim {

// Processes in the order a snapshot lists them (the order they were added). Identifiers are multiples
// of 4 given out upwards, as on the NT family; an identifier is reused only when the test asks for it by
// number, and never while the program holds a handle to the process that had it.
class SimProcesses final : public IProcesses {
public:
    struct Ended {
        uint32_t id;
        std::string exeFile;
        unsigned exitCode;
    };
    struct Started {
        std::string path;
        unsigned result;
    };

    // The table starts with "[System Process]" (0), "System" (4) and "explorer.exe"; the first two refuse
    // to be opened, as they do for a program on Windows.
    SimProcesses();

    SnapshotStatus Snapshot(std::vector<ProcessEntry>& entries) override;
    SnapshotStatus Count(int& count) override;
    ProcessHandle OpenToEnd(uint32_t id) override;
    bool Terminate(ProcessHandle process, unsigned exitCode) override;
    void Close(ProcessHandle process) override;
    // Records the path; with a result above 31 a process of the path's file name joins the table.
    unsigned Start(const std::string& path) override;

    // --- Test side ---
    // A new process at the end of the table; returns its identifier.
    uint32_t Add(const std::string& exeFile, uint32_t parentId = 4, int threads = 1, int usage = 0);
    // A new process with this identifier; SimError when a process has it or a handle still holds it.
    uint32_t AddWithId(uint32_t id, const std::string& exeFile, uint32_t parentId = 4, int threads = 1,
                       int usage = 0);
    // The process ends by itself; SimError when there is none of that identifier.
    void Exit(uint32_t id);
    void Clear();
    // Every snapshot and count from now on fails this way (Ok: they work again).
    void FailSnapshots(SnapshotStatus status) { m_fail = status; }
    // Opening this process is refused from now on (a process of the system or of another user).
    void RefuseOpen(uint32_t id) { m_refused.insert(id); }
    // What the next Start returns (then 33 again).
    void SetStartResult(unsigned result) { m_startResults.push_back(result); }

    const std::vector<Ended>& Terminated() const { return m_ended; }
    const std::vector<Started>& Starts() const { return m_starts; }
    int OpenHandles() const { return static_cast<int>(m_handles.size()); }

private:
    struct Process {
        ProcessEntry entry;
        bool running = true;
    };
    Process* Find(uint32_t id);
    // Drops processes that ended and that no handle holds.
    void Reap();

    std::vector<Process> m_table;
    std::map<ProcessHandle, uint32_t> m_handles;
    ProcessHandle m_nextHandle = 0x500;
    uint32_t m_nextId = 0x100;
    SnapshotStatus m_fail = SnapshotStatus::Ok;
    std::set<uint32_t> m_refused;
    std::deque<unsigned> m_startResults;
    std::vector<Ended> m_ended;
    std::vector<Started> m_starts;
};

}  // namespace kp::sim
