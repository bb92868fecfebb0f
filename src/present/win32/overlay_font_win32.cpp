// The FPS overlay's font in the Windows build: no FreeType here, so the font loads only where a
// system font renderer is wired in; until then loading fails with a named step and the overlay
// draws nothing.
#include <cstring>

#include "present/overlay_font.h"

namespace mora {

int OverlayGlyphSlot(char c) {
  if (c == '\0') return -1;
  const char* found = std::strchr(kOverlayCharacters, c);
  return found != nullptr ? static_cast<int>(found - kOverlayCharacters) : -1;
}

bool LoadOverlayFont(OverlayFont& font, int32_t pixelSize, PresentFailure* failure) {
  font = OverlayFont{};
  font.pixelSize = pixelSize;
  if (failure != nullptr) *failure = PresentFailure{"LoadOverlayFont(FPS overlay, no font renderer)", kFailureUnspecified};
  return false;
}

}  // namespace mora
