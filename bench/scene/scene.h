// The synthetic late-1990s first-person scene as a whole: built once from a seed (level, models,
// effects, every texture image), uploaded once per renderer, then drawn frame by frame through
// SceneGl. A frame is a pure function of the seed, the frame number and the viewport size.
#pragma once

#include <cstdint>

#include "scene_effects.h"
#include "scene_gl.h"
#include "scene_models.h"
#include "scene_world.h"

namespace mora::scene {

struct SceneOptions {
    uint64_t seed = 1;
    int roomsX = 4;  // even
    int roomsZ = 4;  // even
    int modelCount = 12;
    int emitterCount = 8;
    int particlesPerEmitter = 60;
};

struct Scene {
    SceneOptions options;
    World world;
    Models models;
    Effects effects;
};

Scene BuildScene(const SceneOptions& options);

// One renderer's texture names for the scene.
struct SceneTextures {
    WorldTextures world;
    ModelTextures models;
    EffectTextures effects;
};
SceneTextures UploadSceneTextures(SceneGl& gl, const Scene& scene);

// Puts every piece of GL state the scene uses to a known value (GL's defaults where GL has one):
// no texturing, blending, alpha or depth test, culling; identity matrices; full viewport.
void ResetGlState(SceneGl& gl, int width, int height);

// Everything of frame `frame` up to, not including, the end of the frame (swap or finish):
// clear, 3D view, world and lightmaps, models, particles, then the 2D overlay.
void DrawSceneFrame(SceneGl& gl, const Scene& scene, const SceneTextures& textures, int frame, int width, int height);

}  // namespace mora::scene
