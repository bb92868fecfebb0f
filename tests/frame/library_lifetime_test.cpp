// Library attach and detach: the pipeline cut-off switch read at every attach (the trace that
// MORA_TRACE_FRAMES opens is checked through the start-up in diagnostics_poll_test.cpp). The test
// runs in a folder of its own, since detach writes its diagnostic files into the current directory.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace mora
