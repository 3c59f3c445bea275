// kdriver: drives a running Win32 program from outside, the way a user and the shell would, for the
// end-to-end tests. One action per call; results go to stdout as UTF-8, one item per line.
//
// Exit codes: 0 done, 1 not found / timed out / refused, 2 bad usage.
// Windows are named by "0x<hwnd>" or by their exact caption; a caption picks visible windows first,
// then hidden ones. "@" is the window that the last wait-window or wait-text found (within a `cycle`);
// "wait-gone @" waits for that one window to go (or, with --visible, to be hidden). Options narrowing a caption: --class C, --has-tab (a property sheet), --msgbox,
// --dialog (a #32770 that is neither), --visible (hidden windows never match), --contains (caption
// substring). --timeout ms bounds every wait (default 5000; wait-window 10000).
// Texts printed by texts, lv-rows and friends escape backslash, tab, CR and LF as \\ \t \r \n.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

const int kExitOk = 0;
const int kExitFailed = 1;
const int kExitUsage = 2;

// Thrown to leave a command with an exit code and a message for stderr.
struct Failure {
    int code;
    std::wstring message;
};

[[noreturn]] void fail(const std::wstring& message) { throw Failure{kExitFailed, message}; }
[[noreturn]] void usage(const std::wstring& message) { throw Failure{kExitUsage, message}; }

std::string toUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), &out[0], size, nullptr, nullptr);
    return out;
}

// printf("%ls") stops at the first Chinese character under Wine, so bytes are written directly.
void writeTo(DWORD which, const std::wstring& text) {
    std::string bytes = toUtf8(text);
    HANDLE handle = GetStdHandle(which);
    DWORD written = 0;
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE)
        WriteFile(handle, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
}

// Set while `cycle` runs its steps, whose own output would only be noise.
bool gQuiet = false;

void line(const std::wstring& text) {
    if (!gQuiet) writeTo(STD_OUTPUT_HANDLE, text + L"\n");
}

std::wstring escape(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
            case L'\\': out += L"\\\\"; break;
            case L'\t': out += L"\\t"; break;
            case L'\r': out += L"\\r"; break;
            case L'\n': out += L"\\n"; break;
            default: out += c;
        }
    }
    return out;
}

std::wstring hex(ULONG_PTR value) {
    wchar_t buffer[32];
    swprintf(buffer, 32, L"0x%llx", (unsigned long long)value);
    return buffer;
}

std::wstring hwndText(HWND hwnd) { return hex((ULONG_PTR)hwnd); }

std::wstring num(long long value) { return std::to_wstring(value); }

// ---- arguments ----------------------------------------------------------------------------------

struct Args {
    std::vector<std::wstring> positional;
    std::map<std::wstring, std::wstring> options;  // "--timeout" -> "3000"; flags map to ""

    bool has(const wchar_t* name) const { return options.count(name) != 0; }
    std::wstring option(const wchar_t* name, const std::wstring& fallback = L"") const {
        auto it = options.find(name);
        return it == options.end() ? fallback : it->second;
    }
    const std::wstring& at(size_t index, const wchar_t* what) const {
        if (index >= positional.size()) usage(std::wstring(L"missing ") + what);
        return positional[index];
    }
};

Args parseArgs(int argc, wchar_t** argv) {
    static const wchar_t* const withValue[] = {L"--class", L"--timeout"};
    static const wchar_t* const flags[] = {L"--has-tab", L"--msgbox", L"--dialog", L"--visible",
                                           L"--contains", L"--send", L"--force", L"--while-there"};
    Args args;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        bool known = false;
        for (const wchar_t* name : withValue) {
            if (arg == name) {
                if (i + 1 >= argc) usage(arg + L" needs a value");
                args.options[arg] = argv[++i];
                known = true;
            }
        }
        for (const wchar_t* name : flags) {
            if (arg == name) {
                args.options[arg] = L"";
                known = true;
            }
        }
        if (!known) {
            if (arg.size() > 2 && arg.compare(0, 2, L"--") == 0) usage(L"unknown option " + arg);
            args.positional.push_back(arg);
        }
    }
    return args;
}

// Numbers: decimal or 0x hex, negative allowed, or a sum or bitwise or of those and message names
// ("WM_USER+10", "MK_LBUTTON|MK_SHIFT").
long long parseNumber(const std::wstring& text) {
    static const std::map<std::wstring, long long> names = {
        {L"WM_USER", WM_USER},           {L"WM_APP", WM_APP},
        {L"WM_COMMAND", WM_COMMAND},     {L"WM_SYSCOMMAND", WM_SYSCOMMAND},
        {L"WM_CLOSE", WM_CLOSE},         {L"WM_TIMER", WM_TIMER},
        {L"WM_NULL", WM_NULL},           {L"WM_KEYDOWN", WM_KEYDOWN},
        {L"WM_KEYUP", WM_KEYUP},         {L"WM_CHAR", WM_CHAR},
        {L"WM_MOUSEMOVE", WM_MOUSEMOVE}, {L"WM_LBUTTONDOWN", WM_LBUTTONDOWN},
        {L"WM_LBUTTONUP", WM_LBUTTONUP}, {L"WM_LBUTTONDBLCLK", WM_LBUTTONDBLCLK},
        {L"WM_RBUTTONDOWN", WM_RBUTTONDOWN}, {L"WM_RBUTTONUP", WM_RBUTTONUP},
        {L"WM_RBUTTONDBLCLK", WM_RBUTTONDBLCLK}, {L"WM_QUERYENDSESSION", WM_QUERYENDSESSION},
        {L"WM_ENDSESSION", WM_ENDSESSION}, {L"SC_CLOSE", SC_CLOSE},
        {L"SC_MINIMIZE", SC_MINIMIZE},   {L"MK_LBUTTON", MK_LBUTTON},
        {L"BN_CLICKED", BN_CLICKED},     {L"PSM_SETCURSEL", PSM_SETCURSEL},
    };
    long long total = 0;
    size_t start = 0;
    wchar_t op = L'+';
    while (start <= text.size()) {
        size_t end = text.find_first_of(L"+|", start);
        std::wstring term = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        long long value;
        auto named = names.find(term);
        if (named != names.end()) {
            value = named->second;
        } else {
            wchar_t* stop = nullptr;
            value = wcstoll(term.c_str(), &stop, 0);
            if (term.empty() || *stop != 0) usage(L"not a number: " + text);
        }
        total = op == L'+' ? total + value : (total | value);
        if (end == std::wstring::npos) break;
        op = text[end];
        start = end + 1;
    }
    return total;
}

int parseInt(const std::wstring& text) { return (int)parseNumber(text); }

DWORD timeoutOf(const Args& args, DWORD fallback) {
    return args.has(L"--timeout") ? (DWORD)parseNumber(args.option(L"--timeout")) : fallback;
}

// ---- windows ------------------------------------------------------------------------------------

std::wstring className(HWND hwnd) {
    wchar_t buffer[256] = {0};
    GetClassNameW(hwnd, buffer, 256);
    return buffer;
}

