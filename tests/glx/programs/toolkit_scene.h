// What the toolkit programs share: a known scene drawn through immediate-mode GL entries, and the
// check that the program's window shows it (read back with XGetImage, compared with the image the
// scene must give). The programs are ordinary GL programs: they compile against the system's GL
// headers and load whichever libGL.so.1 comes first on the library path.
#pragma once

namespace toolkit_test {

inline constexpr int kWidth = 96;
inline constexpr int kHeight = 64;
// Frames a program may take until its window is mapped and shows the scene.
inline constexpr int kMaxFrames = 100;

// True when the current context's renderer is MORA's (the program must not pass on another GL);
// says which it is on stderr otherwise.
bool RunningOnMora();

// A clear and an axis-aligned quad, pixel-aligned so that the expected image is exact.
void DrawScene();

// After a swap: true when the current drawable is viewable and shows the scene.
bool WindowShowsScene();

// The program's exit status: 0 when the scene was seen, 1 (said on stderr) otherwise.
int Finish(bool shown);

}  // namespace toolkit_test
