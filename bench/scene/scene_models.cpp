#include "scene_models.h"

#include <algorithm>
#include <cmath>

namespace mora::scene {

namespace {

constexpr int kBodyRings = 12;     // latitude steps pole to pole; body: 2 fans + 10 strips
constexpr int kBodySegments = 16;  // longitude steps
constexpr int kHeadRings = 6;
constexpr int kHeadSegments = 10;
constexpr float kRadiansToDegrees = 180.0f / kPi;

// One ellipsoid's animated vertex grid: rings + 1 rows of segments + 1 columns (the seam column
// repeated with s = 1).
struct EllipsoidVertex {
    float position[3];
    float s, t;
    uint8_t colour[4];
};

struct Ellipsoid {
    Vec3 radii;
    Vec3 centre;
    int rings = 0;
    int segments = 0;
    float wobble = 0.0f;  // deformation amplitude
    float time = 0.0f;    // animation phase
};

void BuildGrid(const Ellipsoid& e, Vec3 light, Vec3 ambient, float yaw, std::vector<EllipsoidVertex>& grid) {
    grid.clear();
    const float cosYaw = std::cos(yaw);
    const float sinYaw = std::sin(yaw);
    for (int i = 0; i <= e.rings; ++i) {
        const float theta = kPi * static_cast<float>(i) / static_cast<float>(e.rings);
        for (int j = 0; j <= e.segments; ++j) {
            const float phi = 2.0f * kPi * static_cast<float>(j) / static_cast<float>(e.segments);
            const Vec3 n{std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)};
            const float w = 1.0f + e.wobble * std::sin(3.0f * phi + e.time) * std::sin(theta) +
                            0.5f * e.wobble * std::sin(2.0f * theta + 1.7f * e.time);
            const Vec3 p{e.centre.x + e.radii.x * n.x * w, e.centre.y + e.radii.y * n.y,
                         e.centre.z + e.radii.z * n.z * w};
            const Vec3 local = Normalize({n.x / e.radii.x, n.y / e.radii.y, n.z / e.radii.z});
            // The model is turned by `yaw` about +y: lighting uses the turned normal.
            const Vec3 normal{local.x * cosYaw + local.z * sinYaw, local.y, -local.x * sinYaw + local.z * cosYaw};
            const float diffuse = std::max(0.0f, Dot(normal, light));
            EllipsoidVertex v{};
            v.position[0] = p.x;
            v.position[1] = p.y;
            v.position[2] = p.z;
            v.s = static_cast<float>(j) / static_cast<float>(e.segments);
            v.t = static_cast<float>(i) / static_cast<float>(e.rings);
            v.colour[0] = UnitToByte(ambient.x + 0.85f * diffuse);
            v.colour[1] = UnitToByte(ambient.y + 0.8f * diffuse);
            v.colour[2] = UnitToByte(ambient.z + 0.7f * diffuse);
            v.colour[3] = 255;
            grid.push_back(v);
        }
    }
}

void Emit(SceneGl& gl, const EllipsoidVertex& v) {
    gl.Color4ubv(v.colour);
    gl.TexCoord2f(v.s, v.t);
    gl.Vertex3fv(v.position);
}

// Caps as fans, the bands between as strips; every triangle clockwise seen from outside.
void DrawGrid(SceneGl& gl, const std::vector<EllipsoidVertex>& grid, int rings, int segments) {
    const auto at = [&](int i, int j) -> const EllipsoidVertex& {
        return grid[static_cast<std::size_t>(i * (segments + 1) + j)];
    };
    gl.Begin(GL_TRIANGLE_FAN);
    Emit(gl, at(0, 0));
    for (int j = 0; j <= segments; ++j) Emit(gl, at(1, j));
    gl.End();
    for (int i = 1; i < rings - 1; ++i) {
        gl.Begin(GL_TRIANGLE_STRIP);
        for (int j = 0; j <= segments; ++j) {
            Emit(gl, at(i, j));
            Emit(gl, at(i + 1, j));
        }
        gl.End();
    }
    gl.Begin(GL_TRIANGLE_FAN);
    Emit(gl, at(rings, 0));
    for (int j = segments; j >= 0; --j) Emit(gl, at(rings - 1, j));
    gl.End();
}

}  // namespace