// The text of any window, also of another process's controls (WM_GETTEXT is marshalled).
std::wstring windowText(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 3000, &length)) return L"";
    std::vector<wchar_t> buffer(length + 2, 0);
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), (LPARAM)buffer.data(), SMTO_ABORTIFHUNG, 3000, &copied);
    return std::wstring(buffer.data());
}

// A top-level window's caption as the system keeps it: asks no thread, so a busy program cannot
// stall a search.
std::wstring storedCaption(HWND hwnd) {
    wchar_t buffer[512] = {0};
    GetWindowTextW(hwnd, buffer, 512);
    return buffer;
}

BOOL CALLBACK collectWindow(HWND hwnd, LPARAM found) {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> topLevelWindows() {
    std::vector<HWND> found;
    EnumWindows(collectWindow, (LPARAM)&found);
    return found;
}

std::vector<HWND> descendants(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(parent, collectWindow, (LPARAM)&found);
    return found;
}

std::vector<HWND> directChildren(HWND parent) {
    std::vector<HWND> found;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        found.push_back(child);
    return found;
}

// A dialog-class window is a property sheet if it holds a tab control, a message box if it holds the
// text static of id 0xFFFF, and a plain dialog otherwise.
std::wstring kindOf(HWND hwnd) {
    if (className(hwnd) != L"#32770") return L"-";
    bool hasTab = false, hasMessage = false;
    for (HWND child : directChildren(hwnd)) {
        std::wstring name = className(child);
        if (name == L"SysTabControl32") hasTab = true;
        if (GetDlgCtrlID(child) == 0xFFFF && lstrcmpiW(name.c_str(), L"Static") == 0) hasMessage = true;
    }
    return hasTab ? L"sheet" : hasMessage ? L"msgbox" : L"dialog";
}

struct WindowQuery {
    std::wstring caption;
    bool anyCaption = false;
    bool contains = false;
    std::wstring windowClass;
    std::wstring kind;  // "", "sheet", "msgbox", "dialog"
    bool visibleOnly = false;

    static WindowQuery from(const Args& args, const std::wstring& caption) {
        WindowQuery query;
        query.caption = caption;
        query.contains = args.has(L"--contains");
        query.windowClass = args.option(L"--class");
        if (args.has(L"--has-tab")) query.kind = L"sheet";
        if (args.has(L"--msgbox")) query.kind = L"msgbox";
        if (args.has(L"--dialog")) query.kind = L"dialog";
        query.visibleOnly = args.has(L"--visible");
        return query;
    }

    bool matches(HWND hwnd) const {
        if (visibleOnly && !IsWindowVisible(hwnd)) return false;
        if (!anyCaption) {
            std::wstring text = storedCaption(hwnd);
            if (contains ? text.find(caption) == std::wstring::npos : text != caption) return false;
        }
        if (!windowClass.empty() && className(hwnd) != windowClass) return false;
        if (!kind.empty() && kindOf(hwnd) != kind) return false;
        return true;
    }

    std::wstring describe() const {
        std::wstring text = anyCaption ? L"any window" : L"window '" + caption + L"'";
        if (!windowClass.empty()) text += L" of class " + windowClass;
        if (!kind.empty()) text += L" (" + kind + L")";
        return text;
    }
};

// Top-level windows that may match, in Z order. An exact caption lets the system do the search
// (FindWindowEx compares class and caption on its side), which costs a fraction of reading every
// window's caption, and a wait looks many times.
std::vector<HWND> candidates(const WindowQuery& query) {
    if (query.anyCaption || query.contains) return topLevelWindows();
    const wchar_t* cls = !query.windowClass.empty() ? query.windowClass.c_str() : !query.kind.empty() ? L"#32770" : nullptr;
    std::vector<HWND> found;
    for (HWND hwnd = nullptr; (hwnd = FindWindowExW(nullptr, hwnd, cls, query.caption.c_str())) != nullptr;)
        found.push_back(hwnd);
    return found;
}

// Matching windows in Z order, the visible ones first.
std::vector<HWND> findWindows(const WindowQuery& query) {
    std::vector<HWND> visible, hidden;
    for (HWND hwnd : candidates(query)) {
        if (!query.matches(hwnd)) continue;
        (IsWindowVisible(hwnd) ? visible : hidden).push_back(hwnd);
    }
    visible.insert(visible.end(), hidden.begin(), hidden.end());
    return visible;
}

// Waits sleep until the desktop changes: the system tells a hook of ours when any other process's window
// or control is created, destroyed, shown, hidden, moved in the Z order or renamed, and a wait looks
// again then. Not every change is told everywhere (Wine leaves some out), so a wait also looks again
// after kRecheckMs at the latest.
const DWORD kRecheckMs = 25;
HWINEVENTHOOK gWindowEvents = nullptr;

void CALLBACK onWindowEvent(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {}

// Sleeps until a window event arrives or `ms` have gone, then takes every event that came meanwhile, so
// that a burst of them (a dialog and its controls) costs one look.
void sleepUntilChange(DWORD ms) {
    if (!gWindowEvents)
        gWindowEvents = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_NAMECHANGE, nullptr, onWindowEvent, 0, 0,
                                        WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// Looks until the check succeeds or the time is up; true on success.
template <typename Check>
bool waitFor(DWORD timeoutMs, Check check) {
    DWORD start = GetTickCount();
    for (;;) {
        if (check()) return true;
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return false;
        sleepUntilChange(std::min(timeoutMs - elapsed, kRecheckMs));
    }
}

// The window the last wait-window or wait-text of this process found: "@" names it in later commands of
// a `cycle`, which saves them a search of every window.
HWND gLastFound = nullptr;

HWND waitWindow(const WindowQuery& query, DWORD timeoutMs) {
    HWND found = nullptr;
    bool ok = waitFor(timeoutMs, [&] {
        std::vector<HWND> windows = findWindows(query);
        if (windows.empty()) return false;
        found = windows.front();
        return true;
    });
    if (!ok) fail(L"no " + query.describe() + L" within " + num(timeoutMs) + L" ms");
    gLastFound = found;
    return found;
}

// "0x..." is a window handle; anything else a caption narrowed by the options.
HWND resolveTarget(const Args& args, const std::wstring& target) {
    if (target == L"@") {
        if (!gLastFound || !IsWindow(gLastFound)) fail(L"the window found last is gone");
        return gLastFound;
    }
    if (target.size() > 2 && target[0] == L'0' && (target[1] == L'x' || target[1] == L'X')) {
        HWND hwnd = (HWND)(ULONG_PTR)wcstoull(target.c_str(), nullptr, 16);
        if (!IsWindow(hwnd)) fail(L"no window " + target);
        return hwnd;
    }
    return waitWindow(WindowQuery::from(args, target), timeoutOf(args, 5000));
}

// A control of the given id anywhere under the window; visible and enabled ones win, as a user can
// only reach those (pages of a sheet reuse ids), and so do controls of a dialog over the parts inside
// another control (a date-time picker's own up-down carries id 1, as the OK button does).
// A control that scored best (visible, enabled, in a dialog) stays the answer while it stays so: a
// `cycle` that clicks the same button a thousand times then searches the window once.
std::map<std::pair<HWND, int>, HWND> gBestControls;

HWND findControl(HWND parent, int id) {
    const std::pair<HWND, int> key(parent, id);
    auto known = gBestControls.find(key);
    if (known != gBestControls.end() && IsWindow(known->second) && IsWindowVisible(known->second) &&
        IsWindowEnabled(known->second) && GetParent(known->second) != nullptr)
        return known->second;
    HWND best = nullptr;
    int bestScore = -1;
    for (HWND child : descendants(parent)) {
        if (GetDlgCtrlID(child) != id) continue;
        wchar_t cls[32] = L"";
        GetClassNameW(GetParent(child), cls, 32);
        int score = (IsWindowVisible(child) ? 2 : 0) + (IsWindowEnabled(child) ? 1 : 0) +
                    (wcscmp(cls, L"#32770") == 0 ? 4 : 0);
        if (score > bestScore) {
            best = child;
            bestScore = score;
        }
    }
    if (!best) fail(L"no control " + num(id) + L" in " + hwndText(parent));
    if (bestScore == 7) gBestControls[key] = best;
    return best;
}

HWND findControlOfClass(HWND parent, const wchar_t* wanted) {
    if (className(parent) == wanted) return parent;
    for (HWND child : descendants(parent))
        if (className(child) == wanted) return child;
    fail(std::wstring(L"no ") + wanted + L" in " + hwndText(parent));
}

LRESULT sendOrFail(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, msg, wparam, lparam, SMTO_ABORTIFHUNG, 5000, &result))
        fail(L"window " + hwndText(hwnd) + L" did not answer message " + num(msg));
    return (LRESULT)result;
}

void postOrFail(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (!PostMessageW(hwnd, msg, wparam, lparam))
        fail(L"cannot post to " + hwndText(hwnd) + L", error " + num(GetLastError()));
}

// Memory inside the process that owns a window, for messages whose parameters are pointers.
class RemoteBuffer {
public:
    RemoteBuffer(HWND owner, SIZE_T size) : size_(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(owner, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (!process_) fail(L"cannot open process " + num(pid));
        address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (!address_) {
            CloseHandle(process_);
            fail(L"cannot allocate in process " + num(pid));
        }
    }
    ~RemoteBuffer() {
        VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        CloseHandle(process_);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    char* at(SIZE_T offset) const { return static_cast<char*>(address_) + offset; }
    void write(SIZE_T offset, const void* data, SIZE_T size) {
        if (offset + size > size_ || !WriteProcessMemory(process_, at(offset), data, size, nullptr))
            fail(L"cannot write to the other process");
    }
    void read(SIZE_T offset, void* data, SIZE_T size) const {
        if (offset + size > size_ || !ReadProcessMemory(process_, at(offset), data, size, nullptr))
            fail(L"cannot read from the other process");
    }
    std::wstring readText(SIZE_T offset, SIZE_T chars) const {
        std::vector<wchar_t> text(chars + 1, 0);
        read(offset, text.data(), chars * sizeof(wchar_t));
        return std::wstring(text.data());
    }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    SIZE_T size_;
};

const int kTextChars = 1024;

// ---- commands -----------------------------------------------------------------------------------

int cmdWaitWindow(const Args& args) {
    line(hwndText(waitWindow(WindowQuery::from(args, args.at(1, L"caption")), timeoutOf(args, 10000))));
    return kExitOk;
}

int cmdWaitGone(const Args& args) {
    WindowQuery query = WindowQuery::from(args, args.at(1, L"caption"));
    DWORD timeoutMs = timeoutOf(args, 10000);
    if (query.caption == L"@") {
        HWND window = gLastFound;
        if (!waitFor(timeoutMs, [&] { return !IsWindow(window) || (query.visibleOnly && !IsWindowVisible(window)); }))
            fail(L"window " + hwndText(window) + L" still there after " + num(timeoutMs) + L" ms");
        return kExitOk;
    }
    if (!waitFor(timeoutMs, [&] { return findWindows(query).empty(); }))
        fail(query.describe() + L" still there after " + num(timeoutMs) + L" ms");
    return kExitOk;
}

// wait-text <caption> <id> <text>: waits until a window of that caption holds a control of that id
// showing that text (a dialog shown again and again under one caption is told apart by its texts).
int cmdWaitText(const Args& args) {
    WindowQuery query = WindowQuery::from(args, args.at(1, L"caption"));
    const int id = parseInt(args.at(2, L"control id"));
    const std::wstring& text = args.at(3, L"text");
    DWORD timeoutMs = timeoutOf(args, 10000);
    HWND found = nullptr;
    bool ok = waitFor(timeoutMs, [&] {
        for (HWND hwnd : findWindows(query)) {
            HWND control = GetDlgItem(hwnd, id);
            if (control && windowText(control) == text) {
                found = hwnd;
                return true;
            }
        }
        return false;
    });
    if (!ok) fail(L"no " + query.describe() + L" showing '" + text + L"' within " + num(timeoutMs) + L" ms");
    gLastFound = found;
    line(hwndText(found));
    return kExitOk;
}

// hwnd, pid, visible, kind, class, caption
int cmdListWindows(const Args&) {
    for (HWND hwnd : topLevelWindows()) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        line(hwndText(hwnd) + L"\t" + num(pid) + L"\t" + (IsWindowVisible(hwnd) ? L"1" : L"0") + L"\t" +
             kindOf(hwnd) + L"\t" + className(hwnd) + L"\t" + escape(storedCaption(hwnd)));
    }
    return kExitOk;
}

std::wstring checkState(HWND control) {
    if (lstrcmpiW(className(control).c_str(), L"Button") != 0) return L"-";
    LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    if (type != BS_CHECKBOX && type != BS_AUTOCHECKBOX && type != BS_RADIOBUTTON &&
        type != BS_AUTORADIOBUTTON && type != BS_3STATE && type != BS_AUTO3STATE)
        return L"-";
    return num(sendOrFail(control, BM_GETCHECK, 0, 0));
}

// id, class, visible, enabled, checked (0/1/2, "-" if not a check box), hwnd, text
int cmdTexts(const Args& args) {
    HWND target = resolveTarget(args, args.at(1, L"target"));
    for (HWND child : descendants(target)) {
        line(num(GetDlgCtrlID(child)) + L"\t" + className(child) + L"\t" +
             (IsWindowVisible(child) ? L"1" : L"0") + L"\t" + (IsWindowEnabled(child) ? L"1" : L"0") + L"\t" +
             checkState(child) + L"\t" + hwndText(child) + L"\t" + escape(windowText(child)));
    }
    return kExitOk;
}

// Posted by default: a click that opens a modal dialog must not hold the driver. A user cannot click
// what is hidden or disabled, so neither can the driver unless --force is given.
int cmdClick(const Args& args) {
    HWND target = resolveTarget(args, args.at(1, L"target"));
    HWND control = findControl(target, parseInt(args.at(2, L"control id")));
    if (!args.has(L"--force") && (!IsWindowVisible(control) || !IsWindowEnabled(control)))
        fail(L"control " + args.positional[2] + L" is " + (IsWindowVisible(control) ? L"disabled" : L"hidden"));
    if (args.has(L"--send"))
        sendOrFail(control, BM_CLICK, 0, 0);
    else
        postOrFail(control, BM_CLICK, 0, 0);
    return kExitOk;
}

int cmdSetText(const Args& args) {
    HWND target = resolveTarget(args, args.at(1, L"target"));
    HWND control = findControl(target, parseInt(args.at(2, L"control id")));
    const std::wstring& text = args.at(3, L"text");
    if (!sendOrFail(control, WM_SETTEXT, 0, (LPARAM)text.c_str())) fail(L"the control refused the text");
    return kExitOk;
}

HWND waitMessageBox(const Args& args) {
    WindowQuery query;
    query.anyCaption = args.positional.size() < 2 || args.positional[1].empty();
    if (!query.anyCaption) query.caption = args.positional[1];
    query.kind = L"msgbox";
    query.visibleOnly = true;
    return waitWindow(query, timeoutOf(args, 5000));
}

std::wstring messageText(HWND box) {
    for (HWND child : directChildren(box))
        if (GetDlgCtrlID(child) == 0xFFFF) return windowText(child);
    return L"";
}

// msgbox-text [caption]: the text of the topmost visible message box.
int cmdMsgboxText(const Args& args) {
    line(escape(messageText(waitMessageBox(args))));
    return kExitOk;
}

// answer-msgbox <button id> [caption]: prints the box's text, then clicks the button (1 OK, 2 Cancel,
// 6 Yes, 7 No).
int cmdAnswerMsgbox(const Args& args) {
    int button = parseInt(args.at(1, L"button id"));
    Args boxArgs = args;
    boxArgs.positional.erase(boxArgs.positional.begin() + 1);
    HWND box = waitMessageBox(boxArgs);
    HWND control = findControl(box, button);
    line(escape(messageText(box)));
    postOrFail(control, BM_CLICK, 0, 0);
    return kExitOk;
}

// --while-there: a target window that has gone, or goes before the message is posted, is no error (a
// dialog that closes itself by its own timer while the driver counts it down).
int cmdPost(const Args& args) {
    const bool whileThere = args.has(L"--while-there");
    if (whileThere && args.at(1, L"target") == L"@" && !IsWindow(gLastFound)) return kExitOk;
    HWND target = resolveTarget(args, args.at(1, L"target"));
    UINT msg = (UINT)parseNumber(args.at(2, L"message"));
    WPARAM wparam = (WPARAM)parseNumber(args.at(3, L"wparam"));
    LPARAM lparam = (LPARAM)parseNumber(args.at(4, L"lparam"));
    if (args.has(L"--send"))
        line(num(sendOrFail(target, msg, wparam, lparam)));
    else if (!PostMessageW(target, msg, wparam, lparam) && !(whileThere && !IsWindow(target)))
        fail(L"cannot post to " + hwndText(target) + L", error " + num(GetLastError()));
    return kExitOk;
}

// parent-of <target> <id>: the window holding that control (on a sheet, the page it is on).
int cmdParentOf(const Args& args) {
    line(hwndText(GetParent(findControl(resolveTarget(args, args.at(1, L"target")), parseInt(args.at(2, L"control id"))))));
    return kExitOk;
}

int cmdMenuCommand(const Args& args) {
    HWND target = resolveTarget(args, args.at(1, L"target"));
    postOrFail(target, WM_COMMAND, MAKEWPARAM(parseInt(args.at(2, L"command id")), 0), 0);
    return kExitOk;
}

// index, selected (1/0), caption of each tab of the sheet
int cmdTabs(const Args& args) {
    HWND tab = findControlOfClass(resolveTarget(args, args.at(1, L"target")), WC_TABCONTROLW);
    int count = (int)sendOrFail(tab, TCM_GETITEMCOUNT, 0, 0);
    int selected = (int)sendOrFail(tab, TCM_GETCURSEL, 0, 0);
    RemoteBuffer remote(tab, sizeof(TCITEMW) + kTextChars * sizeof(wchar_t));
    for (int i = 0; i < count; ++i) {
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = (LPWSTR)remote.at(sizeof(TCITEMW));
        item.cchTextMax = kTextChars;
        remote.write(0, &item, sizeof item);
        sendOrFail(tab, TCM_GETITEMW, i, (LPARAM)remote.at(0));
        line(num(i) + L"\t" + (i == selected ? L"1" : L"0") + L"\t" + escape(remote.readText(sizeof(TCITEMW), kTextChars)));
    }
    return kExitOk;
}

// Posted by default; --send returns once the sheet has switched pages.
int cmdSelectTab(const Args& args) {
    HWND sheet = resolveTarget(args, args.at(1, L"target"));
    if (args.has(L"--send"))
        sendOrFail(sheet, PSM_SETCURSEL, parseInt(args.at(2, L"index")), 0);
    else
        postOrFail(sheet, PSM_SETCURSEL, parseInt(args.at(2, L"index")), 0);
    return kExitOk;
}

HWND listView(const Args& args) {
    HWND control = findControl(resolveTarget(args, args.at(1, L"target")), parseInt(args.at(2, L"control id")));
    if (className(control) != WC_LISTVIEWW) fail(L"control " + args.positional[2] + L" is a " + className(control));
    return control;
}

int columnCount(HWND list) {
    HWND header = (HWND)sendOrFail(list, LVM_GETHEADER, 0, 0);
    int columns = header ? (int)sendOrFail(header, HDM_GETITEMCOUNT, 0, 0) : 0;
    return columns > 0 ? columns : 1;
}

// One line per row, cells separated by tabs.
int cmdLvRows(const Args& args) {
    HWND list = listView(args);
    int rows = (int)sendOrFail(list, LVM_GETITEMCOUNT, 0, 0);
    int columns = columnCount(list);
    RemoteBuffer remote(list, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
    for (int row = 0; row < rows; ++row) {
        std::wstring cells;
        for (int column = 0; column < columns; ++column) {
            LVITEMW item = {};
            item.iSubItem = column;
            item.pszText = (LPWSTR)remote.at(sizeof(LVITEMW));
            item.cchTextMax = kTextChars;
            remote.write(0, &item, sizeof item);
            LRESULT length = sendOrFail(list, LVM_GETITEMTEXTW, row, (LPARAM)remote.at(0));
            if (column) cells += L"\t";
            cells += escape(remote.readText(sizeof(LVITEMW), length < kTextChars ? (SIZE_T)length : kTextChars - 1));
        }
        line(cells);
    }
    return kExitOk;
}

int cmdLvHeader(const Args& args) {
    HWND list = listView(args);
    HWND header = (HWND)sendOrFail(list, LVM_GETHEADER, 0, 0);
    if (!header) fail(L"the list has no header");
    int columns = (int)sendOrFail(header, HDM_GETITEMCOUNT, 0, 0);
    RemoteBuffer remote(header, sizeof(HDITEMW) + kTextChars * sizeof(wchar_t));
    std::wstring cells;
    for (int column = 0; column < columns; ++column) {
        HDITEMW item = {};
        item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
        item.pszText = (LPWSTR)remote.at(sizeof(HDITEMW));
        item.cchTextMax = kTextChars;
        remote.write(0, &item, sizeof item);
        sendOrFail(header, HDM_GETITEMW, column, (LPARAM)remote.at(0));
        remote.read(0, &item, sizeof item);
        const int align = item.fmt & HDF_JUSTIFYMASK;
        line(escape(remote.readText(sizeof(HDITEMW), kTextChars)) + L"\t" + num(item.cxy) + L"\t" +
             (align == HDF_CENTER ? L"center" : align == HDF_RIGHT ? L"right" : L"left"));
    }
    return kExitOk;
}

int cmdLvSelected(const Args& args) {
    HWND list = listView(args);
    for (int row = -1; (row = (int)sendOrFail(list, LVM_GETNEXTITEM, row, LVNI_SELECTED)) >= 0;)
        line(num(row));
    return kExitOk;
}

// Selects one row as a click would (the others lose their selection); the owner gets LVN_ITEMCHANGED.
int cmdLvSelect(const Args& args) {
    HWND list = listView(args);
    int row = parseInt(args.at(3, L"row"));
    int rows = (int)sendOrFail(list, LVM_GETITEMCOUNT, 0, 0);
    if (row < 0 || row >= rows) fail(L"row " + num(row) + L" of " + num(rows));
    RemoteBuffer remote(list, sizeof(LVITEMW));
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    remote.write(0, &item, sizeof item);
    sendOrFail(list, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)remote.at(0));
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    remote.write(0, &item, sizeof item);
    sendOrFail(list, LVM_SETITEMSTATE, row, (LPARAM)remote.at(0));
    sendOrFail(list, LVM_ENSUREVISIBLE, row, FALSE);
    return kExitOk;
}

// List boxes and combo boxes: WM_GETTEXT-like messages are marshalled by the system.
struct ListMessages {
    UINT count, textLength, text, setSelection, getSelection;
    WORD notifyChange;
};

const ListMessages kListBox = {LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT, LB_SETCURSEL, LB_GETCURSEL, LBN_SELCHANGE};
const ListMessages kComboBox = {CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT, CB_SETCURSEL, CB_GETCURSEL, CBN_SELCHANGE};

// One line per item: selected (1/0), text.
int listItems(const Args& args, const ListMessages& messages) {
    HWND control = findControl(resolveTarget(args, args.at(1, L"target")), parseInt(args.at(2, L"control id")));
    int count = (int)sendOrFail(control, messages.count, 0, 0);
    int selected = (int)sendOrFail(control, messages.getSelection, 0, 0);
    for (int i = 0; i < count; ++i) {
        LRESULT length = sendOrFail(control, messages.textLength, i, 0);
        std::vector<wchar_t> text(length > 0 ? length + 1 : 1, 0);
        if (length > 0) sendOrFail(control, messages.text, i, (LPARAM)text.data());
        line(std::wstring(i == selected ? L"1" : L"0") + L"\t" + escape(text.data()));
    }
    return kExitOk;
}

// Selects an item and tells the owner, as a user's choice would.
int selectItem(const Args& args, const ListMessages& messages) {
    HWND control = findControl(resolveTarget(args, args.at(1, L"target")), parseInt(args.at(2, L"control id")));
    int index = parseInt(args.at(3, L"index"));
    int count = (int)sendOrFail(control, messages.count, 0, 0);
    if (index < 0 || index >= count) fail(L"item " + num(index) + L" of " + num(count));
    sendOrFail(control, messages.setSelection, index, 0);
    postOrFail(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), messages.notifyChange),
               (LPARAM)control);
    return kExitOk;
}

