// Tests of the Win32 backend, run under Wine: text conversion, registry, files and the system services,
// then a real dialog and a real property sheet driven from their own timers. Prints one line per failed
// check and a summary; exits with 1 when a check failed.
#include "platform/win32/Backend.h"

#include <cstdio>
#include <string>
#include <vector>

#include "BackendTestRes.h"

namespace {

int g_checks = 0;
int g_failures = 0;

void Check(bool ok, const char* what, int line) {
    ++g_checks;
    if (ok) return;
    ++g_failures;
    std::printf("FAILED line %d: %s\n", line, what);
    std::fflush(stdout);
}

#define CHECK(cond) Check((cond), #cond, __LINE__)

std::wstring CurrentDirectoryW() {
    wchar_t buffer[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, buffer);
    return buffer;
}

// ---- text, registry, files, system ----

void TestText() {
    using kp::win32::Narrow;
    using kp::win32::Wide;
    CHECK(Wide("中文Kestor") == L"\u4e2d\u6587Kestor");
    CHECK(Narrow(L"\u4e2d\u6587Kestor") == "中文Kestor");
    CHECK(Wide("").empty() && Narrow(std::wstring()).empty());
    // A lead byte without its trail byte is not a character; it must convert to something, not crash.
    CHECK(!Wide("a\x81").empty());
}

void TestRegistry(kp::IRegistry& reg) {
    const char* path = "Software\\KestorBackendTest";
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\KestorBackendTest");
    CHECK(reg.Open(kp::Hive::CurrentUser, path, kp::Access::Read) == 0);

    const kp::RegKey key = reg.Create(kp::Hive::CurrentUser, path, kp::Access::Write);
    CHECK(key != 0);
    std::string text;
    uint32_t number = 0;

    // The size rule counts GBK bytes: "中文值" is 6 bytes and needs a buffer of 7.
    CHECK(reg.SetString(key, "名字", "中文值"));
    CHECK(reg.QueryString(key, "名字", text, 7) && text == "中文值");
    text = "unchanged";
    CHECK(!reg.QueryString(key, "名字", text, 6) && text == "unchanged");
    // Stored as UTF-16, readable by any W program.
    wchar_t raw[16] = {};
    DWORD type = 0, size = sizeof raw;
    CHECK(RegQueryValueExW(reinterpret_cast<HKEY>(key), L"\u540d\u5b57", nullptr, &type,
                           reinterpret_cast<BYTE*>(raw), &size) == ERROR_SUCCESS);
    CHECK(type == REG_SZ && std::wstring(raw) == L"\u4e2d\u6587\u503c");

    const std::string longText(200, 'a');
    CHECK(reg.SetString(key, "long", longText));
    CHECK(!reg.QueryString(key, "long", text, 128));
    CHECK(reg.QueryString(key, "long", text, 201) && text == longText);

    CHECK(reg.SetDword(key, "n", 0x01020304));
    CHECK(reg.QueryDword(key, "n", number) && number == 0x01020304);
    CHECK(!reg.QueryDword(key, "名字", number));
    CHECK(!reg.QueryString(key, "n", text, 64));
    const BYTE binary[4] = {1, 2, 3, 4};
    RegSetValueExW(reinterpret_cast<HKEY>(key), L"bin", 0, REG_BINARY, binary, sizeof binary);
    CHECK(!reg.QueryDword(key, "bin", number));
    CHECK(!reg.QueryString(key, "bin", text, 64));
    RegSetValueExW(reinterpret_cast<HKEY>(key), L"expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(L"ab"), 6);
    CHECK(!reg.QueryString(key, "expand", text, 64));

    CHECK(reg.DeleteValue(key, "名字"));
    CHECK(!reg.QueryString(key, "名字", text, 64));
    CHECK(!reg.DeleteValue(key, "名字"));
    reg.Close(key);

    const kp::RegKey readOnly = reg.Open(kp::Hive::CurrentUser, path, kp::Access::Read);
    CHECK(readOnly != 0);
    CHECK(reg.QueryDword(readOnly, "n", number));
    CHECK(!reg.SetDword(readOnly, "n", 5));
    reg.Close(readOnly);
    for (const wchar_t* name : {L"long", L"n", L"bin", L"expand"}) {
        HKEY k = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\KestorBackendTest", 0, KEY_ALL_ACCESS, &k) == 0) {
            RegDeleteValueW(k, name);
            RegCloseKey(k);
        }
    }
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\KestorBackendTest");
}

int FilesIn(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return count;
}

void TestFiles(kp::IFiles& files) {
    const std::wstring folderW = CurrentDirectoryW() + L"\\bt_files";
    CreateDirectoryW(folderW.c_str(), nullptr);
    const std::string folder = kp::win32::Narrow(folderW);
    const std::string path = folder + "\\列表.ini";
    const std::string bytes("a\r\nb\0c\n", 7);

    CHECK(!files.Exists(path));
    CHECK(files.WriteReplace(path, bytes));
    CHECK(files.Exists(path));
    std::string read;
    CHECK(files.Read(path, read, 1024) && read == bytes);
    // Replacing with a shorter content leaves nothing of the old one, and no temporary file behind.
    CHECK(files.WriteReplace(path, "xy"));
    CHECK(files.Read(path, read, 1024) && read == "xy");
    CHECK(FilesIn(folderW) == 1);
    CHECK(files.WriteReplace(path, ""));
    CHECK(files.Read(path, read, 1024) && read.empty());

    CHECK(files.WriteReplace(path, std::string(100000, 'z')));
    CHECK(files.Read(path, read, 3) && read == "zzz");
    CHECK(files.Read(path, read, 1 << 20) && read.size() == 100000);

    CHECK(!files.Read(folder + "\\missing.ini", read, 10));
    CHECK(!files.WriteReplace(folder + "\\no such folder\\x.ini", "x"));
    CHECK(!files.Read(folder, read, 10));  // a folder is not a file

    DeleteFileW((folderW + L"\\\u5217\u8868.ini").c_str());
    RemoveDirectoryW(folderW.c_str());
}

void TestSystem(kp::ISystem& system, kp::IClock& clock) {
    const std::string app = system.AppName();
    const std::string module = system.ModulePath();
    CHECK(!app.empty() && app.find('.') == std::string::npos && app.find('\\') == std::string::npos);
    CHECK(module.size() > app.size() + 4 &&
          lstrcmpiA(module.substr(module.size() - app.size() - 5).c_str(), ("\\" + app + ".exe").c_str()) == 0);
    CHECK(system.CurrentDirectory() == kp::win32::Narrow(CurrentDirectoryW()));

    bool existed = true;
    CHECK(system.CreateNamedMutex("kestor-backend-test", existed) && !existed);
    CHECK(system.CreateNamedMutex("kestor-backend-test", existed) && existed);

    std::string name;
    CHECK(system.UserName(name) && !name.empty());
    CHECK(system.ComputerName(name) && !name.empty());

    const kp::SysTime local = clock.LocalTime();
    CHECK(local.wYear >= 2000 && local.wMonth >= 1 && local.wMonth <= 12);
    const uint32_t before = clock.TickCount();
    Sleep(200);
    CHECK(clock.TickCount() - before >= 100);
}

// ---- processes ----

// The snapshot's entry of this identifier, or null.
const kp::ProcessEntry* FindProcess(const std::vector<kp::ProcessEntry>& entries, uint32_t id) {
    for (const kp::ProcessEntry& e : entries)
        if (e.id == id) return &e;
    return nullptr;
}

void TestProcesses(kp::IProcesses& processes, kp::ISystem& system) {
    std::vector<kp::ProcessEntry> entries;
    CHECK(processes.Snapshot(entries) == kp::SnapshotStatus::Ok);
    const kp::ProcessEntry* self = FindProcess(entries, GetCurrentProcessId());
    CHECK(self && self->exeFile == "kbackend_tests.exe" && self->threads >= 1);
    int count = 0;
    CHECK(processes.Count(count) == kp::SnapshotStatus::Ok);
    CHECK(count > 0 && count + 3 >= static_cast<int>(entries.size()) && count <= static_cast<int>(entries.size()) + 3);

    const kp::ProcessHandle own = processes.OpenToEnd(GetCurrentProcessId());
    CHECK(own != 0);
    processes.Close(own);
    CHECK(processes.OpenToEnd(0xFFFFFFF0) == 0);

    // Failures come back as WinExec reports them.
    const std::string dir = system.SystemDirectory();
    CHECK(processes.Start(dir + "\\no-such-program.exe") == 2);
    const unsigned noFolder = processes.Start("C:\\no\\such\\folder\\x.exe");
    CHECK(noFolder == 2 || noFolder == 3);
    const std::string notAProgram = kp::win32::Narrow(CurrentDirectoryW()) + "\\not-a-program.exe";
    {
        HANDLE f = CreateFileW(kp::win32::Wide(notAProgram).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(f, "plain text\r\n", 12, &written, nullptr);
        CloseHandle(f);
    }
    CHECK(processes.Start(notAProgram) == 11);
    DeleteFileW(kp::win32::Wide(notAProgram).c_str());

    // A program started by its full path runs as our child until it is ended.
    CHECK(processes.Start(dir + "\\notepad.exe") > 31);
    uint32_t child = 0;
    processes.Snapshot(entries);
    for (const kp::ProcessEntry& e : entries)
        if (e.parentId == GetCurrentProcessId() && e.exeFile == "notepad.exe") child = e.id;
    CHECK(child != 0);
    const kp::ProcessHandle handle = child ? processes.OpenToEnd(child) : 0;
    CHECK(handle != 0 && processes.Terminate(handle, 0));
    processes.Close(handle);
    bool gone = false;
    for (int i = 0; i < 100 && !gone; ++i) {  // the end is asynchronous: up to 5 s
        processes.Snapshot(entries);
        gone = !FindProcess(entries, child);
        if (!gone) Sleep(50);
    }
    CHECK(gone);
}

// ---- the music page's services: folder listings, media, version, time since start ----

void TestFolders(kp::IFiles& files) {
    const std::wstring folderW = CurrentDirectoryW() + L"\\bt_music";
    CreateDirectoryW(folderW.c_str(), nullptr);
    CreateDirectoryW((folderW + L"\\\u6b4c").c_str(), nullptr);
    const std::string folder = kp::win32::Narrow(folderW);
    CHECK(files.WriteReplace(folder + "\\a.MP3", "x"));
    std::vector<kp::FolderEntry> entries;
    CHECK(files.ListFolder(folder, entries) && entries.size() == 2);
    int found = 0;
    for (const kp::FolderEntry& e : entries) {
        if (e.name == "a.MP3" && !e.folder && !e.reparsePoint) ++found;
        if (e.name == "歌" && e.folder && !e.reparsePoint) ++found;
    }
    CHECK(found == 2);  // "." and ".." are left out
    CHECK(files.ListFolder(folder + "\\", entries) && entries.size() == 2);
    CHECK(files.ListFolder(folder + "\\歌", entries) && entries.empty());
    CHECK(!files.ListFolder(folder + "\\missing", entries));
    DeleteFileW((folderW + L"\\a.MP3").c_str());
    RemoveDirectoryW((folderW + L"\\\u6b4c").c_str());
    RemoveDirectoryW(folderW.c_str());
}

// bt_tone.mp3, a one-second tone, is put into the current directory by the runner (tests/e2e/test_backend.py).
void TestMedia(kp::IMedia& media) {
    const std::string path = kp::win32::Narrow(CurrentDirectoryW()) + "\\bt_tone.mp3";
    uint32_t id = 0, mode = 0;
    CHECK(!media.Open(path + ".missing", id));
    CHECK(media.Open(path, id) && id != 0);
    CHECK(media.Mode(id, mode) && mode == MCI_MODE_STOP);
    CHECK(media.Play(id));
    CHECK(media.Mode(id, mode) && mode == MCI_MODE_PLAY);
    // It ends by itself; the poll sees the mode leave "playing".
    for (int i = 0; i < 100 && media.Mode(id, mode) && mode == MCI_MODE_PLAY; ++i) Sleep(100);
    CHECK(media.Mode(id, mode) && mode != MCI_MODE_PLAY);
    CHECK(media.Close(id));
    CHECK(!media.Mode(id, mode));
    CHECK(!media.Mode(0, mode) && !media.Close(0));
}

void TestVersionAndUptime(kp::ISystem& system, kp::IClock& clock) {
    CHECK(system.Version() == GetVersion());
    const uint64_t since = clock.MsSinceStart();
    CHECK(static_cast<uint32_t>(since) - clock.TickCount() < 1000u);
}

// ---- a dialog with every kind of control ----

COLORREF PaintedPixel(HWND control, int x, int y) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 64, 64);
    HGDIOBJ old = SelectObject(dc, canvas);
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    const COLORREF pixel = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(canvas);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixel;
}

