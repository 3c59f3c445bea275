// kdriver: drives a running Win32 program from outside, the way a user and the shell would, for the end-to-end
// tests and the benchmarks. `kdriver <command> <argument>...` runs one command; with no arguments it serves the
// commands of stdin, a line each with the words separated by tabs, and ends each answer with the line
// "\x1e<exit code>\t<message>" (a start under Wine takes a good part of a second: a test keeps one driver).
// Results go to stdout in UTF-8, a line each, texts escaping \ tab CR LF as \\ \t \r \n. Exit codes: 0 done,
// 1 not found / timed out / refused, 2 bad usage. A target is "0x<hwnd>", "@" (the window the last wait found)
// or an exact caption, narrowed by --class C, --has-tab (a property sheet) and --visible; visible windows come
// first. --timeout ms bounds every wait (5000 by default). Numbers are decimal or 0x hex.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

using std::wstring;

struct Failure { int code; wstring message; };  // thrown to leave a command with an exit code and a message
[[noreturn]] void fail(const wstring& message) { throw Failure{1, message}; }
[[noreturn]] void usage(const wstring& message) { throw Failure{2, message}; }

// printf("%ls") stops at the first Chinese character under Wine, so UTF-8 bytes are written directly.
void writeTo(DWORD which, const wstring& text) {
    std::string bytes(text.size() * 3, '\0');
    bytes.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), &bytes[0], (int)bytes.size(), 0, 0));
    DWORD written = 0;
    WriteFile(GetStdHandle(which), bytes.data(), (DWORD)bytes.size(), &written, nullptr);
}
void line(const wstring& text) { writeTo(STD_OUTPUT_HANDLE, text + L"\n"); }

wstring escape(const wstring& text) {
    wstring out;
    for (wchar_t c : text)
        out += c == L'\\' ? L"\\\\" : c == L'\t' ? L"\\t" : c == L'\r' ? L"\\r" : c == L'\n' ? L"\\n" : wstring(1, c);
    return out;
}

wstring num(long long value) { return std::to_wstring(value); }
wstring hex(HWND hwnd) {
    wchar_t text[24];
    return wstring(text, swprintf(text, 24, L"0x%llx", (unsigned long long)(ULONG_PTR)hwnd));
}

long long parseNumber(const wstring& text) {
    wchar_t* stop = nullptr;
    long long value = wcstoll(text.c_str(), &stop, 0);
    if (text.empty() || *stop) usage(L"not a number: " + text);
    return value;
}

// The command, its arguments, then the options ("--visible", "--timeout 3000").
struct Args {
    std::vector<wstring> words;
    size_t count() const {
        return std::find_if(words.begin(), words.end(), [](const wstring& w) { return w.compare(0, 2, L"--") == 0; }) -
               words.begin();
    }
    const wstring& at(size_t index) const {
        if (index >= count()) usage(words[0] + L" needs more arguments");
        return words[index];
    }
    int number(size_t index) const { return (int)parseNumber(at(index)); }
    bool has(const wchar_t* name) const { return std::find(words.begin(), words.end(), name) != words.end(); }
    wstring option(const wchar_t* name, const wchar_t* fallback) const {  // the word after the option
        size_t at = std::find(words.begin(), words.end(), name) - words.begin();
        return at + 1 < words.size() ? words[at + 1] : fallback;
    }
    DWORD timeout() const { return (DWORD)parseNumber(option(L"--timeout", L"5000")); }
};

DWORD pidOf(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

wstring className(HWND hwnd) {
    wchar_t text[256] = L"";
    GetClassNameW(hwnd, text, 256);
    return text;
}

// The text of any window, also of another process's controls (WM_GETTEXT is marshalled); "" if it hangs.
wstring windowText(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 3000, &length)) return L"";
    std::vector<wchar_t> text(length + 2, 0);
    SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), (LPARAM)text.data(), SMTO_ABORTIFHUNG, 3000, &length);
    return text.data();
}