HWND dateTimePicker(const Args& args) {
    HWND control = findControl(resolveTarget(args, args.at(1, L"target")), parseInt(args.at(2, L"control id")));
    if (className(control) != DATETIMEPICK_CLASSW) fail(L"control " + args.positional[2] + L" is a " + className(control));
    return control;
}

// "YYYY-MM-DD HH:MM:SS"
int cmdDtpGet(const Args& args) {
    HWND control = dateTimePicker(args);
    RemoteBuffer remote(control, sizeof(SYSTEMTIME));
    if (sendOrFail(control, DTM_GETSYSTEMTIME, 0, (LPARAM)remote.at(0)) != GDT_VALID) fail(L"no date set");
    SYSTEMTIME time;
    remote.read(0, &time, sizeof time);
    wchar_t text[64];
    swprintf(text, 64, L"%04u-%02u-%02u %02u:%02u:%02u", time.wYear, time.wMonth, time.wDay, time.wHour,
             time.wMinute, time.wSecond);
    line(text);
    return kExitOk;
}

// dtp-set <target> <id> <YYYY-MM-DD> <HH:MM:SS>. The owner is not notified; dialogs read the control
// when they exchange data.
int cmdDtpSet(const Args& args) {
    HWND control = dateTimePicker(args);
    SYSTEMTIME time = {};
    unsigned year, month, day, hour, minute, second;
    if (swscanf(args.at(3, L"date").c_str(), L"%u-%u-%u", &year, &month, &day) != 3 ||
        swscanf(args.at(4, L"time").c_str(), L"%u:%u:%u", &hour, &minute, &second) != 3)
        usage(L"date and time are YYYY-MM-DD HH:MM:SS");
    time.wYear = (WORD)year;
    time.wMonth = (WORD)month;
    time.wDay = (WORD)day;
    time.wHour = (WORD)hour;
    time.wMinute = (WORD)minute;
    time.wSecond = (WORD)second;
    RemoteBuffer remote(control, sizeof(SYSTEMTIME));
    remote.write(0, &time, sizeof time);
    if (!sendOrFail(control, DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)remote.at(0))) fail(L"the control refused the date");
    return kExitOk;
}

