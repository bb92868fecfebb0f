// The synthetic scene's content, checked without a renderer, as far as the benchmark's figures rest
// on it: the same seed and frame give the same GL calls; surfaces face the side they are seen from
// (culling would otherwise remove the world); and a frame carries the load and the features the
// benchmark and the comparisons rely on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <utility>

#include "recording_gl.h"
#include "scene.h"

namespace mora_compare {
namespace {

using namespace mora::scene;

const Scene& DefaultScene() {
    static const Scene scene = BuildScene(SceneOptions{});
    return scene;
}

Vec3 PositionOf(const WorldVertex& v) { return {v.position[0], v.position[1], v.position[2]}; }

// Normal of the primitive's first triangle by the right-hand rule (counter-clockwise = toward the
// viewer); strips and fans start with (v0, v1, v2) like the other modes.
Vec3 FirstTriangleNormal(const World& world, const WorldPrimitive& p) {
    const Vec3 a = PositionOf(world.vertices[p.firstVertex]);
    const Vec3 b = PositionOf(world.vertices[p.firstVertex + 1]);
    const Vec3 c = PositionOf(world.vertices[p.firstVertex + 2]);
    return Cross(b - a, c - a);
}

struct Box {
    Vec3 lo{1e9f, 1e9f, 1e9f};
    Vec3 hi{-1e9f, -1e9f, -1e9f};
};

// Crates are the fan primitives, five faces (no bottom) in a row per crate.
std::vector<Box> CrateBoxes(const World& world, const Room& room) {
    std::vector<Box> boxes;
    int faces = 0;
    for (uint32_t b = 0; b < room.batchCount; ++b) {
        const WorldBatch& batch = world.batches[room.firstBatch + b];
        for (uint32_t i = 0; i < batch.primitiveCount; ++i) {
            const WorldPrimitive& p = world.primitives[batch.firstPrimitive + i];
            if (p.mode != GL_TRIANGLE_FAN) continue;
            if (faces++ % 5 == 0) boxes.push_back(Box{});
            Box& box = boxes.back();
            for (uint32_t v = 0; v < p.vertexCount; ++v) {
                const Vec3 q = PositionOf(world.vertices[p.firstVertex + v]);
                box.lo = {std::min(box.lo.x, q.x), std::min(box.lo.y, q.y), std::min(box.lo.z, q.z)};
                box.hi = {std::max(box.hi.x, q.x), std::max(box.hi.y, q.y), std::max(box.hi.z, q.z)};
            }
        }
    }
    EXPECT_EQ(faces % 5, 0);
    return boxes;
}

TEST(World, SameSeedGivesTheSameLevelAnotherSeedAnother) {
    const World a = BuildWorld(7, 4, 4);
    const World b = BuildWorld(7, 4, 4);
    const World c = BuildWorld(8, 4, 4);
    ASSERT_EQ(a.vertices.size(), b.vertices.size());
    EXPECT_EQ(std::memcmp(a.vertices.data(), b.vertices.data(), a.vertices.size() * sizeof(WorldVertex)), 0);
    ASSERT_EQ(a.lightmapPages.size(), b.lightmapPages.size());
    EXPECT_EQ(a.lightmapPages.back().rgba, b.lightmapPages.back().rgba);
    EXPECT_EQ(a.materials[0].rgba, b.materials[0].rgba);
    const bool sameGeometry = a.vertices.size() == c.vertices.size() &&
                              std::memcmp(a.vertices.data(), c.vertices.data(), a.vertices.size() * sizeof(WorldVertex)) == 0;
    EXPECT_FALSE(sameGeometry && a.lightmapPages.front().rgba == c.lightmapPages.front().rgba);
}

TEST(World, HasAFewThousandPolygonsInEveryKindOfPrimitive) {
    const World& world = DefaultScene().world;
    uint64_t polygons = 0;
    std::set<GLenum> modes;
    for (const WorldPrimitive& p : world.primitives) {
        modes.insert(p.mode);
        if (p.mode == GL_QUADS) polygons += p.vertexCount / 4;
        else if (p.mode == GL_TRIANGLE_STRIP) polygons += (p.vertexCount - 2) / 2;
        else polygons += 1;
    }
    EXPECT_GE(polygons, 3000u);
    EXPECT_LE(polygons, 8000u);
    EXPECT_EQ(modes, (std::set<GLenum>{GL_QUADS, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN, GL_POLYGON}));
}

TEST(World, RoomSurfacesFaceInwardAndCratesOutward) {
    const World& world = DefaultScene().world;
    for (const Room& room : world.rooms) {
        const Vec3 centre = (room.boundsMin + room.boundsMax) * 0.5f;
        const std::vector<Box> crates = CrateBoxes(world, room);
        int crateFace = 0;
        for (uint32_t b = 0; b < room.batchCount; ++b) {
            const WorldBatch& batch = world.batches[room.firstBatch + b];
            for (uint32_t i = 0; i < batch.primitiveCount; ++i) {
                const WorldPrimitive& p = world.primitives[batch.firstPrimitive + i];
                const Vec3 n = FirstTriangleNormal(world, p);
                const Vec3 v0 = PositionOf(world.vertices[p.firstVertex]);
                if (p.mode == GL_TRIANGLE_FAN) {
                    const Box& box = crates[static_cast<std::size_t>(crateFace++ / 5)];
                    const Vec3 crateCentre = (box.lo + box.hi) * 0.5f;
                    EXPECT_GT(Dot(n, v0 - crateCentre), 0.0f) << "crate face at " << v0.x << "," << v0.y << "," << v0.z;
                } else {
                    EXPECT_GT(Dot(n, centre - v0), 0.0f) << "surface at " << v0.x << "," << v0.y << "," << v0.z;
                }
            }
        }
    }
}

TEST(SceneFrame, SameFrameGivesTheSameCallsAnotherFrameOthers) {
    const Scene& scene = DefaultScene();
    SceneGl first = RecordingGl();
    const SceneTextures textures = UploadSceneTextures(first, scene);
    const auto hashOf = [&](int frame) {
        SceneGl gl = RecordingGl();
        DrawSceneFrame(gl, scene, textures, frame, 640, 480);
        return std::make_pair(Recorded().hash, gl.calls);
    };
    const auto a = hashOf(321);
    const auto b = hashOf(321);
    const auto c = hashOf(322);
    EXPECT_EQ(a, b);
    EXPECT_NE(a.first, c.first);
    // The viewport size changes the projection, so the calls too.
    SceneGl gl = RecordingGl();
    DrawSceneFrame(gl, scene, textures, 321, 320, 240);
    EXPECT_NE(Recorded().hash, a.first);
}

// Over a stretch of the loop every frame has its load in the intended range and, taken together,
// the frames use all three blend modes and only the alpha test GL_GREATER 0.666.
TEST(SceneFrame, CarriesTheIntendedLoadAndFeatures) {
    const Scene& scene = DefaultScene();
    SceneGl setup = RecordingGl();
    const SceneTextures textures = UploadSceneTextures(setup, scene);
    std::set<std::pair<GLenum, GLenum>> blends;
    for (int frame = 0; frame < 600; frame += 25) {
        SceneGl gl = RecordingGl();
        DrawSceneFrame(gl, scene, textures, frame, 640, 480);
        EXPECT_GE(gl.triangles, 4000u) << "frame " << frame;
        EXPECT_LE(gl.triangles, 60000u) << "frame " << frame;
        for (const auto& blend : Recorded().blendFuncs) blends.insert(blend);
        ASSERT_FALSE(Recorded().alphaFuncs.empty());
        for (const auto& [function, reference] : Recorded().alphaFuncs) {
            EXPECT_EQ(function, static_cast<GLenum>(GL_GREATER));
            EXPECT_FLOAT_EQ(reference, 0.666f);
        }
    }
    EXPECT_TRUE(blends.count({GL_ZERO, GL_SRC_COLOR}));
    EXPECT_TRUE(blends.count({GL_ONE, GL_ONE}));
    EXPECT_TRUE(blends.count({GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA}));
}

}  // namespace
}  // namespace mora_compare
