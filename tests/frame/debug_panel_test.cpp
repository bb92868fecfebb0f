// The debug panel thread: started once per process by context creation, stopped by unload. A
// view function stands in for the toolkit module (the X11 integration test runs the real one and
// the cases that keep the panel off).
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "diag/frame_counter.h"
#include "diag/status_lines.h"
#include "frame/debug_panel.h"
#include "mora/wgl.h"
#include "panel/driver_settings.h"
#include "platform/device_context.h"
#include "platform/environment.h"
#include "platform/thread.h"
#include "test_support/driver_state.h"
#include "test_support/temp_dir.h"
#include "frame_test_support.h"

namespace mora {
namespace {

std::atomic<int> gRuns{0};
std::atomic<bool> gCheckBoxSet{false};
char gStatus[kPanelStatusBytes];

// Checks the disable-blend box once, takes one tick, then waits for the host's stop request.
int FakeView(const PanelViewHost* host) {
    gRuns.fetch_add(1);
    gCheckBoxSet.store(host->input(120, 1, nullptr));
    int32_t vrs = -1;
    host->tick(gStatus, sizeof(gStatus), &vrs);
    while (!host->stopRequested->load()) platform::SleepMilliseconds(1);
    host->closed();
    return 0;
}

class DebugPanel : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::SetEnvironment("XDG_CONFIG_HOME", dir_.path.c_str()));
        test::InstallWglHooks();
        gRuns.store(0);
        dc_ = platform::CreateOffscreenDeviceContext(64, 64);
    }
    void TearDown() override {
        StopDebugPanel();
        SetDebugPanelViewForTests(nullptr);
        platform::DestroyDeviceContext(dc_);
        platform::UnsetEnvironment("XDG_CONFIG_HOME");
        test::ResetDriverState();
        SetStatusLine(StatusLine::Panel, "");
    }
    HDC Dc() const { return reinterpret_cast<HDC>(dc_); }

    test::TempDir dir_{"mora_panel_thread"};
    platform::DeviceContext* dc_ = nullptr;
};

TEST_F(DebugPanel, OnlyTheFirstContextStartsItAndUnloadStopsIt) {
    SetDebugPanelViewForTests(&FakeView);
    SetFrameCounter(17);
    HGLRC first = wglCreateContext(Dc());
    HGLRC second = wglCreateContext(Dc());
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    for (int i = 0; i < 2000 && !DebugPanelRunning(); ++i) platform::SleepMilliseconds(1);
    for (int i = 0; i < 2000 && gRuns.load() == 0; ++i) platform::SleepMilliseconds(1);
    EXPECT_EQ(StatusLineText(StatusLine::Panel), "[MORA panel = open]");

    StopDebugPanel();
    EXPECT_FALSE(DebugPanelRunning());
    EXPECT_EQ(gRuns.load(), 1);
    EXPECT_TRUE(gCheckBoxSet.load());
    EXPECT_EQ(SettingValue(TheDriverSettings().DisableBlend), 1);
    EXPECT_STREQ(gStatus, "Frame: 17   (Shift+Ctrl+F7 = capture)");
    EXPECT_NE(dir_.Read("mora/driver.ini").find("DisableBlend=1\n"), std::string::npos);
    EXPECT_EQ(StatusLineText(StatusLine::Panel), "[MORA panel = stopped at unload]");

    // After an unload the next load's first context starts a panel again.
    HGLRC third = wglCreateContext(Dc());
    StopDebugPanel();
    EXPECT_EQ(gRuns.load(), 2);
    for (HGLRC context : {first, second, third}) EXPECT_TRUE(wglDeleteContext(context));
    SetFrameCounter(0);
}

}  // namespace
}  // namespace mora
