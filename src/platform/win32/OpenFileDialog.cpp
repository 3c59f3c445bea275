// The common open-file dialog for one existing file.
#include "platform/win32/OpenFileDialog.h"

#include <commdlg.h>

#include <vector>

namespace kp::win32 {

bool FileDialogs::OpenFile(const std::string& filter, const std::string& defaultExt, const std::string& initialDir,
                           std::string& path) {
    // "|" separates the entries; the text is converted first, since in GBK "|" may be the second byte of
    // a character.
    std::wstring filters = Wide(filter);
    for (wchar_t& c : filters)
        if (c == L'|') c = L'\0';
    filters.append(2, L'\0');
    const std::wstring ext = Wide(defaultExt);
    const std::wstring dir = Wide(initialDir);
    std::vector<wchar_t> file(4096, L'\0');

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = GetActiveWindow();
    ofn.lpstrFilter = filters.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
    ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&ofn)) return false;
    path = Narrow(file.data(), wcsnlen(file.data(), file.size()));
    return true;
}

}  // namespace kp::win32
