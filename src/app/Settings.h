// Where the settings live: the per-user profile section and the machine key shared by every user.
#pragma once
#include <cstdint>
#include <string>

namespace kestor {

extern const char* const kRegistryCompany;   // "Kestor"
extern const char* const kSection;           // profile section "Setting\Default"
extern const char* const kMachineKeyPath;    // under HKEY_LOCAL_MACHINE
extern const char* const kRunKeyPath;        // the machine-wide Run key
extern const char* const kDefaultPassword;   // "MoonGate"
constexpr size_t kRegStringBuffer = 128;     // machine strings are read into a buffer of this size

// Profile (per-user) values.
uint32_t GetProfileInt(const std::string& name, uint32_t defaultValue);
void WriteProfileInt(const std::string& name, uint32_t value);
std::string GetProfileString(const std::string& name, const std::string& defaultValue);
void WriteProfileString(const std::string& name, const std::string& value);

// Machine values, read with read access; the default when the key or the value is missing.
uint32_t ReadMachineInt(const std::string& name, uint32_t defaultValue);
// false when the key or the value cannot be read (or does not fit the buffer).
bool ReadMachineString(const std::string& name, std::string& value);

// The machine key opened for writing, or created with full access when it cannot be opened; 0 when
// neither works.
uintptr_t OpenOrCreateMachineKey();

// Writes machine values, creating the key with full access when it cannot be opened for writing.
// Failures are silent.
void WriteMachineValues(const std::string& digest, uint32_t passwordState);
// One DWORD machine value, written the same way.
void WriteMachineInt(const std::string& name, uint32_t value);

}  // namespace kestor
