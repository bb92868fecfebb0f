#include "api/fixed_function.h"

#include <cmath>
#include <cstring>

#include "mora/gl.h"

namespace mora::api {

namespace {

constexpr FixedFunctionState MakeDefaults() {
    FixedFunctionState state{};
    for (int c = 0; c < 4; ++c) {
        state.lights[0].diffuse[c] = 1.0f;
        state.lights[0].specular[c] = 1.0f;
    }
    state.texGen[0].objectPlane[0] = state.texGen[0].eyePlane[0] = 1.0f;
    state.texGen[1].objectPlane[1] = state.texGen[1].eyePlane[1] = 1.0f;
    return state;
}

constexpr float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// The modelview a light position or eye plane is taken through. The context's stacks hold zeros
// until the program first loads a matrix, where GL starts them at the identity; programs that
// place their lights before any matrix call (glxgears) need GL's start.
const float* Modelview(const GlContext& ctx) {
    const float* m = ctx.modelviewStack[ctx.stackTop[kMatrixModelview]];
    for (int i = 0; i < 16; ++i) {
        if (m[i] != 0.0f) return m;
    }
    return kIdentity;
}

// Column-major m[4 * column + row].
void TransformPoint(const float* m, const float* p, float* out) {
    for (int r = 0; r < 4; ++r) {
        out[r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r] * p[3];
    }
}

void TransformDirection(const float* m, const float* d, float* out) {
    for (int r = 0; r < 3; ++r) {
        out[r] = m[r] * d[0] + m[4 + r] * d[1] + m[8 + r] * d[2];
    }
}

// The inverse of a column-major 4x4 matrix by cofactors; false (out untouched) when singular.
bool Invert(const float* m, float* out) {
    double inv[16];
    inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] +
             m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] - m[8] * m[7] * m[14] -
             m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] +
             m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] - m[8] * m[6] * m[13] -
              m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] - m[9] * m[3] * m[14] -
             m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] +
             m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] -
             m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] +
              m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
             m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] -
             m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] +
              m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] -
              m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] -
             m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
             m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
              m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] + m[8] * m[1] * m[6] -
              m[8] * m[2] * m[5];
    const double det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
    if (det == 0.0 || !std::isfinite(det)) {
        return false;
    }
    for (int i = 0; i < 16; ++i) {
        out[i] = static_cast<float>(inv[i] / det);
    }
    return true;
}

// A plane (row vector) times the inverse modelview: the eye-space plane of glTexGen(GL_EYE_PLANE).
void EyePlane(const GlContext& ctx, const float* plane, float* out) {
    float inverse[16];
    if (!Invert(Modelview(ctx), inverse)) {
        std::memcpy(out, plane, 4 * sizeof(float));
        return;
    }
    for (int c = 0; c < 4; ++c) {
        out[c] = plane[0] * inverse[4 * c] + plane[1] * inverse[4 * c + 1] + plane[2] * inverse[4 * c + 2] +
                 plane[3] * inverse[4 * c + 3];
    }
}

void Copy4(float* to, const float* from) { std::memcpy(to, from, 4 * sizeof(float)); }

float Unpack(uint32_t packed, int shift) { return static_cast<float>((packed >> shift) & 0xFFu) / 255.0f; }

void SetLight(LightSource& light, const GlContext& ctx, uint32_t pname, const float* v) {
    switch (pname) {
        case GL_AMBIENT: Copy4(light.ambient, v); break;
        case GL_DIFFUSE: Copy4(light.diffuse, v); break;
        case GL_SPECULAR: Copy4(light.specular, v); break;
        case GL_POSITION: TransformPoint(Modelview(ctx), v, light.position); break;
        case GL_SPOT_DIRECTION: TransformDirection(Modelview(ctx), v, light.spotDirection); break;
        case GL_SPOT_EXPONENT:
            if (v[0] >= 0.0f && v[0] <= 128.0f) light.spotExponent = v[0];
            break;
        case GL_SPOT_CUTOFF:
            if ((v[0] >= 0.0f && v[0] <= 90.0f) || v[0] == 180.0f) {
                light.spotCutoff = v[0];
                light.spotCosCutoff =
                    static_cast<float>(std::cos(static_cast<double>(v[0]) * 3.14159265358979323846 / 180.0));
            }
            break;
        case GL_CONSTANT_ATTENUATION:
        case GL_LINEAR_ATTENUATION:
        case GL_QUADRATIC_ATTENUATION:
            if (v[0] >= 0.0f) light.attenuation[pname - GL_CONSTANT_ATTENUATION] = v[0];
            break;
        default: break;
    }
}

