// The three matrix stacks of the GL context (modelview, projection, texture): the matrix calls,
// applied by the API entries and by the replay executor, and the mvp refresh done at each
// NativePacket build. Single-precision arithmetic throughout, matrices column-major.
#pragma once

#include <cstdint>

#include "gl/gl_context.h"

namespace mora {

// C = A x B (GL post-multiplication), C[4c + r] = sum over j of A[4j + r] * B[4c + j].
// `out` may alias neither input.
void MultiplyMatrices(const float* a, const float* b, float* out);

// Top matrix of stack 0 (modelview), 1 (projection) or 2 (texture), and of the current mode.
float* StackTopMatrix(GlContext& ctx, uint32_t stack);
const float* StackTopMatrix(const GlContext& ctx, uint32_t stack);
inline float* CurrentMatrix(GlContext& ctx) { return StackTopMatrix(ctx, ctx.matrixMode); }

// 0x1700 / 0x1701 / 0x1702 select modelview / projection / texture; other values do nothing.
void ApplyMatrixMode(GlContext& ctx, uint32_t mode);
void ApplyLoadIdentity(GlContext& ctx);
void ApplyLoadMatrix(GlContext& ctx, const float* m);  // m not null (the entry returns early)
void ApplyMultMatrix(GlContext& ctx, const float* m);
void ApplyPushMatrix(GlContext& ctx);  // silent at depth 32
void ApplyPopMatrix(GlContext& ctx);   // silent at the bottom, still marks dirty
void ApplyTranslate(GlContext& ctx, float x, float y, float z);
void ApplyRotate(GlContext& ctx, float angle, float x, float y, float z);
void ApplyScale(GlContext& ctx, float x, float y, float z);
// The double arguments of glOrtho / glFrustum converted to float first (NarrowToFloat).
void ApplyOrtho(GlContext& ctx, float l, float r, float b, float t, float n, float f);
void ApplyFrustum(GlContext& ctx, float l, float r, float b, float t, float n, float f);

// The rotation matrix R of glRotatef for a non-zero angle and axis.
void BuildRotation(float angle, float x, float y, float z, float* m);

// If matricesDirty: mvp = projection top x modelview top, and the flag is cleared.
void RefreshMvp(GlContext& ctx);

}  // namespace mora
