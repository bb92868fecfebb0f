// The synthetic scene's effects and 2D overlay: particle emitters (alpha-blended smoke and sparks,
// additive glow) drawn as camera-facing quads, the alpha-tested status bar, digits and crosshair
// in a 640 x 480 glOrtho space, and the full-screen additive flash that comes now and then.
#pragma once

#include <cstdint>
#include <vector>

#include "scene_gl.h"
#include "scene_math.h"
#include "scene_textures.h"
#include "scene_world.h"

namespace mora::scene {

enum class ParticleKind { Smoke, Sparks, Glow };

struct Emitter {
    uint32_t room = 0;
    Vec3 origin;
    ParticleKind kind = ParticleKind::Smoke;
    uint32_t particleCount = 0;
    uint64_t seed = 0;  // the particles' own random numbers derive from it
};

struct Effects {
    std::vector<Emitter> emitters;
    TextureImage particle;
    TextureImage digits;
    TextureImage statusBar;
    TextureImage crosshair;
};

Effects BuildEffects(uint64_t seed, const World& world, int emitterCount, int particlesPerEmitter);

struct EffectTextures {
    GLuint particle = 0;
    GLuint digits = 0;
    GLuint statusBar = 0;
    GLuint crosshair = 0;
};
EffectTextures UploadEffectTextures(SceneGl& gl, const Effects& effects);

// Particles of the emitters in `rooms`: depth-tested without depth writes, no culling.
void DrawParticles(SceneGl& gl, const Effects& effects, const EffectTextures& textures, const Camera& camera,
                   const std::vector<uint32_t>& rooms, int frame);

// Whether the full-screen flash shows at `frame`, and its strength (0..1).
float FlashStrength(int frame);

// The 2D pass: loads a 640 x 480 glOrtho projection (y down) and identity modelview, draws the
// flash when FlashStrength(frame) > 0, then the status bar, digits and crosshair.
void DrawOverlay(SceneGl& gl, const EffectTextures& textures, int frame);

}  // namespace mora::scene
