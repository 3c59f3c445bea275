// The notification-area icon, opening targets, and the top-level windows of the desktop.
#include "platform/win32/NativeControls.h"
#include "platform/win32/Services.h"

namespace kp::win32 {

namespace {

HWND Native(WindowRef w) { return reinterpret_cast<HWND>(w); }

// The first shell version's structure: accepted by every shell the program runs on.
NOTIFYICONDATAW TrayData(HWND owner, unsigned id) {
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = owner;
    data.uID = id;
    return data;
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<WindowRef>*>(list)->push_back(reinterpret_cast<WindowRef>(hwnd));
    return TRUE;
}

}  // namespace

// ---- shell ----

bool Shell::AddTrayIcon(Wnd& owner, unsigned id, int iconResource, unsigned callbackMessage,
                        const std::string& tip) {
    HWND hwnd = HandleOf(owner);
    if (!hwnd) return false;
    NOTIFYICONDATAW data = TrayData(hwnd, id);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = callbackMessage;
    data.hIcon = static_cast<HICON>(LoadImageW(Instance(), MAKEINTRESOURCEW(iconResource), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                               LR_SHARED));
    const std::wstring text = Wide(tip);
    lstrcpynW(data.szTip, text.c_str(), 64);  // the first version's tip holds 63 characters
    return Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

bool Shell::DeleteTrayIcon(Wnd& owner, unsigned id) {
    HWND hwnd = HandleOf(owner);
    if (!hwnd) return false;
    NOTIFYICONDATAW data = TrayData(hwnd, id);
    return Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
}

bool Shell::Open(const std::string& target) {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", Wide(target).c_str(), nullptr, nullptr, SW_SHOW));
    return result > 32;
}

// ---- desktop ----

std::vector<WindowRef> Desktop::TopLevelWindows() {
    // EnumWindows takes its list in z-order at once, so windows moving meanwhile cannot make it loop.
    std::vector<WindowRef> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

WindowRef Desktop::DesktopWindow() { return reinterpret_cast<WindowRef>(GetDesktopWindow()); }

bool Desktop::IsWindow(WindowRef w) { return ::IsWindow(Native(w)) != FALSE; }

bool Desktop::IsVisible(WindowRef w) { return IsWindowVisible(Native(w)) != FALSE; }

bool Desktop::IsIconic(WindowRef w) { return ::IsIconic(Native(w)) != FALSE; }

bool Desktop::HasParent(WindowRef w) { return GetParent(Native(w)) != nullptr; }

std::string Desktop::Title(WindowRef w) { return WindowText(Native(w)); }

void Desktop::ShowMinimizedNoActivate(WindowRef w) { ShowWindow(Native(w), SW_SHOWMINNOACTIVE); }

void Desktop::Restore(WindowRef w) {
    ShowWindow(Native(w), SW_RESTORE);
    UpdateWindow(Native(w));
}

}  // namespace kp::win32
