// The common open-file dialogs, for one file and for several, and the shell's folder browser.
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

// A system library loaded for one call and let go after it. The common dialogs bring the print spooler
// and its libraries with them; a program that idles for days needs them for a few seconds at most.
class LibraryForThisCall {
public:
    explicit LibraryForThisCall(const wchar_t* name) : m_module(LoadLibraryW(name)) {}
    ~LibraryForThisCall() {
        if (m_module) FreeLibrary(m_module);
    }
    LibraryForThisCall(const LibraryForThisCall&) = delete;
    LibraryForThisCall& operator=(const LibraryForThisCall&) = delete;

    template <typename Fn>
    Fn Get(const char* name) const {
        return m_module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m_module, name))) : nullptr;
    }

private:
    HMODULE m_module;
};

// The folder browser wants COM on its thread.
class ComForThisCall {
public:
    ComForThisCall() {
        using Init = HRESULT(WINAPI*)(void*, DWORD);
        const auto init = m_ole.Get<Init>("CoInitializeEx");
        m_uninit = m_ole.Get<Uninit>("CoUninitialize");
        m_initialised = init && m_uninit && SUCCEEDED(init(nullptr, COINIT_APARTMENTTHREADED));
    }
    ~ComForThisCall() {
        if (m_initialised) m_uninit();
    }
    ComForThisCall(const ComForThisCall&) = delete;
    ComForThisCall& operator=(const ComForThisCall&) = delete;

private:
    using Uninit = void(WINAPI*)();
    LibraryForThisCall m_ole{L"ole32.dll"};
    Uninit m_uninit = nullptr;
    bool m_initialised = false;
};

// The dialog's texts and settings, kept alive while it runs.
class OpenFileRequest {
public:
    OpenFileRequest(Wnd& owner, const std::string& filter, const std::string& defaultExt, size_t chars,
                    DWORD flags)
        : m_filter(Wide(filter)), m_ext(Wide(defaultExt)), m_file(chars, L'\0') {
        // "|" separates the entries; the text is converted first, since in GBK "|" may be the second byte
        // of a character.
        for (wchar_t& c : m_filter)
            if (c == L'|') c = L'\0';
        m_filter.append(2, L'\0');
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = HandleOf(owner);
        ofn.lpstrFilter = m_filter.c_str();
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = m_file.data();
        ofn.nMaxFile = static_cast<DWORD>(m_file.size());
        ofn.lpstrDefExt = m_ext.empty() ? nullptr : m_ext.c_str();
        ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | flags;
    }

    // Runs the dialog. Browsing moves the process's current folder (OFN_NOCHANGEDIR does not stop that for
    // an open dialog), and the program's files are found from the one it started in: it is put back.
    bool Run(DWORD& error) {
        using Open = BOOL(WINAPI*)(OPENFILENAMEW*);
        using Error = DWORD(WINAPI*)();
        const LibraryForThisCall comdlg(L"comdlg32.dll");
        const auto open = comdlg.Get<Open>("GetOpenFileNameW");
        const auto lastError = comdlg.Get<Error>("CommDlgExtendedError");
        error = CDERR_INITIALIZATION;
        if (!open || !lastError) return false;
        const std::wstring startDir = CurrentDirectoryW();
        const BOOL ok = open(&ofn);
        error = ok ? 0 : lastError();
        if (!startDir.empty()) SetCurrentDirectoryW(startDir.c_str());
        return ok != FALSE;
    }
    const wchar_t* File() const { return m_file.data(); }

    OPENFILENAMEW ofn{};

private:
    std::wstring m_filter, m_ext;
    std::vector<wchar_t> m_file;
};

}  // namespace

bool FileDialogs::OpenFile(Wnd& owner, const std::string& filter, const std::string& defaultExt,
                           const std::string& initialDir, std::string& path) {
    OpenFileRequest request(owner, filter, defaultExt, 4096, 0);
    const std::wstring dir = Wide(initialDir);
    request.ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
    DWORD error = 0;
    if (!request.Run(error)) return false;
    path = Narrow(request.File(), wcsnlen(request.File(), request.ofn.nMaxFile));
    return true;
}

FileDialogResult FileDialogs::OpenFiles(Wnd& owner, const std::string& filter, const std::string& defaultExt,
                                        std::vector<std::string>& paths) {
    paths.clear();
    OpenFileRequest request(owner, filter, defaultExt, kSelectionChars, OFN_ALLOWMULTISELECT);
    DWORD error = 0;
    if (!request.Run(error))
        return error == FNERR_BUFFERTOOSMALL ? FileDialogResult::TooManyFiles : FileDialogResult::Cancelled;
    const OPENFILENAMEW& ofn = request.ofn;

    // One file: its full path. Several: the folder, then each name, each ended by a zero, and a second
    // zero at the end.
    const wchar_t* first = request.File();
    const size_t firstLength = wcslen(first);
    const wchar_t* next = first + firstLength + 1;
    if (ofn.nFileOffset <= firstLength || *next == L'\0') {
        paths.push_back(Narrow(first, firstLength));
        return FileDialogResult::Ok;
    }
    std::wstring folder(first, firstLength);
    if (folder.back() != L'\\') folder += L'\\';
    for (; *next; next += wcslen(next) + 1) {
        // Wine gives back full paths typed into the name box as they were typed.
        const bool full = (next[0] && next[1] == L':') || (next[0] == L'\\' && next[1] == L'\\');
        paths.push_back(Narrow(full ? std::wstring(next) : folder + next));
    }
    return FileDialogResult::Ok;
}

bool FileDialogs::BrowseForFolder(Wnd& owner, std::string& folder) {
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
