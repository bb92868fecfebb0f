#include "compare_session.h"

#include <cstdio>
#include <cstdlib>

#include "png_file.h"
#include "renderer_environment.h"
#include "scene.h"

namespace mora_compare {

namespace {

using mora::scene::Renderer;

constexpr int kThreads = 2;   // MORA workers and llvmpipe threads; small, the machine is shared
constexpr int kVrsOff = 0;    // full-rate shading: quarter rate is MORA's by design, not GL's

struct Session {
    mora::scene::RendererEnvironment environment;
    RendererPair pair;
    bool tried = false;
    bool ready = false;
    std::string skip;
    std::string error;
};

Session& TheSession() {
    static Session session;
    return session;
}

// Loads both libraries once per process. The environment goes first: both read their thread
// count, and MORA its settings, when they load.
void OpenOnce(Session& s, int width, int height) {
    s.tried = true;
    const std::string osmesaPath = MORA_SCENE_OSMESA_LIBRARY;
    if (osmesaPath.empty()) {
        s.skip = "OSMesa development files were not found when this test was built (install libosmesa6-dev)";
        return;
    }
    if (!mora::scene::PrepareRendererEnvironment(s.environment, kThreads, kVrsOff, &s.error)) return;
    if (!mora::scene::OpenMoraRenderer(s.pair.mora, MORA_SCENE_MORA_LIBRARY, width, height, &s.error)) return;
    std::string osmesaError;
    if (!mora::scene::OpenOsmesaRenderer(s.pair.osmesa, osmesaPath, width, height, &osmesaError)) {
        s.skip = "OSMesa cannot be loaded: " + osmesaError;
        return;
    }
    s.ready = true;
}

bool RenderOne(Renderer& renderer, const DrawFunction& draw, int width, int height, std::vector<uint32_t>& pixels,
               std::string* error) {
    if (!mora::scene::ResizeRenderer(renderer, width, height, error)) return false;
    // Every frame starts from GL's default state on a cleared black window: MORA presents through
    // a ring of images, so an uncleared frame would start from an older frame's pixels.
    mora::scene::ResetGlState(renderer.gl, width, height);
    renderer.gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw(renderer.gl, width, height);
    mora::scene::EndFrame(renderer);
    if (mora::scene::ReadFrame(renderer, pixels)) return true;
    if (error != nullptr) *error = std::string(renderer.name) + ": the frame could not be read back";
    return false;
}

void DumpPictures(const FramePair& frames, const std::string& name) {
    const char* folder = std::getenv("MORA_COMPARE_DUMP_DIR");
    if (folder == nullptr || folder[0] == '\0') return;
    const std::string base = std::string(folder) + "/" + name;
    mora::png::WriteArgbPng(base + "_mora.png", frames.width, frames.height, frames.mora, nullptr);
    mora::png::WriteArgbPng(base + "_osmesa.png", frames.width, frames.height, frames.osmesa, nullptr);
    mora::png::WriteArgbPng(base + "_difference.png", frames.width, frames.height,
                            mora::scene::DifferenceImage(frames.mora, frames.osmesa), nullptr);
}

}  // namespace

RendererPair* Renderers(int width, int height, std::string* skip, std::string* error) {
    Session& s = TheSession();
    if (!s.tried) OpenOnce(s, width, height);
    if (!s.ready) {
        if (skip != nullptr) *skip = s.skip;
        if (error != nullptr) *error = s.error;
        return nullptr;
    }
    return &s.pair;
}

bool RenderBoth(RendererPair& pair, const DrawFunction& draw, FramePair& frames, std::string* error) {
    return RenderOne(pair.mora, draw, frames.width, frames.height, frames.mora, error) &&
           RenderOne(pair.osmesa, draw, frames.width, frames.height, frames.osmesa, error);
}

::testing::AssertionResult Agrees(const FramePair& frames, const Tolerance& tolerance, const std::string& name) {
    const ImageDifference d = mora::scene::CompareImages(frames.mora, frames.osmesa, frames.width, frames.height);
    // Printed for every comparison, so a run shows how much margin each tolerance has.
    std::printf("[ compare  ] %s: %s\n", name.c_str(), mora::scene::DescribeDifference(d).c_str());
    DumpPictures(frames, name);
    const bool ok = d.maxChannelDifference <= tolerance.maxChannelDifference && d.psnr >= tolerance.minPsnr &&
                    d.shareOver8 <= tolerance.maxShareOver8;
    if (ok) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << name << ": " << mora::scene::DescribeDifference(d) << "; allowed: max "
                                         << tolerance.maxChannelDifference << ", PSNR >= " << tolerance.minPsnr
                                         << " dB, share over 8 <= " << tolerance.maxShareOver8 * 100.0 << "%";
}

}  // namespace mora_compare
