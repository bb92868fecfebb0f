// The panel's command handlers, track-bar labels, status line and VRS auto-toggle.
#include "panel/panel_commands.h"

#include <cstdio>

#include "panel/panel_requests.h"

namespace mora {
namespace {

constexpr uint64_t kMiB = 1048576;
constexpr uint64_t kAutoToggleGapMs = 999;  // a toggle needs strictly more than this since the last

// The leading decimal digits of `text` as a number, saturated at INT32_MAX; 0 without digits.
int32_t LeadingNumber(const char* text) {
    if (text == nullptr) return 0;
    int64_t number = 0;
    for (const char* c = text; *c >= '0' && *c <= '9'; ++c) {
        number = number * 10 + (*c - '0');
        if (number > INT32_MAX) return INT32_MAX;
    }
    return static_cast<int32_t>(number);
}

int32_t Clamp(const PanelControl& control, int32_t value) {
    if (value < control.minValue) return control.minValue;
    if (value > control.maxValue) return control.maxValue;
    return value;
}

bool Store(const PanelControl& control, int32_t value) {
    SetSettingValue(TheDriverSettings().*control.setting, Clamp(control, value));
    SaveSettingsToRegistry();
    return true;
}

std::size_t Finish(int written, std::span<char> out) {
    if (out.empty()) return 0;
    if (written < 0) {
        out[0] = '\0';
        return 0;
    }
    return static_cast<std::size_t>(written) < out.size() ? static_cast<std::size_t>(written) : out.size() - 1;
}

// The part after the last path separator (either kind: names may come from either platform).
const char* BaseName(const char* path) {
    const char* base = path;
    for (const char* c = path; *c != '\0'; ++c) {
        if (*c == '/' || *c == '\\') base = c + 1;
    }
    return base;
}

}  // namespace

bool HandlePanelInput(int32_t id, PanelInput input) {
    const PanelControl* control = FindPanelControl(id);
    if (control == nullptr) return false;
    switch (control->kind) {
        case PanelControlKind::Radio: return Store(*control, control->value);
        case PanelControlKind::CheckBox: return Store(*control, input.value != 0 ? 1 : 0);
        case PanelControlKind::DropList: return input.value >= 0 && Store(*control, input.value);
        case PanelControlKind::DigitsEdit: return Store(*control, LeadingNumber(input.text));
        case PanelControlKind::TrackBar: return Store(*control, input.value);
        case PanelControlKind::CaptureButton: RequestPanelCapture(); return true;
        case PanelControlKind::TraceButton: RequestPanelTrace(); return true;
        default: return false;
    }
}

int32_t PanelControlValue(const PanelControl& control) {
    return control.setting != nullptr ? SettingValue(TheDriverSettings().*control.setting) : 0;
}

std::size_t FormatTrackLabel(const PanelControl& trackBar, int32_t value, std::span<char> out) {
    if (out.empty()) return 0;
    const int written = trackBar.setting == &DriverSettings::HueDeg
                            ? std::snprintf(out.data(), out.size(), "%s %+d deg", trackBar.text, value)
                            : std::snprintf(out.data(), out.size(), "%s %.2f", trackBar.text, value * 0.01);
    return Finish(written, out);
}

std::size_t FormatPanelStatus(int32_t frame, const PanelCaptureSummary& capture, std::span<char> out) {
    if (out.empty()) return 0;
    int written = 0;
    if (!capture.valid) {
        written = std::snprintf(out.data(), out.size(), "Frame: %d   (Shift+Ctrl+F7 = capture)", frame);
    } else if (capture.fileBytes < kMiB) {
        const std::size_t kib = static_cast<std::size_t>((capture.fileBytes + 1023) / 1024);
        written = std::snprintf(out.data(), out.size(), "Frame: %d   Last capture: %s  (%u frames, %zu KB)", frame,
                                BaseName(capture.name), capture.frameCount, kib);
    } else {
        written = std::snprintf(out.data(), out.size(), "Frame: %d   Last capture: %s  (%u frames, %.1f MB)", frame,
                                BaseName(capture.name), capture.frameCount,
                                static_cast<double>(capture.fileBytes) / static_cast<double>(kMiB));
    }
    return Finish(written, out);
}

bool TickVrsAutoToggle(DriverSettings& settings, PanelToggleState& state, uint64_t nowMs) {
    if (SettingValue(settings.AutoToggleVrs) == 0) {
        state = PanelToggleState{};
        return false;
    }
    if (state.toggled && nowMs - state.lastToggleMs <= kAutoToggleGapMs) return false;
    state.toggled = true;
    state.lastToggleMs = nowMs;
    SetSettingValue(settings.ForceVrsRate, SettingValue(settings.ForceVrsRate) == 1 ? 0 : 1);
    return true;
}

}  // namespace mora
