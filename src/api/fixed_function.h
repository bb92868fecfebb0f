// The fixed-function vertex state that only the front end keeps: lights, materials, the light
// model, colour material, the current normal and texture coordinate generation. No record type
// carries it; instead each vertex submitted while lighting or generation is on is recorded with
// the colour and texture coordinate computed from it (vertex_shading.h), so replay, captures and
// the back end never see it. Calls made while a display list is being compiled are stored in the
// list as FixedFunctionCall records and applied when the list is played.
#pragma once

#include <cstdint>

#include "gl/gl_context.h"

namespace mora::api {

inline constexpr int kMaxLights = 8;

struct LightSource {
    float ambient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float diffuse[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float position[4] = {0.0f, 0.0f, 1.0f, 0.0f};  // eye coordinates (modelview at glLight time)
    float spotDirection[3] = {0.0f, 0.0f, -1.0f};  // eye coordinates
    float spotExponent = 0.0f;
    float spotCutoff = 180.0f;
    float spotCosCutoff = -1.0f;                // cos(spotCutoff), worked out when set
    float attenuation[3] = {1.0f, 0.0f, 0.0f};  // constant, linear, quadratic
    bool enabled = false;
};

struct Material {
    float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float emission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float shininess = 0.0f;
};

struct TexGenCoord {
    uint32_t mode = 0x2400;  // GL_EYE_LINEAR
    float objectPlane[4] = {};
    float eyePlane[4] = {};  // eye coordinates (inverse modelview at glTexGen time)
    bool enabled = false;
};

// The bits of FixedFunctionState::vertexShading: what a submitted vertex must have computed.
inline constexpr uint8_t kShadeLighting = 1;
inline constexpr uint8_t kShadeTexGenS = 2;
inline constexpr uint8_t kShadeTexGenT = 4;

struct FixedFunctionState {
    uint8_t vertexShading = 0;  // the one test on the vertex path; 0 when lighting and s/t generation are off
    bool lighting = false;
    bool normalize = false;
    bool localViewer = false;
    bool twoSide = false;  // stored and answered; both faces are lit with the front material
    bool colourMaterial = false;
    uint32_t colourMaterialFace = 0x0408;  // GL_FRONT_AND_BACK
    uint32_t colourMaterialMode = 0x1602;  // GL_AMBIENT_AND_DIFFUSE
    float sceneAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    LightSource lights[kMaxLights];
    Material front;
    Material back;
    float normal[3] = {0.0f, 0.0f, 1.0f};
    TexGenCoord texGen[4];  // s, t, r, q (r and q are kept and answered, never generated)
    // The normal matrix (inverse transpose of the modelview's upper 3x3) for the modelview it was
    // worked out from: a run of vertices under one matrix inverts it once.
    float normalMatrixSource[9] = {};
    float normalMatrix[9] = {};
    bool normalMatrixValid = false;
};

FixedFunctionState MakeDefaultFixedFunctionState();

namespace detail {
extern constinit FixedFunctionState gFixedFunction;
}

inline FixedFunctionState& TheFixedFunctionState() { return detail::gFixedFunction; }

// True when a vertex submitted now needs its colour or texture coordinate computed.
inline bool VertexShadingOn() { return detail::gFixedFunction.vertexShading != 0; }

// One state call, as applied and as stored in a display list.
enum class FixedFunctionCallKind : uint32_t { Normal, Light, Material, LightModel, ColourMaterial, TexGen };
struct FixedFunctionCall {
    FixedFunctionCallKind kind;
    uint32_t target;  // light, face or coordinate
    uint32_t pname;   // parameter (glColorMaterial: the mode)
    float values[4];
};

// The path of every such call (api/lighting_entries.cpp): stored in the display list being
// compiled, else applied to the state; nothing under MORA_GL_SUBSET=seed.
void IssueFixedFunctionCall(const FixedFunctionCall& call);
// The same for glEnable/glDisable of the capabilities below (api/state_entries.cpp).
void IssueFixedFunctionCap(uint32_t cap, bool enabled);

// How many values the parameter takes (0: not a parameter of that call).
int LightValueCount(uint32_t pname);
int MaterialValueCount(uint32_t pname);
int LightModelValueCount(uint32_t pname);
int TexGenValueCount(uint32_t pname);
// True for the parameters whose integer forms map onto [-1, 1] (colours) rather than convert.
bool IsColourParameter(FixedFunctionCallKind kind, uint32_t pname);

// Applies the call to the state: positions, directions and eye planes are taken through the
// modelview the context holds now. Calls with an unknown target or parameter change nothing.
void ApplyFixedFunctionCall(FixedFunctionState& state, const GlContext& ctx, const FixedFunctionCall& call);

// glEnable/glDisable of GL_LIGHTING, GL_LIGHTi, GL_NORMALIZE, GL_COLOR_MATERIAL and
// GL_TEXTURE_GEN_S..Q; false (nothing changed) for any other capability. Disabling colour
// material leaves the material with the colour it last tracked.
bool ApplyFixedFunctionCap(FixedFunctionState& state, const GlContext& ctx, uint32_t cap, bool enabled);
// glIsEnabled of the same capabilities; false in `known` for any other.
bool FixedFunctionCapEnabled(const FixedFunctionState& state, uint32_t cap, bool& known);

// The queries: false (nothing written) for an unknown target or parameter.
bool GetLight(const FixedFunctionState& state, uint32_t light, uint32_t pname, float* out);
bool GetMaterial(const FixedFunctionState& state, const GlContext& ctx, uint32_t face, uint32_t pname, float* out);
bool GetTexGen(const FixedFunctionState& state, uint32_t coord, uint32_t pname, float* out);

// Copies the current colour into the materials colour material tracks (while it is enabled).
void TrackColourMaterial(FixedFunctionState& state, uint32_t packedColour);

}  // namespace mora::api
