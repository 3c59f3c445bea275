#include "platform/Wnd.h"

#include "platform/DataExchange.h"
#include "platform/Os.h"

namespace kp {

void Wnd::SetTimer(unsigned id, unsigned ms) {
    if (m_window) m_window->SetTimer(id, ms);
}

void Wnd::KillTimer(unsigned id) {
    if (m_window) m_window->KillTimer(id);
}

std::string Wnd::GetItemText(int id) const { return m_window ? m_window->GetText(id) : std::string(); }

void Wnd::SetItemText(int id, const std::string& text) {
    if (m_window) m_window->SetText(id, text);
}

int Dialog::DoModal() { return TheOs().ui->RunModal(*this); }

void Dialog::EndDialog(int result) {
    if (Window()) Window()->EndDialog(result);
}

bool Dialog::UpdateData(bool saveAndValidate) {
    if (!Window()) return false;
    DataExchange dx(*Window(), saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

bool Dialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void Dialog::OnOK() {
    if (UpdateData(true)) EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

bool Dialog::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

void PropertyPage::SetModified(bool modified) {
    m_modified = modified;
    if (m_sheet) m_sheet->PageModified(m_index, modified);
}

void PropertySheet::AddPage(PropertyPage* page) {
    page->m_sheet = this;
    page->m_index = static_cast<int>(m_pages.size());
    m_pages.push_back(page);
}

int PropertySheet::GetPageIndex(const PropertyPage* page) const {
    for (size_t i = 0; i < m_pages.size(); ++i)
        if (m_pages[i] == page) return static_cast<int>(i);
    return -1;
}

int PropertySheet::DoModal() { return TheOs().ui->RunSheet(*this); }

void PropertySheet::SetActivePage(int index) {
    if (Window() && index >= 0 && index < GetPageCount()) Window()->SetActivePage(index);
}

int PropertySheet::GetActiveIndex() const { return Window() ? Window()->GetActivePage() : m_startPage; }

bool PropertySheet::ApplyModifiedPages() {
    for (PropertyPage* page : m_pages) {
        if (!page->IsCreated() || !page->IsModified()) continue;
        if (!page->OnApply()) return false;
        page->SetModified(false);
    }
    return true;
}

void PropertySheet::PageModified(int index, bool modified) {
    if (Window()) Window()->SetPageModified(index, modified);
}

}  // namespace kp
