// Worker-count choice from MORA_THREADS, the thread-pool status lines, the
// idle-spin parse, the library-load start-up and the occupancy report text.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "diag/status_lines.h"
#include "platform/environment.h"
#include "platform/topology.h"
#include "rjq/occupancy.h"
#include "rjq/render_job_queue.h"
#include "rjq/startup.h"
#include "rjq/thread_settings.h"

namespace mora::rjq {
namespace {

using platform::EnvironmentRead;

platform::ProcessorGroups OneGroup(std::uint32_t processors) {
    platform::ProcessorGroups groups;
    groups.groupCount = 1;
    groups.active[0] = processors;
    groups.total = processors;
    return groups;
}

// The queue caps a forced count at the processor count (tests/rjq/queue_test.cpp); the line says so.
TEST(ThreadCount, ForcedValuesReportTheirRequestAndTheWorkersRunning) {
    const ThreadCountChoice choice = ChooseThreadCount(EnvironmentRead::Value, "4", 8);
    EXPECT_TRUE(choice.forced);
    EXPECT_EQ(choice.requested, 4u);
    EXPECT_EQ(choice.statusLine, "[MORA threads = 4 (forced via MORA_THREADS env var)]");
    EXPECT_EQ(FormatRunningStatus(choice, 4, OneGroup(8)),
              "[MORA threads = 4 workers (capped via MORA_THREADS=4) | Windows: 8 LPs / 1 groups (8)]");
    const ThreadCountChoice above = ChooseThreadCount(EnvironmentRead::Value, "64", 8);
    EXPECT_EQ(above.requested, 64u);
    EXPECT_EQ(FormatRunningStatus(above, 8, OneGroup(8)),
              "[MORA threads = 8 workers (capped via MORA_THREADS=64) | Windows: 8 LPs / 1 groups (8)]");

    // Every group is listed, the list cut to its buffer inside its parentheses.
    platform::ProcessorGroups groups;
    groups.groupCount = 16;
    for (auto& count : groups.active) count = 1000000000;
    ThreadCountChoice huge = above;
    huge.value = 2147483647;
    const std::string line = FormatRunningStatus(huge, 4000000000u, groups);
    const std::size_t open = line.find("groups (") + 8;
    ASSERT_EQ(line.substr(line.size() - 2), ")]");
    const std::string list = line.substr(open, line.size() - 2 - open);
    EXPECT_EQ(list.size(), kGroupListMaxCharacters);
    EXPECT_EQ(list.substr(0, 22), "1000000000,1000000000,");
}

TEST(ThreadCount, ValuesThatAreNotPositiveNumbersSelectTheDefaultCap) {
    struct Case {
        EnvironmentRead read;
        const char* text;
    };
    for (const Case c :
         {Case{EnvironmentRead::Value, "0"}, Case{EnvironmentRead::Value, "many"}, Case{EnvironmentRead::Value, "-3"},
          Case{EnvironmentRead::Value, ""}, Case{EnvironmentRead::TooLong, ""}, Case{EnvironmentRead::Unset, ""}}) {
        const ThreadCountChoice choice = ChooseThreadCount(c.read, c.text, 8);
        EXPECT_FALSE(choice.forced) << c.text;
        EXPECT_EQ(choice.requested, 7u) << c.text;
        EXPECT_EQ(choice.statusLine, "[MORA threads = default cap 7 (LPs minus producer)]") << c.text;
    }
    const ThreadCountChoice choice = ChooseThreadCount(EnvironmentRead::Unset, nullptr, 8);
    EXPECT_EQ(FormatRunningStatus(choice, 7, OneGroup(8)),
              "[MORA threads = 7 workers (default, LPs minus producer; cap=7) | Windows: 8 LPs / 1 groups (8)]");
    // One processor still gets one worker.
    const ThreadCountChoice one = ChooseThreadCount(EnvironmentRead::Unset, nullptr, 1);
    EXPECT_EQ(one.requested, 1u);
    EXPECT_EQ(one.statusLine, "[MORA threads = default cap 1 (LPs minus producer)]");
}

TEST(ThreadCount, ParsesLeadingDigitsOnly) {
    const std::pair<const char*, int> cases[] = {
        {"12abc", 12}, {"  3", 3}, {"+5", 5}, {"-5", 0}, {"x12", 0}, {"999999999999999", 2147483647}, {nullptr, 0}};
    for (const auto& [text, value] : cases) EXPECT_EQ(ParseThreadsValue(text), value) << (text ? text : "null");
}

TEST(IdleSpin, ParsesWholeNumbersOnly) {
    const std::pair<const char*, std::uint64_t> values[] = {
        {"250", 250},  {"0", 0},    {"-7", 0},  {"100x", 5000},
        {" 10", 5000}, {"-", 5000}, {"", 5000}, {"99999999999999999999999", ~std::uint64_t{0}}};
    for (const auto& [text, microseconds] : values) {
        EXPECT_EQ(ParseIdleSpinMicroseconds(EnvironmentRead::Value, text), microseconds) << text;
    }
    EXPECT_EQ(ParseIdleSpinMicroseconds(EnvironmentRead::TooLong, ""), 5000u);
    EXPECT_EQ(ParseIdleSpinMicroseconds(EnvironmentRead::Unset, nullptr), 5000u);
}

TEST(Startup, StartsTheProcessQueueAndWritesTheStatusLine) {
    ResetStatusLines();
    EXPECT_EQ(ThreadPoolStatus(), "[MORA threads = default (LPs minus producer)]");
    ASSERT_TRUE(platform::SetEnvironment("MORA_THREADS", "1"));
    ASSERT_TRUE(StartRenderJobQueue());
    RenderJobQueue* first = TheProcessQueue();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(WorkerCount(), 1u);
    const platform::ProcessorGroups groups = platform::ActiveProcessorGroups();
    EXPECT_EQ(ThreadPoolStatus(),
              "[MORA threads = 1 workers (capped via MORA_THREADS=1) | Windows: " + std::to_string(groups.total) +
                  " LPs / 1 groups (" + std::to_string(groups.total) + ")]");
    EXPECT_TRUE(StartRenderJobQueue());  // a second start keeps the running queue
    EXPECT_EQ(TheProcessQueue(), first);

    StopRenderJobQueue();
    EXPECT_EQ(TheProcessQueue(), nullptr);
    ASSERT_TRUE(platform::UnsetEnvironment("MORA_THREADS"));
    ResetStatusLines();
}

TEST(Occupancy, EnterAndExitCountLiveWorkersAndWork) {
    OccupancyRecord record;
    OccupancyEnter(record);                       // 1 live
    OccupancyEnter(record);                       // 2 live
    OccupancyExit(record, 100, 350, 1000000000);  // 250 ns
    OccupancyEnter(record);                       // 2 live again
    OccupancyExit(record, 500, 400, 1000000000);  // clock went backwards: no work added
    OccupancyExit(record, 0, 3, 1000);            // 3 ms
    EXPECT_EQ(
        (std::vector<std::uint64_t>{record.liveWorkers.load(), record.totalEntries.load(), record.histogram[1].load(),
                                    record.histogram[2].load(), record.totalWorkNanoseconds.load()}),
        (std::vector<std::uint64_t>{0, 3, 1, 2, 3000250}));
    // Huge live counts land in the last bucket.
    OccupancyRecord crowded;
    crowded.liveWorkers.store(400);
    OccupancyEnter(crowded);
    EXPECT_EQ(crowded.histogram[255].load(), 1u);
}

TEST(Occupancy, ReportListsNonZeroBucketsWithTheirShareOrOnlyTheHeaders) {
    const std::string title = "\n=== Occupancy (MORA RJQ tile scheduling) ===\n";
    const std::string histogram =
        "\nHistogram of tile-entry moments by simultaneous workers:\n"
        "  (N = # workers live when this tile entered, inclusive of self)\n";
    OccupancyRecord record;
    EXPECT_EQ(FormatOccupancyReport(record), title + "total_work_ns=0  total_tile_entries=0\n" + histogram);
    record.totalWorkNanoseconds.store(12345678);
    record.totalEntries.store(8);
    record.histogram[0].store(2);  // counted in the sum, never printed
    record.histogram[1].store(3);
    record.histogram[3].store(1);
    record.histogram[12].store(2);
    EXPECT_EQ(FormatOccupancyReport(record),
              title + "total_work_ns=12345678  total_tile_entries=8\navg_us_per_tile=1543.21\n" + histogram +
                  "  N=  1 :            3  (37.50 %)\n"
                  "  N=  3 :            1  (12.50 %)\n"
                  "  N= 12 :            2  (25.00 %)\n");
}

}  // namespace
}  // namespace mora::rjq
