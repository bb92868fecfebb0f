// Trace writer: file names, exact header and line text, range checks, cutting, concurrent writers
// and the MORA_TRACE_FRAMES start-up switch (the crash mark is checked in frame/crash_report_test.cpp).
#include <gtest/gtest.h>

#include <cinttypes>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "diag/frame_counter.h"
#include "diag/status_lines.h"
#include "diag/trace.h"
#include "diag/trace_environment.h"
#include "platform/environment.h"
#include "platform/file.h"
#include "test_support/driver_state.h"
#include "test_support/temp_dir.h"
#include "test_support/text_lines.h"

namespace mora {
namespace {

using test::SplitLines;

void TraceWithNullFormat(const char* context, ...) {
    va_list args;
    va_start(args, context);
    TraceLineV(context, nullptr, args);
    va_end(args);
}

// The exact line TraceLine writes for these values.
std::string ExpectedLine(int32_t frame, uint64_t sequence, const char* context, const std::string& message) {
    char line[1024];
    std::snprintf(line, sizeof(line), "[frame=%d][seq=%6llu] %-36s %s\n", frame,
                  static_cast<unsigned long long>(sequence), context, message.c_str());
    return line;
}

class TraceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder_.empty());
        SetFrameCounter(0);
        ResetStatusLines();
    }
    void TearDown() override {
        test::ResetDriverState();
        SetFrameCounter(0);
        ResetStatusLines();
        platform::UnsetEnvironment("MORA_TRACE_FRAMES");
    }

    std::string ReadTrace(const char* name) { return dir_.Read(name); }

    test::TempDir dir_{"mora_trace_test"};
    const std::string& folder_ = dir_.path;
};

TEST_F(TraceTest, InvalidRangesAndASecondOpenChangeNothing) {
    // Three invalid ranges, then a folder that does not exist: the file cannot be created.
    const std::string missing = folder_ + "/missing";
    for (const auto& [first, last, folder] : {std::tuple{5, 4, folder_}, std::tuple{-1, 4, folder_},
                                              std::tuple{-3, -3, folder_}, std::tuple{1, 2, missing}}) {
        EXPECT_FALSE(OpenTrace(first, last, "UI", false, folder.c_str())) << first << ".." << last << " " << folder;
        EXPECT_FALSE(TraceFileOpen());
        EXPECT_EQ(CurrentTraceRange().first, -1);
        EXPECT_EQ(CurrentTraceRange().last, -1);
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder_));

    ASSERT_TRUE(OpenTrace(0, 1, "UI", true, folder_.c_str()));
    EXPECT_FALSE(OpenTrace(7, 7, "env", false, folder_.c_str()));
    EXPECT_EQ(CurrentTraceRange().first, 0);
    EXPECT_EQ(CurrentTraceRange().last, 1);
    EXPECT_TRUE(TraceQuitAfter());
    EXPECT_FALSE(platform::FileExists((folder_ + "/MORA_trace_frame7.mora-trace").c_str()));
}

TEST_F(TraceTest, LongTextIsCutButEveryLineEndsWithALineEndAndNullTextIsEmpty) {
    ASSERT_TRUE(OpenTrace(0, 0, "UI", false, folder_.c_str()));
    const std::string longContext(900, 'c');
    const uint64_t base = LastTraceSequence();
    TraceLine("MORA::GL::TexImage2D", "%s", std::string(700, 'm').c_str());
    TraceLine(longContext.c_str(), "(x=%d)", 1);
    TraceWithNullFormat(nullptr);
    CloseTrace();

    // No instruction-set line in the header while it is empty.
    const std::vector<std::string> lines = SplitLines(ReadTrace("MORA_trace_frame0.mora-trace"));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], ExpectedLine(0, base + 1, "MORA::GL::TexImage2D", std::string(511, 'm')));
    EXPECT_EQ(lines[2], ExpectedLine(0, base + 2, longContext.c_str(), "").substr(0, 766) + "\n");
    EXPECT_EQ(lines[3], ExpectedLine(0, base + 3, "", ""));
}

