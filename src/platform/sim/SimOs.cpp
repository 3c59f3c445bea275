#include "platform/sim/SimOs.h"

#include <algorithm>

#include "platform/SysTimeMath.h"

namespace kp::sim {

namespace {

int64_t CheckedMs(const SysTime& t) {
    if (!IsValidSysTime(t))
        throw SimError("invalid time " + std::to_string(t.wYear) + "-" + std::to_string(t.wMonth) + "-" +
                       std::to_string(t.wDay) + " " + std::to_string(t.wHour) + ":" + std::to_string(t.wMinute) +
                       ":" + std::to_string(t.wSecond));
    return SysTimeToMs(t);
}

// Whether `answer` is one of the buttons of a message box of this type.
bool FitsButtons(unsigned type, int answer) {
    switch (type & 0xF) {
    case 0: return answer == IDOK;                                    // MB_OK
    case 1: return answer == IDOK || answer == IDCANCEL;              // MB_OKCANCEL
    case 3: return answer == IDYES || answer == IDNO || answer == IDCANCEL;  // MB_YESNOCANCEL
    case 4: return answer == IDYES || answer == IDNO;                 // MB_YESNO
    default: return true;
    }
}

const MenuItemDef* FindItem(const std::vector<MenuItemDef>& items, int id) {
    for (const MenuItemDef& item : items) {
        if (!item.separator && item.id == id && item.items.empty()) return &item;
        if (const MenuItemDef* inner = FindItem(item.items, id)) return inner;
    }
    return nullptr;
}

std::string DefaultRcPath() {
#ifdef KESTOR_RES_DIR
    return std::string(KESTOR_RES_DIR) + "/Kestor.rc";
#else
    // This file is src/platform/sim/SimOs.cpp of the source tree, and res/ is beside src/.
    const std::string here = __FILE__;
    const size_t at = here.rfind("src/platform/sim/");
    return at == std::string::npos ? std::string("res/Kestor.rc") : here.substr(0, at) + "res/Kestor.rc";
#endif
}

}  // namespace

// ---------------------------------------------------------------- the IUi and IClock faces

class SimOs::Ui final : public IUi {
public:
    explicit Ui(SimOs& os) : m_os(os) {}
    int RunModal(Dialog& dialog) override { return m_os.RunModal(dialog); }
    int RunSheet(PropertySheet& sheet) override { return m_os.RunSheet(sheet); }
    int MessageBox(const std::string& text, unsigned type) override { return m_os.ShowMessageBox(text, type); }
    void SetMainWindow(Wnd* wnd) override { m_os.m_mainWindow = wnd; }
    Wnd* MainWindow() const override { return m_os.m_mainWindow; }
    intptr_t SendToMain(unsigned msg, uintptr_t wp, intptr_t lp) override { return m_os.SendToMain(msg, wp, lp); }
    void PostMessage(Wnd& wnd, unsigned msg, uintptr_t wp, intptr_t lp) override {
        m_os.PostMessage(wnd, msg, wp, lp);
    }
    void PostQuit(int exitCode) override { m_os.PostQuit(exitCode); }
    std::string LoadString(int id) override { return m_os.LoadString(id); }
    Point GetCursorPos() override { return m_os.m_cursor; }
    void TrackPopupMenu(int menuId, int sub, Point at, Wnd& owner) override {
        m_os.TrackPopupMenu(menuId, sub, at, owner);
    }

private:
    SimOs& m_os;
};

class SimOs::Clock final : public IClock {
public:
    explicit Clock(SimOs& os) : m_os(os) {}
    SysTime LocalTime() override { return m_os.LocalTime(); }
    SysTime UtcTime() override { return m_os.UtcTime(); }
    uint32_t TickCount() override { return m_os.TickCount(); }
    uint64_t MsSinceStart() override { return m_os.MsSinceStart(); }

private:
    SimOs& m_os;
};

// ---------------------------------------------------------------- life

SimOs::SimOs() : SimOs(DefaultRcPath()) {}

SimOs::SimOs(const std::string& rcPath)
    : m_ui(std::make_unique<Ui>(*this)),
      m_clock(std::make_unique<Clock>(*this)),
      m_desktop(*this),
      m_sound(*this),
      m_media(*this),
      m_localBase(SysTimeToMs(MakeSysTime(2026, 5, 5, 9, 0, 0))),
      m_utcBase(SysTimeToMs(MakeSysTime(2026, 5, 5, 1, 0, 0))) {
    if (!rcPath.empty()) m_resources = SimResources::FromRc(rcPath);
    m_previous = TheOs();
    Os os;
    os.ui = m_ui.get();
    os.clock = m_clock.get();
    os.registry = &m_registry;
    os.system = &m_system;
    os.files = &m_files;
    os.power = &m_power;
    os.shell = &m_shell;
    os.desktop = &m_desktop;
    os.input = &m_input;
    os.sound = &m_sound;
    os.processes = &m_processes;
    os.fileDialogs = &m_fileDialogs;
    os.media = &m_media;
    InstallOs(os);
}

// Windows still open are left alone: their objects may be gone already.
SimOs::~SimOs() { InstallOs(m_previous); }

// ---------------------------------------------------------------- clocks

void SimOs::SetLocalTime(const SysTime& t) {
    m_localBase = CheckedMs(t);
    m_localSetAt = m_now;
}

void SimOs::SetUtcTime(const SysTime& t) {
    m_utcBase = CheckedMs(t);
    m_utcSetAt = m_now;
}

SysTime SimOs::LocalTime() const { return SysTimeFromMs(m_localBase + (m_now - m_localSetAt)); }

SysTime SimOs::UtcTime() const { return SysTimeFromMs(m_utcBase + (m_now - m_utcSetAt)); }

uint32_t SimOs::TickCount() const { return static_cast<uint32_t>(MsSinceStart()); }

void SimOs::SetMsSinceStart(uint64_t ms) {
    m_tickBase = ms;
    m_tickSetAt = m_now;
}

uint64_t SimOs::MsSinceStart() const { return m_tickBase + static_cast<uint64_t>(m_now - m_tickSetAt); }

void SimOs::ShiftClock(int64_t ms, bool utcToo) {
    m_localBase += ms;
    if (utcToo) m_utcBase += ms;
}

std::vector<SimOs::ArmedTimer> SimOs::ArmedTimers() const {
    std::vector<ArmedTimer> out;
    for (const SimWindow* w : m_timedWindows)
        for (const auto& t : w->m_timers) out.push_back(ArmedTimer{w, t.first, t.second.period, t.second.due});
    return out;
}

// ---------------------------------------------------------------- script

void SimOs::At(int64_t ms, std::function<void()> fn) {
    m_actions.push_back(Action{std::max(ms, m_now), NextSeq(), std::move(fn)});
}

void SimOs::After(int64_t ms, std::function<void()> fn) { At(m_now + std::max<int64_t>(ms, 0), std::move(fn)); }

void SimOs::KeepRunningUntil(int64_t ms) {
    At(ms, [] {});
}

void SimOs::AnswerMessageBox(int answer, int64_t afterMs) { m_answers.push_back(Answer{answer, afterMs}); }

void SimOs::OnModal(int dialogId, std::function<void(SimWindow&)> fn, int64_t delayMs) {
    m_modalHandlers[dialogId].push_back(ModalHandler{std::move(fn), delayMs});
}

void SimOs::ChooseMenuItem(int commandId, int64_t afterMs) { m_menuChoices.push_back(Answer{commandId, afterMs}); }

void SimOs::PostTray(unsigned mouseMsg) {
    if (m_shell.TrayIcons().empty()) throw SimError("tray callback without a tray icon");
    PostTray(m_shell.TrayIcons().front().id, mouseMsg);
}

void SimOs::PostTray(unsigned id, unsigned mouseMsg) {
    for (const SimShell::TrayIcon& icon : m_shell.TrayIcons()) {
        if (icon.id != id) continue;
        if (!LiveWindow(*icon.owner)) throw SimError("tray icon " + std::to_string(id) + ": its window is gone");
        intptr_t result = 0;
        icon.owner->OnMessage(icon.callbackMessage, id, static_cast<intptr_t>(mouseMsg), result);
        return;
    }
    throw SimError("tray callback for icon " + std::to_string(id) + ", which is not in the tray");
}

void SimOs::SysCommand(unsigned id) {
    SimWindow* sheet = Sheet();
    if (!sheet) throw SimError("system command without a sheet");
    sheet->SysCommand(id);
}

bool SimOs::ScriptLeft() const {
    if (!m_actions.empty() || !m_posted.empty() || !m_answers.empty() || !m_menuChoices.empty() ||
        m_fileDialogs.AnswersLeft() != 0)
        return true;
    for (const auto& handlers : m_modalHandlers)
        if (!handlers.second.empty()) return true;
    return false;
}

std::string SimOs::PendingScript() const {
    std::string out = "script left: " + std::to_string(m_actions.size()) + " action(s), " +
                      std::to_string(m_answers.size()) + " message-box answer(s), " +
                      std::to_string(m_menuChoices.size()) + " menu choice(s), " +
                      std::to_string(m_fileDialogs.AnswersLeft()) + " file-dialog answer(s)";
    for (const auto& handlers : m_modalHandlers)
        if (!handlers.second.empty())
            out += ", " + std::to_string(handlers.second.size()) + " handler(s) for dialog " +
                   std::to_string(handlers.first);
    return out;
}

// ---------------------------------------------------------------- windows

SimWindow& SimOs::NewWindow(SimWindow::Kind kind, Wnd& wnd, int templateId) {
    const WindowRef ref = m_nextRef;
    m_nextRef += 4;
    m_windows.push_back(std::unique_ptr<SimWindow>(new SimWindow(*this, kind, wnd, templateId, ref)));
    return *m_windows.back();
}

SimWindow* SimOs::LiveWindow(const Wnd& wnd) const {
    for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it)
        if ((*it)->m_wnd == &wnd) return it->get();
    return nullptr;
}

