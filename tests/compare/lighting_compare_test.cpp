// Lighting and texture coordinate generation, drawn through MORA and through OSMesa (llvmpipe)
// with the same calls: lit spheres and a lit floor under eight lights (directional, positional,
// spots, every attenuation term, a local viewer), colour material, and each generation mode.
// (Display lists and normal arrays give exactly the records of the immediate calls they stand
// for, which tests/api checks.) Every scene has silhouettes, so the comparisons bound the share
// of pixels off by more than 8 levels.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "compare_session.h"
#include "scene.h"
#include "scene_textures.h"

namespace mora_compare {
namespace {

using mora::scene::TextureFilter;
using mora::scene::UploadTexture;

constexpr int kSize = 128;
constexpr float kPi = 3.14159265f;
// Per-vertex lighting is worked out in float on both sides, then interpolated; the colour of a
// vertex may round one level apart, and silhouette pixels may differ whole.
const Tolerance kEdgeTolerance{255, 30.0, 0.01};

// The comparison session resets the state the older scenes use; the lighting state it keeps, so
// each scene starts from GL's defaults here.
void DefaultLighting(SceneGl& gl) {
    for (GLenum light = GL_LIGHT1; light <= GL_LIGHT7; ++light) gl.Disable(light);
    gl.Disable(GL_NORMALIZE);
    gl.Disable(GL_COLOR_MATERIAL);
    gl.LightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 0);
    const float sceneAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    gl.LightModelfv(GL_LIGHT_MODEL_AMBIENT, sceneAmbient);
    const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    const float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    gl.Materialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    gl.Materialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
    gl.Materialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);
    gl.Materialf(GL_FRONT_AND_BACK, GL_SHININESS, 0.0f);
    gl.Lightfv(GL_LIGHT0, GL_AMBIENT, black);
    gl.Lightf(GL_LIGHT0, GL_SPOT_CUTOFF, 180.0f);
    gl.Lightf(GL_LIGHT0, GL_CONSTANT_ATTENUATION, 1.0f);
    gl.Lightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, 0.0f);
    gl.Lightf(GL_LIGHT0, GL_QUADRATIC_ATTENUATION, 0.0f);
}

void Perspective(SceneGl& gl) {
    DefaultLighting(gl);
    gl.ClearColor(0.1f, 0.1f, 0.1f, 1.0f);
    gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl.Enable(GL_DEPTH_TEST);
    gl.MatrixMode(GL_PROJECTION);
    gl.LoadIdentity();
    gl.Frustum(-0.5, 0.5, -0.5, 0.5, 1.0, 20.0);
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadIdentity();
}

// A unit sphere of triangle strips with its normals, colours running from `bottom` to `top`.
void Sphere(SceneGl& gl, float radius, const float* bottom = nullptr, const float* top = nullptr) {
    constexpr int kSlices = 24;
    constexpr int kStacks = 16;
    for (int i = 0; i < kStacks; ++i) {
        gl.Begin(GL_TRIANGLE_STRIP);
        for (int j = 0; j <= kSlices; ++j) {
            const float a = 2.0f * kPi * static_cast<float>(j) / kSlices;
            for (const int k : {i + 1, i}) {
                const float p = kPi * static_cast<float>(k) / kStacks - 0.5f * kPi;
                const float n[3] = {std::cos(p) * std::cos(a), std::sin(p), std::cos(p) * std::sin(a)};
                if (bottom != nullptr) {
                    const float f = static_cast<float>(k) / kStacks;
                    gl.Color3f(bottom[0] + f * (top[0] - bottom[0]), bottom[1] + f * (top[1] - bottom[1]),
                               bottom[2] + f * (top[2] - bottom[2]));
                }
                gl.Normal3f(n[0], n[1], n[2]);
                gl.Vertex3f(radius * n[0], radius * n[1], radius * n[2]);
            }
        }
        gl.End();
    }
}

// A floor at y = -1 in fine strips, so that spots and attenuation show inside it.
void Floor(SceneGl& gl) {
    constexpr int kCells = 24;
    gl.Normal3f(0.0f, 1.0f, 0.0f);
    for (int i = 0; i < kCells; ++i) {
        gl.Begin(GL_TRIANGLE_STRIP);
        for (int j = 0; j <= kCells; ++j) {
            const float x = -4.0f + 8.0f * static_cast<float>(j) / kCells;
            gl.Vertex3f(x, -1.0f, -1.0f - 8.0f * static_cast<float>(i) / kCells);
            gl.Vertex3f(x, -1.0f, -1.0f - 8.0f * static_cast<float>(i + 1) / kCells);
        }
        gl.End();
    }
}

