// The driver's settings key in the registry (advapi32). Value names are ASCII, so the narrow-name
// calls would do, but the wide ones are what every Windows version implements natively.
#include "platform/registry_settings.h"

#include <windows.h>

#include <cstring>

#include "platform/win32/wide_text.h"

namespace mora::platform {

namespace {
constexpr wchar_t kDriverKey[] = L"Software\\MORA\\Driver";
}  // namespace

bool ReadDriverSettingsKey(std::span<RegistryDword> values) {
    for (RegistryDword& entry : values) entry.present = false;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kDriverKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    for (RegistryDword& entry : values) {
        DWORD type = 0;
        DWORD data = 0;
        DWORD size = sizeof(data);
        const LONG result =
            RegQueryValueExW(key, Wide(entry.name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
        // A longer value of any type fails with ERROR_MORE_DATA; a shorter one is refused by size.
        if (result != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(data)) continue;
        std::int32_t value = 0;
        std::memcpy(&value, &data, sizeof(value));
        entry.value = value;
        entry.present = true;
    }
    RegCloseKey(key);
    return true;
}

bool WriteDriverSettingsKey(std::span<const RegistryDword> values) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kDriverKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    for (const RegistryDword& entry : values) {
        DWORD data = 0;
        std::memcpy(&data, &entry.value, sizeof(data));
        RegSetValueExW(key, Wide(entry.name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
    }
    RegCloseKey(key);
    return true;
}

}  // namespace mora::platform
