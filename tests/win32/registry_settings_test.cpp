// DriverSettings in the Windows registry (part of mora_core_tests.exe): the load rules for values
// of the wrong type or size and out of range, and a save read back by the next load. Each test
// starts without HKEY_CURRENT_USER\Software\MORA\Driver and removes it again.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "panel/driver_settings.h"

namespace mora {
namespace {

constexpr wchar_t kDriverKey[] = L"Software\\MORA\\Driver";

class RegistrySettingsTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteKeyW(HKEY_CURRENT_USER, kDriverKey); }
    void TearDown() override {
        RegDeleteKeyW(HKEY_CURRENT_USER, kDriverKey);
        ResetSettingsToDefaults(TheDriverSettings());
    }

    static void Write(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kDriverKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
    static void WriteDword(const wchar_t* name, int32_t value) { Write(name, REG_DWORD, &value, 4); }
};

TEST_F(RegistrySettingsTest, StoredValuesAreClampedAndValuesOfAnotherTypeOrSizeIgnored) {
    struct Case {
        const wchar_t* name;
        int32_t stored;
        SettingWord DriverSettings::*field;
        int32_t loaded;
    };
    const Case cases[] = {
        {L"GammaX100", 500, &DriverSettings::GammaX100, 150},
        {L"HueDeg", -500, &DriverSettings::HueDeg, -180},  // negative: the DWORD is read as signed
        {L"ForceFilter", 2, &DriverSettings::ForceFilter, 2},
    };
    for (const Case& c : cases) WriteDword(c.name, c.stored);
    Write(L"SaturationX100", REG_SZ, L"150", 8);  // text: ignored
    const int64_t wide = 120;
    Write(L"VideoRangeX100", REG_QWORD, &wide, 8);  // eight bytes: ignored
    const uint16_t shortValue = 1;
    Write(L"DisableBlend", REG_DWORD, &shortValue, 2);  // two bytes: ignored

    DriverSettings loaded;
    LoadSettingsFromRegistry(loaded);
    for (const Case& c : cases) EXPECT_EQ(SettingValue(loaded.*c.field), c.loaded) << c.stored;
    EXPECT_EQ(SettingValue(loaded.SaturationX100), 100);
    EXPECT_EQ(SettingValue(loaded.VideoRangeX100), 0);
    EXPECT_EQ(SettingValue(loaded.DisableBlend), 0);
}

TEST_F(RegistrySettingsTest, ASaveIsWhatTheNextLoadReads) {
    std::vector<int32_t> saved;
    for (const SettingField& field : SettingFields()) {
        const int32_t value = field.maxValue - (field.maxValue - field.minValue) / 3;  // not the default
        SetSettingValue(TheDriverSettings().*field.member, value);
        saved.push_back(value);
    }
    ASSERT_TRUE(SaveSettingsToRegistry());

    DriverSettings loaded;
    LoadSettingsFromRegistry(loaded);
    std::vector<int32_t> read;
    for (const SettingField& field : SettingFields()) read.push_back(SettingValue(loaded.*field.member));
    EXPECT_EQ(read, saved);
}

}  // namespace
}  // namespace mora
