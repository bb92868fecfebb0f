// DriverSettings defaults, the field table, the per-user settings file and the one-time load.
#include "panel/driver_settings.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/environment.h"
#include "platform/file.h"
#if defined(_WIN32)
#include "platform/registry_settings.h"
#endif

namespace mora {

namespace detail {
constinit DriverSettings gDriverSettings;

void LoadDriverSettingsAtFirstUse() { LoadSettingsFromRegistry(gDriverSettings); }
}  // namespace detail

namespace {

// Save order: the order in which values are written to the file.
constexpr std::array<SettingField, kSettingFieldCount> kFields{{
    {"ForceFilter", &DriverSettings::ForceFilter, 0, 0, 3},
    {"ForceWrap", &DriverSettings::ForceWrap, 0, 0, 2},
    {"DisableBlend", &DriverSettings::DisableBlend, 0, 0, 1},
    {"DisableFaceCull", &DriverSettings::DisableFaceCull, 0, 0, 1},
    {"DisableHiZ", &DriverSettings::DisableHiZ, 0, 0, 1},
    {"DisableAlphaTest", &DriverSettings::DisableAlphaTest, 0, 0, 1},
    {"DisableDepthTest", &DriverSettings::DisableDepthTest, 0, 0, 1},
    {"ForceDepthFunc", &DriverSettings::ForceDepthFunc, 0, 0, 8},
    {"ForceIsa", &DriverSettings::ForceIsa, 0, 0, 4},
    {"WorkerLimit", &DriverSettings::WorkerLimit, 0, 0, 4096},
    {"PipelineCutoff", &DriverSettings::PipelineCutoff, 5, 0, 5},
    {"CaptureFrameCount", &DriverSettings::CaptureFrameCount, 5, 1, 1000},
    {"ForceVrsRate", &DriverSettings::ForceVrsRate, 1, 0, 2},
    {"AutoToggleVrs", &DriverSettings::AutoToggleVrs, 0, 0, 1},
    {"ShowFpsOverlay", &DriverSettings::ShowFpsOverlay, 0, 0, 1},
    {"GammaX100", &DriverSettings::GammaX100, 100, 50, 150},
    {"HueDeg", &DriverSettings::HueDeg, 0, -180, 180},
    {"SaturationX100", &DriverSettings::SaturationX100, 100, 0, 200},
    {"BrightnessX100", &DriverSettings::BrightnessX100, 100, 50, 150},
    {"VideoRangeX100", &DriverSettings::VideoRangeX100, 0, 0, 100},
}};

// A settings file is a few hundred bytes; anything far larger is not ours and is not parsed.
constexpr std::size_t kMaxSettingsFileBytes = std::size_t{1} << 20;

// Longest environment value taken as a folder for the settings file.
constexpr std::size_t kPathBufferBytes = 4096;

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

std::string_view TrimBlanks(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// A plain decimal signed 32-bit integer: optional '-', then digits only, nothing else.
bool ParseSettingValue(std::string_view text, int32_t& value) {
    if (text.empty()) return false;
    int32_t parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed, 10);
    if (error != std::errc{} || end != text.data() + text.size()) return false;
    value = parsed;
    return true;
}

// The folder named by an environment variable, when set to an absolute path.
std::filesystem::path AbsoluteFolderFromEnvironment(const char* name) {
    char buffer[kPathBufferBytes];
    if (platform::ReadEnvironment(name, buffer) != platform::EnvironmentRead::Value || buffer[0] == '\0') {
        return {};
    }
    std::filesystem::path folder(buffer);
    return folder.is_absolute() ? folder : std::filesystem::path{};
}

}  // namespace

std::span<const SettingField, kSettingFieldCount> SettingFields() { return kFields; }

const SettingField* FindSettingField(std::string_view name) {
    for (const SettingField& field : kFields) {
        if (EqualsIgnoringAsciiCase(field.name, name)) return &field;
    }
    return nullptr;
}

int32_t ClampSetting(const SettingField& field, int32_t value) {
    if (value < field.minValue) return field.minValue;
    if (value > field.maxValue) return field.maxValue;
    return value;
}

void ResetSettingsToDefaults(DriverSettings& settings) {
    for (const SettingField& field : kFields) SetSettingValue(settings.*field.member, field.defaultValue);
}

std::string SettingsFilePath() {
    std::filesystem::path configHome = AbsoluteFolderFromEnvironment("XDG_CONFIG_HOME");
    if (configHome.empty()) {
        const std::filesystem::path home = AbsoluteFolderFromEnvironment("HOME");
        if (home.empty()) return {};
        configHome = home / ".config";
    }
    return (configHome / "mora" / "driver.ini").string();
}

void LoadSettingsFromFile(DriverSettings& settings, const std::string& path) {
    std::string contents;
    if (!platform::ReadWholeFile(path.c_str(), contents, kMaxSettingsFileBytes)) return;

    // Lines in file order; a later line for the same name wins. Lines that are not "Name=value"
    // for a known name (comments, blank lines, other names) are skipped.
    std::string_view rest(contents);
    while (!rest.empty()) {
        const std::size_t lineEnd = rest.find('\n');
        const std::string_view line = rest.substr(0, lineEnd);
        rest = lineEnd == std::string_view::npos ? std::string_view{} : rest.substr(lineEnd + 1);

        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const SettingField* field = FindSettingField(TrimBlanks(line.substr(0, equals)));
        int32_t value = 0;
        if (field == nullptr || !ParseSettingValue(TrimBlanks(line.substr(equals + 1)), value)) continue;
        SetSettingValue(settings.*field->member, ClampSetting(*field, value));
    }
}

#if defined(_WIN32)
// Windows keeps the values in the registry (HKEY_CURRENT_USER\Software\MORA\Driver), never in
// the file: a missing key or value keeps the field, a value of another type or size is ignored.
void LoadSettingsFromRegistry(DriverSettings& settings) {
    std::array<platform::RegistryDword, kSettingFieldCount> values;
    for (std::size_t i = 0; i < kSettingFieldCount; ++i) values[i].name = kFields[i].name;
    if (!platform::ReadDriverSettingsKey(values)) return;
    for (std::size_t i = 0; i < kSettingFieldCount; ++i) {
        if (values[i].present) SetSettingValue(settings.*kFields[i].member, ClampSetting(kFields[i], values[i].value));
    }
}
#else
void LoadSettingsFromRegistry(DriverSettings& settings) {
    const std::string file = SettingsFilePath();
    if (!file.empty()) LoadSettingsFromFile(settings, file);
}
#endif

bool SaveSettingsToFile(const DriverSettings& settings, const std::string& path) {
    if (path.empty()) return false;
    const std::filesystem::path file(path);
    std::error_code error;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), error);
    if (error) return false;

    // Twenty lines of at most 17 + 1 + 11 + 1 characters.
    char text[kSettingFieldCount * 32];
    std::size_t length = 0;
    for (const SettingField& field : kFields) {
        const int written = std::snprintf(text + length, sizeof(text) - length, "%s=%d\n", field.name,
                                          SettingValue(settings.*field.member));
        if (written < 0 || static_cast<std::size_t>(written) >= sizeof(text) - length) return false;
        length += static_cast<std::size_t>(written);
    }
    return platform::ReplaceFileAtomically(path.c_str(), text, length);
}

