// Message routing of the program's windows and the IWindow operations on them.
#include "platform/win32/NativeWindow.h"

#include <algorithm>
#include <unordered_map>

#include "platform/win32/StaticControls.h"

namespace kp::win32 {

namespace {

// Our windows by handle. Kept here rather than in a window property: every message to our windows looks
// its window up, and a property is read from the window server each time.
std::unordered_map<HWND, NativeWindow*>& Windows() {
    static std::unordered_map<HWND, NativeWindow*> windows;
    return windows;
}

BOOL CALLBACK ForwardSysColorChange(HWND child, LPARAM) {
    SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}

}  // namespace

NativeWindow* NativeWindow::Attach(HWND hwnd, Wnd& wnd, WindowKind kind) {
    auto* window = new NativeWindow(hwnd, wnd, kind);
    Windows()[hwnd] = window;
    window->m_original =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
    wnd.AttachWindow(window);
    return window;
}

NativeWindow* NativeWindow::From(HWND hwnd) {
    const auto found = Windows().find(hwnd);
    return found == Windows().end() ? nullptr : found->second;
}

LRESULT CALLBACK NativeWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    NativeWindow* window = From(hwnd);
    if (!window) return DefWindowProcW(hwnd, msg, wp, lp);
    ++window->m_depth;
    const LRESULT result = window->Route(msg, wp, lp);
    if (--window->m_depth == 0 && window->m_gone) delete window;
    return result;
}

LRESULT NativeWindow::Route(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCDESTROY) {
        const LRESULT result = Default(msg, wp, lp);
        SetWindowLongPtrW(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_original));
        Windows().erase(m_hwnd);
        m_gone = true;
        return result;
    }
    if (msg == WM_CTLCOLORSTATIC) {
        if (HBRUSH brush = ColourLinkStatic(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp)))
            return reinterpret_cast<LRESULT>(brush);
        return Default(msg, wp, lp);
    }
    Wnd* const wnd = m_wnd;
    if (!wnd) return Default(msg, wp, lp);

    switch (msg) {
    case WM_INITDIALOG:
        // Only a sheet sees this here; dialogs and pages are taken over inside their own WM_INITDIALOG.
        if (m_kind == WindowKind::Sheet) {
            const LRESULT result = Default(msg, wp, lp);
            if (m_wnd) static_cast<PropertySheet*>(wnd)->OnInitDialog();
            return result;
        }
        break;
    case WM_TIMER:
        if (lp == 0) {  // a timer with a callback procedure is the default handling's business
            wnd->OnTimer(static_cast<unsigned>(wp));
            return 0;
        }
        break;
    case WM_COMMAND: {
        const int id = LOWORD(wp);
        if (wnd->OnCommand(id, HIWORD(wp))) return 0;
        // The sheet's own Apply would send every page PSN_APPLY; only the pages marked modified apply, and
        // a page that refuses keeps the sheet open. The default OK then closes the sheet.
        if (m_kind == WindowKind::Sheet && (id == ID_APPLY_NOW || id == IDOK)) {
            const bool applied = static_cast<PropertySheet*>(wnd)->ApplyModifiedPages();
            if (id == ID_APPLY_NOW || !applied) return 0;
        }
        break;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lp);
        // The sheet's notifications to a page: accept every activation, and answer PSN_APPLY (which only
        // comes from outside the program's Apply) without applying anything.
        if (m_kind == WindowKind::Page && header->hwndFrom == GetParent(m_hwnd)) {
            if (header->code == static_cast<UINT>(PSN_APPLY)) return PSNRET_NOERROR;
            break;
        }
        if (wnd->OnNotify(static_cast<int>(header->idFrom), static_cast<int>(header->code))) return 0;
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        wnd->OnLButtonDown(msg == WM_LBUTTONDBLCLK);
        break;
    case WM_NCLBUTTONDOWN:
        wnd->OnNcLButtonDown();
        break;
    case WM_SHOWWINDOW: {
        const LRESULT result = Default(msg, wp, lp);
        if (m_wnd) wnd->OnShowWindow(wp != 0);
        return result;
    }
    case WM_SYSCOMMAND:
        if (wnd->OnSysCommand(static_cast<unsigned>(wp))) return 0;
        break;
    case WM_SYSCOLORCHANGE: {
        wnd->OnSysColorChange();
        const LRESULT result = Default(msg, wp, lp);
        // Only top-level windows are told; the controls (and a sheet's pages) learn it from them.
        if (!(GetWindowLongW(m_hwnd, GWL_STYLE) & WS_CHILD)) EnumChildWindows(m_hwnd, ForwardSysColorChange, 0);
        return result;
    }
    case WM_DESTROY:
        wnd->OnDestroy();
        wnd->AttachWindow(nullptr);
        m_wnd = nullptr;
        break;
    default:
        if (msg >= WM_USER) {
            intptr_t result = 0;
            if (wnd->OnMessage(msg, wp, lp, result)) return result;
        }
        break;
    }
    return Default(msg, wp, lp);
}