SimWindow* SimOs::Window(const Wnd& wnd) const {
    for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it)
        if ((*it)->m_identity == &wnd) return it->get();
    return nullptr;
}

SimWindow* SimOs::Sheet() const {
    for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it)
        if ((*it)->m_kind == SimWindow::Kind::Sheet) return it->get();
    return nullptr;
}

SimWindow* SimOs::Modal(int dialogId) const {
    for (auto it = m_levels.rbegin(); it != m_levels.rend(); ++it)
        if (it->kind == Level::Dialog && it->window->TemplateId() == dialogId) return it->window;
    return nullptr;
}

std::vector<SimWindow*> SimOs::OpenModals() const {
    std::vector<SimWindow*> out;
    for (const Level& level : m_levels)
        if (level.kind == Level::Dialog) out.push_back(level.window);
    return out;
}

SimWindow& SimOs::Create(Dialog& dialog) {
    if (dialog.IsCreated()) throw SimError("dialog " + std::to_string(dialog.TemplateId()) + " exists already");
    SimWindow& w = NewWindow(SimWindow::Kind::Modeless, dialog, dialog.TemplateId());
    dialog.AttachWindow(&w);
    dialog.OnInitDialog();
    w.SetVisible(true);
    return w;
}

void SimOs::Destroy(Wnd& wnd) {
    SimWindow* w = LiveWindow(wnd);
    if (!w) throw SimError("Destroy of a window that does not exist");
    DestroyWindow(*w);
}

