// GBK <-> UTF-16 at the edge of the backend.
#include "platform/win32/Win32.h"

namespace kp::win32 {

namespace {
constexpr UINT kGbk = 936;
}

std::wstring Wide(const std::string& gbk) {
    if (gbk.empty()) return std::wstring();
    const int size = static_cast<int>(gbk.size());
    const int needed = MultiByteToWideChar(kGbk, 0, gbk.data(), size, nullptr, 0);
    if (needed <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(kGbk, 0, gbk.data(), size, &wide[0], needed);
    return wide;
}

std::string Narrow(const wchar_t* text, size_t length) {
    if (!text || length == 0) return std::string();
    const int size = static_cast<int>(length);
    const int needed = WideCharToMultiByte(kGbk, 0, text, size, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return std::string();
    std::string gbk(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(kGbk, 0, text, size, &gbk[0], needed, nullptr, nullptr);
    return gbk;
}

std::string Narrow(const std::wstring& text) { return Narrow(text.data(), text.size()); }

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

}  // namespace kp::win32
