// The Xlib calls the GLX front needs on an application's display: the screen's TrueColor visual
// that the window output can write into, visual records the application frees with XFree, the
// codes of a server extension, and protocol errors delivered through the application's own X
// error handler (as a server-side error would be).
#pragma once

#include <cstddef>
#include <cstdint>

namespace mora::platform {

struct X11Visual {
    std::uint64_t id = 0;
    std::int32_t depth = 0;
    std::int32_t screen = 0;
};

std::int32_t X11DefaultScreen(void* display);
std::int32_t X11ScreenCount(void* display);

// The screen's 24-bit TrueColor visual whose pixels are 0x00RRGGBB words (the window output's
// layout). False when the screen has none or does not exist.
bool FindX11TrueColorVisual(void* display, std::int32_t screen, X11Visual* visual);

// An XVisualInfo for `visual` allocated by Xlib (the caller frees it with XFree); null when the
// visual is unknown to the display.
void* NewX11VisualInfo(void* display, const X11Visual& visual);

// The visual id and screen of an XVisualInfo; false for null.
bool X11VisualInfoIdentity(const void* visualInfo, X11Visual* visual);

// Memory the application frees with XFree; null when memory runs out.
void* AllocateForXFree(std::size_t bytes);

struct X11ExtensionCodes {
    std::int32_t majorOpcode = 0;
    std::int32_t firstEvent = 0;
    std::int32_t firstError = 0;
};

// The server's codes for extension `name`; false when the server does not have it.
bool QueryX11Extension(void* display, const char* name, X11ExtensionCodes* codes);

// Hands a protocol error to the error handler installed in the process (Xlib's default one
// prints it and ends the process, as for any X error the application does not handle).
void ReportX11Error(void* display, std::uint8_t errorCode, std::uint8_t majorOpcode, std::uint16_t minorOpcode,
                    std::uint64_t resource);

}  // namespace mora::platform
