#include "process/AddProcessDlg.h"

#include <cstring>

#include "platform/DataExchange.h"
#include "platform/Gbk.h"
#include "platform/Os.h"
#include "process/ProcessList.h"
#include "resource.h"

namespace kestor {

namespace {

const char* const kBadName = "你指定的进程,不合规范,请重新指定.";

// The longest process name taken from the running list, in bytes; a double-byte character is never cut.
constexpr size_t kMaxName = 255;

std::string CutName(const std::string& text) {
    size_t end = 0;
    while (end < text.size()) {
        const size_t step = kp::IsLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
        if (end + step > kMaxName) break;
        end += step;
    }
    return text.substr(0, end);
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Looks for the characters a path may not hold, skipping the second byte of every GBK character (which
// may be 0x7C, the value of "|").
bool HasForbiddenCharacter(const std::string& path) {
    for (size_t i = 0; i < path.size(); ++i) {
        if (std::strchr("/*<>?|\"", path[i]) && path[i] != '\0') return true;
        if (kp::IsLeadByte(static_cast<unsigned char>(path[i]))) ++i;
    }
    return false;
}

}  // namespace

CAddProcessDlg::CAddProcessDlg() : Dialog(IDD_ADDPROCESS) {}

bool CAddProcessDlg::OnInitDialog() {
    m_strPathEdit.clear();
    m_time = kp::SysTime();
    m_strName.clear();
    m_strPath.clear();
    Dialog::OnInitDialog();
    kp::IListView& list = Window()->ListView(IDC_RUNNING_LIST);
    InsertProcessColumns(list);
    FillProcessList(list, kDialogFillMessages);
    // Only the time of day shows, so the picker reads 0:00:00.
    kp::SysTime start;
    start.wYear = 2003;
    start.wMonth = 7;
    start.wDay = 27;
    start.wDayOfWeek = 0;
    Window()->DateTime(IDC_TERMINATION_TIME).SetTime(start);
    m_note.Subclass(*this, IDC_ADDPROCESS_NOTE);
    return true;
}

void CAddProcessDlg::DoDataExchange(kp::DataExchange& dx) { dx.Text(IDC_PROCESS_PATH, m_strPathEdit); }

bool CAddProcessDlg::OnCommand(int id, int code) {
    if (m_note.OnCommand(id, code)) return true;
    if (id == IDC_PROCESS_PATH && code == kp::EN_SETFOCUS) {
        // Refilled, which drops the selection; the name chosen before is kept.
        FillProcessList(Window()->ListView(IDC_RUNNING_LIST), kDialogFillMessages);
        return true;
    }
    if (id == IDC_BROWSE && code == kp::BN_CLICKED) {
        Browse();
        return true;
    }
    return Dialog::OnCommand(id, code);
}

bool CAddProcessDlg::OnNotify(int id, int code) {
    if (id != IDC_RUNNING_LIST) return false;
    if (code == kp::NM_CLICK) {
        PickSelected();
        return true;
    }
    if (code == kp::NM_DBLCLK) {
        if (PickSelected()) OnOK();
        return true;
    }
    return false;
}

bool CAddProcessDlg::PickSelected() {
    kp::IListView& list = Window()->ListView(IDC_RUNNING_LIST);
    const int row = list.GetNextSelected(-1);
    if (row < 0) return false;
    m_strName = CutName(list.GetItemText(row, 0));
    m_strPathEdit.clear();
    SetItemText(IDC_PROCESS_PATH, "");
    m_nRunningFlag = 1;
    return true;
}

void CAddProcessDlg::Browse() {
    kp::Os& os = kp::TheOs();
    std::string path;
    if (!os.fileDialogs->OpenFile(*this, "所有文件 (*.exe)|*.exe||(*.dll)|*.dll||", "exe", os.system->SystemDirectory(),
                                  path))
        return;
    m_strPath = path;
    m_strName = ProcessNameFromPath(path);
    m_strPathEdit = path;
    SetItemText(IDC_PROCESS_PATH, path);
}

bool CAddProcessDlg::HasProcessExtension(const std::string& name) {
    if (name.size() < 4) return false;
    const std::string ext = name.substr(name.size() - 4);
    return kp::MbsICmp(ext, ".exe") == 0 || kp::MbsICmp(ext, ".dll") == 0 || kp::MbsICmp(ext, ".tsk") == 0;
}

const char* CAddProcessDlg::PathProblem(const std::string& path) {
    if (path.empty()) return "你还未指定要终止的进程";
    if (path.size() < 3 || path[1] != ':' || path[2] != '\\') return "你指定的进程路径无效1.";
    if (!IsAsciiLetter(path[0]) || HasForbiddenCharacter(path)) return "你指定的进程路径无效2.";
    return nullptr;
}

bool CAddProcessDlg::AcceptName() {
    kp::IUi& ui = *kp::TheOs().ui;
    if (!HasProcessExtension(m_strName)) {
        ui.MessageBox(kBadName, kp::MB_OK);
        m_strName.clear();
        return false;
    }
    if (m_time.wHour == 0 && m_time.wMinute == 0 && m_time.wSecond == 0) {
        ui.MessageBox("你还未指定进程终止时间", kp::MB_OK);
        m_strName.clear();
        return false;
    }
    return true;
}

void CAddProcessDlg::OnOK() {
    m_strPath.clear();
    UpdateData(true);
    m_strPath = m_strPathEdit;
    m_time = Window()->DateTime(IDC_TERMINATION_TIME).GetTime();
    // A name already chosen goes before whatever the path edit holds.
    if (m_strName.empty()) {
        if (const char* problem = PathProblem(m_strPath)) {
            kp::TheOs().ui->MessageBox(problem, kp::MB_OK);
            return;
        }
        m_strName = ProcessNameFromPath(m_strPath);
    }
    if (AcceptName()) EndDialog(kp::IDOK);
}

void CAddProcessDlg::ClearResults() {
    m_strName.clear();
    m_strPath.clear();
    m_nRunningFlag = 0;
}

}  // namespace kestor