// The trace holds the header with the instruction-set line, the lines of the frames in its range
// only, and the end line.
TEST_F(TraceTest, EnvironmentSwitchOpensAQuitAfterRangeTraceLabelledEnv) {
    ASSERT_TRUE(platform::UnsetEnvironment("MORA_TRACE_FRAMES"));
    EXPECT_FALSE(OpenTraceFromEnvironment(folder_.c_str()));
    ASSERT_TRUE(platform::SetEnvironment("MORA_TRACE_FRAMES", "9-3"));
    EXPECT_FALSE(OpenTraceFromEnvironment(folder_.c_str()));
    EXPECT_FALSE(TraceFileOpen());

    SetStatusLine(StatusLine::Isa, "[MORA ISA = avx2 (forced via MORA_ISA env var)]");
    ASSERT_TRUE(platform::SetEnvironment("MORA_TRACE_FRAMES", "3-5"));
    ASSERT_TRUE(OpenTraceFromEnvironment(folder_.c_str()));
    EXPECT_TRUE(TraceFileOpen());
    EXPECT_TRUE(TraceQuitAfter());
    EXPECT_EQ(CurrentTraceRange().last, 5);
    const uint64_t base = LastTraceSequence();
    for (int32_t frame = 2; frame <= 6; ++frame) {
        SetFrameCounter(frame);
        EXPECT_EQ(TraceCoversCurrentFrame(), frame >= 3 && frame <= 5) << frame;
        TraceLine("MORA::GL::Clear", "(mask=0x%08X)", 0x4100u);
    }
    CloseTrace();
    EXPECT_FALSE(TraceFileOpen());
    const std::vector<std::string> expected = {
        "=== MORA trace (env, frames 3..5 inclusive) ===\n",
        "[MORA ISA = avx2 (forced via MORA_ISA env var)]\n",
        ExpectedLine(3, base + 1, "MORA::GL::Clear", "(mask=0x00004100)"),
        ExpectedLine(4, base + 2, "MORA::GL::Clear", "(mask=0x00004100)"),
        ExpectedLine(5, base + 3, "MORA::GL::Clear", "(mask=0x00004100)"),
        "=== end of trace ===\n",
    };
    EXPECT_EQ(SplitLines(ReadTrace("MORA_trace_frames3-5.mora-trace")), expected);
}

TEST_F(TraceTest, ConcurrentWritersNeverInterleaveInsideALine) {
    ASSERT_TRUE(OpenTrace(0, 0, "UI", false, folder_.c_str()));
    const uint64_t base = LastTraceSequence();
    constexpr int kThreads = 4;
    constexpr int kLinesPerThread = 3000;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([t] {
            for (int i = 0; i < kLinesPerThread; ++i) TraceLine("MORA::GL::Color4ub", "(thread=%d, i=%d)", t, i);
        });
    }
    for (std::thread& writer : writers) writer.join();
    CloseTrace();

    const std::vector<std::string> lines = SplitLines(ReadTrace("MORA_trace_frame0.mora-trace"));
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLinesPerThread) + 2);
    std::set<uint64_t> sequences;
    int nextIndex[kThreads] = {};
    for (std::size_t n = 1; n + 1 < lines.size(); ++n) {
        unsigned long long sequence = 0;
        int thread = 0;
        int index = 0;
        ASSERT_EQ(
            std::sscanf(lines[n].c_str(), "[frame=0][seq=%llu] %*s (thread=%d, i=%d)", &sequence, &thread, &index), 3);
        ASSERT_TRUE(thread >= 0 && thread < kThreads) << lines[n];
        const std::string message = "(thread=" + std::to_string(thread) + ", i=" + std::to_string(index) + ")";
        ASSERT_EQ(lines[n], ExpectedLine(0, sequence, "MORA::GL::Color4ub", message));
        EXPECT_EQ(index, nextIndex[thread]++);  // one thread's lines keep their order
        sequences.insert(sequence);
    }
    EXPECT_EQ(sequences.size(), static_cast<std::size_t>(kThreads * kLinesPerThread));
    EXPECT_EQ(*sequences.begin(), base + 1);
    EXPECT_EQ(*sequences.rbegin(), base + kThreads * kLinesPerThread);
}

TEST(TraceRangeTest, CoverageIsInclusiveAndNeedsAFirstFrameOfZeroOrMore) {
    EXPECT_FALSE(TraceRangeCovers(detail::kNoTraceRangeWord, 0));
    const struct {
        int32_t first, last, frame;
        bool covered;
    } cases[] = {{-1, -1, -1, false}, {-1, 5, 0, false}, {5, 5, 4, false},         {5, 5, 5, true},
                 {5, 5, 6, false},    {0, 9, -1, false}, {0, 9, INT32_MIN, false}, {0, INT32_MAX, INT32_MAX, true}};
    for (const auto& c : cases) {
        const uint64_t word = (uint64_t{static_cast<uint32_t>(c.last)} << 32) | static_cast<uint32_t>(c.first);
        EXPECT_EQ(TraceRangeCovers(word, c.frame), c.covered) << c.first << ".." << c.last << " frame " << c.frame;
    }

    SetFrameCounter(INT32_MAX);  // the frame counter wraps like a 32-bit counter
    EXPECT_EQ(AdvanceFrameCounter(), INT32_MIN);
    EXPECT_EQ(CurrentFrame(), INT32_MIN);
    SetFrameCounter(0);
}

TEST(FrameRangeParse, AcceptsANumberOrARange) {
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"12frames", "12..12"},
        {"3-7-9", "3..7"},
        {"7-3", "none"},
        {"-5", "none"},
        {"2147483648", "none"},
        {nullptr, "none"},
        {"5-6                            ", "5..6"},   // 31 characters
        {"5-6                             ", "none"},  // 32 characters: a failed read
    };
    for (const auto& [text, expected] : cases) {
        const std::optional<TraceRange> parsed = ParseFrameRange(text);
        EXPECT_EQ(parsed ? std::to_string(parsed->first) + ".." + std::to_string(parsed->last) : "none", expected)
            << (text != nullptr ? text : "null");
    }
}

}  // namespace
}  // namespace mora
