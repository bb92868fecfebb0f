// Environment variable reads into caller-sized buffers, with the rule that a
// value that does not fit (length >= buffer size) counts as a failed read.
// Read once at library load for the MORA_* switches.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mora::platform {

enum class EnvironmentRead : std::uint8_t {
    Unset,    // the variable does not exist
    TooLong,  // value length >= buffer size; buffer holds ""
    Value,    // buffer holds the value (possibly empty), NUL-terminated
};

// Copies the value of `name` into buffer[0..size). On Unset and TooLong the
// buffer holds "" (when size > 0).
EnvironmentRead ReadEnvironment(const char* name, char* buffer, std::size_t size);

template <std::size_t N>
EnvironmentRead ReadEnvironment(const char* name, char (&buffer)[N]) {
    return ReadEnvironment(name, buffer, N);
}

// Sets / removes a variable of this process (tools and tests; not
// thread-safe against concurrent reads). Return false on failure.
bool SetEnvironment(const char* name, const char* value);
bool UnsetEnvironment(const char* name);

}  // namespace mora::platform
