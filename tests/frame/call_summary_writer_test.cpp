// The call summary as written from the live counters: header and status lines, the total over
// the 363 entries, every entry once in falling order, the drift scan naming an entry without a
// Cmd record, the three appended sections, and a folder that cannot take the file.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "diag/status_lines.h"
#include "entry/entry_table.h"
#include "frame/call_summary_writer.h"
#include "platform/file.h"
#include "test_support/temp_dir.h"
#include "test_support/text_lines.h"

namespace mora {
namespace {

using test::SplitLines;

class CallSummaryWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder_.empty());
        ResetStatusLines();  // earlier cases of the same process may have set them
    }
    void TearDown() override { ResetStatusLines(); }
    test::TempDir dir_{"mora_summary"};
    const std::string& folder_ = dir_.path;
};

TEST_F(CallSummaryWriterTest, WritesEveryEntryOnceInFallingOrderWithTheDriftScanAndSections) {
    SetStatusLine(StatusLine::Isa, "[MORA isa = test level]");
    SetStatusLine(StatusLine::ThreadPool, "[MORA threads = 3 workers]");
    // glRasterPos2f has no Cmd record: one call puts it into the drift scan.
    CountEntryCall(EntryId::glRasterPos2f);
    CountEntryCall(EntryId::wglSwapBuffers);

    ASSERT_TRUE(WriteApiCallSummary(folder_.c_str()));
    std::string text;
    ASSERT_TRUE(platform::ReadWholeFile((folder_ + "/MORA_api_calls.log").c_str(), text));
    const std::vector<std::string> lines = SplitLines(text);
    ASSERT_GT(lines.size(), 6u + kEntryCount);

    uint64_t total = 0;
    int called = 0;
    for (std::size_t i = 0; i < kEntryCount; ++i) {
        const uint64_t calls = EntryCalls(static_cast<EntryId>(i));
        total += calls;
        if (calls != 0) ++called;
    }
    char totalLine[128];
    std::snprintf(totalLine, sizeof(totalLine), "Total API calls: %" PRIu64 "  (across %d/363 functions)\n", total,
                  called);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 7),
              (std::vector<std::string>{"=== MORA GL/WGL call summary (process lifetime) ===\n",
                                        "[MORA isa = test level]\n", "[MORA threads = 3 workers]\n",
                                        "[MORA framebuffer = not set]\n", "\n", totalLine, "\n"}));

    // The rows: every entry name once, counts as in the table, never rising.
    std::set<std::string> names;
    uint64_t previous = UINT64_MAX;
    for (std::size_t row = 0; row < kEntryCount; ++row) {
        const std::string& line = lines[7 + row];
        char name[64] = {};
        unsigned long long calls = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), " %63s : %llu", name, &calls), 2) << line;
        EXPECT_LE(calls, previous) << line;
        previous = calls;
        EXPECT_TRUE(names.insert(name).second) << "twice: " << name;
        const bool neverCalled = line.find("    [unimplemented, never called]\n") != std::string::npos;
        EXPECT_EQ(neverCalled, calls == 0) << line;
    }
    for (std::size_t i = 0; i < kEntryCount; ++i) EXPECT_TRUE(names.contains(EntryName(static_cast<EntryId>(i)))) << i;

    char driftRow[128];
    std::snprintf(driftRow, sizeof(driftRow), "    [capture-drift] %-28s : %14" PRIu64 "\n", "glRasterPos2f",
                  EntryCalls(EntryId::glRasterPos2f));
    EXPECT_NE(text.find("(replay of a .mora-capture taken during this run will diverge on these calls)\n\n"),
              std::string::npos);
    EXPECT_NE(text.find(driftRow), std::string::npos) << text;
    EXPECT_EQ(text.find("[capture-drift] wgl"), std::string::npos);

    const std::size_t occupancy = text.find("\n=== Occupancy (MORA RJQ tile scheduling) ===\n");
    EXPECT_NE(occupancy, std::string::npos);
    EXPECT_LT(occupancy, text.find("\n=== MORA scoped profile"));
    EXPECT_EQ(text, CurrentCallSummaryText());  // nothing changed in between
}

TEST_F(CallSummaryWriterTest, RewritesTheWholeFileAndSkipsAFolderThatCannotTakeIt) {
    const std::string path = folder_ + "/MORA_api_calls.log";
    const std::string stale(200000, 'z');
    ASSERT_TRUE(platform::ReplaceFileAtomically(path.c_str(), stale.data(), stale.size()));
    ASSERT_TRUE(WriteApiCallSummary(folder_.c_str()));
    std::string text;
    ASSERT_TRUE(platform::ReadWholeFile(path.c_str(), text));
    EXPECT_EQ(text.find('z' + std::string(50, 'z')), std::string::npos);  // no tail of the old file
    EXPECT_EQ(text.rfind("=== MORA GL/WGL call summary (process lifetime) ===\n", 0), 0u);

    EXPECT_FALSE(WriteApiCallSummary((folder_ + "/missing/folder").c_str()));
    EXPECT_FALSE(platform::FileExists((folder_ + "/missing/folder/MORA_api_calls.log").c_str()));
}

}  // namespace
}  // namespace mora