template <typename T>
T& NativeWindow::Adapter(std::map<int, std::unique_ptr<T>>& adapters, int id) {
    std::unique_ptr<T>& slot = adapters[id];
    if (!slot) slot = std::make_unique<T>(m_hwnd, id);
    return *slot;
}

// ---- timers and controls ----

void NativeWindow::SetTimer(unsigned id, unsigned ms) { ::SetTimer(m_hwnd, id, ms, nullptr); }

void NativeWindow::KillTimer(unsigned id) { ::KillTimer(m_hwnd, id); }

void NativeWindow::SetText(int id, const std::string& text) { SetWindowTextW(Item(id), Wide(text).c_str()); }

std::string NativeWindow::GetText(int id) const { return WindowText(Item(id)); }

void NativeWindow::SetCheck(int id, int state) {
    SendMessageW(Item(id), BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

int NativeWindow::GetCheck(int id) const { return static_cast<int>(SendMessageW(Item(id), BM_GETCHECK, 0, 0)); }

void NativeWindow::EnableControl(int id, bool enable) { EnableWindow(Item(id), enable); }

bool NativeWindow::IsControlEnabled(int id) const {
    HWND control = Item(id);
    return control && IsWindowEnabled(control);
}

void NativeWindow::ShowControl(int id, bool show) { ShowWindow(Item(id), show ? SW_SHOW : SW_HIDE); }

bool NativeWindow::IsControlVisible(int id) const {
    // Shown itself and on a shown window: a control of a hidden page does not count as visible.
    HWND control = Item(id);
    return control && IsWindowVisible(control);
}

void NativeWindow::SetFocus(int id) {
    if (id == 0) {
        // A sheet takes the focus on its tab strip: left to the dialog manager, the focus would land on the
        // first button of the page, which Enter would then press instead of the sheet's OK.
        HWND tab = m_kind == WindowKind::Sheet ? reinterpret_cast<HWND>(Default(PSM_GETTABCONTROL, 0, 0)) : nullptr;
        if (tab)
            SendMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(tab), TRUE);
        else
            ::SetFocus(m_hwnd);
        return;
    }
    // Through the dialog manager, so the default button follows and an edit gets its text selected.
    if (HWND control = Item(id)) SendMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

IListView& NativeWindow::ListView(int id) { return Adapter(m_listViews, id); }
IListBox& NativeWindow::ListBox(int id) { return Adapter(m_listBoxes, id); }
ICombo& NativeWindow::Combo(int id) { return Adapter(m_combos, id); }
IDateTime& NativeWindow::DateTime(int id) { return Adapter(m_dateTimes, id); }
IUpDown& NativeWindow::UpDown(int id) { return Adapter(m_upDowns, id); }

// ---- the window itself ----

void NativeWindow::Show(bool show) { ShowWindow(m_hwnd, show ? SW_SHOW : SW_HIDE); }

bool NativeWindow::IsVisible() const { return IsWindowVisible(m_hwnd) != FALSE; }

void NativeWindow::SetTopmost() {
    SetWindowPos(m_hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW);
}

void NativeWindow::SetForeground() { SetForegroundWindow(m_hwnd); }

void NativeWindow::BringToTop() { BringWindowToTop(m_hwnd); }

void NativeWindow::CenterWindow() {
    // On the screen's work area, not over the owner: the dialogs centred here are lock screens and prompts
    // that belong in the middle of the screen whether the main window is shown or not.
    RECT area, own;
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0) || !::GetWindowRect(m_hwnd, &own)) return;
    const LONG width = own.right - own.left, height = own.bottom - own.top;
    const LONG x = area.left + std::max<LONG>(0, (area.right - area.left - width) / 2);
    const LONG y = area.top + std::max<LONG>(0, (area.bottom - area.top - height) / 2);
    SetWindowPos(m_hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Rect NativeWindow::GetWindowRect() const {
    RECT rc{};
    ::GetWindowRect(m_hwnd, &rc);
    return Rect{rc.left, rc.top, rc.right, rc.bottom};
}

void NativeWindow::SetIcon(int iconResource) {
    HICON big = LoadIconW(Instance(), MAKEINTRESOURCEW(iconResource));
    HICON small = static_cast<HICON>(LoadImageW(Instance(), MAKEINTRESOURCEW(iconResource), IMAGE_ICON,
                                                GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                LR_SHARED));
    SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small ? small : big));
}

