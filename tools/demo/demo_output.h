// Where mora-demo draws: an X11 window (when DISPLAY is set) or an offscreen device context, and
// the device context the driver renders into for it.
#pragma once

#include "mora/mora_dc.h"

namespace demo {

struct Output;

// Opens a width x height X11 window, or an offscreen drawable when `offscreen` is set, DISPLAY is
// unset or no window can be made. Null when not even the offscreen device context can be made.
Output* OpenOutput(int width, int height, bool offscreen);
HDC OutputDC(const Output* output);
bool OutputIsWindow(const Output* output);

// Handles pending window events; false once the window was closed or Escape was pressed.
bool PumpOutputEvents(Output* output);

void CloseOutput(Output* output);

}  // namespace demo
