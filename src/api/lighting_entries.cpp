// Implemented entry points of the fixed-function vertex state: glNormal*, glLight*, glLightModel*,
// glMaterial*, glColorMaterial, glTexGen* and their queries. Each call becomes one
// FixedFunctionCall, stored in the display list being compiled or applied to the front-end state
// at once; nothing is recorded for the frame (the vertices carry the result). Under
// MORA_GL_SUBSET=seed they only count and trace, as before.
#include <cmath>
#include <cstdint>

#include "api/display_lists.h"
#include "api/fixed_function.h"
#include "api/gl_conversions.h"
#include "entry/entry_boundary.h"
#include "entry/entry_frame.h"
#include "entry/gl_subset.h"
#include "mora/gl.h"

using mora::EntryId;
using namespace mora::api;

namespace mora::api {

void IssueFixedFunctionCall(const FixedFunctionCall& call) {
    if (!LoweringOn()) {
        return;
    }
    if (detail::gListCompiling) {
        AppendFixedFunctionCallToList(call);
        return;
    }
    ApplyFixedFunctionCall(TheFixedFunctionState(), mora::TheGlContext(), call);
}

}  // namespace mora::api

namespace {

template <class T>
float Value(FixedFunctionCallKind kind, uint32_t pname, T v) {
    if constexpr (std::is_integral_v<T>) {
        if (IsColourParameter(kind, pname)) return ColourComponent(v);
    }
    return Coordinate(v);
}

// A call of `kind` from `count` values of params (count 0: an unknown parameter, ignored).
template <class T>
void Issue(FixedFunctionCallKind kind, uint32_t target, uint32_t pname, const T* params, int count) {
    if (params == nullptr || count == 0) return;
    FixedFunctionCall call{kind, target, pname, {0.0f, 0.0f, 0.0f, 0.0f}};
    for (int i = 0; i < count; ++i) {
        call.values[i] = Value(kind, pname, params[i]);
    }
    IssueFixedFunctionCall(call);
}

// The scalar forms accept only the one-value parameters.
template <class T>
void IssueScalar(FixedFunctionCallKind kind, uint32_t target, uint32_t pname, T param, int count) {
    if (count == 1) Issue(kind, target, pname, &param, 1);
}

template <class T>
void Normal(T x, T y, T z) {
    const T v[3] = {x, y, z};
    Issue(FixedFunctionCallKind::Normal, 0, 0, v, 3);
}

// Integer answers: colours map [-1, 1] onto the integer range, everything else rounds.
void StoreAnswer(FixedFunctionCallKind kind, uint32_t pname, const float* values, int count, GLint* params) {
    for (int i = 0; i < count; ++i) {
        const double v = IsColourParameter(kind, pname) ? values[i] * 2147483647.0 : std::nearbyint(values[i]);
        params[i] = static_cast<GLint>(std::fmax(-2147483648.0, std::fmin(2147483647.0, v)));
    }
}

void StoreAnswer(FixedFunctionCallKind, uint32_t, const float* values, int count, GLfloat* params) {
    for (int i = 0; i < count; ++i) params[i] = values[i];
}

void StoreAnswer(FixedFunctionCallKind, uint32_t, const float* values, int count, GLdouble* params) {
    for (int i = 0; i < count; ++i) params[i] = values[i];
}

template <class T>
void GetLightAnswer(uint32_t light, uint32_t pname, T* params) {
    float values[4];
    if (params != nullptr && LoweringOn() && GetLight(TheFixedFunctionState(), light, pname, values)) {
        StoreAnswer(FixedFunctionCallKind::Light, pname, values, LightValueCount(pname), params);
    }
}

template <class T>
void GetMaterialAnswer(uint32_t face, uint32_t pname, T* params) {
    float values[4];
    const ListCompileSuspension suspension;  // the program's current colour, never a list's scratch context
    if (params != nullptr && LoweringOn() &&
        GetMaterial(TheFixedFunctionState(), mora::TheGlContext(), face, pname, values)) {
        StoreAnswer(FixedFunctionCallKind::Material, pname, values, MaterialValueCount(pname), params);
    }
}

template <class T>
void GetTexGenAnswer(uint32_t coord, uint32_t pname, T* params) {
    float values[4];
    if (params != nullptr && LoweringOn() && GetTexGen(TheFixedFunctionState(), coord, pname, values)) {
        StoreAnswer(FixedFunctionCallKind::TexGen, pname, values, TexGenValueCount(pname), params);
    }
}

constexpr auto kLight = FixedFunctionCallKind::Light;
constexpr auto kMaterial = FixedFunctionCallKind::Material;
constexpr auto kModel = FixedFunctionCallKind::LightModel;
constexpr auto kTexGen = FixedFunctionCallKind::TexGen;

}  // namespace

