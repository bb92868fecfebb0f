// The debug panel's thread: started by the first successful wglCreateContext of the process,
// stopped at library unload. It loads the toolkit view (libmora-panel.so next to the driver, or
// MORA_PANEL_MODULE) and runs it on a thread of its own; the view reaches the settings, the
// request flags, the frame counter and the last capture through the host record built here.
#pragma once

#include "mora/wgl.h"
#include "panel/panel_view.h"

namespace mora {

// Starts the panel once per process: later calls return at once, also after the window has been
// closed. It stays off, with the reason in the panel status line, when MORA_PANEL is "0", no X
// display can be reached, the application already has a GTK loaded (two GTK copies in one process
// corrupt each other) or the view module cannot be loaded. The window opens right of hdc's X11
// window when its position can be read, else at 80, 80.
void StartDebugPanel(HDC hdc);

// Library unload: asks the view to close and waits for the thread at most kPanelStopWaitMs; the
// next StartDebugPanel may start a new panel.
void StopDebugPanel();
inline constexpr unsigned kPanelStopWaitMs = 2000;

// True while the panel thread runs.
bool DebugPanelRunning();

// Tests: a view function to run instead of loading the module (null: load the module again). An
// injected view skips the display, GTK and module checks.
void SetDebugPanelViewForTests(PanelViewRun run);

}  // namespace mora
