// Environment reads on Windows: GetEnvironmentVariableA, with the same buffer rule as elsewhere (a
// value that does not fit counts as a failed read).
#include "platform/environment.h"

#include <windows.h>

namespace mora::platform {

EnvironmentRead ReadEnvironment(const char* name, char* buffer, std::size_t size) {
    if (size > 0) buffer[0] = '\0';
    if (name == nullptr) return EnvironmentRead::Unset;
    const DWORD capacity = size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<DWORD>(size);
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetEnvironmentVariableA(name, capacity > 0 ? buffer : nullptr, capacity);
    if (length == 0) {
        if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return EnvironmentRead::Unset;
        return EnvironmentRead::Value;  // set to the empty string
    }
    // A value that does not fit gives its required size, terminator included (>= capacity).
    if (length >= capacity) {
        if (size > 0) buffer[0] = '\0';
        return EnvironmentRead::TooLong;
    }
    return EnvironmentRead::Value;
}

bool SetEnvironment(const char* name, const char* value) {
    return name != nullptr && value != nullptr && SetEnvironmentVariableA(name, value) != 0;
}

bool UnsetEnvironment(const char* name) { return name != nullptr && SetEnvironmentVariableA(name, nullptr) != 0; }

}  // namespace mora::platform