void SimOs::DestroyWindow(SimWindow& w) {
    if (w.m_destroyed) return;
    Wnd* object = w.m_wnd;
    if (object) object->OnDestroy();
    for (SimWindow* page : w.m_pages) {
        if (!page || page->m_destroyed) continue;
        Wnd* pageObject = page->m_wnd;
        if (pageObject) {
            pageObject->OnDestroy();
            pageObject->AttachWindow(nullptr);
        }
        page->Destroyed();
    }
    if (object) object->AttachWindow(nullptr);
    w.Destroyed();
}

void SimOs::Abandon(SimWindow& w) {
    for (SimWindow* page : w.m_pages)
        if (page) Abandon(*page);
    if (w.m_destroyed) return;
    if (w.m_wnd) w.m_wnd->AttachWindow(nullptr);
    w.Destroyed();
}

SimWindow* SimOs::CurrentOwner() const {
    for (auto it = m_levels.rbegin(); it != m_levels.rend(); ++it)
        if (it->kind == Level::Dialog) return it->window;
    if (m_mainWindow)
        if (SimWindow* main = LiveWindow(*m_mainWindow)) return main;
    for (auto it = m_levels.rbegin(); it != m_levels.rend(); ++it)
        if (it->kind == Level::Sheet) return it->window;
    return nullptr;
}