void SetMaterial(Material& material, uint32_t pname, const float* v) {
    switch (pname) {
        case GL_AMBIENT: Copy4(material.ambient, v); break;
        case GL_DIFFUSE: Copy4(material.diffuse, v); break;
        case GL_SPECULAR: Copy4(material.specular, v); break;
        case GL_EMISSION: Copy4(material.emission, v); break;
        case GL_SHININESS:
            if (v[0] >= 0.0f && v[0] <= 128.0f) material.shininess = v[0];
            break;
        case GL_AMBIENT_AND_DIFFUSE:
            Copy4(material.ambient, v);
            Copy4(material.diffuse, v);
            break;
        default: break;
    }
}

bool IsFace(uint32_t face) { return face == GL_FRONT || face == GL_BACK || face == GL_FRONT_AND_BACK; }

bool IsColourMaterialMode(uint32_t mode) {
    return mode == GL_EMISSION || mode == GL_AMBIENT || mode == GL_DIFFUSE || mode == GL_SPECULAR ||
           mode == GL_AMBIENT_AND_DIFFUSE;
}

void UpdateShadingBits(FixedFunctionState& state) {
    state.vertexShading =
        static_cast<uint8_t>((state.lighting ? kShadeLighting : 0) | (state.texGen[0].enabled ? kShadeTexGenS : 0) |
                             (state.texGen[1].enabled ? kShadeTexGenT : 0));
}

}  // namespace

FixedFunctionState MakeDefaultFixedFunctionState() { return MakeDefaults(); }

namespace detail {
constinit FixedFunctionState gFixedFunction = MakeDefaults();
}

int LightValueCount(uint32_t pname) {
    switch (pname) {
        case GL_AMBIENT:
        case GL_DIFFUSE:
        case GL_SPECULAR:
        case GL_POSITION: return 4;
        case GL_SPOT_DIRECTION: return 3;
        case GL_SPOT_EXPONENT:
        case GL_SPOT_CUTOFF:
        case GL_CONSTANT_ATTENUATION:
        case GL_LINEAR_ATTENUATION:
        case GL_QUADRATIC_ATTENUATION: return 1;
        default: return 0;
    }
}

int MaterialValueCount(uint32_t pname) {
    switch (pname) {
        case GL_AMBIENT:
        case GL_DIFFUSE:
        case GL_SPECULAR:
        case GL_EMISSION:
        case GL_AMBIENT_AND_DIFFUSE: return 4;
        case GL_SHININESS: return 1;
        default: return 0;
    }
}

int LightModelValueCount(uint32_t pname) {
    switch (pname) {
        case GL_LIGHT_MODEL_AMBIENT: return 4;
        case GL_LIGHT_MODEL_LOCAL_VIEWER:
        case GL_LIGHT_MODEL_TWO_SIDE: return 1;
        default: return 0;
    }
}

int TexGenValueCount(uint32_t pname) {
    switch (pname) {
        case GL_TEXTURE_GEN_MODE: return 1;
        case GL_OBJECT_PLANE:
        case GL_EYE_PLANE: return 4;
        default: return 0;
    }
}

