#include "scene_world.h"

#include <algorithm>
#include <cmath>

namespace mora::scene {

namespace {

constexpr Vec3 kUp{0.0f, 1.0f, 0.0f};
constexpr float kMaterialWorldSize = 128.0f;  // world units per repeat of a wall or floor picture

// Material indices in World::materials.
enum Material : uint32_t {
    kBrickRed,
    kBrickGrey,
    kBrickBrown,
    kMetalBlue,
    kMetalGreen,
    kFloorStone,
    kFloorSlate,
    kCeiling,
    kCrate,
    kMaterialCount
};

// A rectangle to light and draw: corner, two edges (their cross product points to the lit side)
// and how many cells it is cut into along the first edge (strips) or in total (grids).
struct Patch {
    Vec3 corner;
    Vec3 edgeU;
    Vec3 edgeV;
    int luxelsU = 0;
    int luxelsV = 0;
    int blockX = 0;  // position of the luxel block (padding included) in its page
    int blockY = 0;
};

// Base texture coordinates of a world position on a surface.
enum class Mapping { Wall, Horizontal, PerFace };

struct Builder {
    World& world;
    Rng rng;
    // Atlas shelf allocator state.
    int pageX = 0;
    int pageY = 0;
    int shelfHeight = 0;
};

int LuxelsAlong(Vec3 edge) { return static_cast<int>(std::lround(Length(edge) / kLuxelSpacing)) + 1; }

Patch MakePatch(Vec3 corner, Vec3 edgeU, Vec3 edgeV) {
    Patch patch{corner, edgeU, edgeV};
    patch.luxelsU = LuxelsAlong(edgeU);
    patch.luxelsV = LuxelsAlong(edgeV);
    return patch;
}

void NewPage(Builder& b) {
    b.world.lightmapPages.push_back(MakeImage(kLightmapPageSize, kLightmapPageSize));
    b.pageX = b.pageY = b.shelfHeight = 0;
}

// Places every patch's block (luxels plus one texel of padding round it) on the current page, or
// all of them on a fresh page when they do not fit; a batch never spans two pages.
void AllocateBlocks(Builder& b, std::vector<Patch>& patches) {
    if (b.world.lightmapPages.empty()) NewPage(b);
    for (int attempt = 0; attempt < 2; ++attempt) {
        int x = b.pageX, y = b.pageY, shelf = b.shelfHeight;
        bool fits = true;
        for (Patch& patch : patches) {
            const int w = patch.luxelsU + 2;
            const int h = patch.luxelsV + 2;
            if (x + w > kLightmapPageSize) {
                x = 0;
                y += shelf;
                shelf = 0;
            }
            if (y + h > kLightmapPageSize || w > kLightmapPageSize) {
                fits = false;
                break;
            }
            patch.blockX = x;
            patch.blockY = y;
            x += w;
            shelf = std::max(shelf, h);
        }
        if (fits) {
            b.pageX = x;
            b.pageY = y;
            b.shelfHeight = shelf;
            return;
        }
        NewPage(b);
    }
}

Vec3 LightAt(const Room& room, Vec3 point, Vec3 normal) {
    Vec3 sum = room.ambient;
    for (const WorldLight& light : room.lights) {
        const Vec3 toLight = light.position - point;
        const float distance = Length(toLight);
        const float attenuation = std::max(0.0f, 1.0f - distance / light.radius);
        const float lambert = distance > 0.0f ? std::max(0.0f, Dot(normal, toLight) / distance) : 1.0f;
        sum = sum + light.colour * (attenuation * lambert);
    }
    return sum;
}

// Fills the patch's block in its page; the padding repeats the outer luxels.
void BakeLightmap(Builder& b, const Room& room, const Patch& patch) {
    TextureImage& page = b.world.lightmapPages.back();
    const Vec3 normal = Normalize(Cross(patch.edgeU, patch.edgeV));
    for (int j = -1; j <= patch.luxelsV; ++j) {
        for (int i = -1; i <= patch.luxelsU; ++i) {
            const int ci = std::clamp(i, 0, patch.luxelsU - 1);
            const int cj = std::clamp(j, 0, patch.luxelsV - 1);
            const float u = patch.luxelsU > 1 ? static_cast<float>(ci) / static_cast<float>(patch.luxelsU - 1) : 0.0f;
            const float v = patch.luxelsV > 1 ? static_cast<float>(cj) / static_cast<float>(patch.luxelsV - 1) : 0.0f;
            const Vec3 point = patch.corner + patch.edgeU * u + patch.edgeV * v + normal * 1.0f;
            const Vec3 light = LightAt(room, point, normal);
            uint8_t* t = Texel(page, patch.blockX + 1 + i, patch.blockY + 1 + j);
            t[0] = UnitToByte(light.x);
            t[1] = UnitToByte(light.y);
            t[2] = UnitToByte(light.z);
            t[3] = 255;
        }
    }
}

WorldVertex MakeVertex(const Patch& patch, float u, float v, Mapping mapping, Vec3 wallAxis) {
    const Vec3 p = patch.corner + patch.edgeU * u + patch.edgeV * v;
    WorldVertex vertex{};
    vertex.position[0] = p.x;
    vertex.position[1] = p.y;
    vertex.position[2] = p.z;
    switch (mapping) {
        case Mapping::Wall:
            vertex.s = Dot(p, wallAxis) / kMaterialWorldSize;
            vertex.t = -p.y / kMaterialWorldSize;
            break;
        case Mapping::Horizontal:
            vertex.s = p.x / kMaterialWorldSize;
            vertex.t = p.z / kMaterialWorldSize;
            break;
        case Mapping::PerFace:
            vertex.s = u;
            vertex.t = v;
            break;
    }
    // Luxel centres: the corner luxel's centre at u = 0, the far one's at u = 1.
    const float page = static_cast<float>(kLightmapPageSize);
    vertex.ls = (static_cast<float>(patch.blockX) + 1.5f + u * static_cast<float>(patch.luxelsU - 1)) / page;
    vertex.lt = (static_cast<float>(patch.blockY) + 1.5f + v * static_cast<float>(patch.luxelsV - 1)) / page;
    return vertex;
}

void BeginBatch(Builder& b, uint32_t material) {
    WorldBatch batch{};
    batch.material = material;
    batch.lightmapPage = static_cast<uint32_t>(b.world.lightmapPages.size() - 1);
    batch.firstPrimitive = static_cast<uint32_t>(b.world.primitives.size());
    b.world.batches.push_back(batch);
}

void EndBatch(Builder& b) {
    WorldBatch& batch = b.world.batches.back();
    batch.primitiveCount = static_cast<uint32_t>(b.world.primitives.size()) - batch.firstPrimitive;
}

uint32_t VertexCount(const World& world) { return static_cast<uint32_t>(world.vertices.size()); }

// Each patch one primitive of four corners (GL_POLYGON or GL_TRIANGLE_FAN), or all patches one
// GL_QUADS primitive.
void EmitPatches(Builder& b, const Room& room, std::vector<Patch>& patches, uint32_t material, GLenum mode,
                 Mapping mapping, Vec3 wallAxis) {
    if (patches.empty()) return;
    AllocateBlocks(b, patches);
    BeginBatch(b, material);
    uint32_t first = VertexCount(b.world);
    for (const Patch& patch : patches) {
        BakeLightmap(b, room, patch);
        if (mode != GL_QUADS) first = VertexCount(b.world);
        b.world.vertices.push_back(MakeVertex(patch, 0.0f, 0.0f, mapping, wallAxis));
        b.world.vertices.push_back(MakeVertex(patch, 1.0f, 0.0f, mapping, wallAxis));
        b.world.vertices.push_back(MakeVertex(patch, 1.0f, 1.0f, mapping, wallAxis));
        b.world.vertices.push_back(MakeVertex(patch, 0.0f, 1.0f, mapping, wallAxis));
        if (mode != GL_QUADS) b.world.primitives.push_back({mode, first, 4});
    }
    if (mode == GL_QUADS) b.world.primitives.push_back({mode, first, VertexCount(b.world) - first});
    EndBatch(b);
}

// Each patch one GL_TRIANGLE_STRIP cut into `cells` along its first edge; the strip's pairs run
// (far edge, near edge) so that its triangles face the lit side.
void EmitStrips(Builder& b, const Room& room, std::vector<Patch>& rows, int cells, uint32_t material) {
    AllocateBlocks(b, rows);
    BeginBatch(b, material);
    for (const Patch& row : rows) {
        BakeLightmap(b, room, row);
        const uint32_t first = VertexCount(b.world);
        for (int k = 0; k <= cells; ++k) {
            const float u = static_cast<float>(k) / static_cast<float>(cells);
            b.world.vertices.push_back(MakeVertex(row, u, 1.0f, Mapping::Horizontal, Vec3{}));
            b.world.vertices.push_back(MakeVertex(row, u, 0.0f, Mapping::Horizontal, Vec3{}));
        }
        b.world.primitives.push_back({GL_TRIANGLE_STRIP, first, VertexCount(b.world) - first});
    }
    EndBatch(b);
}

bool HasRoom(const World& world, int x, int z) { return x >= 0 && z >= 0 && x < world.roomsX && z < world.roomsZ; }

// One wall: from `start` along `axis` (its cross product with up points into the room) for the
// room's width, cut into patches, leaving the doorway open when a room lies behind it.
void BuildWall(Builder& b, const Room& room, Vec3 start, Vec3 axis, float height, bool doorway, uint32_t material) {
    std::vector<Patch> patches;
    const int columns = static_cast<int>(kRoomSize / kPatchSize);
    const int rows = static_cast<int>(height / kPatchSize);
    const int doorRows = static_cast<int>(kDoorHeight / kPatchSize);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const bool inDoor = doorway && row < doorRows && (column == columns / 2 - 1 || column == columns / 2);
            if (inDoor) continue;
            const Vec3 corner =
                start + axis * (kPatchSize * static_cast<float>(column)) + kUp * (kPatchSize * static_cast<float>(row));
            patches.push_back(MakePatch(corner, axis * kPatchSize, kUp * kPatchSize));
        }
    }
    EmitPatches(b, room, patches, material, GL_POLYGON, Mapping::Wall, axis);
}

