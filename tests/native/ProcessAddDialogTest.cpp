// The add-process dialog over the simulated platform: what it shows when it opens, the picks by click,
// double click and file dialog, and the OK check in its order with every message.
#include <gtest/gtest.h>

#include "ProcessTestUtil.h"
#include "process/AddProcessDlg.h"

namespace {

using kestor::CAddProcessDlg;
using kestor::test::PickerTime;
using kp::sim::SimWindow;
using kp::sim::test::MessageBoxTexts;

const char* const kNoTime = "你还未指定进程终止时间";
const char* const kBadName = "你指定的进程,不合规范,请重新指定.";

class AddProcess : public ::testing::Test {
protected:
    kp::sim::SimOs os;
    CAddProcessDlg dlg;

    int Run(std::function<void(SimWindow&)> user) {
        os.OnModal(IDD_ADDPROCESS, std::move(user));
        return dlg.DoModal();
    }
    int Row(SimWindow& d, const std::string& name) {
        const auto names = kestor::test::Column(d, IDC_RUNNING_LIST, 0);
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == name) return static_cast<int>(i);
        ADD_FAILURE() << "no row " << name;
        return -1;
    }
};

TEST_F(AddProcess, OpensWithTheRunningProcessesAnEmptyPathAndTheTimeAtZero) {
    os.Processes().Add("C:\\WINDOWS\\誠品.exe");
    os.Processes().Add("C:\\WINDOWS\\EXPLORER.EXE");
    dlg.m_strName = "left.exe";
    const int result = Run([&](SimWindow& d) {
        EXPECT_EQ("添加进程到列表...", d.Caption());
        const auto& list = d.ListViewOf(IDC_RUNNING_LIST);
        EXPECT_EQ(6u, list.Columns().size());
        EXPECT_EQ("EXPLORER.EXE", list.Rows().at(0).texts.at(0));
        EXPECT_EQ("誠品.exe", list.Rows().at(1).texts.at(0));
        EXPECT_EQ(5u, list.Rows().size());
        const kp::SysTime t = d.DateTimeOf(IDC_TERMINATION_TIME).GetTime();
        EXPECT_EQ(2003, t.wYear);
        EXPECT_EQ(7, t.wMonth);
        EXPECT_EQ(27, t.wDay);
        EXPECT_EQ(0, t.wHour + t.wMinute + t.wSecond);
        EXPECT_EQ("", d.GetText(IDC_PROCESS_PATH));
        EXPECT_TRUE(d.Control(IDC_ADDPROCESS_NOTE).link);
        EXPECT_FALSE(d.Control(IDC_ADDPROCESS_NOTE).linkEnabled);
        d.Click(IDC_ADDPROCESS_NOTE);  // not a link: nothing opens
        d.Click(kp::IDCANCEL);
    });
    EXPECT_EQ(kp::IDCANCEL, result);
    EXPECT_TRUE(os.Shell().Opened().empty());
    EXPECT_EQ("", dlg.m_strName) << "every run starts without a chosen name";
}

struct TypedPath {
    const char* path;
    const char* message;  // null: accepted
    const char* name;
};

class AddProcessTyped : public AddProcess, public ::testing::WithParamInterface<TypedPath> {};

