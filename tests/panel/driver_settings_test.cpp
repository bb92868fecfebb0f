// DriverSettings: the per-user settings file (load rules, clamping, atomic save) and the
// MORA_PIPELINE_CUTOFF start-up parse. Every test points XDG_CONFIG_HOME at a folder of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "panel/driver_settings.h"
#include "platform/environment.h"
#include "platform/file.h"
#include "test_support/temp_dir.h"

namespace mora {
namespace {

class DriverSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder_.empty());
        ASSERT_TRUE(platform::SetEnvironment("XDG_CONFIG_HOME", folder_.c_str()));
        ASSERT_TRUE(platform::UnsetEnvironment("MORA_PIPELINE_CUTOFF"));
        settingsFile_ = folder_ + "/mora/driver.ini";
    }
    void TearDown() override {
        platform::UnsetEnvironment("XDG_CONFIG_HOME");
        platform::UnsetEnvironment("MORA_PIPELINE_CUTOFF");
        ResetSettingsToDefaults(TheDriverSettings());
    }

    void WriteSettingsFile(const std::string& text) {
        std::filesystem::create_directories(folder_ + "/mora");
        ASSERT_TRUE(platform::ReplaceFileAtomically(settingsFile_.c_str(), text.data(), text.size()));
    }

    static std::vector<int32_t> Values(std::initializer_list<const SettingWord*> words) {
        std::vector<int32_t> out;
        for (const SettingWord* w : words) out.push_back(SettingValue(*w));
        return out;
    }

    test::TempDir dir_{"mora_settings_test"};
    const std::string& folder_ = dir_.path;
    std::string settingsFile_;
};

TEST_F(DriverSettingsTest, LoadClampsOutOfRangeValuesAndIgnoresValuesThatAreNotPlainIntegers) {
    WriteSettingsFile(
        "# written by hand\r\n"
        "gammax100 = 500\r\n"  // names match without case, blanks and CR are tolerated
        "HueDeg=-500\nCaptureFrameCount=0\nWorkerLimit=99999\nForceDepthFunc=-3\nSaturationX100=200\n"
        "BrightnessX100=-2147483648\nNoSuchSetting=3\nForceVrsRate=2\nForceVrsRate=0\n"  // a later line wins
        "ForceFilter=abc\nForceWrap=12.5\nVideoRangeX100=0x20\nDisableBlend=\nDisableHiZ=+1\n"
        "ForceIsa=2147483648\nAutoToggleVrs=1 2\nDisableAlphaTest\nShowFpsOverlay=1");  // no final line end
    DriverSettings record;
    SetSettingValue(record.ForceWrap, 2);  // a rejected value leaves the field as it was
    LoadSettingsFromFile(record, settingsFile_);
    // Gamma, hue, capture count, worker limit, depth function, saturation, brightness, VRS rate, overlay.
    EXPECT_EQ(Values({&record.GammaX100, &record.HueDeg, &record.CaptureFrameCount, &record.WorkerLimit,
                      &record.ForceDepthFunc, &record.SaturationX100, &record.BrightnessX100, &record.ForceVrsRate,
                      &record.ShowFpsOverlay}),
              (std::vector<int32_t>{150, -180, 1, 4096, 0, 200, 50, 0, 1}));
    EXPECT_EQ(Values({&record.ForceFilter, &record.VideoRangeX100, &record.DisableBlend, &record.DisableHiZ,
                      &record.ForceIsa, &record.AutoToggleVrs, &record.DisableAlphaTest}),
              std::vector<int32_t>(7, 0));  // not plain integers: untouched
    EXPECT_EQ(SettingValue(record.ForceWrap), 2);
}

