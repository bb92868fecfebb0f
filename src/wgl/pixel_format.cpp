// The pixel format descriptor, in the Win32 layout.
#include "wgl/pixel_format.h"

#include <cstddef>

namespace mora {

static_assert(sizeof(PIXELFORMATDESCRIPTOR) == kPixelFormatBytes);
static_assert(offsetof(PIXELFORMATDESCRIPTOR, dwFlags) == 4);
static_assert(offsetof(PIXELFORMATDESCRIPTOR, iPixelType) == 8);
static_assert(offsetof(PIXELFORMATDESCRIPTOR, cColorBits) == 9);
static_assert(offsetof(PIXELFORMATDESCRIPTOR, cAlphaBits) == 16);
static_assert(offsetof(PIXELFORMATDESCRIPTOR, cDepthBits) == 23);
static_assert(offsetof(PIXELFORMATDESCRIPTOR, dwLayerMask) == 28);
static_assert(offsetof(PIXELFORMATDESCRIPTOR, dwDamageMask) == 36);
static_assert(kPixelFormatFlags == 0x25);

void DescribePixelFormat(PIXELFORMATDESCRIPTOR& descriptor) {
    descriptor = PIXELFORMATDESCRIPTOR{};
    descriptor.nSize = kPixelFormatBytes;
    descriptor.nVersion = 1;
    descriptor.dwFlags = kPixelFormatFlags;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = 32;
    descriptor.cRedBits = 8;
    descriptor.cGreenBits = 8;
    descriptor.cBlueBits = 8;
    descriptor.cAlphaBits = 8;
    descriptor.cDepthBits = 24;
}

}  // namespace mora
