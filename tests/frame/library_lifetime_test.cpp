// Library attach and detach: the pipeline cut-off switch read at every attach, and the trace that
// MORA_TRACE_FRAMES opens at attach and detach closes. Each test runs in a folder of its own,
// since detach writes its diagnostic files into the current directory.
#include <gtest/gtest.h>

#include <string>

#include "diag/trace.h"
#include "frame/library_lifetime.h"
#include "panel/driver_settings.h"
#include "platform/environment.h"
#include "platform/file.h"
#include "test_support/driver_state.h"
#include "test_support/temp_dir.h"

namespace mora {
namespace {

class LibraryLifetime : public ::testing::Test {
protected:
    void SetUp() override {
        TearDown();
        ASSERT_TRUE(dir_.entered);
    }
    void TearDown() override {
        platform::UnsetEnvironment("MORA_PIPELINE_CUTOFF");
        platform::UnsetEnvironment("MORA_TRACE_FRAMES");
        test::ResetDriverState();
    }

    // One load and unload of the library with the cut-off switch set to `value` (null: unset);
    // returns the cut-off in force while loaded.
    int32_t CutOffAfterAttachWith(const char* value) {
        EXPECT_TRUE(value != nullptr ? platform::SetEnvironment("MORA_PIPELINE_CUTOFF", value)
                                     : platform::UnsetEnvironment("MORA_PIPELINE_CUTOFF"));
        LibraryAttach();
        const int32_t cutoff = SettingValue(TheDriverSettings().PipelineCutoff);
        LibraryDetach();
        return cutoff;
    }

    test::TempDir dir_{"mora_lifetime", test::TempDir::Enter::Yes};
};

TEST_F(LibraryLifetime, AttachSetsTheCutOffFromTheEnvironmentEveryTime) {
    EXPECT_EQ(CutOffAfterAttachWith("TRIANGLES"), 2);
    EXPECT_EQ(CutOffAfterAttachWith("api-null"), 0);
    EXPECT_EQ(CutOffAfterAttachWith("bin extra words"), 4);
    // Unset or unrecognised means the full pipeline, whatever was in force before.
    SetSettingValue(TheDriverSettings().PipelineCutoff, 1);
    EXPECT_EQ(CutOffAfterAttachWith(nullptr), 5);
    SetSettingValue(TheDriverSettings().PipelineCutoff, 1);
    EXPECT_EQ(CutOffAfterAttachWith("tri"), 5);
}

TEST_F(LibraryLifetime, AttachOpensTheEnvironmentTraceAndDetachClosesIt) {
    ASSERT_TRUE(platform::SetEnvironment("MORA_TRACE_FRAMES", "3-4"));
    LibraryAttach();
    EXPECT_TRUE(TraceFileOpen());
    EXPECT_EQ(CurrentTraceRange().first, 3);
    EXPECT_EQ(CurrentTraceRange().last, 4);
    EXPECT_TRUE(TraceQuitAfter());
    LibraryDetach();
    EXPECT_FALSE(TraceFileOpen());
    std::string text;
    ASSERT_TRUE(platform::ReadWholeFile("MORA_trace_frames3-4.mora-trace", text));
    EXPECT_EQ(text.rfind("=== MORA trace (env, frames 3..4 inclusive) ===\n", 0), 0u) << text;
    EXPECT_TRUE(text.ends_with("=== end of trace ===\n")) << text;
}

TEST_F(LibraryLifetime, WithoutTheSwitchNoTraceOpensAndDetachTwiceIsHarmless) {
    LibraryAttach();
    EXPECT_FALSE(TraceFileOpen());
    LibraryDetach();
    LibraryDetach();
    EXPECT_FALSE(TraceFileOpen());
}

}  // namespace
}  // namespace mora