TEST_P(AddProcessTyped, IsCheckedInOrderAndARefusalKeepsTheDialogOpen) {
    const TypedPath& p = GetParam();
    const int result = Run([&](SimWindow& d) {
        d.Type(IDC_PROCESS_PATH, p.path);
        d.PickDateTime(IDC_TERMINATION_TIME, PickerTime(0, 0, 1));
        if (p.message) os.AnswerMessageBox(kp::IDOK);
        d.Click(kp::IDOK);
        if (p.message) {
            EXPECT_FALSE(d.Result()) << "the dialog stays open";
            d.Click(kp::IDCANCEL);
        }
    });
    if (p.message) {
        EXPECT_TRUE(MessageBoxTexts(os, {p.message}));
        EXPECT_EQ(kp::IDCANCEL, result);
    } else {
        EXPECT_TRUE(MessageBoxTexts(os, {}));
        EXPECT_EQ(kp::IDOK, result);
        EXPECT_EQ(p.name, dlg.m_strName);
        EXPECT_EQ(p.path, dlg.m_strPath);
        EXPECT_EQ(0, dlg.m_nRunningFlag);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, AddProcessTyped,
    ::testing::Values(TypedPath{"", "你还未指定要终止的进程", nullptr},
                      TypedPath{"d:/tools/a.exe", "你指定的进程路径无效1.", nullptr},
                      TypedPath{"C:", "你指定的进程路径无效1.", nullptr},
                      TypedPath{"1:\\a.exe", "你指定的进程路径无效2.", nullptr},
                      TypedPath{"C:\\dir\\a*.exe", "你指定的进程路径无效2.", nullptr},
                      TypedPath{"C:\\dir\\a|b.exe", "你指定的进程路径无效2.", nullptr},
                      TypedPath{"C:\\dir\\", kBadName, nullptr},
                      TypedPath{"C:\\dir\\readme.txt", kBadName, nullptr},
                      TypedPath{"C:\\Program Files\\app.TSK", nullptr, "app.TSK"},
                      // The second byte of 纜 is 0x7C, the value of "|".
                      TypedPath{"C:\\纜車\\lift.dll", nullptr, "lift.dll"},
                      // The second byte of 誠 is 0x5C, the value of a backslash.
                      TypedPath{"C:\\x\\誠.exe", nullptr, "誠.exe"}));

TEST_F(AddProcess, ZeroTimeIsRefusedHoweverTheProcessWasGiven) {
    const int result = Run([&](SimWindow& d) {
        os.AnswerMessageBox(kp::IDOK);
        d.Type(IDC_PROCESS_PATH, "C:\\a\\b.exe");
        d.Click(kp::IDOK);
        // A double click on a running process with the time at 0:00:00.
        os.AnswerMessageBox(kp::IDOK);
        d.ClickListItem(IDC_RUNNING_LIST, Row(d, "explorer.exe"), true);
        EXPECT_FALSE(d.Result());
        EXPECT_EQ("", dlg.m_strName) << "the refusal clears the name";
        EXPECT_EQ(1, dlg.m_nRunningFlag);
        d.PickDateTime(IDC_TERMINATION_TIME, PickerTime(0, 0, 1));
        d.ClickListItem(IDC_RUNNING_LIST, Row(d, "explorer.exe"), true);
    });
    EXPECT_TRUE(MessageBoxTexts(os, {kNoTime, kNoTime}));
    EXPECT_EQ(kp::IDOK, result);
    EXPECT_EQ("explorer.exe", dlg.m_strName);
}

TEST_F(AddProcess, APickedNameGoesBeforeATypedPathAndMustHaveAnExtension) {
    const int result = Run([&](SimWindow& d) {
        // "System" has no extension: refused, and the name is gone, so the empty path is checked next.
        d.ClickListItem(IDC_RUNNING_LIST, Row(d, "System"));
        d.PickDateTime(IDC_TERMINATION_TIME, PickerTime(0, 0, 1));
        os.AnswerMessageBox(kp::IDOK);
        os.AnswerMessageBox(kp::IDOK);
        d.Click(kp::IDOK);
        d.Click(kp::IDOK);

        d.ClickListItem(IDC_RUNNING_LIST, Row(d, "explorer.exe"));
        EXPECT_EQ("", d.GetText(IDC_PROCESS_PATH));
        // Typing refills the list, which drops its selection; the picked name stays and wins.
        d.Type(IDC_PROCESS_PATH, "d:/not/checked");
        EXPECT_TRUE(d.ListViewOf(IDC_RUNNING_LIST).Selection().empty());
        d.Click(kp::IDOK);
    });
    EXPECT_TRUE(MessageBoxTexts(os, {kBadName, "你还未指定要终止的进程"}));
    EXPECT_EQ(kp::IDOK, result);
    EXPECT_EQ("explorer.exe", dlg.m_strName);
    EXPECT_EQ("d:/not/checked", dlg.m_strPath);
    EXPECT_EQ(1, dlg.m_nRunningFlag);

    // A click below the rows picks nothing.
    dlg.ClearResults();
    Run([&](SimWindow& d) {
        d.ClickListItem(IDC_RUNNING_LIST, -1);
        EXPECT_EQ(0, dlg.m_nRunningFlag);
        d.Click(kp::IDCANCEL);
    });
}

TEST_F(AddProcess, AFileFromTheBrowserIsTakenOnItsExtensionAndTimeAlone) {
    os.FileDialogs().Cancel();
    os.FileDialogs().ChooseFile("C:\\x\\誠.exe");
    os.FileDialogs().ChooseFile("\\\\server\\tools\\sync.exe");
    const int result = Run([&](SimWindow& d) {
        d.Click(IDC_BROWSE);
        EXPECT_EQ("", d.GetText(IDC_PROCESS_PATH)) << "cancelled: nothing changes";
        d.Click(IDC_BROWSE);
        EXPECT_EQ("誠.exe", dlg.m_strName) << "the second byte of 誠 is 0x5C";
        d.Click(IDC_BROWSE);
        EXPECT_EQ("\\\\server\\tools\\sync.exe", d.GetText(IDC_PROCESS_PATH));
        d.PickDateTime(IDC_TERMINATION_TIME, PickerTime(23, 59, 59));
        d.Click(kp::IDOK);
    });
    EXPECT_EQ(kp::IDOK, result) << "a path the typed-path check would refuse";
    EXPECT_EQ("sync.exe", dlg.m_strName);
    EXPECT_EQ(0, dlg.m_nRunningFlag);
    EXPECT_EQ(23, dlg.m_time.wHour);
    const auto& request = os.FileDialogs().Requests().at(2);
    EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{{"所有文件 (*.exe)", "*.exe"}}), request.filters);
    EXPECT_EQ("C:\\WINDOWS\\system32", request.initialDir);
    EXPECT_EQ(&dlg, request.owner) << "the dialog is modal over the add dialog";
}

}  // namespace