TEST_F(DriverSettingsTest, SaveReplacesTheFileWithAllTwentyValuesInSaveOrder) {
    WriteSettingsFile("GammaX100=140\n" + std::string(2000, '.') + "\n");  // longer than what replaces it
    ReloadSettings();
    DriverSettings& s = TheDriverSettings();
    ASSERT_EQ(SettingValue(s.GammaX100), 140);
    SetSettingValue(s.ForceFilter, 3);
    SetSettingValue(s.WorkerLimit, 12);
    SetSettingValue(s.PipelineCutoff, 2);
    SetSettingValue(s.ShowFpsOverlay, 1);
    SetSettingValue(s.HueDeg, -45);
    SetSettingValue(s.VideoRangeX100, 60);
    ASSERT_TRUE(SaveSettingsToRegistry());

    std::string text;
    ASSERT_TRUE(platform::ReadWholeFile(settingsFile_.c_str(), text));
    EXPECT_EQ(text,
              "ForceFilter=3\nForceWrap=0\nDisableBlend=0\nDisableFaceCull=0\nDisableHiZ=0\nDisableAlphaTest=0\n"
              "DisableDepthTest=0\nForceDepthFunc=0\nForceIsa=0\nWorkerLimit=12\nPipelineCutoff=2\n"
              "CaptureFrameCount=5\nForceVrsRate=1\nAutoToggleVrs=0\nShowFpsOverlay=1\nGammaX100=140\n"
              "HueDeg=-45\nSaturationX100=100\nBrightnessX100=100\nVideoRangeX100=60\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_ + "/mora"), {}), 1)
        << "the temporary file is gone";

    ResetSettingsToDefaults(s);
    ReloadSettings();
    EXPECT_EQ(SettingValue(s.HueDeg), -45);
}

TEST_F(DriverSettingsTest, FileLocationRulesAndSilentFailures) {
    const char* savedHome = std::getenv("HOME");
    const std::string home = savedHome != nullptr ? savedHome : "";
    ASSERT_TRUE(platform::SetEnvironment("XDG_CONFIG_HOME", "relative/folder"));
    ASSERT_TRUE(platform::SetEnvironment("HOME", folder_.c_str()));
    EXPECT_EQ(SettingsFilePath(), folder_ + "/.config/mora/driver.ini");

    ASSERT_TRUE(platform::UnsetEnvironment("XDG_CONFIG_HOME"));
    ASSERT_TRUE(platform::UnsetEnvironment("HOME"));
    EXPECT_TRUE(SettingsFilePath().empty());
    SetSettingValue(TheDriverSettings().HueDeg, 10);
    EXPECT_FALSE(SaveSettingsToRegistry());
    ReloadSettings();
    EXPECT_EQ(SettingValue(TheDriverSettings().HueDeg), 0);
    if (savedHome != nullptr) platform::SetEnvironment("HOME", home.c_str());
}

// Every stage by number and by one of its names; case folding; the value ends at a blank or line
// end; anything else, and a value of 32 characters or more, is a failed read: the full pipeline.
TEST(PipelineCutoffParse, StageNamesCaseFoldingValueEndAndFailedReads) {
    for (int32_t stage = 0; stage <= 5; ++stage) EXPECT_EQ(ParsePipelineCutoff(std::to_string(stage).c_str()), stage);
    const std::vector<std::pair<std::string, int32_t>> cases = {
        {"api-null", 0},
        {"native-packets", 1},
        {"triangle-emit", 2},
        {"render-prep", 3},
        {"null-raster", 4},
        {"full", 5},
        {"triangles and more words", 2},
        {"Worker-Bin\r\n", 4},
        {"tri", 5},
        {" 1", 5},
        {"", 5},
        {"2 " + std::string(29, 'x'), 2},  // 31 characters
        {"2 " + std::string(30, 'x'), 5},  // 32 characters: a failed read
    };
    for (const auto& [text, stage] : cases) EXPECT_EQ(ParsePipelineCutoff(text.c_str()), stage) << text;
    EXPECT_EQ(ParsePipelineCutoff(nullptr), 5);
}

}  // namespace
}  // namespace mora