bool SimOs::IsDisabledByModal(const SimWindow& w) const {
    for (const Level& level : m_levels)
        if (level.owner && (level.owner == &w || level.owner == w.m_parent)) return true;
    return false;
}

// ---------------------------------------------------------------- messages

intptr_t SimOs::SendToMain(unsigned msg, uintptr_t wp, intptr_t lp) {
    if (!m_mainWindow) return 0;
    intptr_t result = 0;
    m_mainWindow->OnMessage(msg, wp, lp, result);
    return result;
}

void SimOs::PostMessage(Wnd& wnd, unsigned msg, uintptr_t wp, intptr_t lp) {
    SimWindow* w = LiveWindow(wnd);
    if (!w) return;
    m_posted.push_back(Posted{w, [msg, wp, lp](Wnd& target) {
                                  // Only the private messages have a handler; the rest (WM_NULL) do nothing.
                                  intptr_t result = 0;
                                  if (msg >= WM_USER) target.OnMessage(msg, wp, lp, result);
                              }});
}

void SimOs::PostQuit(int exitCode) {
    m_quitCode = exitCode;
    m_quitPending = true;
}

std::string SimOs::LoadString(int id) { return m_resources.String(id).value_or(std::string()); }

// ---------------------------------------------------------------- the queue

bool SimOs::NextDue(int64_t& due) const {
    bool any = false;
    for (const Action& a : m_actions)
        if (!any || a.due < due) {
            due = a.due;
            any = true;
        }
    for (const SimWindow* w : m_timedWindows)
        for (const auto& t : w->m_timers)
            if (!any || t.second.due < due) {
                due = t.second.due;
                any = true;
            }
    return any;
}

bool SimOs::Step(int64_t limit) {
    if (!m_posted.empty()) {
        Posted p = std::move(m_posted.front());
        m_posted.pop_front();
        if (p.window->m_wnd) p.fn(*p.window->m_wnd);
        return true;
    }
    // The earliest action, and the earliest timer; an action wins a tie.
    const Action* action = nullptr;
    for (const Action& a : m_actions)
        if (!action || a.due < action->due || (a.due == action->due && a.seq < action->seq)) action = &a;
    SimWindow* timerWindow = nullptr;
    unsigned timerId = 0;
    const SimWindow::Timer* timer = nullptr;
    for (SimWindow* w : m_timedWindows)
        for (const auto& t : w->m_timers)
            if (!timer || t.second.due < timer->due || (t.second.due == timer->due && t.second.seq < timer->seq)) {
                timer = &t.second;
                timerWindow = w;
                timerId = t.first;
            }
    const bool takeAction = action && (!timer || action->due <= timer->due);
    if (!takeAction && !timer) {
        m_now = std::max(m_now, limit);
        return false;
    }
    const int64_t due = takeAction ? action->due : timer->due;
    if (due > limit) {
        m_now = std::max(m_now, limit);
        return false;
    }
    m_now = std::max(m_now, due);
    if (takeAction) {
        std::function<void()> fn = std::move(const_cast<Action*>(action)->fn);
        m_actions.erase(m_actions.begin() + (action - m_actions.data()));
        fn();
        return true;
    }
    // Re-armed before the handler runs, as the system does.
    SimWindow::Timer& t = timerWindow->m_timers[timerId];
    t.due = m_now + t.period;
    t.seq = NextSeq();
    timerWindow->m_wnd->OnTimer(timerId);
    return true;
}

