// The registry through the W functions; strings are stored as UTF-16 and measured in GBK bytes.
#include "platform/win32/Services.h"

namespace kp::win32 {

namespace {

HKEY Root(Hive hive) { return hive == Hive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

REGSAM Rights(Access access) {
    switch (access) {
    case Access::Read: return KEY_READ;
    case Access::Write: return KEY_WRITE;
    case Access::All: break;
    }
    return KEY_ALL_ACCESS;
}

HKEY Native(RegKey key) { return reinterpret_cast<HKEY>(key); }

}  // namespace

RegKey Registry::Open(Hive hive, const std::string& path, Access access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(Root(hive), Wide(path).c_str(), 0, Rights(access), &key) != ERROR_SUCCESS) return 0;
    return reinterpret_cast<RegKey>(key);
}

RegKey Registry::Create(Hive hive, const std::string& path, Access access) {
    HKEY key = nullptr;
    const REGSAM rights = access == Access::Write ? KEY_READ | KEY_WRITE : Rights(access);
    if (RegCreateKeyExW(Root(hive), Wide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, rights,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return 0;
    return reinterpret_cast<RegKey>(key);
}

void Registry::Close(RegKey key) {
    if (key) RegCloseKey(Native(key));
}

bool Registry::QueryDword(RegKey key, const std::string& name, uint32_t& value) {
    DWORD type = 0, data = 0, size = sizeof data;
    if (RegQueryValueExW(Native(key), Wide(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof data)
        return false;
    value = data;
    return true;
}

bool Registry::QueryString(RegKey key, const std::string& name, std::string& value, size_t bufferSize) {
    const std::wstring wideName = Wide(name);
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(Native(key), wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    // Every UTF-16 unit becomes at least one GBK byte, so a value of more units than the buffer has bytes
    // cannot fit; this also bounds what a damaged value can make us allocate.
    if (size / sizeof(wchar_t) > bufferSize) return false;
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = size;
    if (RegQueryValueExW(Native(key), wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &got) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    data.resize(got / sizeof(wchar_t));
    const size_t end = data.find(L'\0');
    if (end != std::wstring::npos) data.resize(end);
    std::string text = Narrow(data);
    if (text.size() + 1 > bufferSize) return false;
    value = std::move(text);
    return true;
}

bool Registry::SetDword(RegKey key, const std::string& name, uint32_t value) {
    const DWORD data = value;
    return RegSetValueExW(Native(key), Wide(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data) == ERROR_SUCCESS;
}

bool Registry::SetString(RegKey key, const std::string& name, const std::string& value) {
    const std::wstring data = Wide(value);
    return RegSetValueExW(Native(key), Wide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool Registry::DeleteValue(RegKey key, const std::string& name) {
    return RegDeleteValueW(Native(key), Wide(name).c_str()) == ERROR_SUCCESS;
}

}  // namespace kp::win32
