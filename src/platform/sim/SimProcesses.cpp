#include "platform/sim/SimProcesses.h"

#include <algorithm>

#include "platform/Gbk.h"
#include "platform/sim/SimErrors.h"

namespace kp::sim {

// ---------------------------------------------------------------- processes

SimProcesses::SimProcesses() {
    AddWithId(0, "[System Process]", 0, 1, 0);
    AddWithId(4, "System", 0, 60, 0);
    Add("explorer.exe", 4, 12, 0);
    RefuseOpen(0);
    RefuseOpen(4);
}

SimProcesses::Process* SimProcesses::Find(uint32_t id) {
    for (Process& p : m_table)
        if (p.entry.id == id) return &p;
    return nullptr;
}

void SimProcesses::Reap() {
    m_table.erase(std::remove_if(m_table.begin(), m_table.end(),
                                 [&](const Process& p) {
                                     if (p.running) return false;
                                     for (const auto& h : m_handles)
                                         if (h.second == p.entry.id) return false;
                                     return true;
                                 }),
                  m_table.end());
}

SnapshotStatus SimProcesses::Snapshot(std::vector<ProcessEntry>& entries) {
    entries.clear();
    if (m_fail != SnapshotStatus::Ok) return m_fail;
    for (const Process& p : m_table)
        if (p.running) entries.push_back(p.entry);
    return entries.empty() ? SnapshotStatus::NoEntry : SnapshotStatus::Ok;
}

SnapshotStatus SimProcesses::Count(int& count) {
    count = 0;
    if (m_fail != SnapshotStatus::Ok) return m_fail;
    count = static_cast<int>(std::count_if(m_table.begin(), m_table.end(), [](const Process& p) { return p.running; }));
    return count ? SnapshotStatus::Ok : SnapshotStatus::NoEntry;
}

ProcessHandle SimProcesses::OpenToEnd(uint32_t id) {
    const Process* p = Find(id);
    if (!p || !p->running || m_refused.count(id)) return 0;
    const ProcessHandle handle = m_nextHandle;
    m_nextHandle += 4;
    m_handles[handle] = id;
    return handle;
}

bool SimProcesses::Terminate(ProcessHandle process, unsigned exitCode) {
    auto it = m_handles.find(process);
    if (it == m_handles.end()) return false;
    Process* p = Find(it->second);
    if (!p || !p->running) return false;  // it ended already; the handle still holds its identifier
    p->running = false;
    m_ended.push_back(Ended{p->entry.id, p->entry.exeFile, exitCode});
    return true;
}

void SimProcesses::Close(ProcessHandle process) {
    if (m_handles.erase(process)) Reap();
}

unsigned SimProcesses::Start(const std::string& path) {
    unsigned result = 33;
    if (!m_startResults.empty()) {
        result = m_startResults.front();
        m_startResults.pop_front();
    }
    m_starts.push_back(Started{path, result});
    if (result > 31) Add(path.substr(MbsRFind(path, '\\') + 1), 4, 1, 0);
    return result;
}

uint32_t SimProcesses::Add(const std::string& exeFile, uint32_t parentId, int threads, int usage) {
    while (Find(m_nextId)) m_nextId += 4;
    const uint32_t id = m_nextId;
    m_nextId += 4;
    return AddWithId(id, exeFile, parentId, threads, usage);
}

uint32_t SimProcesses::AddWithId(uint32_t id, const std::string& exeFile, uint32_t parentId, int threads,
                                 int usage) {
    if (Find(id)) throw SimError("process id " + std::to_string(id) + " is in use");
    Process p;
    p.entry = ProcessEntry{id, parentId, threads, usage, exeFile};
    m_table.push_back(std::move(p));
    return id;
}

void SimProcesses::Exit(uint32_t id) {
    Process* p = Find(id);
    if (!p || !p->running) throw SimError("no running process has the id " + std::to_string(id));
    p->running = false;
    Reap();
}

void SimProcesses::Clear() {
    for (Process& p : m_table) p.running = false;
    Reap();
}

}  // namespace kp::sim
