#include "app/Settings.h"

#include "platform/Profile.h"

namespace kestor {

const char* const kRegistryCompany = "Kestor";
const char* const kSection = "Setting\\Default";
const char* const kMachineKeyPath = "SOFTWARE\\Kestor\\Setting\\Default";
const char* const kRunKeyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kDefaultPassword = "MoonGate";

uint32_t GetProfileInt(const std::string& name, uint32_t defaultValue) {
    return kp::Profile::GetInt(kSection, name, defaultValue);
}

void WriteProfileInt(const std::string& name, uint32_t value) { kp::Profile::WriteInt(kSection, name, value); }

std::string GetProfileString(const std::string& name, const std::string& defaultValue) {
    return kp::Profile::GetString(kSection, name, defaultValue);
}

void WriteProfileString(const std::string& name, const std::string& value) {
    kp::Profile::WriteString(kSection, name, value);
}

uint32_t ReadMachineInt(const std::string& name, uint32_t defaultValue) {
    kp::IRegistry& reg = *kp::TheOs().registry;
    kp::RegKeyHolder key(reg.Open(kp::Hive::LocalMachine, kMachineKeyPath, kp::Access::Read));
    uint32_t value = defaultValue;
    if (key && reg.QueryDword(key.Get(), name, value)) return value;
    return defaultValue;
}

bool ReadMachineString(const std::string& name, std::string& value) {
    kp::IRegistry& reg = *kp::TheOs().registry;
    kp::RegKeyHolder key(reg.Open(kp::Hive::LocalMachine, kMachineKeyPath, kp::Access::Read));
    return key && reg.QueryString(key.Get(), name, value, kRegStringBuffer);
}

uintptr_t OpenOrCreateMachineKey() {
    kp::IRegistry& reg = *kp::TheOs().registry;
    const kp::RegKey key = reg.Open(kp::Hive::LocalMachine, kMachineKeyPath, kp::Access::Write);
    return key ? key : reg.Create(kp::Hive::LocalMachine, kMachineKeyPath, kp::Access::All);
}

void WriteMachineValues(const std::string& digest, uint32_t passwordState) {
    kp::IRegistry& reg = *kp::TheOs().registry;
    kp::RegKeyHolder key(OpenOrCreateMachineKey());
    if (!key) return;
    reg.SetString(key.Get(), "Options_h1", digest);
    reg.SetDword(key.Get(), "Options_h2", passwordState);
}

void WriteMachineInt(const std::string& name, uint32_t value) {
    kp::IRegistry& reg = *kp::TheOs().registry;
    kp::RegKeyHolder key(OpenOrCreateMachineKey());
    if (key) reg.SetDword(key.Get(), name, value);
}

}  // namespace kestor