void SimOs::Advance(int64_t ms) {
    const int64_t until = m_now + std::max<int64_t>(ms, 0);
    while (Step(until)) {
    }
}

void SimOs::RunLevel(size_t index, int64_t until) {
    const int64_t start = m_now;
    for (;;) {
        const Level& level = m_levels[index];
        if (level.ended || m_quitPending) return;
        if (!m_posted.empty()) {
            Step(m_now);
            continue;
        }
        if (until >= 0) {
            if (!Step(until)) return;
            continue;
        }
        if (level.kind == Level::Dialog && m_actions.empty() && level.window->m_timers.empty())
            throw UnscriptedWait(
                "modal " + level.window->Describe() +
                "\nwaits for input nobody scripted: no scripted action is pending and it has no timer armed; " +
                PendingScript());
        if (level.kind == Level::Sheet && !ScriptLeft()) return;  // the test's script is done
        int64_t due = 0;
        if (!NextDue(due))
            throw UnscriptedWait("the " + std::string(level.kind == Level::Sheet ? "sheet" : "dialog") +
                                 " loop has nothing left to run; " + PendingScript());
        if (due - start > kLoopCapMs)
            throw UnscriptedWait("a modal loop ran 30 virtual days without ending; " + PendingScript());
        Step(due);
    }
}

// ---------------------------------------------------------------- modal runs

int SimOs::RunWindowLevel(SimWindow& w, Wnd& object, const std::function<void()>& init,
                          const std::function<void()>& shown) {
    const size_t index = m_levels.size();
    SimWindow* owner = CurrentOwner();
    if (owner == &w) owner = nullptr;  // the sheet that is itself the main window owns nothing
    m_levels.push_back(Level{w.m_kind == SimWindow::Kind::Sheet ? Level::Sheet : Level::Dialog, &w, owner});
    object.AttachWindow(&w);
    try {
        init();
        if (!m_levels[index].ended) {
            w.SetVisible(true);
            shown();
            RunLevel(index, -1);
        }
    } catch (...) {
        m_levels.resize(index);
        Abandon(w);
        throw;
    }
    const int result = m_levels[index].ended && w.m_result ? *w.m_result : -1;
    m_levels.resize(index);
    DestroyWindow(w);
    return result;
}

int SimOs::RunModal(Dialog& dialog) {
    if (dialog.IsCreated()) throw SimError("dialog " + std::to_string(dialog.TemplateId()) + " is open already");
    SimWindow& w = NewWindow(SimWindow::Kind::Modal, dialog, dialog.TemplateId());
    bool defaultFocus = false;
    return RunWindowLevel(
        w, dialog, [&] { defaultFocus = dialog.OnInitDialog(); },
        [&] {
            if (defaultFocus && !w.m_lazyControls)
                for (int id : w.m_order) {
                    const SimControl& c = *w.m_controls.at(id);
                    if (c.def.tabStop && c.enabled && c.visible) {
                        w.MoveFocus(id);
                        break;
                    }
                }
            auto handlers = m_modalHandlers.find(dialog.TemplateId());
            if (handlers == m_modalHandlers.end() || handlers->second.empty()) return;
            ModalHandler handler = std::move(handlers->second.front());
            handlers->second.pop_front();
            SimWindow* target = &w;
            At(m_now + std::max<int64_t>(handler.delay, 0), [target, fn = std::move(handler.fn)] { fn(*target); });
        });
}

