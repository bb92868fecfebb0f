#include "demo_textures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace demo {

const Light kRoomLights[kLightCount] = {
    {-4.5f, 3.8f, -4.0f, 1.00f, 0.78f, 0.50f, 9.0f},
    {5.0f, 3.5f, 3.0f, 0.45f, 0.60f, 1.00f, 8.0f},
    {0.0f, 0.8f, 0.0f, 0.90f, 0.45f, 0.20f, 5.0f},
};

namespace {

// RGBA bytes, rows from t = 0 up.
struct Image {
    int width;
    int height;
    std::vector<uint8_t> rgba;
    Image(int w, int h) : width(w), height(h), rgba(static_cast<size_t>(w) * static_cast<size_t>(h) * 4, 255) {}
    void Set(int x, int y, float r, float g, float b, float a = 1.0f) {
        uint8_t* p = &rgba[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4];
        const float channels[4] = {r, g, b, a};
        for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(std::clamp(channels[i], 0.0f, 1.0f) * 255.0f + 0.5f);
    }
};

// Deterministic value noise in [0, 1).
float Hash(int x, int y, int seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 static_cast<uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<float>((h ^ (h >> 16)) & 0xFFFFu) / 65536.0f;
}

float SmoothNoise(float x, float y, int seed) {
    const int ix = static_cast<int>(std::floor(x));
    const int iy = static_cast<int>(std::floor(y));
    const float fx = x - static_cast<float>(ix);
    const float fy = y - static_cast<float>(iy);
    const float a = Hash(ix, iy, seed), b = Hash(ix + 1, iy, seed);
    const float c = Hash(ix, iy + 1, seed), d = Hash(ix + 1, iy + 1, seed);
    const float top = a + (b - a) * fx;
    const float bottom = c + (d - c) * fx;
    return top + (bottom - top) * fy;
}

float Fractal(float x, float y, int seed) {
    return 0.5f * SmoothNoise(x, y, seed) + 0.3f * SmoothNoise(2 * x, 2 * y, seed + 1) +
           0.2f * SmoothNoise(4 * x, 4 * y, seed + 2);
}

GLuint Upload(const Image& image, GLint minFilter, GLint magFilter) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.rgba.data());
    return name;
}

Image StoneTiles() {
    Image image(128, 128);
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) {
            const int tx = x % 64, ty = y % 64;
            const bool grout = tx < 2 || ty < 2;
            const float n = Fractal(x / 9.0f, y / 9.0f, 3 + (x / 64) * 2 + (y / 64));
            const float v = grout ? 0.22f : 0.45f + 0.35f * n;
            image.Set(x, y, v * 0.95f, v * 0.9f, v * 0.8f);
        }
    }
    return image;
}

Image Bricks() {
    Image image(128, 128);
    for (int y = 0; y < 128; ++y) {
        const int row = y / 16;
        for (int x = 0; x < 128; ++x) {
            const int shifted = (x + (row % 2) * 16) % 32;
            const bool mortar = y % 16 < 2 || shifted < 2;
            const float n = Fractal(x / 6.0f, y / 6.0f, 11);
            const float shade = 0.85f + 0.3f * Hash((x + (row % 2) * 16) / 32, row, 5);
            if (mortar) {
                image.Set(x, y, 0.55f + 0.1f * n, 0.52f + 0.1f * n, 0.45f + 0.1f * n);
            } else {
                image.Set(x, y, (0.55f + 0.25f * n) * shade, (0.25f + 0.1f * n) * shade, (0.18f + 0.08f * n) * shade);
            }
        }
    }
    return image;
}

Image Planks() {
    Image image(64, 128);
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 64; ++x) {
            const int plank = x / 16;
            const bool gap = x % 16 == 0;
            const float grain = 0.5f + 0.5f * std::sin(y * 0.35f + 6.0f * SmoothNoise(x / 4.0f, y / 24.0f, plank + 20));
            const float v = gap ? 0.15f : 0.45f + 0.15f * grain + 0.1f * Hash(plank, 0, 7);
            image.Set(x, y, v * 0.9f, v * 0.65f, v * 0.4f);
        }
    }
    return image;
}

Image Crate() {
    Image image(64, 64);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const bool frame = x < 6 || x > 57 || y < 6 || y > 57;
            const bool brace = std::abs(x - y) < 4 || std::abs(x + y - 63) < 4;
            const float n = Fractal(x / 5.0f, y / 11.0f, 31);
            float v = 0.5f + 0.3f * n;
            if (frame || brace) v *= 1.25f;
            if (x == 6 || x == 57 || y == 6 || y == 57) v *= 0.5f;
            image.Set(x, y, v * 0.85f, v * 0.62f, v * 0.32f);
        }
    }
    return image;
}

Image Metal() {
    Image image(64, 64);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const float n = Fractal(x / 3.0f, y / 3.0f, 41);
            const bool rivet = (x % 32 - 4) * (x % 32 - 4) + (y % 32 - 4) * (y % 32 - 4) < 5;
            const float v = rivet ? 0.95f : 0.45f + 0.25f * n;
            image.Set(x, y, v * 0.8f, v * 0.85f, v * 0.9f);
        }
    }
    return image;
}

