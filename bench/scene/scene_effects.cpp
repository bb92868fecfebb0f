#include "scene_effects.h"

#include <algorithm>
#include <cmath>

namespace mora::scene {

namespace {

constexpr float kOverlayWidth = 640.0f;
constexpr float kOverlayHeight = 480.0f;
constexpr int kFlashPeriod = 150;  // frames from one flash to the next
constexpr int kFlashFrames = 12;   // frames a flash lasts
constexpr float kAlphaReference = 0.666f;

struct Particle {
    Vec3 position;
    float size = 0.0f;
    float red = 0.0f, green = 0.0f, blue = 0.0f, alpha = 0.0f;
};

// Particle `index` of the emitter at `frame`: a fixed life period with its own offset; position
// from its launch velocity and gravity at its age.
Particle ParticleAt(const Emitter& emitter, uint32_t index, int frame) {
    Rng rng = StreamRng(emitter.seed, index);
    const int period = 30 + static_cast<int>(NextBelow(rng, 50));
    const int offset = static_cast<int>(NextBelow(rng, static_cast<uint32_t>(period)));
    const int age = (frame + offset) % period;
    const float life = static_cast<float>(age) / static_cast<float>(period);
    const float a = static_cast<float>(age);
    const float angle = NextRange(rng, 0.0f, 2.0f * kPi);
    const float spread = NextRange(rng, 0.2f, 1.0f);
    Particle p;
    switch (emitter.kind) {
        case ParticleKind::Smoke: {
            const Vec3 velocity{0.35f * spread * std::cos(angle), NextRange(rng, 0.9f, 1.6f),
                                0.35f * spread * std::sin(angle)};
            p.position = emitter.origin + velocity * a;
            p.size = 6.0f + 16.0f * life;
            p.red = p.green = p.blue = 0.55f;
            p.alpha = 0.5f * (1.0f - life);
            break;
        }
        case ParticleKind::Sparks: {
            const Vec3 velocity{2.2f * spread * std::cos(angle), NextRange(rng, 2.5f, 4.5f),
                                2.2f * spread * std::sin(angle)};
            p.position = emitter.origin + velocity * a + Vec3{0.0f, -0.06f * a * a, 0.0f};
            p.size = 2.5f;
            p.red = 1.0f;
            p.green = 0.6f + 0.3f * spread;
            p.blue = 0.2f;
            p.alpha = 1.0f - life;
            break;
        }
        case ParticleKind::Glow: {
            const float radius = 24.0f * spread;
            p.position = emitter.origin +
                         Vec3{radius * std::cos(angle + 0.05f * a), 0.6f * a, radius * std::sin(angle + 0.05f * a)};
            p.size = 8.0f;
            const float fade = 0.6f * (1.0f - life);
            p.red = 0.3f * fade;
            p.green = 0.5f * fade;
            p.blue = 1.0f * fade;
            p.alpha = 1.0f;
            break;
        }
    }
    return p;
}

void TexturedRect(SceneGl& gl, float x0, float y0, float x1, float y1, float s0, float t0, float s1, float t1) {
    gl.TexCoord2f(s0, t0);
    gl.Vertex2f(x0, y0);
    gl.TexCoord2f(s1, t0);
    gl.Vertex2f(x1, y0);
    gl.TexCoord2f(s1, t1);
    gl.Vertex2f(x1, y1);
    gl.TexCoord2f(s0, t1);
    gl.Vertex2f(x0, y1);
}

// A number of `digits` digits, right-aligned at `right`, each glyph 24 x 48.
void DrawNumber(SceneGl& gl, int value, int digits, float right, float top) {
    const float glyphWidth = 24.0f;
    for (int d = 0; d < digits; ++d) {
        const int digit = value % 10;
        value /= 10;
        const float x1 = right - glyphWidth * static_cast<float>(d);
        const float s0 = static_cast<float>(digit * 16) / 256.0f;
        const float s1 = static_cast<float>(digit * 16 + 16) / 256.0f;
        TexturedRect(gl, x1 - glyphWidth, top, x1, top + 48.0f, s0, 0.0f, s1, 1.0f);
    }
}

}  // namespace

Effects BuildEffects(uint64_t seed, const World& world, int emitterCount, int particlesPerEmitter) {
    Effects effects;
    Rng rng = StreamRng(seed, 4);
    const uint32_t rooms = static_cast<uint32_t>(world.rooms.size());
    for (int k = 0; k < emitterCount; ++k) {
        Emitter emitter;
        emitter.room = (static_cast<uint32_t>(k) * 7u + 1u) % rooms;
        const Room& room = world.rooms[emitter.room];
        emitter.origin = {NextRange(rng, room.boundsMin.x + 128.0f, room.boundsMax.x - 128.0f),
                          NextRange(rng, 8.0f, 40.0f),
                          NextRange(rng, room.boundsMin.z + 128.0f, room.boundsMax.z - 128.0f)};
        emitter.kind = static_cast<ParticleKind>(k % 3);
        emitter.particleCount = static_cast<uint32_t>(std::max(particlesPerEmitter, 0));
        emitter.seed = NextU64(rng);
        effects.emitters.push_back(emitter);
    }
    effects.particle = MakeParticleTexture(32);
    effects.digits = MakeDigitFontTexture();
    effects.statusBar = MakeStatusBarTexture(rng);
    effects.crosshair = MakeCrosshairTexture();
    return effects;
}

EffectTextures UploadEffectTextures(SceneGl& gl, const Effects& effects) {
    EffectTextures textures;
    // Bilinear pictures use GL_CLAMP with texture coordinates that stay half a texel inside the
    // edge (or with transparent black edges), so the border is never sampled.
    textures.particle = UploadTexture(gl, effects.particle, TextureFilter::Bilinear, GL_CLAMP);
    textures.digits = UploadTexture(gl, effects.digits, TextureFilter::Nearest, GL_CLAMP);
    textures.statusBar = UploadTexture(gl, effects.statusBar, TextureFilter::Bilinear, GL_CLAMP);
    textures.crosshair = UploadTexture(gl, effects.crosshair, TextureFilter::Nearest, GL_CLAMP);
    return textures;
}

void DrawParticles(SceneGl& gl, const Effects& effects, const EffectTextures& textures, const Camera& camera,
                   const std::vector<uint32_t>& rooms, int frame) {
    gl.Enable(GL_TEXTURE_2D);
    gl.BindTexture(GL_TEXTURE_2D, textures.particle);
    gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    gl.Enable(GL_DEPTH_TEST);
    gl.DepthFunc(GL_LEQUAL);
    gl.DepthMask(GL_FALSE);
    gl.Disable(GL_CULL_FACE);
    gl.Enable(GL_BLEND);
    for (const Emitter& emitter : effects.emitters) {
        if (std::find(rooms.begin(), rooms.end(), emitter.room) == rooms.end()) continue;
        if (emitter.kind == ParticleKind::Glow)
            gl.BlendFunc(GL_ONE, GL_ONE);
        else
            gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        gl.Begin(GL_QUADS);
        for (uint32_t i = 0; i < emitter.particleCount; ++i) {
            const Particle p = ParticleAt(emitter, i, frame);
            const Vec3 r = camera.right * p.size;
            const Vec3 u = camera.up * p.size;
            const Vec3 corners[4] = {p.position - r - u, p.position + r - u, p.position + r + u, p.position - r + u};
            static const float kCornerS[4] = {0.0f, 1.0f, 1.0f, 0.0f};
            static const float kCornerT[4] = {0.0f, 0.0f, 1.0f, 1.0f};
            gl.Color4f(p.red, p.green, p.blue, p.alpha);
            for (int c = 0; c < 4; ++c) {
                gl.TexCoord2f(kCornerS[c], kCornerT[c]);
                gl.Vertex3f(corners[c].x, corners[c].y, corners[c].z);
            }
        }
        gl.End();
    }
    gl.Disable(GL_BLEND);
    gl.DepthMask(GL_TRUE);
}

float FlashStrength(int frame) {
    const int phase = ((frame % kFlashPeriod) + kFlashPeriod) % kFlashPeriod;
    if (phase >= kFlashFrames) return 0.0f;
    return 1.0f - static_cast<float>(phase) / static_cast<float>(kFlashFrames);
}

void DrawOverlay(SceneGl& gl, const EffectTextures& textures, int frame) {
    gl.MatrixMode(GL_PROJECTION);
    gl.LoadIdentity();
    gl.Ortho(0.0, kOverlayWidth, kOverlayHeight, 0.0, -1.0, 1.0);
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadIdentity();
    gl.Disable(GL_DEPTH_TEST);
    gl.Disable(GL_CULL_FACE);

    const float flash = FlashStrength(frame);
    if (flash > 0.0f) {
        gl.Disable(GL_TEXTURE_2D);
        gl.Enable(GL_BLEND);
        gl.BlendFunc(GL_ONE, GL_ONE);
        gl.Color4f(0.55f * flash, 0.38f * flash, 0.2f * flash, 1.0f);
        gl.Begin(GL_QUADS);
        gl.Vertex2f(0.0f, 0.0f);
        gl.Vertex2f(kOverlayWidth, 0.0f);
        gl.Vertex2f(kOverlayWidth, kOverlayHeight);
        gl.Vertex2f(0.0f, kOverlayHeight);
        gl.End();
        gl.Disable(GL_BLEND);
    }

    gl.Enable(GL_TEXTURE_2D);
    gl.Enable(GL_ALPHA_TEST);
    gl.AlphaFunc(GL_GREATER, kAlphaReference);
    // Status bar: the picture as it is.
    gl.BindTexture(GL_TEXTURE_2D, textures.statusBar);
    gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    gl.Begin(GL_QUADS);
    TexturedRect(gl, 0.0f, 416.0f, kOverlayWidth, kOverlayHeight, 0.5f / 256.0f, 0.5f / 64.0f, 1.0f - 0.5f / 256.0f,
                 1.0f - 0.5f / 64.0f);
    gl.End();

    // Health, armour and ammunition, tinted.
    gl.BindTexture(GL_TEXTURE_2D, textures.digits);
    gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    const int health = 100 - (frame / 7) % 80;
    const int armour = (frame * 3 / 11) % 200;
    const int ammunition = 50 - (frame / 13) % 50;
    gl.Begin(GL_QUADS);
    gl.Color4f(1.0f, health < 40 ? 0.3f : 0.9f, 0.3f, 1.0f);
    DrawNumber(gl, health, 3, 120.0f, 424.0f);
    gl.Color4f(0.5f, 0.8f, 1.0f, 1.0f);
    DrawNumber(gl, armour, 3, 360.0f, 424.0f);
    gl.Color4f(1.0f, 0.85f, 0.4f, 1.0f);
    DrawNumber(gl, ammunition, 3, 600.0f, 424.0f);
    gl.End();

    gl.BindTexture(GL_TEXTURE_2D, textures.crosshair);
    gl.Color4f(0.6f, 1.0f, 0.6f, 1.0f);
    gl.Begin(GL_QUADS);
    TexturedRect(gl, 312.0f, 232.0f, 328.0f, 248.0f, 0.0f, 0.0f, 1.0f, 1.0f);
    gl.End();
    gl.Disable(GL_ALPHA_TEST);
}

}  // namespace mora::scene