void BuildCrates(Builder& b, const Room& room) {
    const Vec3 lo = room.boundsMin;
    const Vec3 hi = room.boundsMax;
    const uint32_t count = 2 + NextBelow(b.rng, 2);
    const uint32_t firstCorner = NextBelow(b.rng, 4);
    std::vector<Patch> faces;
    for (uint32_t c = 0; c < count; ++c) {
        const uint32_t corner = (firstCorner + c) % 4;
        const float size = 48.0f + 16.0f * static_cast<float>(NextBelow(b.rng, 4));
        const float inset = NextRange(b.rng, 24.0f, 80.0f);
        const float x0 = (corner & 1) ? hi.x - inset - size : lo.x + inset;
        const float z0 = (corner & 2) ? hi.z - inset - size : lo.z + inset;
        const Vec3 a{x0, 0.0f, z0};
        const Vec3 dx{size, 0.0f, 0.0f};
        const Vec3 dy{0.0f, size, 0.0f};
        const Vec3 dz{0.0f, 0.0f, size};
        // Top, then the four sides with outward normals -z, +x, +z, -x.
        faces.push_back(MakePatch(a + dy, dz, dx));
        faces.push_back(MakePatch(a + dx, dx * -1.0f, dy));
        faces.push_back(MakePatch(a + dx + dz, dz * -1.0f, dy));
        faces.push_back(MakePatch(a + dz, dx, dy));
        faces.push_back(MakePatch(a, dz, dy));
    }
    EmitPatches(b, room, faces, kCrate, GL_TRIANGLE_FAN, Mapping::PerFace, Vec3{});
}

