// The driver's registry settings and keyboard, seen from a game. For each case the parent writes
// HKEY_CURRENT_USER\Software\MORA\Driver and runs itself as a game-like child in a folder of its
// own. The child draws a red triangle for 16 frames (with the overlay on, for a second and a half)
// and presses Ctrl+Shift+F7 with SendInput after its third frame; it checks that the triangle was
// drawn (a stored PipelineCutoff never survives a start) and whether the FPS overlay's white text
// appears in the window. The parent then finds the capture the hotkey started and checks that it
// covers CaptureFrameCount frames as the registry gave them. Exit status 0 when every case holds;
// the key is removed at the end, as the other test programs share the prefix.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "mora/gl.h"

namespace {

constexpr int kSize = 256;
constexpr wchar_t kDriverKey[] = L"Software\\MORA\\Driver";

// ---- the child: a game that presses the capture hotkey ----

void PressKeys(bool down) {
    const WORD keys[] = {VK_CONTROL, VK_SHIFT, VK_F7};
    INPUT inputs[3]{};
    for (int i = 0; i < 3; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = keys[down ? i : 2 - i];
        inputs[i].ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    }
    SendInput(3, inputs, sizeof(INPUT));
}

// White pixels of the window's top-left quarter as GDI reads them back: only the overlay's text
// is white in this scene.
int WhitePixels(HDC dc) {
    HDC memory = CreateCompatibleDC(dc);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kSize;
    info.bmiHeader.biHeight = -kSize;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    int white = 0;
    if (memory != nullptr && bitmap != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, kSize, kSize, dc, 0, 0, SRCCOPY);
        GdiFlush();
        const unsigned* pixels = static_cast<const unsigned*>(bits);
        for (int y = 0; y < kSize / 2; ++y) {
            for (int x = 0; x < kSize / 2; ++x) white += (pixels[y * kSize + x] & 0xFFFFFFu) == 0xFFFFFFu;
        }
        SelectObject(memory, old);
    }
    if (bitmap != nullptr) DeleteObject(bitmap);
    if (memory != nullptr) DeleteDC(memory);
    return white;
}

int Game(bool overlayExpected) {
    HWND window = CreateWindowA("STATIC", "MORA keys", WS_POPUP | WS_VISIBLE, 0, 0, kSize, kSize, nullptr, nullptr,
                                nullptr, nullptr);
    HDC dc = GetDC(window);
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof(pfd);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.cColorBits = 32;
    SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd);
    HGLRC context = wglCreateContext(dc);
    if (context == nullptr || !wglMakeCurrent(dc, context)) return 2;
    glViewport(0, 0, kSize, kSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    // The overlay shows its first figures after a second of frames.
    const DWORD start = GetTickCount();
    unsigned char centre[4] = {};
    for (int frame = 0; frame < 16 || (overlayExpected && GetTickCount() - start < 1500); ++frame) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glBegin(GL_TRIANGLES);  // red over the centre
        glColor3f(1.0f, 0.0f, 0.0f);
        glVertex3f(-0.5f, -0.5f, 0.0f);
        glVertex3f(0.5f, -0.5f, 0.0f);
        glVertex3f(0.0f, 0.5f, 0.0f);
        glEnd();
        glReadPixels(kSize / 2, kSize / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, centre);
        SwapBuffers(dc);
        if (frame == 2) PressKeys(true);
        if (frame == 6) PressKeys(false);
        Sleep(20);
    }
    const int white = WhitePixels(dc);
    const bool drawn = centre[0] == 255 && centre[1] == 0 && centre[2] == 0;
    std::printf("  child: centre pixel %u,%u,%u (%s), %d white overlay pixels (%s)\n", centre[0], centre[1], centre[2],
                drawn ? "drawn" : "FAIL: not drawn", white, (white > 200) == overlayExpected ? "as expected" : "FAIL");
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context);
    ReleaseDC(window, dc);
    DestroyWindow(window);
    return drawn && (white > 200) == overlayExpected ? 0 : 1;
}

// ---- the parent: registry cases ----

struct StoredValue {
    const wchar_t* name;
    DWORD type;  // REG_DWORD or REG_SZ
    DWORD number;
    const wchar_t* text;
};

struct Case {
    const char* what;
    std::vector<StoredValue> values;
    int captureFrames;  // frames the hotkey's capture must cover
    bool overlay;
};

void WriteKey(const std::vector<StoredValue>& values) {
    RegDeleteKeyW(HKEY_CURRENT_USER, kDriverKey);
    if (values.empty()) return;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kDriverKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return;
    }
    for (const StoredValue& value : values) {
        if (value.type == REG_DWORD) {
            RegSetValueExW(key, value.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value.number), 4);
        } else {
            RegSetValueExW(key, value.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text),
                           static_cast<DWORD>((wcslen(value.text) + 1) * sizeof(wchar_t)));
        }
    }
    RegCloseKey(key);
}

DWORD RunChild(const char* argument, const std::string& folder) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = std::string("\"") + self + "\" " + argument;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process)) {
        return 0xFFFFFFFFu;
    }
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 0xFFFFFFFFu;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

// Frames the capture in `folder` covers, from its name ("MORA_capture_frame5" or
// "MORA_capture_frames5-9"); 0 when there is none, -1 when there is more than one (the keys stay
// down for four frames: holding them must start one capture).
int CapturedFrames(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\MORA_capture_frame*.mora-capture").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    WIN32_FIND_DATAA another;
    const bool more = FindNextFileA(search, &another) != FALSE;
    FindClose(search);
    if (more) return -1;
    int first = 0;
    int last = 0;
    if (std::sscanf(found.cFileName, "MORA_capture_frames%d-%d", &first, &last) == 2) return last - first + 1;
    if (std::sscanf(found.cFileName, "MORA_capture_frame%d", &first) == 1) return 1;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], "game") == 0) return Game(std::strcmp(argv[2], "overlay") == 0);

    const Case cases[] = {
        {"no key: five frames, no overlay", {}, 5, false},
        {"CaptureFrameCount 3, a stored PipelineCutoff 1, the overlay on",
         {{L"CaptureFrameCount", REG_DWORD, 3, nullptr},
          {L"PipelineCutoff", REG_DWORD, 1, nullptr},
          {L"ShowFpsOverlay", REG_DWORD, 1, nullptr}},
         3,
         true},
        {"CaptureFrameCount 0 loads as 1", {{L"CaptureFrameCount", REG_DWORD, 0, nullptr}}, 1, false},
        {"CaptureFrameCount as text is ignored", {{L"CaptureFrameCount", REG_SZ, 0, L"3"}}, 5, false},
    };
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    int failures = 0;
    int index = 0;
    for (const Case& c : cases) {
        char folder[MAX_PATH];
        std::snprintf(folder, sizeof(folder), "%smora-keys-%lu-%d", temp, GetCurrentProcessId(), index++);
        CreateDirectoryA(folder, nullptr);
        WriteKey(c.values);
        const DWORD code = RunChild(c.overlay ? "game overlay" : "game plain", folder);
        const int frames = CapturedFrames(folder);
        const bool ok = code == 0 && frames == c.captureFrames;
        std::printf("%s: %s (child exit %lu, hotkey capture of %d frames, expected %d)\n", ok ? "ok  " : "FAIL", c.what,
                    code, frames, c.captureFrames);
        failures += ok ? 0 : 1;
    }
    RegDeleteKeyW(HKEY_CURRENT_USER, kDriverKey);
    std::printf("%s\n", failures == 0 ? "PASS" : "FAILED");
    return failures == 0 ? 0 : 1;
}