BOOL CALLBACK collect(HWND hwnd, LPARAM found) {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> windowsUnder(HWND parent) {  // every top-level window for none
    std::vector<HWND> found;
    if (parent) EnumChildWindows(parent, collect, (LPARAM)&found);
    else EnumWindows(collect, (LPARAM)&found);
    return found;
}

// Top-level windows of a caption (message boxes for none), in Z order, the visible ones first, compared by the
// system (FindWindowEx: a fraction of the cost of reading every caption). A message box carries the program's
// caption as the sheet does, both are #32770: the sheet holds a tab control, a message box the text of id 0xFFFF.
struct Query {
    const wchar_t* caption;
    wstring cls;
    bool sheet, visibleOnly;
    Query(const Args& args, const wchar_t* wanted)
        : caption(wanted), cls(args.option(L"--class", wanted ? L"" : L"#32770")),
          sheet(args.has(L"--has-tab")), visibleOnly(!wanted || args.has(L"--visible")) {}
    std::vector<HWND> find() const {
        std::vector<HWND> found, hidden;
        for (HWND hwnd = 0; (hwnd = FindWindowExW(0, hwnd, cls.empty() ? nullptr : cls.c_str(), caption));)
            if ((!visibleOnly || IsWindowVisible(hwnd)) && (!sheet || FindWindowExW(hwnd, 0, WC_TABCONTROLW, 0)) &&
                (caption || GetDlgItem(hwnd, 0xFFFF)))
                (IsWindowVisible(hwnd) ? found : hidden).push_back(hwnd);
        found.insert(found.end(), hidden.begin(), hidden.end());
        return found;
    }
};

template <typename Check>  // looks until the check holds or the time is up
bool waitFor(DWORD timeoutMs, Check check) {
    for (DWORD start = GetTickCount(); !check(); Sleep(5))
        if (GetTickCount() - start >= timeoutMs) return false;
    return true;
}

HWND gLastFound = nullptr;  // "@", which spares a search of every window

HWND waitWindow(const Query& query, DWORD timeoutMs) {
    std::vector<HWND> found;
    if (!waitFor(timeoutMs, [&] { return !(found = query.find()).empty(); }))
        fail(L"no such window within " + num(timeoutMs) + L" ms");
    return gLastFound = found.front();
}

HWND target(const Args& args) {
    const wstring& name = args.at(1);
    if (name != L"@" && name.compare(0, 2, L"0x") != 0) return waitWindow(Query(args, name.c_str()), args.timeout());
    HWND hwnd = name == L"@" ? gLastFound : (HWND)(ULONG_PTR)wcstoull(name.c_str(), nullptr, 16);
    if (!IsWindow(hwnd)) fail(L"no window " + name);
    return hwnd;
}

// A control of that id anywhere under the window. A user reaches only visible and enabled ones (the pages of a
// sheet share ids), and a dialog's own control before a part of another control (a date-time picker's up-down
// and the list inside the file dialog carry id 1, as OK does).
HWND control(HWND parent, int id) {
    HWND best = nullptr;
    int bestScore = -1;
    for (HWND child : windowsUnder(parent)) {
        if (GetDlgCtrlID(child) != id) continue;  // first: each look at another process's window asks the server
        int score = (IsWindowVisible(child) ? 2 : 0) + (IsWindowEnabled(child) ? 1 : 0) +
                    (className(GetParent(child)) == L"#32770" ? 4 : 0);
        if (score > bestScore) best = child, bestScore = score;
    }
    if (!best) fail(L"no control " + num(id) + L" in " + hex(parent));
    return best;
}

HWND control(const Args& args) { return control(target(args), args.number(2)); }

LRESULT sendOrFail(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, msg, wparam, lparam, SMTO_NORMAL, 10000, &result))  // a loaded machine stalls
        fail(L"window " + hex(hwnd) + L" did not answer message " + num(msg));
    return (LRESULT)result;
}

void postOrFail(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (!PostMessageW(hwnd, msg, wparam, lparam)) fail(L"cannot post to " + hex(hwnd) + L": " + num(GetLastError()));
}

