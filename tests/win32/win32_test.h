// What the Windows test programs share: printed checks, a game-like window with a current OpenGL
// context, pixels read back through GDI and a child run of the program itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

inline int gFailures = 0;

inline void Check(bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "ok  " : "FAIL", what);
    if (!ok) ++gFailures;
}

// The last line and exit status of a program made of checks.
inline int Finish() {
    std::printf("%s\n", gFailures == 0 ? "PASS" : "FAILED");
    return gFailures == 0 ? 0 : 1;
}

inline void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// A visible captioned window with a `width` x `height` client area at the screen's top left, of a
// class with its own DC as games register it.
inline HWND CreateTestWindow(const char* title, int width, int height) {
    WNDCLASSA windowClass{};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "MoraTestWindow";
    RegisterClassA(&windowClass);
    RECT rect{0, 0, width, height};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION;
    AdjustWindowRect(&rect, style, FALSE);
    return CreateWindowA("MoraTestWindow", title, style | WS_VISIBLE, 0, 0, rect.right - rect.left,
                         rect.bottom - rect.top, nullptr, nullptr, windowClass.hInstance, nullptr);
}

// What a game asks for: double-buffered 32-bit RGBA with `depthBits` of depth.
inline PIXELFORMATDESCRIPTOR GamePixelFormat(BYTE depthBits) {
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof(pfd);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cDepthBits = depthBits;
    return pfd;
}

// The game's pixel format set on `dc` through gdi32 and a context made current there; nullptr when
// a step fails.
inline HGLRC MakeCurrentContext(HDC dc, BYTE depthBits = 0) {
    const PIXELFORMATDESCRIPTOR pfd = GamePixelFormat(depthBits);
    if (!SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd)) return nullptr;
    HGLRC context = wglCreateContext(dc);
    if (context != nullptr && !wglMakeCurrent(dc, context)) {
        wglDeleteContext(context);
        return nullptr;
    }
    return context;
}

// The pixels of `dc` in the rectangle at (x, y), top row first, as 0x00RRGGBB words.
inline std::vector<std::uint32_t> ReadPixels(HDC dc, int x, int y, int width, int height) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    HDC memory = CreateCompatibleDC(dc);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory != nullptr && bitmap != nullptr) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, dc, x, y, SRCCOPY);
        GdiFlush();
        const auto* words = static_cast<const std::uint32_t*>(bits);
        for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = words[i] & 0x00FFFFFFu;
        SelectObject(memory, previous);
    }
    if (bitmap != nullptr) DeleteObject(bitmap);
    if (memory != nullptr) DeleteDC(memory);
    return pixels;
}

// Runs this program again with `arguments` in `folder` and returns its exit code (0xFFFFFFFF when
// it could not start or did not end within `timeoutMs`).
inline DWORD RunSelf(const char* arguments, const char* folder, DWORD timeoutMs) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = std::string("\"") + self + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &process)) {
        return 0xFFFFFFFFu;
    }
    DWORD code = 0xFFFFFFFFu;
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}
