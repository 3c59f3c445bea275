// The process and its surroundings: clock, mutex, names and folders, files, power and sound.
#include <algorithm>
#include <vector>

#include "platform/win32/NativeControls.h"
#include "platform/win32/Services.h"

#include <mmsystem.h>

namespace kp::win32 {

namespace {

// Fills a buffer through a function that reports the size it needs (the Get...DirectoryW family).
template <typename Getter>
std::string SizedText(Getter get) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD got = get(static_cast<DWORD>(buffer.size()), buffer.data());
        if (got == 0) return std::string();
        if (got < buffer.size()) return Narrow(buffer.data(), got);
        buffer.assign(static_cast<size_t>(got) + 1, L'\0');
    }
    return std::string();
}

std::wstring ModuleFileName() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD got = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (got == 0) return std::wstring();
        if (got < buffer.size() || buffer.size() >= 32768) return std::wstring(buffer.data(), got);
        buffer.assign(buffer.size() * 2, L'\0');
    }
}

}  // namespace

// ---- clock ----

SysTime Clock::LocalTime() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return FromNative(st);
}

SysTime Clock::UtcTime() {
    SYSTEMTIME st;
    GetSystemTime(&st);
    return FromNative(st);
}

uint32_t Clock::TickCount() { return GetTickCount(); }

// ---- system ----

bool System::CreateNamedMutex(const std::string& name, bool& existed) {
    SetLastError(ERROR_SUCCESS);
    HANDLE mutex = CreateMutexW(nullptr, FALSE, Wide(name).c_str());
    existed = GetLastError() == ERROR_ALREADY_EXISTS;
    if (!mutex) return false;
    m_mutexes.push_back(mutex);
    return true;
}

std::string System::CurrentDirectory() {
    return SizedText([](DWORD size, wchar_t* buffer) { return GetCurrentDirectoryW(size, buffer); });
}

bool System::ComputerName(std::string& name) {
    wchar_t buffer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(buffer, &size)) return false;
    name = Narrow(buffer, size);
    return true;
}

bool System::UserName(std::string& name) {
    wchar_t buffer[257] = {};  // the longest user name and its terminator
    DWORD size = 257;
    if (!GetUserNameW(buffer, &size)) return false;
    name = Narrow(buffer, wcsnlen(buffer, 257));
    return true;
}

std::string System::WindowsDirectory() {
    return SizedText([](DWORD size, wchar_t* buffer) { return GetWindowsDirectoryW(buffer, size); });
}

std::string System::SystemDirectory() {
    return SizedText([](DWORD size, wchar_t* buffer) { return GetSystemDirectoryW(buffer, size); });
}

std::string System::AppName() {
    std::wstring path = ModuleFileName();
    const size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos) path.erase(0, slash + 1);
    const size_t dot = path.rfind(L'.');
    if (dot != std::wstring::npos) path.erase(dot);
    return Narrow(path);
}

std::string System::ModulePath() { return Narrow(ModuleFileName()); }

// ---- files ----

bool Files::Read(const std::string& path, std::string& bytes, size_t maxBytes) {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes.clear();
    bool ok = true;
    char chunk[16384];
    while (bytes.size() < maxBytes) {
        const DWORD want = static_cast<DWORD>(std::min(sizeof chunk, maxBytes - bytes.size()));
        DWORD got = 0;
        if (!ReadFile(file, chunk, want, &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0) break;
        bytes.append(chunk, got);
    }
    CloseHandle(file);
    return ok;
}

bool Files::WriteReplace(const std::string& path, const std::string& bytes) {
    const std::wstring target = Wide(path);
    const size_t slash = target.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"." : target.substr(0, slash + 1);
    wchar_t temporary[MAX_PATH] = {};
    if (!GetTempFileNameW(folder.c_str(), L"kst", 0, temporary)) return false;

    HANDLE file = CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = file != INVALID_HANDLE_VALUE;
    for (size_t done = 0; ok && done < bytes.size();) {
        const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD wrote = 0;
        ok = WriteFile(file, bytes.data() + done, want, &wrote, nullptr) && wrote == want;
        done += wrote;
    }
    if (file != INVALID_HANDLE_VALUE) {
        ok = FlushFileBuffers(file) && ok;
        ok = CloseHandle(file) && ok;
    }
    ok = ok && MoveFileExW(temporary, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileW(temporary);
    return ok;
}

bool Files::Exists(const std::string& path) {
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// ---- power and sound ----

bool Power::ExitWindows(unsigned flags) { return ExitWindowsEx(flags, 0) != FALSE; }

bool Sound::PlaySync(const std::string& path) {
    return PlaySoundW(Wide(path).c_str(), nullptr, SND_FILENAME | SND_SYNC) != FALSE;
}

}  // namespace kp::win32
