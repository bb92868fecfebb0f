// The pieces of the scene tools that need no renderer: the mip chain rule that must match MORA's,
// triangle counting, the GL table, image agreement metrics, timing summaries, reading MORA's call
// summary, the benchmark's command line and the renderers' environment.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_options.h"
#include "call_summary.h"
#include "frame_timing.h"
#include "image_compare.h"
#include "platform/file.h"
#include "recording_gl.h"
#include "renderer_environment.h"
#include "scene_textures.h"

namespace mora_compare {
namespace {

using namespace mora::scene;

// --- Mip chain --------------------------------------------------------------------------------

TEST(MipChain, OddSizesHalveAndRoundLikeTheDriver) {
    TextureImage base = MakeImage(5, 3);
    // Red channel of the 2x2 block under level-1 texel (1, 0): 1 + 2 + 2 + 2 = 7; the driver's
    // rule gives (7 + 2) >> 2 = 2 where truncating would give 1.
    Texel(base, 2, 0)[0] = 1;
    Texel(base, 3, 0)[0] = 2;
    Texel(base, 2, 1)[0] = 2;
    Texel(base, 3, 1)[0] = 2;
    Texel(base, 4, 0)[1] = 200;   // column 4 of a 5-wide level has no partner below 2 x 2: unused
    Texel(base, 0, 0)[2] = 100;
    Texel(base, 1, 0)[2] = 51;
    const std::vector<TextureImage> chain = BuildMipChain(base);
    ASSERT_EQ(chain.size(), 3u);
    EXPECT_EQ(chain[1].width, 2);
    EXPECT_EQ(chain[1].height, 1);
    EXPECT_EQ(chain[2].width, 1);
    EXPECT_EQ(chain[2].height, 1);
    EXPECT_EQ(Texel(chain[1], 1, 0)[0], 2);
    EXPECT_EQ(Texel(chain[1], 1, 0)[1], 0);
    EXPECT_EQ(Texel(chain[1], 0, 0)[2], (100 + 51 + 0 + 0 + 2) >> 2);
    // Level 2 from the 2 x 1 level: its one row is used twice.
    const int a = Texel(chain[1], 0, 0)[2];
    const int b = Texel(chain[1], 1, 0)[2];
    EXPECT_EQ(Texel(chain[2], 0, 0)[2], (a + b + a + b + 2) >> 2);
}

TEST(MipChain, LevelCountsReachOneByOne) {
    EXPECT_EQ(BuildMipChain(MakeImage(1, 1)).size(), 1u);
    EXPECT_EQ(BuildMipChain(MakeImage(64, 64)).size(), 7u);
    const std::vector<TextureImage> tall = BuildMipChain(MakeImage(1, 8));
    ASSERT_EQ(tall.size(), 4u);
    EXPECT_EQ(tall[3].width, 1);
    EXPECT_EQ(tall[3].height, 1);
}

TEST(UploadTexture, TrilinearUploadsEveryLevelOthersOnlyLevelZero) {
    SceneGl gl = RecordingGl();
    const GLuint trilinear = UploadTexture(gl, MakeImage(16, 4), TextureFilter::Trilinear, GL_REPEAT);
    const GLuint nearest = UploadTexture(gl, MakeImage(16, 4), TextureFilter::Nearest, GL_CLAMP);
    const std::vector<TexImageCall>& calls = Recorded().texImages;
    ASSERT_EQ(calls.size(), 6u);
    const GLsizei expected[5][2] = {{16, 4}, {8, 2}, {4, 1}, {2, 1}, {1, 1}};
    for (int level = 0; level < 5; ++level) {
        EXPECT_EQ(calls[static_cast<std::size_t>(level)].texture, trilinear);
        EXPECT_EQ(calls[static_cast<std::size_t>(level)].level, level);
        EXPECT_EQ(calls[static_cast<std::size_t>(level)].width, expected[level][0]);
        EXPECT_EQ(calls[static_cast<std::size_t>(level)].height, expected[level][1]);
    }
    EXPECT_EQ(calls[5].texture, nearest);
    EXPECT_EQ(calls[5].level, 0);
    EXPECT_NE(trilinear, nearest);
}

// --- GL table and counting --------------------------------------------------------------------

TEST(TrianglesSubmitted, FollowsTheDecompositionOfEachMode) {
    EXPECT_EQ(TrianglesSubmitted(GL_TRIANGLES, 7), 2u);
    EXPECT_EQ(TrianglesSubmitted(GL_TRIANGLE_STRIP, 4), 2u);
    EXPECT_EQ(TrianglesSubmitted(GL_TRIANGLE_FAN, 6), 4u);
    EXPECT_EQ(TrianglesSubmitted(GL_POLYGON, 5), 3u);
    EXPECT_EQ(TrianglesSubmitted(GL_QUADS, 3), 0u);
    EXPECT_EQ(TrianglesSubmitted(GL_QUADS, 9), 4u);
    EXPECT_EQ(TrianglesSubmitted(GL_QUAD_STRIP, 6), 4u);
    EXPECT_EQ(TrianglesSubmitted(GL_QUAD_STRIP, 3), 0u);
    EXPECT_EQ(TrianglesSubmitted(GL_TRIANGLE_FAN, 2), 0u);
    EXPECT_EQ(TrianglesSubmitted(GL_LINES, 4), 0u);
    EXPECT_EQ(TrianglesSubmitted(GL_POINTS, 9), 0u);
}

TEST(SceneGl, CountsEveryCallAndTheTrianglesOfEachPrimitive) {
    SceneGl gl = RecordingGl();
    gl.Color4f(1.0f, 1.0f, 1.0f, 1.0f);
    gl.Begin(GL_QUADS);
    for (int i = 0; i < 8; ++i) gl.Vertex2f(static_cast<float>(i), 0.0f);
    gl.End();
    const GLfloat v[3] = {0.0f, 1.0f, 2.0f};
    gl.Begin(GL_TRIANGLE_FAN);
    for (int i = 0; i < 5; ++i) gl.Vertex3fv(v);
    gl.End();
    gl.Begin(GL_LINES);
    gl.Vertex3f(0.0f, 0.0f, 0.0f);
    gl.Vertex3f(1.0f, 0.0f, 0.0f);
    gl.End();
    EXPECT_EQ(gl.calls, 1u + 10u + 7u + 4u);
    EXPECT_EQ(gl.triangles, 4u + 3u);
}

const char kAbsentEntry[] = "glTexEnvfv";
char gDummyEntry;

void* ResolveAllButOne(void*, const char* symbol) { return std::string(symbol) == kAbsentEntry ? nullptr : &gDummyEntry; }
void* ResolveAll(void*, const char*) { return &gDummyEntry; }

TEST(FillGlTable, NamesTheFirstMissingEntry) {
    GlTable table;
    std::string missing;
    EXPECT_FALSE(FillGlTable(table, &ResolveAllButOne, nullptr, &missing));
    EXPECT_EQ(missing, kAbsentEntry);
    EXPECT_EQ(table.TexEnvfv, nullptr);
    EXPECT_NE(table.Begin, nullptr);
    GlTable complete;
    EXPECT_TRUE(FillGlTable(complete, &ResolveAll, nullptr, nullptr));
    EXPECT_NE(complete.Finish, nullptr);
    EXPECT_NE(complete.TexImage2D, nullptr);
}

// --- Image agreement --------------------------------------------------------------------------

TEST(CompareImages, CountsPixelsAboveEightLevelsOnColourOnly) {
    const int w = 4;
    const int h = 2;
    std::vector<uint32_t> a(8, 0xFF404040u);
    std::vector<uint32_t> b = a;
    ImageDifference same = CompareImages(a, b, w, h);
    EXPECT_EQ(same.maxChannelDifference, 0);
    EXPECT_TRUE(std::isinf(same.psnr));
    EXPECT_EQ(same.pixelsOver8, 0u);

    b[1] = 0xFF404048u;   // blue +8: not above 8
    b[2] = 0xFF494040u;   // red +9: above
    b[3] = 0x00404040u;   // alpha only: ignored
    b[6] = 0xFF403740u;   // green -9: above, the first largest in row order is pixel 2
    const ImageDifference d = CompareImages(a, b, w, h);
    EXPECT_EQ(d.maxChannelDifference, 9);
    EXPECT_EQ(d.pixelsOver8, 2u);
    EXPECT_DOUBLE_EQ(d.shareOver8, 2.0 / 8.0);
    EXPECT_EQ(d.worstX, 2);
    EXPECT_EQ(d.worstY, 0);
    // Mean square over 8 pixels x 3 channels: (64 + 81 + 81) / 24.
    EXPECT_NEAR(d.psnr, 10.0 * std::log10(255.0 * 255.0 * 24.0 / 226.0), 1e-9);
}

TEST(CompareImages, MismatchedSizesCountAsCompletelyDifferent) {
    const std::vector<uint32_t> a(6, 0u);
    const std::vector<uint32_t> b(5, 0u);
    const ImageDifference d = CompareImages(a, b, 3, 2);
    EXPECT_EQ(d.maxChannelDifference, 255);
    EXPECT_DOUBLE_EQ(d.shareOver8, 1.0);
    EXPECT_EQ(CompareImages({}, {}, 0, 0).maxChannelDifference, 255);
}

TEST(DifferenceImage, ScalesEachChannelAndSaturates) {
    const std::vector<uint32_t> d = DifferenceImage({0xFF102030u, 0x00000000u}, {0x00122000u, 0x00FF0001u});
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0], 0xFF0800C0u);   // red 2 x 4, green 0, blue 48 x 4; alpha opaque
    EXPECT_EQ(d[1], 0xFFFF0004u);   // red 255 x 4 saturates
}

