// One window of the simulated platform: the IWindow behind a created Wnd, its controls and timers, and
// the actions a test takes on it as the user would.
//
// A SimWindow lives as long as its SimOs. When its window is destroyed it stays as a record: its state can
// still be read, but it no longer reaches its Wnd, and user actions on it throw SimError.
//
// Keyboard focus is kept per window: a focus change inside a window (by the program or the user) sends the
// kill-focus and set-focus notifications, but a window opening or closing over it sends none. A modal
// dialog opening gives the focus to its first tab stop (templates the resources know). Notifications the
// program's own calls would cause on Windows (LVN_ITEMCHANGED from SetSelected, for instance) are not sent;
// the user actions below send theirs.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>
#include "platform/Window.h"
#include "platform/sim/SimControls.h"

namespace kp {
class Wnd;
class Dialog;
class PropertySheet;
}  // namespace kp

namespace kp::sim {

class SimOs;

class SimWindow final : public IWindow {
public:
    enum class Kind { Sheet, Page, Modal, Modeless };

    SimWindow(const SimWindow&) = delete;
    SimWindow& operator=(const SimWindow&) = delete;

    // --- IWindow (used by the program) ---
    void SetTimer(unsigned id, unsigned ms) override;
    void KillTimer(unsigned id) override;
    void SetText(int id, const std::string& text) override;
    std::string GetText(int id) const override;
    void SetCheck(int id, int state) override;
    int GetCheck(int id) const override;
    void EnableControl(int id, bool enable) override;
    bool IsControlEnabled(int id) const override;
    void ShowControl(int id, bool show) override;
    bool IsControlVisible(int id) const override;
    void SetFocus(int id) override;
    IListView& ListView(int id) override;
    IListBox& ListBox(int id) override;
    ICombo& Combo(int id) override;
    IDateTime& DateTime(int id) override;
    IUpDown& UpDown(int id) override;
    void Show(bool show) override;
    // A page counts as visible only while its sheet is.
    bool IsVisible() const override;
    void SetTopmost() override;
    void SetForeground() override;
    void BringToTop() override;
    void CenterWindow() override;
    Rect GetWindowRect() const override { return m_rect; }
    void SetIcon(int iconResource) override { m_icon = iconResource; }
    void AppendSystemMenuItem(int id, const std::string& text) override;
    void EndDialog(int result) override;
    WindowRef Ref() const override { return m_ref; }
    void SetLinkStatic(int id, bool linkEnabled) override;
    bool SetStaticBitmap(int id, int bitmapResource) override;
    void SetActivePage(int index) override;
    int GetActivePage() const override { return m_activePage; }
    void SetPageModified(int index, bool modified) override;

    // --- Inspection (used by tests) ---
    // The dialog template; 0 for a sheet.
    int TemplateId() const { return m_templateId; }
    bool IsDestroyed() const { return m_destroyed; }
    // The program's object behind the window; null once the window is destroyed.
    Wnd* Object() const { return m_wnd; }
    std::string Caption() const { return m_caption; }
    bool HasControl(int id) const { return m_controls.count(id) != 0; }
    // Every control; throws SimError for an id the window does not have.
    const SimControl& Control(int id) const;
    SimListView& ListViewOf(int id) { return Ctl(id, ControlKind::ListView).listView; }
    SimListBox& ListBoxOf(int id) { return Ctl(id, ControlKind::ListBox).listBox; }
    SimDateTime& DateTimeOf(int id) { return Ctl(id, ControlKind::DateTime).dateTime; }
    // The period of an armed timer.
    std::optional<unsigned> TimerPeriod(unsigned id) const;
    // Virtual time at which an armed timer fires next.
    std::optional<int64_t> TimerDue(unsigned id) const;
    std::vector<unsigned> Timers() const;
    bool IsTopmost() const { return m_topmost; }
    int Focus() const { return m_focus; }
    int Icon() const { return m_icon; }
    const std::vector<std::pair<int, std::string>>& SystemMenuItems() const { return m_systemMenu; }
    // What EndDialog was given (modal windows).
    std::optional<int> Result() const { return m_result; }
    // Sheets: the pages' windows (null for a page not yet created) and their modified marks.
    SimWindow* Page(int index) const;
    bool PageModified(int index) const;
    int PageCount() const { return static_cast<int>(m_pages.size()); }
    // One line per control (id, kind, state, text), UTF-8, for failure messages.
    std::string Describe() const;