int cmdWindowRect(const Args& args) {
    HWND target = resolveTarget(args, args.at(1, L"target"));
    RECT rect;
    GetWindowRect(target, &rect);
    line(num(rect.left) + L" " + num(rect.top) + L" " + num(rect.right) + L" " + num(rect.bottom));
    return kExitOk;
}

// visible, enabled, topmost, style, exstyle, pid, class, caption
int cmdWindowInfo(const Args& args) {
    HWND target = resolveTarget(args, args.at(1, L"target"));
    DWORD pid = 0;
    GetWindowThreadProcessId(target, &pid);
    LONG exStyle = GetWindowLongW(target, GWL_EXSTYLE);
    line(std::wstring(IsWindowVisible(target) ? L"1" : L"0") + L"\t" + (IsWindowEnabled(target) ? L"1" : L"0") + L"\t" +
         ((exStyle & WS_EX_TOPMOST) ? L"1" : L"0") + L"\t" + hex((DWORD)GetWindowLongW(target, GWL_STYLE)) + L"\t" +
         hex((DWORD)exStyle) + L"\t" + num(pid) + L"\t" + className(target) + L"\t" + escape(storedCaption(target)));
    return kExitOk;
}

int cmdCursorClip(const Args&) {
    RECT rect;
    if (!GetClipCursor(&rect)) fail(L"GetClipCursor failed");
    line(num(rect.left) + L" " + num(rect.top) + L" " + num(rect.right) + L" " + num(rect.bottom));
    return kExitOk;
}

