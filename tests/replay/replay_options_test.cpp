// mora-replay's command line: every option lands in its field, and malformed or out-of-range
// values are refused with a message naming them.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "replay_options.h"

namespace mora_replay_test {
namespace {

using mora::replay::ParseReplayOptions;
using mora::replay::ReplayOptions;

TEST(ReplayOptions, EveryOptionIsStoredAndOnlyThoseGiven) {
    ReplayOptions options;
    std::string error;
    ASSERT_TRUE(
        ParseReplayOptions({"--frames", "0-4294967295", "in.mora-capture", "--png", "out", "--compare", "--tolerance",
                            "4", "--bench", "7", "--isa", "avx2", "--threads", "0", "--vrs", "2"},
                           options, error))
        << error;
    EXPECT_EQ(std::tuple(options.capturePath, options.pngDirectory, options.compare, options.tolerance,
                         options.benchRuns, options.help),
              std::tuple("in.mora-capture", "out", true, 4, 7, false));
    // forceIsa 3: the ForceIsa value of AVX2.
    EXPECT_EQ(std::tuple(options.firstFrame, options.lastFrame, options.forceIsa, options.threads, options.vrsRate),
              std::tuple(0u, 4294967295u, 3, 0, 2));

    // Options not given leave the driver's own choices.
    options = {};
    ASSERT_TRUE(ParseReplayOptions({"a.mora-capture"}, options, error)) << error;
    EXPECT_FALSE(options.firstFrame || options.forceIsa || options.threads || options.vrsRate);
    ASSERT_TRUE(ParseReplayOptions({"a", "--frames", "5"}, options, error));
    EXPECT_EQ(std::tuple(options.firstFrame, options.lastFrame), std::tuple(5u, 5u));
}

TEST(ReplayOptions, BadValuesAreRefusedWithTheirReason) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"a", "--frames", "9-2"}, "--frames expects A-B with 0 <= A <= B, got \"9-2\""},
        {{"a", "--frames", "1-x"}, "--frames expects A-B with 0 <= A <= B, got \"1-x\""},
        {{"a", "--frames", "4294967296"}, "--frames expects A-B with 0 <= A <= B, got \"4294967296\""},
        {{"a", "--frames", "0x5"}, "--frames expects A-B with 0 <= A <= B, got \"0x5\""},
        {{"a", "--tolerance", "256"}, "--tolerance expects 0..255, got \"256\""},
        {{"a", "--bench", "0"}, "--bench expects 1..10000, got \"0\""},
        {{"a", "--isa", "AVX2"}, "--isa expects auto, sse4, avx, avx2 or avx512, got \"AVX2\""},
        {{"a", "--threads", "1025"}, "--threads expects 0..1024, got \"1025\""},
        {{"a", "--vrs", "3"}, "--vrs expects 0, 1 or 2, got \"3\""},
        {{"a", "--speed", "2"}, "unknown option --speed"},
        {{"a", "b"}, "more than one capture file named (\"a\", \"b\")"},
        {{"--compare"}, "no capture file named"},
    };
    for (const auto& [arguments, message] : cases) {
        ReplayOptions options;
        std::string error;
        EXPECT_FALSE(ParseReplayOptions(arguments, options, error)) << message;
        EXPECT_EQ(error, message);
    }
}

}  // namespace
}  // namespace mora_replay_test