#if defined(_WIN32)
bool SaveSettingsToRegistry() {
    const DriverSettings& settings = TheDriverSettings();
    std::array<platform::RegistryDword, kSettingFieldCount> values;
    for (std::size_t i = 0; i < kSettingFieldCount; ++i) {
        values[i].name = kFields[i].name;
        values[i].value = SettingValue(settings.*kFields[i].member);
    }
    return platform::WriteDriverSettingsKey(values);
}
#else
bool SaveSettingsToRegistry() { return SaveSettingsToFile(TheDriverSettings(), SettingsFilePath()); }
#endif

void ReloadSettings() {
    DriverSettings& settings = TheDriverSettings();
    ResetSettingsToDefaults(settings);
    LoadSettingsFromRegistry(settings);
}

int32_t ParsePipelineCutoff(const char* value) {
    // The value is read into a 32-byte buffer: 32 or more characters is a failed read.
    constexpr std::size_t kBufferBytes = 32;
    if (value == nullptr) return kFullPipeline;
    char text[kBufferBytes];
    std::size_t length = 0;
    for (; value[length] != '\0'; ++length) {
        if (length + 1 >= kBufferBytes) return kFullPipeline;
        text[length] = value[length];
    }
    std::size_t end = 0;
    while (end < length && text[end] != '\r' && text[end] != '\n' && text[end] != ' ') {
        text[end] = AsciiLower(text[end]);
        ++end;
    }
    const std::string_view name(text, end);

    struct StageName {
        std::string_view name;
        int32_t stage;
    };
    static constexpr StageName kStageNames[] = {
        {"0", kStopBeforeCommandStream},
        {"command-stream", kStopBeforeCommandStream},
        {"null-command-stream", kStopBeforeCommandStream},
        {"api-null", kStopBeforeCommandStream},
        {"1", kStopAfterNativePackets},
        {"native", kStopAfterNativePackets},
        {"packets", kStopAfterNativePackets},
        {"native-packets", kStopAfterNativePackets},
        {"2", kStopAfterTriangles},
        {"triangles", kStopAfterTriangles},
        {"triangle-emit", kStopAfterTriangles},
        {"3", kStopAfterRenderPrep},
        {"prep", kStopAfterRenderPrep},
        {"render-prep", kStopAfterRenderPrep},
        {"4", kStopAfterBinning},
        {"bin", kStopAfterBinning},
        {"worker-bin", kStopAfterBinning},
        {"null-raster", kStopAfterBinning},
        {"5", kFullPipeline},
        {"full", kFullPipeline},
    };
    for (const StageName& entry : kStageNames) {
        if (entry.name == name) return entry.stage;
    }
    return kFullPipeline;
}

void ApplyPipelineCutoffFromEnvironment() {
    char buffer[32];
    const bool read = platform::ReadEnvironment("MORA_PIPELINE_CUTOFF", buffer) == platform::EnvironmentRead::Value;
    SetSettingValue(TheDriverSettings().PipelineCutoff, ParsePipelineCutoff(read ? buffer : nullptr));
}

}  // namespace mora
