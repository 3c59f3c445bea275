// Modal runs, the property sheet, message boxes, menus and messages.
#include <vector>

#include "platform/win32/NativeWindow.h"
#include "platform/win32/Services.h"

namespace kp::win32 {

namespace {

// The sheet that PropertySheetW is about to create, and the hook that catches its creation. One thread
// runs the program, so plain statics do.
PropertySheet* g_pendingSheet = nullptr;
HHOOK g_sheetHook = nullptr;

bool IsDialogClass(HWND hwnd) {
    wchar_t name[16] = {};
    return GetClassNameW(hwnd, name, 16) > 0 && lstrcmpW(name, L"#32770") == 0;
}

// Takes over the sheet window the moment it exists, so that its procedure sees WM_INITDIALOG: the first
// top-level dialog window created inside PropertySheetW is the sheet (its pages are child windows).
LRESULT CALLBACK SheetCreationHook(int code, WPARAM wp, LPARAM lp) {
    const LRESULT next = CallNextHookEx(g_sheetHook, code, wp, lp);
    if (code == HCBT_CREATEWND && g_pendingSheet) {
        HWND hwnd = reinterpret_cast<HWND>(wp);
        const CREATESTRUCTW* create = reinterpret_cast<const CBT_CREATEWNDW*>(lp)->lpcs;
        if (!(create->style & WS_CHILD) && IsDialogClass(hwnd)) {
            NativeWindow::Attach(hwnd, *g_pendingSheet, WindowKind::Sheet);
            g_pendingSheet = nullptr;
            UnhookWindowsHookEx(g_sheetHook);
            g_sheetHook = nullptr;
        }
    }
    return next;
}

}  // namespace

HWND HandleOf(const Wnd& wnd) {
    auto* window = static_cast<NativeWindow*>(wnd.Window());
    return window ? window->Handle() : nullptr;
}

HWND Ui::ModalOwner() const {
    // The main window (or the popup of it that was active last, so that a box opened over a dialog stays
    // above that dialog), whether shown or hidden: an owned window always stays above its topmost owner,
    // and a hidden owner does not hide it. Before the main window exists, the thread's active window.
    if (m_main)
        if (HWND main = HandleOf(*m_main)) return GetLastActivePopup(main);
    return GetActiveWindow();
}

int Ui::RunModal(Dialog& dialog) {
    return static_cast<int>(DialogBoxParamW(Instance(), MAKEINTRESOURCEW(dialog.TemplateId()), ModalOwner(),
                                            DialogProc, reinterpret_cast<LPARAM>(&dialog)));
}

int Ui::RunSheet(PropertySheet& sheet) {
    std::vector<PROPSHEETPAGEW> pages(static_cast<size_t>(sheet.GetPageCount()));
    for (int i = 0; i < sheet.GetPageCount(); ++i) {
        PROPSHEETPAGEW& page = pages[static_cast<size_t>(i)];
        page = PROPSHEETPAGEW{};
        page.dwSize = sizeof page;  // the sheet steps through the array by dwSize
        page.dwFlags = PSP_DEFAULT;
        page.hInstance = Instance();
        page.pszTemplate = MAKEINTRESOURCEW(sheet.GetPage(i)->TemplateId());
        page.pfnDlgProc = PageProc;
        page.lParam = reinterpret_cast<LPARAM>(sheet.GetPage(i));
    }
    const std::wstring caption = Wide(sheet.Caption());
    PROPSHEETHEADERW header{};
    header.dwSize = PROPSHEETHEADERW_V1_SIZE;
    header.dwFlags = PSH_PROPSHEETPAGE;
    header.hInstance = Instance();
    if (sheet.IconResource()) {
        header.dwFlags |= PSH_USEHICON;
        header.hIcon = LoadIconW(Instance(), MAKEINTRESOURCEW(sheet.IconResource()));
    }
    header.pszCaption = caption.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.nStartPage = static_cast<UINT>(sheet.StartPage());
    header.ppsp = pages.data();

    g_pendingSheet = &sheet;
    g_sheetHook = SetWindowsHookExW(WH_CBT, SheetCreationHook, nullptr, GetCurrentThreadId());
    const INT_PTR result = PropertySheetW(&header);
    if (g_sheetHook) UnhookWindowsHookEx(g_sheetHook);
    g_sheetHook = nullptr;
    g_pendingSheet = nullptr;
    return static_cast<int>(result);
}

int Ui::MessageBox(const std::string& text, unsigned type) {
    return MessageBoxW(ModalOwner(), Wide(text).c_str(), Wide(m_system.AppName()).c_str(), type);
}

intptr_t Ui::SendToMain(unsigned msg, uintptr_t wp, intptr_t lp) {
    HWND main = m_main ? HandleOf(*m_main) : nullptr;
    return main ? SendMessageW(main, msg, wp, lp) : 0;
}

void Ui::PostMessage(Wnd& wnd, unsigned msg, uintptr_t wp, intptr_t lp) {
    if (HWND hwnd = HandleOf(wnd)) PostMessageW(hwnd, msg, wp, lp);
}

void Ui::PostQuit(int exitCode) { PostQuitMessage(exitCode); }

std::string Ui::LoadString(int id) {
    // With no buffer size, LoadStringW hands out the resource's own text.
    const wchar_t* text = nullptr;
    const int length = LoadStringW(Instance(), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? Narrow(text, static_cast<size_t>(length)) : std::string();
}

Point Ui::GetCursorPos() {
    POINT pt{};
    ::GetCursorPos(&pt);
    return Point{pt.x, pt.y};
}

void Ui::TrackPopupMenu(int menuId, int sub, Point at, Wnd& owner) {
    HWND hwnd = HandleOf(owner);
    if (!hwnd) return;
    HMENU menu = LoadMenuW(Instance(), MAKEINTRESOURCEW(menuId));
    if (!menu) return;
    if (HMENU popup = GetSubMenu(menu, sub)) {
        ::TrackPopupMenu(popup, 0, at.x, at.y, 0, hwnd, nullptr);
        PostMessageW(hwnd, WM_NULL, 0, 0);
    }
    DestroyMenu(menu);
}

}  // namespace kp::win32