int cmdCursorPos(const Args&) {
    POINT point;
    if (!GetCursorPos(&point)) fail(L"GetCursorPos failed");
    line(num(point.x) + L" " + num(point.y));
    return kExitOk;
}

// focus <target>: the control that has the keyboard focus in the target's thread: id and class.
int cmdFocus(const Args& args) {
    HWND target = resolveTarget(args, args.at(1, L"target"));
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(target, nullptr), &info) || !info.hwndFocus)
        fail(L"no focus in that window's thread");
    wchar_t cls[128] = L"";
    GetClassNameW(info.hwndFocus, cls, 128);
    line(num(GetDlgCtrlID(info.hwndFocus)) + L"\t" + cls);
    return kExitOk;
}

int cmdMouseMove(const Args& args) {
    if (!SetCursorPos(parseInt(args.at(1, L"x")), parseInt(args.at(2, L"y")))) fail(L"SetCursorPos failed");
    return kExitOk;
}

// key <vk>...: presses and releases each key in turn through the system's input queue, so input hooks
// see it. Keys are virtual-key codes or the names RETURN, ESCAPE, TAB, SPACE, UP, DOWN, LEFT, RIGHT, or
// a single letter or digit.
int cmdKey(const Args& args) {
    static const std::map<std::wstring, WORD> names = {
        {L"RETURN", VK_RETURN}, {L"ESCAPE", VK_ESCAPE}, {L"TAB", VK_TAB}, {L"SPACE", VK_SPACE},
        {L"UP", VK_UP},         {L"DOWN", VK_DOWN},     {L"LEFT", VK_LEFT}, {L"RIGHT", VK_RIGHT},
    };
    std::vector<INPUT> inputs;
    for (size_t i = 1; i < args.positional.size(); ++i) {
        const std::wstring& name = args.positional[i];
        WORD vk;
        auto named = names.find(name);
        if (named != names.end()) vk = named->second;
        else if (name.size() == 1 && iswalnum(name[0])) vk = (WORD)towupper(name[0]);
        else vk = (WORD)parseNumber(name);
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        inputs.push_back(input);
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    if (inputs.empty()) usage(L"key needs at least one key");
    if (SendInput((UINT)inputs.size(), inputs.data(), sizeof(INPUT)) != inputs.size()) fail(L"SendInput failed");
    return kExitOk;
}

// The ids of the processes of that exe name (case-insensitive).
std::vector<DWORD> processIds(const std::wstring& name) {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) fail(L"no process snapshot");
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (lstrcmpiW(entry.szExeFile, name.c_str()) == 0) ids.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return ids;
}

