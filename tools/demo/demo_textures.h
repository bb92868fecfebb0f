// mora-demo's textures, made procedurally at start-up and uploaded once: stone floor tiles, brick
// walls, wooden planks, a crate, a metal plate, lightmaps baked from the room's lights, a soft
// particle sprite, and the HUD's glyph sheet (alpha-tested).
#pragma once

#include <cstdint>

#include "mora/gl.h"

namespace demo {

struct Light {
    float x, y, z;
    float r, g, b;
    float radius;
};

inline constexpr int kLightCount = 3;
extern const Light kRoomLights[kLightCount];

// Room size (the room spans -kRoomHalf..kRoomHalf in x and z, 0..kRoomHeight in y).
inline constexpr float kRoomHalf = 8.0f;
inline constexpr float kRoomHeight = 5.0f;

struct Textures {
    GLuint floor = 0;
    GLuint wall = 0;
    GLuint ceiling = 0;
    GLuint crate = 0;
    GLuint metal = 0;
    GLuint particle = 0;
    GLuint glyphs = 0;
    GLuint floorLight = 0;  // lightmaps of the floor, the ceiling and the four walls
    GLuint ceilingLight = 0;
    GLuint wallLight[4] = {};  // -z, +x, +z, -x walls
};

// Glyph sheet layout: 16 glyphs of 8 x 8 texels in one 128 x 8 row: digits 0-9, then 'F', 'P',
// 'S', ':', '.', and a crosshair.
inline constexpr int kGlyphCount = 16;
inline constexpr int kGlyphColon = 13;
inline constexpr int kGlyphDot = 14;
inline constexpr int kGlyphCrosshair = 15;

// Generates and uploads every texture (call with a current context).
Textures CreateTextures();

}  // namespace demo
