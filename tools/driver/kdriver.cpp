// kdriver: drives a running Win32 program as a user and the shell would. `kdriver <command> <argument>...` runs one
// command; with none it serves stdin's (a start under Wine takes most of a second), a line each, words split by
// tabs, each answer ending "\x1e<exit code>\t<message>". Output is UTF-8, escaping \ tab CR LF. Exit code 1: not
// found, timed out or refused. A target is a handle, "@" (the window the last wait found) or an exact caption,
// narrowed by --class C, --has-tab (the sheet) and --visible. --timeout ms bounds every wait (5000).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

using std::wstring;
using Hwnds = std::vector<HWND>;

[[noreturn]] void fail(const wstring& message) { throw message; }

// printf("%ls") stops at the first Chinese character under Wine.
void put(DWORD stream, const wstring& text) {
    std::string bytes(text.size() * 3, '\0');
    bytes.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), &bytes[0], (int)bytes.size(), 0, 0));
    DWORD written;
    WriteFile(GetStdHandle(stream), bytes.data(), (DWORD)bytes.size(), &written, 0);
}
void line(const wstring& text) { put(STD_OUTPUT_HANDLE, text + L"\n"); }

wstring escape(const wstring& text) {
    wstring out;
    for (wchar_t c : text)
        out += c == L'\\' ? L"\\\\" : c == L'\t' ? L"\\t" : c == L'\r' ? L"\\r" : c == L'\n' ? L"\\n" : wstring(1, c);
    return out;
}

wstring num(long long n) { return std::to_wstring(n); }
wstring num(HWND h) { return num((LONG_PTR)h); }

long long number(const wstring& text) {
    wchar_t* stop;
    long long n = wcstoll(text.c_str(), &stop, 0);
    if (text.empty() || *stop) fail(L"not a number: " + text);
    return n;
}

struct Args {  // the command, its arguments, then options ("--visible", "--timeout 3000")
    std::vector<wstring> w;
    size_t count() const {
        size_t n = 0;
        while (n < w.size() && w[n].compare(0, 2, L"--")) ++n;
        return n;
    }
    const wstring& at(size_t i) const { return i < count() ? w[i] : (fail(w[0] + L" needs more arguments"), w[0]); }
    long long n(size_t i) const { return number(at(i)); }
    bool has(const wchar_t* option) const { return std::find(w.begin(), w.end(), option) != w.end(); }
    wstring option(const wchar_t* name, const wchar_t* fallback) const {  // the word after it
        auto at = std::find(w.begin(), w.end(), name);
        return at < w.end() - 1 ? at[1] : fallback;
    }
    DWORD timeout() const { return (DWORD)number(option(L"--timeout", L"5000")); }
};

DWORD pidOf(HWND h) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    return pid;
}

wstring cls(HWND h) {
    wchar_t text[256] = L"";
    GetClassNameW(h, text, 256);
    return text;
}

wstring textOf(HWND h) {  // "" if its thread hangs
    wchar_t text[4096] = L"";
    SendMessageTimeoutW(h, WM_GETTEXT, 4096, (LPARAM)text, SMTO_ABORTIFHUNG, 3000, 0);
    return text;
}

BOOL CALLBACK collect(HWND h, LPARAM found) {
    ((Hwnds*)found)->push_back(h);
    return TRUE;
}

Hwnds under(HWND parent) {  // every top-level window for none
    Hwnds found;
    parent ? EnumChildWindows(parent, collect, (LPARAM)&found) : EnumWindows(collect, (LPARAM)&found);
    return found;
}

// Top-level windows of a caption (message boxes for none), visible first, by FindWindowEx: far cheaper than reading
// every caption. A message box and the sheet are both #32770 of the program's caption.
Hwnds find(const Args& a, const wchar_t* caption) {
    const wstring type = a.option(L"--class", caption ? L"" : L"#32770");
    Hwnds found, hidden;
    for (HWND h = 0; (h = FindWindowExW(0, h, type.empty() ? 0 : type.c_str(), caption));)
        if (((caption && !a.has(L"--visible")) || IsWindowVisible(h)) && (caption || GetDlgItem(h, 0xFFFF)) &&
            (!a.has(L"--has-tab") || FindWindowExW(h, 0, WC_TABCONTROLW, 0)))
            (IsWindowVisible(h) ? found : hidden).push_back(h);
    found.insert(found.end(), hidden.begin(), hidden.end());
    return found;
}

