// The application's registry profile: per-user values under
// HKEY_CURRENT_USER\Software\<company>\<application name>\<section>, and a small holder for opened keys.
#pragma once
#include <cstdint>
#include <string>
#include "platform/Os.h"

namespace kp {

// Closes the key when it goes out of scope.
class RegKeyHolder {
public:
    explicit RegKeyHolder(RegKey key = 0) : m_key(key) {}
    RegKeyHolder(const RegKeyHolder&) = delete;
    RegKeyHolder& operator=(const RegKeyHolder&) = delete;
    ~RegKeyHolder() { Reset(); }
    RegKey Get() const { return m_key; }
    explicit operator bool() const { return m_key != 0; }
    void Reset(RegKey key = 0) {
        if (m_key) TheOs().registry->Close(m_key);
        m_key = key;
    }

private:
    RegKey m_key;
};

class Profile {
public:
    // From now on the profile lives under Software\<company>\<application name>.
    static void SetRegistryKey(const std::string& company);
    static const std::string& RootPath();
    static uint32_t GetInt(const std::string& section, const std::string& entry, uint32_t defaultValue);
    static bool WriteInt(const std::string& section, const std::string& entry, uint32_t value);
    static std::string GetString(const std::string& section, const std::string& entry,
                                 const std::string& defaultValue);
    static bool WriteString(const std::string& section, const std::string& entry, const std::string& value);
};

}  // namespace kp
