#include "process/ProcessList.h"

#include <vector>

#include "platform/Gbk.h"
#include "platform/Types.h"

namespace kestor {

const FillMessages kPageFillMessages{"PROC", "Open Process Error"};
const FillMessages kDialogFillMessages{"Open Process Error", "Open Process Error"};

std::string ProcessNameFromPath(const std::string& exeFile) {
    const size_t slash = kp::MbsRFind(exeFile, '\\');
    return slash == std::string::npos ? exeFile : exeFile.substr(slash + 1);
}

void InsertProcessColumns(kp::IListView& list) {
    struct Column {
        const char* title;
        int width;
    };
    static const Column kColumns[] = {{"进程名称", 100}, {"窗口标题", 100}, {"进程ID", 100},
                                      {"父进程ID", 100}, {"线程数", 50},    {"引用数", 50}};
    int col = 0;
    for (const Column& c : kColumns) list.InsertColumn(col++, c.title, c.width, kp::ColumnAlign::Center);
}

void FillProcessList(kp::IListView& list, const FillMessages& messages) {
    kp::Os& os = kp::TheOs();
    list.DeleteAllItems();
    std::vector<kp::ProcessEntry> entries;
    const kp::SnapshotStatus status = os.processes->Snapshot(entries);
    if (status != kp::SnapshotStatus::Ok) {
        os.ui->MessageBox(status == kp::SnapshotStatus::Failed ? messages.noSnapshot : messages.noEntry, kp::MB_OK);
        return;
    }
    for (const kp::ProcessEntry& e : entries) {
        const int row = list.InsertItem(0, ProcessNameFromPath(e.exeFile));
        if (row < 0) continue;
        list.SetItemData(row, e.id);
        list.SetItemText(row, 2, kp::Format("0x%X", e.id));
        list.SetItemText(row, 3, kp::Format("0x%X", e.parentId));
        list.SetItemText(row, 4, kp::Format("%d", e.threads));
        list.SetItemText(row, 5, kp::Format("%d", e.usage));
    }
}

int CountProcesses() {
    kp::Os& os = kp::TheOs();
    int count = 0;
    const kp::SnapshotStatus status = os.processes->Count(count);
    if (status == kp::SnapshotStatus::Ok) return count;
    os.ui->MessageBox(status == kp::SnapshotStatus::Failed ? "PROC READ ERROR" : "Open Process Error", kp::MB_OK);
    return 0;
}

int FindProcessRow(const kp::IListView& list, const std::string& name) {
    const int rows = list.GetItemCount();
    for (int i = 0; i < rows; ++i)
        if (kp::MbsICmp(list.GetItemText(i, 0), name) == 0) return i;
    return -1;
}

kp::ProcessHandle OpenListedProcess(uint32_t id, const std::string& name) {
    kp::IProcesses& processes = *kp::TheOs().processes;
    const kp::ProcessHandle process = processes.OpenToEnd(id);
    if (!process) return 0;
    // The open handle keeps the identifier from passing to another process while it is checked.
    std::vector<kp::ProcessEntry> entries;
    bool same = false;
    if (processes.Snapshot(entries) == kp::SnapshotStatus::Ok) {
        for (const kp::ProcessEntry& e : entries)
            if (e.id == id) same = kp::MbsICmp(ProcessNameFromPath(e.exeFile), name) == 0;
    }
    if (same) return process;
    processes.Close(process);
    return 0;
}

}  // namespace kestor
