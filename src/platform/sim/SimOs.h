// The simulated platform: one object per service, a virtual clock, one event queue and a scripted user.
// A SimOs installs itself as the platform on construction and puts the previous one back on destruction.
//
// Time is virtual and moves only while an event loop runs (a modal run, a message box, a pop-up menu, or
// Advance). The queue holds window timers, the test's scripted actions and posted messages. Among events
// due at the same moment, posted messages come first, then scripted actions (user input), then timers
// (which Windows, too, generates only when nothing else is waiting); within each kind, in the order they
// were posted, scheduled or armed. A periodic timer is re-armed before its handler runs, so a handler that
// opens a modal loop sees its own timer fire again inside it, as on Windows; a period below 10 ms counts
// as 10 ms (the system's minimum).
//
// Every modal loop runs the same queue: the timers of every window keep firing while a dialog, message
// box or menu is open. A loop that waits for input nobody scripted throws UnscriptedWait at once; nothing
// ever hangs. PostQuit ends every open loop, innermost first, up to and including the outermost sheet.
//
// While a modal dialog or message box is open, its owner (the innermost modal dialog below it, else the
// main window) and that owner's pages are disabled: user actions on them throw SimError.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>
#include "platform/Os.h"
#include "platform/Wnd.h"
#include "platform/sim/SimErrors.h"
#include "platform/sim/SimFileDialogs.h"
#include "platform/sim/SimProcesses.h"
#include "platform/sim/SimMedia.h"
#include "platform/sim/SimResources.h"
#include "platform/sim/SimServices.h"
#include "platform/sim/SimWindow.h"

namespace kp::sim {

class SimOs {
public:
    struct MessageBoxRecord {
        std::string text;  // GBK
        unsigned type = 0;
        int64_t at = 0;  // virtual ms when it opened
        int answer = 0;  // what it returned (0 when a quit message closed it)
    };
    struct MenuRecord {
        int menuId = 0;
        int sub = 0;
        Point at;
        int chosen = 0;  // 0 when dismissed
    };

    // Resources from res/Kestor.rc of the source tree (KESTOR_RES_DIR when the build defines it for this
    // library, else found from this file's path); throws SimError when the script cannot be read.
    SimOs();
    // Resources from this script; an empty path: none (every template gets controls as they are used).
    explicit SimOs(const std::string& rcPath);
    ~SimOs();
    SimOs(const SimOs&) = delete;
    SimOs& operator=(const SimOs&) = delete;

    // --- Virtual time and clocks ---
    // Milliseconds since the SimOs was made.
    int64_t Now() const { return m_now; }
    // The clocks move on with virtual time from the value set; each can be set on its own. Defaults:
    // local 2026-05-05 09:00:00 (a Tuesday), UTC 01:00:00 of that day, tick count 3 600 000.
    // An invalid date throws SimError; the day of week given is ignored and computed.
    void SetLocalTime(const SysTime& t);
    void SetUtcTime(const SysTime& t);
    SysTime LocalTime() const;
    SysTime UtcTime() const;
    uint32_t TickCount() const;
    // The 64-bit time since Windows started; the tick count is its low 32 bits.
    void SetMsSinceStart(uint64_t ms);
    uint64_t MsSinceStart() const;
    // The wall clock moves by `ms` while the program runs: local time only (a daylight-saving change), or
    // local time and UTC together (the user setting the clock). Window timers keep their due times and the
    // tick count runs on untouched, as on Windows, where both count from the system's start.
    void ShiftClock(int64_t ms, bool utcToo);
    // Runs the queue for `ms` of virtual time outside any modal run (timers fire, actions run); for tests
    // of windows made with Create.
    void Advance(int64_t ms);

