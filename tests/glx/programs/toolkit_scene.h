// What the toolkit programs share: a known scene drawn through immediate-mode GL entries, and the
// check that the program's window shows it (read back with XGetImage, compared with the image the
// scene must give). The programs are ordinary GL programs: they compile against the system's GL
// headers and load whichever libGL.so.1 comes first on the library path.
#pragma once

#include <string>

namespace toolkit_test {

inline constexpr int kWidth = 96;
inline constexpr int kHeight = 64;
// Frames a program may take until its window is mapped and shows the scene.
inline constexpr int kMaxFrames = 100;

// True when the current context's renderer is MORA's (the program must not pass on another GL).
bool RunningOnMora(std::string* report);

// A clear and an axis-aligned quad, pixel-aligned so that the expected image is exact.
void DrawScene();

// After a swap: true when the current drawable shows the scene.
bool WindowShowsScene(std::string* report);

// The common frame loop end: 0 when the scene was seen, 1 (with the report on stderr) otherwise.
int Finish(bool shown, const std::string& report);

}  // namespace toolkit_test