// A soft round sprite: white with alpha falling off from the centre.
Image ParticleSprite() {
    Image image(32, 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const float dx = (x + 0.5f - 16.0f) / 16.0f, dy = (y + 0.5f - 16.0f) / 16.0f;
            const float a = std::max(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy));
            image.Set(x, y, 1.0f, 1.0f, 1.0f, a * a);
        }
    }
    return image;
}

// 3 x 5 glyph bitmaps (rows top to bottom, 3 bits each) for the digits and a few letters.
constexpr uint16_t kGlyphBits[kGlyphCount] = {
    0x7B6F, 0x2C97, 0x73E7, 0x73CF, 0x5BC9, 0x79CF, 0x79EF, 0x7249, 0x7BEF, 0x7BCF,  // 0-9
    0x79E4, 0x7BE4, 0x79CF, 0x0410, 0x0002, 0x0000,                                  // F P S : . crosshair
};

// The glyphs in 8 x 8 cells, each bit 2 texels wide and 1 high: opaque white where set, alpha 0
// elsewhere, so that the alpha test cuts them out.
Image GlyphSheet() {
    Image image(8 * kGlyphCount, 8);
    for (int g = 0; g < kGlyphCount; ++g) {
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                bool set = false;
                if (g == kGlyphCrosshair) {
                    set = (x == 3 || x == 4 || y == 3 || y == 4) && !((x == 3 || x == 4) && (y == 3 || y == 4));
                } else if (x >= 1 && x < 7 && y >= 1 && y < 6) {
                    const int bitRow = 4 - (y - 1);  // texture rows run from the bottom
                    const int bitCol = (x - 1) / 2;
                    set = (kGlyphBits[g] >> (14 - (3 * bitRow + bitCol))) & 1u;
                }
                image.Set(8 * g + x, y, 1.0f, 1.0f, 1.0f, set ? 1.0f : 0.0f);
            }
        }
    }
    return image;
}

// A lightmap for a rectangle of the room: point (u, v) in [0, 1]^2 of the surface maps to the
// world point origin + u * axisU + v * axisV with the given normal.
Image Lightmap(const float origin[3], const float axisU[3], const float axisV[3], const float normal[3]) {
    constexpr int kSize = 32;
    Image image(kSize, kSize);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const float u = (x + 0.5f) / kSize, v = (y + 0.5f) / kSize;
            float p[3];
            for (int i = 0; i < 3; ++i) p[i] = origin[i] + u * axisU[i] + v * axisV[i];
            float rgb[3] = {0.24f, 0.23f, 0.25f};  // ambient
            for (const Light& light : kRoomLights) {
                const float d[3] = {light.x - p[0], light.y - p[1], light.z - p[2]};
                const float distance = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
                const float facing =
                    std::max(0.0f, (d[0] * normal[0] + d[1] * normal[1] + d[2] * normal[2]) / distance);
                const float falloff = std::max(0.0f, 1.0f - distance / light.radius);
                const float amount = 1.3f * facing * falloff * falloff;
                rgb[0] += light.r * amount;
                rgb[1] += light.g * amount;
                rgb[2] += light.b * amount;
            }
            image.Set(x, y, rgb[0], rgb[1], rgb[2]);
        }
    }
    return image;
}

}  // namespace

Textures CreateTextures() {
    Textures t;
    t.floor = Upload(StoneTiles(), GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    t.wall = Upload(Bricks(), GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    t.ceiling = Upload(Planks(), GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR);
    t.crate = Upload(Crate(), GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    t.metal = Upload(Metal(), GL_LINEAR, GL_LINEAR);
    t.particle = Upload(ParticleSprite(), GL_LINEAR, GL_LINEAR);
    t.glyphs = Upload(GlyphSheet(), GL_NEAREST, GL_NEAREST);
    const float h = kRoomHalf, top = kRoomHeight;
    {
        const float origin[3] = {-h, 0, -h}, u[3] = {2 * h, 0, 0}, v[3] = {0, 0, 2 * h}, n[3] = {0, 1, 0};
        t.floorLight = Upload(Lightmap(origin, u, v, n), GL_LINEAR, GL_LINEAR);
    }
    {
        const float origin[3] = {-h, top, -h}, u[3] = {2 * h, 0, 0}, v[3] = {0, 0, 2 * h}, n[3] = {0, -1, 0};
        t.ceilingLight = Upload(Lightmap(origin, u, v, n), GL_LINEAR, GL_LINEAR);
    }
    // Walls: u along the wall, v up; normals point into the room.
    const float wallOrigin[4][3] = {{-h, 0, -h}, {h, 0, -h}, {h, 0, h}, {-h, 0, h}};
    const float wallU[4][3] = {{2 * h, 0, 0}, {0, 0, 2 * h}, {-2 * h, 0, 0}, {0, 0, -2 * h}};
    const float wallNormal[4][3] = {{0, 0, 1}, {-1, 0, 0}, {0, 0, -1}, {1, 0, 0}};
    const float up[3] = {0, top, 0};
    for (int w = 0; w < 4; ++w) {
        t.wallLight[w] = Upload(Lightmap(wallOrigin[w], wallU[w], up, wallNormal[w]), GL_LINEAR, GL_LINEAR);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    return t;
}

}  // namespace demo
