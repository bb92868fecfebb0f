// Fatal-signal handlers, each case in a child process: the callback runs once and the process
// still dies of its fault (default action), or the handler installed before gets the fault;
// a stack overflow is caught on the alternate stack; a callback that blocks is cut short by the
// watchdog; uninstalling puts the old action back.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>

#include "platform/crash_signals.h"
#include "platform/file.h"
#include "platform/mutex.h"
#include "test_support/temp_dir.h"

namespace mora::platform {
namespace {

std::string gMarkerPath;

// The callback under test: appends one byte to the marker file, so a second run shows.
void WriteMarker() {
    File file;
    if (OpenFile(file, gMarkerPath.c_str(), FileMode::Append)) {
        WriteFile(file, "x", 1);
        CloseFile(file);
    }
}

Mutex gNeverFreed;

void BlockForever() {
    WriteMarker();
    LockMutex(gNeverFreed);  // held by the faulting code: the callback can never finish
    LockMutex(gNeverFreed);
}

// A write into the page at address 0, through a pointer the compiler cannot see as null.
[[gnu::noinline, gnu::no_sanitize_undefined]] void WriteThroughNull() {
    volatile int* volatile pointer = nullptr;
    *pointer = 1;
}

// Never reached: the recursion only ends with the stack.
volatile int gRecursionLimit = -1;

[[gnu::noinline]] int Recurse(int depth) {
    if (depth == gRecursionLimit) return 0;
    volatile char frame[512];
    frame[depth % 512] = static_cast<char>(depth);
    return Recurse(depth + 1) + frame[(depth + 1) % 512];
}

void ExitWith42(int) { std::_Exit(42); }

class CrashSignalsTest : public ::testing::Test {
protected:
    void SetUp() override {
#if defined(__SANITIZE_THREAD__)
        // ThreadSanitizer defers signals to its own interception points, which the watchdog and the
        // forked children of these tests cannot rely on; the crash path is checked in the other builds.
        GTEST_SKIP() << "fatal-signal handling is not checked under ThreadSanitizer";
#endif
        GTEST_FLAG_SET(death_test_style, "fast");  // the child must share this process's files
        ASSERT_FALSE(dir_.path.empty());
        gMarkerPath = dir_.File("marker");
    }

    std::string Marker() {
        std::string text;
        ReadWholeFile(gMarkerPath.c_str(), text);
        return text;
    }

    test::TempDir dir_{"mora_crash_signals"};
};

// The child starts from the default action, whatever a sanitizer runtime installed.
void InstallFromDefault(int signal, CrashCallback callback) {
    std::signal(signal, SIG_DFL);
    if (!InstallCrashHandler(callback)) std::_Exit(3);
}

// A null write, and a stack overflow (reported on the alternate stack).
TEST_F(CrashSignalsTest, TheCallbackRunsOnceAndTheProcessDiesOfTheFault) {
    for (const bool overflow : {false, true}) {
        RemoveFile(gMarkerPath.c_str());
        EXPECT_EXIT(
            {
                InstallFromDefault(SIGSEGV, &WriteMarker);
                if (overflow) std::exit(Recurse(0));
                WriteThroughNull();
            },
            ::testing::KilledBySignal(SIGSEGV), "")
            << overflow;
        EXPECT_EQ(Marker(), "x") << overflow;
    }
}

TEST_F(CrashSignalsTest, TheHandlerInstalledBeforeGetsTheFault) {
    EXPECT_EXIT(
        {
            std::signal(SIGSEGV, &ExitWith42);
            if (!InstallCrashHandler(&WriteMarker)) std::_Exit(3);
            WriteThroughNull();
        },
        ::testing::ExitedWithCode(42), "");
    EXPECT_EQ(Marker(), "x");
}

TEST_F(CrashSignalsTest, ABlockedCallbackIsCutShortByTheWatchdog) {
    EXPECT_EXIT(
        {
            InstallFromDefault(SIGBUS, &BlockForever);
            std::raise(SIGBUS);
            std::_Exit(0);
        },
        ::testing::KilledBySignal(SIGBUS), "");
    EXPECT_EQ(Marker(), "x");
}

TEST_F(CrashSignalsTest, UninstallPutsThePreviousActionBack) {
    EXPECT_EXIT(
        {
            std::signal(SIGILL, &ExitWith42);
            if (!InstallCrashHandler(&WriteMarker)) std::_Exit(3);
            if (InstallCrashHandler(&WriteMarker)) std::_Exit(4);  // installed once only
            UninstallCrashHandler();
            if (CrashHandlerInstalled()) std::_Exit(5);
            std::raise(SIGILL);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(42), "");
    EXPECT_EQ(Marker(), "");  // the callback no longer runs
}

}  // namespace
}  // namespace mora::platform
