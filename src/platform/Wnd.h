// The portable stand-ins for the class library's window, dialog, property page and property sheet.
// Subsystem classes derive from these and override the handlers; a backend creates the real window,
// attaches an IWindow and calls the handlers.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "platform/Window.h"

namespace kp {

class DataExchange;
class PropertySheet;

class Wnd {
public:
    Wnd() = default;
    Wnd(const Wnd&) = delete;
    Wnd& operator=(const Wnd&) = delete;
    virtual ~Wnd() = default;

    // The backend window; null while the window does not exist.
    IWindow* Window() const { return m_window; }
    bool IsCreated() const { return m_window != nullptr; }
    void AttachWindow(IWindow* window) { m_window = window; }

    // Shorthands that do nothing while the window does not exist.
    void SetTimer(unsigned id, unsigned ms);
    void KillTimer(unsigned id);
    std::string GetItemText(int id) const;
    void SetItemText(int id, const std::string& text);

    // Handlers. Return true from the bool ones when the event was handled (no default processing).
    virtual void OnTimer(unsigned /*id*/) {}
    virtual bool OnCommand(int /*id*/, int /*code*/) { return false; }
    virtual bool OnNotify(int /*id*/, int /*code*/) { return false; }
    // A left click (or double click) on the window's own surface, before the default handling.
    virtual void OnLButtonDown(bool /*doubleClick*/) {}
    // A left click on the non-client area (caption, border), before the default handling.
    virtual void OnNcLButtonDown() {}
    // After the default handling of a show or hide.
    virtual void OnShowWindow(bool /*show*/) {}
    virtual bool OnSysCommand(unsigned /*id*/) { return false; }
    // Private messages (WM_USER and above). Set `result` and return true when handled.
    virtual bool OnMessage(unsigned /*msg*/, uintptr_t /*wp*/, intptr_t /*lp*/, intptr_t& /*result*/) {
        return false;
    }
    virtual void OnSysColorChange() {}
    // The window is going away; the IWindow is detached right after.
    virtual void OnDestroy() {}

private:
    IWindow* m_window = nullptr;
};

// A modal dialog made from a dialog resource.
class Dialog : public Wnd {
public:
    explicit Dialog(int templateId) : m_templateId(templateId) {}
    int TemplateId() const { return m_templateId; }

    // Runs the dialog modally, owned by the main window, and returns what EndDialog was given.
    int DoModal();
    void EndDialog(int result);

    // Moves data between members and controls; false when a field did not validate (the user was told).
    bool UpdateData(bool saveAndValidate);
    virtual void DoDataExchange(DataExchange& /*dx*/) {}

    virtual bool OnInitDialog();  // UpdateData(false); true keeps the default focus
    virtual void OnOK();          // UpdateData(true), then EndDialog(IDOK)
    virtual void OnCancel();      // EndDialog(IDCANCEL)
    bool OnCommand(int id, int code) override;  // routes IDOK and IDCANCEL to OnOK and OnCancel

private:
    int m_templateId;
};

class PropertyPage : public Dialog {
public:
    explicit PropertyPage(int templateId) : Dialog(templateId) {}
    // Apply was pressed while this page was marked modified. false keeps the sheet as it is.
    virtual bool OnApply() { return true; }
    void SetModified(bool modified);
    bool IsModified() const { return m_modified; }
    PropertySheet* Sheet() const { return m_sheet; }

    // The sheet's Apply and OK never end a page dialog.
    void OnOK() override {}
    void OnCancel() override {}

private:
    friend class PropertySheet;
    PropertySheet* m_sheet = nullptr;
    int m_index = -1;
    bool m_modified = false;
};

// A modal property sheet with OK, Cancel and Apply buttons (ids 1, 2, ID_APPLY_NOW) and no Help.
class PropertySheet : public Wnd {
public:
    PropertySheet(std::string caption, int startPage) : m_caption(std::move(caption)), m_startPage(startPage) {}
    void AddPage(PropertyPage* page);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    PropertyPage* GetPage(int index) const { return m_pages.at(index); }
    int GetPageIndex(const PropertyPage* page) const;
    const std::string& Caption() const { return m_caption; }
    int StartPage() const { return m_startPage; }
    void SetIconResource(int id) { m_iconResource = id; }
    int IconResource() const { return m_iconResource; }

    int DoModal();
    // Activates a page; its window is created (and its OnInitDialog run) on its first activation.
    void SetActivePage(int index);
    void SetActivePage(PropertyPage* page) { SetActivePage(GetPageIndex(page)); }
    int GetActiveIndex() const;

    // After the sheet and its first page exist.
    virtual bool OnInitDialog() { return true; }
    // The Apply button: OnApply of each page marked modified, in page order; stops at the first refusal.
    // A page that applies is marked unmodified.
    bool ApplyModifiedPages();
    // Called by PropertyPage::SetModified.
    void PageModified(int index, bool modified);

private:
    std::string m_caption;
    int m_startPage;
    int m_iconResource = 0;
    std::vector<PropertyPage*> m_pages;
};

}  // namespace kp