    // --- User actions (used by tests; they throw SimError where a user could not do it) ---
    // A button click: the button takes the focus, a check box or radio button with the auto style changes
    // its check, then the window gets BN_CLICKED. Buttons 1, 2 and Apply of a sheet and their commands go
    // to the sheet (with its default handling when the sheet does not handle them). A click on a static
    // that does not report clicks lands on the window's surface (OnLButtonDown).
    void Click(int id);
    // Focus into the edit, its text replaced, then EN_CHANGE.
    void Type(int id, const std::string& text);
    // EN_KILLFOCUS (or NM_KILLFOCUS for a list view) to the control that had the focus, then EN_SETFOCUS
    // (NM_SETFOCUS) to this one.
    void FocusControl(int id);
    // A click on the window's own surface; on a page or a sheet.
    void LButtonDown(bool doubleClick = false);
    void NcLButtonDown();
    // The Escape and Enter keys: IDCANCEL and IDOK commands (of the sheet, for a page).
    void Escape();
    void Enter();
    // List view: that row becomes the only selected one (LVN_ITEMCHANGED). List box and combo: the
    // current selection (LBN_SELCHANGE, CBN_SELCHANGE).
    void SelectListItem(int id, int index);
    // A click on a row of a list view (-1: below the rows, which clears the selection), then NM_CLICK or
    // NM_DBLCLK; on a list box, the selection, LBN_SELCHANGE and on a double click LBN_DBLCLK.
    void ClickListItem(int id, int index, bool doubleClick = false);
    // The user sets a date-time picker (DTN_DATETIMECHANGE).
    void PickDateTime(int id, const SysTime& t);
    // A click on an arrow of an up-down control that sets its buddy's number (the control before it in the
    // template): the position is first taken from the buddy's text when that is a number within the
    // range, then moves one step up (+1) or down (-1) and stops at the ends; a move writes the new number
    // into the buddy, which sends EN_CHANGE. The up-down and its buddy must both be enabled.
    void ClickUpDown(int id, int direction);
    void SysCommand(unsigned id);
    // Sheets: a click on a tab, and on Apply.
    void SelectTab(int index);
    void ClickApply();

    ~SimWindow() override;

private:
    friend class SimOs;
    SimWindow(SimOs& os, Kind kind, Wnd& wnd, int templateId, WindowRef ref);

    struct Timer {
        unsigned period = 0;
        int64_t due = 0;
        uint64_t seq = 0;
    };

    SimControl& Ctl(int id, ControlKind want = ControlKind::Unknown);
    const SimControl* Find(int id) const;
    SimControl& AddControl(const ControlDef& def);
    // Throws SimError unless the user can act on this window now.
    void RequireInput(const char* action) const;
    SimControl& RequireControl(int id, const char* action);
    std::string Name() const;
    void MoveFocus(int id);
    void DeliverCommand(int id, int code);
    void DeliverNotify(int id, int code);
    // The sheet's default handling of its buttons.
    void SheetCommand(int id, int code);
    // Escape or Enter: the command goes to the sheet for a page.
    void PressKey(int command, const char* action);
    // The user's selection of one row (none for -1), with LVN_ITEMCHANGED for each row that changed.
    void SelectOnlyRow(int id, SimListView& list, int index);
    void ActivatePage(int index);
    void SetVisible(bool show);
    void Destroyed();

    SimOs& m_os;
    Kind m_kind;
    Wnd* m_wnd;
    const Wnd* m_identity;  // the object the window was made for; only compared, never used
    int m_templateId;
    WindowRef m_ref;
    bool m_lazyControls = true;  // a template the resources do not know: controls appear when used
    std::string m_caption;
    std::map<int, std::unique_ptr<SimControl>> m_controls;
    std::vector<int> m_order;  // control ids in template (or creation) order
    std::map<unsigned, Timer> m_timers;
    int m_focus = 0;
    bool m_visible = false;
    bool m_enabled = true;
    bool m_topmost = false;
    bool m_destroyed = false;
    int m_icon = 0;
    Rect m_rect{100, 100, 565, 455};
    std::vector<std::pair<int, std::string>> m_systemMenu;
    std::optional<int> m_result;
    // Sheets.
    std::vector<SimWindow*> m_pages;
    std::vector<bool> m_pageModified;
    int m_activePage = -1;
    SimWindow* m_parent = nullptr;
};

}  // namespace kp::sim
