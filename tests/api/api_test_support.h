// Shared pieces of the api tests: a fixture that starts each test with recording on and empty
// command buffers, counter snapshots of the EntryTable, and readers for the recorded words.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "api/entry_table.h"
#include "gl/command_buffer.h"
#include "gl/gl_context.h"
#include "panel/driver_settings.h"

namespace mora::test {

inline uint32_t Bits(float value) { return std::bit_cast<uint32_t>(value); }

// The EntryTable counters at one moment.
struct CounterSnapshot {
    std::array<uint64_t, kEntryCount> calls{};
};

inline CounterSnapshot SnapshotCounters() {
    CounterSnapshot snapshot;
    for (std::size_t row = 0; row < kEntryCount; ++row) snapshot.calls[row] = Entries().rows[row].calls.load();
    return snapshot;
}

inline uint64_t CallsSince(const CounterSnapshot& before, EntryId id) {
    return EntryCalls(id) - before.calls[static_cast<std::size_t>(id)];
}

// The recorded CommandStream as 32-bit words.
inline std::vector<uint32_t> StreamWords() {
    const CommandStream& stream = ActiveCommandRecording().stream;
    std::vector<uint32_t> words(static_cast<std::size_t>(CommandBufferSize(stream)) / 4);
    if (!words.empty()) std::memcpy(words.data(), stream.begin, words.size() * 4);
    return words;
}

inline uint64_t StreamBytes() { return CommandBufferSize(ActiveCommandRecording().stream); }
inline uint64_t BlobBytes() { return CommandBufferSize(ActiveCommandRecording().blob); }

// Every test starts with the full pipeline (recording on) and empty command buffers; the GL state
// is process-wide, so each test sets the state it looks at.
class ApiTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetSettingValue(Settings().PipelineCutoff, 5);
        EmptyCommandBuffer(ActiveCommandRecording().stream);
        EmptyCommandBuffer(ActiveCommandRecording().blob);
    }
    void TearDown() override {
        SetSettingValue(Settings().PipelineCutoff, 5);
        EmptyCommandBuffer(ActiveCommandRecording().stream);
        EmptyCommandBuffer(ActiveCommandRecording().blob);
    }
};

}  // namespace mora::test
