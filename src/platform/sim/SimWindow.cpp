#include "platform/sim/SimWindow.h"

#include <algorithm>
#include <cstdlib>

#include "platform/Gbk.h"
#include "platform/Wnd.h"
#include "platform/sim/SimOs.h"

namespace kp::sim {

namespace {

const char* KindName(ControlKind k) {
    switch (k) {
    case ControlKind::Button: return "button";
    case ControlKind::CheckBox: return "check box";
    case ControlKind::Radio: return "radio button";
    case ControlKind::Edit: return "edit";
    case ControlKind::Static: return "static";
    case ControlKind::GroupBox: return "group box";
    case ControlKind::ListView: return "list view";
    case ControlKind::ListBox: return "list box";
    case ControlKind::Combo: return "combo box";
    case ControlKind::DateTime: return "date-time picker";
    case ControlKind::UpDown: return "up-down";
    case ControlKind::Other: return "control";
    case ControlKind::Unknown: break;
    }
    return "control of unknown kind";
}

bool TakesFocusOnClick(ControlKind k) {
    return k == ControlKind::Button || k == ControlKind::CheckBox || k == ControlKind::Radio;
}

// Controls whose focus changes reach the window as EN_ notifications. A control of unknown kind (a
// template the resources do not know) is taken for an edit.
bool IsEditLike(ControlKind k) { return k == ControlKind::Edit || k == ControlKind::Unknown; }

}  // namespace

SimWindow::SimWindow(SimOs& os, Kind kind, Wnd& wnd, int templateId, WindowRef ref)
    : m_os(os), m_kind(kind), m_wnd(&wnd), m_identity(&wnd), m_templateId(templateId), m_ref(ref) {
    if (kind == Kind::Sheet) {
        m_lazyControls = false;
        ControlDef button;
        button.kind = ControlKind::Button;
        button.tabStop = true;
        for (const auto& [id, text] : {std::pair<int, const char*>{IDOK, "确定"}, {IDCANCEL, "取消"},
                                       {ID_APPLY_NOW, "应用(&A)"}}) {
            button.id = id;
            button.text = text;
            button.disabled = id == ID_APPLY_NOW;  // until a page is marked modified
            AddControl(button);
        }
        return;
    }
    const DialogDef* def = os.Resources().Dialog(templateId);
    if (!def) return;
    m_lazyControls = false;
    m_caption = def->caption;
    m_topmost = def->systemModal;
    // Dialog units to pixels for the 9-point font of the templates.
    m_rect = Rect{100, 100, 100 + def->width * 3 / 2, 100 + def->height * 13 / 8};
    for (const ControlDef& c : def->controls)
        if (c.id != 0 && c.id != -1 && c.id != 0xFFFF) AddControl(c);
}

SimWindow::~SimWindow() = default;

SimControl& SimWindow::AddControl(const ControlDef& def) {
    auto control = std::make_unique<SimControl>();
    control->def = def;
    control->text = def.text;
    control->enabled = !def.disabled;
    control->visible = !def.hidden;
    control->listView.sorted = def.kind == ControlKind::ListView && def.sorted;
    control->listView.singleSel = def.singleSel;
    control->listBox.sorted = def.kind == ControlKind::ListBox && def.sorted;
    control->combo.sorted = def.kind == ControlKind::Combo && def.sorted;
    // A new picker shows the current local time.
    control->dateTime.m_time = m_os.LocalTime();
    SimControl& ref = *control;
    if (!m_controls.count(def.id)) m_order.push_back(def.id);
    m_controls[def.id] = std::move(control);
    return ref;
}

const SimControl* SimWindow::Find(int id) const {
    auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second.get();
}

SimControl& SimWindow::Ctl(int id, ControlKind want) {
    auto it = m_controls.find(id);
    if (it == m_controls.end()) {
        if (!m_lazyControls) throw SimError(Name() + " has no control " + std::to_string(id));
        ControlDef def;
        def.id = id;
        def.kind = want;
        return AddControl(def);
    }
    SimControl& c = *it->second;
    if (want != ControlKind::Unknown && c.def.kind != want) {
        if (c.def.kind != ControlKind::Unknown)
            throw SimError(Name() + ": control " + std::to_string(id) + " is a " + KindName(c.def.kind) +
                           ", not a " + KindName(want));
        c.def.kind = want;  // a lazily made control takes the kind of its first typed use
        c.listView.sorted = c.listBox.sorted = c.combo.sorted = false;
    }
    return c;
}

const SimControl& SimWindow::Control(int id) const {
    const SimControl* c = Find(id);
    if (!c) throw SimError(Name() + " has no control " + std::to_string(id));
    return *c;
}


std::string SimWindow::Name() const {
    switch (m_kind) {
    case Kind::Sheet: return "sheet \"" + GbkToUtf8(m_caption) + "\"";
    case Kind::Page: return "page " + std::to_string(m_templateId);
    case Kind::Modal: return "dialog " + std::to_string(m_templateId);
    case Kind::Modeless: return "window " + std::to_string(m_templateId);
    }
    return "window";
}

std::string SimWindow::Describe() const {
    std::string out = Name() + (m_destroyed ? " (destroyed)" : "") + ", caption \"" + GbkToUtf8(m_caption) + "\"";
    for (int id : m_order) {
        const SimControl& c = *m_controls.at(id);
        out += "\n  " + std::to_string(id) + " " + KindName(c.def.kind) + " \"" + GbkToUtf8(c.text) + "\"";
        if (!c.enabled) out += " disabled";
        if (!c.visible) out += " hidden";
        if (c.check) out += " checked";
        if (c.def.kind == ControlKind::ListView) out += " rows " + std::to_string(c.listView.GetItemCount());
        if (c.def.kind == ControlKind::ListBox) out += " rows " + std::to_string(c.listBox.GetCount());
    }
    return out;
}

// ---------------------------------------------------------------- IWindow

void SimWindow::SetTimer(unsigned id, unsigned ms) {
    if (m_destroyed) return;
    const unsigned period = std::max(ms, 10u);
    m_timers[id] = Timer{period, m_os.Now() + period, m_os.NextSeq()};
    m_os.m_timedWindows.insert(this);
}

void SimWindow::KillTimer(unsigned id) {
    m_timers.erase(id);
    if (m_timers.empty()) m_os.m_timedWindows.erase(this);
}

void SimWindow::SetText(int id, const std::string& text) {
    if (id == 0) {
        m_caption = text;
        return;
    }
    Ctl(id).text = text;
}

std::string SimWindow::GetText(int id) const {
    if (id == 0) return m_caption;
    const SimControl* c = Find(id);
    if (!c) {
        if (!m_lazyControls) throw SimError(Name() + " has no control " + std::to_string(id));
        return std::string();
    }
    if (c->def.kind == ControlKind::Combo) return c->combo.GetLBText(c->combo.GetCurSel());
    return c->text;
}

void SimWindow::SetCheck(int id, int state) { Ctl(id).check = state; }

int SimWindow::GetCheck(int id) const {
    const SimControl* c = Find(id);
    if (!c && !m_lazyControls) throw SimError(Name() + " has no control " + std::to_string(id));
    return c ? c->check : 0;
}

void SimWindow::EnableControl(int id, bool enable) {
    if (id == 0)
        m_enabled = enable;
    else
        Ctl(id).enabled = enable;
}

bool SimWindow::IsControlEnabled(int id) const {
    if (id == 0) return m_enabled;
    const SimControl* c = Find(id);
    if (!c && !m_lazyControls) throw SimError(Name() + " has no control " + std::to_string(id));
    return c ? c->enabled : true;
}

void SimWindow::ShowControl(int id, bool show) {
    if (id == 0)
        SetVisible(show);
    else
        Ctl(id).visible = show;
}

bool SimWindow::IsControlVisible(int id) const {
    if (id == 0) return IsVisible();
    const SimControl* c = Find(id);
    if (!c && !m_lazyControls) throw SimError(Name() + " has no control " + std::to_string(id));
    return (c ? c->visible : true) && IsVisible();
}

void SimWindow::SetFocus(int id) {
    if (id != 0) Ctl(id);
    MoveFocus(id);
}

IListView& SimWindow::ListView(int id) { return Ctl(id, ControlKind::ListView).listView; }
IListBox& SimWindow::ListBox(int id) { return Ctl(id, ControlKind::ListBox).listBox; }
ICombo& SimWindow::Combo(int id) { return Ctl(id, ControlKind::Combo).combo; }
IDateTime& SimWindow::DateTime(int id) { return Ctl(id, ControlKind::DateTime).dateTime; }
IUpDown& SimWindow::UpDown(int id) { return Ctl(id, ControlKind::UpDown).upDown; }

void SimWindow::Show(bool show) { SetVisible(show); }

void SimWindow::SetVisible(bool show) {
    if (m_destroyed || m_visible == show) return;
    m_visible = show;
    if (show && m_kind != Kind::Page) m_os.m_desktop.BringToFront(m_ref);
    if (m_wnd) m_wnd->OnShowWindow(show);
}

bool SimWindow::IsVisible() const {
    if (m_destroyed || !m_visible) return false;
    return !m_parent || m_parent->IsVisible();
}

void SimWindow::SetTopmost() {
    m_topmost = true;
    if (!m_destroyed) m_os.m_desktop.BringToFront(m_ref);
}

void SimWindow::SetForeground() { BringToTop(); }  // the simulated desktop keeps no foreground apart

void SimWindow::BringToTop() {
    if (!m_destroyed) m_os.m_desktop.BringToFront(m_ref);
}

void SimWindow::CenterWindow() {
    const int w = m_rect.right - m_rect.left, h = m_rect.bottom - m_rect.top;
    const Rect s = SimOs::kScreen;
    m_rect.left = s.left + (s.right - s.left - w) / 2;
    m_rect.top = s.top + (s.bottom - s.top - h) / 2;
    m_rect.right = m_rect.left + w;
    m_rect.bottom = m_rect.top + h;
}

void SimWindow::AppendSystemMenuItem(int id, const std::string& text) { m_systemMenu.emplace_back(id, text); }

void SimWindow::EndDialog(int result) {
    m_result = result;
    for (SimOs::Level& level : m_os.m_levels)
        if (level.window == this) level.ended = true;
}

void SimWindow::SetLinkStatic(int id, bool linkEnabled) {
    SimControl& c = Ctl(id);
    c.link = true;
    c.linkEnabled = linkEnabled;
}

bool SimWindow::SetStaticBitmap(int id, int bitmapResource) {
    SimControl& c = Ctl(id);
    if (bitmapResource <= 0 || !m_os.Resources().HasBitmap(bitmapResource)) return false;
    c.bitmap = bitmapResource;
    return true;
}

void SimWindow::SetActivePage(int index) {
    if (m_kind == Kind::Sheet) ActivatePage(index);
}

void SimWindow::SetPageModified(int index, bool modified) {
    if (m_kind != Kind::Sheet || index < 0 || index >= PageCount()) return;
    m_pageModified[index] = modified;
    // Apply is enabled while any page is marked modified.
    Ctl(ID_APPLY_NOW).enabled = std::find(m_pageModified.begin(), m_pageModified.end(), true) != m_pageModified.end();
}

void SimWindow::ActivatePage(int index) {
    if (m_destroyed || index < 0 || index >= PageCount() || index == m_activePage) return;
    auto& sheet = static_cast<PropertySheet&>(*m_wnd);
    PropertyPage* page = sheet.GetPage(index);
    if (!m_pages[index]) {
        SimWindow& w = m_os.NewWindow(Kind::Page, *page, page->TemplateId());
        w.m_parent = this;
        m_pages[index] = &w;
        page->AttachWindow(&w);
        page->OnInitDialog();
    }
    const int old = m_activePage;
    m_activePage = index;
    if (old >= 0 && m_pages[old]) m_pages[old]->SetVisible(false);
    m_pages[index]->SetVisible(true);
}

SimWindow* SimWindow::Page(int index) const {
    return index >= 0 && index < PageCount() ? m_pages[index] : nullptr;
}

bool SimWindow::PageModified(int index) const {
    return index >= 0 && index < PageCount() && m_pageModified[index];
}

std::optional<unsigned> SimWindow::TimerPeriod(unsigned id) const {
    auto it = m_timers.find(id);
    if (it == m_timers.end()) return std::nullopt;
    return it->second.period;
}

std::optional<int64_t> SimWindow::TimerDue(unsigned id) const {
    auto it = m_timers.find(id);
    if (it == m_timers.end()) return std::nullopt;
    return it->second.due;
}

std::vector<unsigned> SimWindow::Timers() const {
    std::vector<unsigned> out;
    for (const auto& t : m_timers) out.push_back(t.first);
    return out;
}

void SimWindow::Destroyed() {
    m_destroyed = true;
    m_timers.clear();
    m_os.m_timedWindows.erase(this);
    m_wnd = nullptr;
    m_os.m_desktop.Forget(m_ref);
}

// ---------------------------------------------------------------- delivery

void SimWindow::MoveFocus(int id) {
    const int old = m_focus;
    if (old == id) return;
    m_focus = id;
    if (old != 0 && m_wnd) {
        const SimControl* c = Find(old);
        if (c && IsEditLike(c->def.kind)) DeliverCommand(old, EN_KILLFOCUS);
        if (c && c->def.kind == ControlKind::ListView) DeliverNotify(old, NM_KILLFOCUS);
    }
    if (m_focus != id || id == 0 || !m_wnd) return;  // a handler moved the focus elsewhere
    const SimControl* c = Find(id);
    if (c && IsEditLike(c->def.kind)) DeliverCommand(id, EN_SETFOCUS);
    if (c && c->def.kind == ControlKind::ListView) DeliverNotify(id, NM_SETFOCUS);
}

void SimWindow::DeliverCommand(int id, int code) {
    if (m_wnd) m_wnd->OnCommand(id, code);
}

void SimWindow::DeliverNotify(int id, int code) {
    if (m_wnd) m_wnd->OnNotify(id, code);
}

void SimWindow::SheetCommand(int id, int code) {
    if (!m_wnd || m_wnd->OnCommand(id, code) || !m_wnd || code != BN_CLICKED) return;
    auto& sheet = static_cast<PropertySheet&>(*m_wnd);
    if (id == IDOK) {
        if (sheet.ApplyModifiedPages()) EndDialog(IDOK);
    } else if (id == IDCANCEL) {
        EndDialog(IDCANCEL);
    } else if (id == ID_APPLY_NOW) {
        sheet.ApplyModifiedPages();
    }
}

// ---------------------------------------------------------------- user actions

void SimWindow::RequireInput(const char* action) const {
    const std::string what = std::string("cannot ") + action + " on " + Name() + ": ";
    if (m_destroyed) throw SimError(what + "the window is destroyed");
    if (!IsVisible()) throw SimError(what + "the window is hidden");
    if (!m_enabled || (m_parent && !m_parent->m_enabled)) throw SimError(what + "the window is disabled");
    if (m_os.IsDisabledByModal(*this)) throw SimError(what + "a modal window above it is open");
}

SimControl& SimWindow::RequireControl(int id, const char* action) {
    RequireInput(action);
    SimControl& c = Ctl(id);
    const std::string what = std::string("cannot ") + action + " control " + std::to_string(id) + " of " + Name();
    if (!c.enabled) throw SimError(what + ": it is disabled");
    if (!c.visible) throw SimError(what + ": it is hidden");
    return c;
}

void SimWindow::Click(int id) {
    const bool sheetButton = id == IDOK || id == IDCANCEL || id == ID_APPLY_NOW;
    if (m_kind == Kind::Page && sheetButton && !HasControl(id)) {
        m_parent->Click(id);
        return;
    }
    SimControl& c = RequireControl(id, "click");
    const ControlKind kind = c.def.kind;
    if (kind == ControlKind::Static || kind == ControlKind::GroupBox) {
        const bool reports = c.link ? c.linkEnabled : c.def.notify;
        if (reports)
            DeliverCommand(id, STN_CLICKED);
        else if (m_wnd)
            m_wnd->OnLButtonDown(false);  // the click falls through to the window's surface
        return;
    }
    if (kind == ControlKind::ListView || kind == ControlKind::ListBox || kind == ControlKind::Combo ||
        kind == ControlKind::DateTime)
        throw SimError(Name() + ": control " + std::to_string(id) + " is a " + KindName(kind) +
                       "; use its own action");
    if (kind == ControlKind::Edit) {
        MoveFocus(id);
        return;
    }
    if (TakesFocusOnClick(kind)) MoveFocus(id);
    if (c.def.autoCheck && kind == ControlKind::CheckBox) c.check = c.check ? 0 : 1;
    if (c.def.autoCheck && kind == ControlKind::Radio) {
        // The radio buttons of one group: from the one with the group style to the next one with it.
        auto pos = std::find(m_order.begin(), m_order.end(), id);
        auto first = pos;
        while (first != m_order.begin() && !m_controls.at(*first)->def.group) --first;
        for (auto it = first; it != m_order.end(); ++it) {
            SimControl& other = *m_controls.at(*it);
            if (it != first && other.def.group) break;
            if (other.def.kind == ControlKind::Radio) other.check = 0;
        }
        c.check = 1;
    }
    if (m_kind == Kind::Sheet)
        SheetCommand(id, BN_CLICKED);
    else
        DeliverCommand(id, BN_CLICKED);
}

void SimWindow::Type(int id, const std::string& text) {
    SimControl& c = RequireControl(id, "type");
    if (!IsEditLike(c.def.kind) || c.def.readOnly)
        throw SimError("cannot type into control " + std::to_string(id) + " of " + Name() + ": it is a " +
                       (c.def.readOnly ? "read-only edit" : KindName(c.def.kind)));
    MoveFocus(id);
    c.text = text;
    DeliverCommand(id, EN_CHANGE);
}

void SimWindow::FocusControl(int id) {
    RequireControl(id, "focus");
    MoveFocus(id);
}

void SimWindow::LButtonDown(bool doubleClick) {
    RequireInput("click");
    if (m_wnd) m_wnd->OnLButtonDown(doubleClick);
}

void SimWindow::NcLButtonDown() {
    RequireInput("click");
    if (m_wnd) m_wnd->OnNcLButtonDown();
}

void SimWindow::Escape() { PressKey(IDCANCEL, "press Escape"); }

void SimWindow::Enter() { PressKey(IDOK, "press Enter"); }

void SimWindow::PressKey(int command, const char* action) {
    if (m_kind == Kind::Page) {
        m_parent->PressKey(command, action);
        return;
    }
    RequireInput(action);
    if (m_kind == Kind::Sheet)
        SheetCommand(command, BN_CLICKED);
    else
        DeliverCommand(command, BN_CLICKED);
}

void SimWindow::SelectOnlyRow(int id, SimListView& list, int index) {
    for (int i = 0; i < list.GetItemCount(); ++i) {
        const bool want = i == index;
        if (list.Rows()[i].selected == want) continue;
        list.SetSelected(i, want);
        DeliverNotify(id, LVN_ITEMCHANGED);
    }
}

void SimWindow::SelectListItem(int id, int index) {
    SimControl& c = RequireControl(id, "select in");
    const std::string bad = Name() + ": no row " + std::to_string(index) + " in control " + std::to_string(id);
    switch (c.def.kind) {
    case ControlKind::ListView: {
        if (index < 0 || index >= c.listView.GetItemCount()) throw SimError(bad);
        MoveFocus(id);
        SelectOnlyRow(id, c.listView, index);
        return;
    }
    case ControlKind::ListBox:
        if (index < 0 || index >= c.listBox.GetCount()) throw SimError(bad);
        MoveFocus(id);
        c.listBox.SetCurSel(index);
        DeliverCommand(id, LBN_SELCHANGE);
        return;
    case ControlKind::Combo:
        if (index < 0 || index >= c.combo.GetCount()) throw SimError(bad);
        MoveFocus(id);
        c.combo.SetCurSel(index);
        DeliverCommand(id, CBN_SELCHANGE);
        return;
    default:
        throw SimError(Name() + ": control " + std::to_string(id) + " is a " + KindName(c.def.kind) +
                       ", not a list");
    }
}

void SimWindow::ClickListItem(int id, int index, bool doubleClick) {
    SimControl& c = RequireControl(id, "click in");
    if (c.def.kind == ControlKind::ListBox) {
        if (index < 0 || index >= c.listBox.GetCount())
            throw SimError(Name() + ": no row " + std::to_string(index) + " in list box " + std::to_string(id));
        MoveFocus(id);
        const bool changed = c.listBox.GetCurSel() != index;
        c.listBox.SetCurSel(index);
        if (changed) DeliverCommand(id, LBN_SELCHANGE);
        if (doubleClick) DeliverCommand(id, LBN_DBLCLK);
        return;
    }
    if (c.def.kind != ControlKind::ListView)
        throw SimError(Name() + ": control " + std::to_string(id) + " is a " + KindName(c.def.kind) +
                       ", not a list view or list box");
    if (index < -1 || index >= c.listView.GetItemCount())
        throw SimError(Name() + ": no row " + std::to_string(index) + " in list view " + std::to_string(id));
    MoveFocus(id);
    SelectOnlyRow(id, c.listView, index);
    DeliverNotify(id, NM_CLICK);
    if (doubleClick) DeliverNotify(id, NM_DBLCLK);
}

void SimWindow::PickDateTime(int id, const SysTime& t) {
    SimControl& c = RequireControl(id, "set");
    if (c.def.kind != ControlKind::DateTime && c.def.kind != ControlKind::Unknown)
        throw SimError(Name() + ": control " + std::to_string(id) + " is a " + KindName(c.def.kind) +
                       ", not a date-time picker");
    Ctl(id, ControlKind::DateTime);
    MoveFocus(id);
    c.dateTime.SetTime(t);
    DeliverNotify(id, DTN_DATETIMECHANGE);
}

void SimWindow::ClickUpDown(int id, int direction) {
    SimControl& c = RequireControl(id, "click");
    if (c.def.kind != ControlKind::UpDown) throw SimError(Name() + ": control " + std::to_string(id) + " is a " +
                                                          KindName(c.def.kind) + ", not an up-down");
    auto pos = std::find(m_order.begin(), m_order.end(), id);
    if (pos == m_order.begin()) throw SimError(Name() + ": up-down " + std::to_string(id) + " has no buddy");
    const int buddyId = *(pos - 1);
    SimControl& buddy = RequireControl(buddyId, "click the up-down of");
    SimUpDown& spin = c.upDown;
    const int low = std::min(spin.Lower(), spin.Upper()), high = std::max(spin.Lower(), spin.Upper());
    const char* begin = buddy.text.c_str();
    char* end = nullptr;
    const long typed = std::strtol(begin, &end, 10);
    if (end != begin && *end == '\0' && typed >= low && typed <= high) spin.SetPos(static_cast<int>(typed));
    // A range given upside down turns the arrows round.
    const int step = (spin.Lower() <= spin.Upper() ? 1 : -1) * (direction > 0 ? 1 : -1);
    const int before = spin.GetPos();
    spin.SetPos(before + step);
    if (spin.GetPos() == before) return;
    buddy.text = std::to_string(spin.GetPos());
    DeliverCommand(buddyId, EN_CHANGE);
}

void SimWindow::SysCommand(unsigned id) {
    RequireInput("use the system menu");
    if (!m_wnd || m_wnd->OnSysCommand(id) || !m_wnd || id != SC_CLOSE) return;
    if (m_kind == Kind::Sheet)
        SheetCommand(IDCANCEL, BN_CLICKED);
    else
        DeliverCommand(IDCANCEL, BN_CLICKED);
}

void SimWindow::SelectTab(int index) {
    if (m_kind == Kind::Page) {
        m_parent->SelectTab(index);
        return;
    }
    if (m_kind != Kind::Sheet) throw SimError(Name() + " has no tabs");
    RequireInput("select a tab");
    if (index < 0 || index >= PageCount()) throw SimError(Name() + " has no tab " + std::to_string(index));
    ActivatePage(index);
}

void SimWindow::ClickApply() {
    if (m_kind == Kind::Page) {
        m_parent->ClickApply();
        return;
    }
    if (m_kind != Kind::Sheet) throw SimError(Name() + " has no Apply button");
    Click(ID_APPLY_NOW);
}

}  // namespace kp::sim
