// The link static and the bitmap static: subclassed statics whose state lives in a window property.
#include "platform/win32/StaticControls.h"

#include <algorithm>

#include "resource.h"

namespace kp::win32 {

namespace {

const wchar_t kLinkProp[] = L"Kestor.LinkStatic";
const wchar_t kBitmapProp[] = L"Kestor.BitmapStatic";

struct LinkStatic {
    WNDPROC original = nullptr;
    bool enabled = false;
};

struct BitmapStatic {
    WNDPROC original = nullptr;
    HBITMAP bitmap = nullptr;
};

template <typename State>
State* Subclass(HWND control, const wchar_t* prop, WNDPROC proc) {
    if (auto* existing = static_cast<State*>(GetPropW(control, prop))) return existing;
    auto* state = new State;
    SetPropW(control, prop, state);
    state->original =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
    return state;
}

// Gives the control its own procedure back and frees the state; the caller still holds the old procedure.
template <typename State>
void Unsubclass(HWND control, const wchar_t* prop, State* state) {
    SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(state->original));
    RemovePropW(control, prop);
    delete state;
}

HCURSOR HandCursor() {
    static HCURSOR cursor = [] {
        HCURSOR own = LoadCursorW(Instance(), MAKEINTRESOURCEW(IDCUR_HAND));
        return own ? own : LoadCursorW(nullptr, IDC_HAND);
    }();
    return cursor;
}

// A link static draws no background of its own, so a new text needs the parent's background behind it.
void RepaintParentUnder(HWND control) {
    HWND parent = GetParent(control);
    RECT rc;
    if (!parent || !GetWindowRect(control, &rc)) return;
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    RedrawWindow(parent, &rc, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

LRESULT CALLBACK LinkProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* link = static_cast<LinkStatic*>(GetPropW(hwnd, kLinkProp));
    if (!link) return DefWindowProcW(hwnd, msg, wp, lp);
    const WNDPROC original = link->original;
    switch (msg) {
    case WM_SETCURSOR:
        if (link->enabled) {
            SetCursor(HandCursor());
            return TRUE;
        }
        break;
    case WM_SETTEXT: {
        const LRESULT result = CallWindowProcW(original, hwnd, msg, wp, lp);
        RepaintParentUnder(hwnd);
        return result;
    }
    case WM_NCDESTROY:
        Unsubclass(hwnd, kLinkProp, link);
        break;
    }
    return CallWindowProcW(original, hwnd, msg, wp, lp);
}

HBITMAP LoadBitmapResource(int resource) {
    return static_cast<HBITMAP>(
        LoadImageW(Instance(), MAKEINTRESOURCEW(resource), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
}

void ReplaceBitmap(BitmapStatic& state, HBITMAP bitmap) {
    if (state.bitmap) DeleteObject(state.bitmap);
    state.bitmap = bitmap;
}

// The bitmap stretched over the whole client area (the button face without one), the text centred on top.
void PaintBitmapStatic(HWND hwnd, const BitmapStatic& state, HDC dc) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;
    BITMAP info{};
    if (state.bitmap && GetObjectW(state.bitmap, sizeof info, &info)) {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ previous = SelectObject(memory, state.bitmap);
        const int previousMode = SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, rc.left, rc.top, width, height, memory, 0, 0, std::max(1, int(info.bmWidth) - 1),
                   std::max(1, int(info.bmHeight) - 1), SRCCOPY);
        SetStretchBltMode(dc, previousMode);
        SelectObject(memory, previous);
        DeleteDC(memory);
    } else {
        HGDIOBJ previous = SelectObject(dc, GetSysColorBrush(COLOR_BTNFACE));
        PatBlt(dc, rc.left, rc.top, width, height, PATCOPY);
        SelectObject(dc, previous);
    }

    const int length = GetWindowTextLengthW(hwnd);
    if (length <= 0) return;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(std::max(0, GetWindowTextW(hwnd, &text[0], length + 1))));
    UINT format = DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE | DT_WORDBREAK | DT_CENTER;
    if (GetWindowLongW(hwnd, GWL_STYLE) & SS_CENTERIMAGE) format |= DT_VCENTER;
    HGDIOBJ previousFont = nullptr;
    if (HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)))
        previousFont = SelectObject(dc, font);
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, format);
    SetBkMode(dc, previousMode);
    if (previousFont) SelectObject(dc, previousFont);
}

LRESULT CALLBACK BitmapProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* state = static_cast<BitmapStatic*>(GetPropW(hwnd, kBitmapProp));
    if (!state) return DefWindowProcW(hwnd, msg, wp, lp);
    const WNDPROC original = state->original;
    switch (msg) {
    case WM_ERASEBKGND:
        return TRUE;  // WM_PAINT covers every pixel
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        PaintBitmapStatic(hwnd, *state, dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintBitmapStatic(hwnd, *state, reinterpret_cast<HDC>(wp));
        return 0;
    case WM_SETTEXT:
    case WM_SYSCOLORCHANGE: {
        // A new scheme changes the button face painted without a bitmap. The bitmap's own 3-D colours follow
        // when its owner loads it again (CBitmapStatic remembers what it showed), so it is not reloaded here.
        const LRESULT result = CallWindowProcW(original, hwnd, msg, wp, lp);
        InvalidateRect(hwnd, nullptr, FALSE);
        return result;
    }
    case WM_NCDESTROY:
        ReplaceBitmap(*state, nullptr);
        Unsubclass(hwnd, kBitmapProp, state);
        break;
    }
    return CallWindowProcW(original, hwnd, msg, wp, lp);
}

}  // namespace

void MakeLinkStatic(HWND control, bool linkEnabled) {
    if (!control) return;
    Subclass<LinkStatic>(control, kLinkProp, LinkProc)->enabled = linkEnabled;
    RepaintParentUnder(control);
}

HBRUSH ColourLinkStatic(HWND control, HDC dc) {
    if (!GetPropW(control, kLinkProp)) return nullptr;
    SetTextColor(dc, RGB(0, 0, 233));
    SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

bool SetBitmapStatic(HWND control, int bitmapResource) {
    if (!control) return false;
    const bool first = GetPropW(control, kBitmapProp) == nullptr;
    auto* state = Subclass<BitmapStatic>(control, kBitmapProp, BitmapProc);
    if (first) {
        const LONG style = GetWindowLongW(control, GWL_STYLE);
        SetWindowLongW(control, GWL_STYLE, (style & ~SS_TYPEMASK) | SS_OWNERDRAW);
    }
    HBITMAP bitmap = LoadBitmapResource(bitmapResource);
    if (bitmap) ReplaceBitmap(*state, bitmap);
    InvalidateRect(control, nullptr, FALSE);
    return bitmap != nullptr;
}

}  // namespace kp::win32