// Memory in the process of a window, for messages whose parameters point at structures.
class Remote {
public:
    static constexpr SIZE_T kTextChars = 1024;
    explicit Remote(HWND owner) {
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pidOf(owner));
        base_ = process_ ? (char*)VirtualAllocEx(process_, 0, 4096 + 2 * kTextChars, MEM_COMMIT, PAGE_READWRITE) : 0;
        if (!base_) fail(L"cannot reach into process " + num(pidOf(owner)));
    }
    ~Remote() {
        VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
        CloseHandle(process_);
    }
    void copy(void* at, void* data, SIZE_T size, bool in) {
        if (!(in ? WriteProcessMemory(process_, at, data, size, 0) : ReadProcessMemory(process_, at, data, size, 0)))
            fail(L"cannot reach into the process's memory");
    }
    // Copies the item into the process, sends the message with its address and copies the item back.
    template <typename Item>
    LRESULT send(HWND control, UINT msg, WPARAM wparam, Item& item) {
        copy(base_, &item, sizeof item, true);
        LRESULT result = sendOrFail(control, msg, wparam, (LPARAM)base_);
        copy(base_, &item, sizeof item, false);
        return result;
    }
    // The text that the control writes behind the item (LVITEMW, TCITEMW, HDITEMW), which points there.
    template <typename Item>
    wstring text(HWND control, UINT msg, WPARAM wparam, Item& item) {
        std::vector<wchar_t> text(kTextChars + 1, 0);
        item.pszText = (LPWSTR)(base_ + sizeof item);
        item.cchTextMax = (int)kTextChars;
        copy(item.pszText, text.data(), sizeof(wchar_t), true);  // empty unless written
        send(control, msg, wparam, item);
        copy(base_ + sizeof item, text.data(), kTextChars * sizeof(wchar_t), false);
        return text.data();
    }

private:
    HANDLE process_;
    char* base_;
};

// wait-gone <target>: waits until no such window is left; for "@" or a handle, until that window is gone or, with
// --visible, hidden.
void waitGone(const Args& args) {
    const wstring& name = args.at(1);
    const bool one = name == L"@" || name.compare(0, 2, L"0x") == 0;
    HWND window = name == L"@" ? gLastFound : (HWND)(ULONG_PTR)wcstoull(name.c_str(), nullptr, 16);
    Query query(args, name.c_str());
    auto gone = [&] {
        return one ? !IsWindow(window) || (args.has(L"--visible") && !IsWindowVisible(window)) : query.find().empty();
    };
    if (!waitFor(args.timeout(), gone)) fail(name + L" still there after " + num(args.timeout()) + L" ms");
}

// texts [target]: "id class visible enabled checked hwnd parent text" of every control under the window, or of
// every top-level window without one; checked is a button's check state, else "-".
void texts(const Args& args) {
    for (HWND hwnd : windowsUnder(args.count() < 2 ? nullptr : target(args))) {
        DWORD_PTR checked = 0;  // a busy program's buttons read as no button: a failure's report must not fail
        bool button = lstrcmpiW(className(hwnd).c_str(), L"Button") == 0 &&
                      SendMessageTimeoutW(hwnd, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 3000, &checked);
        line(num(GetDlgCtrlID(hwnd)) + L"\t" + className(hwnd) + L"\t" + num(IsWindowVisible(hwnd) != 0) + L"\t" +
             num(IsWindowEnabled(hwnd) != 0) + L"\t" + (button ? num(checked) : L"-") +
             L"\t" + hex(hwnd) + L"\t" + hex(GetParent(hwnd)) + L"\t" + escape(windowText(hwnd)));
    }
}

// click <target> <id>: BM_CLICK, posted (a click that opens a modal dialog must not hold the driver). What a user
// cannot click, hidden or disabled, neither can the driver.
void click(const Args& args) {
    HWND button = control(args);
    if (!IsWindowVisible(button) || !IsWindowEnabled(button))
        fail(L"control " + args.at(2) + (IsWindowVisible(button) ? L" is disabled" : L" is hidden"));
    postOrFail(button, BM_CLICK, 0, 0);
}