// --- Timing -----------------------------------------------------------------------------------

TEST(SummarizeTimes, MedianPercentileAndMean) {
    EXPECT_DOUBLE_EQ(SummarizeTimes({3.0, 1.0, 2.0}).medianMs, 2.0);
    EXPECT_DOUBLE_EQ(SummarizeTimes({4.0, 1.0, 3.0, 2.0}).medianMs, 2.5);
    std::vector<double> twenty;
    for (int i = 20; i >= 1; --i) twenty.push_back(i);
    const TimingSummary s = SummarizeTimes(twenty);
    EXPECT_DOUBLE_EQ(s.p95Ms, 19.0);   // 19 of 20 frames (95%) take at most 19
    EXPECT_DOUBLE_EQ(s.meanMs, 10.5);
    EXPECT_DOUBLE_EQ(s.framesPerSecond, 1000.0 / 10.5);
    std::vector<double> hundred;
    for (int i = 1; i <= 100; ++i) hundred.push_back(i);
    EXPECT_DOUBLE_EQ(SummarizeTimes(hundred).p95Ms, 95.0);
    EXPECT_DOUBLE_EQ(SummarizeTimes({7.0}).p95Ms, 7.0);
    const TimingSummary none = SummarizeTimes({});
    EXPECT_EQ(none.meanMs, 0.0);
    EXPECT_EQ(none.framesPerSecond, 0.0);
}

