// The crash report, in a child process: after a null write with a trace open, the child dies of
// SIGSEGV and leaves a fresh call summary (with the calls made just before the crash) and a trace
// ending in its pending lines and the CRASH line; also when the crash happens while the faulting
// thread holds the trace lock.
#include <gtest/gtest.h>

#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <string>

#include "diag/frame_counter.h"
#include "diag/trace.h"
#include "diag/trace_crash_mark.h"
#include "entry/entry_table.h"
#include "frame/diagnostics_startup.h"
#include "platform/environment.h"
#include "platform/file.h"
#include "platform/mutex.h"
#include "test_support/temp_dir.h"

namespace mora {
namespace {

constexpr char kCrashLine[] = "\n=== CRASH (vectored handler triggered) ===\n";

[[gnu::noinline, gnu::no_sanitize_undefined]] void WriteThroughNull() {
    volatile int* volatile pointer = nullptr;
    *pointer = 1;
}

// The child's part: diagnostics as library attach starts them (the default action for the
// fault, whatever a sanitizer runtime installed), a trace open over the current frame, some
// counted and traced calls.
void StartCrashingChild(int32_t frame) {
    std::signal(SIGSEGV, SIG_DFL);
    StartDiagnostics();
    if (!OpenTrace(frame, frame + 5, "crash", false)) std::_Exit(3);
    CountEntryCall(EntryId::glRasterPos2f);
    CountEntryCall(EntryId::glRasterPos2f);
    TraceLine("MORA::GL::Rectf", "(x1=%d)", 7);
}

class CrashReport : public ::testing::Test {
protected:
    void SetUp() override {
#if defined(__SANITIZE_THREAD__)
        // ThreadSanitizer intercepts the fatal signals itself and reports the summary's formatting
        // as signal-unsafe before the handler can finish, so the crash path is checked in the other builds.
        GTEST_SKIP() << "crash reports are not checked under ThreadSanitizer";
#endif
        GTEST_FLAG_SET(death_test_style, "fast");  // the child must write into this test's folder
        platform::UnsetEnvironment("MORA_TRACE_FRAMES");
        platform::UnsetEnvironment("MORA_CAPTURE_FRAMES");
        ASSERT_TRUE(dir_.entered);
        frame_ = CurrentFrame();
        rectCallsBefore_ = EntryCalls(EntryId::glRasterPos2f);
    }

    std::string TraceName() const {
        return "MORA_trace_frames" + std::to_string(frame_) + "-" + std::to_string(frame_ + 5) + ".mora-trace";
    }

    void ExpectReportOfTheChild() {
        std::string summary;
        ASSERT_TRUE(platform::ReadWholeFile("MORA_api_calls.log", summary));
        EXPECT_EQ(summary.rfind("=== MORA GL/WGL call summary (process lifetime) ===\n", 0), 0u);
        char drift[128];
        std::snprintf(drift, sizeof(drift), "    [capture-drift] %-28s : %14" PRIu64 "\n", "glRasterPos2f",
                      rectCallsBefore_ + 2);
        EXPECT_NE(summary.find(drift), std::string::npos) << summary;

        std::string trace;
        ASSERT_TRUE(platform::ReadWholeFile(TraceName().c_str(), trace)) << TraceName();
        EXPECT_TRUE(trace.ends_with(std::string("MORA::GL::Rectf                      (x1=7)\n") + kCrashLine))
            << trace;
    }

    test::TempDir dir_{"mora_crash", test::TempDir::Enter::Yes};
    int32_t frame_ = 0;
    uint64_t rectCallsBefore_ = 0;
};

// Once plainly, once with the fault hitting while the thread holds the trace lock (as if inside a
// trace write): the handler must not wait for that lock.
TEST_F(CrashReport, NullWriteLeavesSummaryAndCrashLineAndStillKillsTheProcess) {
    platform::Mutex* traceLock = detail::TraceLockForTests();
    ASSERT_NE(traceLock, nullptr);
    for (const bool holdTraceLock : {false, true}) {
        SCOPED_TRACE(holdTraceLock ? "holding the trace lock" : "plain");
        std::remove("MORA_api_calls.log");  // each child must write its own report
        std::remove(TraceName().c_str());
        EXPECT_EXIT(
            {
                StartCrashingChild(frame_);
                if (holdTraceLock) platform::LockMutex(*traceLock);
                WriteThroughNull();
            },
            ::testing::KilledBySignal(SIGSEGV), "");
        ExpectReportOfTheChild();
    }
}

}  // namespace
}  // namespace mora