void setText(const Args& args) {  // set-text <target> <id> <text>
    if (!sendOrFail(control(args), WM_SETTEXT, 0, (LPARAM)args.at(3).c_str())) fail(L"the control refused the text");
}

// msgbox [button]: prints the text of the visible message box, then clicks that button (1 OK, 6 Yes, 7 No).
void msgbox(const Args& args) {
    HWND box = waitWindow(Query(args, nullptr), args.timeout());
    line(escape(windowText(GetDlgItem(box, 0xFFFF))));
    if (args.count() > 1) postOrFail(control(box, args.number(1)), BM_CLICK, 0, 0);
}

// post <target> <message> <wparam> <lparam> [--send]: --send waits for the answer and prints it.
void post(const Args& args) {
    HWND hwnd = target(args);
    UINT msg = (UINT)args.number(2);
    WPARAM wparam = (WPARAM)parseNumber(args.at(3));
    LPARAM lparam = (LPARAM)parseNumber(args.at(4));
    if (args.has(L"--send")) line(num(sendOrFail(hwnd, msg, wparam, lparam)));
    else postOrFail(hwnd, msg, wparam, lparam);
}

// rows <target> <id> [--header]: "selected\tcell\t..." of each item of a list view, list box, combo box or tab
// control (a sheet's tab strip is 0x3020); with --header, "title\twidth\talignment" of each list view column.
void rows(const Args& args) {
    HWND list = control(args);
    if (args.has(L"--header")) {
        HWND header = (HWND)sendOrFail(list, LVM_GETHEADER, 0, 0);
        Remote remote(header);
        for (int column = 0, count = (int)sendOrFail(header, HDM_GETITEMCOUNT, 0, 0); column < count; ++column) {
            HDITEMW item = {};
            item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
            wstring title = remote.text(header, HDM_GETITEMW, column, item);
            int align = item.fmt & HDF_JUSTIFYMASK;
            line(escape(title) + L"\t" + num(item.cxy) + (align == 2 ? L"\tcenter" : align ? L"\tright" : L"\tleft"));
        }
        return;
    }
    const wstring cls = className(list);
    const bool tabs = cls == WC_TABCONTROLW, view = cls == WC_LISTVIEWW, combo = cls == L"ComboBox";
    if (!tabs && !view && !combo && cls != L"ListBox") fail(L"control " + args.at(2) + L" is a " + cls);
    Remote remote(list);
    HWND header = view ? (HWND)sendOrFail(list, LVM_GETHEADER, 0, 0) : nullptr;
    int columns = header ? std::max(1, (int)sendOrFail(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
    int current = view ? -1 : (int)sendOrFail(list, tabs ? TCM_GETCURSEL : combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
    const UINT countMessage = tabs ? TCM_GETITEMCOUNT : view ? LVM_GETITEMCOUNT : combo ? CB_GETCOUNT : LB_GETCOUNT;
    const int count = (int)sendOrFail(list, countMessage, 0, 0);
    for (int row = 0; row < count; ++row) {
        wstring out = num(view ? sendOrFail(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) != 0 : row == current);
        for (int column = 0; column < columns; ++column) {
            LVITEMW item = {};
            item.iSubItem = column;
            TCITEMW tab = {};
            tab.mask = TCIF_TEXT;
            std::vector<wchar_t> text(4096);  // a list or combo box's, which the system marshals
            if (!tabs && !view) sendOrFail(list, combo ? CB_GETLBTEXT : LB_GETTEXT, row, (LPARAM)text.data());
            out += L"\t" + escape(tabs ? remote.text(list, TCM_GETITEMW, row, tab)
                                       : view ? remote.text(list, LVM_GETITEMTEXTW, row, item) : wstring(text.data()));
        }
        line(out);
    }
}

// date <target> <id> <year> <month> <day> <hour> <minute> <second>: sets a date-time picker. Its owner is not told:
// dialogs read the control when they exchange data.
void date(const Args& args) {
    HWND picker = control(args);
    SYSTEMTIME t = {(WORD)args.number(3), (WORD)args.number(4), 0, (WORD)args.number(5), (WORD)args.number(6),
                    (WORD)args.number(7), (WORD)args.number(8), 0};
    if (!Remote(picker).send(picker, DTM_SETSYSTEMTIME, GDT_VALID, t)) fail(L"the control refused the date");
}

wstring rectText(const RECT& r) { return num(r.left) + L" " + num(r.top) + L" " + num(r.right) + L" " + num(r.bottom); }

// window <target>: "topmost minimized left top right bottom focus clip-left top right bottom": focus is the class
// of the control with the keyboard focus in the window's thread ("-" for none); the pointer's clip comes last.
void window(const Args& args) {
    HWND hwnd = target(args);
    RECT rect = {}, clip = {};
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetWindowRect(hwnd, &rect);
    GetClipCursor(&clip);
    bool focused = GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info) && info.hwndFocus;
    line(num((GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) + L" " + num(IsIconic(hwnd) != 0) + L" " +
         rectText(rect) + L" " + (focused ? className(info.hwndFocus) : L"-") + L" " + rectText(clip));
}

// key <key>...: presses and releases each through the system's input queue, so that input hooks see them; a key
// is a letter, a digit or a virtual-key code.
void key(const Args& args) {
    std::vector<INPUT> inputs(2 * (args.count() - 1));
    for (size_t i = 0; i < inputs.size(); ++i) {
        const wstring& name = args.words[1 + i / 2];
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = (WORD)(name.size() == 1 && iswalnum(name[0]) ? towupper(name[0]) : parseNumber(name));
        inputs[i].ki.dwFlags = i % 2 ? KEYEVENTF_KEYUP : 0;
    }
    if (inputs.empty() || SendInput((UINT)inputs.size(), inputs.data(), sizeof(INPUT)) != inputs.size())
        fail(L"SendInput failed");
}

template <typename Fn>
Fn ntdll(const char* name) { return (Fn)(void*)GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name); }

// objects <target>: "<gdi> <handles> <windows>" of the window's process as Wine can count them (GetGuiResources
// and GetProcessHandleCount answer nothing): the used cells of its GDI handle table (65536 of 24 bytes, byte 14 the
// type; its environment block points to it), its entries in the system's handle list (a count padded to a pointer,
// then the owner's id, 4 bytes, an address and 4 bytes of rights), and, for the uncounted USER objects, its windows.
void objects(const Args& args) {
    const DWORD pid = pidOf(target(args));
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    ULONG_PTR basic[6] = {};  // PROCESS_BASIC_INFORMATION: the environment block's address is the second field
    PVOID table = nullptr;
    std::vector<BYTE> cells(0x10000 * 24), list(1 << 16);
    const SIZE_T tableField = sizeof(void*) == 8 ? 0xF8 : 0x94, entry = 8 + 2 * sizeof(void*);
    bool read = ntdll<LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG)>("NtQueryInformationProcess")(
                    process, 0, basic, sizeof basic, nullptr) >= 0 &&
                ReadProcessMemory(process, (char*)basic[1] + tableField, &table, sizeof table, nullptr) &&
                ReadProcessMemory(process, table, cells.data(), cells.size(), nullptr);
    CloseHandle(process);
    auto querySystem = ntdll<LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG)>("NtQuerySystemInformation");
    LONG status;
    for (ULONG needed = 0; (status = querySystem(16, list.data(), (ULONG)list.size(), &needed)) == (LONG)0xC0000004;)
        list.resize(std::max<size_t>(list.size() * 2, needed + 4096));  // too small: the list grew meanwhile
    if (!read || status < 0) fail(L"cannot count the objects of process " + num(pid));
    long long gdi = 0, handles = 0, windows = 0;
    for (size_t i = 14; i < cells.size(); i += 24) gdi += cells[i] != 0;
    for (size_t i = 0; i < std::min<size_t>(*(ULONG*)list.data(), list.size() / entry - 1); ++i)
        handles += *(ULONG*)(list.data() + sizeof(void*) + i * entry) == pid;
    for (HWND hwnd : windowsUnder(nullptr)) windows += pidOf(hwnd) == pid ? 1 + windowsUnder(hwnd).size() : 0;
    line(num(gdi) + L" " + num(handles) + L" " + num(windows));
}

