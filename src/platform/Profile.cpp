#include "platform/Profile.h"

namespace kp {

namespace {
std::string g_root;

std::string SectionPath(const std::string& section) { return g_root + "\\" + section; }

// Profile strings have no fixed size; this only bounds what a damaged value can make us allocate.
constexpr size_t kMaxProfileString = 64 * 1024;
}  // namespace

void Profile::SetRegistryKey(const std::string& company) {
    g_root = "Software\\" + company + "\\" + TheOs().system->AppName();
}

const std::string& Profile::RootPath() { return g_root; }

uint32_t Profile::GetInt(const std::string& section, const std::string& entry, uint32_t defaultValue) {
    RegKeyHolder key(TheOs().registry->Open(Hive::CurrentUser, SectionPath(section), Access::Read));
    uint32_t value = defaultValue;
    if (key && TheOs().registry->QueryDword(key.Get(), entry, value)) return value;
    return defaultValue;
}

bool Profile::WriteInt(const std::string& section, const std::string& entry, uint32_t value) {
    RegKeyHolder key(TheOs().registry->Create(Hive::CurrentUser, SectionPath(section), Access::Write));
    return key && TheOs().registry->SetDword(key.Get(), entry, value);
}

std::string Profile::GetString(const std::string& section, const std::string& entry,
                               const std::string& defaultValue) {
    RegKeyHolder key(TheOs().registry->Open(Hive::CurrentUser, SectionPath(section), Access::Read));
    std::string value;
    if (key && TheOs().registry->QueryString(key.Get(), entry, value, kMaxProfileString)) return value;
    return defaultValue;
}

bool Profile::WriteString(const std::string& section, const std::string& entry, const std::string& value) {
    RegKeyHolder key(TheOs().registry->Create(Hive::CurrentUser, SectionPath(section), Access::Write));
    return key && TheOs().registry->SetString(key.Get(), entry, value);
}

}  // namespace kp
