// The boundary between the driver and a panel view: the view (a toolkit module such as
// libmora-panel.so, loaded at run time) gets a PanelViewHost record and runs its window on the
// calling thread until the window is closed or the host asks it to stop. The view calls back only
// through the record, so it never links the driver and the driver never links the toolkit.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "panel/panel_controls.h"

namespace mora {

// Bumped whenever the record changes; a view refuses a host of another version.
inline constexpr uint32_t kPanelViewAbiVersion = 2;

struct PanelViewHost {
    uint32_t abiVersion = kPanelViewAbiVersion;
    const PanelControl* controls = nullptr;  // the control table, in creation and tab order
    std::size_t controlCount = 0;
    bool placed = false;  // true: open the window at x, y (right of the application's window)
    int32_t x = 80;
    int32_t y = 80;
    const std::atomic<bool>* stopRequested = nullptr;  // polled by the view; true: close and return
    void* applicationWindow = nullptr;                 // the application's HWND where a view places itself (Win32)

    // The value a control shows for the current settings (PanelControlValue).
    int32_t (*controlValue)(const PanelControl& control) = nullptr;
    // A widget changed (HandlePanelInput).
    bool (*input)(int32_t id, int32_t value, const char* text) = nullptr;
    // A track-bar row's label text for `value`.
    void (*trackLabel)(const PanelControl& trackBar, int32_t value, char* out, std::size_t size) = nullptr;
    // The 250 ms tick: writes the status line into `status` (kPanelStatusBytes) and returns true
    // when the VRS auto-toggle changed ForceVrsRate to *vrsRate.
    bool (*tick)(char* status, std::size_t size, int32_t* vrsRate) = nullptr;
    // The window is gone (closed by the user or stopped): save the settings.
    void (*closed)() = nullptr;
};

// The view module's entry: runs the panel window on the calling thread and returns when it has
// been closed or stopped; 0 when the window was shown, otherwise a negative reason.
using PanelViewRun = int (*)(const PanelViewHost* host);
inline constexpr char kPanelViewRunSymbol[] = "mora_panel_view_run";

// The view built into the driver (the Win32 view on Windows), or null where the view is a module.
PanelViewRun BuiltInPanelView();

}  // namespace mora