// reg <HKCU|HKLM> <path> <value> [<REG_DWORD|REG_SZ> <data>]: sets the value if asked, then prints
// "REG_DWORD\t<decimal>" or "REG_SZ\t<text>".
void reg(const Args& args) {
    HKEY root = args.at(1) == L"HKCU" ? HKEY_CURRENT_USER : args.at(1) == L"HKLM" ? HKEY_LOCAL_MACHINE : nullptr, key;
    const bool set = args.count() > 4, dword = set && args.at(4) == L"REG_DWORD";
    if (!root || (set && !dword && args.at(4) != L"REG_SZ")) usage(L"reg HKCU|HKLM <path> <value> [<type> <data>]");
    if ((set ? RegCreateKeyExW(root, args.at(2).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr)
             : RegOpenKeyExW(root, args.at(2).c_str(), 0, KEY_READ, &key)) != ERROR_SUCCESS)
        fail(L"no key " + args.at(2));
    DWORD value = dword ? (DWORD)parseNumber(args.at(5)) : 0, type = 0, size = 65536 - sizeof(wchar_t);
    const BYTE* bytes = dword ? (const BYTE*)&value : set ? (const BYTE*)args.at(5).c_str() : nullptr;
    if (set) RegSetValueExW(key, args.at(3).c_str(), 0, dword ? REG_DWORD : REG_SZ, bytes,
                            dword ? sizeof value : (DWORD)((args.at(5).size() + 1) * sizeof(wchar_t)));
    std::vector<BYTE> data(65536, 0);
    LONG status = RegQueryValueExW(key, args.at(3).c_str(), nullptr, &type, data.data(), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) fail(L"no value " + args.at(3));
    line(type == REG_DWORD ? L"REG_DWORD\t" + num(*(DWORD*)data.data())
                           : type == REG_SZ ? L"REG_SZ\t" + escape((const wchar_t*)data.data()) : L"type " + num(type));
}

