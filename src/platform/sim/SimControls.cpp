#include "platform/sim/SimControls.h"

#include <algorithm>

#include "platform/Gbk.h"

namespace kp::sim {

namespace {

// Where a sorted control puts a new text: after the texts that compare equal or less, that is before the
// first text from the top that compares greater. While the texts are known to be in order, that place is
// found by bisection; rows put out of order by an explicit index or a changed text are walked from the top.
template <typename Texts, typename Get>
int SortedPosition(const Texts& items, const std::string& text, Get get, bool ordered) {
    if (ordered) {
        const auto greater = std::upper_bound(items.begin(), items.end(), text,
            [&](const std::string& t, const auto& item) { return MbsICmp(get(item), t) > 0; });
        return static_cast<int>(greater - items.begin());
    }
    int i = 0;
    for (const auto& item : items) {
        if (MbsICmp(get(item), text) > 0) break;
        ++i;
    }
    return i;
}

// Whether the text at `at` is in order with its neighbours.
template <typename Texts, typename Get>
bool InOrderAt(const Texts& items, int at, Get get) {
    const int last = static_cast<int>(items.size()) - 1;
    return (at == 0 || MbsICmp(get(items[at - 1]), get(items[at])) <= 0) &&
           (at == last || MbsICmp(get(items[at]), get(items[at + 1])) <= 0);
}

const std::string& Label(const SimListView::Row& r) { return r.texts[0]; }

const std::string& Same(const std::string& s) { return s; }

}  // namespace

void SimListView::InsertColumn(int col, const std::string& title, int width, ColumnAlign align) {
    const int at = std::clamp(col, 0, static_cast<int>(m_columns.size()));
    m_columns.insert(m_columns.begin() + at, Column{title, width, align});
}

int SimListView::InsertItem(int index, const std::string& text) {
    if (index < 0) return -1;
    int at = std::min(index, GetItemCount());
    if (sorted) at = SortedPosition(m_rows, text, Label, m_ordered);
    Row row;
    row.texts.push_back(text);
    m_rows.insert(m_rows.begin() + at, std::move(row));
    // Without the sort style the order is not followed: it is known again with one row or none.
    if (!sorted) m_ordered = GetItemCount() == 1;
    return at;
}

std::string SimListView::GetItemText(int item, int sub) const {
    if (item < 0 || item >= GetItemCount() || sub < 0) return std::string();
    const Row& row = m_rows[item];
    return sub < static_cast<int>(row.texts.size()) ? row.texts[sub] : std::string();
}

bool SimListView::SetItemText(int item, int sub, const std::string& text) {
    const int subs = std::max<int>(1, static_cast<int>(m_columns.size()));
    if (item < 0 || item >= GetItemCount() || sub < 0 || sub >= subs) return false;
    Row& row = m_rows[item];
    if (static_cast<int>(row.texts.size()) <= sub) row.texts.resize(sub + 1);
    row.texts[sub] = text;
    if (sub == 0) m_ordered = m_ordered && sorted && InOrderAt(m_rows, item, Label);
    return true;
}

uint32_t SimListView::GetItemData(int item) const {
    return item >= 0 && item < GetItemCount() ? m_rows[item].data : 0;
}

bool SimListView::SetItemData(int item, uint32_t data) {
    if (item < 0 || item >= GetItemCount()) return false;
    m_rows[item].data = data;
    return true;
}

bool SimListView::DeleteItem(int item) {
    if (item < 0 || item >= GetItemCount()) return false;
    m_rows.erase(m_rows.begin() + item);
    return true;
}

int SimListView::GetNextSelected(int start) const {
    for (int i = std::max(start + 1, 0); i < GetItemCount(); ++i)
        if (m_rows[i].selected) return i;
    return -1;
}

void SimListView::SetSelected(int item, bool selected) {
    if (item == -1) {
        for (Row& row : m_rows) row.selected = selected;
        return;
    }
    if (item < 0 || item >= GetItemCount()) return;
    if (selected && singleSel)
        for (Row& row : m_rows) row.selected = false;
    m_rows[item].selected = selected;
}

std::vector<int> SimListView::Selection() const {
    std::vector<int> out;
    for (int i = 0; i < GetItemCount(); ++i)
        if (m_rows[i].selected) out.push_back(i);
    return out;
}

int SimStringList::Add(const std::string& text) {
    if (!sorted) return InsertAt(Count(), text);
    return Place(SortedPosition(m_items, text, Same, m_ordered), text);
}

int SimStringList::InsertAt(int index, const std::string& text) {
    if (index == -1) index = Count();
    if (index < 0 || index > Count()) return -1;
    Place(index, text);
    m_ordered = Count() == 1 || (m_ordered && sorted && InOrderAt(m_items, index, Same));
    return index;
}

int SimStringList::Place(int index, const std::string& text) {
    m_items.insert(m_items.begin() + index, text);
    if (m_sel >= index) ++m_sel;
    return index;
}

std::string SimStringList::TextAt(int index) const {
    return index >= 0 && index < Count() ? m_items[index] : std::string();
}

bool SimStringList::Erase(int index) {
    if (index < 0 || index >= Count()) return false;
    m_items.erase(m_items.begin() + index);
    if (m_sel == index)
        m_sel = -1;
    else if (m_sel > index)
        --m_sel;
    return true;
}

void SimStringList::Clear() {
    m_items.clear();
    m_sel = -1;
    m_ordered = true;
}

void SimStringList::Select(int index) { m_sel = index >= 0 && index < Count() ? index : -1; }

void SimUpDown::SetRange(int lower, int upper) {
    m_lower = lower;
    m_upper = upper;
    SetPos(m_pos);
}

void SimUpDown::SetPos(int pos) {
    m_pos = std::clamp(pos, std::min(m_lower, m_upper), std::max(m_lower, m_upper));
}

}  // namespace kp::sim