bool IsColourParameter(FixedFunctionCallKind kind, uint32_t pname) {
    switch (kind) {
        case FixedFunctionCallKind::Light:
        case FixedFunctionCallKind::Material:
            return pname == GL_AMBIENT || pname == GL_DIFFUSE || pname == GL_SPECULAR || pname == GL_EMISSION ||
                   pname == GL_AMBIENT_AND_DIFFUSE;
        case FixedFunctionCallKind::LightModel: return pname == GL_LIGHT_MODEL_AMBIENT;
        case FixedFunctionCallKind::Normal: return true;
        default: return false;
    }
}

void ApplyFixedFunctionCall(FixedFunctionState& state, const GlContext& ctx, const FixedFunctionCall& call) {
    const float* v = call.values;
    switch (call.kind) {
        case FixedFunctionCallKind::Normal:
            state.normal[0] = v[0];
            state.normal[1] = v[1];
            state.normal[2] = v[2];
            break;
        case FixedFunctionCallKind::Light:
            if (call.target - GL_LIGHT0 < static_cast<uint32_t>(kMaxLights)) {
                SetLight(state.lights[call.target - GL_LIGHT0], ctx, call.pname, v);
            }
            break;
        case FixedFunctionCallKind::Material:
            if (call.target == GL_FRONT || call.target == GL_FRONT_AND_BACK) SetMaterial(state.front, call.pname, v);
            if (call.target == GL_BACK || call.target == GL_FRONT_AND_BACK) SetMaterial(state.back, call.pname, v);
            break;
        case FixedFunctionCallKind::LightModel:
            if (call.pname == GL_LIGHT_MODEL_AMBIENT) Copy4(state.sceneAmbient, v);
            if (call.pname == GL_LIGHT_MODEL_LOCAL_VIEWER) state.localViewer = v[0] != 0.0f;
            if (call.pname == GL_LIGHT_MODEL_TWO_SIDE) state.twoSide = v[0] != 0.0f;
            break;
        case FixedFunctionCallKind::ColourMaterial:
            if (IsFace(call.target) && IsColourMaterialMode(call.pname)) {
                state.colourMaterialFace = call.target;
                state.colourMaterialMode = call.pname;
            }
            break;
        case FixedFunctionCallKind::TexGen: {
            if (call.target - GL_S >= 4u) break;
            TexGenCoord& coord = state.texGen[call.target - GL_S];
            if (call.pname == GL_TEXTURE_GEN_MODE) {
                if (!(v[0] >= 0.0f && v[0] < 65536.0f)) break;  // no mode; also keeps the conversion defined
                const auto mode = static_cast<uint32_t>(v[0]);
                const bool sphere = mode == GL_SPHERE_MAP && call.target <= GL_T;
                if (mode == GL_OBJECT_LINEAR || mode == GL_EYE_LINEAR || sphere) coord.mode = mode;
            } else if (call.pname == GL_OBJECT_PLANE) {
                Copy4(coord.objectPlane, v);
            } else if (call.pname == GL_EYE_PLANE) {
                EyePlane(ctx, v, coord.eyePlane);
            }
            break;
        }
    }
}

void TrackColourMaterial(FixedFunctionState& state, uint32_t packedColour) {
    if (!state.colourMaterial) return;
    const float colour[4] = {Unpack(packedColour, 16), Unpack(packedColour, 8), Unpack(packedColour, 0),
                             Unpack(packedColour, 24)};
    if (state.colourMaterialFace != GL_BACK) SetMaterial(state.front, state.colourMaterialMode, colour);
    if (state.colourMaterialFace != GL_FRONT) SetMaterial(state.back, state.colourMaterialMode, colour);
}

bool ApplyFixedFunctionCap(FixedFunctionState& state, const GlContext& ctx, uint32_t cap, bool enabled) {
    if (cap - GL_LIGHT0 < static_cast<uint32_t>(kMaxLights)) {
        state.lights[cap - GL_LIGHT0].enabled = enabled;
        return true;
    }
    if (cap - GL_TEXTURE_GEN_S < 4u) {
        state.texGen[cap - GL_TEXTURE_GEN_S].enabled = enabled;
        UpdateShadingBits(state);
        return true;
    }
    switch (cap) {
        case GL_LIGHTING:
            state.lighting = enabled;
            UpdateShadingBits(state);
            return true;
        case GL_NORMALIZE: state.normalize = enabled; return true;
        case GL_COLOR_MATERIAL:
            if (!enabled) TrackColourMaterial(state, ctx.currentColour);
            state.colourMaterial = enabled;
            return true;
        default: return false;
    }
}