int SimOs::RunSheet(PropertySheet& sheet) {
    if (sheet.IsCreated()) throw SimError("the sheet is open already");
    SimWindow& w = NewWindow(SimWindow::Kind::Sheet, sheet, 0);
    w.m_caption = sheet.Caption();
    w.m_icon = sheet.IconResource();
    w.m_pages.assign(sheet.GetPageCount(), nullptr);
    w.m_pageModified.assign(sheet.GetPageCount(), false);
    const int result = RunWindowLevel(
        w, sheet,
        [&] {
            const int count = sheet.GetPageCount();
            w.ActivatePage(sheet.StartPage() >= 0 && sheet.StartPage() < count ? sheet.StartPage() : 0);
            sheet.OnInitDialog();
        },
        [] {});
    // The quit message is taken by the outermost run.
    const bool sheetLeft = std::any_of(m_levels.begin(), m_levels.end(),
                                       [](const Level& l) { return l.kind == Level::Sheet; });
    if (!sheetLeft) m_quitPending = false;
    return result;
}

int SimOs::ShowMessageBox(const std::string& text, unsigned type) {
    m_messageBoxes.push_back(MessageBoxRecord{text, type, m_now, 0});
    const size_t record = m_messageBoxes.size() - 1;
    if (m_quitPending) return 0;  // the quit message waiting in the queue closes the box at once
    if (m_answers.empty())
        throw UnscriptedWait("message box \"" + GbkToUtf8(text) + "\" has no scripted answer; " + PendingScript());
    const Answer answer = m_answers.front();
    m_answers.pop_front();
    if (!FitsButtons(type, answer.value))
        throw SimError("answer " + std::to_string(answer.value) + " is not a button of the message box \"" +
                       GbkToUtf8(text) + "\"");
    RunTimedLevel(answer.afterMs);
    const int result = m_quitPending ? 0 : answer.value;
    m_messageBoxes[record].answer = result;
    return result;
}

void SimOs::RunTimedLevel(int64_t afterMs) {
    const size_t index = m_levels.size();
    m_levels.push_back(Level{Level::MessageBox, nullptr, CurrentOwner()});
    try {
        RunLevel(index, m_now + std::max<int64_t>(afterMs, 0));
    } catch (...) {
        m_levels.resize(index);
        throw;
    }
    m_levels.resize(index);
}

void SimOs::TrackPopupMenu(int menuId, int sub, Point at, Wnd& owner) {
    m_menus.push_back(MenuRecord{menuId, sub, at, 0});
    const size_t record = m_menus.size() - 1;
    if (m_quitPending) return;
    const MenuDef* menu = m_resources.Menu(menuId);
    const std::vector<MenuItemDef>* items = nullptr;
    if (menu) {
        if (sub < 0 || sub >= static_cast<int>(menu->items.size()))
            throw SimError("menu " + std::to_string(menuId) + " has no pop-up " + std::to_string(sub));
        items = &menu->items[sub].items;
    }
    if (m_menuChoices.empty()) {
        std::string list;
        if (items)
            for (const MenuItemDef& item : *items)
                if (!item.separator) list += " " + std::to_string(item.id) + " \"" + GbkToUtf8(item.text) + "\"";
        throw UnscriptedWait("pop-up menu " + std::to_string(menuId) + " has no scripted choice; items:" + list +
                             "; " + PendingScript());
    }
    const Answer choice = m_menuChoices.front();
    m_menuChoices.pop_front();
    if (choice.value != 0 && items) {
        const MenuItemDef* item = FindItem(*items, choice.value);
        if (!item) throw SimError("menu " + std::to_string(menuId) + " has no item " + std::to_string(choice.value));
        if (item->grayed) throw SimError("menu item " + std::to_string(choice.value) + " is greyed");
    }
    const size_t index = m_levels.size();
    m_levels.push_back(Level{Level::Menu, nullptr, nullptr});
    try {
        RunLevel(index, m_now + std::max<int64_t>(choice.afterMs, 0));
    } catch (...) {
        m_levels.resize(index);
        throw;
    }
    m_levels.resize(index);
    if (m_quitPending || choice.value == 0) return;
    m_menus[record].chosen = choice.value;
    // The menu posts the command to its owner.
    if (SimWindow* w = LiveWindow(owner)) {
        const int id = choice.value;
        m_posted.push_back(Posted{w, [id](Wnd& target) { target.OnCommand(id, 0); }});
    }
}

}  // namespace kp::sim
