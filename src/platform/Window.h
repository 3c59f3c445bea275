// What a backend window offers to the portable window classes. One IWindow stands behind each created
// Wnd; the portable code never sees a native handle.
#pragma once
#include <cstdint>
#include <string>
#include "platform/Controls.h"
#include "platform/Types.h"

namespace kp {

class IWindow {
public:
    virtual ~IWindow() = default;

    // Timers of this window. Setting a timer id that is armed restarts it with the new period.
    virtual void SetTimer(unsigned id, unsigned ms) = 0;
    virtual void KillTimer(unsigned id) = 0;

    // Controls by id. Id 0 means the window itself (its caption, its focus).
    virtual void SetText(int id, const std::string& text) = 0;
    virtual std::string GetText(int id) const = 0;
    virtual void SetCheck(int id, int state) = 0;
    virtual int GetCheck(int id) const = 0;
    virtual void EnableControl(int id, bool enable) = 0;
    virtual bool IsControlEnabled(int id) const = 0;
    virtual void ShowControl(int id, bool show) = 0;
    virtual bool IsControlVisible(int id) const = 0;
    virtual void SetFocus(int id) = 0;
    virtual IListView& ListView(int id) = 0;
    virtual IListBox& ListBox(int id) = 0;
    virtual ICombo& Combo(int id) = 0;
    virtual IDateTime& DateTime(int id) = 0;
    virtual IUpDown& UpDown(int id) = 0;

    // The window itself.
    virtual void Show(bool show) = 0;
    virtual bool IsVisible() const = 0;
    virtual void SetTopmost() = 0;  // topmost, no move, no size, no redraw
    virtual void SetForeground() = 0;
    virtual void BringToTop() = 0;
    virtual void CenterWindow() = 0;
    virtual Rect GetWindowRect() const = 0;
    virtual void SetIcon(int iconResource) = 0;  // big and small icon
    virtual void AppendSystemMenuItem(int id, const std::string& text) = 0;  // a separator, then the item
    virtual void EndDialog(int result) = 0;  // modal dialogs only
    virtual WindowRef Ref() const = 0;

    // Static controls drawn by the backend. A link static shows its text in RGB(0, 0, 233) on a transparent
    // background; with the link enabled it shows the hand cursor (resource 142) and reports clicks as
    // commands (STN_CLICKED). A bitmap static paints the bitmap stretched over the whole control (the
    // button-face colour without one) and its text centred over it; a failed load keeps what was there.
    virtual void SetLinkStatic(int id, bool linkEnabled) = 0;
    virtual bool SetStaticBitmap(int id, int bitmapResource) = 0;

    // Property sheets only.
    virtual void SetActivePage(int index) = 0;
    virtual int GetActivePage() const = 0;
    virtual void SetPageModified(int index, bool modified) = 0;
};

}  // namespace kp