void Light(SceneGl& gl, int index, const float* position, const float* diffuse, const float* specular) {
    const GLenum light = GL_LIGHT0 + static_cast<GLenum>(index);
    gl.Enable(light);
    gl.Lightfv(light, GL_POSITION, position);
    gl.Lightfv(light, GL_DIFFUSE, diffuse);
    gl.Lightfv(light, GL_SPECULAR, specular);
}

void ShinyMaterial(SceneGl& gl, float r, float g, float b) {
    const float diffuse[4] = {r, g, b, 1.0f};
    const float specular[4] = {0.9f, 0.9f, 0.9f, 1.0f};
    gl.Materialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    gl.Materialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    gl.Materialf(GL_FRONT_AND_BACK, GL_SHININESS, 24.0f);
}

// Eight lights of every kind over a floor and a sphere; the lights are placed under a camera
// rotation, which their positions and spot directions must carry.
void EightLights(SceneGl& gl) {
    Perspective(gl);
    gl.Enable(GL_LIGHTING);
    gl.Enable(GL_NORMALIZE);
    gl.LightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    const float sceneAmbient[4] = {0.1f, 0.1f, 0.15f, 1.0f};
    gl.LightModelfv(GL_LIGHT_MODEL_AMBIENT, sceneAmbient);
    gl.Rotatef(10.0f, 1.0f, 0.0f, 0.0f);
    const struct {
        float position[4];
        float colour[4];
        float spotDirection[3];
        float cutoff, exponent;
        float attenuation[3];
    } lights[8] = {
        {{0.0f, 2.0f, -3.0f, 1.0f}, {0.9f, 0.2f, 0.2f, 1}, {0, -1, 0}, 40.0f, 4.0f, {1.0f, 0.0f, 0.0f}},
        {{-2.0f, 1.0f, -4.0f, 1.0f}, {0.2f, 0.9f, 0.2f, 1}, {0.3f, -1, 0}, 30.0f, 10.0f, {0.5f, 0.2f, 0.0f}},
        {{2.0f, 1.0f, -5.0f, 1.0f}, {0.2f, 0.2f, 0.9f, 1}, {-0.4f, -1, 0.2f}, 25.0f, 0.0f, {0.2f, 0.0f, 0.1f}},
        {{0.0f, 0.5f, -1.5f, 1.0f}, {0.6f, 0.6f, 0.3f, 1}, {0, 0, -1}, 180.0f, 0.0f, {0.0f, 0.5f, 0.2f}},
        {{-1.0f, 1.0f, 1.0f, 0.0f}, {0.2f, 0.1f, 0.3f, 1}, {0, 0, -1}, 180.0f, 0.0f, {1.0f, 0.0f, 0.0f}},
        {{1.5f, -0.5f, -2.0f, 1.0f}, {0.4f, 0.2f, 0.0f, 1}, {0, 0, -1}, 180.0f, 0.0f, {0.3f, 0.3f, 0.3f}},
        {{0.0f, 3.0f, -6.0f, 1.0f}, {0.3f, 0.5f, 0.6f, 1}, {0, -1, 0.2f}, 60.0f, 2.0f, {1.0f, 0.0f, 0.05f}},
        {{-3.0f, 0.0f, -2.0f, 1.0f}, {0.5f, 0.0f, 0.5f, 1}, {1, -0.3f, -0.5f}, 50.0f, 1.0f, {0.0f, 0.0f, 0.4f}},
    };
    for (int i = 0; i < 8; ++i) {
        const GLenum light = GL_LIGHT0 + static_cast<GLenum>(i);
        Light(gl, i, lights[i].position, lights[i].colour, lights[i].colour);
        gl.Lightfv(light, GL_SPOT_DIRECTION, lights[i].spotDirection);
        gl.Lightf(light, GL_SPOT_CUTOFF, lights[i].cutoff);
        gl.Lightf(light, GL_SPOT_EXPONENT, lights[i].exponent);
        gl.Lightf(light, GL_CONSTANT_ATTENUATION, lights[i].attenuation[0]);
        gl.Lightf(light, GL_LINEAR_ATTENUATION, lights[i].attenuation[1]);
        gl.Lightf(light, GL_QUADRATIC_ATTENUATION, lights[i].attenuation[2]);
    }
    const float ambient[4] = {0.3f, 0.3f, 0.3f, 1.0f};
    gl.Lightfv(GL_LIGHT4, GL_AMBIENT, ambient);
    ShinyMaterial(gl, 0.9f, 0.9f, 0.9f);
    Floor(gl);
    const float emission[4] = {0.1f, 0.0f, 0.05f, 1.0f};
    gl.Materialfv(GL_FRONT, GL_EMISSION, emission);
    gl.Translatef(0.3f, -0.2f, -3.5f);
    gl.Scalef(0.8f, 0.8f, 0.8f);  // the normals need GL_NORMALIZE under it
    Sphere(gl, 1.0f);
}

