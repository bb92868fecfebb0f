// FPS overlay: the once-a-second update rule, the text layout and the coverage blending.
#include "present/fps_overlay.h"

#include <cmath>
#include <cstdio>

#include "panel/driver_settings.h"
#include "platform/clock.h"
#include "present/present_trace.h"

namespace mora {

namespace {

// Shadow: black at 80 % opacity (0.8 x 255).
constexpr uint32_t kShadowOpacity = 204;

int32_t RoundPixels(int64_t sixtyFourths) { return static_cast<int32_t>((sixtyFourths + 32) >> 6); }

// Lays the text out from the box's top-left corner: lines `lineHeight` apart, the first
// baseline `ascender` below the top, pen positions in 1/64 pixel with kerning.
void LayOut(FpsOverlay& overlay) {
    const OverlayFont& font = overlay.font;
    overlay.placedCount = 0;
    int64_t pen = 0;
    int32_t baseline = font.ascender;
    int previous = -1;
    for (const char* c = overlay.text; *c != '\0'; ++c) {
        if (*c == '\n') {
            pen = 0;
            baseline += font.lineHeight;
            previous = -1;
            continue;
        }
        const int slot = OverlayGlyphSlot(*c);
        if (slot < 0) continue;
        if (previous >= 0) pen += font.kerning[previous][slot];
        const OverlayGlyph& glyph = font.glyph[slot];
        if (glyph.width > 0 && glyph.height > 0 && overlay.placedCount < kOverlayTextCapacity) {
            overlay.placed[overlay.placedCount++] =
                OverlayPlacedGlyph{slot, RoundPixels(pen) + glyph.left, baseline - glyph.top};
        }
        pen += glyph.advance;
        previous = slot;
    }
}

void UpdateText(FpsOverlay& overlay, int32_t renderWidth, int32_t renderHeight) {
    if (overlay.textFps == overlay.fps && overlay.textCpu == overlay.cpuPercent && overlay.textWidth == renderWidth &&
        overlay.textHeight == renderHeight) {
        return;
    }
    std::snprintf(overlay.text, sizeof(overlay.text), "%d x %d\nFPS %d\nCPU %d%%", renderWidth, renderHeight,
                  overlay.fps, overlay.cpuPercent);
    overlay.textFps = overlay.fps;
    overlay.textCpu = overlay.cpuPercent;
    overlay.textWidth = renderWidth;
    overlay.textHeight = renderHeight;
    LayOut(overlay);
}

// Blends every placed glyph into the part of `box` inside the image: dst += (colour - dst) x
// coverage x opacity, per colour channel with rounding; zero coverage leaves a pixel unchanged.
void DrawGlyphs(const FpsOverlay& overlay, const ImageView& target, const OverlayBox& box, uint32_t colour,
                uint32_t opacity) {
    const int32_t clipLeft = box.left > 0 ? box.left : 0;
    const int32_t clipTop = box.top > 0 ? box.top : 0;
    const int32_t clipRight = box.right < target.width ? box.right : target.width;
    const int32_t clipBottom = box.bottom < target.height ? box.bottom : target.height;
    const OverlayFont& font = overlay.font;
    for (int32_t i = 0; i < overlay.placedCount; ++i) {
        const OverlayPlacedGlyph& placed = overlay.placed[i];
        const OverlayGlyph& glyph = font.glyph[placed.slot];
        const int32_t originX = box.left + placed.x;
        const int32_t originY = box.top + placed.y;
        for (int32_t gy = 0; gy < glyph.height; ++gy) {
            const int32_t y = originY + gy;
            if (y < clipTop || y >= clipBottom) continue;
            const uint8_t* coverage = font.coverage.data() + glyph.offset + static_cast<uint32_t>(gy * glyph.width);
            uint32_t* row = ImageRow(target, y);
            for (int32_t gx = 0; gx < glyph.width; ++gx) {
                const int32_t x = originX + gx;
                if (x < clipLeft || x >= clipRight || coverage[gx] == 0) continue;
                const uint32_t alpha = (coverage[gx] * opacity + 127u) / 255u;
                const uint32_t pixel = row[x];
                uint32_t result = pixel & 0xFF000000u;
                for (int shift = 0; shift < 24; shift += 8) {
                    const uint32_t d = (pixel >> shift) & 0xFFu;
                    const uint32_t s = (colour >> shift) & 0xFFu;
                    result |= ((d * (255u - alpha) + s * alpha + 127u) / 255u) << shift;
                }
                row[x] = result;
            }
        }
    }
}

// Counts one frame; at least a second after the last update: fps = frames / elapsed seconds
// rounded half up, then a CPU sample.
void CountFrame(FpsOverlay& overlay, int64_t nowTicks) {
    overlay.framesSinceUpdate += 1;
    if (overlay.ticksPerSecond <= 0 || overlay.lastUpdateTicks <= 0) return;
    const double elapsed =
        static_cast<double>(nowTicks - overlay.lastUpdateTicks) / static_cast<double>(overlay.ticksPerSecond);
    if (elapsed < 1.0) return;
    const double fps = std::floor(static_cast<double>(overlay.framesSinceUpdate) / elapsed + 0.5);
    overlay.fps = fps < 2147483647.0 ? static_cast<int32_t>(fps) : 2147483647;
    overlay.lastUpdateTicks = nowTicks;
    overlay.framesSinceUpdate = 0;
    SampleCpuUsage(overlay.cpuSampler, overlay.cpuPercent);
}

}  // namespace

bool InitFpsOverlay(FpsOverlay& overlay, int64_t nowTicks, int64_t ticksPerSecond) {
    if (!overlay.font.loaded) {
        if (overlay.fontFailed && ticksPerSecond > 0 && nowTicks - overlay.lastFontAttempt < ticksPerSecond) {
            return false;
        }
        PresentFailure failure{"FcFontMatch(FPS overlay)", kFailureUnspecified};
        if (overlay.loadFont == nullptr || !overlay.loadFont(overlay.font, kOverlayFontPixels, &failure)) {
            TracePresentStep(kInitContext, failure);
            overlay.fontFailed = true;
            overlay.lastFontAttempt = nowTicks;
            return false;
        }
        overlay.fontFailed = false;
        overlay.textFps = -1;  // lay the text out again with the new glyphs
    }
    if (overlay.ticksPerSecond == 0) {
        overlay.ticksPerSecond = ticksPerSecond;
        overlay.lastUpdateTicks = nowTicks;
        StartCpuUsageSampler(overlay.cpuSampler);
    }
    return true;
}

void DrawFpsOverlayAt(FpsOverlay& overlay, const ImageView& target, int32_t renderWidth, int32_t renderHeight,
                      int64_t nowTicks, int64_t ticksPerSecond) {
    if (!overlay.font.loaded && !InitFpsOverlay(overlay, nowTicks, ticksPerSecond)) return;
    CountFrame(overlay, nowTicks);
    if (overlay.fps <= 0 || !IsUsable(target)) return;
    UpdateText(overlay, renderWidth, renderHeight);
    DrawGlyphs(overlay, target, kOverlayShadowBox, 0x000000u, kShadowOpacity);
    DrawGlyphs(overlay, target, kOverlayTextBox, 0xFFFFFFu, 255u);
}

void DrawFpsOverlay(FpsOverlay& overlay, const ImageView& target, int32_t renderWidth, int32_t renderHeight) {
    if (SettingValue(TheDriverSettings().ShowFpsOverlay) == 0) return;
    DrawFpsOverlayAt(overlay, target, renderWidth, renderHeight, static_cast<int64_t>(platform::PerformanceCounter()),
                     static_cast<int64_t>(platform::PerformanceFrequency()));
}

const char* CountFpsOverlayFrame(FpsOverlay& overlay, int32_t renderWidth, int32_t renderHeight) {
    if (SettingValue(TheDriverSettings().ShowFpsOverlay) == 0) return nullptr;
    const auto now = static_cast<int64_t>(platform::PerformanceCounter());
    if (overlay.ticksPerSecond == 0) {
        overlay.ticksPerSecond = static_cast<int64_t>(platform::PerformanceFrequency());
        overlay.lastUpdateTicks = now;
        StartCpuUsageSampler(overlay.cpuSampler);
    }
    CountFrame(overlay, now);
    if (overlay.fps <= 0) return nullptr;
    std::snprintf(overlay.text, sizeof(overlay.text), "%d x %d\nFPS %d\nCPU %d%%", renderWidth, renderHeight,
                  overlay.fps, overlay.cpuPercent);
    overlay.textFps = -1;  // the glyph layout no longer matches the text
    return overlay.text;
}

const char* FpsOverlayText(const FpsOverlay& overlay) { return overlay.fps > 0 ? overlay.text : ""; }

void ShutdownFpsOverlay(FpsOverlay& overlay) {
    StopCpuUsageSampler(overlay.cpuSampler);
    overlay.font = OverlayFont{};
    overlay.fontFailed = false;
    overlay.lastFontAttempt = 0;
    overlay.ticksPerSecond = 0;
    overlay.lastUpdateTicks = 0;
    overlay.framesSinceUpdate = 0;
    overlay.fps = 0;
    overlay.cpuPercent = 0;
    overlay.textFps = -1;
    overlay.text[0] = '\0';
    overlay.placedCount = 0;
}

}  // namespace mora