void BuildRoom(Builder& b, int rx, int rz) {
    Room& room = b.world.rooms[static_cast<std::size_t>(rz * b.world.roomsX + rx)];
    const float height = kPatchSize * static_cast<float>(4 + NextBelow(b.rng, 3));
    const float x0 = kRoomSize * static_cast<float>(rx);
    const float z0 = kRoomSize * static_cast<float>(rz);
    const float x1 = x0 + kRoomSize;
    const float z1 = z0 + kRoomSize;
    room.boundsMin = {x0, 0.0f, z0};
    room.boundsMax = {x1, height, z1};
    room.ambient = Vec3{0.12f, 0.11f, 0.10f} * NextRange(b.rng, 0.8f, 1.4f);
    for (WorldLight& light : room.lights) {
        light.position = {NextRange(b.rng, x0 + 96.0f, x1 - 96.0f), height - 40.0f,
                          NextRange(b.rng, z0 + 96.0f, z1 - 96.0f)};
        const float warmth = NextUnit(b.rng);
        light.colour = Vec3{0.95f, 0.8f + 0.1f * warmth, 0.55f + 0.4f * (1.0f - warmth)} * NextRange(b.rng, 0.9f, 1.3f);
        light.radius = NextRange(b.rng, 380.0f, 560.0f);
    }
    room.firstBatch = static_cast<uint32_t>(b.world.batches.size());

    const uint32_t wallMaterial = static_cast<uint32_t>(kBrickRed + NextBelow(b.rng, kMetalGreen - kBrickRed + 1));
    const uint32_t floorMaterial = NextBelow(b.rng, 2) == 0 ? kFloorStone : kFloorSlate;
    // Walls: west (x0, running -z), east (x1, +z), north (z0, +x), south (z1, -x).
    BuildWall(b, room, {x0, 0.0f, z1}, {0.0f, 0.0f, -1.0f}, height, HasRoom(b.world, rx - 1, rz), wallMaterial);
    BuildWall(b, room, {x1, 0.0f, z0}, {0.0f, 0.0f, 1.0f}, height, HasRoom(b.world, rx + 1, rz), wallMaterial);
    BuildWall(b, room, {x0, 0.0f, z0}, {1.0f, 0.0f, 0.0f}, height, HasRoom(b.world, rx, rz - 1), wallMaterial);
    BuildWall(b, room, {x1, 0.0f, z1}, {-1.0f, 0.0f, 0.0f}, height, HasRoom(b.world, rx, rz + 1), wallMaterial);

    // Floor: one GL_QUADS primitive of all cells, facing up.
    const int cells = static_cast<int>(kRoomSize / kPatchSize);
    std::vector<Patch> floor;
    for (int j = 0; j < cells; ++j) {
        for (int i = 0; i < cells; ++i) {
            const Vec3 corner{x0 + kPatchSize * static_cast<float>(i), 0.0f, z0 + kPatchSize * static_cast<float>(j)};
            floor.push_back(MakePatch(corner, {0.0f, 0.0f, kPatchSize}, {kPatchSize, 0.0f, 0.0f}));
        }
    }
    EmitPatches(b, room, floor, floorMaterial, GL_QUADS, Mapping::Horizontal, Vec3{});

    // Ceiling: one strip per row of cells, facing down.
    std::vector<Patch> ceiling;
    for (int j = 0; j < cells; ++j) {
        const Vec3 corner{x0, height, z0 + kPatchSize * static_cast<float>(j)};
        ceiling.push_back(MakePatch(corner, {kRoomSize, 0.0f, 0.0f}, {0.0f, 0.0f, kPatchSize}));
    }
    EmitStrips(b, room, ceiling, cells, kCeiling);

    BuildCrates(b, room);
    room.batchCount = static_cast<uint32_t>(b.world.batches.size()) - room.firstBatch;
}