// --- Call summary -----------------------------------------------------------------------------

// A summary as the driver writes it (count lines, then the merged profile with a scope nested at
// two places, then the per-thread breakdown that must not be counted again).
std::string SummaryText(unsigned long long swaps, double renderMs, double macroTileMs, double loopMs) {
    std::string text = "=== MORA GL/WGL call summary (process lifetime) ===\n\nTotal API calls: 5000  (across 3/363 functions)\n\n";
    char line[256];
    std::snprintf(line, sizeof line, "    %-32s : %14llu\n", "glVertex3fv", 4000ull);
    text += line;
    std::snprintf(line, sizeof line, "    %-32s : %14llu\n", "wglSwapBuffers", swaps);
    text += line;
    std::snprintf(line, sizeof line, "    %-32s : %14llu    [unimplemented, never called]\n", "glRectf", 0ull);
    text += line;
    text += "\n=== MORA scoped profile (merged across 3 thread(s)) ===\n[compiled with MORA_PROFILING=1; define 0 to "
            "disable.]\n[columns: calls | total ms | %% of parent | mean us | min us | max us]\n\n";
    const auto node = [&](int depth, const char* name, double ms) {
        std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
        std::snprintf(line, sizeof line, "%-50s calls=%10llu  total=%10.3f ms (%6.2f%%)  mean=%10.2f us  min=%10.2f us  max=%10.2f us\n",
                      name, 10ull, ms, 50.0, 1.0, 1.0, 1.0);
        text += indent + line;
    };
    node(0, "mora::RenderFrame", renderMs);
    node(1, "RJQ::RenderJobQueue::WaitIdle", renderMs * 0.9);
    node(0, "RJQ::Worker::ExecuteTiles", loopMs);
    node(1, "mora::WorkerLoopEntry", loopMs * 0.5);
    node(2, "mora::RenderMacroTile", macroTileMs * 0.5);
    node(1, "mora::WorkerLoopEntry", loopMs * 0.5);
    node(2, "mora::RenderMacroTile", macroTileMs * 0.5);
    text += "\n=== MORA scoped profile: per-thread breakdown ===\n\n-- thread[0] (main/first) --\n";
    node(0, "mora::RenderFrame", 1000.0);
    return text;
}