void NativeWindow::AppendSystemMenuItem(int id, const std::string& text) {
    HMENU menu = GetSystemMenu(m_hwnd, FALSE);
    if (!menu) return;
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), Wide(text).c_str());
}

void NativeWindow::EndDialog(int result) {
    if (m_kind == WindowKind::Dialog) ::EndDialog(m_hwnd, result);
}

WindowRef NativeWindow::Ref() const { return reinterpret_cast<WindowRef>(m_hwnd); }

void NativeWindow::SetLinkStatic(int id, bool linkEnabled) { MakeLinkStatic(GetDlgItem(m_hwnd, id), linkEnabled); }

bool NativeWindow::SetStaticBitmap(int id, int bitmapResource) {
    return SetBitmapStatic(GetDlgItem(m_hwnd, id), bitmapResource);
}

// ---- property sheets: the PSM_ messages go straight to the sheet's own procedure, past OnMessage, so
// they never meet the program's private messages of the same values ----

void NativeWindow::SetActivePage(int index) {
    if (m_kind == WindowKind::Sheet) Default(PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int NativeWindow::GetActivePage() const {
    if (m_kind != WindowKind::Sheet) return -1;
    auto* self = const_cast<NativeWindow*>(this);
    HWND tab = reinterpret_cast<HWND>(self->Default(PSM_GETTABCONTROL, 0, 0));
    return tab ? static_cast<int>(SendMessageW(tab, TCM_GETCURSEL, 0, 0)) : -1;
}

void NativeWindow::SetPageModified(int index, bool modified) {
    if (m_kind != WindowKind::Sheet || !m_wnd) return;
    auto* sheet = static_cast<PropertySheet*>(m_wnd);
    if (index < 0 || index >= sheet->GetPageCount()) return;
    auto* page = static_cast<NativeWindow*>(sheet->GetPage(index)->Window());
    if (!page) return;
    Default(modified ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(page->Handle()), 0);
}

// ---- dialog procedures ----

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM, LPARAM lp) {
    if (msg != WM_INITDIALOG) return FALSE;
    auto* dialog = reinterpret_cast<Dialog*>(lp);
    NativeWindow::Attach(hwnd, *dialog, WindowKind::Dialog);
    return dialog->OnInitDialog() ? TRUE : FALSE;
}

INT_PTR CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM, LPARAM lp) {
    if (msg != WM_INITDIALOG) return FALSE;
    auto* page = reinterpret_cast<PropertyPage*>(reinterpret_cast<const PROPSHEETPAGEW*>(lp)->lParam);
    NativeWindow::Attach(hwnd, *page, WindowKind::Page);
    return page->OnInitDialog() ? TRUE : FALSE;
}

}  // namespace kp::win32
