// What the comparison tests share: MORA and OSMesa loaded once per process (worker threads and a
// private settings file with variable-rate shading off prepared first), a frame drawn through both
// with the same GL calls, and the agreement check with its tolerances. Tests skip when OSMesa is
// not available.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "scene_gl.h"
#include "scene_textures.h"

namespace mora_compare {

using mora::scene::SceneGl;

// Draws one frame; the state was reset to GL defaults with a full-size viewport before.
using DrawFunction = std::function<void(SceneGl& gl, int width, int height)>;

// The agreement a comparison requires; each limit says why it is what it is at its use.
struct Tolerance {
    int maxChannelDifference = 255;
    double minPsnr = 0.0;
    double maxShareOver8 = 1.0;
};

// Draws a width x height frame through MORA and through OSMesa and expects them to agree within
// `tolerance` (a failure names every metric). Skips the test when OSMesa is missing; fails it when
// MORA cannot be loaded or a frame cannot be read back.
void ExpectAgreement(const DrawFunction& draw, const Tolerance& tolerance, const std::string& name, int width,
                     int height);

// The scenes' shared pieces. PixelProjection: GL x and y are window pixel coordinates, y up.
void PixelProjection(SceneGl& gl, int width, int height);

// A size x size picture with every channel varying on its own: red along x, green along y, blue a
// checker of 4 x 4 texel cells, alpha running through all 256 values.
mora::scene::TextureImage PatternImage(int size);

}  // namespace mora_compare