class ProbeDialog : public kp::Dialog {
public:
    ProbeDialog() : Dialog(IDD_PROBE) {}
    int ticks = 0;
    int pushes = 0;
    int colourChanges = 0;
    std::vector<unsigned> messages;
    bool destroyed = false;

    bool OnInitDialog() override {
        kp::IWindow& w = *Window();
        TestControls(w);
        w.SetTimer(100001, 50);
        return true;
    }

    void OnTimer(unsigned id) override {
        if (id != 100001) return;
        HWND self = reinterpret_cast<HWND>(Window()->Ref());
        if (++ticks == 1) {
            Window()->SetTimer(100001, 50);  // setting an armed timer again restarts it
            PostMessageW(GetDlgItem(self, IDC_PUSH), BM_CLICK, 0, 0);
            kp::TheOs().ui->PostMessage(*this, WM_USER + 5, 7, 9);
            return;
        }
        Window()->KillTimer(100001);
        // A top-level window hears of a colour change and tells its controls.
        SendMessageW(self, WM_SYSCOLORCHANGE, 0, 0);
        CHECK(colourChanges == 1);
        // A private message sent to the main window comes back with the handler's result.
        kp::TheOs().ui->SetMainWindow(this);
        CHECK(kp::TheOs().ui->SendToMain(WM_USER + 6, 0, 0) == 42);
        kp::TheOs().ui->SetMainWindow(nullptr);
        EndDialog(77);
    }

