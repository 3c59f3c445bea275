// Interfaces of the common controls, reached by id through a window (IWindow).
// Every text is GBK.
#pragma once
#include <cstdint>
#include <string>
#include "platform/Types.h"

namespace kp {

// A list view in report mode. A control created with the sort-ascending style places every new row by its
// column-0 text (case-insensitive) whatever index is asked for; otherwise rows go at the index asked
// (clamped to the end).
enum class ColumnAlign { Left, Center, Right };

class IListView {
public:
    virtual ~IListView() = default;
    // Every column, the leftmost included, is drawn with the alignment asked for.
    virtual void InsertColumn(int col, const std::string& title, int width, ColumnAlign align) = 0;
    virtual int InsertItem(int index, const std::string& text) = 0;  // index of the new row, -1 on failure
    virtual int GetItemCount() const = 0;
    virtual std::string GetItemText(int item, int sub) const = 0;
    virtual bool SetItemText(int item, int sub, const std::string& text) = 0;
    virtual uint32_t GetItemData(int item) const = 0;
    virtual bool SetItemData(int item, uint32_t data) = 0;
    virtual bool DeleteItem(int item) = 0;
    virtual void DeleteAllItems() = 0;
    // First selected row after `start` (-1: from the top); -1 when none.
    virtual int GetNextSelected(int start) const = 0;
    virtual void SetSelected(int item, bool selected) = 0;
    // Off while many rows go in: the control then neither draws nor works out what to draw again.
    virtual void SetRedraw(bool on) = 0;
};

// A list box; with the sort style, AddString keeps the rows in case-insensitive order.
class IListBox {
public:
    virtual ~IListBox() = default;
    virtual int AddString(const std::string& text) = 0;  // index of the new row
    virtual int InsertString(int index, const std::string& text) = 0;  // -1 appends
    virtual int GetCount() const = 0;
    virtual std::string GetText(int index) const = 0;
    virtual bool DeleteString(int index) = 0;
    virtual void ResetContent() = 0;
    virtual int GetCurSel() const = 0;  // -1 when none
    virtual void SetCurSel(int index) = 0;
};

// A drop-down-list combo box.
class ICombo {
public:
    virtual ~ICombo() = default;
    virtual int AddString(const std::string& text) = 0;
    virtual int GetCount() const = 0;
    virtual std::string GetLBText(int index) const = 0;
    virtual void ResetContent() = 0;
    virtual int GetCurSel() const = 0;  // -1 when none
    virtual void SetCurSel(int index) = 0;
};

// A date-time picker.
class IDateTime {
public:
    virtual ~IDateTime() = default;
    virtual void SetFormat(const std::string& format) = 0;
    virtual void SetTime(const SysTime& t) = 0;
    virtual SysTime GetTime() const = 0;
};

// An up-down (spin) control.
class IUpDown {
public:
    virtual ~IUpDown() = default;
    virtual void SetRange(int lower, int upper) = 0;
    virtual void SetPos(int pos) = 0;
    virtual int GetPos() const = 0;
};

}  // namespace kp
