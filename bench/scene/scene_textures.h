// Procedural RGBA images for the synthetic scene (wall, floor, crate, skin, particle and HUD
// pictures), their box-filtered mip chains and their upload through SceneGl. The scene and the
// comparison scenes create every texture here, so both renderers sample the same texels.
#pragma once

#include <cstdint>
#include <vector>

#include "scene_gl.h"
#include "scene_math.h"

namespace mora::scene {

// Tightly packed RGBA bytes, row 0 first (the row GL puts at t = 0).
struct TextureImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
};

TextureImage MakeImage(int width, int height);
inline uint8_t* Texel(TextureImage& image, int x, int y) {
    return image.rgba.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + x) * 4u;
}
inline const uint8_t* Texel(const TextureImage& image, int x, int y) {
    return image.rgba.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + x) * 4u;
}

// The mip chain of `base`, level 0 first, down to 1 x 1: each level halves every side that is 2
// or more, and each texel of level L is the box average of the 2 x 2 texels of level L - 1 below
// it (a column or row past the edge of an odd-sized level repeats the last one), per byte
// (a + b + c + d + 2) >> 2. This is the rule MORA applies when it builds its own chain from
// level 0, so uploading these levels to another renderer gives both the same texels.
std::vector<TextureImage> BuildMipChain(const TextureImage& base);

enum class TextureFilter {
    Nearest,    // GL_NEAREST for both filters
    Bilinear,   // GL_LINEAR for both filters, level 0 only
    Trilinear,  // GL_LINEAR_MIPMAP_LINEAR / GL_LINEAR, the whole chain uploaded level by level
};

// Creates a texture name, binds it, sets filters and wraps (`wrap` for both axes) and uploads the
// image (with its mip chain for Trilinear). The texture stays bound.
GLuint UploadTexture(SceneGl& gl, const TextureImage& image, TextureFilter filter, GLenum wrap);

// Picture generators; every one is deterministic from its Rng. Sizes are powers of two.
TextureImage MakeBrickTexture(Rng& rng, int size, Vec3 brick, Vec3 mortar);
TextureImage MakeMetalTexture(Rng& rng, int size, Vec3 tint);
TextureImage MakeFloorTexture(Rng& rng, int size, Vec3 stone);
TextureImage MakeConcreteTexture(Rng& rng, int size, Vec3 tint);
TextureImage MakeCrateTexture(Rng& rng, int size);
TextureImage MakeSkinTexture(Rng& rng, int size, Vec3 base, Vec3 spots);
// A disc centred in a size x size image whose colour and alpha fall off from 1 at its centre to 0 at
// its rim (black and transparent outside), for both alpha-blended and additive particles.
TextureImage MakeParticleTexture(int size);
// Ten digits 0..9 as seven-segment glyphs in 16 x 32 cells of a 256 x 32 image: opaque segments
// with one texel of alpha 128 around them on transparent ground.
TextureImage MakeDigitFontTexture();
// Status bar picture (256 x 64) with bevels and round cut-outs of alpha 0.
TextureImage MakeStatusBarTexture(Rng& rng);
// Crosshair (16 x 16): a cross with alpha 255, transparent elsewhere.
TextureImage MakeCrosshairTexture();

}  // namespace mora::scene