    // --- The scripted user ---
    // An action at an absolute virtual time (a time already past means now), or `ms` from now.
    void At(int64_t ms, std::function<void()> fn);
    void After(int64_t ms, std::function<void()> fn);
    // Keeps the outermost sheet running at least until this virtual time (an action that does nothing).
    void KeepRunningUntil(int64_t ms);
    // The answer to the next message box, which stays open `afterMs` of virtual time first. The answer
    // must fit the box's buttons (IDOK for MB_OK; IDYES or IDNO for MB_YESNO).
    void AnswerMessageBox(int answer, int64_t afterMs = 0);
    // A handler for the next modal run of this dialog template, run `delayMs` after the dialog opened
    // (after its OnInitDialog).
    void OnModal(int dialogId, std::function<void(SimWindow&)> fn, int64_t delayMs = 0);
    // The choice in the next pop-up menu, made `afterMs` after it opened; 0 dismisses the menu. The
    // command then reaches the menu's owner as a posted OnCommand(id, 0).
    void ChooseMenuItem(int commandId, int64_t afterMs = 0);
    // Where GetCursorPos says the mouse is.
    void SetCursorPos(Point p) { m_cursor = p; }
    // The shell's tray callback for the icon (the first one when no id is given): owner.OnMessage(
    // callback, id, mouseMsg). Throws SimError when there is no such icon.
    void PostTray(unsigned mouseMsg);
    void PostTray(unsigned id, unsigned mouseMsg);
    // A system-menu command to the sheet.
    void SysCommand(unsigned id);

    // --- Windows ---
    // Creates a dialog's window modelessly (OnInitDialog, shown), for tests of one page or dialog.
    SimWindow& Create(Dialog& dialog);
    // Destroys a window made with Create (OnDestroy, then detached).
    void Destroy(Wnd& wnd);
    // The latest sheet window (it may be destroyed already: a record).
    SimWindow* Sheet() const;
    // The open modal dialog of this template (the innermost one), or null.
    SimWindow* Modal(int dialogId) const;
    // The latest window made for this object, live or a record; null when there was none.
    SimWindow* Window(const Wnd& wnd) const;
    std::vector<SimWindow*> OpenModals() const;

    // --- Records ---
    const std::vector<MessageBoxRecord>& MessageBoxes() const { return m_messageBoxes; }
    const std::vector<MenuRecord>& Menus() const { return m_menus; }
    // Every timer armed now, in every window.
    struct ArmedTimer {
        const SimWindow* window;
        unsigned id;
        unsigned period;
        int64_t due;  // virtual ms
    };
    std::vector<ArmedTimer> ArmedTimers() const;
    // The code of the quit message, once posted.
    std::optional<int> QuitCode() const { return m_quitCode; }
    const std::vector<SimShell::TrayIcon>& TrayIcons() const { return m_shell.TrayIcons(); }

    // --- Services ---
    SimRegistry& Reg() { return m_registry; }
    SimFiles& Files() { return m_files; }
    SimSystem& System() { return m_system; }
    SimPower& Power() { return m_power; }
    SimShell& Shell() { return m_shell; }
    SimDesktop& Desktop() { return m_desktop; }
    SimInputLock& Input() { return m_input; }
    SimSound& Sound() { return m_sound; }
    SimProcesses& Processes() { return m_processes; }
    SimFileDialogs& FileDialogs() { return m_fileDialogs; }
    SimMedia& Media() { return m_media; }
    SimResources& Resources() { return m_resources; }
    WindowRef AddDesktopWindow(const std::string& title, bool visible = true, bool minimized = false,
                               bool hasParent = false) {
        return m_desktop.AddDesktopWindow(title, visible, minimized, hasParent);
    }
    void CloseDesktopWindow(WindowRef w) { m_desktop.CloseDesktopWindow(w); }

    // Virtual days one loop may run before it throws UnscriptedWait.
    static constexpr int64_t kLoopCapMs = 30LL * 86400 * 1000;
    // The screen the windows are placed on.
    static constexpr Rect kScreen{0, 0, 1024, 768};

private:
    class Ui;
    class Clock;
    friend class SimWindow;
    friend class SimDesktop;
    friend class SimFileDialogs;

