// The common controls of a dialog, reached by id with the W messages. Each adapter looks its control up
// on every call, so it stays valid whatever happens to the control.
#pragma once
#include "platform/win32/Win32.h"

namespace kp::win32 {

class ControlRef {
public:
    ControlRef(HWND parent, int id) : m_parent(parent), m_id(id) {}

protected:
    // Looked up once: finding a child by its id asks the window server every time, and a list of
    // thousands of rows is filled with several messages a row.
    HWND Handle() const {
        if (!m_hwnd || !IsWindow(m_hwnd)) m_hwnd = GetDlgItem(m_parent, m_id);
        return m_hwnd;
    }
    LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return SendMessageW(Handle(), msg, wp, lp); }

private:
    HWND m_parent;
    int m_id;
    mutable HWND m_hwnd = nullptr;
};

class NativeListView : public IListView, private ControlRef {
public:
    using ControlRef::ControlRef;
    void InsertColumn(int col, const std::string& title, int width, ColumnAlign align) override;
    int InsertItem(int index, const std::string& text) override;
    int GetItemCount() const override;
    std::string GetItemText(int item, int sub) const override;
    bool SetItemText(int item, int sub, const std::string& text) override;
    uint32_t GetItemData(int item) const override;
    bool SetItemData(int item, uint32_t data) override;
    bool DeleteItem(int item) override;
    void DeleteAllItems() override;
    int GetNextSelected(int start) const override;
    void SetSelected(int item, bool selected) override;
    void SetRedraw(bool on) override;
};

class NativeListBox : public IListBox, private ControlRef {
public:
    using ControlRef::ControlRef;
    int AddString(const std::string& text) override;
    int InsertString(int index, const std::string& text) override;
    int GetCount() const override;
    std::string GetText(int index) const override;
    bool DeleteString(int index) override;
    void ResetContent() override;
    int GetCurSel() const override;
    void SetCurSel(int index) override;
};

class NativeCombo : public ICombo, private ControlRef {
public:
    using ControlRef::ControlRef;
    int AddString(const std::string& text) override;
    int GetCount() const override;
    std::string GetLBText(int index) const override;
    void ResetContent() override;
    int GetCurSel() const override;
    void SetCurSel(int index) override;
};

class NativeDateTime : public IDateTime, private ControlRef {
public:
    using ControlRef::ControlRef;
    void SetFormat(const std::string& format) override;
    void SetTime(const SysTime& t) override;
    SysTime GetTime() const override;
};

class NativeUpDown : public IUpDown, private ControlRef {
public:
    using ControlRef::ControlRef;
    void SetRange(int lower, int upper) override;
    void SetPos(int pos) override;
    int GetPos() const override;
};

// The text of a window, any length.
std::string WindowText(HWND hwnd);

SYSTEMTIME ToNative(const SysTime& t);
SysTime FromNative(const SYSTEMTIME& t);

}  // namespace kp::win32