// is-process <exe name>: the ids of the processes of that name, one per line.
int cmdIsProcess(const Args& args) {
    const std::wstring& name = args.at(1, L"exe name");
    std::vector<DWORD> ids = processIds(name);
    if (ids.empty()) fail(L"no process " + name);
    for (DWORD id : ids) line(num(id));
    return kExitOk;
}

// ---- objects a process holds --------------------------------------------------------------------

bool endsWithExe(const std::wstring& text) {
    return text.size() > 4 && lstrcmpiW(text.c_str() + text.size() - 4, L".exe") == 0;
}

// The process named by an exe name (exactly one must run) or by one of its windows.
DWORD processOfTarget(const Args& args, const std::wstring& target) {
    if (endsWithExe(target)) {
        std::vector<DWORD> ids = processIds(target);
        if (ids.size() != 1) fail(num((long long)ids.size()) + L" processes named " + target);
        return ids.front();
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(resolveTarget(args, target), &pid);
    return pid;
}

// Windows of the process, top-level and child: the part of its USER objects anyone can count.
long long windowsOf(DWORD pid) {
    long long count = 0;
    for (HWND hwnd : topLevelWindows()) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == pid) count += 1 + (long long)descendants(hwnd).size();
    }
    return count;
}

// Handles the process holds, from the system's list of every open handle; -1 if it has none to give.
long long handlesInSystemList(DWORD pid) {
    typedef LONG(WINAPI * QuerySystemFn)(ULONG, PVOID, ULONG, PULONG);
    auto query = (QuerySystemFn)(void*)GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation");
    if (!query) return -1;
    struct Entry {  // one open handle (SYSTEM_HANDLE_TABLE_ENTRY_INFO)
        ULONG ownerPid;
        BYTE objectType;
        BYTE flags;
        USHORT value;
        PVOID object;
        ULONG access;
    };
    struct List {  // SYSTEM_HANDLE_INFORMATION
        ULONG count;
        Entry entries[1];
    };
    const ULONG kSystemHandleInformation = 16;
    const LONG kLengthMismatch = (LONG)0xC0000004;
    std::vector<BYTE> buffer(1 << 16);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        LONG status = query(kSystemHandleInformation, buffer.data(), (ULONG)buffer.size(), &needed);
        if (status == kLengthMismatch) {
            buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
            continue;
        }
        if (status < 0) return -1;
        ULONG count;
        memcpy(&count, buffer.data(), sizeof count);
        const size_t first = offsetof(List, entries);
        count = (ULONG)std::min<size_t>(count, (buffer.size() - first) / sizeof(Entry));
        long long held = 0;
        const Entry* entries = reinterpret_cast<const Entry*>(buffer.data() + first);
        for (ULONG i = 0; i < count; ++i)
            if (entries[i].ownerPid == pid) ++held;
        return held;
    }
    return -1;
}

// GDI objects the process holds, read from its GDI handle table: the table the process environment
// block points to, of 65536 cells of 24 bytes whose byte 14 is the type of the object, 0 when free
// (this is how Wine keeps it). -1 if the table cannot be read.
long long gdiObjectsInTable(HANDLE process) {
    struct BasicInformation {  // PROCESS_BASIC_INFORMATION
        LONG_PTR exitStatus;
        PVOID peb;
        ULONG_PTR affinity, priority, pid, parentPid;
    };
    typedef LONG(WINAPI * QueryProcessFn)(HANDLE, ULONG, PVOID, ULONG, PULONG);
    auto query = (QueryProcessFn)(void*)GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess");
    BasicInformation basic = {};
    if (!query || query(process, 0, &basic, sizeof basic, nullptr) < 0 || !basic.peb) return -1;
    const SIZE_T kTableOffset = sizeof(void*) == 8 ? 0xF8 : 0x94;  // GdiSharedHandleTable
    const SIZE_T kCells = 0x10000, kCellSize = 24, kTypeOffset = 14;
    PVOID table = nullptr;
    if (!ReadProcessMemory(process, (char*)basic.peb + kTableOffset, &table, sizeof table, nullptr) || !table)
        return -1;
    std::vector<BYTE> cells(kCells * kCellSize);
    if (!ReadProcessMemory(process, table, cells.data(), cells.size(), nullptr)) return -1;
    long long used = 0;
    for (SIZE_T i = 0; i < kCells; ++i)
        if (cells[i * kCellSize + kTypeOffset] != 0) ++used;
    return used;
}

