// Helpers for the frame-execution tests: recordings built with the append functions, a queue of
// worker threads, and settings that tests change and put back.
#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "gl/command_append.h"
#include "gl/gl_context.h"
#include "gl/keyframe.h"
#include "panel/driver_settings.h"
#include "rjq/render_job_queue.h"

namespace mora::test {

inline std::unique_ptr<GlContext> NewContext() { return std::make_unique<GlContext>(); }

// Sets one driver setting for the lifetime of the object.
struct ScopedSetting {
    ScopedSetting(SettingWord& field, int32_t value) : field_(field), old_(SettingValue(field)) {
        SetSettingValue(field, value);
    }
    ~ScopedSetting() { SetSettingValue(field_, old_); }
    SettingWord& field_;
    int32_t old_;
};

// A queue with `workers` worker threads on made-up processors (no affinity is set below 129
// workers), spinning 0 microseconds before sleeping.
inline rjq::RenderJobQueue* NewQueue(uint32_t workers) {
    std::vector<platform::LogicalProcessor> processors(workers);
    for (uint32_t i = 0; i < workers; ++i) processors[i].number = i;
    return rjq::CreateRenderJobQueue(64, workers, processors, 0);
}

// A width x height viewport with identity matrices (the projection first multiplied by `frustum`
// when one is given).
inline void AppendView(CommandStream& s, int32_t width, int32_t height, const double* frustum = nullptr) {
    AppendViewport(s, 0, 0, width, height);
    AppendMatrixMode(s, 0x1701);
    AppendLoadIdentity(s);
    if (frustum != nullptr) AppendFrustum(s, frustum[0], frustum[1], frustum[2], frustum[3], frustum[4], frustum[5]);
    AppendMatrixMode(s, 0x1700);
    AppendLoadIdentity(s);
}

// Projection and viewport of a 640 x 480 window with a perspective frustum.
inline void AppendCamera(CommandStream& s) {
    static constexpr double kFrustum[6] = {-1, 1, -0.75, 0.75, 1, 100};
    AppendView(s, 640, 480, kFrustum);
}

// A frame of `packets` random primitives of every triangle mode with about `vertices` vertices
// in all, many of them crossing the view volume, with culling and depth state switched between
// packets.
inline void AppendRandomScene(CommandStream& s, uint32_t seed, uint32_t packets, uint32_t vertices) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> xy(-12.0f, 12.0f), z(-30.0f, 2.0f);
    AppendCamera(s);
    const uint32_t perPacket = vertices / packets;
    for (uint32_t p = 0; p < packets; ++p) {
        if (p % 7 == 0) AppendEnable(s, 0x0B44);
        if (p % 7 == 3) AppendDisable(s, 0x0B44);
        if (p % 5 == 0) AppendCullFace(s, p % 2 ? 0x0404 : 0x0405);
        if (p % 11 == 0) AppendEnable(s, 0x0B71);
        AppendBegin(s, 4 + p % 6);
        for (uint32_t v = 0; v < perPacket; ++v) {
            AppendColor(s, rng());
            AppendTexCoord2f(s, float(v % 2), float(v % 3));
            AppendVertex3f(s, xy(rng), xy(rng), z(rng));
        }
        AppendEnd(s);
    }
    AppendFrameEnd(s);
}

}  // namespace mora::test
