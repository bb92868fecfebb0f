#include "compare_session.h"

#include <vector>

#include "image_compare.h"
#include "renderer.h"
#include "renderer_environment.h"
#include "scene.h"

namespace mora_compare {

namespace {

using mora::scene::Renderer;

constexpr int kThreads = 2;  // MORA workers and llvmpipe threads; small, the machine is shared
constexpr int kVrsOff = 0;   // full-rate shading: quarter rate is MORA's by design, not GL's

// Both renderers; `skip` says why OSMesa is missing, `error` why MORA could not be loaded.
struct Session {
    mora::scene::RendererEnvironment environment;
    Renderer mora;
    Renderer osmesa;
    bool tried = false;
    bool ready = false;
    std::string skip;
    std::string error;
};

// Loads both libraries once per process. The environment goes first: both read their thread
// count, and MORA its settings, when they load.
Session& OpenOnce(int width, int height) {
    static Session s;
    if (s.tried) return s;
    s.tried = true;
    const std::string osmesaPath = MORA_SCENE_OSMESA_LIBRARY;
    if (osmesaPath.empty()) {
        s.skip = "OSMesa development files were not found when this test was built (install libosmesa6-dev)";
        return s;
    }
    if (!mora::scene::PrepareRendererEnvironment(s.environment, kThreads, kVrsOff, &s.error)) return s;
    if (!mora::scene::OpenMoraRenderer(s.mora, MORA_SCENE_MORA_LIBRARY, width, height, &s.error)) return s;
    std::string osmesaError;
    if (!mora::scene::OpenOsmesaRenderer(s.osmesa, osmesaPath, width, height, &osmesaError)) {
        s.skip = "OSMesa cannot be loaded: " + osmesaError;
        return s;
    }
    s.ready = true;
    return s;
}

bool RenderOne(Renderer& renderer, const DrawFunction& draw, int width, int height, std::vector<uint32_t>& pixels,
               std::string& error) {
    if (!mora::scene::ResizeRenderer(renderer, width, height, &error)) return false;
    // Every frame starts from GL's default state on a cleared black window: MORA presents through
    // a ring of images, so an uncleared frame would start from an older frame's pixels.
    mora::scene::ResetGlState(renderer.gl, width, height);
    renderer.gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw(renderer.gl, width, height);
    mora::scene::EndFrame(renderer);
    if (mora::scene::ReadFrame(renderer, pixels)) return true;
    error = std::string(renderer.name) + ": the frame could not be read back";
    return false;
}

}  // namespace

void ExpectAgreement(const DrawFunction& draw, const Tolerance& tolerance, const std::string& name, int width,
                     int height) {
    Session& s = OpenOnce(width, height);
    if (!s.skip.empty()) GTEST_SKIP() << s.skip;
    ASSERT_TRUE(s.ready) << s.error;
    std::vector<uint32_t> mora;
    std::vector<uint32_t> osmesa;
    std::string error;
    ASSERT_TRUE(RenderOne(s.mora, draw, width, height, mora, error) &&
                RenderOne(s.osmesa, draw, width, height, osmesa, error))
        << error;
    const mora::scene::ImageDifference d = mora::scene::CompareImages(mora, osmesa, width, height);
    const std::string description = mora::scene::DescribeDifference(d);
    EXPECT_TRUE(d.maxChannelDifference <= tolerance.maxChannelDifference && d.psnr >= tolerance.minPsnr &&
                d.shareOver8 <= tolerance.maxShareOver8)
        << name << ": " << description << "; allowed: max " << tolerance.maxChannelDifference
        << ", PSNR >= " << tolerance.minPsnr << " dB, share over 8 <= " << tolerance.maxShareOver8 * 100.0 << "%";
}

void PixelProjection(SceneGl& gl, int width, int height) {
    gl.MatrixMode(GL_PROJECTION);
    gl.LoadIdentity();
    gl.Ortho(0.0, width, 0.0, height, -1.0, 1.0);
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadIdentity();
}

mora::scene::TextureImage PatternImage(int size) {
    mora::scene::TextureImage image = mora::scene::MakeImage(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            uint8_t* t = mora::scene::Texel(image, x, y);
            t[0] = static_cast<uint8_t>(x * 255 / (size - 1));
            t[1] = static_cast<uint8_t>(y * 255 / (size - 1));
            t[2] = ((x / 4 + y / 4) % 2) != 0 ? 230 : 40;
            t[3] = static_cast<uint8_t>((x * 4 + y * 7) & 0xFF);
        }
    }
    return image;
}

}  // namespace mora_compare