TEST(CallSummary, ReadsSwapCountAndMergedProfileOnly) {
    const CallSummaryReading r = ParseCallSummary(SummaryText(120, 300.0, 400.0, 500.0));
    EXPECT_TRUE(r.valid);
    EXPECT_TRUE(r.hasProfile);
    EXPECT_EQ(r.swapBuffersCalls, 120u);
    ASSERT_EQ(r.scopes.count("mora::RenderFrame"), 1u);
    EXPECT_NEAR(r.scopes.at("mora::RenderFrame").totalMs, 300.0, 1e-3);
    EXPECT_NEAR(r.scopes.at("mora::RenderMacroTile").totalMs, 400.0, 1e-3);
    EXPECT_EQ(r.scopes.at("mora::WorkerLoopEntry").calls, 20u);
}

TEST(CallSummary, StageSplitIsPerFrameBetweenTwoReadings) {
    const CallSummaryReading before = ParseCallSummary(SummaryText(60, 100.0, 100.0, 200.0));
    const CallSummaryReading after = ParseCallSummary(SummaryText(120, 400.0, 700.0, 1000.0));
    const StageSplit split = StageSplitBetween(before, after);
    ASSERT_TRUE(split.available);
    EXPECT_EQ(split.frames, 60u);
    EXPECT_NEAR(split.renderFrameMs, 300.0 / 60.0, 1e-6);
    EXPECT_NEAR(split.rasterWorkerMs, 600.0 / 60.0, 1e-6);
    EXPECT_NEAR(split.binWorkerMs, (800.0 - 600.0) / 60.0, 1e-6);
    EXPECT_FALSE(StageSplitBetween(after, before).available);
    EXPECT_FALSE(StageSplitBetween(CallSummaryReading{}, after).available);
    EXPECT_FALSE(ParseCallSummary("no summary here\n").valid);
}

// --- Command line and environment -------------------------------------------------------------

BenchOptions Parse(std::vector<const char*> arguments, bool expectOk) {
    arguments.insert(arguments.begin(), "mora-scenebench");
    BenchOptions options;
    std::string error;
    const bool ok = ParseBenchOptions(static_cast<int>(arguments.size()), arguments.data(), options, &error);
    EXPECT_EQ(ok, expectOk) << error;
    if (!ok) {
        EXPECT_FALSE(error.empty());
    }
    return options;
}

TEST(BenchOptions, ParsesEveryOption) {
    const BenchOptions o = Parse({"--size", "1280x720", "--frames", "50", "--threads", "2", "--seed", "99", "--vrs", "0",
                                  "--png-frames", "0,10,49", "--png-dir", "/tmp/x", "--mora-only", "--warmup", "0"},
                                 true);
    EXPECT_EQ(o.width, 1280);
    EXPECT_EQ(o.height, 720);
    EXPECT_EQ(o.frames, 50);
    EXPECT_EQ(o.threads, 2);
    EXPECT_EQ(o.seed, 99u);
    EXPECT_EQ(o.vrsRate, 0);
    EXPECT_EQ(o.pngFrames, (std::vector<int>{0, 10, 49}));
    EXPECT_EQ(o.pngDirectory, "/tmp/x");
    EXPECT_TRUE(o.moraOnly);
    EXPECT_EQ(o.warmupFrames, 0);
}

TEST(BenchOptions, RejectsMalformedValues) {
    Parse({"--size", "640"}, false);
    Parse({"--size", "0x480"}, false);
    Parse({"--size", "640x480x2"}, false);
    Parse({"--frames", "-3"}, false);
    Parse({"--frames", "12abc"}, false);
    Parse({"--threads", "0"}, false);
    Parse({"--vrs", "3"}, false);
    Parse({"--seed", "-1"}, false);
    Parse({"--png-frames", "1,,2"}, false);
    Parse({"--frames"}, false);
    Parse({"--bogus", "1"}, false);
}

TEST(RendererEnvironment, SetsThreadsAndAPrivateSettingsFileThenRemovesIt) {
    std::string folder;
    {
        RendererEnvironment environment;
        std::string error;
        ASSERT_TRUE(PrepareRendererEnvironment(environment, 3, 0, &error)) << error;
        folder = environment.configHome;
        ASSERT_STREQ(std::getenv("XDG_CONFIG_HOME"), folder.c_str());
        EXPECT_STREQ(std::getenv("MORA_THREADS"), "3");
        EXPECT_STREQ(std::getenv("LP_NUM_THREADS"), "3");
        std::string text;
        ASSERT_TRUE(mora::platform::ReadWholeFile((folder + "/mora/driver.ini").c_str(), text));
        EXPECT_EQ(text, "ForceVrsRate=0\n");
    }
    EXPECT_FALSE(mora::platform::FileExists((folder + "/mora/driver.ini").c_str()));
}

}  // namespace
}  // namespace mora_compare
