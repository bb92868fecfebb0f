// mora-demo: draws an animated scene through the driver's public API and prints the frame rate.
//   mora-demo [--frames N] [--size WxH] [--offscreen] [--png-frame N]... [--png-out FILE]
// In an X11 window when DISPLAY is set (Escape or closing the window ends it), offscreen otherwise.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "demo_options.h"
#include "demo_output.h"
#include "png_file.h"
#include "demo_scene.h"
#include "mora/gl.h"
#include "mora/mora_dc.h"
#include "mora/wgl.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

bool SavePresentedFrame(HDC dc, const demo::Options& options, int frame) {
    int width = 0;
    int height = 0;
    if (moraGetPresentedFrameSize(dc, &width, &height) != 1) return false;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    if (moraReadPresentedFrame(dc, pixels.data(), width * 4) != 1) return false;
    const std::string path = demo::PngPath(options, frame);
    std::string error;
    if (!mora::png::WriteArgbPng(path, width, height, pixels, &error)) {
        std::fprintf(stderr, "mora-demo: %s\n", error.c_str());
        return false;
    }
    std::printf("mora-demo: wrote frame %d to %s\n", frame, path.c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    demo::Options options;
    if (!demo::ParseOptions(argc, argv, options)) return 2;
    demo::Output* output = demo::OpenOutput(options.width, options.height, options.offscreen);
    if (output == nullptr) {
        std::fprintf(stderr, "mora-demo: no device context\n");
        return 1;
    }
    const HDC dc = demo::OutputDC(output);
    const bool window = demo::OutputIsWindow(output);
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof(pfd);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.cColorBits = 32;
    pfd.cDepthBits = 24;
    wglSetPixelFormat(dc, wglChoosePixelFormat(dc, &pfd), &pfd);
    const HGLRC rc = wglCreateContext(dc);
    if (rc == nullptr || wglMakeCurrent(dc, rc) != TRUE) {
        std::fprintf(stderr, "mora-demo: cannot create a rendering context\n");
        demo::CloseOutput(output);
        return 1;
    }
    std::printf("mora-demo: %s %s, %dx%d (%s)\n", glGetString(GL_VENDOR), glGetString(GL_RENDERER), options.width,
                options.height, window ? "X11 window" : "offscreen");

    demo::Scene scene;
    demo::InitScene(scene, options.width, options.height);
    const int frames = options.frames > 0 ? options.frames : (window ? -1 : demo::kDefaultOffscreenFrames);
    int status = 0;
    double fps = 0.0;
    const Clock::time_point start = Clock::now();
    Clock::time_point reportStart = start;
    int reportFrames = 0;
    int frame = 0;
    for (; frames < 0 || frame < frames; ++frame) {
        if (!demo::PumpOutputEvents(output)) break;
        demo::DrawScene(scene, frame, fps);
        wglSwapBuffers(dc);
        if (std::find(options.pngFrames.begin(), options.pngFrames.end(), frame) != options.pngFrames.end() &&
            !SavePresentedFrame(dc, options, frame)) {
            status = 1;
        }
        ++reportFrames;
        const Clock::time_point now = Clock::now();
        if (Seconds(now - reportStart) >= 1.0) {
            fps = reportFrames / Seconds(now - reportStart);
            std::printf("mora-demo: %.1f fps\n", fps);
            std::fflush(stdout);
            reportStart = now;
            reportFrames = 0;
        }
    }
    const double total = Seconds(Clock::now() - start);
    std::printf("mora-demo: %d frames in %.2f s: %.1f fps average at %dx%d\n", frame, total,
                total > 0.0 ? frame / total : 0.0, options.width, options.height);
    std::fflush(stdout);

    wglMakeCurrent(dc, nullptr);
    wglDeleteContext(rc);
    demo::CloseOutput(output);
    return status;
}