Vec3 RoomCentre(int x, int z) {
    return {kRoomSize * (static_cast<float>(x) + 0.5f), kEyeHeight, kRoomSize * (static_cast<float>(z) + 0.5f)};
}

// A closed path through every room once (the grid has an even side), with the doorway between
// each pair of consecutive rooms: along row 0, then snaking over the other columns, then back up
// column 0.
std::vector<Vec3> BuildCameraLoop(const World& world) {
    std::vector<std::pair<int, int>> order;
    for (int x = 0; x < world.roomsX; ++x) order.push_back({x, 0});
    for (int z = 1; z < world.roomsZ; ++z) {
        if (z % 2 == 1) {
            for (int x = world.roomsX - 1; x >= 1; --x) order.push_back({x, z});
        } else {
            for (int x = 1; x < world.roomsX; ++x) order.push_back({x, z});
        }
    }
    for (int z = world.roomsZ - 1; z >= 1; --z) order.push_back({0, z});
    std::vector<Vec3> loop;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const auto [ax, az] = order[i];
        const auto [bx, bz] = order[(i + 1) % order.size()];
        const Vec3 a = RoomCentre(ax, az);
        loop.push_back(a);
        loop.push_back(Lerp(a, RoomCentre(bx, bz), 0.5f));
    }
    return loop;
}

// Catmull-Rom on the closed loop; `u` counts loop points.
Vec3 LoopPosition(const std::vector<Vec3>& loop, float u) {
    const int n = static_cast<int>(loop.size());
    const float wrapped = std::fmod(u, static_cast<float>(n));
    const int i = static_cast<int>(std::floor(wrapped));
    const float t = wrapped - static_cast<float>(i);
    const Vec3 p0 = loop[static_cast<std::size_t>((i - 1 + n) % n)];
    const Vec3 p1 = loop[static_cast<std::size_t>(i % n)];
    const Vec3 p2 = loop[static_cast<std::size_t>((i + 1) % n)];
    const Vec3 p3 = loop[static_cast<std::size_t>((i + 2) % n)];
    const float t2 = t * t;
    const float t3 = t2 * t;
    return (p1 * 2.0f + (p2 - p0) * t + (p0 * 2.0f - p1 * 5.0f + p2 * 4.0f - p3) * t2 +
            (p1 * 3.0f - p0 - p2 * 3.0f + p3) * t3) *
           0.5f;
}