Models BuildModels(uint64_t seed, const World& world, int count) {
    Models result;
    Rng rng = StreamRng(seed, 3);
    result.skins.push_back(MakeSkinTexture(rng, 64, {0.55f, 0.45f, 0.30f}, {0.25f, 0.20f, 0.15f}));
    result.skins.push_back(MakeSkinTexture(rng, 64, {0.40f, 0.55f, 0.35f}, {0.70f, 0.70f, 0.30f}));
    result.skins.push_back(MakeSkinTexture(rng, 64, {0.60f, 0.35f, 0.40f}, {0.30f, 0.15f, 0.20f}));
    result.skins.push_back(MakeSkinTexture(rng, 128, {0.45f, 0.45f, 0.55f}, {0.85f, 0.85f, 0.90f}));
    const uint32_t rooms = static_cast<uint32_t>(world.rooms.size());
    for (int k = 0; k < count; ++k) {
        Model model;
        // Spread over the level: distinct rooms while 5 is coprime to the room count.
        model.room = (static_cast<uint32_t>(k) * 5u + 3u) % rooms;
        model.skin = NextBelow(rng, static_cast<uint32_t>(result.skins.size()));
        model.orbitRadius = NextRange(rng, 90.0f, 170.0f);
        model.angularSpeed = NextRange(rng, 0.01f, 0.03f) * (NextBelow(rng, 2) == 0 ? 1.0f : -1.0f);
        model.phase = NextRange(rng, 0.0f, 2.0f * kPi);
        model.size = NextRange(rng, 18.0f, 30.0f);
        result.models.push_back(model);
    }
    return result;
}

ModelTextures UploadModelTextures(SceneGl& gl, const Models& models) {
    ModelTextures textures;
    for (const TextureImage& skin : models.skins) {
        textures.skins.push_back(UploadTexture(gl, skin, TextureFilter::Trilinear, GL_REPEAT));
    }
    return textures;
}

void DrawModels(SceneGl& gl, const Models& models, const ModelTextures& textures, const World& world,
                const std::vector<uint32_t>& rooms, int frame) {
    gl.Enable(GL_TEXTURE_2D);
    gl.Enable(GL_DEPTH_TEST);
    gl.DepthFunc(GL_LEQUAL);
    gl.DepthMask(GL_TRUE);
    gl.Disable(GL_BLEND);
    gl.Enable(GL_CULL_FACE);
    gl.FrontFace(GL_CW);
    gl.CullFace(GL_BACK);
    gl.ShadeModel(GL_SMOOTH);
    gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    const Vec3 light = Normalize({0.4f, 0.8f, 0.3f});
    std::vector<EllipsoidVertex> grid;
    const float time = static_cast<float>(frame);
    for (const Model& model : models.models) {
        if (std::find(rooms.begin(), rooms.end(), model.room) == rooms.end()) continue;
        const Room& room = world.rooms[model.room];
        const Vec3 centre = (room.boundsMin + room.boundsMax) * 0.5f;
        const float angle = model.phase + model.angularSpeed * time;
        const float x = centre.x + model.orbitRadius * std::cos(angle);
        const float z = centre.z + model.orbitRadius * std::sin(angle);
        // Facing along the direction of travel.
        const float yaw = std::atan2(-std::sin(angle), std::cos(angle)) + (model.angularSpeed > 0.0f ? 0.0f : kPi);
        const Vec3 ambient = room.ambient + Vec3{0.22f, 0.22f, 0.22f};
        gl.BindTexture(GL_TEXTURE_2D, textures.skins[model.skin]);
        gl.PushMatrix();
        gl.Translatef(x, 0.0f, z);
        gl.Rotatef(yaw * kRadiansToDegrees, 0.0f, 1.0f, 0.0f);

        Ellipsoid body;
        body.radii = {model.size, model.size * 1.6f, model.size * 0.8f};
        body.centre = {0.0f, model.size * 1.6f + 6.0f + 3.0f * std::sin(0.2f * time + model.phase), 0.0f};
        body.rings = kBodyRings;
        body.segments = kBodySegments;
        body.wobble = 0.1f;
        body.time = 0.15f * time + model.phase;
        BuildGrid(body, light, ambient, yaw, grid);
        DrawGrid(gl, grid, body.rings, body.segments);

        Ellipsoid head;
        head.radii = {model.size * 0.55f, model.size * 0.5f, model.size * 0.55f};
        head.centre = {model.size * 0.3f, body.centre.y + body.radii.y + head.radii.y * 0.7f, 0.0f};
        head.rings = kHeadRings;
        head.segments = kHeadSegments;
        head.wobble = 0.05f;
        head.time = 0.3f * time + model.phase;
        BuildGrid(head, light, ambient, yaw, grid);
        DrawGrid(gl, grid, head.rings, head.segments);
        gl.PopMatrix();
    }
    gl.FrontFace(GL_CCW);
}

}  // namespace mora::scene