// An entry in its frame around one statement.
#define MORA_FIXED_FUNCTION_ENTRY(Name, Params, Args, Body) \
    MORA_GLAPI void MORA_APIENTRY gl##Name Params try {     \
        if (!EnterEntry<EntryId::gl##Name> Args) return;    \
        Body;                                               \
    }                                                       \
    MORA_ENTRY_BOUNDARY()

#define MORA_NORMAL_FORMS(Suffix, Type)                                                                       \
    MORA_FIXED_FUNCTION_ENTRY(Normal3##Suffix, (Type nx, Type ny, Type nz), (nx, ny, nz), Normal(nx, ny, nz)) \
    MORA_FIXED_FUNCTION_ENTRY(Normal3##Suffix##v, (const Type* v), (v),                                       \
                              Issue(FixedFunctionCallKind::Normal, 0, 0, v, 3))

extern "C" {

MORA_NORMAL_FORMS(b, GLbyte)
MORA_NORMAL_FORMS(d, GLdouble)
MORA_NORMAL_FORMS(f, GLfloat)
MORA_NORMAL_FORMS(i, GLint)
MORA_NORMAL_FORMS(s, GLshort)

MORA_FIXED_FUNCTION_ENTRY(Lightf, (GLenum light, GLenum pname, GLfloat param), (light, pname, param),
                          IssueScalar(kLight, light, pname, param, LightValueCount(pname)))
MORA_FIXED_FUNCTION_ENTRY(Lighti, (GLenum light, GLenum pname, GLint param), (light, pname, param),
                          IssueScalar(kLight, light, pname, param, LightValueCount(pname)))
MORA_FIXED_FUNCTION_ENTRY(Lightfv, (GLenum light, GLenum pname, const GLfloat* params), (light, pname, params),
                          Issue(kLight, light, pname, params, LightValueCount(pname)))
MORA_FIXED_FUNCTION_ENTRY(Lightiv, (GLenum light, GLenum pname, const GLint* params), (light, pname, params),
                          Issue(kLight, light, pname, params, LightValueCount(pname)))

MORA_FIXED_FUNCTION_ENTRY(LightModelf, (GLenum pname, GLfloat param), (pname, param),
                          IssueScalar(kModel, 0, pname, param, LightModelValueCount(pname)))
MORA_FIXED_FUNCTION_ENTRY(LightModeli, (GLenum pname, GLint param), (pname, param),
                          IssueScalar(kModel, 0, pname, param, LightModelValueCount(pname)))
MORA_FIXED_FUNCTION_ENTRY(LightModelfv, (GLenum pname, const GLfloat* params), (pname, params),
                          Issue(kModel, 0, pname, params, LightModelValueCount(pname)))
MORA_FIXED_FUNCTION_ENTRY(LightModeliv, (GLenum pname, const GLint* params), (pname, params),
                          Issue(kModel, 0, pname, params, LightModelValueCount(pname)))

MORA_FIXED_FUNCTION_ENTRY(Materialf, (GLenum face, GLenum pname, GLfloat param), (face, pname, param),
                          IssueScalar(kMaterial, face, pname, param, MaterialValueCount(pname)))
MORA_FIXED_FUNCTION_ENTRY(Materiali, (GLenum face, GLenum pname, GLint param), (face, pname, param),
                          IssueScalar(kMaterial, face, pname, param, MaterialValueCount(pname)))
MORA_FIXED_FUNCTION_ENTRY(Materialfv, (GLenum face, GLenum pname, const GLfloat* params), (face, pname, params),
                          Issue(kMaterial, face, pname, params, MaterialValueCount(pname)))
MORA_FIXED_FUNCTION_ENTRY(Materialiv, (GLenum face, GLenum pname, const GLint* params), (face, pname, params),
                          Issue(kMaterial, face, pname, params, MaterialValueCount(pname)))

MORA_FIXED_FUNCTION_ENTRY(ColorMaterial, (GLenum face, GLenum mode), (face, mode),
                          IssueFixedFunctionCall({FixedFunctionCallKind::ColourMaterial, face, mode, {}}))

MORA_FIXED_FUNCTION_ENTRY(TexGend, (GLenum coord, GLenum pname, GLdouble param), (coord, pname, param),
                          IssueScalar(kTexGen, coord, pname, param, TexGenValueCount(pname)))
MORA_FIXED_FUNCTION_ENTRY(TexGenf, (GLenum coord, GLenum pname, GLfloat param), (coord, pname, param),
                          IssueScalar(kTexGen, coord, pname, param, TexGenValueCount(pname)))
MORA_FIXED_FUNCTION_ENTRY(TexGeni, (GLenum coord, GLenum pname, GLint param), (coord, pname, param),
                          IssueScalar(kTexGen, coord, pname, param, TexGenValueCount(pname)))
MORA_FIXED_FUNCTION_ENTRY(TexGendv, (GLenum coord, GLenum pname, const GLdouble* params), (coord, pname, params),
                          Issue(kTexGen, coord, pname, params, TexGenValueCount(pname)))
MORA_FIXED_FUNCTION_ENTRY(TexGenfv, (GLenum coord, GLenum pname, const GLfloat* params), (coord, pname, params),
                          Issue(kTexGen, coord, pname, params, TexGenValueCount(pname)))
MORA_FIXED_FUNCTION_ENTRY(TexGeniv, (GLenum coord, GLenum pname, const GLint* params), (coord, pname, params),
                          Issue(kTexGen, coord, pname, params, TexGenValueCount(pname)))

// The queries run at once, even while a list is open (the front-end state is never swapped out).
MORA_FIXED_FUNCTION_ENTRY(GetLightfv, (GLenum light, GLenum pname, GLfloat* params), (light, pname, params),
                          GetLightAnswer(light, pname, params))
MORA_FIXED_FUNCTION_ENTRY(GetLightiv, (GLenum light, GLenum pname, GLint* params), (light, pname, params),
                          GetLightAnswer(light, pname, params))
MORA_FIXED_FUNCTION_ENTRY(GetMaterialfv, (GLenum face, GLenum pname, GLfloat* params), (face, pname, params),
                          GetMaterialAnswer(face, pname, params))
MORA_FIXED_FUNCTION_ENTRY(GetMaterialiv, (GLenum face, GLenum pname, GLint* params), (face, pname, params),
                          GetMaterialAnswer(face, pname, params))
MORA_FIXED_FUNCTION_ENTRY(GetTexGendv, (GLenum coord, GLenum pname, GLdouble* params), (coord, pname, params),
                          GetTexGenAnswer(coord, pname, params))
MORA_FIXED_FUNCTION_ENTRY(GetTexGenfv, (GLenum coord, GLenum pname, GLfloat* params), (coord, pname, params),
                          GetTexGenAnswer(coord, pname, params))
MORA_FIXED_FUNCTION_ENTRY(GetTexGeniv, (GLenum coord, GLenum pname, GLint* params), (coord, pname, params),
                          GetTexGenAnswer(coord, pname, params))

}  // extern "C"
