#include "scene.h"

namespace mora::scene {

namespace {
constexpr float kRadiansToDegrees = 180.0f / kPi;
}  // namespace

Scene BuildScene(const SceneOptions& options) {
    Scene scene;
    scene.options = options;
    scene.world = BuildWorld(options.seed, options.roomsX, options.roomsZ);
    scene.models = BuildModels(options.seed, scene.world, options.modelCount);
    scene.effects = BuildEffects(options.seed, scene.world, options.emitterCount, options.particlesPerEmitter);
    return scene;
}

SceneTextures UploadSceneTextures(SceneGl& gl, const Scene& scene) {
    SceneTextures textures;
    textures.world = UploadWorldTextures(gl, scene.world);
    textures.models = UploadModelTextures(gl, scene.models);
    textures.effects = UploadEffectTextures(gl, scene.effects);
    gl.BindTexture(GL_TEXTURE_2D, 0);
    return textures;
}

void ResetGlState(SceneGl& gl, int width, int height) {
    gl.Disable(GL_TEXTURE_2D);
    gl.Disable(GL_BLEND);
    gl.Disable(GL_ALPHA_TEST);
    gl.Disable(GL_DEPTH_TEST);
    gl.Disable(GL_CULL_FACE);
    gl.Disable(GL_SCISSOR_TEST);
    gl.BlendFunc(GL_ONE, GL_ZERO);
    gl.AlphaFunc(GL_ALWAYS, 0.0f);
    gl.DepthFunc(GL_LESS);
    gl.DepthMask(GL_TRUE);
    gl.DepthRange(0.0, 1.0);
    gl.CullFace(GL_BACK);
    gl.FrontFace(GL_CCW);
    gl.ShadeModel(GL_SMOOTH);
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gl.BindTexture(GL_TEXTURE_2D, 0);
    gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    gl.Color4f(1.0f, 1.0f, 1.0f, 1.0f);
    gl.TexCoord2f(0.0f, 0.0f);
    gl.ClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    gl.ClearDepth(1.0);
    gl.Viewport(0, 0, width, height);
    gl.MatrixMode(GL_PROJECTION);
    gl.LoadIdentity();
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadIdentity();
}

void DrawSceneFrame(SceneGl& gl, const Scene& scene, const SceneTextures& textures, int frame, int width, int height) {
    gl.Viewport(0, 0, width, height);
    gl.ClearColor(0.06f, 0.05f, 0.08f, 1.0f);
    gl.ClearDepth(1.0);
    gl.DepthMask(GL_TRUE);
    gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    const Camera camera = CameraAtFrame(scene.world, frame);
    const ViewVolume view = ViewVolumeFor(width, height);
    gl.MatrixMode(GL_PROJECTION);
    gl.LoadIdentity();
    gl.Frustum(-view.halfWidth * view.nearPlane, view.halfWidth * view.nearPlane, -view.halfHeight * view.nearPlane,
               view.halfHeight * view.nearPlane, view.nearPlane, view.farPlane);
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadIdentity();
    gl.Rotatef(-camera.pitch * kRadiansToDegrees, 1.0f, 0.0f, 0.0f);
    gl.Rotatef(-camera.yaw * kRadiansToDegrees, 0.0f, 1.0f, 0.0f);
    gl.Translatef(-camera.position.x, -camera.position.y, -camera.position.z);

    const std::vector<uint32_t> rooms = VisibleRooms(scene.world, camera, view);
    DrawWorld(gl, scene.world, textures.world, rooms);
    DrawModels(gl, scene.models, textures.models, scene.world, rooms, frame);
    DrawParticles(gl, scene.effects, textures.effects, camera, rooms, frame);
    DrawOverlay(gl, textures.effects, frame);
}

}  // namespace mora::scene