template <typename Check>
bool waitFor(const Args& a, Check check) {
    for (DWORD start = GetTickCount(); !check(); Sleep(5))
        if (GetTickCount() - start >= a.timeout()) return false;
    return true;
}

HWND gLast;  // "@"

HWND wait(const Args& a, const wchar_t* caption) {
    Hwnds found;
    if (!waitFor(a, [&] { return !(found = find(a, caption)).empty(); })) fail(L"no such window in time");
    return gLast = found[0];
}

bool isCaption(const wstring& name) { return name != L"@" && !iswdigit(name[0]); }
HWND handle(const wstring& name) { return name == L"@" ? gLast : isCaption(name) ? 0 : (HWND)number(name); }

HWND target(const Args& a) {
    const wstring& name = a.at(1);
    if (isCaption(name)) return wait(a, name.c_str());
    if (!IsWindow(handle(name))) fail(L"no window " + name);
    return handle(name);
}

// wait-gone <target>: until no such window is left; for "@" or a handle, until it is gone or, with --visible, hidden.
void waitGone(const Args& a) {
    const wstring& name = a.at(1);
    const HWND h = handle(name);
    if (!waitFor(a, [&] {
            return isCaption(name) ? find(a, name.c_str()).empty()
                                   : !IsWindow(h) || (a.has(L"--visible") && !IsWindowVisible(h));
        }))
        fail(name + L" still there");
}

// The control a user reaches: visible and enabled first (a sheet's pages share ids), a dialog's own before a part
// of another control (a date-time picker's up-down and the file dialog's list carry id 1, as OK).
HWND control(HWND parent, int id) {
    HWND best = 0;
    int bestScore = -1;
    for (HWND c : under(parent)) {
        if (GetDlgCtrlID(c) != id) continue;  // first: each other look asks the server
        int score = !!IsWindowVisible(c) * 2 + !!IsWindowEnabled(c) + (cls(GetParent(c)) == L"#32770") * 4;
        if (score > bestScore) best = c, bestScore = score;
    }
    if (!best) fail(L"no control " + num(id) + L" in " + num(parent));
    return best;
}

HWND control(const Args& a) { return control(target(a), (int)a.n(2)); }

LRESULT ask(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(h, msg, wp, lp, SMTO_NORMAL, 10000, &result))  // a loaded machine stalls
        fail(L"window " + num(h) + L" did not answer message " + num(msg));
    return (LRESULT)result;
}

void tell(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (!PostMessageW(h, msg, wp, lp)) fail(L"cannot post to " + num(h) + L": " + num(GetLastError()));
}

// Memory in a window's process for messages that point at an item, copied in and back; a text goes behind it.
struct Remote {
    HANDLE process;
    char* base;
    explicit Remote(HWND owner) {
        process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, 0, pidOf(owner));
        base = process ? (char*)VirtualAllocEx(process, 0, 8192, MEM_COMMIT, PAGE_READWRITE) : 0;
        if (!base) fail(L"cannot reach into process " + num(pidOf(owner)));
    }
    ~Remote() {
        VirtualFreeEx(process, base, 0, MEM_RELEASE);
        CloseHandle(process);
    }
    template <typename Item>
    LRESULT send(HWND to, UINT msg, WPARAM wp, Item& item) {
        WriteProcessMemory(process, base, &item, sizeof item, 0);
        LRESULT result = ask(to, msg, wp, (LPARAM)base);
        ReadProcessMemory(process, base, &item, sizeof item, 0);
        return result;
    }
    template <typename Item>
    wstring text(HWND to, UINT msg, WPARAM wp, Item& item) {
        wchar_t text[1024] = L"";
        WriteProcessMemory(process, item.pszText = (LPWSTR)(base + sizeof item), text, 2, 0);
        item.cchTextMax = 1023;
        send(to, msg, wp, item);
        ReadProcessMemory(process, item.pszText, text, sizeof text - 2, 0);
        return text;
    }
};

