// What the comparison tests share: MORA and OSMesa loaded once per process (worker threads and a
// private settings file with variable-rate shading off prepared first), a frame drawn through both
// with the same GL calls, and the agreement check with its tolerances. Tests skip when OSMesa is
// not available.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "image_compare.h"
#include "renderer.h"
#include "scene_gl.h"

namespace mora_compare {

using mora::scene::ImageDifference;
using mora::scene::SceneGl;

// Both renderers at width x height, each with its context current; null with the reason in
// *skip when OSMesa is missing, or with a failure message in *error when MORA cannot be loaded.
struct RendererPair {
    mora::scene::Renderer mora;
    mora::scene::Renderer osmesa;
};
RendererPair* Renderers(int width, int height, std::string* skip, std::string* error);

// Draws one frame through each renderer (state first reset to GL defaults, viewport full size),
// ends it and reads it back. False with a message when a frame cannot be read.
using DrawFunction = std::function<void(SceneGl& gl, int width, int height)>;
struct FramePair {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> mora;
    std::vector<uint32_t> osmesa;
};
bool RenderBoth(RendererPair& pair, const DrawFunction& draw, FramePair& frames, std::string* error);

// The agreement a comparison requires; each limit says why it is what it is at its use.
struct Tolerance {
    int maxChannelDifference = 255;
    double minPsnr = 0.0;
    double maxShareOver8 = 1.0;
};

// Checks the frames against the tolerance; on failure the message names every metric. When
// MORA_COMPARE_DUMP_DIR is set, the two frames and their difference are written there as PNG.
::testing::AssertionResult Agrees(const FramePair& frames, const Tolerance& tolerance, const std::string& name);

}  // namespace mora_compare

// Opens the renderers for a test body or skips it; fails it when MORA itself cannot be loaded.
#define MORA_COMPARE_RENDERERS(pair, width, height)                          \
    std::string pair##Skip;                                                   \
    std::string pair##Error;                                                  \
    RendererPair* pair = Renderers((width), (height), &pair##Skip, &pair##Error); \
    if (pair == nullptr && !pair##Skip.empty()) GTEST_SKIP() << pair##Skip;  \
    ASSERT_NE(pair, nullptr) << pair##Error
