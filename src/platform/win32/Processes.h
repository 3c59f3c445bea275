// The running processes on Win32: Toolhelp snapshots, OpenProcess and TerminateProcess, CreateProcessW.
#pragma once
#include "platform/win32/Win32.h"

namespace kp::win32 {

class Processes : public IProcesses {
public:
    SnapshotStatus Snapshot(std::vector<ProcessEntry>& entries) override;
    SnapshotStatus Count(int& count) override;
    ProcessHandle OpenToEnd(uint32_t id) override;
    bool Terminate(ProcessHandle process, unsigned exitCode) override;
    void Close(ProcessHandle process) override;
    unsigned Start(const std::string& path) override;
};

}  // namespace kp::win32
