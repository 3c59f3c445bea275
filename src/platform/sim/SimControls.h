// In-memory common controls of the simulated platform. Each behaves as its Win32 counterpart does for
// the operations the program uses, and lets a test read all of its state.
#pragma once
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>
#include "platform/Controls.h"
#include "platform/sim/SimResources.h"

namespace kp::sim {

class SimListView final : public IListView {
public:
    struct Column {
        std::string title;
        int width = 0;
        ColumnAlign align = ColumnAlign::Left;
    };
    struct Row {
        std::vector<std::string> texts;  // column 0 first
        uint32_t data = 0;
        bool selected = false;
    };

    void InsertColumn(int col, const std::string& title, int width, ColumnAlign align) override;
    int InsertItem(int index, const std::string& text) override;
    int GetItemCount() const override { return static_cast<int>(m_rows.size()); }
    std::string GetItemText(int item, int sub) const override;
    bool SetItemText(int item, int sub, const std::string& text) override;
    uint32_t GetItemData(int item) const override;
    bool SetItemData(int item, uint32_t data) override;
    bool DeleteItem(int item) override;
    void DeleteAllItems() override {
        m_rows.clear();
        m_ordered = true;
    }
    int GetNextSelected(int start) const override;
    // item -1: every row.
    void SetSelected(int item, bool selected) override;
    void SetRedraw(bool on) override { redraw = on; }

    bool sorted = false;     // sort-ascending style
    bool redraw = true;
    bool singleSel = false;  // one selected row at most

    const std::vector<Column>& Columns() const { return m_columns; }
    const std::deque<Row>& Rows() const { return m_rows; }
    // The selected rows, top to bottom.
    std::vector<int> Selection() const;

private:
    std::vector<Column> m_columns;
    std::deque<Row> m_rows;  // rows often go in at the top
    bool m_ordered = true;  // the column-0 texts are known to be in sort order
};

// The rows and the selection that a list box and a combo box share.
class SimStringList {
public:
    bool sorted = false;
    const std::vector<std::string>& Items() const { return m_items; }

protected:
    int Count() const { return static_cast<int>(m_items.size()); }
    // Where the sort style puts a new row, else at the end.
    int Add(const std::string& text);
    // -1 when the index is out of range; -1 given appends.
    int InsertAt(int index, const std::string& text);
    std::string TextAt(int index) const;
    bool Erase(int index);
    void Clear();
    void Select(int index);
    int Selected() const { return m_sel; }

private:
    int Place(int index, const std::string& text);
    std::vector<std::string> m_items;
    int m_sel = -1;
    bool m_ordered = true;  // the texts are known to be in sort order
};

class SimListBox final : public IListBox, public SimStringList {
public:
    int AddString(const std::string& text) override { return Add(text); }
    int InsertString(int index, const std::string& text) override { return InsertAt(index, text); }
    int GetCount() const override { return Count(); }
    std::string GetText(int index) const override { return TextAt(index); }
    bool DeleteString(int index) override { return Erase(index); }
    void ResetContent() override { Clear(); }
    int GetCurSel() const override { return Selected(); }
    void SetCurSel(int index) override { Select(index); }
};

class SimCombo final : public ICombo, public SimStringList {
public:
    int AddString(const std::string& text) override { return Add(text); }
    int GetCount() const override { return Count(); }
    std::string GetLBText(int index) const override { return TextAt(index); }
    void ResetContent() override { Clear(); }
    int GetCurSel() const override { return Selected(); }
    void SetCurSel(int index) override { Select(index); }
};

class SimDateTime final : public IDateTime {
public:
    void SetFormat(const std::string& format) override { m_format = format; }
    void SetTime(const SysTime& t) override { m_time = t; }
    SysTime GetTime() const override { return m_time; }
    const std::optional<std::string>& Format() const { return m_format; }

private:
    friend class SimWindow;
    std::optional<std::string> m_format;  // none until SetFormat
    SysTime m_time;
};

// Without SetRange the range is the control's default: 100 at the bottom, 0 at the top.
class SimUpDown final : public IUpDown {
public:
    void SetRange(int lower, int upper) override;
    void SetPos(int pos) override;
    int GetPos() const override { return m_pos; }
    int Lower() const { return m_lower; }
    int Upper() const { return m_upper; }

private:
    int m_lower = 100, m_upper = 0, m_pos = 0;
};

// One control of a window, with the state of every kind (only the part of its kind is used).
struct SimControl {
    ControlDef def;
    std::string text;
    int check = 0;
    bool enabled = true;
    bool visible = true;
    bool link = false;  // SetLinkStatic was called
    bool linkEnabled = false;
    std::optional<int> bitmap;  // SetStaticBitmap's last successful resource
    SimListView listView;
    SimListBox listBox;
    SimCombo combo;
    SimDateTime dateTime;
    SimUpDown upDown;
};

}  // namespace kp::sim
