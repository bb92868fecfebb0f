#include "scene_textures.h"

#include <algorithm>
#include <cmath>

namespace mora::scene {

namespace {

uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return h;
}

float HashUnit(uint32_t x, uint32_t y, uint32_t seed) {
    return static_cast<float>(Hash(x, y, seed) & 0xFFFFu) / 65535.0f;
}

// Value noise with `cells` lattice cells across the image, tiling with the image (so repeating
// textures have no seams).
float TiledNoise(float u, float v, int cells, uint32_t seed) {
    const float x = u * static_cast<float>(cells);
    const float y = v * static_cast<float>(cells);
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const float fx = x - static_cast<float>(x0);
    const float fy = y - static_cast<float>(y0);
    const auto wrap = [cells](int i) { return static_cast<uint32_t>(((i % cells) + cells) % cells); };
    const float sx = fx * fx * (3.0f - 2.0f * fx);
    const float sy = fy * fy * (3.0f - 2.0f * fy);
    const float a = HashUnit(wrap(x0), wrap(y0), seed);
    const float b = HashUnit(wrap(x0 + 1), wrap(y0), seed);
    const float c = HashUnit(wrap(x0), wrap(y0 + 1), seed);
    const float d = HashUnit(wrap(x0 + 1), wrap(y0 + 1), seed);
    return (a + (b - a) * sx) * (1.0f - sy) + (c + (d - c) * sx) * sy;
}

// Three octaves of tiled noise, 0..1.
float Fractal(float u, float v, int cells, uint32_t seed) {
    return 0.55f * TiledNoise(u, v, cells, seed) + 0.3f * TiledNoise(u, v, cells * 2, seed + 1) +
           0.15f * TiledNoise(u, v, cells * 4, seed + 2);
}

void Put(TextureImage& image, int x, int y, Vec3 colour, float alpha = 1.0f) {
    uint8_t* t = Texel(image, x, y);
    t[0] = UnitToByte(colour.x);
    t[1] = UnitToByte(colour.y);
    t[2] = UnitToByte(colour.z);
    t[3] = UnitToByte(alpha);
}

uint32_t SeedOf(Rng& rng) { return static_cast<uint32_t>(NextU64(rng)); }

// One level from the one above it, by the box rule described in the header.
TextureImage Downsample(const TextureImage& src) {
    const int dw = src.width >= 2 ? src.width / 2 : 1;
    const int dh = src.height >= 2 ? src.height / 2 : 1;
    TextureImage dst = MakeImage(dw, dh);
    for (int y = 0; y < dh; ++y) {
        const int y0 = 2 * y;
        const int y1 = 2 * y + 1 < src.height ? 2 * y + 1 : y0;
        for (int x = 0; x < dw; ++x) {
            const int x0 = 2 * x;
            const int x1 = 2 * x + 1 < src.width ? 2 * x + 1 : x0;
            uint8_t* out = Texel(dst, x, y);
            for (int c = 0; c < 4; ++c) {
                const int sum =
                    Texel(src, x0, y0)[c] + Texel(src, x1, y0)[c] + Texel(src, x0, y1)[c] + Texel(src, x1, y1)[c];
                out[c] = static_cast<uint8_t>((sum + 2) >> 2);
            }
        }
    }
    return dst;
}

}  // namespace

TextureImage MakeImage(int width, int height) {
    TextureImage image;
    image.width = std::max(width, 1);
    image.height = std::max(height, 1);
    image.rgba.assign(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 4u, 0);
    return image;
}

std::vector<TextureImage> BuildMipChain(const TextureImage& base) {
    std::vector<TextureImage> chain{base};
    while (chain.back().width >= 2 || chain.back().height >= 2) chain.push_back(Downsample(chain.back()));
    return chain;
}

GLuint UploadTexture(SceneGl& gl, const TextureImage& image, TextureFilter filter, GLenum wrap) {
    GLuint name = 0;
    gl.GenTextures(1, &name);
    gl.BindTexture(GL_TEXTURE_2D, name);
    GLint minFilter = GL_LINEAR;
    GLint magFilter = GL_LINEAR;
    if (filter == TextureFilter::Nearest) minFilter = magFilter = GL_NEAREST;
    if (filter == TextureFilter::Trilinear) minFilter = GL_LINEAR_MIPMAP_LINEAR;
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(wrap));
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(wrap));
    if (filter == TextureFilter::Trilinear) {
        const std::vector<TextureImage> chain = BuildMipChain(image);
        for (std::size_t level = 0; level < chain.size(); ++level) {
            gl.TexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGBA, chain[level].width, chain[level].height, 0,
                          GL_RGBA, GL_UNSIGNED_BYTE, chain[level].rgba.data());
        }
    } else {
        gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                      image.rgba.data());
    }
    return name;
}

