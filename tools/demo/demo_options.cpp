#include "demo_options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace demo {

namespace {

void Usage(const char* program) {
    std::fprintf(stderr,
                 "usage: %s [--frames N] [--size WxH] [--offscreen] [--png-frame N]... [--png-out FILE]\n"
                 "  --frames N      draw N frames (default: until the window closes; %d offscreen)\n"
                 "  --size WxH      window or drawable size (default 640x480)\n"
                 "  --offscreen     draw without a window even when DISPLAY is set\n"
                 "  --png-frame N   write frame N (0-based) as PNG; may be repeated\n"
                 "  --png-out FILE  PNG path, \"%%d\" takes the frame number (default mora-demo-frame%%d.png)\n",
                 program, kDefaultOffscreenFrames);
}

bool ParseInt(const char* text, int minimum, int* value) {
    if (text == nullptr || *text == '\0') return false;
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (*end != '\0' || parsed < minimum || parsed > 1000000000L) return false;
    *value = static_cast<int>(parsed);
    return true;
}

bool ParseSize(const char* text, int* width, int* height) {
    if (text == nullptr) return false;
    const char* x = std::strchr(text, 'x');
    if (x == nullptr) return false;
    const std::string w(text, x);
    return ParseInt(w.c_str(), 1, width) && ParseInt(x + 1, 1, height) && *width <= 16384 && *height <= 16384;
}

}  // namespace

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        bool ok = true;
        if (std::strcmp(arg, "--frames") == 0) {
            ok = ParseInt(next, 1, &options.frames);
            ++i;
        } else if (std::strcmp(arg, "--size") == 0) {
            ok = ParseSize(next, &options.width, &options.height);
            ++i;
        } else if (std::strcmp(arg, "--png-frame") == 0) {
            int frame = 0;
            ok = ParseInt(next, 0, &frame);
            if (ok) options.pngFrames.push_back(frame);
            ++i;
        } else if (std::strcmp(arg, "--png-out") == 0) {
            ok = next != nullptr && *next != '\0';
            if (ok) options.pngOut = next;
            ++i;
        } else if (std::strcmp(arg, "--offscreen") == 0) {
            options.offscreen = true;
        } else {
            ok = false;
        }
        if (!ok) {
            if (std::strcmp(arg, "--help") != 0 && std::strcmp(arg, "-h") != 0) {
                std::fprintf(stderr, "%s: bad or incomplete argument \"%s\"\n", argv[0], arg);
            }
            Usage(argv[0]);
            return false;
        }
    }
    return true;
}

std::string PngPath(const Options& options, int frame) {
    std::string path = options.pngOut;
    const std::string number = std::to_string(frame);
    if (const size_t at = path.find("%d"); at != std::string::npos) return path.replace(at, 2, number);
    if (options.pngFrames.size() < 2) return path;
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    const size_t insert = dot != std::string::npos && (slash == std::string::npos || dot > slash) ? dot : path.size();
    return path.insert(insert, "_" + number);
}

}  // namespace demo
