// The debug panel's Win32 view under a game: the first context opens "MORA Debug Panel" beside
// the game's window; its controls have the table's classes, styles and 96-DPI geometry (scaled to
// the window's DPI); the gamma track bar moved through window messages changes the next presented
// frame; the status line names a capture requested from the panel once it is written.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "mora/gl.h"
#include "win32_test.h"

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

// One frame cleared to mid grey and presented; the centre pixel of the window as GDI reads it (the
// colour pass has applied the post-process settings there).
int PresentGreyFrame(HDC dc) {
    glViewport(0, 0, kWidth, kHeight);
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    SwapBuffers(dc);
    GdiFlush();
    return GetRValue(GetPixel(dc, kWidth / 2, kHeight / 2));
}

// The gamma track bar (210) moved to `position` as a user drags it: its label (211) is returned.
void MoveGamma(HWND panel, int position, char (&label)[64]) {
    HWND gamma = GetDlgItem(panel, 210);
    SendMessageA(gamma, TBM_SETPOS, TRUE, position);
    SendMessageA(panel, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(gamma));
    GetDlgItemTextA(panel, 211, label, sizeof(label));
}

struct ControlCase {
    int id;
    const char* className;
    DWORD style;              // bits that must be set
    int x, y, width, height;  // 96-DPI client geometry; height 0: not compared (a list's open height)
};

// One control of each kind, the first and last rows among them.
constexpr ControlCase kControls[] = {
    {100, "Button", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 24, 56, 240, 18},
    {120, "Button", BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 12, 240, 290, 18},
    {181, "ComboBox", CBS_DROPDOWNLIST | WS_TABSTOP, 24, 402, 280, 0},
    {162, "Edit", ES_NUMBER | ES_RIGHT | WS_TABSTOP, 64, 498, 40, 24},
    {161, "Static", 0, 12, 532, 320, 18},
    {210, "msctls_trackbar32", TBS_AUTOTICKS | WS_TABSTOP, 142, 734, 184, 28},
};

void TestControls(HWND panel, int dpi) {
    for (const ControlCase& c : kControls) {
        HWND control = GetDlgItem(panel, c.id);
        char className[64] = {};
        GetClassNameA(control, className, sizeof(className));
        RECT rect{};
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, panel, reinterpret_cast<POINT*>(&rect), 2);
        const LONG style = GetWindowLongA(control, GWL_STYLE);
        const bool placed = rect.left == MulDiv(c.x, dpi, 96) && rect.top == MulDiv(c.y, dpi, 96) &&
                            rect.right - rect.left == MulDiv(c.width, dpi, 96) &&
                            (c.height == 0 || rect.bottom - rect.top == MulDiv(c.height, dpi, 96));
        Check(control != nullptr && lstrcmpiA(className, c.className) == 0 &&
                  (static_cast<DWORD>(style) & c.style) == c.style && placed,
              c.className);
    }
}

}  // namespace

int main() {
    SetEnvironmentVariableA("MORA_PANEL", "1");
    HWND game = CreateTestWindow("MORA panel game", kWidth, kHeight);
    HDC dc = GetDC(game);
    if (MakeCurrentContext(dc, 24) == nullptr) return 1;
    HWND panel = nullptr;
    for (int i = 0; i < 100 && panel == nullptr; ++i) {
        PumpMessages();
        // Found once shown: the window exists (and can be found) while its controls are being made.
        panel = FindWindowA("MORA_ControlPanel_v1", "MORA Debug Panel");
        if (panel != nullptr && !IsWindowVisible(panel)) panel = nullptr;
        if (panel == nullptr) Sleep(30);
    }
    Check(panel != nullptr, "the panel window \"MORA Debug Panel\" opens");
    if (panel == nullptr) return 1;

    // Geometry at the panel's DPI (96 unless the system says otherwise).
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    const int dpi = getDpi != nullptr && getDpi(panel) >= 96 ? static_cast<int>(getDpi(panel)) : 96;
    RECT gameRect{};
    RECT panelRect{};
    GetWindowRect(game, &gameRect);
    GetWindowRect(panel, &panelRect);
    Check(panelRect.left == gameRect.right + 8 && panelRect.top == gameRect.top &&
              panelRect.right - panelRect.left == MulDiv(340, dpi, 96) &&
              panelRect.bottom - panelRect.top == MulDiv(940, dpi, 96),
          "beside the game window, 340 x 940 at 96 DPI");
    TestControls(panel, dpi);

    // The gamma track bar moved to 0.50: the next presented frame shows grey 128 as 181 (0.502^0.5).
    char label[64] = {};
    GetDlgItemTextA(panel, 211, label, sizeof(label));
    const bool startLabel = std::strcmp(label, "Gamma 1.00") == 0;
    const int before = PresentGreyFrame(dc);
    MoveGamma(panel, 50, label);
    const int after = PresentGreyFrame(dc);
    Check(startLabel && before == 128 && after >= 180 && after <= 182 && std::strcmp(label, "Gamma 0.50") == 0,
          "the gamma track bar changes the next frame and its label");
    MoveGamma(panel, 100, label);

    // A one-frame capture requested from the panel shows in the status line once written.
    SetDlgItemTextA(panel, 162, "1");
    SendMessageA(GetDlgItem(panel, 160), BM_CLICK, 0, 0);
    for (int frame = 0; frame < 3; ++frame) PresentGreyFrame(dc);
    char status[192] = {};
    for (int i = 0; i < 40 && std::strstr(status, "Last capture:") == nullptr; ++i) {
        Sleep(50);
        PumpMessages();
        GetDlgItemTextA(panel, 161, status, sizeof(status));
    }
    Check(std::strstr(status, "Last capture: MORA_capture_frame") != nullptr &&
              std::strstr(status, "(1 frames") != nullptr,
          "the status line names the capture");
    const char* name = std::strstr(status, "MORA_capture_frame");
    if (name != nullptr) {
        char file[64] = {};
        std::sscanf(name, "%63[^ ]", file);
        DeleteFileA(file);
    }
    return Finish();
}
