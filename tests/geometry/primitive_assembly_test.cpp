// Triangle decomposition of every primitive mode, and immediate-mode vertex collection.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "geometry/primitive_assembly.h"

namespace mora {
namespace {

using Tri = std::array<uint32_t, 3>;

// Decomposes mode with n vertices and reports triangles as vertex indices.
std::vector<Tri> Split(uint32_t mode, uint32_t n) {
    std::vector<GlVertex> v(n);
    std::vector<Tri> out;
    const uint32_t written =
        DecomposePrimitive(mode, v.data(), n, [&](const GlVertex& a, const GlVertex& b, const GlVertex& c) {
            out.push_back({static_cast<uint32_t>(&a - v.data()), static_cast<uint32_t>(&b - v.data()),
                           static_cast<uint32_t>(&c - v.data())});
            return 1u;
        });
    EXPECT_EQ(written, out.size());
    return out;
}

// Triangles drop left-over vertices, strips alternate winding on odd triangles, fans and polygons
// share the first vertex, quads split along 0-2; points, lines and unknown modes draw nothing.
// Too few vertices for a mode are covered by the count comparison below.
TEST(PrimitiveDecomposition, EveryModeSplitsAsGlDefinesIt) {
    const std::vector<Tri> fan{{0, 1, 2}, {0, 2, 3}, {0, 3, 4}};
    const struct {
        uint32_t mode, n;
        std::vector<Tri> triangles;
    } cases[] = {
        {gle::kTriangles, 7, {{0, 1, 2}, {3, 4, 5}}},
        {gle::kTriangleStrip, 4, {{0, 1, 2}, {2, 1, 3}}},
        {gle::kTriangleStrip, 5, {{0, 1, 2}, {2, 1, 3}, {2, 3, 4}}},
        {gle::kTriangleFan, 5, fan},
        {gle::kPolygon, 5, fan},
        {gle::kQuads, 9, {{0, 1, 2}, {0, 2, 3}, {4, 5, 6}, {4, 6, 7}}},
        {gle::kQuadStrip, 6, {{0, 1, 3}, {0, 3, 2}, {2, 3, 5}, {2, 5, 4}}},
        {gle::kQuadStrip, 7, {{0, 1, 3}, {0, 3, 2}, {2, 3, 5}, {2, 5, 4}}},
        {gle::kPoints, 12, {}},
        {0xFFFFFFFFu, 12, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " n " << c.n);
        EXPECT_EQ(Split(c.mode, c.n), c.triangles);
    }
}

TEST(PrimitiveDecomposition, CountMatchesTheSplitForEveryModeAndSize) {
    for (uint32_t mode = 0; mode <= 11; ++mode) {
        for (uint32_t n = 0; n <= 13; ++n) {
            EXPECT_EQ(PrimitiveTriangleCount(mode, n), Split(mode, n).size()) << "mode " << mode << " n " << n;
        }
    }
}

// Attribute capture is checked through the entries in tests/api/recording_test.cpp; here the list
// rules the entries cannot show.
TEST(ImmediateMode, BeginDropsVerticesFromOutsideAndEndDrawsNothing) {
    auto ctx = std::make_unique<GlContext>();
    AppendPrimitiveVertex(*ctx, 9, 9, 9);  // outside begin/end: dropped at glBegin
    BeginPrimitive(*ctx, gle::kTriangles);
    EXPECT_TRUE(ctx->primitiveVertices.empty());
    ASSERT_TRUE(AppendPrimitiveVertex(*ctx, 1, 2, 0));
    EndPrimitive(*ctx);
    EXPECT_EQ(ctx->primitiveMode, 0u);
    EXPECT_TRUE(ctx->primitiveVertices.empty());
    EXPECT_TRUE(ctx->frameVertices.empty());  // the API side draws nothing
}

}  // namespace
}  // namespace mora
