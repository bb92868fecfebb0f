// How many render workers to start and how long idle workers spin, from the
// MORA_THREADS and MORA_RJQ_IDLE_SPIN_US environment variables, and the
// thread-pool status line text. Used by the queue start-up and creation.
#pragma once

#include <cstdint>
#include <string>

#include "platform/environment.h"
#include "platform/topology.h"

namespace mora::rjq {

// The status-line buffer size; longer lines are cut to size - 1 characters.
inline constexpr std::uint32_t kThreadPoolStatusSize = 256;
// MORA_THREADS is read into a buffer of this many bytes (value < 16 characters).
inline constexpr std::uint32_t kThreadsVariableBuffer = 16;
// MORA_RJQ_IDLE_SPIN_US is read into a buffer of this many bytes.
inline constexpr std::uint32_t kIdleSpinVariableBuffer = 32;
// The processor-count list of the status line is cut to this many characters.
inline constexpr std::uint32_t kGroupListMaxCharacters = 96;

// Outcome of reading MORA_THREADS against the processor count.
struct ThreadCountChoice {
    bool forced = false;  // the variable gave a value >= 1
    int value = 0;        // the parsed value when forced, else the default cap
    std::uint32_t requested = 0;
    std::string statusLine;  // the line written before the queue exists
};

// Leading-digits decimal parse of MORA_THREADS (optional blanks and sign, no
// digits gives 0, saturating at INT_MAX), clamped below at 0.
int ParseThreadsValue(const char* text);

// `read`/`text`: the result of reading MORA_THREADS; `activeProcessors`: all
// active logical processors of the machine.
ThreadCountChoice ChooseThreadCount(platform::EnvironmentRead read, const char* text, std::uint32_t activeProcessors);

// The line written once the queue runs with `workerCount` workers.
std::string FormatRunningStatus(const ThreadCountChoice& choice, std::uint32_t workerCount,
                                const platform::ProcessorGroups& groups);

// An idle-spin value: digits with an optional sign (negative read as 0,
// saturating on overflow); unset, too long, empty or anything else gives
// kDefaultIdleSpinMicroseconds.
std::uint64_t ParseIdleSpinMicroseconds(platform::EnvironmentRead read, const char* text);
// Reads MORA_RJQ_IDLE_SPIN_US and parses it as above.
std::uint64_t ReadIdleSpinMicroseconds();

}  // namespace mora::rjq
