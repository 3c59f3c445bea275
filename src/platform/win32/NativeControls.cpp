// The common-control adapters: each call is one or two W messages to the control.
#include "platform/win32/NativeControls.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace kp::win32 {

namespace {

// A list-view text longer than this is cut; no row of the program comes near it.
constexpr size_t kMaxItemText = 1 << 16;

// Reads a text whose length is announced by one message and fetched by another (list box, combo box).
std::string IndexedText(HWND control, UINT lengthMsg, UINT textMsg, int index) {
    const LRESULT length = SendMessageW(control, lengthMsg, static_cast<WPARAM>(index), 0);
    if (length <= 0) return std::string();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got =
        SendMessageW(control, textMsg, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    if (got <= 0) return std::string();
    return Narrow(buffer.data(), std::min(static_cast<size_t>(got), static_cast<size_t>(length)));
}

}  // namespace

std::string WindowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    if (length <= 0) return std::string();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, buffer.data(), length + 1);
    return Narrow(buffer.data(), static_cast<size_t>(got > 0 ? got : 0));
}

// SysTime mirrors SYSTEMTIME field for field.
static_assert(sizeof(SysTime) == sizeof(SYSTEMTIME), "SysTime must match SYSTEMTIME");

SYSTEMTIME ToNative(const SysTime& t) {
    SYSTEMTIME st;
    std::memcpy(&st, &t, sizeof st);
    return st;
}

SysTime FromNative(const SYSTEMTIME& st) {
    SysTime t;
    std::memcpy(static_cast<void*>(&t), &st, sizeof t);
    return t;
}

// ---- list view ----

void NativeListView::InsertColumn(int col, const std::string& title, int width, ColumnAlign align) {
    std::wstring text = Wide(title);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = align == ColumnAlign::Center ? LVCFMT_CENTER : align == ColumnAlign::Right ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.cx = width;
    column.pszText = &text[0];
    column.iSubItem = col;
    if (col != 0 || align == ColumnAlign::Left) {
        Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(col), reinterpret_cast<LPARAM>(&column));
        return;
    }
    // The control makes a column inserted leftmost left-aligned whatever it is asked. Inserted second,
    // behind a placeholder that is then removed, the column keeps its alignment as the leftmost one.
    LVCOLUMNW placeholder{};
    placeholder.mask = LVCF_WIDTH;
    if (Send(LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&placeholder)) != 0) {
        Send(LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
        return;
    }
    column.iSubItem = 1;
    Send(LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
    Send(LVM_DELETECOLUMN, 0);
}

int NativeListView::InsertItem(int index, const std::string& text) {
    std::wstring wide = Wide(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = index;
    item.pszText = &wide[0];
    return static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

int NativeListView::GetItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }

std::string NativeListView::GetItemText(int item, int sub) const {
    std::vector<wchar_t> buffer(256);
    for (;;) {
        LVITEMW request{};
        request.iSubItem = sub;
        request.pszText = buffer.data();
        request.cchTextMax = static_cast<int>(buffer.size());
        const LRESULT got = Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&request));
        const size_t length = got > 0 ? static_cast<size_t>(got) : 0;
        // A full buffer may mean a cut text: try again with more room.
        if (length + 1 < buffer.size() || buffer.size() >= kMaxItemText)
            return Narrow(buffer.data(), std::min(length, buffer.size() - 1));
        buffer.assign(buffer.size() * 4, L'\0');
    }
}

bool NativeListView::SetItemText(int item, int sub, const std::string& text) {
    std::wstring wide = Wide(text);
    LVITEMW request{};
    request.iSubItem = sub;
    request.pszText = &wide[0];
    return Send(LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&request)) != 0;
}

uint32_t NativeListView::GetItemData(int item) const {
    LVITEMW request{};
    request.mask = LVIF_PARAM;
    request.iItem = item;
    if (!Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&request))) return 0;
    return static_cast<uint32_t>(request.lParam);
}

bool NativeListView::SetItemData(int item, uint32_t data) {
    LVITEMW request{};
    request.mask = LVIF_PARAM;
    request.iItem = item;
    request.lParam = static_cast<LPARAM>(data);
    return Send(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&request)) != 0;
}

bool NativeListView::DeleteItem(int item) { return Send(LVM_DELETEITEM, static_cast<WPARAM>(item)) != 0; }

void NativeListView::DeleteAllItems() { Send(LVM_DELETEALLITEMS); }

int NativeListView::GetNextSelected(int start) const {
    return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(LVNI_SELECTED, 0)));
}

void NativeListView::SetSelected(int item, bool selected) {
    LVITEMW request{};
    request.stateMask = LVIS_SELECTED;
    request.state = selected ? LVIS_SELECTED : 0;
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&request));
}

void NativeListView::SetRedraw(bool on) {
    Send(WM_SETREDRAW, on ? TRUE : FALSE);
    if (on) InvalidateRect(Handle(), nullptr, TRUE);
}

// ---- list box ----

int NativeListBox::AddString(const std::string& text) {
    const std::wstring wide = Wide(text);
    return static_cast<int>(Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}

int NativeListBox::InsertString(int index, const std::string& text) {
    const std::wstring wide = Wide(text);
    return static_cast<int>(Send(LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide.c_str())));
}

int NativeListBox::GetCount() const { return static_cast<int>(Send(LB_GETCOUNT)); }

std::string NativeListBox::GetText(int index) const {
    return IndexedText(Handle(), LB_GETTEXTLEN, LB_GETTEXT, index);
}

bool NativeListBox::DeleteString(int index) {
    return Send(LB_DELETESTRING, static_cast<WPARAM>(index)) != LB_ERR;
}

void NativeListBox::ResetContent() { Send(LB_RESETCONTENT); }

int NativeListBox::GetCurSel() const { return static_cast<int>(Send(LB_GETCURSEL)); }

void NativeListBox::SetCurSel(int index) { Send(LB_SETCURSEL, static_cast<WPARAM>(index)); }

// ---- combo box ----

int NativeCombo::AddString(const std::string& text) {
    const std::wstring wide = Wide(text);
    return static_cast<int>(Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}

int NativeCombo::GetCount() const { return static_cast<int>(Send(CB_GETCOUNT)); }

std::string NativeCombo::GetLBText(int index) const {
    return IndexedText(Handle(), CB_GETLBTEXTLEN, CB_GETLBTEXT, index);
}

void NativeCombo::ResetContent() { Send(CB_RESETCONTENT); }

int NativeCombo::GetCurSel() const { return static_cast<int>(Send(CB_GETCURSEL)); }

void NativeCombo::SetCurSel(int index) { Send(CB_SETCURSEL, static_cast<WPARAM>(index)); }

// ---- date-time picker ----

void NativeDateTime::SetFormat(const std::string& format) {
    const std::wstring wide = Wide(format);
    Send(DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void NativeDateTime::SetTime(const SysTime& t) {
    SYSTEMTIME st = ToNative(t);
    Send(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}

SysTime NativeDateTime::GetTime() const {
    SYSTEMTIME st{};
    if (Send(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) != GDT_VALID) return SysTime();
    return FromNative(st);
}

// ---- up-down ----

void NativeUpDown::SetRange(int lower, int upper) {
    Send(UDM_SETRANGE32, static_cast<WPARAM>(lower), static_cast<LPARAM>(upper));
}

void NativeUpDown::SetPos(int pos) { Send(UDM_SETPOS32, 0, static_cast<LPARAM>(pos)); }

int NativeUpDown::GetPos() const { return static_cast<int>(Send(UDM_GETPOS32)); }

}  // namespace kp::win32
