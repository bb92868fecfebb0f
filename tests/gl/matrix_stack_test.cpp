// Matrix stack calls against double-precision references.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>

#include "gl/gl_state.h"
#include "gl/matrix_stack.h"

namespace mora {
namespace {

using Matrix = std::array<double, 16>;

Matrix Multiply(const Matrix& a, const Matrix& b) {
    Matrix out{};
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            for (int j = 0; j < 4; ++j) out[4 * c + r] += a[4 * j + r] * b[4 * c + j];
        }
    }
    return out;
}

// Textbook rotation about a normalised axis k, in double precision: c I + (1 - c) k k^T + s [k]x.
Matrix Rotation(double degrees, double x, double y, double z) {
    const double a = degrees * 3.14159265358979323846 / 180.0;
    const double len = std::sqrt(x * x + y * y + z * z);
    const double k[3] = {x / len, y / len, z / len};
    Matrix out{};
    out[15] = 1;
    for (int col = 0; col < 3; ++col) {
        for (int row = 0; row < 3; ++row) {
            // The cross-product matrix holds -k[other] just above its diagonal (cyclically), +k[other] below.
            const double cross = row == col ? 0 : ((col - row + 3) % 3 == 1 ? -1 : 1) * k[3 - row - col];
            out[4 * col + row] = k[row] * k[col] * (1 - std::cos(a)) + (row == col ? std::cos(a) : cross * std::sin(a));
        }
    }
    return out;
}

void ExpectNear(const float* actual, const Matrix& expected, double tolerance) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << "element " << i;
}

class MatrixStackTest : public ::testing::Test {
protected:
    std::unique_ptr<GlContext> owned = std::make_unique<GlContext>();
    GlContext& ctx = *owned;
};

TEST_F(MatrixStackTest, FrustumTimesTranslationMatchesDoubleReference) {
    ApplyMatrixMode(ctx, gle::kProjection);
    ApplyLoadIdentity(ctx);
    ApplyFrustum(ctx, -1.0f, 2.0f, -0.75f, 0.5f, 1.0f, 100.0f);
    ApplyTranslate(ctx, 3.0f, -4.0f, -10.0f);
    const Matrix p = {2.0 / 3, 0,          0, 0,  // one column per line
                      0,       2.0 / 1.25, 0, 0, 1.0 / 3, -0.25 / 1.25, -101.0 / 99, -1, 0, 0, -200.0 / 99, 0};
    const Matrix t = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 3, -4, -10, 1};
    ExpectNear(StackTopMatrix(ctx, kMatrixProjection), Multiply(p, t), 1e-5);
    ExpectNear(ctx.modelviewStack[0], Matrix{}, 0.0);  // the modelview stack was not selected
}

TEST_F(MatrixStackTest, RotationAgreesWithDoublePrecision) {
    const double cases[][4] = {
        {90, 0, 0, 2}, {37.5, 1, 2, 3}, {-123, -0.3, 0.2, 5}, {720.25, 1, 1, 0}, {1e-3, 0, 1, 0}};
    for (const auto& c : cases) {
        float r[16];
        BuildRotation(static_cast<float>(c[0]), static_cast<float>(c[1]), static_cast<float>(c[2]),
                      static_cast<float>(c[3]), r);
        ExpectNear(r, Rotation(c[0], c[1], c[2], c[3]), 2e-6);
    }
}

TEST_F(MatrixStackTest, PushStopsAtDepth32AndPopAtTheBottom) {
    ApplyLoadIdentity(ctx);
    for (int i = 0; i < 31; ++i) {
        ApplyTranslate(ctx, 1, 0, 0);
        ApplyPushMatrix(ctx);
    }
    EXPECT_EQ(ctx.stackTop[0], 31);
    EXPECT_FLOAT_EQ(CurrentMatrix(ctx)[12], 31.0f);
    ApplyTranslate(ctx, 1, 0, 0);
    ApplyPushMatrix(ctx);  // the 32nd push: nothing
    EXPECT_EQ(ctx.stackTop[0], 31);
    EXPECT_FLOAT_EQ(CurrentMatrix(ctx)[12], 32.0f);
    for (int i = 0; i < 40; ++i) ApplyPopMatrix(ctx);
    EXPECT_EQ(ctx.stackTop[0], 0);
    EXPECT_FLOAT_EQ(CurrentMatrix(ctx)[12], 1.0f);
    RefreshMvp(ctx);
    ApplyPopMatrix(ctx);  // at the bottom: still asks for a new mvp
    EXPECT_TRUE(ctx.matricesDirty);
    EXPECT_EQ(ctx.stackTop[1], 0);
}

TEST_F(MatrixStackTest, UnknownModeKeepsTheSelectedStackAndTextureMatrixIsQueryable) {
    ApplyMatrixMode(ctx, gle::kTexture);
    ApplyMatrixMode(ctx, 0x1800);  // GL_COLOR
    EXPECT_EQ(ctx.matrixMode, kMatrixTexture);
    const float m[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    ApplyLoadMatrix(ctx, m);
    float out[16];
    GetFloatv(ctx, gle::kTextureMatrix, out);
    EXPECT_EQ(std::memcmp(out, m, sizeof(m)), 0);
}

TEST_F(MatrixStackTest, CorruptStackTopsNeverIndexOutsideTheStack) {
    ctx.stackTop[0] = 1000;
    ctx.matrixMode = 7;
    ApplyLoadIdentity(ctx);  // lands on a valid matrix
    ApplyPushMatrix(ctx);
    EXPECT_EQ(ctx.stackTop[0], 1000);  // push from the clamped top 31 is refused
    EXPECT_EQ(ctx.modelviewStack[31][0], 1.0f);
}

}  // namespace
}  // namespace mora