// objects <exe name|target>: "user N", "gdi N", "handles N" and "windows N", one per line: what the
// system counts for the process (GetGuiResources, GetProcessHandleCount). Wine answers neither (it gives
// an error, or no handles at all), so there the GDI objects are counted in the process's GDI handle
// table and the handles in the system's handle list; "user" is -1 then and "windows" (every window of
// the process, top-level and child) stands in for the USER objects.
int cmdObjects(const Args& args) {
    DWORD pid = processOfTarget(args, args.at(1, L"exe name or window"));
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) fail(L"cannot open process " + num(pid));
    SetLastError(0);
    long long user = GetGuiResources(process, GR_USEROBJECTS);
    if (user == 0 && GetLastError() != 0) user = -1;
    SetLastError(0);
    long long gdi = GetGuiResources(process, GR_GDIOBJECTS);
    if (gdi == 0 && GetLastError() != 0) gdi = -1;
    // Windows XP before its first service pack lacks it.
    typedef BOOL(WINAPI * HandleCountFn)(HANDLE, PDWORD);
    auto handleCount = (HandleCountFn)(void*)GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetProcessHandleCount");
    DWORD handlesHeld = 0;
    long long handles = handleCount && handleCount(process, &handlesHeld) ? (long long)handlesHeld : -1;
    if (handles <= 0) handles = handlesInSystemList(pid);  // a running process always holds some
    if (gdi < 0) gdi = gdiObjectsInTable(process);
    CloseHandle(process);
    line(L"user\t" + num(user));
    line(L"gdi\t" + num(gdi));
    line(L"handles\t" + num(handles));
    line(L"windows\t" + num(windowsOf(pid)));
    return kExitOk;
}

int cmdWhoami(const Args&) {
    wchar_t user[256] = {0}, computer[256] = {0};
    DWORD userSize = 256, computerSize = 256;
    GetUserNameW(user, &userSize);
    GetComputerNameW(computer, &computerSize);
    line(user);
    line(computer);
    return kExitOk;
}

// ---- registry -----------------------------------------------------------------------------------

HKEY registryRoot(const std::wstring& name) {
    if (name == L"HKCU" || name == L"HKEY_CURRENT_USER") return HKEY_CURRENT_USER;
    if (name == L"HKLM" || name == L"HKEY_LOCAL_MACHINE") return HKEY_LOCAL_MACHINE;
    usage(L"registry root is HKCU or HKLM, not " + name);
}

std::wstring typeName(DWORD type) {
    switch (type) {
        case REG_SZ: return L"REG_SZ";
        case REG_EXPAND_SZ: return L"REG_EXPAND_SZ";
        case REG_MULTI_SZ: return L"REG_MULTI_SZ";
        case REG_DWORD: return L"REG_DWORD";
        case REG_QWORD: return L"REG_QWORD";
        case REG_BINARY: return L"REG_BINARY";
        default: return L"type" + num(type);
    }
}

// DWORDs in decimal, strings as text, anything else as hex bytes.
std::wstring formatValue(DWORD type, const std::vector<BYTE>& data) {
    if (type == REG_DWORD && data.size() >= 4) {
        DWORD value;
        memcpy(&value, data.data(), 4);
        return num(value);
    }
    if (type == REG_QWORD && data.size() >= 8) {
        unsigned long long value;
        memcpy(&value, data.data(), 8);
        return std::to_wstring(value);
    }
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        std::wstring text(data.size() / sizeof(wchar_t), L'\0');
        memcpy(&text[0], data.data(), text.size() * sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0') text.pop_back();
        for (wchar_t& c : text) if (c == L'\0') c = L'\n';
        return escape(text);
    }
    std::wstring out;
    wchar_t byte[4];
    for (BYTE b : data) {
        swprintf(byte, 4, L"%02x", b);
        out += byte;
    }
    return out;
}