void DrawPrimitives(SceneGl& gl, const World& world, const WorldBatch& batch, bool lightmapCoordinates) {
    for (uint32_t p = 0; p < batch.primitiveCount; ++p) {
        const WorldPrimitive& primitive = world.primitives[batch.firstPrimitive + p];
        gl.Begin(primitive.mode);
        for (uint32_t v = 0; v < primitive.vertexCount; ++v) {
            const WorldVertex& vertex = world.vertices[primitive.firstVertex + v];
            if (lightmapCoordinates)
                gl.TexCoord2f(vertex.ls, vertex.lt);
            else
                gl.TexCoord2f(vertex.s, vertex.t);
            gl.Vertex3fv(vertex.position);
        }
        gl.End();
    }
}

}  // namespace

World BuildWorld(uint64_t seed, int roomsX, int roomsZ) {
    World world;
    world.roomsX = std::max(2, roomsX + roomsX % 2);
    world.roomsZ = std::max(2, roomsZ + roomsZ % 2);
    Builder b{world, StreamRng(seed, 1)};
    Rng materialRng = StreamRng(seed, 2);
    world.materials.resize(kMaterialCount);
    world.materials[kBrickRed] = MakeBrickTexture(materialRng, 128, {0.62f, 0.30f, 0.22f}, {0.55f, 0.53f, 0.50f});
    world.materials[kBrickGrey] = MakeBrickTexture(materialRng, 128, {0.50f, 0.50f, 0.52f}, {0.30f, 0.30f, 0.28f});
    world.materials[kBrickBrown] = MakeBrickTexture(materialRng, 64, {0.45f, 0.33f, 0.20f}, {0.60f, 0.58f, 0.50f});
    world.materials[kMetalBlue] = MakeMetalTexture(materialRng, 128, {0.55f, 0.62f, 0.75f});
    world.materials[kMetalGreen] = MakeMetalTexture(materialRng, 64, {0.50f, 0.66f, 0.52f});
    world.materials[kFloorStone] = MakeFloorTexture(materialRng, 128, {0.70f, 0.66f, 0.58f});
    world.materials[kFloorSlate] = MakeFloorTexture(materialRng, 128, {0.45f, 0.50f, 0.55f});
    world.materials[kCeiling] = MakeConcreteTexture(materialRng, 128, {0.80f, 0.78f, 0.74f});
    world.materials[kCrate] = MakeCrateTexture(materialRng, 64);

    world.rooms.resize(static_cast<std::size_t>(world.roomsX) * static_cast<std::size_t>(world.roomsZ));
    for (int z = 0; z < world.roomsZ; ++z) {
        for (int x = 0; x < world.roomsX; ++x) BuildRoom(b, x, z);
    }
    world.cameraLoop = BuildCameraLoop(world);
    return world;
}

WorldTextures UploadWorldTextures(SceneGl& gl, const World& world) {
    WorldTextures textures;
    for (const TextureImage& image : world.materials) {
        textures.materials.push_back(UploadTexture(gl, image, TextureFilter::Trilinear, GL_REPEAT));
    }
    // GL_CLAMP is safe here: lightmap coordinates stay at or inside the outer luxel centres, so the
    // border is never sampled.
    for (const TextureImage& page : world.lightmapPages) {
        textures.lightmapPages.push_back(UploadTexture(gl, page, TextureFilter::Bilinear, GL_CLAMP));
    }
    return textures;
}

Camera MakeCamera(Vec3 position, float yaw, float pitch) {
    Camera camera;
    camera.position = position;
    camera.yaw = yaw;
    camera.pitch = pitch;
    camera.forward = {-std::sin(yaw) * std::cos(pitch), std::sin(pitch), -std::cos(yaw) * std::cos(pitch)};
    camera.right = {std::cos(yaw), 0.0f, -std::sin(yaw)};
    camera.up = Cross(camera.right, camera.forward);
    return camera;
}

