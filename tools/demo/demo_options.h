// mora-demo's command line: how many frames, at what size, which frames to write as PNG.
#pragma once

#include <string>
#include <vector>

namespace demo {

struct Options {
    int frames = -1;  // -1: until the window closes (X11) or kDefaultOffscreenFrames
    int width = 640;
    int height = 480;
    bool offscreen = false;                        // --offscreen: no window even when DISPLAY is set
    std::vector<int> pngFrames;                    // 0-based frame numbers to write
    std::string pngOut = "mora-demo-frame%d.png";  // "%d" takes the frame number
};

// Frames an offscreen run draws when --frames is not given.
inline constexpr int kDefaultOffscreenFrames = 300;

// Parses argv; on an error or --help prints usage to stderr and returns false.
bool ParseOptions(int argc, char** argv, Options& options);

// The PNG path for `frame`: pngOut with "%d" replaced by the frame number; without "%d" and with
// several PNG frames, "_<frame>" is inserted before the extension.
std::string PngPath(const Options& options, int frame);

}  // namespace demo
