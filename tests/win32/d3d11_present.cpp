// The Windows presenter on a window of its own: frames drawn into the mapped staging memory are
// presented with a set of colour settings and compared with the CPU colour pass of the other
// platforms (within 1 per channel through Direct3D, exactly through GDI). Through Direct3D the back
// buffer is read just before Present (the window content of a flip-model swap chain cannot be read
// under Xvfb); through GDI the window is read back. Then the FPS overlay: its text must show white
// and shadow pixels in its box and leave the rest of the frame alone.
// The path that must be taken ("d3d11") is built into mora_d3d11_vulkan.exe; without one either
// is tested.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "panel/driver_settings.h"
#include "present/colour_pass.h"
#include "present/dxgi_present.h"
#include "present/win32/present_target_d3d11.h"
#include "win32_test.h"

namespace {

using namespace mora;

constexpr int32_t kWidth = 256;
constexpr int32_t kHeight = 240;
constexpr uint32_t kPitch = kWidth * 4;

// Largest difference of a colour channel (alpha is not compared: the window has none).
int MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    int worst = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        if (i % 4 == 3) continue;
        const int d = a[i] > b[i] ? a[i] - b[i] : b[i] - a[i];
        if (d > worst) worst = d;
    }
    return worst;
}

// A frame with every channel varying: blue across, green down, red from both.
void DrawPattern(uint8_t* base, uint32_t pitch, std::vector<uint8_t>& copy) {
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
            uint8_t* p = base + static_cast<size_t>(y) * pitch + static_cast<size_t>(x) * 4;
            p[0] = static_cast<uint8_t>(x);
            p[1] = static_cast<uint8_t>(y * 255 / (kHeight - 1));
            p[2] = static_cast<uint8_t>((x * 7 + y * 3) & 255);
            p[3] = 255;
            std::memcpy(copy.data() + static_cast<size_t>(y) * kPitch + static_cast<size_t>(x) * 4, p, 4);
        }
    }
}

struct ColourCase {
    const char* name;
    int32_t gamma, hue, saturation, brightness, videoRange;
};

// Three frames: the check after them expects the ring's other staging texture.
constexpr ColourCase kCases[] = {
    {"neutral settings", 100, 0, 100, 100, 0},
    {"gamma 1.5, hue +45, saturation 0.6, brightness 1.2", 150, 45, 60, 120, 0},
    {"gamma 0.7, hue -120, saturation 1.8, brightness 0.9, video range", 70, -120, 180, 90, 100},
};

void Apply(const ColourCase& c) {
    DriverSettings& s = TheDriverSettings();
    SetSettingValue(s.GammaX100, c.gamma);
    SetSettingValue(s.HueDeg, c.hue);
    SetSettingValue(s.SaturationX100, c.saturation);
    SetSettingValue(s.BrightnessX100, c.brightness);
    SetSettingValue(s.VideoRangeX100, c.videoRange);
}

// The presented frame: the back buffer through Direct3D, the window through GDI.
bool Present(DxgiPresent& present, bool direct3d, HWND window, std::vector<uint8_t>& shown) {
    if (!PresentSwapChain(present)) return false;
    if (!direct3d) {
        PumpMessages();
        HDC dc = GetDC(window);
        const std::vector<uint32_t> pixels = ReadPixels(dc, 0, 0, kWidth, kHeight);
        ReleaseDC(window, dc);
        std::memcpy(shown.data(), pixels.data(), shown.size());
    }
    return true;
}

void TestColourCases(DxgiPresent& present, bool direct3d, HWND window, std::vector<uint8_t>& shown) {
    std::vector<uint8_t> source(static_cast<size_t>(kPitch) * kHeight);
    std::vector<uint8_t> expected(source.size());
    ColourPass pass;
    PrepareColourPass(pass, kWidth, kHeight, kWidth, kHeight);
    for (const ColourCase& c : kCases) {
        void* data = nullptr;
        uint32_t pitch = 0;
        if (!BeginFrame(present, &data, &pitch)) {
            Check(false, "BeginFrame");
            return;
        }
        DrawPattern(static_cast<uint8_t*>(data), pitch, source);
        Apply(c);
        RunColourPass(pass, PostProcessConstantsFrom(TheDriverSettings()),
                      ImageView{source.data(), kPitch, kWidth, kHeight},
                      ImageView{expected.data(), kPitch, kWidth, kHeight});
        Check(Present(present, direct3d, window, shown) && MaxDifference(shown, expected) <= (direct3d ? 1 : 0),
              c.name);
    }
    Apply(kCases[0]);
}

// Counts pixels of the box region (x >= 26, y >= 11: the text box less a few pixels for glyph
// bearings) that are near white and near black on a mid-grey frame, and changed pixels outside it.
void TestOverlay(DxgiPresent& present, std::vector<uint8_t>& shown) {
    SetSettingValue(TheDriverSettings().ShowFpsOverlay, 1);
    for (int frame = 0; frame < 2; ++frame) {  // figures (and text) appear a second after the first frame
        void* data = nullptr;
        uint32_t pitch = 0;
        BeginFrame(present, &data, &pitch);
        for (int32_t y = 0; y < kHeight; ++y) std::memset(static_cast<uint8_t*>(data) + y * pitch, 0x80, kPitch);
        if (frame == 1) Sleep(1050);
        std::fill(shown.begin(), shown.end(), 0);
        PresentSwapChain(present);
    }
    SetSettingValue(TheDriverSettings().ShowFpsOverlay, 0);
    int white = 0, dark = 0, outside = 0;
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
            const uint8_t* p = shown.data() + static_cast<size_t>(y) * kPitch + static_cast<size_t>(x) * 4;
            const bool inBox = x >= 26 && y >= 11;
            if (!inBox && (p[0] != 0x80 || p[1] != 0x80 || p[2] != 0x80)) ++outside;
            if (inBox && p[0] > 0xF0 && p[1] > 0xF0 && p[2] > 0xF0) ++white;
            if (inBox && p[0] < 0x30 && p[1] < 0x30 && p[2] < 0x30) ++dark;
        }
    }
    Check(white > 2000 && dark > 1000 && outside == 0, "overlay text drawn in its box only");
}

}  // namespace

int main() {
    HWND window = CreateTestWindow("MORA present test", kWidth, kHeight);
    PumpMessages();
    DxgiPresent present;
    Check(Init(present, WindowPresentTarget(), window, kWidth, kHeight, kWidth, kHeight), "Init");
    if (present.target == nullptr) return 1;
    const bool direct3d = std::strcmp(present.target->name, "d3d11") == 0;
    std::printf("presenting through %s\n", present.target->name);
#ifdef MORA_REQUIRED_PATH
    Check(std::strcmp(present.target->name, MORA_REQUIRED_PATH) == 0, "the required path");
#endif

    void* first = nullptr;
    void* again = nullptr;
    uint32_t pitch = 0;
    Check(BeginFrame(present, &first, &pitch) && BeginFrame(present, &again, nullptr) && first == again &&
              pitch >= kWidth * 4u,
          "BeginFrame twice hands out the same mapping");

    std::vector<uint8_t> shown(static_cast<size_t>(kPitch) * kHeight);
    if (direct3d) Check(CaptureD3d11Frames(present, shown.data(), kPitch), "back buffer capture");
    TestColourCases(present, direct3d, window, shown);
    Check(BeginFrame(present, &again, nullptr) && again != first, "the next frame gets the other staging texture");
    if (direct3d) TestOverlay(present, shown);

    Shutdown(present);
    DestroyWindow(window);
    return Finish();
}