    bool OnCommand(int id, int code) override {
        if (id == IDC_PUSH && code == BN_CLICKED) {
            ++pushes;
            return true;
        }
        return Dialog::OnCommand(id, code);
    }

    bool OnMessage(unsigned msg, uintptr_t wp, intptr_t lp, intptr_t& result) override {
        if (msg != WM_USER + 5 && msg != WM_USER + 6) return false;
        if (msg == WM_USER + 5) CHECK(wp == 7 && lp == 9);
        messages.push_back(msg);
        result = 42;
        return true;
    }

    void OnDestroy() override { destroyed = true; }
    void OnSysColorChange() override { ++colourChanges; }

private:
    static void TestControls(kp::IWindow& w) {
        w.SetText(IDC_EDIT, "中文");
        CHECK(w.GetText(IDC_EDIT) == "中文");
        CHECK(w.GetText(0) == "探针");
        w.SetCheck(IDC_CHECK, 1);
        CHECK(w.GetCheck(IDC_CHECK) == 1);
        w.EnableControl(IDC_PUSH, false);
        CHECK(!w.IsControlEnabled(IDC_PUSH));
        w.EnableControl(IDC_PUSH, true);
        CHECK(w.IsControlEnabled(IDC_PUSH));
        CHECK(!w.IsControlEnabled(4242));

        kp::IListView& list = w.ListView(IDC_LIST);
        list.InsertColumn(0, "时间", 80, kp::ColumnAlign::Center);
        list.InsertColumn(1, "信息", 70, kp::ColumnAlign::Right);
        {
            // The leftmost column keeps the centring asked for, with its title and width.
            HWND control = GetDlgItem(reinterpret_cast<HWND>(w.Ref()), IDC_LIST);
            CHECK(Header_GetItemCount(ListView_GetHeader(control)) == 2);
            wchar_t title[16] = L"";
            LVCOLUMNW column{};
            column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
            column.pszText = title;
            column.cchTextMax = 16;
            CHECK(ListView_GetColumn(control, 0, &column) && (column.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER &&
                  column.cx == 80 && kp::win32::Narrow(title) == "时间");
            column.pszText = title;
            CHECK(ListView_GetColumn(control, 1, &column) && (column.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT &&
                  column.cx == 70 && kp::win32::Narrow(title) == "信息");
        }
        // The control sorts by the first column whatever index is asked for.
        list.InsertItem(0, "b");
        list.InsertItem(0, "a");
        list.InsertItem(9, "c");
        CHECK(list.GetItemCount() == 3);
        CHECK(list.GetItemText(0, 0) == "a" && list.GetItemText(1, 0) == "b" && list.GetItemText(2, 0) == "c");
        CHECK(list.SetItemText(1, 1, "第二列"));
        CHECK(list.GetItemText(1, 1) == "第二列");
        const std::string longText(1000, 'x');
        CHECK(list.SetItemText(2, 1, longText) && list.GetItemText(2, 1) == longText);
        CHECK(list.SetItemData(1, 0xDEADBEEF) && list.GetItemData(1) == 0xDEADBEEF);
        CHECK(list.GetItemData(0) == 0);
        list.SetSelected(1, true);
        CHECK(list.GetNextSelected(-1) == 1 && list.GetNextSelected(1) == -1);
        list.SetSelected(1, false);
        CHECK(list.GetNextSelected(-1) == -1);
        CHECK(list.DeleteItem(0) && list.GetItemCount() == 2 && list.GetItemText(0, 0) == "b");
        list.DeleteAllItems();
        CHECK(list.GetItemCount() == 0);

        kp::IListBox& box = w.ListBox(IDC_LISTBOX);
        CHECK(box.AddString("乙") == 0);
        CHECK(box.InsertString(0, "甲") == 0);
        CHECK(box.InsertString(-1, "丙") == 2);
        CHECK(box.GetCount() == 3 && box.GetText(0) == "甲" && box.GetText(2) == "丙");
        CHECK(box.GetCurSel() == -1);
        box.SetCurSel(1);
        CHECK(box.GetCurSel() == 1);
        CHECK(box.DeleteString(0) && box.GetCount() == 2 && !box.DeleteString(5));
        CHECK(box.GetText(7).empty());
        box.ResetContent();
        CHECK(box.GetCount() == 0);

        kp::ICombo& combo = w.Combo(IDC_COMBO);
        combo.AddString("一小时");
        combo.AddString("两小时");
        combo.SetCurSel(1);
        CHECK(combo.GetCount() == 2 && combo.GetCurSel() == 1 && combo.GetLBText(1) == "两小时");
        combo.ResetContent();
        CHECK(combo.GetCount() == 0 && combo.GetCurSel() == -1);

        kp::IDateTime& date = w.DateTime(IDC_DATE);
        date.SetFormat("yyyy'年'MM'月'dd'日' HH:mm");
        kp::SysTime t;
        t.wYear = 2026;
        t.wMonth = 5;
        t.wDay = 5;
        t.wHour = 9;
        t.wMinute = 4;
        date.SetTime(t);
        const kp::SysTime got = date.GetTime();
        CHECK(got.wYear == 2026 && got.wMonth == 5 && got.wDay == 5 && got.wHour == 9 && got.wMinute == 4);

        kp::IUpDown& spin = w.UpDown(IDC_SPIN);
        spin.SetRange(0, 100000);
        spin.SetPos(70000);
        CHECK(spin.GetPos() == 70000);

        // A link static is coloured by its parent; other statics are left to the default colours.
        w.SetLinkStatic(IDC_LINK, true);
        HWND self = reinterpret_cast<HWND>(w.Ref());
        HDC dc = CreateCompatibleDC(nullptr);
        const LRESULT brush = SendMessageW(self, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                           reinterpret_cast<LPARAM>(GetDlgItem(self, IDC_LINK)));
        CHECK(brush == reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
        CHECK(GetTextColor(dc) == RGB(0, 0, 233) && GetBkMode(dc) == TRANSPARENT);
        const LRESULT plain = SendMessageW(self, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                           reinterpret_cast<LPARAM>(GetDlgItem(self, IDC_PLAIN)));
        CHECK(plain != reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
        DeleteDC(dc);

        // The bitmap covers the control; without one, the button face does; a failed load keeps both.
        CHECK(w.SetStaticBitmap(IDC_BITMAP, IDB_RED));
        CHECK(!w.SetStaticBitmap(IDC_BITMAP, 999));
        CHECK(PaintedPixel(GetDlgItem(self, IDC_BITMAP), 3, 3) == RGB(255, 0, 0));
        CHECK(!w.SetStaticBitmap(IDC_NOBITMAP, 999));
        CHECK(PaintedPixel(GetDlgItem(self, IDC_NOBITMAP), 3, 3) == GetSysColor(COLOR_BTNFACE));
        CHECK(!w.SetStaticBitmap(4242, IDB_RED));

        // An enabled link shows the hand cursor (the program's own, else the system's); a disabled one
        // leaves the cursor to the default handling.
        HWND link = GetDlgItem(self, IDC_LINK);
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        CHECK(SendMessageW(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
        CHECK(GetCursor() == LoadCursorW(nullptr, IDC_HAND));
        w.SetLinkStatic(IDC_LINK, false);
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        SendMessageW(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        CHECK(GetCursor() != LoadCursorW(nullptr, IDC_HAND));

        w.AppendSystemMenuItem(16, kp::TheOs().ui->LoadString(IDS_ABOUT));
        HMENU menu = GetSystemMenu(self, FALSE);
        wchar_t item[64] = {};
        CHECK(GetMenuStringW(menu, 16, item, 64, MF_BYCOMMAND) > 0 &&
              kp::win32::Narrow(item) == "关于 Tovrel(&A)...");
        CHECK(kp::TheOs().ui->LoadString(IDS_ABOUT + 1).empty());
    }
};

void TestDialog() {
    ProbeDialog dialog;
    CHECK(dialog.DoModal() == 77);
    CHECK(dialog.ticks == 2);
    CHECK(dialog.pushes == 1);
    CHECK(dialog.messages.size() == 2 && dialog.messages[0] == WM_USER + 5 && dialog.messages[1] == WM_USER + 6);
    CHECK(dialog.destroyed && !dialog.IsCreated());
}

// ---- a property sheet ----

class Page : public kp::PropertyPage {
public:
    explicit Page(int templateId) : PropertyPage(templateId) {}
    int inits = 0, applies = 0, shows = 0;
    bool destroyed = false;
    bool OnInitDialog() override {
        ++inits;
        return PropertyPage::OnInitDialog();
    }
    bool OnApply() override {
        ++applies;
        return true;
    }
    void OnShowWindow(bool show) override { shows += show ? 1 : 0; }
    void OnDestroy() override { destroyed = true; }
};

class Sheet : public kp::PropertySheet {
public:
    Sheet() : PropertySheet("测试表", 0) {
        AddPage(&a);
        AddPage(&b);
    }
    Page a{IDD_PAGE_A}, b{IDD_PAGE_B};
    int step = 0;
    int okCommands = 0;
    std::vector<unsigned> messages;
    bool boxReturned = false, destroyed = false;

    bool OnInitDialog() override {
        // The first page exists before the sheet's own initialisation runs.
        CHECK(a.IsCreated() && a.inits == 1 && !b.IsCreated());
        CHECK(GetActiveIndex() == 0);
        SetActivePage(1);
        CHECK(b.IsCreated() && b.inits == 1 && GetActiveIndex() == 1);
        SetActivePage(0);
        CHECK(GetActiveIndex() == 0 && a.inits == 1);
        CHECK(Window()->GetText(0) == "测试表");
        SetTimer(1, 50);
        return true;
    }

    void OnTimer(unsigned id) override {
        kp::IWindow& w = *Window();
        HWND self = reinterpret_cast<HWND>(w.Ref());
        if (id == 2) {  // fires inside the message box's loop
            KillTimer(2);
            kp::TheOs().ui->PostQuit(18);
            return;
        }
        switch (++step) {
        case 1:
            CHECK(!w.IsControlEnabled(kp::ID_APPLY_NOW));
            b.SetModified(true);
            CHECK(w.IsControlEnabled(kp::ID_APPLY_NOW));
            PostMessageW(GetDlgItem(self, kp::ID_APPLY_NOW), BM_CLICK, 0, 0);
            break;
        case 2:
            // Only the page marked modified applied, and Apply is off again.
            CHECK(a.applies == 0 && b.applies == 1 && !b.IsModified());
            CHECK(!w.IsControlEnabled(kp::ID_APPLY_NOW));
            // Private messages that share their values with the sheet's own PSM_APPLY and PSM_SETTITLEW
            // reach the handler and nothing else.
            CHECK(SendMessageW(self, WM_USER + 110, 0, 0) == 1);
            CHECK(SendMessageW(self, WM_USER + 120, 0, 0) == 1);
            CHECK(w.GetText(0) == "测试表" && a.applies == 0 && b.applies == 1);
            PostMessageW(GetDlgItem(self, IDOK), BM_CLICK, 0, 0);
            break;
        case 3:
            // OK was handled by the program, so the sheet is still there.
            CHECK(okCommands == 1 && IsCreated() && w.IsVisible());
            KillTimer(1);
            SetTimer(2, 100);
            kp::TheOs().ui->MessageBox("中文消息", MB_OK);
            boxReturned = true;
            break;
        }
    }

    bool OnCommand(int id, int code) override {
        if (id == IDOK && code == BN_CLICKED) {
            ++okCommands;
            return true;
        }
        return false;
    }

    bool OnMessage(unsigned msg, uintptr_t, intptr_t, intptr_t& result) override {
        if (msg != WM_USER + 110 && msg != WM_USER + 120) return false;
        messages.push_back(msg);
        result = 1;
        return true;
    }

    void OnDestroy() override { destroyed = true; }
};

void TestSheet() {
    Sheet sheet;
    sheet.DoModal();
    // The quit message ended the message box and the sheet, and is waiting for the outermost loop.
    MSG quit;
    CHECK(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && quit.wParam == 18);
    CHECK(sheet.step == 3 && sheet.boxReturned);
    CHECK(sheet.messages.size() == 2);
    CHECK(sheet.a.shows >= 1 && sheet.b.shows >= 1);
    CHECK(sheet.destroyed && sheet.a.destroyed && sheet.b.destroyed);
    CHECK(!sheet.IsCreated() && !sheet.a.IsCreated() && !sheet.b.IsCreated());
}

}  // namespace

int main() {
    static kp::win32::Backend backend;
    kp::InstallOs(backend.Services());
    kp::Os& os = kp::TheOs();

    TestText();
    TestRegistry(*os.registry);
    TestFiles(*os.files);
    TestSystem(*os.system, *os.clock);
    TestProcesses(*os.processes, *os.system);
    TestFolders(*os.files);
    TestMedia(*os.media);
    TestVersionAndUptime(*os.system, *os.clock);
    TestDialog();
    TestSheet();

    std::printf("%d checks, %d failed\n", g_checks, g_failures);
    return g_failures == 0 ? 0 : 1;
}