Camera CameraAtFrame(const World& world, int frame) {
    const float u = static_cast<float>(frame) / static_cast<float>(kFramesPerLoopPoint);
    const Vec3 position = LoopPosition(world.cameraLoop, u);
    const Vec3 ahead = LoopPosition(world.cameraLoop, u + 0.75f) - position;
    const float yaw = std::atan2(-ahead.x, -ahead.z);
    const float pitch = 0.12f * std::sin(static_cast<float>(frame) * 0.021f);
    Vec3 bobbed = position;
    bobbed.y += 3.0f * std::sin(static_cast<float>(frame) * 0.3f);
    return MakeCamera(bobbed, yaw, pitch);
}

ViewVolume ViewVolumeFor(int width, int height) {
    ViewVolume view;
    view.halfWidth = 1.0f;
    view.halfHeight = width > 0 ? static_cast<float>(height) / static_cast<float>(width) : 0.75f;
    return view;
}

std::vector<uint32_t> VisibleRooms(const World& world, const Camera& camera, const ViewVolume& view) {
    // Inward normals of the four side planes and the near plane, all through the eye except near.
    const Vec3 f = camera.forward;
    const Vec3 planes[4] = {
        Normalize(f * view.halfWidth + camera.right),  // left
        Normalize(f * view.halfWidth - camera.right),  // right
        Normalize(f * view.halfHeight + camera.up),    // bottom
        Normalize(f * view.halfHeight - camera.up),    // top
    };
    std::vector<std::pair<float, uint32_t>> visible;
    for (uint32_t r = 0; r < world.rooms.size(); ++r) {
        const Room& room = world.rooms[r];
        bool outside = false;
        for (int p = 0; p < 5 && !outside; ++p) {
            bool allOut = true;
            for (int c = 0; c < 8 && allOut; ++c) {
                const Vec3 corner{(c & 1) ? room.boundsMax.x : room.boundsMin.x,
                                  (c & 2) ? room.boundsMax.y : room.boundsMin.y,
                                  (c & 4) ? room.boundsMax.z : room.boundsMin.z};
                const Vec3 d = corner - camera.position;
                const float distance = p < 4 ? Dot(d, planes[p]) : Dot(d, f) - view.nearPlane;
                allOut = distance < 0.0f;
            }
            outside = allOut;
        }
        if (outside) continue;
        const Vec3 centre = (room.boundsMin + room.boundsMax) * 0.5f;
        visible.push_back({Length(centre - camera.position), r});
    }
    std::sort(visible.begin(), visible.end());
    std::vector<uint32_t> rooms;
    for (const auto& [distance, index] : visible) rooms.push_back(index);
    return rooms;
}

void DrawWorld(SceneGl& gl, const World& world, const WorldTextures& textures, const std::vector<uint32_t>& rooms) {
    gl.Enable(GL_TEXTURE_2D);
    gl.Enable(GL_DEPTH_TEST);
    gl.DepthFunc(GL_LEQUAL);
    gl.DepthMask(GL_TRUE);
    gl.Enable(GL_CULL_FACE);
    gl.FrontFace(GL_CCW);
    gl.CullFace(GL_BACK);
    gl.Disable(GL_BLEND);
    gl.Disable(GL_ALPHA_TEST);
    gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    gl.Color4f(1.0f, 1.0f, 1.0f, 1.0f);
    for (const uint32_t r : rooms) {
        const Room& room = world.rooms[r];
        for (uint32_t i = 0; i < room.batchCount; ++i) {
            const WorldBatch& batch = world.batches[room.firstBatch + i];
            gl.BindTexture(GL_TEXTURE_2D, textures.materials[batch.material]);
            DrawPrimitives(gl, world, batch, false);
        }
    }
    // Lightmap pass: destination x lightmap, on exactly the same vertices.
    gl.Enable(GL_BLEND);
    gl.BlendFunc(GL_ZERO, GL_SRC_COLOR);
    gl.DepthMask(GL_FALSE);
    for (const uint32_t r : rooms) {
        const Room& room = world.rooms[r];
        for (uint32_t i = 0; i < room.batchCount; ++i) {
            const WorldBatch& batch = world.batches[room.firstBatch + i];
            gl.BindTexture(GL_TEXTURE_2D, textures.lightmapPages[batch.lightmapPage]);
            DrawPrimitives(gl, world, batch, true);
        }
    }
    gl.DepthMask(GL_TRUE);
    gl.Disable(GL_BLEND);
}

}  // namespace mora::scene