// texts [target [id]]: "id class visible enabled hwnd parent text" of each control under it (every top-level
// window without one; with an id, the control a user reaches).
void texts(const Args& a) {
    for (HWND h : a.count() > 2 ? Hwnds{control(a)} : under(a.count() > 1 ? target(a) : 0))
        line(num(GetDlgCtrlID(h)) + L"\t" + cls(h) + L"\t" + num(!!IsWindowVisible(h)) + L"\t" +
             num(!!IsWindowEnabled(h)) + L"\t" + num(h) + L"\t" + num(GetParent(h)) + L"\t" + escape(textOf(h)));
}

// click <target> <id>: posted, as a modal dialog it opens must not hold the driver; refused if hidden or disabled.
void click(const Args& a) {
    HWND button = control(a);
    if (!IsWindowVisible(button) || !IsWindowEnabled(button)) fail(L"control " + a.at(2) + L" hidden or disabled");
    tell(button, BM_CLICK, 0, 0);
}

// msgbox [button]: the text of the visible message box, then a click on that button.
void msgbox(const Args& a) {
    HWND box = wait(a, 0);
    line(escape(textOf(GetDlgItem(box, 0xFFFF))));
    if (a.count() > 1) tell(control(box, (int)a.n(1)), BM_CLICK, 0, 0);
}

// post <target> <message> <wparam> <lparam> [--send]: --send prints the answer.
void post(const Args& a) {
    HWND h = target(a);
    if (a.has(L"--send")) line(num(ask(h, (UINT)a.n(2), (WPARAM)a.n(3), (LPARAM)a.n(4))));
    else tell(h, (UINT)a.n(2), (WPARAM)a.n(3), (LPARAM)a.n(4));
}

