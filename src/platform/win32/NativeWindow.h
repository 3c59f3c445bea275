// The IWindow behind every dialog, property page and property sheet of the program, and the routing of
// the window's messages to the handlers of its Wnd.
#pragma once
#include <map>
#include <memory>

#include "platform/win32/NativeControls.h"
#include "platform/win32/Win32.h"

namespace kp::win32 {

enum class WindowKind { Dialog, Page, Sheet };

// Owns itself: created when a window is taken over, deleted after the window's WM_NCDESTROY.
//
// Routing (every handler runs on the window's own procedure, which subclasses the dialog's):
// WM_TIMER -> OnTimer; WM_COMMAND -> OnCommand, default when not handled (a sheet's Apply and OK buttons
// then apply the pages marked modified and only those, through PropertySheet::ApplyModifiedPages; a
// refusal keeps the sheet open); WM_NOTIFY -> OnNotify, default when not handled;
// WM_LBUTTONDOWN/DBLCLK and WM_NCLBUTTONDOWN before the default; WM_SHOWWINDOW after it; WM_SYSCOMMAND ->
// OnSysCommand, default when not handled; WM_SYSCOLORCHANGE -> OnSysColorChange, then forwarded to the
// controls by a top-level window; messages from WM_USER on -> OnMessage, default when not handled;
// WM_DESTROY -> OnDestroy, then the Wnd is detached. A sheet's WM_INITDIALOG runs the default first (it
// creates the first page), then PropertySheet::OnInitDialog.
class NativeWindow : public IWindow {
public:
    static NativeWindow* Attach(HWND hwnd, Wnd& wnd, WindowKind kind);
    static NativeWindow* From(HWND hwnd);
    HWND Handle() const { return m_hwnd; }

    void SetTimer(unsigned id, unsigned ms) override;
    void KillTimer(unsigned id) override;
    void SetText(int id, const std::string& text) override;
    std::string GetText(int id) const override;
    void SetCheck(int id, int state) override;
    int GetCheck(int id) const override;
    void EnableControl(int id, bool enable) override;
    bool IsControlEnabled(int id) const override;
    void ShowControl(int id, bool show) override;
    bool IsControlVisible(int id) const override;
    void SetFocus(int id) override;
    IListView& ListView(int id) override;
    IListBox& ListBox(int id) override;
    ICombo& Combo(int id) override;
    IDateTime& DateTime(int id) override;
    IUpDown& UpDown(int id) override;

    void Show(bool show) override;
    bool IsVisible() const override;
    void SetTopmost() override;
    void SetForeground() override;
    void BringToTop() override;
    void CenterWindow() override;
    Rect GetWindowRect() const override;
    void SetIcon(int iconResource) override;
    void AppendSystemMenuItem(int id, const std::string& text) override;
    void EndDialog(int result) override;
    WindowRef Ref() const override;

    void SetLinkStatic(int id, bool linkEnabled) override;
    bool SetStaticBitmap(int id, int bitmapResource) override;

    void SetActivePage(int index) override;
    int GetActivePage() const override;
    void SetPageModified(int index, bool modified) override;

private:
    NativeWindow(HWND hwnd, Wnd& wnd, WindowKind kind) : m_hwnd(hwnd), m_wnd(&wnd), m_kind(kind) {}
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Route(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) { return CallWindowProcW(m_original, m_hwnd, msg, wp, lp); }
    HWND Item(int id) const { return id == 0 ? m_hwnd : GetDlgItem(m_hwnd, id); }
    template <typename T>
    T& Adapter(std::map<int, std::unique_ptr<T>>& adapters, int id);

    HWND m_hwnd;
    Wnd* m_wnd;  // null once detached
    WindowKind m_kind;
    WNDPROC m_original = nullptr;
    int m_depth = 0;        // nesting of Proc calls; the object is deleted only at depth 0
    bool m_gone = false;    // WM_NCDESTROY has been seen
    std::map<int, std::unique_ptr<NativeListView>> m_listViews;
    std::map<int, std::unique_ptr<NativeListBox>> m_listBoxes;
    std::map<int, std::unique_ptr<NativeCombo>> m_combos;
    std::map<int, std::unique_ptr<NativeDateTime>> m_dateTimes;
    std::map<int, std::unique_ptr<NativeUpDown>> m_upDowns;
};

// Dialog procedure of modal dialogs; the creation parameter is the Dialog.
INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// Dialog procedure of property pages; the PROPSHEETPAGEW's lParam is the PropertyPage.
INT_PTR CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

}  // namespace kp::win32
