// A game as the driver meets it on Windows: linked against the system's opengl32 import library,
// it opens a window, picks and describes a pixel format through gdi32, creates a context, draws the
// demo scene for a few frames and ends each with SwapBuffers; then it checks that the renderer is
// ours and that the pixels glReadPixels returns are the ones GDI reads back from the window. The
// checksum it prints is compared across architectures and kernels by tools/ci-test.sh. Exit status
// 0 when every check holds. (Entry names: mora_export_table.exe.)
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "demo_scene.h"
#include "mora/gl.h"
#include "win32_test.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kFrames = 4;

}  // namespace

int main() {
    HWND window = CreateTestWindow("MORA Wine game", kWidth, kHeight);
    HDC dc = GetDC(window);
    HGLRC context = MakeCurrentContext(dc, 24);
    PIXELFORMATDESCRIPTOR described{};
    Check(context != nullptr && DescribePixelFormat(dc, GetPixelFormat(dc), sizeof(described), &described) > 0 &&
              (described.dwFlags & PFD_SUPPORT_OPENGL) != 0,
          "pixel format chosen, set and described through gdi32; context made current");
    if (context == nullptr) return 1;

    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    std::printf("renderer: %s\n", renderer != nullptr ? renderer : "(null)");
    Check(renderer != nullptr && std::strstr(renderer, "MORA") != nullptr, "the renderer is MORA's");
    Check(wglGetProcAddress("glNotAnEntry") == nullptr, "wglGetProcAddress of an unknown name");

    demo::Scene scene;
    demo::InitScene(scene, kWidth, kHeight);
    std::vector<unsigned char> rgba(static_cast<size_t>(kWidth) * kHeight * 4);
    bool swapped = true;
    for (int frame = 0; frame < kFrames; ++frame) {
        PumpMessages();
        demo::DrawScene(scene, frame, 60.0);
        if (frame == kFrames - 1) glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        swapped = SwapBuffers(dc) != FALSE && swapped;
    }
    Check(swapped && glGetError() == GL_NO_ERROR, "SwapBuffers on every frame, no GL error");

    // The last frame as GL read it (bottom row first) against the window's pixels.
    const std::vector<uint32_t> shown = ReadPixels(dc, 0, 0, kWidth, kHeight);
    size_t differing = 0;
    size_t lit = 0;
    unsigned long long checksum = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const unsigned char* p = &rgba[(static_cast<size_t>(kHeight - 1 - y) * kWidth + x) * 4];
            const unsigned expected = (unsigned{p[0]} << 16) | (unsigned{p[1]} << 8) | p[2];
            checksum = checksum * 1099511628211ull + expected;
            differing += shown[static_cast<size_t>(y) * kWidth + x] != expected;
            lit += expected != 0;
        }
    }
    std::printf("read-back checksum %016llx, %zu of %d window pixels differ\n", checksum, differing, kWidth * kHeight);
    Check(lit > static_cast<size_t>(kWidth) * kHeight / 2, "the scene covers the window");
    Check(differing == 0, "glReadPixels equals the GDI read-back of the window");

    wglMakeCurrent(nullptr, nullptr);
    Check(wglDeleteContext(context) != FALSE, "wglDeleteContext");
    ReleaseDC(window, dc);
    DestroyWindow(window);
    return Finish();
}