// rows <target> <id> [--header]: "selected\tcell\t..." of each item of a tab control, list view, combo or list box;
// with --header, "title\twidth\talignment" of each list view column.
void rows(const Args& a) {
    static const wchar_t* const kTypes[] = {WC_TABCONTROLW, WC_LISTVIEWW, L"ComboBox", L"ListBox"};
    static const UINT kCount[] = {TCM_GETITEMCOUNT, LVM_GETITEMCOUNT, CB_GETCOUNT, LB_GETCOUNT},
                      kCurrent[] = {TCM_GETCURSEL, WM_NULL, CB_GETCURSEL, LB_GETCURSEL};
    HWND list = control(a);
    const int kind = int(std::find(kTypes, kTypes + 4, cls(list)) - kTypes);
    if (kind == 4) fail(L"control " + a.at(2) + L" is a " + cls(list));
    Remote remote(list);
    HWND header = kind == 1 ? (HWND)ask(list, LVM_GETHEADER, 0, 0) : 0;
    const int columns = header ? std::max(1, (int)ask(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
    for (int column = 0; a.has(L"--header") && column < columns; ++column) {
        HDITEMW item = {};
        item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
        wstring title = escape(remote.text(header, HDM_GETITEMW, column, item));
        int align = item.fmt & HDF_JUSTIFYMASK;
        line(title + L"\t" + num(item.cxy) + (align == HDF_CENTER ? L"\tcenter" : align ? L"\tright" : L"\tleft"));
    }
    const int current = (int)ask(list, kCurrent[kind], 0, 0), count = (int)ask(list, kCount[kind], 0, 0);
    for (int row = 0; row < count && !a.has(L"--header"); ++row) {
        wstring out = num(kind == 1 ? ask(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) != 0 : row == current);
        for (int column = 0; column < columns; ++column) {
            TCITEMW tab = {};
            LVITEMW item = {};
            tab.mask = TCIF_TEXT, item.iSubItem = column;
            wchar_t text[4096] = L"";  // a list or combo box's, marshalled
            if (kind > 1) ask(list, kind == 2 ? CB_GETLBTEXT : LB_GETTEXT, row, (LPARAM)text);
            out += L"\t" + escape(kind == 0   ? remote.text(list, TCM_GETITEMW, row, tab)
                                  : kind == 1 ? remote.text(list, LVM_GETITEMTEXTW, row, item) : text);
        }
        line(out);
    }
}

// date <target> <id> <year> <month> <day> <hour> <minute> <second>: sets a date-time picker, its owner not told.
void date(const Args& a) {
    HWND picker = control(a);
    SYSTEMTIME t = {(WORD)a.n(3), (WORD)a.n(4), 0, (WORD)a.n(5), (WORD)a.n(6), (WORD)a.n(7), (WORD)a.n(8), 0};
    if (!Remote(picker).send(picker, DTM_SETSYSTEMTIME, GDT_VALID, t)) fail(L"the control refused the date");
}

wstring rect(const RECT& r) { return num(r.left) + L" " + num(r.top) + L" " + num(r.right) + L" " + num(r.bottom); }

// window <target>: "topmost minimized left top right bottom focus clip-left top right bottom", focus the class of
// the control with the keyboard focus in the window's thread ("-" for none).
void window(const Args& a) {
    HWND h = target(a);
    RECT r, clip;
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetWindowRect(h, &r);
    GetClipCursor(&clip);
    bool focus = GetGUIThreadInfo(GetWindowThreadProcessId(h, 0), &info) && info.hwndFocus;
    line(num(!!(GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOPMOST)) + L" " + num(!!IsIconic(h)) + L" " + rect(r) + L" " +
         (focus ? cls(info.hwndFocus) : L"-") + L" " + rect(clip));
}

// key <key>...: each (a letter, a digit or a virtual-key code) pressed and released where input hooks see it.
void key(const Args& a) {
    std::vector<INPUT> inputs(2 * (a.count() - 1));
    for (size_t i = 0; i < inputs.size(); ++i) {
        const wstring& name = a.w[1 + i / 2];
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = (WORD)(name.size() == 1 && iswalnum(name[0]) ? towupper(name[0]) : number(name));
        inputs[i].ki.dwFlags = i % 2 ? KEYEVENTF_KEYUP : 0;
    }
    if (inputs.empty() || SendInput((UINT)inputs.size(), inputs.data(), sizeof(INPUT)) != inputs.size())
        fail(L"SendInput failed");
}

template <typename Fn>
Fn ntdll(const char* name) { return (Fn)(void*)GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name); }

// objects <target>: "<gdi> <handles> <windows>" of its process as Wine can count them (GetGuiResources and
// GetProcessHandleCount answer nothing): used cells of its GDI handle table (65536 of 24 bytes, byte 14 the type;
// its environment block points to it), its entries in the system's handle list (a count padded to a pointer, then
// owner id, 4 bytes, address, 4 bytes of rights), and for the uncounted USER objects its windows.
void objects(const Args& a) {
    const DWORD pid = pidOf(target(a));
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, 0, pid);
    ULONG_PTR basic[6] = {};  // PROCESS_BASIC_INFORMATION, the environment block second
    PVOID table = 0;
    std::vector<BYTE> cells(0x10000 * 24), list(1 << 16);
    const SIZE_T entry = 8 + 2 * sizeof(void*), field = sizeof(void*) == 8 ? 0xF8 : 0x94;
    bool read = ntdll<LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG)>("NtQueryInformationProcess")(
                    process, 0, basic, sizeof basic, 0) >= 0 &&
                ReadProcessMemory(process, (char*)basic[1] + field, &table, sizeof table, 0) &&
                ReadProcessMemory(process, table, cells.data(), cells.size(), 0);
    CloseHandle(process);
    auto querySystem = ntdll<LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG)>("NtQuerySystemInformation");
    LONG status;
    for (ULONG needed = 0; (status = querySystem(16, list.data(), (ULONG)list.size(), &needed)) == (LONG)0xC0000004;)
        list.resize(std::max<size_t>(list.size() * 2, needed + 4096));  // it grew meanwhile
    if (!read || status < 0) fail(L"cannot count the objects of process " + num(pid));
    long long gdi = 0, handles = 0, windows = 0;
    for (size_t i = 14; i < cells.size(); i += 24) gdi += cells[i] != 0;
    for (size_t i = 0; i < std::min<size_t>(*(ULONG*)list.data(), list.size() / entry - 1); ++i)
        handles += *(ULONG*)(list.data() + sizeof(void*) + i * entry) == pid;
    for (HWND h : under(0)) windows += pidOf(h) == pid ? 1 + under(h).size() : 0;
    line(num(gdi) + L" " + num(handles) + L" " + num(windows));
}

