// The animated models of the synthetic scene: creatures of a few hundred triangles (a body and a
// head, each a deformed ellipsoid drawn as triangle strips with fans at the poles) that walk
// circles in their rooms, with per-vertex Gouraud colours from a fixed light and their room's
// ambient, textured with modulate. Their triangles wind clockwise seen from outside.
#pragma once

#include <cstdint>
#include <vector>

#include "scene_gl.h"
#include "scene_math.h"
#include "scene_textures.h"
#include "scene_world.h"

namespace mora::scene {

struct Model {
    uint32_t room = 0;
    uint32_t skin = 0;  // index into Models::skins
    float orbitRadius = 0.0f;
    float angularSpeed = 0.0f;  // radians per frame, signed
    float phase = 0.0f;
    float size = 0.0f;  // body radius
};

struct Models {
    std::vector<Model> models;
    std::vector<TextureImage> skins;
};

Models BuildModels(uint64_t seed, const World& world, int count);

struct ModelTextures {
    std::vector<GLuint> skins;
};
ModelTextures UploadModelTextures(SceneGl& gl, const Models& models);

// Draws the models standing in one of `rooms` at `frame`.
void DrawModels(SceneGl& gl, const Models& models, const ModelTextures& textures, const World& world,
                const std::vector<uint32_t>& rooms, int frame);

}  // namespace mora::scene
