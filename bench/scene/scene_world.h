// The level of the synthetic scene: a grid of box rooms joined by doorways, with crates, wall,
// floor and ceiling surfaces cut into 64-unit patches, point lights baked into lightmap atlas
// pages, and the camera loop through the rooms. Built once from the seed (BuildWorld); drawn each
// frame as a textured pass and a (GL_ZERO, GL_SRC_COLOR) lightmap pass over the visible rooms.
#pragma once

#include <cstdint>
#include <vector>

#include "scene_gl.h"
#include "scene_math.h"
#include "scene_textures.h"

namespace mora::scene {

inline constexpr float kRoomSize = 512.0f;     // world units per room side; a multiple of kPatchSize
inline constexpr float kPatchSize = 64.0f;     // surfaces are cut into patches of this size
inline constexpr float kLuxelSpacing = 16.0f;  // world units between lightmap samples
inline constexpr int kLightmapPageSize = 128;  // texels per atlas page side; power of two
inline constexpr float kDoorHeight = 192.0f;   // doorway opening; a multiple of kPatchSize
inline constexpr float kEyeHeight = 72.0f;
inline constexpr int kFramesPerLoopPoint = 40;  // camera speed: frames from one loop point to the next

struct WorldVertex {
    float position[3];
    float s, t;    // material texture coordinates
    float ls, lt;  // lightmap atlas coordinates, always at or inside the block's outer luxel centres
};

struct WorldPrimitive {
    GLenum mode;
    uint32_t firstVertex;
    uint32_t vertexCount;
};

// Primitives that share one material and one lightmap page.
struct WorldBatch {
    uint32_t material;      // index into World::materials
    uint32_t lightmapPage;  // index into World::lightmapPages
    uint32_t firstPrimitive;
    uint32_t primitiveCount;
};

struct WorldLight {
    Vec3 position;
    Vec3 colour;
    float radius;
};

struct Room {
    Vec3 boundsMin;
    Vec3 boundsMax;
    Vec3 ambient;
    WorldLight lights[2];
    uint32_t firstBatch = 0;
    uint32_t batchCount = 0;
};

struct World {
    int roomsX = 0;
    int roomsZ = 0;
    std::vector<Room> rooms;  // row-major, x fastest
    std::vector<WorldBatch> batches;
    std::vector<WorldPrimitive> primitives;
    std::vector<WorldVertex> vertices;
    std::vector<TextureImage> materials;      // trilinear, repeating
    std::vector<TextureImage> lightmapPages;  // bilinear, clamped
    std::vector<Vec3> cameraLoop;             // closed loop of eye positions (room and door centres)
};

// The level for `seed`: roomsX x roomsZ rooms (both even and at least 2, so that the camera loop
// can visit every room once).
World BuildWorld(uint64_t seed, int roomsX, int roomsZ);

// GL texture names of one renderer for the world's materials and lightmap pages.
struct WorldTextures {
    std::vector<GLuint> materials;
    std::vector<GLuint> lightmapPages;
};
WorldTextures UploadWorldTextures(SceneGl& gl, const World& world);

// A view position and orientation (yaw about +y, pitch up, in radians) with its basis vectors.
struct Camera {
    Vec3 position;
    float yaw = 0.0f;
    float pitch = 0.0f;
    Vec3 forward;
    Vec3 right;
    Vec3 up;
};
Camera MakeCamera(Vec3 position, float yaw, float pitch);
// Where the camera is at `frame`: on the closed loop, looking ahead along it, with a slow nod.
Camera CameraAtFrame(const World& world, int frame);

// Half extents of the view at distance 1 for a horizontal field of view of 90 degrees.
struct ViewVolume {
    float halfWidth = 1.0f;
    float halfHeight = 0.75f;
    float nearPlane = 4.0f;
    float farPlane = 4096.0f;
};
ViewVolume ViewVolumeFor(int width, int height);

// Indices of the rooms whose bounds reach into the view, nearest room first.
std::vector<uint32_t> VisibleRooms(const World& world, const Camera& camera, const ViewVolume& view);

// The two world passes over `rooms`: textured with the current colour (white), then the lightmaps
// multiplied in with depth writes off and GL_LEQUAL.
void DrawWorld(SceneGl& gl, const World& world, const WorldTextures& textures, const std::vector<uint32_t>& rooms);

}  // namespace mora::scene