// reg <HKCU|HKLM> <path> <value> [<REG_DWORD|REG_SZ> <data>]: "REG_DWORD\t<decimal>" or "REG_SZ\t<text>", set first.
void reg(const Args& a) {
    HKEY root = a.at(1) == L"HKCU" ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    const wchar_t *path = a.at(2).c_str(), *name = a.at(3).c_str();
    if (a.count() > 4) {
        const bool dword = a.at(4) == L"REG_DWORD";
        const DWORD number = dword ? (DWORD)a.n(5) : 0;
        HKEY key;
        if (RegCreateKeyExW(root, path, 0, 0, 0, KEY_SET_VALUE, 0, &key, 0)) fail(L"no key " + a.at(2));
        RegSetValueExW(key, name, 0, dword ? REG_DWORD : REG_SZ, dword ? (BYTE*)&number : (BYTE*)a.at(5).c_str(),
                       dword ? 4 : 2 + 2 * a.at(5).size());
        RegCloseKey(key);
    }
    DWORD type = 0, size = 65534;
    std::vector<wchar_t> data(32768, 0);
    if (RegGetValueW(root, path, name, RRF_RT_ANY | RRF_NOEXPAND, &type, data.data(), &size))
        fail(L"no value " + a.at(3));
    line(type == REG_DWORD ? L"REG_DWORD\t" + num(*(DWORD*)data.data()) : L"REG_SZ\t" + escape(data.data()));
}

const std::map<wstring, void (*)(const Args&)> kCommands = {  // wait-window <caption>: the window's handle, once there
    {L"wait-window", [](const Args& a) { line(num(target(a))); }}, {L"wait-gone", waitGone}, {L"texts", texts},
    {L"click", click}, {L"msgbox", msgbox}, {L"post", post}, {L"rows", rows}, {L"date", date}, {L"window", window},
    {L"key", key}, {L"objects", objects}, {L"reg", reg}, {L"set-text", [](const Args& a) {  // <target> <id> <text>
         if (!ask(control(a), WM_SETTEXT, 0, (LPARAM)a.at(3).c_str())) fail(L"the control refused the text");
     }}};

wstring run(const Args& a) {  // the failure, "" if done
    try {
        auto command = kCommands.find(a.at(0));
        if (command == kCommands.end()) fail(L"unknown command " + a.w[0]);
        command->second(a);
        return L"";
    } catch (const wstring& failure) {
        return failure;
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1) {
        wstring failure = run(Args{std::vector<wstring>(argv + 1, argv + argc)});
        if (!failure.empty()) put(STD_ERROR_HANDLE, L"kdriver: " + failure + L"\n");
        return !failure.empty();
    }
    for (std::string input; std::getline(std::cin, input);) {
        const int size = (int)input.size();
        wstring request(size, L'\0');
        request.resize(MultiByteToWideChar(CP_UTF8, 0, input.data(), size, &request[0], size));
        Args args{std::vector<wstring>(1)};
        for (wchar_t c : request) c == L'\t' ? args.w.emplace_back() : args.w.back() += c;
        wstring failure = run(args);
        line(L"\x1e" + num(!failure.empty()) + L"\t" + escape(failure));
    }
    return 0;
}