const std::map<wstring, void (*)(const Args&)> kCommands = {  // wait-window <caption>: the window's handle, once there
    {L"wait-window", [](const Args& args) { line(hex(target(args))); }}, {L"wait-gone", waitGone}, {L"texts", texts},
    {L"click", click}, {L"set-text", setText}, {L"msgbox", msgbox}, {L"post", post}, {L"rows", rows}, {L"date", date},
    {L"window", window}, {L"key", key}, {L"objects", objects}, {L"reg", reg}};

// Runs one command; returns its exit code and its message.
std::pair<int, wstring> run(const Args& args) {
    try {
        if (args.count() == 0) usage(L"no command");
        auto command = kCommands.find(args.words[0]);
        if (command == kCommands.end()) usage(L"unknown command " + args.words[0] + L" (see tools/driver/kdriver.cpp)");
        command->second(args);
        return {0, L""};
    } catch (const Failure& failure) {
        return {failure.code, failure.message};
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1) {
        std::pair<int, wstring> result = run(Args{std::vector<wstring>(argv + 1, argv + argc)});
        if (result.first) writeTo(STD_ERROR_HANDLE, L"kdriver: " + result.second + L"\n");
        return result.first;
    }
    for (std::string input; std::getline(std::cin, input);) {
        const int size = (int)input.size();
        wstring request(size, L'\0');
        request.resize(MultiByteToWideChar(CP_UTF8, 0, input.data(), size, &request[0], size));
        Args args{std::vector<wstring>(1)};
        for (wchar_t c : request) c == L'\t' ? args.words.emplace_back() : args.words.back() += c;
        std::pair<int, wstring> result = run(args);
        line(L"\x1e" + num(result.first) + L"\t" + escape(result.second));
    }
    return 0;
}
