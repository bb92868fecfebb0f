#include "gl/matrix_stack.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace mora {

namespace {

constexpr float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// Stack index clamped to a valid one, so a corrupted mode never indexes outside the context.
uint32_t ValidStack(uint32_t stack) { return stack <= kMatrixTexture ? stack : kMatrixModelview; }

float (*StackBase(GlContext& ctx, uint32_t stack))[16] {
    switch (ValidStack(stack)) {
        case kMatrixProjection: return ctx.projectionStack;
        case kMatrixTexture: return ctx.textureStack;
        default: return ctx.modelviewStack;
    }
}

int32_t ValidTop(int32_t top) { return std::clamp(top, 0, kMatrixStackDepth - 1); }

// C = C x m, through a temporary so that the product never reads what it writes.
void PostMultiply(GlContext& ctx, const float* m) {
    float* current = CurrentMatrix(ctx);
    float product[16];
    MultiplyMatrices(current, m, product);
    std::memcpy(current, product, sizeof(product));
    ctx.matricesDirty = true;
}

}  // namespace

void MultiplyMatrices(const float* a, const float* b, float* out) {
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            float sum = a[r] * b[4 * c];
            for (int j = 1; j < 4; ++j) {
                sum += a[4 * j + r] * b[4 * c + j];
            }
            out[4 * c + r] = sum;
        }
    }
}

float* StackTopMatrix(GlContext& ctx, uint32_t stack) {
    const uint32_t s = ValidStack(stack);
    return StackBase(ctx, s)[ValidTop(ctx.stackTop[s])];
}

const float* StackTopMatrix(const GlContext& ctx, uint32_t stack) {
    return StackTopMatrix(const_cast<GlContext&>(ctx), stack);
}

void ApplyMatrixMode(GlContext& ctx, uint32_t mode) {
    if (mode >= gle::kModelview && mode <= gle::kTexture) {
        ctx.matrixMode = mode - gle::kModelview;
    }
}

void ApplyLoadIdentity(GlContext& ctx) {
    std::memcpy(CurrentMatrix(ctx), kIdentity, sizeof(kIdentity));
    ctx.matricesDirty = true;
}

void ApplyLoadMatrix(GlContext& ctx, const float* m) {
    std::memcpy(CurrentMatrix(ctx), m, 16 * sizeof(float));
    ctx.matricesDirty = true;
}

void ApplyMultMatrix(GlContext& ctx, const float* m) {
    float copy[16];  // m may be the current matrix itself
    std::memcpy(copy, m, sizeof(copy));
    PostMultiply(ctx, copy);
}

void ApplyPushMatrix(GlContext& ctx) {
    const uint32_t s = ValidStack(ctx.matrixMode);
    const int32_t top = ValidTop(ctx.stackTop[s]);
    if (top + 1 < kMatrixStackDepth) {
        float(*base)[16] = StackBase(ctx, s);
        std::memcpy(base[top + 1], base[top], sizeof(base[top]));
        ctx.stackTop[s] = top + 1;
    }
}

void ApplyPopMatrix(GlContext& ctx) {
    const uint32_t s = ValidStack(ctx.matrixMode);
    if (ctx.stackTop[s] >= 1) {
        ctx.stackTop[s] = ValidTop(ctx.stackTop[s] - 1);
    }
    ctx.matricesDirty = true;
}

void ApplyTranslate(GlContext& ctx, float x, float y, float z) {
    float t[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
    PostMultiply(ctx, t);
}

void ApplyScale(GlContext& ctx, float x, float y, float z) {
    float s[16] = {x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1};
    PostMultiply(ctx, s);
}

void BuildRotation(float angle, float x, float y, float z, float* m) {
    const float a = angle * 3.1415927f / 180.0f;
    const float c = static_cast<float>(std::cos(static_cast<double>(a)));
    const float s = static_cast<float>(std::sin(static_cast<double>(a)));
    const float lengthSquared = x * x + y * y + z * z;
    const float inverse = static_cast<float>(1.0 / std::sqrt(static_cast<double>(lengthSquared)));
    x *= inverse;
    y *= inverse;
    z *= inverse;
    const float k = 1.0f - c;
    m[0] = x * x * k + c;
    m[1] = y * x * k + z * s;
    m[2] = x * z * k - y * s;
    m[3] = 0.0f;
    m[4] = x * y * k - z * s;
    m[5] = y * y * k + c;
    m[6] = y * z * k + x * s;
    m[7] = 0.0f;
    m[8] = x * z * k + y * s;
    m[9] = y * z * k - x * s;
    m[10] = z * z * k + c;
    m[11] = 0.0f;
    m[12] = 0.0f;
    m[13] = 0.0f;
    m[14] = 0.0f;
    m[15] = 1.0f;
}

void ApplyRotate(GlContext& ctx, float angle, float x, float y, float z) {
    if (angle == 0.0f || x * x + y * y + z * z == 0.0f) {
        return;
    }
    float r[16];
    BuildRotation(angle, x, y, z, r);
    PostMultiply(ctx, r);
}

void ApplyOrtho(GlContext& ctx, float l, float r, float b, float t, float n, float f) {
    float o[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    o[0] = 2.0f / (r - l);
    o[5] = 2.0f / (t - b);
    o[10] = -2.0f / (f - n);
    o[12] = -(r + l) / (r - l);
    o[13] = -(t + b) / (t - b);
    o[14] = -(f + n) / (f - n);
    PostMultiply(ctx, o);
}

void ApplyFrustum(GlContext& ctx, float l, float r, float b, float t, float n, float f) {
    float p[16] = {};
    p[0] = 2.0f * n / (r - l);
    p[5] = 2.0f * n / (t - b);
    p[8] = (r + l) / (r - l);
    p[9] = (t + b) / (t - b);
    p[10] = -(f + n) / (f - n);
    p[11] = -1.0f;
    p[14] = -(2.0f * f * n) / (f - n);
    PostMultiply(ctx, p);
}

void RefreshMvp(GlContext& ctx) {
    if (!ctx.matricesDirty) {
        return;
    }
    MultiplyMatrices(StackTopMatrix(ctx, kMatrixProjection), StackTopMatrix(ctx, kMatrixModelview), ctx.mvp);
    ctx.matricesDirty = false;
}

}  // namespace mora
