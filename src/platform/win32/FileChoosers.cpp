// The open-file dialog with several files allowed, and the shell's folder browser.
#include "platform/win32/Services.h"

#include <commdlg.h>
#include <shlobj.h>

namespace kp::win32 {

namespace {

// Room for the folder and the names of a few thousand files; the dialog says when a selection needs more.
constexpr DWORD kSelectionChars = 1u << 17;

std::wstring CurrentDirectoryW() {
    std::wstring dir(MAX_PATH + 1, L'\0');
    DWORD got = GetCurrentDirectoryW(static_cast<DWORD>(dir.size()), &dir[0]);
    if (got >= dir.size()) {
        dir.assign(got + 1, L'\0');
        got = GetCurrentDirectoryW(static_cast<DWORD>(dir.size()), &dir[0]);
    }
    dir.resize(got < dir.size() ? got : 0);
    return dir;
}

// The folder browser wants COM on its thread. ole32 is loaded only for it.
class ComForThisCall {
public:
    ComForThisCall() {
        m_ole = LoadLibraryW(L"ole32.dll");
        if (!m_ole) return;
        using Init = HRESULT(WINAPI*)(void*, DWORD);
        auto init = reinterpret_cast<Init>(reinterpret_cast<void*>(GetProcAddress(m_ole, "CoInitializeEx")));
        m_uninit = reinterpret_cast<Uninit>(reinterpret_cast<void*>(GetProcAddress(m_ole, "CoUninitialize")));
        m_initialised = init && m_uninit && SUCCEEDED(init(nullptr, COINIT_APARTMENTTHREADED));
    }
    ~ComForThisCall() {
        if (m_initialised) m_uninit();
        if (m_ole) FreeLibrary(m_ole);
    }
    ComForThisCall(const ComForThisCall&) = delete;
    ComForThisCall& operator=(const ComForThisCall&) = delete;

private:
    using Uninit = void(WINAPI*)();
    HMODULE m_ole = nullptr;
    Uninit m_uninit = nullptr;
    bool m_initialised = false;
};

}  // namespace

FileDialogResult Ui::OpenFiles(Wnd& owner, const std::string& defaultExt, const std::string& filter,
                               std::vector<std::string>& paths) {
    paths.clear();
    std::wstring filterW = Wide(filter);
    for (wchar_t& c : filterW)
        if (c == L'|') c = L'\0';
    filterW.push_back(L'\0');
    const std::wstring extW = Wide(defaultExt);
    std::vector<wchar_t> buffer(kSelectionChars, L'\0');

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = HandleOf(owner);
    ofn.lpstrFilter = filterW.c_str();
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = kSelectionChars;
    ofn.lpstrDefExt = extW.c_str();
    ofn.Flags = OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_PATHMUSTEXIST | OFN_EXPLORER;
    // Browsing moves the process's current folder; the program's files are found from the one it started in.
    const std::wstring startDir = CurrentDirectoryW();
    const BOOL ok = GetOpenFileNameW(&ofn);
    const DWORD error = ok ? 0 : CommDlgExtendedError();
    if (!startDir.empty()) SetCurrentDirectoryW(startDir.c_str());
    if (!ok) return error == FNERR_BUFFERTOOSMALL ? FileDialogResult::TooManyFiles : FileDialogResult::Cancelled;

    // One file: its full path. Several: the folder, then each name, each ended by a zero, and a second
    // zero at the end.
    const wchar_t* first = buffer.data();
    const size_t firstLength = wcslen(first);
    const wchar_t* next = first + firstLength + 1;
    if (ofn.nFileOffset <= firstLength || *next == L'\0') {
        paths.push_back(Narrow(first, firstLength));
        return FileDialogResult::Ok;
    }
    std::wstring folder(first, firstLength);
    if (folder.back() != L'\\') folder += L'\\';
    for (; *next; next += wcslen(next) + 1) paths.push_back(Narrow(folder + next));
    return FileDialogResult::Ok;
}

bool Ui::BrowseForFolder(Wnd& owner, std::string& folder) {
    ComForThisCall com;
    wchar_t display[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = HandleOf(owner);
    info.pszDisplayName = display;
    LPITEMIDLIST items = SHBrowseForFolderW(&info);
    if (!items) return false;
    wchar_t path[MAX_PATH] = {};
    const bool ok = SHGetPathFromIDListW(items, path) != FALSE;
    IMalloc* shellMalloc = nullptr;
    if (SUCCEEDED(SHGetMalloc(&shellMalloc)) && shellMalloc) {
        shellMalloc->Free(items);
        shellMalloc->Release();
    }
    if (ok) folder = Narrow(std::wstring(path));
    return ok;
}

}  // namespace kp::win32
