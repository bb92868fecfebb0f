// The debug panel's control table: every control's id, kind, text or items, 96-DPI geometry and
// the setting it drives, expanded from panel_controls.inc. Views (GTK on Linux, Win32 on Windows)
// create their widgets from it and report changes by id to the panel commands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "panel/driver_settings.h"

namespace mora {

enum class PanelControlKind : std::uint8_t {
    Label,          // static text
    LabelRight,     // static text, right-aligned
    Radio,          // one value of a setting; a Label or another kind ends the group
    CheckBox,       // a 0/1 setting
    DropList,       // setting = selected item index
    DigitsEdit,     // setting = the typed decimal number, clamped into the setting's range
    CaptureButton,  // requests a capture
    TraceButton,    // requests a trace
    StatusLine,     // rewritten by the 250 ms tick
    TrackLabel,     // the value label of a track-bar row ("Gamma 1.00", "Hue +0 deg")
    TrackBar,       // a setting over its range; Text is the row's name
};

inline constexpr int32_t kPanelNoId = -1;

// Window size in 96-DPI pixels; controls are placed by their table geometry.
inline constexpr int32_t kPanelWidth = 340;
inline constexpr int32_t kPanelHeight = 940;
// Status line buffer: 191 characters and the terminating zero.
inline constexpr std::size_t kPanelStatusBytes = 192;
// The tick period of the status line and the VRS auto-toggle.
inline constexpr uint32_t kPanelTickMilliseconds = 250;

struct PanelControl {
    int32_t id = kPanelNoId;
    PanelControlKind kind = PanelControlKind::Label;
    const char* text = "";
    const char* const* items = nullptr;  // DropList items
    uint32_t itemCount = 0;
    int32_t x = 0, y = 0, width = 0, height = 0;     // 96-DPI pixels
    SettingWord DriverSettings::*setting = nullptr;  // null for controls that drive no setting
    int32_t value = 0;                               // Radio: the value it stands for
    int32_t minValue = 0;                            // the setting's range (0..0 without a setting)
    int32_t maxValue = 0;
};

// Every control in creation and tab order.
std::span<const PanelControl> PanelControls();

// The control with command id `id`, or null (also for kPanelNoId).
const PanelControl* FindPanelControl(int32_t id);

// A track bar's value label ("TrackLabel") and the track bar of a value label.
const PanelControl* TrackLabelOf(const PanelControl& trackBar);

// True when the control shows a setting that the view sets from the current settings.
bool PanelControlShowsSetting(const PanelControl& control);

}  // namespace mora
