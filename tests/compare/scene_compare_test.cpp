// Whole frames of the synthetic first-person scene (world and lightmap passes, models, particles,
// alpha-tested overlay, the additive flash) drawn through MORA and OSMesa and compared at 640 x
// 480, MORA with variable-rate shading off.
//
// Tolerance: the frames are full of edges (every wall patch, model triangle, particle and glyph),
// and MORA differs from GL by design in its trilinear level of detail (per-pixel rho from pixels
// two apart, blend weight linear in rho), in truncating where GL rounds (modulate, both blend
// passes) and in coverage tie-breaks. Measured agreement is about 0.1% of pixels off by more than
// 8 levels and a PSNR of 35 to 38 dB; the limits leave room for other frames and machines while
// still catching a wrong blend, texture environment, winding, clip or missing pass, each of which
// moves whole surfaces.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "compare_session.h"
#include "scene.h"

namespace mora_compare {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr Tolerance kSceneTolerance{255, 30.0, 0.01};

// The scene once per process and its textures once per renderer (keyed by the renderer's table).
const mora::scene::Scene& TheScene() {
    static const mora::scene::Scene scene = mora::scene::BuildScene(mora::scene::SceneOptions{});
    return scene;
}

const mora::scene::SceneTextures& TexturesFor(SceneGl& gl) {
    static std::map<const SceneGl*, mora::scene::SceneTextures> textures;
    const auto it = textures.find(&gl);
    if (it != textures.end()) return it->second;
    return textures.emplace(&gl, mora::scene::UploadSceneTextures(gl, TheScene())).first->second;
}

// Frame 0 has the flash at full strength; the others look into different rooms along the loop.
TEST(SceneFrames, AgreeWithinSceneToleranceAlongTheCameraLoop) {
    for (const int frame : {0, 200, 455, 700, 1111}) {
        const auto draw = [frame](SceneGl& gl, int w, int h) {
            mora::scene::DrawSceneFrame(gl, TheScene(), TexturesFor(gl), frame, w, h);
        };
        ExpectAgreement(draw, kSceneTolerance, "scene_frame" + std::to_string(frame), kWidth, kHeight);
    }
}

}  // namespace
}  // namespace mora_compare