    struct Action {
        int64_t due;
        uint64_t seq;
        std::function<void()> fn;
    };
    struct Posted {
        SimWindow* window;
        std::function<void(Wnd&)> fn;
    };
    struct Level {
        enum Kind { Sheet, Dialog, MessageBox, Menu } kind;
        SimWindow* window;  // the dialog or sheet; null for a message box or menu
        SimWindow* owner;   // disabled while the level is open; may be null
        bool ended = false;
    };
    struct ModalHandler {
        std::function<void(SimWindow&)> fn;
        int64_t delay;
    };
    struct Answer {
        int value;
        int64_t afterMs;
    };

    // IUi.
    int RunModal(Dialog& dialog);
    int RunSheet(PropertySheet& sheet);
    int ShowMessageBox(const std::string& text, unsigned type);
    intptr_t SendToMain(unsigned msg, uintptr_t wp, intptr_t lp);
    void PostMessage(Wnd& wnd, unsigned msg, uintptr_t wp, intptr_t lp);
    void PostQuit(int exitCode);
    std::string LoadString(int id);
    void TrackPopupMenu(int menuId, int sub, Point at, Wnd& owner);
    // Holds a modal level of a message box or common dialog open for `afterMs` of virtual time.
    void RunTimedLevel(int64_t afterMs);

    // Opens a modal level for a dialog or sheet window: init (OnInitDialog), then, unless it ended
    // already, shows the window, runs `shown` and the loop. Returns EndDialog's result, or -1.
    int RunWindowLevel(SimWindow& w, Wnd& object, const std::function<void()>& init,
                       const std::function<void()>& shown);
    SimWindow& NewWindow(SimWindow::Kind kind, Wnd& wnd, int templateId);
    SimWindow* LiveWindow(const Wnd& wnd) const;
    void DestroyWindow(SimWindow& w);
    // Detaches a window and its pages without running their handlers (a run that failed).
    void Abandon(SimWindow& w);
    // Runs one event: a posted message, else the earliest action or timer if it is due by `limit`.
    // Returns false (time moved to `limit`) when nothing is due by then.
    bool Step(int64_t limit);
    // The earliest action or timer; false when the queue has none.
    bool NextDue(int64_t& due) const;
    bool ScriptLeft() const;
    // Runs the queue until the level ends, a quit is posted, or (for timed levels) `until` comes.
    void RunLevel(size_t level, int64_t until);
    SimWindow* CurrentOwner() const;
    bool IsDisabledByModal(const SimWindow& w) const;
    uint64_t NextSeq() { return ++m_seq; }
    std::string PendingScript() const;

    std::unique_ptr<Ui> m_ui;
    std::unique_ptr<Clock> m_clock;
    SimRegistry m_registry;
    SimFiles m_files;
    SimSystem m_system;
    SimPower m_power;
    SimShell m_shell;
    SimDesktop m_desktop;
    SimInputLock m_input;
    SimSound m_sound;
    SimProcesses m_processes;
    SimFileDialogs m_fileDialogs{*this};
    SimMedia m_media;
    SimResources m_resources;
    Os m_previous;

    int64_t m_now = 0;
    uint64_t m_seq = 0;
    int64_t m_localBase, m_utcBase, m_localSetAt = 0, m_utcSetAt = 0, m_tickSetAt = 0;
    uint64_t m_tickBase = 3600000;
    Point m_cursor;

    std::vector<std::unique_ptr<SimWindow>> m_windows;  // every window ever made, in creation order
    std::set<SimWindow*> m_timedWindows;  // the windows with a timer armed: the only ones the queue looks at
    WindowRef m_nextRef = 0x10100;
    std::vector<Action> m_actions;
    std::deque<Posted> m_posted;
    std::vector<Level> m_levels;
    std::map<int, std::deque<ModalHandler>> m_modalHandlers;
    std::deque<Answer> m_answers;
    std::deque<Answer> m_menuChoices;
    Wnd* m_mainWindow = nullptr;
    std::optional<int> m_quitCode;
    bool m_quitPending = false;

    std::vector<MessageBoxRecord> m_messageBoxes;
    std::vector<MenuRecord> m_menus;
};

}  // namespace kp::sim
