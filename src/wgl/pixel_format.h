// The one pixel format the driver offers (index 1): 32-bit RGBA colour, 24-bit depth, double
// buffered, drawn to a window with OpenGL. wglDescribePixelFormat fills it in.
#pragma once

#include <cstdint>

#include "mora/wgl.h"

namespace mora {

inline constexpr int kPixelFormatIndex = 1;  // the only format, and so also the format count
inline constexpr uint32_t kPixelFormatBytes = 40;
inline constexpr DWORD kPixelFormatFlags = PFD_DOUBLEBUFFER | PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;  // 0x25

// Overwrites all 40 bytes of `descriptor` with the format (every member not named above is 0).
void DescribePixelFormat(PIXELFORMATDESCRIPTOR& descriptor);

}  // namespace mora