class RegistryKey {
public:
    RegistryKey(const std::wstring& root, const std::wstring& path, bool create) {
        LONG status = create ? RegCreateKeyExW(registryRoot(root), path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                               nullptr, &key_, nullptr)
                             : RegOpenKeyExW(registryRoot(root), path.c_str(), 0, KEY_READ, &key_);
        if (status != ERROR_SUCCESS) fail(L"no key " + root + L"\\" + path);
    }
    ~RegistryKey() { RegCloseKey(key_); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// reg-query <root> <path> <value>: "<type>\t<data>"
int cmdRegQuery(const Args& args) {
    RegistryKey key(args.at(1, L"root"), args.at(2, L"path"), false);
    const std::wstring& name = args.at(3, L"value name");
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        fail(L"no value " + name);
    std::vector<BYTE> data(size);
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
        fail(L"cannot read value " + name);
    data.resize(size);
    line(typeName(type) + L"\t" + formatValue(type, data));
    return kExitOk;
}

// reg-list <root> <path>: "<name>\t<type>\t<data>" for every value of the key
int cmdRegList(const Args& args) {
    RegistryKey key(args.at(1, L"root"), args.at(2, L"path"), false);
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD nameSize = 16384, type = 0, size = 0;
        if (RegEnumValueW(key.get(), index, name, &nameSize, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::vector<BYTE> data(size);
        nameSize = 16384;
        if (RegEnumValueW(key.get(), index, name, &nameSize, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
        data.resize(size);
        line(escape(name) + L"\t" + typeName(type) + L"\t" + formatValue(type, data));
    }
    return kExitOk;
}

// reg-set <root> <path> <value> <REG_DWORD|REG_SZ> <data>
int cmdRegSet(const Args& args) {
    RegistryKey key(args.at(1, L"root"), args.at(2, L"path"), true);
    const std::wstring& name = args.at(3, L"value name");
    const std::wstring& type = args.at(4, L"type");
    const std::wstring& data = args.at(5, L"data");
    LONG status;
    if (type == L"REG_DWORD") {
        DWORD value = (DWORD)parseNumber(data);
        status = RegSetValueExW(key.get(), name.c_str(), 0, REG_DWORD, (const BYTE*)&value, sizeof value);
    } else if (type == L"REG_SZ") {
        status = RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, (const BYTE*)data.c_str(),
                                (DWORD)((data.size() + 1) * sizeof(wchar_t)));
    } else {
        usage(L"type is REG_DWORD or REG_SZ");
    }
    if (status != ERROR_SUCCESS) fail(L"cannot set " + name);
    return kExitOk;
}

int cmdRegDelete(const Args& args) {
    RegistryKey key(args.at(1, L"root"), args.at(2, L"path"), false);
    const std::wstring& name = args.at(3, L"value name");
    if (RegDeleteValueW(key.get(), name.c_str()) != ERROR_SUCCESS) fail(L"no value " + name);
    return kExitOk;
}

// ---- dispatch -----------------------------------------------------------------------------------

int cmdLbRows(const Args& args) { return listItems(args, kListBox); }
int cmdLbSelect(const Args& args) { return selectItem(args, kListBox); }
int cmdComboItems(const Args& args) { return listItems(args, kComboBox); }
int cmdComboSelect(const Args& args) { return selectItem(args, kComboBox); }

int cmdCycle(const Args& args);

struct Command {
    const wchar_t* name;
    int (*run)(const Args&);
    const wchar_t* synopsis;
};

const Command kCommands[] = {
    {L"wait-window", cmdWaitWindow, L"<caption>                  prints the window handle"},
    {L"wait-gone", cmdWaitGone, L"<caption>                    waits until no such window is left"},
    {L"list-windows", cmdListWindows, L"                          hwnd pid visible kind class caption"},
    {L"texts", cmdTexts, L"<target>                         id class visible enabled checked hwnd text"},
    {L"click", cmdClick, L"<target> <id> [--send] [--force] BM_CLICK, posted by default"},
    {L"set-text", cmdSetText, L"<target> <id> <text>"},
    {L"msgbox-text", cmdMsgboxText, L"[caption]                  text of the visible message box"},
    {L"answer-msgbox", cmdAnswerMsgbox, L"<button> [caption]       prints the text, clicks 1/2/6/7"},
    {L"post", cmdPost, L"<target> <msg> <wparam> <lparam> [--send] [--while-there]"},
    {L"parent-of", cmdParentOf, L"<target> <id>                the window holding the control"},
    {L"menu-command", cmdMenuCommand, L"<target> <id>             posts WM_COMMAND"},
    {L"tabs", cmdTabs, L"<target>                          index selected caption"},
    {L"select-tab", cmdSelectTab, L"<target> <index>            posts PSM_SETCURSEL"},
    {L"lv-rows", cmdLvRows, L"<target> <id>                  cells of each row"},
    {L"lv-header", cmdLvHeader, L"<target> <id>                column title, width, alignment"},
    {L"lv-selected", cmdLvSelected, L"<target> <id>              selected row indexes"},
    {L"lv-select", cmdLvSelect, L"<target> <id> <row>          selects one row"},
    {L"lb-rows", cmdLbRows, L"<target> <id>                  selected text, of a list box"},
    {L"lb-select", cmdLbSelect, L"<target> <id> <index>"},
    {L"combo-items", cmdComboItems, L"<target> <id>              selected text, of a combo box"},
    {L"combo-select", cmdComboSelect, L"<target> <id> <index>"},
    {L"dtp-get", cmdDtpGet, L"<target> <id>                  YYYY-MM-DD HH:MM:SS"},
    {L"dtp-set", cmdDtpSet, L"<target> <id> <YYYY-MM-DD> <HH:MM:SS>"},
    {L"window-rect", cmdWindowRect, L"<target>                   left top right bottom"},
    {L"window-info", cmdWindowInfo, L"<target>                   visible enabled topmost style exstyle pid class caption"},
    {L"cursor-clip", cmdCursorClip, L"                           left top right bottom"},
    {L"cursor-pos", cmdCursorPos, L"                            x y"},
    {L"focus", cmdFocus, L"<target>                         id and class of the focused control"},
    {L"mouse-move", cmdMouseMove, L"<x> <y>"},
    {L"key", cmdKey, L"<vk>...                              presses and releases keys"},
    {L"wait-text", cmdWaitText, L"<caption> <id> <text>        waits for a window showing that text"},
    {L"objects", cmdObjects, L"<exe name|target>              user, gdi, handles and windows counts"},
    {L"cycle", cmdCycle, L"<n> <step>...                    runs the steps (each a quoted command) n times"},
    {L"is-process", cmdIsProcess, L"<exe name>                  process ids"},
    {L"whoami", cmdWhoami, L"                                user name, computer name"},
    {L"reg-query", cmdRegQuery, L"<HKCU|HKLM> <path> <value>   type data"},
    {L"reg-list", cmdRegList, L"<HKCU|HKLM> <path>            name type data"},
    {L"reg-set", cmdRegSet, L"<HKCU|HKLM> <path> <value> <REG_DWORD|REG_SZ> <data>"},
    {L"reg-delete", cmdRegDelete, L"<HKCU|HKLM> <path> <value>"},
};

// A step of `cycle` as a command line: words split at spaces, "double quotes" keep spaces in one.
std::vector<std::wstring> splitStep(const std::wstring& step) {
    std::vector<std::wstring> words;
    std::wstring word;
    bool quoted = false, inWord = false;
    for (wchar_t c : step) {
        if (c == L'"') {
            quoted = !quoted;
            inWord = true;
        } else if (c == L' ' && !quoted) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted) usage(L"unbalanced quote in step: " + step);
    if (inWord) words.push_back(word);
    return words;
}

const Command* findCommand(const std::wstring& name) {
    for (const Command& command : kCommands)
        if (name == command.name) return &command;
    return nullptr;
}

// cycle <n> <step>...: runs the steps in turn, n times over, inside this one process (starting the
// driver a thousand times under Wine would take many minutes). Each step is a command of this driver
// with its arguments, e.g. "wait-window 输入密码... --dialog --visible". Stops at the first failing step,
// naming the round; when all went through, prints "rounds N", "ms N" and the time each step took in all
// ("step ms text").
int cmdCycle(const Args& args) {
    const long long rounds = parseNumber(args.at(1, L"count"));
    struct Step {
        const Command* command;
        Args args;
        std::wstring text;
    };
    std::vector<Step> steps;
    for (size_t i = 2; i < args.positional.size(); ++i) {
        std::vector<std::wstring> words = splitStep(args.positional[i]);
        std::vector<wchar_t*> argv{const_cast<wchar_t*>(L"kdriver")};
        for (std::wstring& word : words) argv.push_back(&word[0]);
        Step step{nullptr, parseArgs((int)argv.size(), argv.data()), args.positional[i]};
        if (step.args.positional.empty()) usage(L"empty step");
        step.command = findCommand(step.args.positional[0]);
        if (!step.command || step.command->run == cmdCycle) usage(L"not a step: " + args.positional[i]);
        steps.push_back(step);
    }
    if (steps.empty()) usage(L"cycle needs at least one step");
    const DWORD started = GetTickCount();
    gQuiet = true;
    std::vector<DWORD> stepMs(steps.size(), 0);
    for (long long round = 1; round <= rounds; ++round) {
        for (size_t i = 0; i < steps.size(); ++i) {
            const Step& step = steps[i];
            const DWORD stepStarted = GetTickCount();
            try {
                if (step.command->run(step.args) != kExitOk) fail(L"failed");
                stepMs[i] += GetTickCount() - stepStarted;
            } catch (const Failure& failure) {
                gQuiet = false;
                throw Failure{failure.code, L"round " + num(round) + L", step '" + step.text + L"': " + failure.message};
            }
        }
    }
    gQuiet = false;
    line(L"rounds\t" + num(rounds));
    line(L"ms\t" + num(GetTickCount() - started));
    for (size_t i = 0; i < steps.size(); ++i) line(L"step\t" + num(stepMs[i]) + L"\t" + steps[i].text);
    return kExitOk;
}

void printUsage() {
    std::wstring text = L"usage: kdriver <command> [arguments] [options]\n";
    for (const Command& command : kCommands) text += std::wstring(L"  ") + command.name + L" " + command.synopsis + L"\n";
    text += L"options: --timeout ms, --class C, --has-tab, --msgbox, --dialog, --visible, --contains\n";
    writeTo(STD_ERROR_HANDLE, text);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    try {
        Args args = parseArgs(argc, argv);
        if (args.positional.empty()) usage(L"no command");
        if (const Command* command = findCommand(args.positional[0])) return command->run(args);
        usage(L"unknown command " + args.positional[0]);
    } catch (const Failure& failure) {
        writeTo(STD_ERROR_HANDLE, L"kdriver: " + failure.message + L"\n");
        if (failure.code == kExitUsage) printUsage();
        return failure.code;
    }
}