TextureImage MakeBrickTexture(Rng& rng, int size, Vec3 brick, Vec3 mortar) {
    TextureImage image = MakeImage(size, size);
    const uint32_t seed = SeedOf(rng);
    const int rows = 8;
    const int columns = 4;
    const int rowHeight = size / rows;
    const int brickWidth = size / columns;
    for (int y = 0; y < size; ++y) {
        const int row = y / rowHeight;
        const int offset = (row % 2) * brickWidth / 2;
        for (int x = 0; x < size; ++x) {
            const int bx = (x + offset) % size;
            const int column = bx / brickWidth;
            const bool isMortar = (y % rowHeight) < 2 || (bx % brickWidth) < 2;
            const float u = static_cast<float>(x) / static_cast<float>(size);
            const float v = static_cast<float>(y) / static_cast<float>(size);
            const float grain = Fractal(u, v, 8, seed);
            if (isMortar) {
                Put(image, x, y, mortar * (0.8f + 0.3f * grain));
            } else {
                const float shade =
                    0.75f + 0.35f * HashUnit(static_cast<uint32_t>(column), static_cast<uint32_t>(row), seed);
                Put(image, x, y, brick * (shade * (0.7f + 0.45f * grain)));
            }
        }
    }
    return image;
}

TextureImage MakeMetalTexture(Rng& rng, int size, Vec3 tint) {
    TextureImage image = MakeImage(size, size);
    const uint32_t seed = SeedOf(rng);
    const int plate = size / 2;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int px = x % plate;
            const int py = y % plate;
            const float u = static_cast<float>(x) / static_cast<float>(size);
            const float v = static_cast<float>(y) / static_cast<float>(size);
            // Mottling plus brushed streaks (noise along u only).
            float shade = 0.55f + 0.3f * Fractal(u, v, 4, seed) + 0.1f * TiledNoise(u, 0.0f, 64, seed + 7);
            if (px < 2 || py < 2)
                shade *= 0.45f;  // seams between plates
            else if (px < 4 || py < 4)
                shade *= 1.25f;  // bevel highlight
            const int rx = px - 6;
            const int ry = py - 6;
            if (rx * rx + ry * ry <= 4) shade = 0.95f;  // rivet
            Put(image, x, y, tint * shade);
        }
    }
    return image;
}

TextureImage MakeFloorTexture(Rng& rng, int size, Vec3 stone) {
    TextureImage image = MakeImage(size, size);
    const uint32_t seed = SeedOf(rng);
    const int tile = size / 4;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float u = static_cast<float>(x) / static_cast<float>(size);
            const float v = static_cast<float>(y) / static_cast<float>(size);
            const int tx = x / tile;
            const int ty = y / tile;
            const float variation =
                0.8f + 0.3f * HashUnit(static_cast<uint32_t>(tx), static_cast<uint32_t>(ty), seed + 3);
            float shade = variation * (0.65f + 0.4f * Fractal(u, v, 16, seed));
            if (x % tile == 0 || y % tile == 0) shade *= 0.35f;
            Put(image, x, y, stone * shade);
        }
    }
    return image;
}

TextureImage MakeConcreteTexture(Rng& rng, int size, Vec3 tint) {
    TextureImage image = MakeImage(size, size);
    const uint32_t seed = SeedOf(rng);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float u = static_cast<float>(x) / static_cast<float>(size);
            const float v = static_cast<float>(y) / static_cast<float>(size);
            const float stain = Fractal(u, v, 4, seed + 11);
            const float shade = 0.5f + 0.35f * Fractal(u, v, 8, seed) - 0.2f * std::max(0.0f, stain - 0.6f);
            Put(image, x, y, tint * shade);
        }
    }
    return image;
}

TextureImage MakeCrateTexture(Rng& rng, int size) {
    TextureImage image = MakeImage(size, size);
    const uint32_t seed = SeedOf(rng);
    const Vec3 wood{0.62f, 0.44f, 0.22f};
    const int border = size / 8;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float u = static_cast<float>(x) / static_cast<float>(size);
            const float v = static_cast<float>(y) / static_cast<float>(size);
            const float grain = 0.5f + 0.5f * std::sin(u * 40.0f + 6.0f * Fractal(u, v, 4, seed));
            float shade = 0.6f + 0.3f * grain;
            const bool frame = x < border || y < border || x >= size - border || y >= size - border;
            const bool diagonal = std::abs(x - y) < border / 2 + 1;
            if (frame || diagonal) shade *= 1.2f;
            if (x % (size / 4) == 0 && !frame) shade *= 0.6f;  // plank gaps
            Put(image, x, y, wood * shade);
        }
    }
    return image;
}

