// DriverSettings: the one process-wide record of developer overrides and presentation parameters.
// Loaded from the per-user store (the registry on Windows, a file elsewhere) on first use, changed
// by the debug panel, read without locks by recording, replay, the renderer and presentation on
// every call or frame.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace mora {

// One setting: a single aligned 32-bit word. Writers (panel thread, start-up parse) store it,
// readers on any thread load it without a lock and see either the old or the new value.
// Hot readers use SettingValue() (a relaxed load: a plain 32-bit move).
using SettingWord = std::atomic<int32_t>;
static_assert(SettingWord::is_always_lock_free, "settings are read without locks");

// Field order is the persistence order's table order; the ranges are enforced by the loader.
struct DriverSettings {
    SettingWord ForceFilter{0};       // 0..3    0 from GL, 1 nearest, 2 bilinear level 0, 3 trilinear
    SettingWord ForceWrap{0};         // 0..2    0 from GL, 1 repeat, 2 clamp to edge
    SettingWord DisableBlend{0};      // 0/1
    SettingWord DisableFaceCull{0};   // 0/1
    SettingWord DisableHiZ{0};        // 0/1
    SettingWord DisableAlphaTest{0};  // 0/1
    SettingWord DisableDepthTest{0};  // 0/1     wins over ForceDepthFunc
    SettingWord ForceDepthFunc{
        0};                   // 0..8    0 from GL; 1..8 ALWAYS, LESS, LEQUAL, EQUAL, GEQUAL, GREATER, NOTEQUAL, NEVER
    SettingWord ForceIsa{0};  // 0..4    0 automatic, 1 SSE4.1, 2 AVX, 3 AVX2, 4 AVX-512
    SettingWord WorkerLimit{0};        // 0..4096 0 = the whole pool
    SettingWord PipelineCutoff{5};     // 0..5    PipelineStage after which the frame pipeline stops
    SettingWord CaptureFrameCount{5};  // 1..1000 frames a hotkey or panel capture records
    SettingWord ForceVrsRate{1};       // 0..2    0 off, 1 adaptive 1/4, 2 forced 1/4
    SettingWord AutoToggleVrs{0};      // 0/1
    SettingWord GammaX100{100};        // 50..150
    SettingWord HueDeg{0};             // -180..180
    SettingWord SaturationX100{100};   // 0..200
    SettingWord BrightnessX100{100};   // 50..150
    SettingWord VideoRangeX100{0};     // 0..100
    SettingWord ShowFpsOverlay{0};     // 0/1
};
static_assert(sizeof(DriverSettings) == 20 * 4, "twenty 32-bit words");
static_assert(alignof(DriverSettings) == 4);

// Relaxed load of one field: the cheap read every hot path uses.
inline int32_t SettingValue(const SettingWord& field) { return field.load(std::memory_order_relaxed); }
inline void SetSettingValue(SettingWord& field, int32_t value) { field.store(value, std::memory_order_relaxed); }

// Description of one field for loaders, savers and the panel: its stored name, its member,
// its built-in default and its inclusive range.
struct SettingField {
    const char* name;
    SettingWord DriverSettings::*member;
    int32_t defaultValue;
    int32_t minValue;
    int32_t maxValue;
};
inline constexpr std::size_t kSettingFieldCount = 20;

// The twenty fields in save order (ForceFilter .. ShowFpsOverlay, GammaX100, HueDeg,
// SaturationX100, BrightnessX100, VideoRangeX100).
std::span<const SettingField, kSettingFieldCount> SettingFields();

// The field named `name` (ASCII case-insensitive, as stored value names are), or null.
const SettingField* FindSettingField(std::string_view name);

// value clamped into the field's range.
int32_t ClampSetting(const SettingField& field, int32_t value);

namespace detail {
extern DriverSettings gDriverSettings;  // static defaults; never freed
void LoadDriverSettingsAtFirstUse();
}  // namespace detail

// The process-wide record. The first call (thread-safe one-time initialisation of a function-local
// static: concurrent first callers wait) fills the defaults from the per-user store; later calls
// cost one guard test and return it. Readers may keep the reference.
inline DriverSettings& TheDriverSettings() {
    static const bool loaded = (detail::LoadDriverSettingsAtFirstUse(), true);
    (void)loaded;
    return detail::gDriverSettings;
}

// Puts every field of `settings` back to its built-in default.
void ResetSettingsToDefaults(DriverSettings& settings);

// The per-user settings file: "$XDG_CONFIG_HOME/mora/driver.ini" when XDG_CONFIG_HOME is an
// absolute path, else "$HOME/.config/mora/driver.ini"; empty when neither is available.
std::string SettingsFilePath();

// Reads the stored settings into `settings`. Windows: the REG_DWORD values of
// HKEY_CURRENT_USER\Software\MORA\Driver. Elsewhere the settings file: one "Name=value" line per
// field. A missing key or file keeps every field; a missing value, one of another type or size, or
// a line whose value is not a plain decimal 32-bit integer, keeps that field; an out-of-range value
// is clamped. Nothing is reported.
void LoadSettingsFromRegistry(DriverSettings& settings);
void LoadSettingsFromFile(DriverSettings& settings, const std::string& file);

// Writes all twenty fields of the process-wide record (save order) to the store: on Windows as
// REG_DWORD values of the registry key (created when missing), elsewhere to the settings file,
// whose text goes to a temporary file in the same folder that then replaces the old file, so an
// interrupted save leaves either the old or the new file. Failures are silent (false returned).
bool SaveSettingsToRegistry();
bool SaveSettingsToFile(const DriverSettings& settings, const std::string& file);

// Resets the process-wide record to defaults and loads the store again (tests point
// XDG_CONFIG_HOME at a folder of their own first).
void ReloadSettings();

// The frame pipeline's six stages in order; the PipelineCutoff setting holds the last one that runs
// (the panel's drop list and MORA_PIPELINE_CUTOFF name them). The values are stored in the settings
// file, so they never change. The frame end reads the setting once per frame (PipelineCutoffNow)
// and passes the stage down, so one frame never mixes two cut-offs.
enum PipelineStage : int32_t {
    kStopBeforeCommandStream = 0,  // nothing recorded; the frame end only restores the frame-start state
    kStopAfterNativePackets = 1,   // commands replayed into NativePackets, nothing emitted
    kStopAfterTriangles = 2,       // SetupTriangles emitted, nothing rendered
    kStopAfterRenderPrep = 3,      // deferred clears and the texture cache, no binning
    kStopAfterBinning = 4,         // workers bin but do not rasterize
    kFullPipeline = 5,             // everything, rasterization included
};

// The process-wide PipelineCutoff as a stage.
inline PipelineStage PipelineCutoffNow() {
    return static_cast<PipelineStage>(SettingValue(TheDriverSettings().PipelineCutoff));
}

// Pipeline cut-off stage for the text of MORA_PIPELINE_CUTOFF (null = unset): case-folded, ended
// by the first CR, LF or space, matched exactly against the stage names; anything else gives
// kFullPipeline.
int32_t ParsePipelineCutoff(const char* value);

// Start-up: reads MORA_PIPELINE_CUTOFF and stores its stage in TheDriverSettings().PipelineCutoff, so a
// stored cut-off never survives a start. Called by library load before MORA_ISA is read.
void ApplyPipelineCutoffFromEnvironment();

}  // namespace mora
