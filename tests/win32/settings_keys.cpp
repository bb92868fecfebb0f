// The driver's registry settings and keyboard, seen from a game. The parent writes
// HKEY_CURRENT_USER\Software\MORA\Driver (CaptureFrameCount 3 where the default is 5, a
// PipelineCutoff of 1, the FPS overlay on) and runs itself as a game-like child in a folder of its
// own. The child draws a red square for a second and a half and presses Ctrl+Shift+F7 with
// SendInput after its third frame; it checks that the square was drawn (a stored PipelineCutoff
// never survives a start) and that the FPS overlay's white text appears in the window. The parent
// then finds the capture the hotkey started and checks that it covers the registry's three frames.
// The load rules for values of another type, size or range are RegistrySettingsTest's
// (mora_core_tests.exe). Exit status 0 when this holds; the key is removed at the end, as the other
// test programs share the prefix.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "mora/gl.h"
#include "win32_test.h"

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

int Game() {
    HWND window = CreateTestWindow("MORA keys", kSize, kSize);
    HDC dc = GetDC(window);
    if (MakeCurrentContext(dc) == nullptr) return 2;
    glViewport(0, 0, kSize, kSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    // The overlay shows its first figures after a second of frames.
    const DWORD start = GetTickCount();
    unsigned char centre[4] = {};
    for (int frame = 0; frame < 16 || GetTickCount() - start < 1500; ++frame) {
        PumpMessages();
        glClear(GL_COLOR_BUFFER_BIT);
        glColor3f(1.0f, 0.0f, 0.0f);
        glRectf(-0.5f, -0.5f, 0.5f, 0.5f);  // red over the centre
        glReadPixels(kSize / 2, kSize / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, centre);
        SwapBuffers(dc);
        if (frame == 2) PressKeys(true);
        if (frame == 6) PressKeys(false);
        Sleep(20);
    }
    // Only the overlay's text is white in this scene; it sits in the top-left quarter.
    int white = 0;
    for (uint32_t pixel : ReadPixels(dc, 0, 0, kSize / 2, kSize / 2)) white += pixel == 0xFFFFFFu;
    return centre[0] == 255 && centre[1] == 0 && centre[2] == 0 && white > 200 ? 0 : 1;
}

// ---- the parent ----

// Frames the capture in `folder` covers, from its name ("MORA_capture_frames5-7"); 0 when there is
// none, -1 when there is more than one (the keys stay down for four frames: holding them must start
// one capture).
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
    return std::sscanf(found.cFileName, "MORA_capture_frames%d-%d", &first, &last) == 2 ? last - first + 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "game") == 0) return Game();

    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::snprintf(folder + std::strlen(folder), MAX_PATH - std::strlen(folder), "mora-keys-%lu", GetCurrentProcessId());
    CreateDirectoryA(folder, nullptr);
    HKEY key = nullptr;
    RegDeleteKeyW(HKEY_CURRENT_USER, kDriverKey);
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kDriverKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
        for (const auto& [name, value] :
             {std::pair{L"CaptureFrameCount", 3}, std::pair{L"PipelineCutoff", 1}, std::pair{L"ShowFpsOverlay", 1}}) {
            const DWORD number = value;
            RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
        }
        RegCloseKey(key);
    }
    Check(RunSelf("game", folder, 60000) == 0 && CapturedFrames(folder) == 3,
          "the game drew with the overlay on and the hotkey captured CaptureFrameCount frames");
    RegDeleteKeyW(HKEY_CURRENT_USER, kDriverKey);
    return Finish();
}
