// The debug panel's model: every control drives the setting it names and saves it, the edit and
// track-bar rules, the status line and the VRS auto-toggle. No toolkit is involved.
#include <gtest/gtest.h>

#include <string>

#include "panel/driver_settings.h"
#include "panel/panel_commands.h"
#include "panel/panel_controls.h"
#include "panel/panel_requests.h"
#include "platform/environment.h"
#include "test_support/temp_dir.h"

namespace mora {
namespace {

class PanelModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir_.path.empty());
        ASSERT_TRUE(platform::SetEnvironment("XDG_CONFIG_HOME", dir_.path.c_str()));
        ResetSettingsToDefaults(TheDriverSettings());
        TakePanelCaptureRequest();
        TakePanelTraceRequest();
    }
    void TearDown() override {
        platform::UnsetEnvironment("XDG_CONFIG_HOME");
        ResetSettingsToDefaults(TheDriverSettings());
    }
    std::string SavedFile() const { return dir_.Read("mora/driver.ini"); }

    test::TempDir dir_{"mora_panel_test"};
};

int32_t Field(const char* name) { return SettingValue(TheDriverSettings().*FindSettingField(name)->member); }

// Written from the control list of the panel's design, independently of panel_controls.inc: the
// id, the report a view sends, and the field and value that must be stored and saved (edits and
// track bars keep their settings in range). One control of each kind and each drop-down list, the
// last of each group of radios and check boxes, and the boundaries of the edits and track bars.
struct DriveCase {
    int32_t id;
    PanelInput input;
    const char* field;
    int32_t stored;
};
const DriveCase kDriveCases[] = {
    {103, {}, "ForceFilter", 3},
    {112, {}, "ForceWrap", 2},
    {120, {1}, "DisableBlend", 1},
    {143, {1}, "DisableDepthTest", 1},
    {181, {2}, "PipelineCutoff", 2},
    {150, {8}, "ForceDepthFunc", 8},
    {162, {0, "0"}, "CaptureFrameCount", 1},       // 0 into "Frames:" stores 1
    {162, {0, "12abc"}, "CaptureFrameCount", 12},  // the leading number
    {162, {0, "99999999999"}, "CaptureFrameCount", 1000},
    {170, {2}, "ForceVrsRate", 2},
    {171, {1}, "AutoToggleVrs", 1},
    {190, {3}, "ForceIsa", 3},
    {200, {0, "0"}, "WorkerLimit", 0},  // 0 into "Workers:" stores 0, the full pool
    {200, {0, "5000"}, "WorkerLimit", 4096},
    {201, {1}, "ShowFpsOverlay", 1},
    {210, {150}, "GammaX100", 150},
    {212, {-500}, "HueDeg", -180},
    {218, {100}, "VideoRangeX100", 100},
};

TEST_F(PanelModelTest, EveryControlDrivesItsSettingInRangeAndSaves) {
    for (const DriveCase& c : kDriveCases) {
        SCOPED_TRACE("control " + std::to_string(c.id));
        ResetSettingsToDefaults(TheDriverSettings());
        ASSERT_TRUE(HandlePanelInput(c.id, c.input));
        EXPECT_EQ(Field(c.field), c.stored);
        const std::string line = std::string(c.field) + "=" + std::to_string(c.stored) + "\n";
        EXPECT_NE(SavedFile().find(line), std::string::npos) << SavedFile();
        const PanelControl* control = FindPanelControl(c.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(PanelControlValue(*control), c.stored);
    }

    // A default radio puts its group back; the other radios of the group then read unchecked.
    ASSERT_TRUE(HandlePanelInput(110, {}));
    EXPECT_EQ(Field("ForceWrap"), 0);
    EXPECT_NE(SavedFile().find("ForceWrap=0\n"), std::string::npos);
}

TEST_F(PanelModelTest, TriggerButtonsSetTheRequestsAndLabelsTakeNoInput) {
    EXPECT_TRUE(HandlePanelInput(160, {}));
    EXPECT_TRUE(TakePanelCaptureRequest());
    EXPECT_FALSE(TakePanelTraceRequest());
    EXPECT_TRUE(HandlePanelInput(163, {}));
    EXPECT_TRUE(TakePanelTraceRequest());
    EXPECT_FALSE(TakePanelCaptureRequest());

    EXPECT_FALSE(HandlePanelInput(161, {}));    // status line
    EXPECT_FALSE(HandlePanelInput(211, {5}));   // a track bar's value label
    EXPECT_FALSE(HandlePanelInput(181, {-1}));  // list without a selection
    EXPECT_FALSE(HandlePanelInput(kPanelNoId, {}));
    EXPECT_EQ(Field("PipelineCutoff"), 5);
    EXPECT_TRUE(SavedFile().empty());
}

TEST_F(PanelModelTest, StatusLine) {
    const std::pair<PanelCaptureSummary, const char*> cases[] = {
        {{}, "Frame: 42   (Shift+Ctrl+F7 = capture)"},
        {{true, "/tmp/run/MORA_capture_frame3.mora-capture", 1, 1536},
         "Frame: 42   Last capture: MORA_capture_frame3.mora-capture  (1 frames, 2 KB)"},
        {{true, "C:\\games\\MORA_capture_frames1-5.mora-capture", 5, 3 * 1048576},
         "Frame: 42   Last capture: MORA_capture_frames1-5.mora-capture  (5 frames, 3.0 MB)"},
        {{true, "a", 1, 1048575}, "Frame: 42   Last capture: a  (1 frames, 1024 KB)"},
    };
    for (const auto& [capture, expected] : cases) {
        char line[kPanelStatusBytes];
        FormatPanelStatus(42, capture, line);
        EXPECT_STREQ(line, expected);
    }
    // A name far longer than the line is cut, never overrun.
    const std::string longName(400, 'x');
    char line[kPanelStatusBytes];
    EXPECT_EQ(FormatPanelStatus(1, {true, longName.c_str(), 1, 10}, line), kPanelStatusBytes - 1);
}

TEST_F(PanelModelTest, VrsAutoToggleFlipsAtMostOncePerSecondAndIsNotSaved) {
    DriverSettings& s = TheDriverSettings();
    SetSettingValue(s.ForceVrsRate, 2);
    PanelToggleState state;
    EXPECT_FALSE(TickVrsAutoToggle(s, state, 10'000));  // off: nothing
    SetSettingValue(s.AutoToggleVrs, 1);

    struct Tick {
        uint64_t ms;
        bool changes;
        int32_t rate;
    };
    const Tick ticks[] = {{10'250, true, 1}, {10'500, false, 1}, {11'249, false, 1},
                          {11'250, true, 0}, {12'251, true, 1},  {12'500, false, 1}};
    for (const Tick& t : ticks) {
        SCOPED_TRACE(t.ms);
        EXPECT_EQ(TickVrsAutoToggle(s, state, t.ms), t.changes);
        EXPECT_EQ(SettingValue(s.ForceVrsRate), t.rate);
    }
    // Switching it off forgets the last toggle: the next switch-on toggles at once.
    SetSettingValue(s.AutoToggleVrs, 0);
    EXPECT_FALSE(TickVrsAutoToggle(s, state, 12'600));
    SetSettingValue(s.AutoToggleVrs, 1);
    EXPECT_TRUE(TickVrsAutoToggle(s, state, 12'700));
    EXPECT_EQ(SettingValue(s.ForceVrsRate), 0);
    EXPECT_TRUE(SavedFile().empty());
}

}  // namespace
}  // namespace mora