TextureImage MakeSkinTexture(Rng& rng, int size, Vec3 base, Vec3 spots) {
    TextureImage image = MakeImage(size, size);
    const uint32_t seed = SeedOf(rng);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float u = static_cast<float>(x) / static_cast<float>(size);
            const float v = static_cast<float>(y) / static_cast<float>(size);
            const float n = Fractal(u, v, 8, seed);
            const float stripe = 0.5f + 0.5f * std::sin(v * 2.0f * kPi * 6.0f);
            const float mix = Clamp01((n - 0.45f) * 4.0f);
            Put(image, x, y, Lerp(base, spots, mix) * (0.75f + 0.25f * stripe));
        }
    }
    return image;
}

TextureImage MakeParticleTexture(int size) {
    TextureImage image = MakeImage(size, size);
    const float centre = static_cast<float>(size) * 0.5f;
    const float radius = centre - 1.0f;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float dx = static_cast<float>(x) + 0.5f - centre;
            const float dy = static_cast<float>(y) + 0.5f - centre;
            const float r = std::sqrt(dx * dx + dy * dy) / radius;
            const float falloff = Clamp01(1.0f - r * r);
            Put(image, x, y, Vec3{falloff, falloff, falloff}, falloff);
        }
    }
    return image;
}

TextureImage MakeDigitFontTexture() {
    TextureImage image = MakeImage(256, 32);
    // Segments a..g of a seven-segment glyph as rectangles in a 16 x 32 cell: x0, y0, x1, y1.
    static const int kSegments[7][4] = {{3, 2, 13, 5},  {11, 3, 14, 16}, {11, 16, 14, 29}, {3, 27, 13, 30},
                                        {2, 16, 5, 29}, {2, 3, 5, 16},   {3, 14, 13, 17}};
    static const uint8_t kDigitSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    for (int digit = 0; digit < 10; ++digit) {
        for (int segment = 0; segment < 7; ++segment) {
            if ((kDigitSegments[digit] >> segment & 1) == 0) continue;
            const int* r = kSegments[segment];
            for (int y = r[1] - 1; y <= r[3]; ++y) {
                for (int x = r[0] - 1; x <= r[2]; ++x) {
                    const bool inside = x >= r[0] && x < r[2] && y >= r[1] && y < r[3];
                    uint8_t* t = Texel(image, digit * 16 + x, y);
                    t[0] = t[1] = t[2] = 255;
                    t[3] = std::max<uint8_t>(t[3], inside ? 255 : 128);
                }
            }
        }
    }
    return image;
}

TextureImage MakeStatusBarTexture(Rng& rng) {
    TextureImage image = MakeImage(256, 64);
    const uint32_t seed = SeedOf(rng);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 256; ++x) {
            const float u = static_cast<float>(x) / 256.0f;
            const float v = static_cast<float>(y) / 64.0f;
            float shade = 0.35f + 0.25f * Fractal(u, v, 8, seed);
            if (y < 3 || x < 3) shade += 0.3f;
            if (y >= 61 || x >= 253) shade -= 0.2f;
            float alpha = 1.0f;
            // Three round windows through which the view shows.
            for (int hole = 0; hole < 3; ++hole) {
                const float dx = static_cast<float>(x) - (48.0f + 80.0f * static_cast<float>(hole));
                const float dy = static_cast<float>(y) - 32.0f;
                const float d = std::sqrt(dx * dx + dy * dy);
                if (d < 18.0f)
                    alpha = 0.0f;
                else if (d < 20.0f)
                    alpha = 0.5f;
            }
            Put(image, x, y, Vec3{0.45f, 0.42f, 0.38f} * (shade * 1.6f), alpha);
        }
    }
    return image;
}

TextureImage MakeCrosshairTexture() {
    TextureImage image = MakeImage(16, 16);
    for (int i = 0; i < 16; ++i) {
        if (i >= 6 && i <= 9) continue;
        for (int w = 7; w <= 8; ++w) {
            Put(image, i, w, Vec3{1.0f, 1.0f, 1.0f});
            Put(image, w, i, Vec3{1.0f, 1.0f, 1.0f});
        }
    }
    return image;
}

}  // namespace mora::scene
