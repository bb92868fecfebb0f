// The per-frame request poll: an environment trace or capture closed after its last frame ends
// the process (through the quit handler), panel requests start a trace or a capture for the
// frames that follow, a request while a trace runs is dropped, and the capture hotkey on an X11
// window (of the X server in $DISPLAY, else of an Xvfb the test starts) starts a capture. Each
// test runs in a folder of its own: traces opened by the poll land in the current directory.
#include <gtest/gtest.h>

#include <string>

#include "capture/capture_session.h"
#include "diag/trace.h"
#include "frame/context_record.h"
#include "frame/diagnostics_poll.h"
#include "frame/diagnostics_startup.h"
#include "panel/driver_settings.h"
#include "panel/panel_requests.h"
#include "platform/crash_signals.h"
#include "platform/device_context.h"
#include "platform/environment.h"
#include "platform/file.h"
#include "platform/x11_output.h"
#include "test_support/driver_state.h"
#include "test_support/temp_dir.h"
#include "frame_test_support.h"
#include "integration/x_server.h"

namespace mora::test {
namespace {

int gQuits = 0;
void CountQuit() { ++gQuits; }

int gHotkeyReads = 0;
bool gHotkeyDown = false;
bool FakeHotkey(void*) {
    ++gHotkeyReads;
    return gHotkeyDown;
}

class DiagnosticsPoll : public ::testing::Test {
protected:
    void SetUp() override {
        InstallWglHooks();
        ResetDiagnostics();
        TakePanelCaptureRequest();
        TakePanelTraceRequest();
        gQuits = gHotkeyReads = 0;
        gHotkeyDown = false;
        SetDiagnosticsQuitHandler(&CountQuit);
        SetHotkeyStateReader(&FakeHotkey);
        ASSERT_TRUE(dir_.entered);
    }
    void TearDown() override {
        StopDiagnostics();
        ResetDiagnostics();
        SetDiagnosticsQuitHandler(nullptr);
        SetHotkeyStateReader(nullptr);
        SetCurrentContextRecord(nullptr);
    }
    static void ResetDiagnostics() {
        platform::UnsetEnvironment("MORA_TRACE_FRAMES");
        platform::UnsetEnvironment("MORA_CAPTURE_FRAMES");
        ResetDriverState();
    }
    void ExpectRanges(std::pair<int32_t, int32_t> trace, std::pair<int32_t, int32_t> capture) {
        EXPECT_EQ(std::pair(CurrentTraceRange().first, CurrentTraceRange().last), trace);
        EXPECT_EQ(std::pair(CurrentCaptureRange().first, CurrentCaptureRange().last), capture);
    }
    // The whole trace file `name`: its first line, and the end line closing it.
    void ExpectClosedTrace(const std::string& name, const std::string& header) const {
        const std::string text = dir_.Read(name);
        EXPECT_EQ(text.rfind(header, 0), 0u) << text;
        EXPECT_TRUE(text.ends_with("=== end of trace ===\n")) << text;
    }
    test::TempDir dir_{"mora_poll", test::TempDir::Enter::Yes};
};

constexpr std::pair<int32_t, int32_t> kNone{-1, -1};

TEST_F(DiagnosticsPoll, EnvironmentTraceOfFrameTenClosesAfterFrameTenAndQuits) {
    ASSERT_TRUE(platform::SetEnvironment("MORA_TRACE_FRAMES", "10"));
    StartDiagnostics();
    ASSERT_TRUE(TraceFileOpen());
    EXPECT_TRUE(platform::FileExists("MORA_trace_frame10.mora-trace"));
    PollDiagnosticRequests(10);  // frame 9 ended: frame 10 is still to come
    EXPECT_TRUE(TraceFileOpen());
    EXPECT_EQ(gQuits, 0);
    PollDiagnosticRequests(11);  // frame 10 ended
    EXPECT_FALSE(TraceFileOpen());
    ExpectRanges(kNone, kNone);
    EXPECT_EQ(gQuits, 1);
    ExpectClosedTrace("MORA_trace_frame10.mora-trace", "=== MORA trace (env, frames 10..10 inclusive) ===\n");
    PollDiagnosticRequests(12);
    EXPECT_EQ(gQuits, 1);  // quits once
}

TEST_F(DiagnosticsPoll, StartOnceAndStopWritesTheSummaryClosesTheTraceAndRemovesTheCrashHandler) {
    SetSettingValue(TheDriverSettings().CaptureFrameCount, 5);
    ASSERT_TRUE(platform::SetEnvironment("MORA_TRACE_FRAMES", "2-3"));
    StartDiagnostics();
    EXPECT_TRUE(platform::CrashHandlerInstalled());
    ASSERT_TRUE(TraceFileOpen());
    CloseTrace();
    ClearTraceRange();
    StartDiagnostics();  // already started: the switch is not read again
    EXPECT_FALSE(TraceFileOpen());

    RequestPanelTrace();
    PollDiagnosticRequests(7);
    ASSERT_TRUE(TraceFileOpen());
    StopDiagnostics();
    EXPECT_FALSE(TraceFileOpen());
    ExpectRanges(kNone, kNone);
    EXPECT_FALSE(platform::CrashHandlerInstalled());
    ExpectClosedTrace("MORA_trace_frames8-12.mora-trace", "=== MORA trace (UI, frames 8..12 inclusive) ===\n");
    EXPECT_EQ(dir_.Read("MORA_api_calls.log").rfind("=== MORA GL/WGL call summary (process lifetime) ===\n", 0), 0u);

    StartDiagnostics();  // a new attach reads the switches again
    EXPECT_TRUE(TraceFileOpen());
    EXPECT_TRUE(platform::CrashHandlerInstalled());
}

// (A requested capture asks for no quit: the capture session's hotkey test.)
TEST_F(DiagnosticsPoll, EnvironmentCaptureQuitsOnceItsRangeIsOver) {
    ASSERT_TRUE(platform::SetEnvironment("MORA_CAPTURE_FRAMES", "3-4"));
    StartDiagnostics();
    ExpectRanges(kNone, {3, 4});
    PollDiagnosticRequests(4);
    EXPECT_EQ(gQuits, 0);
    PollDiagnosticRequests(5);
    ExpectRanges(kNone, kNone);
    EXPECT_EQ(gQuits, 1);
}

TEST_F(DiagnosticsPoll, PanelTraceCoversAtMostSixtyFramesAndARequestWhileOneRunsIsDropped) {
    SetSettingValue(TheDriverSettings().CaptureFrameCount, 500);
    RequestPanelTrace();
    PollDiagnosticRequests(20);
    ASSERT_TRUE(TraceFileOpen());
    ExpectRanges({21, 80}, kNone);
    EXPECT_FALSE(TraceQuitAfter());
    RequestPanelTrace();  // dropped, not kept for later
    PollDiagnosticRequests(50);
    ExpectRanges({21, 80}, kNone);
    PollDiagnosticRequests(81);
    EXPECT_FALSE(TraceFileOpen());
    EXPECT_EQ(gQuits, 0);
    PollDiagnosticRequests(82);
    EXPECT_FALSE(TraceFileOpen());
    ExpectClosedTrace("MORA_trace_frames21-80.mora-trace", "=== MORA trace (UI, frames 21..80 inclusive) ===\n");

    // A count of 0 traces one frame, under the single-frame name.
    SetSettingValue(TheDriverSettings().CaptureFrameCount, 0);
    RequestPanelTrace();
    PollDiagnosticRequests(90);
    ExpectRanges({91, 91}, kNone);
    EXPECT_TRUE(platform::FileExists("MORA_trace_frame91.mora-trace"));
}

TEST_F(DiagnosticsPoll, HotkeyOnAnX11WindowStartsACapture) {
    mora_it::XServer server;
    if (!server.usable()) GTEST_SKIP() << "no X server: DISPLAY is not set and Xvfb could not be started";
    platform::X11Window* window = platform::CreateX11Window(64, 64, "mora poll test");
    ASSERT_NE(window, nullptr);
    platform::DeviceContext* dc = platform::CreateX11DeviceContext(nullptr, platform::X11WindowId(window));
    ContextRecord* context = dc != nullptr ? CreateContextRecord(reinterpret_cast<HDC>(dc)) : nullptr;
    if (context == nullptr) {
        platform::DestroyDeviceContext(dc);
        platform::DestroyX11Window(window);
        GTEST_SKIP() << "no context on the X11 window";
    }
    SetCurrentContextRecord(context);
    SetSettingValue(TheDriverSettings().CaptureFrameCount, 2);

    // The real keyboard state of the test's server: nobody holds the keys.
    SetHotkeyStateReader(nullptr);
    EXPECT_FALSE(CaptureHotkeyDownOn(dc));
    SetHotkeyStateReader(&FakeHotkey);

    // The poll hands the key's state over; that a held key starts one capture is the capture
    // session's test.
    gHotkeyDown = true;
    PollDiagnosticRequests(30);  // pressed: frames 31 and 32
    ExpectRanges(kNone, {31, 32});
    EXPECT_EQ(gHotkeyReads, 1);

    SetCurrentContextRecord(nullptr);
    DeleteContextRecord(context);
    platform::DestroyDeviceContext(dc);
    platform::DestroyX11Window(window);
}

}  // namespace
}  // namespace mora::test
