// FPS overlay: three lines in the top-left corner of every presented frame, "W x H" (the rendered
// size), "FPS n" and "CPU n%", white bold text about 60 pixels high over a black shadow 4 pixels
// right and below. The figures change once a second; nothing is drawn before the first figure.
// PresentSwapChain calls DrawFpsOverlay after the colour pass, before the frame is shown.
#pragma once

#include <cstdint>

#include "present/cpu_usage_sampler.h"
#include "present/image_view.h"
#include "present/overlay_font.h"

namespace mora {

// Font size in pixels per em and the layout boxes of the shadow and the text (left, top, right,
// bottom; the shadow box is the text box moved 4 pixels right and down at its top-left corner).
inline constexpr int32_t kOverlayFontPixels = 60;
struct OverlayBox {
    int32_t left, top, right, bottom;
};
inline constexpr OverlayBox kOverlayShadowBox{34, 19, 1000, 260};
inline constexpr OverlayBox kOverlayTextBox{30, 15, 1000, 260};

// One glyph of the laid-out text: its slot and the pen position relative to the box's top-left.
struct OverlayPlacedGlyph {
    int32_t slot = 0;
    int32_t x = 0;  // bitmap left edge
    int32_t y = 0;  // bitmap top edge
};

inline constexpr int32_t kOverlayTextCapacity = 64;  // characters of the text, terminator included

struct FpsOverlay {
    // Where the glyphs come from; tests put a loader of their own here.
    bool (*loadFont)(OverlayFont& font, int32_t pixelSize, PresentFailure* failure) = LoadOverlayFont;
    OverlayFont font;
    CpuUsageSampler cpuSampler;
    int32_t fps = 0;         // 0 until the first measurement
    int32_t cpuPercent = 0;  // 0..100
    int32_t framesSinceUpdate = 0;
    int64_t lastUpdateTicks = 0;
    int64_t ticksPerSecond = 0;   // 0: timing has not started
    int64_t lastFontAttempt = 0;  // time of the last failed font load; retried a second later
    bool fontFailed = false;

    // The text for the figures it was last made from, and its glyphs.
    char text[kOverlayTextCapacity] = {};
    int32_t textFps = -1;
    int32_t textCpu = -1;
    int32_t textWidth = -1;
    int32_t textHeight = -1;
    OverlayPlacedGlyph placed[kOverlayTextCapacity];
    int32_t placedCount = 0;
};

// Loads the font when it is missing (a failure writes "(step=%s, hr=0x%08X)" under
// "MORA::DxgiPresent::Init") and starts the timing and the CPU sampler when they have not
// started yet, at `nowTicks` with `ticksPerSecond`. True when the font is loaded. A font lookup
// costs tens of milliseconds, so after a failure the next attempt waits a second.
bool InitFpsOverlay(FpsOverlay& overlay, int64_t nowTicks, int64_t ticksPerSecond);

// One frame of the overlay at a given time: counts the frame, updates the figures when at least
// a second has passed since the last update (fps = frames / elapsed seconds rounded half up, then
// a CPU sample), and draws the text onto `target` when fps > 0. Drawing only touches pixels inside
// the two layout boxes; alpha bytes are kept.
void DrawFpsOverlayAt(FpsOverlay& overlay, const ImageView& target, int32_t renderWidth, int32_t renderHeight,
                      int64_t nowTicks, int64_t ticksPerSecond);

// The per-frame call: nothing while ShowFpsOverlay is 0, else DrawFpsOverlayAt with the
// performance counter.
void DrawFpsOverlay(FpsOverlay& overlay, const ImageView& target, int32_t renderWidth, int32_t renderHeight);

// The per-frame call of a target that draws the text itself: counts the frame and updates the
// figures as DrawFpsOverlay does (timing and the CPU sampler start on the first call). The text to
// draw, or null while ShowFpsOverlay is 0 or before the first figure.
const char* CountFpsOverlayFrame(FpsOverlay& overlay, int32_t renderWidth, int32_t renderHeight);

// The text that the last drawn frame showed ("" when none).
const char* FpsOverlayText(const FpsOverlay& overlay);

// Stops the sampler and drops the font.
void ShutdownFpsOverlay(FpsOverlay& overlay);

}  // namespace mora
