// A game as the driver meets it on Windows: linked against the system's opengl32 import library,
// it opens a window, picks a pixel format through gdi32, creates a context, draws the demo scene
// for a few frames and ends each with SwapBuffers; then it checks that the renderer is ours, that
// entries resolve by plain and decorated name to the same code, and that the pixels glReadPixels
// returns are the ones GDI reads back from the window. Exit status 0 when every check holds.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "demo_scene.h"
#include "mora/gl.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kFrames = 4;

int gFailures = 0;

void Check(bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "ok  " : "FAIL", what);
    if (!ok) ++gFailures;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

HWND CreateGameWindow() {
    WNDCLASSA windowClass{};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "MoraWineGame";
    RegisterClassA(&windowClass);
    RECT rect{0, 0, kWidth, kHeight};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    AdjustWindowRect(&rect, style, FALSE);
    HWND window = CreateWindowA("MoraWineGame", "MORA Wine game", style | WS_VISIBLE, 0, 0, rect.right - rect.left,
                                rect.bottom - rect.top, nullptr, nullptr, windowClass.hInstance, nullptr);
    return window;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// The window's client area as GDI sees it, top row first, 0x00RRGGBB.
std::vector<unsigned> ReadWindow(HDC dc) {
    std::vector<unsigned> pixels(static_cast<size_t>(kWidth) * kHeight, 0);
    HDC memory = CreateCompatibleDC(dc);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory != nullptr && bitmap != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, kWidth, kHeight, dc, 0, 0, SRCCOPY);
        GdiFlush();
        std::memcpy(pixels.data(), bits, pixels.size() * 4);
        SelectObject(memory, old);
    }
    if (bitmap != nullptr) DeleteObject(bitmap);
    if (memory != nullptr) DeleteDC(memory);
    for (unsigned& p : pixels) p &= 0x00FFFFFFu;
    return pixels;
}

// Both names of an entry lead to the same code (32-bit: the plain and the stdcall-decorated one;
// 64-bit Windows has no decoration, so the decorated name must be absent there).
void CheckBothNames(HMODULE gl, const char* plain, const char* decorated) {
    FARPROC a = GetProcAddress(gl, plain);
    FARPROC b = GetProcAddress(gl, decorated);
    char what[128];
    std::snprintf(what, sizeof(what), "GetProcAddress(%s) and (%s)", plain, decorated);
    if (sizeof(void*) == 4) {
        Check(a != nullptr && a == b, what);
    } else {
        Check(a != nullptr && b == nullptr, what);
    }
}

}  // namespace

int main() {
    HWND window = CreateGameWindow();
    Check(window != nullptr, "CreateWindow");
    if (window == nullptr) return 1;
    HDC dc = GetDC(window);
    PIXELFORMATDESCRIPTOR wanted{};
    wanted.nSize = sizeof(wanted);
    wanted.nVersion = 1;
    wanted.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    wanted.iPixelType = PFD_TYPE_RGBA;
    wanted.cColorBits = 32;
    wanted.cDepthBits = 24;
    const int format = ChoosePixelFormat(dc, &wanted);
    Check(format > 0, "ChoosePixelFormat");
    PIXELFORMATDESCRIPTOR described{};
    Check(DescribePixelFormat(dc, format, sizeof(described), &described) > 0 &&
              (described.dwFlags & PFD_SUPPORT_OPENGL) != 0,
          "DescribePixelFormat");
    Check(SetPixelFormat(dc, format, &described) != FALSE, "SetPixelFormat");
    HGLRC context = wglCreateContext(dc);
    Check(context != nullptr, "wglCreateContext");
    if (context == nullptr || !wglMakeCurrent(dc, context)) return 1;

    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    std::printf("renderer: %s\n", renderer != nullptr ? renderer : "(null)");
    Check(renderer != nullptr && std::strstr(renderer, "MORA") != nullptr, "the renderer is MORA's");

    HMODULE gl = GetModuleHandleA("opengl32.dll");
    char path[MAX_PATH] = "";
    GetModuleFileNameA(gl, path, MAX_PATH);
    std::printf("opengl32.dll: %s\n", path);
    CheckBothNames(gl, "glClear", "_moraClear@4");
    CheckBothNames(gl, "glVertex3f", "_moraVertex3f@12");
    CheckBothNames(gl, "wglSwapBuffers", "_vwgl2SwapBuffers@4");
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
    Check(swapped, "SwapBuffers on every frame");
    Check(glGetError() == GL_NO_ERROR, "no GL error");

    // The last frame as GL read it (bottom row first) against the window's pixels.
    const std::vector<unsigned> shown = ReadWindow(dc);
    size_t differing = 0;
    unsigned long long checksum = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const unsigned char* p = &rgba[(static_cast<size_t>(kHeight - 1 - y) * kWidth + x) * 4];
            const unsigned expected = (unsigned{p[0]} << 16) | (unsigned{p[1]} << 8) | p[2];
            checksum = checksum * 1099511628211ull + expected;
            if (shown[static_cast<size_t>(y) * kWidth + x] != expected) ++differing;
        }
    }
    std::printf("read-back checksum %016llx, %zu of %d window pixels differ\n", checksum, differing, kWidth * kHeight);
    size_t lit = 0;
    for (unsigned p : shown) lit += p != 0;
    Check(lit > static_cast<size_t>(kWidth) * kHeight / 2, "the scene covers the window");
    Check(differing == 0, "glReadPixels equals the GDI read-back of the window");

    wglMakeCurrent(nullptr, nullptr);
    Check(wglDeleteContext(context) != FALSE, "wglDeleteContext");
    ReleaseDC(window, dc);
    DestroyWindow(window);
    std::printf("%s\n", gFailures == 0 ? "PASS" : "FAILED");
    return gFailures == 0 ? 0 : 1;
}
