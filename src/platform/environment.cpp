#include "platform/environment.h"

#include <stdlib.h>

#include <cstring>

namespace mora::platform {

EnvironmentRead ReadEnvironment(const char* name, char* buffer, std::size_t size) {
    if (buffer != nullptr && size > 0) buffer[0] = '\0';
    if (name == nullptr) return EnvironmentRead::Unset;
    const char* value = getenv(name);
    if (value == nullptr) return EnvironmentRead::Unset;
    const std::size_t length = std::strlen(value);
    if (buffer == nullptr || length >= size) return EnvironmentRead::TooLong;
    std::memcpy(buffer, value, length + 1);
    return EnvironmentRead::Value;
}

bool SetEnvironment(const char* name, const char* value) {
    if (name == nullptr || value == nullptr) return false;
    return setenv(name, value, 1) == 0;
}

bool UnsetEnvironment(const char* name) { return name != nullptr && unsetenv(name) == 0; }

}  // namespace mora::platform
