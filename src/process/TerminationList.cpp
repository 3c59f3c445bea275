#include "process/TerminationList.h"

#include <unordered_map>

#include "platform/Gbk.h"
#include "platform/Os.h"
#include "process/ProcessList.h"

namespace kestor {

const char* const kStateRunning = "运行中";
const char* const kStateNotRunning = "未运行";

namespace {

std::string TimeText(uint32_t seconds) {
    return kp::Format("%u:%u:%u", seconds / 3600, seconds % 3600 / 60, seconds % 60);
}

// Ends the process of a process-list row; false when it cannot be opened (it is tried again next tick).
bool EndRowProcess(const kp::IListView& processes, int row) {
    const kp::ProcessHandle process =
        OpenListedProcess(processes.GetItemData(row), processes.GetItemText(row, 0));
    if (!process) return false;
    kp::IProcesses& os = *kp::TheOs().processes;
    os.Terminate(process, 0);
    os.Close(process);
    return true;
}

}  // namespace

void InsertTerminationColumns(kp::IListView& entries) {
    entries.InsertColumn(0, "进程名称", 100, kp::ColumnAlign::Center);
    entries.InsertColumn(1, "终止时间", 100, kp::ColumnAlign::Center);
    entries.InsertColumn(2, "进程状态", 100, kp::ColumnAlign::Center);
}

bool AddTermination(kp::IListView& entries, const std::string& name, int hour, int minute, int second,
                    bool running) {
    if (FindProcessRow(entries, name) >= 0) {
        if (kp::TheOs().ui->MessageBox("该进程已添加到列表，是否覆盖。", kp::MB_YESNO) != kp::IDYES) return false;
        // Looked up again: the tick may have changed the list while the question was open.
        for (int row; (row = FindProcessRow(entries, name)) >= 0;) entries.DeleteItem(row);
    }
    const int row = entries.InsertItem(0, name);
    if (row < 0) return true;
    entries.SetItemText(row, 1, kp::Format("%d:%d:%d", hour, minute, second));
    entries.SetItemData(row, static_cast<uint32_t>(hour * 3600 + minute * 60 + second));
    entries.SetItemText(row, 2, running ? kStateRunning : kStateNotRunning);
    return true;
}

bool TerminationTick(kp::IListView& entries, const kp::IListView& processes) {
    // Each process name is read once a tick, not once for every entry: each read of a row's text is a
    // message to the list control.
    std::unordered_map<std::string, int> firstRow;
    const int processCount = processes.GetItemCount();
    for (int row = 0; row < processCount && entries.GetItemCount() > 0; ++row)
        firstRow.emplace(kp::MbsLower(processes.GetItemText(row, 0)), row);
    for (int i = 0; i < entries.GetItemCount(); ++i) {
        const std::string state = entries.GetItemText(i, 2);
        const auto found = firstRow.find(kp::MbsLower(entries.GetItemText(i, 0)));
        const int row = found == firstRow.end() ? -1 : found->second;
        if (state == kStateNotRunning) {
            if (row >= 0) entries.SetItemText(i, 2, kStateRunning);
            continue;
        }
        if (state != kStateRunning) continue;
        // An empty process list says nothing about the process: the entry keeps its state.
        if (row < 0 && processCount > 0) entries.SetItemText(i, 2, kStateNotRunning);
        const uint32_t left = entries.GetItemData(i);
        if (left > 0) {
            entries.SetItemData(i, left - 1);
            entries.SetItemText(i, 1, TimeText(left - 1));
        } else if (row >= 0 && EndRowProcess(processes, row)) {
            entries.DeleteItem(i--);
            if (entries.GetItemCount() == 0) return true;
        }
    }
    return false;
}

}  // namespace kestor
