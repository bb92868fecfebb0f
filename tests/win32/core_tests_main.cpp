// mora_core_tests.exe runs every suite in one process under Wine, where CTest on Linux runs each
// case in a process of its own. The cases below are left out by default (a --gtest_filter on the
// command line still picks any of them):
//  - PanelModelTest.EveryControlDrivesItsSettingInRangeAndSaves: it reads back the settings file
//    the other platforms save to; Windows saves to the registry (RegistrySettingsTest).
//  - Thread.RunsTheEntryWithItsArgument...: Wine does not implement SetThreadIdealProcessorEx (it
//    fails), so the ideal-processor half cannot hold there. Thread start and join still run here
//    under every queue and worker test.
//
// Cases that save settings (the panel's) write the prefix's real HKEY_CURRENT_USER key, which the
// other test programs read; the key is removed before and after the run.
#include <windows.h>

#include <gtest/gtest.h>

namespace {
void RemoveSettingsKey() { RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\MORA\\Driver"); }
}  // namespace

int main(int argc, char** argv) {
    GTEST_FLAG_SET(filter,
                   "-PanelModelTest.EveryControlDrivesItsSettingInRangeAndSaves"
                   ":Thread.RunsTheEntryWithItsArgumentAffinityKeepsToListedProcessorsAndJoinWaitsOnlyAsLongAsAsked");
    ::testing::InitGoogleTest(&argc, argv);
    RemoveSettingsKey();
    const int result = RUN_ALL_TESTS();
    RemoveSettingsKey();
    return result;
}