bool FixedFunctionCapEnabled(const FixedFunctionState& state, uint32_t cap, bool& known) {
    known = true;
    if (cap - GL_LIGHT0 < static_cast<uint32_t>(kMaxLights)) return state.lights[cap - GL_LIGHT0].enabled;
    if (cap - GL_TEXTURE_GEN_S < 4u) return state.texGen[cap - GL_TEXTURE_GEN_S].enabled;
    switch (cap) {
        case GL_LIGHTING: return state.lighting;
        case GL_NORMALIZE: return state.normalize;
        case GL_COLOR_MATERIAL: return state.colourMaterial;
        default: known = false; return false;
    }
}

bool GetLight(const FixedFunctionState& state, uint32_t light, uint32_t pname, float* out) {
    if (light - GL_LIGHT0 >= static_cast<uint32_t>(kMaxLights)) return false;
    const LightSource& l = state.lights[light - GL_LIGHT0];
    switch (pname) {
        case GL_AMBIENT: Copy4(out, l.ambient); return true;
        case GL_DIFFUSE: Copy4(out, l.diffuse); return true;
        case GL_SPECULAR: Copy4(out, l.specular); return true;
        case GL_POSITION: Copy4(out, l.position); return true;
        case GL_SPOT_DIRECTION: std::memcpy(out, l.spotDirection, 3 * sizeof(float)); return true;
        case GL_SPOT_EXPONENT: out[0] = l.spotExponent; return true;
        case GL_SPOT_CUTOFF: out[0] = l.spotCutoff; return true;
        case GL_CONSTANT_ATTENUATION:
        case GL_LINEAR_ATTENUATION:
        case GL_QUADRATIC_ATTENUATION: out[0] = l.attenuation[pname - GL_CONSTANT_ATTENUATION]; return true;
        default: return false;
    }
}

bool GetMaterial(const FixedFunctionState& state, const GlContext& ctx, uint32_t face, uint32_t pname, float* out) {
    if (face != GL_FRONT && face != GL_BACK) return false;
    Material m = face == GL_FRONT ? state.front : state.back;
    const bool tracked = face == GL_FRONT ? state.colourMaterialFace != GL_BACK : state.colourMaterialFace != GL_FRONT;
    if (state.colourMaterial && tracked) {  // the colour it would track now
        const uint32_t c = ctx.currentColour;
        const float colour[4] = {Unpack(c, 16), Unpack(c, 8), Unpack(c, 0), Unpack(c, 24)};
        SetMaterial(m, state.colourMaterialMode, colour);
    }
    switch (pname) {
        case GL_AMBIENT: Copy4(out, m.ambient); return true;
        case GL_DIFFUSE: Copy4(out, m.diffuse); return true;
        case GL_SPECULAR: Copy4(out, m.specular); return true;
        case GL_EMISSION: Copy4(out, m.emission); return true;
        case GL_SHININESS: out[0] = m.shininess; return true;
        default: return false;
    }
}

bool GetTexGen(const FixedFunctionState& state, uint32_t coord, uint32_t pname, float* out) {
    if (coord - GL_S >= 4u) return false;
    const TexGenCoord& c = state.texGen[coord - GL_S];
    switch (pname) {
        case GL_TEXTURE_GEN_MODE: out[0] = static_cast<float>(c.mode); return true;
        case GL_OBJECT_PLANE: Copy4(out, c.objectPlane); return true;
        case GL_EYE_PLANE: Copy4(out, c.eyePlane); return true;
        default: return false;
    }
}

}  // namespace mora::api
