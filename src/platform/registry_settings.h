// The driver's settings in the Windows registry: one REG_DWORD value per setting, named like the
// setting, under HKEY_CURRENT_USER\Software\MORA\Driver. Windows builds only; the other platforms
// keep the same values in a per-user file.
#pragma once

#include <cstdint>
#include <span>

namespace mora::platform {

struct RegistryDword {
    const char* name = "";  // ASCII value name
    std::int32_t value = 0;
    bool present = false;  // read: the value exists as a REG_DWORD of 4 bytes
};

// Reads every named value of the key: `present` and `value` are set for each value that exists
// as a 4-byte REG_DWORD (its bits taken as a signed number); any other value, of another type or
// size or missing, is left not present. False, with nothing present, when the key cannot be opened.
bool ReadDriverSettingsKey(std::span<RegistryDword> values);

// Creates or opens the key and writes each value as a 4-byte REG_DWORD (`present` is not looked
// at). False when the key cannot be created or opened; single failed writes are not reported.
bool WriteDriverSettingsKey(std::span<const RegistryDword> values);

}  // namespace mora::platform
