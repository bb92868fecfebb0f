// Shared pieces of the api tests: a fixture that starts each test with recording on and empty
// command buffers, counter snapshots of the EntryTable, and readers for the recorded words.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "api/client_arrays.h"
#include "api/display_lists.h"
#include "api/fixed_function.h"
#include "api/texture_levels.h"
#include "entry/entry_table.h"
#include "frame/frame_test_support.h"
#include "gl/command_buffer.h"
#include "gl/gl_context.h"
#include "panel/driver_settings.h"
#include "test_support/driver_state.h"

namespace mora::test {

inline uint32_t Bits(float value) { return std::bit_cast<uint32_t>(value); }

// The EntryTable counters at one moment.
using CounterSnapshot = std::array<uint64_t, kEntryCount>;

inline CounterSnapshot SnapshotCounters() {
    CounterSnapshot snapshot{};
    for (std::size_t row = 0; row < kEntryCount; ++row) snapshot[row] = TheEntryTable().rows[row].calls.load();
    return snapshot;
}

inline uint64_t CallsSince(const CounterSnapshot& before, EntryId id) {
    return EntryCalls(id) - before[static_cast<std::size_t>(id)];
}

// The calls of several entries since `before`, in the order given.
inline std::vector<uint64_t> CallsSince(const CounterSnapshot& before, std::initializer_list<EntryId> ids) {
    std::vector<uint64_t> calls;
    for (EntryId id : ids) calls.push_back(CallsSince(before, id));
    return calls;
}

// The recorded CommandStream as 32-bit words.
inline std::vector<uint32_t> StreamWords() {
    const CommandStream& stream = TheCommandRecording().stream;
    std::vector<uint32_t> words(static_cast<std::size_t>(CommandBufferSize(stream)) / 4);
    if (!words.empty()) std::memcpy(words.data(), stream.begin, words.size() * 4);
    return words;
}

inline uint64_t StreamBytes() { return CommandBufferSize(TheCommandRecording().stream); }
inline uint64_t BlobBytes() { return CommandBufferSize(TheCommandRecording().blob); }

// Every test starts with a context current on its thread (the GL entries change nothing without
// one), the full pipeline (recording on), empty command buffers, no display lists, client arrays,
// lights or proxy answers; the GL state is process-wide, so each test sets the state it looks at.
class ApiTest : public ::testing::Test {
protected:
    CurrentOffscreenContext current_{64, 64};
    void SetUp() override {
        ASSERT_NE(current_.context, nullptr);
        Reset();
    }
    void TearDown() override { Reset(); }
    static void Reset() {
        ResetDriverState();
        api::ResetDisplayLists();
        api::TheClientState() = api::ClientState{};
        api::TheFixedFunctionState() = api::MakeDefaultFixedFunctionState();
        api::ResetTextureLevels();
    }
};

}  // namespace mora::test
