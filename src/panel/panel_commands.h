// What the debug panel does when a control changes, and what its 250 ms tick shows: the handlers
// write DriverSettings fields, save the settings after every change and set the capture and
// trace requests. Toolkit-free; a view maps its widgets to control ids and calls these on the
// panel thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "panel/driver_settings.h"
#include "panel/panel_controls.h"

namespace mora {

// A widget's report: `value` is the check state (0/1), the selected item index (-1 = none) or the
// track-bar position; `text` is an edit's text. Radio buttons report only that they became
// checked; buttons only that they were pressed.
struct PanelInput {
    int32_t value = 0;
    const char* text = nullptr;
};

// Applies the report of control `id` to the process-wide settings and saves them, or sets the
// capture or trace request. Returns false (nothing changed) for ids that take no input and for a
// list without a selection. Edits store the leading decimal number clamped into the setting's
// range, so an empty or 0 "Frames:" stores 1 and an empty or 0 "Workers:" stores 0.
bool HandlePanelInput(int32_t id, PanelInput input);

// The value a control shows for the current settings: the setting's value (a radio button is
// checked when it equals the button's value). 0 for controls without a setting.
int32_t PanelControlValue(const PanelControl& control);

// A track-bar row's label for `value`: "%s %.2f" of the name and value x 0.01, or for Hue
// "%s %+d deg". Returns the length written (cut to out).
std::size_t FormatTrackLabel(const PanelControl& trackBar, int32_t value, std::span<char> out);

// The last finished capture as the status line shows it.
struct PanelCaptureSummary {
    bool valid = false;     // false before the first finished capture
    const char* name = "";  // file name, possibly with folders (only the part after the last / or \ is shown)
    uint32_t frameCount = 0;
    uint64_t fileBytes = 0;
};

// The status line: "Frame: %d   (Shift+Ctrl+F7 = capture)" without a finished capture, else
// "Frame: %d   Last capture: NAME  (%u frames, %zu KB)" with the size in KiB rounded up below
// 1 MiB, or "(%u frames, %.1f MB)" from 1 MiB. Cut to out (kPanelStatusBytes holds it all).
std::size_t FormatPanelStatus(int32_t frame, const PanelCaptureSummary& capture, std::span<char> out);

// The VRS auto-toggle's memory: the time of the last toggle, or none.
struct PanelToggleState {
    bool toggled = false;
    uint64_t lastToggleMs = 0;
};

// The tick's VRS part: while AutoToggleVrs is on, at the first tick and then whenever more than
// 999 ms have passed since the last toggle, ForceVrsRate goes to 0 when it is 1 and to 1
// otherwise (not saved: the toggle is a demonstration, not a choice). AutoToggleVrs off forgets
// the last toggle. Returns true when ForceVrsRate changed, so the view moves its list.
bool TickVrsAutoToggle(DriverSettings& settings, PanelToggleState& state, uint64_t nowMs);

}  // namespace mora