// Colour material in two modes: per-vertex colours as ambient and diffuse, then as emission.
void ColourMaterial(SceneGl& gl) {
    Perspective(gl);
    gl.Enable(GL_LIGHTING);
    const float position[4] = {-1.0f, 1.0f, 1.5f, 0.0f};
    const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    Light(gl, 0, position, white, white);
    ShinyMaterial(gl, 0.5f, 0.5f, 0.5f);  // specular highlights seen from an infinite viewer
    gl.Enable(GL_COLOR_MATERIAL);
    gl.ColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    const float blue[3] = {0.1f, 0.2f, 0.9f};
    const float yellow[3] = {0.9f, 0.8f, 0.1f};
    gl.PushMatrix();
    gl.Translatef(-0.6f, 0.0f, -3.5f);
    Sphere(gl, 0.8f, blue, yellow);
    gl.PopMatrix();
    gl.ColorMaterial(GL_FRONT, GL_EMISSION);
    gl.Translatef(0.7f, 0.1f, -3.0f);
    Sphere(gl, 0.5f, yellow, blue);
    // Off again: the emission keeps the last colour it tracked.
    gl.Disable(GL_COLOR_MATERIAL);
    gl.Color3f(0.0f, 0.0f, 0.0f);
    gl.Translatef(0.0f, -0.9f, 0.0f);
    Sphere(gl, 0.3f);
}

TEST(Lighting, AgreesWithOsmesa) {
    const struct {
        const char* name;
        void (*draw)(SceneGl&);
    } scenes[] = {{"eight_lights", EightLights}, {"colour_material", ColourMaterial}};
    for (const auto& scene : scenes) {
        SCOPED_TRACE(scene.name);
        ExpectAgreement([&scene](SceneGl& gl, int, int) { scene.draw(gl); }, kEdgeTolerance,
                        std::string("lighting_") + scene.name, kSize, kSize);
    }
}

// Each mode generates s and t for a sphere; the planes are given under one modelview and used
// under another, which eye-linear planes must not follow.
TEST(TexGen, EachModeAgreesWithOsmesa) {
    const struct {
        const char* name;
        GLint mode;
    } modes[] = {{"object_linear", GL_OBJECT_LINEAR}, {"eye_linear", GL_EYE_LINEAR}, {"sphere_map", GL_SPHERE_MAP}};
    for (const auto& mode : modes) {
        SCOPED_TRACE(mode.name);
        const auto draw = [&mode](SceneGl& gl, int, int) {
            Perspective(gl);
            gl.Enable(GL_TEXTURE_2D);
            UploadTexture(gl, PatternImage(16), TextureFilter::Nearest, GL_REPEAT);
            gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
            gl.Translatef(0.0f, 0.0f, -3.0f);
            gl.Rotatef(25.0f, 0.0f, 1.0f, 0.0f);
            const float sPlane[4] = {0.5f, 0.0f, 0.2f, 0.5f};
            const float tPlane[4] = {0.0f, 0.6f, 0.1f, 0.25f};
            const GLenum plane = mode.mode == GL_OBJECT_LINEAR ? GL_OBJECT_PLANE : GL_EYE_PLANE;
            gl.TexGeni(GL_S, GL_TEXTURE_GEN_MODE, mode.mode);
            gl.TexGeni(GL_T, GL_TEXTURE_GEN_MODE, mode.mode);
            if (mode.mode != GL_SPHERE_MAP) {
                gl.TexGenfv(GL_S, plane, sPlane);
                gl.TexGenfv(GL_T, plane, tPlane);
            }
            gl.Enable(GL_TEXTURE_GEN_S);
            gl.Enable(GL_TEXTURE_GEN_T);
            gl.Rotatef(30.0f, 1.0f, 0.0f, 0.0f);
            Sphere(gl, 0.9f);
            gl.Disable(GL_TEXTURE_GEN_S);
            gl.Disable(GL_TEXTURE_GEN_T);
        };
        ExpectAgreement(draw, kEdgeTolerance, std::string("texgen_") + mode.name, kSize, kSize);
    }
}

}  // namespace
}  // namespace mora_compare
