#include "demo_scene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdint>

namespace demo {

namespace {

constexpr float kPi = 3.14159265f;
constexpr int kParticleCount = 160;

struct Vec3 {
    float x, y, z;
};

Vec3 Sub(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Normalise(Vec3 v) {
    const float length = std::sqrt(Dot(v, v));
    return {v.x / length, v.y / length, v.z / length};
}

// The view matrix of a camera at eye looking at centre (column-major, as glLoadMatrixf takes it);
// also returns the camera's right and up axes for billboards.
void LookAt(Vec3 eye, Vec3 centre, float m[16], Vec3* right, Vec3* up) {
    const Vec3 f = Normalise(Sub(centre, eye));
    const Vec3 s = Normalise(Cross(f, {0, 1, 0}));
    const Vec3 u = Cross(s, f);
    const float matrix[16] = {s.x, u.x, -f.x, 0, s.y,          u.y,          -f.y,        0,
                              s.z, u.z, -f.z, 0, -Dot(s, eye), -Dot(u, eye), Dot(f, eye), 1};
    std::copy(matrix, matrix + 16, m);
    *right = s;
    *up = u;
}

void Perspective(float fovY, float aspect, float nearZ, float farZ) {
    const float top = nearZ * std::tan(fovY * 0.5f);
    glFrustum(-top * aspect, top * aspect, -top, top, nearZ, farZ);
}

// One room surface as a grid of quads (more, smaller triangles, as a BSP renderer would emit),
// texture repeating every `repeat` units and lightmap coordinates across the whole surface.
struct Surface {
    Vec3 origin, axisU, axisV;  // corner and the two edges
    float lengthU, lengthV;     // world lengths of the edges
};

enum class Coordinates {
    Texture,          // repeating every `repeat` world units
    Lightmap,         // 0..1 along the surface's edges
    LightmapSwapped,  // 0..1 with the edges swapped (the lightmap was baked along the other edge first)
};

void DrawSurface(const Surface& surface, float repeat, Coordinates coordinates) {
    constexpr int kCells = 8;
    glBegin(GL_QUADS);
    for (int j = 0; j < kCells; ++j) {
        for (int i = 0; i < kCells; ++i) {
            const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
            for (const auto& c : corners) {
                const float u = (static_cast<float>(i) + c[0]) / kCells;
                const float v = (static_cast<float>(j) + c[1]) / kCells;
                if (coordinates == Coordinates::Lightmap) {
                    glTexCoord2f(u, v);
                } else if (coordinates == Coordinates::LightmapSwapped) {
                    glTexCoord2f(v, u);
                } else {
                    glTexCoord2f(u * surface.lengthU / repeat, v * surface.lengthV / repeat);
                }
                glVertex3f(surface.origin.x + u * surface.axisU.x + v * surface.axisV.x,
                           surface.origin.y + u * surface.axisU.y + v * surface.axisV.y,
                           surface.origin.z + u * surface.axisU.z + v * surface.axisV.z);
            }
        }
    }
    glEnd();
}

void DrawRoom(const Textures& t) {
    const float h = kRoomHalf, top = kRoomHeight;
    // Same corners and edges as the lightmaps were baked with (demo_textures.cpp).
    const Surface floor{{-h, 0, -h}, {2 * h, 0, 0}, {0, 0, 2 * h}, 2 * h, 2 * h};
    const Surface ceiling{{-h, top, -h}, {0, 0, 2 * h}, {2 * h, 0, 0}, 2 * h, 2 * h};
    const Surface walls[4] = {{{-h, 0, -h}, {2 * h, 0, 0}, {0, top, 0}, 2 * h, top},
                              {{h, 0, -h}, {0, 0, 2 * h}, {0, top, 0}, 2 * h, top},
                              {{h, 0, h}, {-2 * h, 0, 0}, {0, top, 0}, 2 * h, top},
                              {{-h, 0, h}, {0, 0, -2 * h}, {0, top, 0}, 2 * h, top}};

    // Pass 1: base textures, depth written.
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LEQUAL);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBindTexture(GL_TEXTURE_2D, t.floor);
    DrawSurface(floor, 4.0f, Coordinates::Texture);
    glBindTexture(GL_TEXTURE_2D, t.ceiling);
    DrawSurface(ceiling, 4.0f, Coordinates::Texture);
    glBindTexture(GL_TEXTURE_2D, t.wall);
    for (const Surface& wall : walls) DrawSurface(wall, 2.5f, Coordinates::Texture);

    // Pass 2: lightmaps multiplied over the base (dst = dst x src), depth equal from pass 1.
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_SRC_COLOR);
    glDepthMask(GL_FALSE);
    glBindTexture(GL_TEXTURE_2D, t.floorLight);
    DrawSurface(floor, 1.0f, Coordinates::Lightmap);
    glBindTexture(GL_TEXTURE_2D, t.ceilingLight);
    DrawSurface(ceiling, 1.0f, Coordinates::LightmapSwapped);  // baked along x first, drawn along z first
    for (int w = 0; w < 4; ++w) {
        glBindTexture(GL_TEXTURE_2D, t.wallLight[w]);
        DrawSurface(walls[w], 1.0f, Coordinates::Lightmap);
    }
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

// Vertex lighting of a face with normal n at world point p from the room's lights.
void FaceColour(Vec3 n, Vec3 p, float alpha = 1.0f) {
    float rgb[3] = {0.22f, 0.21f, 0.24f};
    for (const Light& light : kRoomLights) {
        const Vec3 d = Sub({light.x, light.y, light.z}, p);
        const float distance = std::sqrt(Dot(d, d));
        const float facing = std::max(0.0f, Dot(n, d) / distance);
        const float falloff = std::max(0.0f, 1.0f - distance / (light.radius * 1.4f));
        rgb[0] += light.r * facing * falloff;
        rgb[1] += light.g * facing * falloff;
        rgb[2] += light.b * facing * falloff;
    }
    glColor4f(std::min(rgb[0], 1.0f), std::min(rgb[1], 1.0f), std::min(rgb[2], 1.0f), alpha);
}

// A cube of half-size s centred at c, turned by `angle` about y, textured on every face.
void DrawCrate(Vec3 c, float s, float angle) {
    const float ca = std::cos(angle), sa = std::sin(angle);
    const auto turn = [&](Vec3 v) { return Vec3{v.x * ca + v.z * sa, v.y, -v.x * sa + v.z * ca}; };
    static const Vec3 kNormals[6] = {{0, 0, 1}, {0, 0, -1}, {1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
    glBegin(GL_QUADS);
    for (const Vec3& n0 : kNormals) {
        // Two edge directions perpendicular to the normal, ordered counter-clockwise from outside.
        const Vec3 a0 = std::fabs(n0.y) > 0.5f ? Vec3{1, 0, 0} : Vec3{0, 1, 0};
        const Vec3 b0 = Cross(n0, a0);
        const Vec3 n = turn(n0), a = turn(a0), b = turn(b0);
        const Vec3 centre = {c.x + n.x * s, c.y + n.y * s, c.z + n.z * s};
        FaceColour(n, centre);
        const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (const auto& k : corners) {
            glTexCoord2f(0.5f + 0.5f * k[0], 0.5f + 0.5f * k[1]);
            // (a, b, n) is right-handed, so stepping along a then b runs counter-clockwise seen from outside.
            glVertex3f(centre.x + (k[0] * a.x + k[1] * b.x) * s, centre.y + (k[0] * a.y + k[1] * b.y) * s,
                       centre.z + (k[0] * a.z + k[1] * b.z) * s);
        }
    }
    glEnd();
}

// A spinning octahedron pickup hovering over its metal pedestal.
void DrawPickup(Vec3 c, float size, float angle) {
    const float ca = std::cos(angle), sa = std::sin(angle);
    const Vec3 ring[4] = {{ca, 0, sa}, {-sa, 0, ca}, {-ca, 0, -sa}, {sa, 0, -ca}};
    glBegin(GL_TRIANGLES);
    for (int half = 0; half < 2; ++half) {
        const Vec3 tip = {0, half == 0 ? 1.4f : -1.4f, 0};
        for (int i = 0; i < 4; ++i) {
            Vec3 points[3] = {ring[i], ring[(i + 1) % 4], tip};
            Vec3 n = Normalise(Cross(Sub(points[1], points[0]), Sub(points[2], points[0])));
            const Vec3 middle = {(points[0].x + points[1].x) * 0.5f, tip.y / 3.0f, (points[0].z + points[1].z) * 0.5f};
            if (Dot(n, middle) < 0.0f) {  // wound inwards: turn it so that its front faces outwards
                std::swap(points[1], points[2]);
                n = {-n.x, -n.y, -n.z};
            }
            FaceColour(n, c);
            const float st[3][2] = {{0, 0}, {1, 0}, {0.5f, 1}};
            for (int k = 0; k < 3; ++k) {
                glTexCoord2f(st[k][0], st[k][1]);
                glVertex3f(c.x + points[k].x * size, c.y + points[k].y * size, c.z + points[k].z * size);
            }
        }
    }
    glEnd();
}

void DrawModels(const Textures& t, float time) {
    glEnable(GL_CULL_FACE);
    glBindTexture(GL_TEXTURE_2D, t.crate);
    DrawCrate({-3.5f, 0.6f, 2.5f}, 0.6f, 0.3f);
    DrawCrate({-3.5f, 1.8f, 2.5f}, 0.6f, 0.9f);
    DrawCrate({-2.2f, 0.6f, 3.2f}, 0.6f, -0.2f);
    DrawCrate({4.0f, 0.75f, -3.0f}, 0.75f, 0.1f + 0.2f * std::sin(time * 0.7f));
    glBindTexture(GL_TEXTURE_2D, t.metal);
    DrawCrate({3.0f, 0.3f, 2.8f}, 0.3f, 0.0f);
    DrawPickup({3.0f, 1.35f + 0.15f * std::sin(time * 2.0f), 2.8f}, 0.35f, time * 1.5f);
    glDisable(GL_CULL_FACE);
}

// A fountain of sparks from the floor light: each particle's state is a function of time, so any
// frame can be drawn alone.
void DrawParticles(const Textures& t, float time, Vec3 right, Vec3 up) {
    glBindTexture(GL_TEXTURE_2D, t.particle);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    glBegin(GL_QUADS);
    for (int i = 0; i < kParticleCount; ++i) {
        const float period = 2.2f + 0.9f * static_cast<float>((i * 37) % 11) / 11.0f;
        const float age = std::fmod(time + period * static_cast<float>(i) / kParticleCount, period);
        const float heading = static_cast<float>(i) * 2.39996f;  // golden angle spreads them out
        const float speed = 0.7f + 0.4f * static_cast<float>((i * 13) % 7) / 7.0f;
        const Vec3 p = {std::cos(heading) * speed * age, 0.8f + 3.6f * age - 1.6f * age * age,
                        std::sin(heading) * speed * age};
        if (p.y < 0.05f) continue;
        const float life = 1.0f - age / period;
        const float size = 0.06f + 0.1f * (1.0f - life);
        glColor4f(1.0f, 0.55f + 0.4f * life, 0.2f + 0.3f * life * life, 0.85f * life);
        const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (const auto& c : corners) {
            glTexCoord2f(0.5f + 0.5f * c[0], 0.5f + 0.5f * c[1]);
            glVertex3f(p.x + (c[0] * right.x + c[1] * up.x) * size, p.y + (c[0] * right.y + c[1] * up.y) * size,
                       p.z + (c[0] * right.z + c[1] * up.z) * size);
        }
    }
    glEnd();
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
}

// One glyph cell of the sheet at pixel (x, y) (origin bottom left), `scale` pixels per texel.
void Glyph(int glyph, float x, float y, float scale) {
    const float s0 = static_cast<float>(glyph) / kGlyphCount;
    const float s1 = static_cast<float>(glyph + 1) / kGlyphCount;
    const float size = 8.0f * scale;
    glTexCoord2f(s0, 0.0f);
    glVertex2f(x, y);
    glTexCoord2f(s1, 0.0f);
    glVertex2f(x + size, y);
    glTexCoord2f(s1, 1.0f);
    glVertex2f(x + size, y + size);
    glTexCoord2f(s0, 1.0f);
    glVertex2f(x, y + size);
}

void DrawHud(const Scene& scene, double fps, float time) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, scene.width, 0.0, scene.height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);

    // Health bar: a translucent backing, then the bar itself (untextured, blended).
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const float fill = 0.55f + 0.35f * std::sin(time * 0.8f);
    glBegin(GL_QUADS);
    glColor4f(0.0f, 0.0f, 0.0f, 0.5f);
    glVertex2f(14, 14);
    glVertex2f(226, 14);
    glVertex2f(226, 34);
    glVertex2f(14, 34);
    glColor4f(0.85f, 0.15f, 0.1f, 0.9f);
    glVertex2f(18, 18);
    glVertex2f(18 + 204 * fill, 18);
    glVertex2f(18 + 204 * fill, 30);
    glVertex2f(18, 30);
    glEnd();
    glDisable(GL_BLEND);

    // Text and crosshair: the glyph sheet cut out by the alpha test.
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, scene.textures.glyphs);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f", fps);
    const float scale = std::max(2.0f, scene.height / 240.0f);
    float x = 16.0f;
    const float y = static_cast<float>(scene.height) - 16.0f - 8.0f * scale;
    glColor4f(1.0f, 0.9f, 0.3f, 1.0f);
    glBegin(GL_QUADS);
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c >= '0' && *c <= '9') Glyph(*c - '0', x, y, scale);
        if (*c == '.') Glyph(kGlyphDot, x, y, scale);
        x += 6.0f * scale;
    }
    x += 4.0f * scale;
    for (int glyph : {10, 11, 12}) {  // "FPS"
        Glyph(glyph, x, y, scale);
        x += 8.0f * scale;
    }
    glColor4f(0.6f, 1.0f, 0.6f, 1.0f);
    Glyph(kGlyphCrosshair, scene.width * 0.5f - 4.0f * scale, scene.height * 0.5f - 4.0f * scale, scale);
    glEnd();
    glDisable(GL_ALPHA_TEST);
    glEnable(GL_DEPTH_TEST);
}

}  // namespace

void InitScene(Scene& scene, int width, int height) {
    scene.width = width;
    scene.height = height;
    scene.textures = CreateTextures();
    glViewport(0, 0, width, height);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
}

void DrawScene(const Scene& scene, int frame, double fps) {
    const float time = static_cast<float>(frame) / 60.0f;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    Perspective(70.0f * kPi / 180.0f, static_cast<float>(scene.width) / static_cast<float>(scene.height), 0.1f, 64.0f);
    glMatrixMode(GL_MODELVIEW);
    // The camera circles close to the middle of the room, looking across it past the fountain.
    const float orbit = time * 0.25f;
    const Vec3 eye = {2.4f * std::sin(orbit), 2.0f + 0.3f * std::sin(time * 0.5f), 2.4f * std::cos(orbit)};
    const Vec3 centre = {-1.5f * eye.x, 1.1f, -1.5f * eye.z};
    float view[16];
    Vec3 right{}, up{};
    LookAt(eye, centre, view, &right, &up);
    glLoadMatrixf(view);

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    DrawRoom(scene.textures);
    DrawModels(scene.textures, time);
    DrawParticles(scene.textures, time, right, up);
    DrawHud(scene, fps, time);
}

}  // namespace demo
