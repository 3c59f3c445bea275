// Helpers for the process manager's tests: the page made on its own over a simulated process table, and
// readable views of its two lists.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SimTestUtil.h"
#include "platform/sim/SimOs.h"
#include "process/ProcessManager.h"
#include "resource.h"

namespace kestor::test {

// Column `col` of every row of a list view, top to bottom.
inline std::vector<std::string> Column(kp::sim::SimWindow& w, int listId, int col) {
    std::vector<std::string> texts;
    for (const auto& row : w.ListViewOf(listId).Rows()) texts.push_back(row.texts.size() > size_t(col) ? row.texts[col] : "");
    return texts;
}

// A time of the add-process dialog's picker: the day it starts on, with this time.
inline kp::SysTime PickerTime(int h, int m, int s) {
    kp::SysTime t;
    t.wYear = 2003;
    t.wMonth = 7;
    t.wDay = 27;
    t.wHour = static_cast<uint16_t>(h);
    t.wMinute = static_cast<uint16_t>(m);
    t.wSecond = static_cast<uint16_t>(s);
    return t;
}

class ProcessPage : public ::testing::Test {
protected:
    kp::sim::SimOs os;
    CProcessManager page;
    kp::sim::SimWindow* w = nullptr;

    kp::sim::SimProcesses& Table() { return os.Processes(); }
    // Makes the page's window; the table is what the test has put in it.
    void Open() { w = &os.Create(page); }
    std::vector<std::string> Names() { return Column(*w, IDC_PROCESS_LIST, 0); }
    std::vector<std::string> Entries(int col) { return Column(*w, IDC_TERMINATION_LIST, col); }
    int RowOf(const std::string& name) {
        const auto names = Names();
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == name) return static_cast<int>(i);
        ADD_FAILURE() << "no row " << kp::sim::test::U8(name);
        return -1;
    }
    // Runs the add-process dialog from the page's button with `user` acting in it.
    void AddWith(std::function<void(kp::sim::SimWindow&)> user) {
        os.OnModal(IDD_ADDPROCESS, std::move(user));
        w->Click(IDC_TERMINATION_ADD);
    }
    // Adds an entry by typing a path and a time into the dialog.
    void AddTyped(const std::string& path, int h, int m, int s) {
        AddWith([=](kp::sim::SimWindow& d) {
            d.Type(IDC_PROCESS_PATH, path);
            d.PickDateTime(IDC_TERMINATION_TIME, PickerTime(h, m, s));
            d.Click(kp::IDOK);
        });
    }
};

}  // namespace kestor::test
