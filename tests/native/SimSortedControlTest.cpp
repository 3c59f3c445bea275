// The sorted list view and list box of the simulated platform place every new row where a walk from the
// top would (before the first text that compares greater, case folded), whatever has been done to the
// rows before: texts changed in place, rows put at an index, rows deleted, the style switched.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Gbk.h"
#include "platform/sim/SimControls.h"

namespace {

using Texts = std::vector<std::string>;

// The place a sorted control gives a new text, by the walk.
int WalkPosition(const Texts& rows, const std::string& text) {
    int i = 0;
    while (i < static_cast<int>(rows.size()) && kp::MbsICmp(rows[i], text) <= 0) ++i;
    return i;
}

// A small deterministic source of choices, so that a failure repeats.
class Choices {
public:
    int Next(int bound) {
        m_state = m_state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<int>((m_state >> 33) % static_cast<uint64_t>(bound));
    }
    // Few distinct texts, so that equal ones and ones equal but for case come up often.
    std::string Text() {
        static const char* const kTexts[] = {"a", "A", "b", "B.mp3", "b.mp3", "歌", "歌a", "歌A", "", "zz", "Zz"};
        return kTexts[Next(sizeof kTexts / sizeof *kTexts)];
    }

private:
    uint64_t m_state = 12345;
};

Texts Labels(const kp::sim::SimListView& list) {
    Texts out;
    for (int row = 0; row < list.GetItemCount(); ++row) out.push_back(list.GetItemText(row, 0));
    return out;
}

TEST(SimSortedControls, ListViewPlacesEveryRowAsTheWalkDoes) {
    Choices choose;
    kp::sim::SimListView list;
    list.InsertColumn(0, "c", 80, kp::ColumnAlign::Left);
    list.sorted = true;
    Texts model;
    for (int step = 0; step < 4000; ++step) {
        const std::string text = choose.Text();
        const int op = choose.Next(100);
        if (op < 70) {
            const int asked = choose.Next(static_cast<int>(model.size()) + 2);
            const int at = list.sorted ? WalkPosition(model, text) : std::min<int>(asked, model.size());
            ASSERT_EQ(at, list.InsertItem(asked, text)) << "step " << step;
            model.insert(model.begin() + at, text);
        } else if (op < 73 && !model.empty()) {
            const int row = choose.Next(static_cast<int>(model.size()));
            ASSERT_TRUE(list.SetItemText(row, 0, text));  // the row stays where it is
            model[row] = text;
        } else if (op < 85 && !model.empty()) {
            const int row = choose.Next(static_cast<int>(model.size()));
            ASSERT_TRUE(list.DeleteItem(row));
            model.erase(model.begin() + row);
        } else if (op < 87) {
            list.sorted = !list.sorted;
        } else if (op < 89) {
            list.DeleteAllItems();
            model.clear();
        }
        ASSERT_EQ(model, Labels(list)) << "step " << step;
    }
}

TEST(SimSortedControls, ListBoxPlacesEveryAddedStringAsTheWalkDoes) {
    Choices choose;
    kp::sim::SimListBox box;
    box.sorted = true;
    Texts model;
    for (int step = 0; step < 4000; ++step) {
        const std::string text = choose.Text();
        const int op = choose.Next(100);
        if (op < 70) {
            const int at = box.sorted ? WalkPosition(model, text) : static_cast<int>(model.size());
            ASSERT_EQ(at, box.AddString(text)) << "step " << step;
            model.insert(model.begin() + at, text);
        } else if (op < 73) {
            const int at = choose.Next(static_cast<int>(model.size()) + 1);  // never sorted
            ASSERT_EQ(at, box.InsertString(at, text));
            model.insert(model.begin() + at, text);
        } else if (op < 85 && !model.empty()) {
            const int row = choose.Next(static_cast<int>(model.size()));
            ASSERT_TRUE(box.DeleteString(row));
            model.erase(model.begin() + row);
        } else if (op < 87) {
            box.sorted = !box.sorted;
        } else if (op < 89) {
            box.ResetContent();
            model.clear();
        }
        ASSERT_EQ(model, box.Items()) << "step " << step;
    }
}

}  // namespace
