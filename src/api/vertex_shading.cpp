#include "api/vertex_shading.h"

#include <cmath>
#include <cstring>

#include "api/lowered_paths.h"
#include "gl/colour_packing.h"
#include "mora/gl.h"

namespace mora::api {

namespace {

float Dot3(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void Normalize3(float* v) {
    const float length = std::sqrt(Dot3(v, v));
    if (length > 0.0f) {
        v[0] /= length;
        v[1] /= length;
        v[2] /= length;
    }
}

// The inverse transpose of the modelview's upper 3x3 (row-major here): its rows are the cross
// products of the matrix's rows, over the determinant. Kept until the modelview changes.
const float* NormalMatrix(FixedFunctionState& state, const float* m) {
    const float a[9] = {m[0], m[4], m[8], m[1], m[5], m[9], m[2], m[6], m[10]};
    if (state.normalMatrixValid && std::memcmp(a, state.normalMatrixSource, sizeof(a)) == 0) {
        return state.normalMatrix;
    }
    std::memcpy(state.normalMatrixSource, a, sizeof(a));
    const float* r0 = a;
    const float* r1 = a + 3;
    const float* r2 = a + 6;
    float c[9] = {r1[1] * r2[2] - r1[2] * r2[1], r1[2] * r2[0] - r1[0] * r2[2], r1[0] * r2[1] - r1[1] * r2[0],
                  r2[1] * r0[2] - r2[2] * r0[1], r2[2] * r0[0] - r2[0] * r0[2], r2[0] * r0[1] - r2[1] * r0[0],
                  r0[1] * r1[2] - r0[2] * r1[1], r0[2] * r1[0] - r0[0] * r1[2], r0[0] * r1[1] - r0[1] * r1[0]};
    const float det = Dot3(r0, c);
    const float scale = det != 0.0f ? 1.0f / det : 0.0f;  // a singular modelview has no normals
    for (int i = 0; i < 9; ++i) {
        state.normalMatrix[i] = c[i] * scale;
    }
    state.normalMatrixValid = true;
    return state.normalMatrix;
}

void EyeNormal(FixedFunctionState& state, const float* modelview, float* out) {
    const float* n = NormalMatrix(state, modelview);
    for (int r = 0; r < 3; ++r) {
        out[r] = Dot3(n + 3 * r, state.normal);
    }
    if (state.normalize) {
        Normalize3(out);
    }
}

// GL's lighting equation for the front face, one light at a time, clamped to [0, 1].
uint32_t LitColour(FixedFunctionState& state, const float* eye, const float* normal, uint32_t currentColour) {
    TrackColourMaterial(state, currentColour);
    const Material& m = state.front;
    float colour[3];
    for (int c = 0; c < 3; ++c) {
        colour[c] = m.emission[c] + m.ambient[c] * state.sceneAmbient[c];
    }
    float vertex[3] = {eye[0], eye[1], eye[2]};
    if (eye[3] != 0.0f && eye[3] != 1.0f) {
        for (float& v : vertex) v /= eye[3];
    }
    float toEye[3] = {0.0f, 0.0f, 1.0f};
    if (state.localViewer) {
        toEye[0] = -vertex[0];
        toEye[1] = -vertex[1];
        toEye[2] = -vertex[2];
        Normalize3(toEye);
    }
    for (const LightSource& light : state.lights) {
        if (!light.enabled) continue;
        float toLight[3];
        float factor = 1.0f;
        if (light.position[3] != 0.0f) {
            for (int c = 0; c < 3; ++c) toLight[c] = light.position[c] / light.position[3] - vertex[c];
            const float distance = std::sqrt(Dot3(toLight, toLight));
            Normalize3(toLight);
            const float* k = light.attenuation;
            const float denominator = k[0] + k[1] * distance + k[2] * distance * distance;
            factor = denominator > 0.0f ? 1.0f / denominator : 0.0f;
        } else {
            std::memcpy(toLight, light.position, sizeof(toLight));
            Normalize3(toLight);
        }
        if (light.spotCutoff != 180.0f) {
            float direction[3] = {light.spotDirection[0], light.spotDirection[1], light.spotDirection[2]};
            Normalize3(direction);
            const float cosine = -Dot3(toLight, direction);
            factor *= cosine >= light.spotCosCutoff ? std::pow(cosine, light.spotExponent) : 0.0f;
        }
        if (factor == 0.0f) continue;
        float contribution[3];
        for (int c = 0; c < 3; ++c) contribution[c] = m.ambient[c] * light.ambient[c];
        const float diffuse = Dot3(normal, toLight);
        if (diffuse > 0.0f) {
            float half[3] = {toLight[0] + toEye[0], toLight[1] + toEye[1], toLight[2] + toEye[2]};
            Normalize3(half);
            const float specularDot = Dot3(normal, half);
            const float specular = specularDot > 0.0f ? std::pow(specularDot, m.shininess) : 0.0f;
            for (int c = 0; c < 3; ++c) {
                contribution[c] +=
                    diffuse * m.diffuse[c] * light.diffuse[c] + specular * m.specular[c] * light.specular[c];
            }
        }
        for (int c = 0; c < 3; ++c) colour[c] += factor * contribution[c];
    }
    return PackColour(colour[0], colour[1], colour[2], m.diffuse[3]);
}

// Sphere-map coordinates from the reflection of the eye direction about the normal.
void SphereMap(const float* eye, const float* normal, float& s, float& t) {
    float u[3] = {eye[0], eye[1], eye[2]};
    Normalize3(u);
    const float d = 2.0f * Dot3(normal, u);
    const float r[3] = {u[0] - normal[0] * d, u[1] - normal[1] * d, u[2] - normal[2] * d};
    const float m = 2.0f * std::sqrt(r[0] * r[0] + r[1] * r[1] + (r[2] + 1.0f) * (r[2] + 1.0f));
    if (m == 0.0f) {
        s = t = 0.5f;
        return;
    }
    s = r[0] / m + 0.5f;
    t = r[1] / m + 0.5f;
}

float Generate(const TexGenCoord& coord, const float* object, const float* eye) {
    const float* p = coord.mode == GL_OBJECT_LINEAR ? coord.objectPlane : coord.eyePlane;
    const float* v = coord.mode == GL_OBJECT_LINEAR ? object : eye;
    return p[0] * v[0] + p[1] * v[1] + p[2] * v[2] + p[3] * v[3];
}

}  // namespace

void ShadeVertex(FixedFunctionState& state, const GlContext& ctx, float x, float y, float z, uint32_t& colour, float& s,
                 float& t) {
    const float* m = ctx.modelviewStack[ctx.stackTop[kMatrixModelview]];
    const float object[4] = {x, y, z, 1.0f};
    float eye[4];
    for (int r = 0; r < 4; ++r) {
        eye[r] = m[r] * x + m[4 + r] * y + m[8 + r] * z + m[12 + r];
    }
    const uint8_t shading = state.vertexShading;
    const bool sphere = ((shading & kShadeTexGenS) != 0 && state.texGen[0].mode == GL_SPHERE_MAP) ||
                        ((shading & kShadeTexGenT) != 0 && state.texGen[1].mode == GL_SPHERE_MAP);
    float normal[3] = {};
    if ((shading & kShadeLighting) != 0 || sphere) {
        EyeNormal(state, m, normal);
    }
    if ((shading & kShadeLighting) != 0) {
        colour = LitColour(state, eye, normal, colour);
    }
    float sphereS = 0.0f;
    float sphereT = 0.0f;
    if (sphere) {
        SphereMap(eye, normal, sphereS, sphereT);
    }
    if ((shading & kShadeTexGenS) != 0) {
        s = state.texGen[0].mode == GL_SPHERE_MAP ? sphereS : Generate(state.texGen[0], object, eye);
    }
    if ((shading & kShadeTexGenT) != 0) {
        t = state.texGen[1].mode == GL_SPHERE_MAP ? sphereT : Generate(state.texGen[1], object, eye);
    }
}

void IssueShadedVertex(bool recording, float x, float y, float z, bool twoComponents) noexcept {
    GlContext& ctx = mora::TheGlContext();
    const auto appendVertex = [&](bool room) {
        if (room) {
            if (twoComponents) {
                AppendVertex2fInRoom(mora::TheCommandRecording().stream, x, y);
            } else {
                AppendVertex3fInRoom(mora::TheCommandRecording().stream, x, y, z);
            }
        }
    };
    if (detail::gListCompiling) {
        appendVertex(recording);
        AppendPrimitiveVertex(ctx, x, y, z);
        return;
    }
    FixedFunctionState& state = TheFixedFunctionState();
    const uint32_t colour = ctx.currentColour;
    const float s = ctx.currentS;
    const float t = ctx.currentT;
    uint32_t shadedColour = colour;
    float shadedS = s;
    float shadedT = t;
    ShadeVertex(state, ctx, x, y, z, shadedColour, shadedS, shadedT);
    const bool room = recording && RecordingWithRoom(kColourBytes + kTexCoordBytes + kVertex3Bytes);
    if (room) {
        if ((state.vertexShading & kShadeLighting) != 0) {
            AppendColorInRoom(mora::TheCommandRecording().stream, shadedColour);
        }
        if ((state.vertexShading & (kShadeTexGenS | kShadeTexGenT)) != 0) {
            AppendTexCoord2fInRoom(mora::TheCommandRecording().stream, shadedS, shadedT);
        }
    }
    appendVertex(room);
    // The context's vertex carries the shaded values; its current values stay the program's.
    ctx.currentColour = shadedColour;
    ctx.currentS = shadedS;
    ctx.currentT = shadedT;
    AppendPrimitiveVertex(ctx, x, y, z);
    ctx.currentColour = colour;
    ctx.currentS = s;
    ctx.currentT = t;
}

void RestoreCurrentAttributes() noexcept {
    if (detail::gListCompiling || !RecordingWithRoom(kColourBytes + kTexCoordBytes)) {
        return;
    }
    const GlContext& ctx = mora::TheGlContext();
    const uint8_t shading = TheFixedFunctionState().vertexShading;
    if ((shading & kShadeLighting) != 0) {
        AppendColorInRoom(mora::TheCommandRecording().stream, ctx.currentColour);
    }
    if ((shading & (kShadeTexGenS | kShadeTexGenT)) != 0) {
        AppendTexCoord2fInRoom(mora::TheCommandRecording().stream, ctx.currentS, ctx.currentT);
    }
}

}  // namespace mora::api
