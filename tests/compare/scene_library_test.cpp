// The pieces of the scene tools that need no renderer and that the benchmark's figures rest on:
// the mip chain rule that must match MORA's, triangle counting, the GL table, image agreement
// metrics, timing summaries, reading MORA's call summary, the command line and the renderers'
// environment.
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

TEST(MipChain, OddSizesHalveAndRoundLikeTheDriver) {
    TextureImage base = MakeImage(5, 3);
    // Red channel of the 2x2 block under level-1 texel (1, 0): 1 + 2 + 2 + 2 = 7; the driver's
    // rule gives (7 + 2) >> 2 = 2 where truncating would give 1.
    Texel(base, 2, 0)[0] = 1;
    Texel(base, 3, 0)[0] = Texel(base, 2, 1)[0] = Texel(base, 3, 1)[0] = 2;
    Texel(base, 4, 0)[1] = 200;   // column 4 of a 5-wide level has no partner below 2 x 2: unused
    Texel(base, 0, 0)[2] = 100;
    Texel(base, 1, 0)[2] = 51;
    const std::vector<TextureImage> chain = BuildMipChain(base);
    ASSERT_EQ(chain.size(), 3u);
    EXPECT_EQ((std::vector<int>{chain[1].width, chain[1].height, chain[2].width, chain[2].height}),
              (std::vector<int>{2, 1, 1, 1}));
    EXPECT_EQ(Texel(chain[1], 1, 0)[0], 2);
    EXPECT_EQ(Texel(chain[1], 1, 0)[1], 0);
    EXPECT_EQ(Texel(chain[1], 0, 0)[2], (100 + 51 + 0 + 0 + 2) >> 2);
    // Level 2 from the 2 x 1 level: its one row is used twice.
    const int a = Texel(chain[1], 0, 0)[2];
    const int b = Texel(chain[1], 1, 0)[2];
    EXPECT_EQ(Texel(chain[2], 0, 0)[2], (a + b + a + b + 2) >> 2);
    // Level counts reach 1 x 1 on both axes.
    EXPECT_EQ(BuildMipChain(MakeImage(1, 1)).size(), 1u);
    EXPECT_EQ(BuildMipChain(MakeImage(64, 64)).size(), 7u);
    const std::vector<TextureImage> tall = BuildMipChain(MakeImage(1, 8));
    EXPECT_EQ(tall.size(), 4u);
    EXPECT_EQ(tall.back().width + tall.back().height, 2);
}

TEST(UploadTexture, TrilinearUploadsEveryLevelOthersOnlyLevelZero) {
    SceneGl gl = RecordingGl();
    const GLuint trilinear = UploadTexture(gl, MakeImage(16, 4), TextureFilter::Trilinear, GL_REPEAT);
    const GLuint nearest = UploadTexture(gl, MakeImage(16, 4), TextureFilter::Nearest, GL_CLAMP);
    ASSERT_NE(trilinear, nearest);
    const TexImageCall expected[6] = {{trilinear, 0, 16, 4}, {trilinear, 1, 8, 2}, {trilinear, 2, 4, 1},
                                      {trilinear, 3, 2, 1},  {trilinear, 4, 1, 1}, {nearest, 0, 16, 4}};
    const std::vector<TexImageCall>& calls = Recorded().texImages;
    ASSERT_EQ(calls.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_TRUE(calls[i].texture == expected[i].texture && calls[i].level == expected[i].level &&
                    calls[i].width == expected[i].width && calls[i].height == expected[i].height)
            << "call " << i << ": texture " << calls[i].texture << " level " << calls[i].level << " "
            << calls[i].width << "x" << calls[i].height;
    }
}

TEST(TrianglesSubmitted, FollowsTheDecompositionOfEachMode) {
    const struct {
        GLenum mode;
        int vertices;
        uint64_t triangles;
    } cases[] = {{GL_TRIANGLES, 7, 2},  {GL_TRIANGLE_STRIP, 4, 2}, {GL_TRIANGLE_FAN, 6, 4}, {GL_POLYGON, 5, 3},
                 {GL_QUADS, 3, 0},      {GL_QUADS, 9, 4},          {GL_QUAD_STRIP, 6, 4},   {GL_QUAD_STRIP, 3, 0},
                 {GL_TRIANGLE_FAN, 2, 0}, {GL_LINES, 4, 0},        {GL_POINTS, 9, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(TrianglesSubmitted(c.mode, c.vertices), c.triangles) << "mode " << c.mode << " x " << c.vertices;
    }
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

char gDummyEntry;
void* ResolveAllButTexEnvfv(void*, const char* symbol) {
    return std::string(symbol) == "glTexEnvfv" ? nullptr : &gDummyEntry;
}
void* ResolveAll(void*, const char*) { return &gDummyEntry; }

TEST(FillGlTable, NamesTheFirstMissingEntry) {
    GlTable table;
    std::string missing;
    EXPECT_FALSE(FillGlTable(table, &ResolveAllButTexEnvfv, nullptr, &missing));
    EXPECT_EQ(missing, "glTexEnvfv");
    EXPECT_EQ(table.TexEnvfv, nullptr);
    GlTable complete;
    EXPECT_TRUE(FillGlTable(complete, &ResolveAll, nullptr, nullptr));
    EXPECT_NE(complete.Finish, nullptr);
    EXPECT_NE(complete.TexImage2D, nullptr);
}

TEST(CompareImages, CountsPixelsAboveEightLevelsOnColourOnly) {
    std::vector<uint32_t> a(8, 0xFF404040u);
    std::vector<uint32_t> b = a;
    const ImageDifference same = CompareImages(a, b, 4, 2);
    EXPECT_EQ(same.maxChannelDifference, 0);
    EXPECT_TRUE(std::isinf(same.psnr));
    EXPECT_EQ(same.pixelsOver8, 0u);

    b[1] = 0xFF404048u;   // blue +8: not above 8
    b[2] = 0xFF494040u;   // red +9: above
    b[3] = 0x00404040u;   // alpha only: ignored
    b[6] = 0xFF403740u;   // green -9: above, the first largest in row order is pixel 2
    const ImageDifference d = CompareImages(a, b, 4, 2);
    EXPECT_EQ(d.maxChannelDifference, 9);
    EXPECT_EQ(d.pixelsOver8, 2u);
    EXPECT_DOUBLE_EQ(d.shareOver8, 2.0 / 8.0);
    EXPECT_EQ(d.worstX, 2);
    EXPECT_EQ(d.worstY, 0);
    // Mean square over 8 pixels x 3 channels: (64 + 81 + 81) / 24.
    EXPECT_NEAR(d.psnr, 10.0 * std::log10(255.0 * 255.0 * 24.0 / 226.0), 1e-9);

    // Mismatched sizes count as completely different.
    const ImageDifference mismatch = CompareImages(std::vector<uint32_t>(6, 0u), std::vector<uint32_t>(5, 0u), 3, 2);
    EXPECT_EQ(mismatch.maxChannelDifference, 255);
    EXPECT_DOUBLE_EQ(mismatch.shareOver8, 1.0);
    EXPECT_EQ(CompareImages({}, {}, 0, 0).maxChannelDifference, 255);
}

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
    EXPECT_EQ(SummarizeTimes({}).framesPerSecond, 0.0);
}

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
        std::snprintf(line, sizeof line, "%-50s calls=%10llu  total=%10.3f ms (%6.2f%%)  mean=%10.2f us  min=%10.2f us  max=%10.2f us\n",
                      name, 10ull, ms, 50.0, 1.0, 1.0, 1.0);
        text += std::string(static_cast<std::size_t>(depth) * 2, ' ') + line;
    };
    node(0, "mora::RenderFrame", renderMs);
    node(1, "RJQ::RenderJobQueue::WaitIdle", renderMs * 0.9);
    node(0, "RJQ::Worker::ExecuteTiles", loopMs);
    for (int i = 0; i < 2; ++i) {
        node(1, "mora::WorkerLoopEntry", loopMs * 0.5);
        node(2, "mora::RenderMacroTile", macroTileMs * 0.5);
    }
    text += "\n=== MORA scoped profile: per-thread breakdown ===\n\n-- thread[0] (main/first) --\n";
    node(0, "mora::RenderFrame", 1000.0);
    return text;
}

TEST(CallSummary, ReadsSwapsAndTheMergedProfileAndSplitsStagesPerFrame) {
    const CallSummaryReading before = ParseCallSummary(SummaryText(60, 100.0, 100.0, 200.0));
    const CallSummaryReading after = ParseCallSummary(SummaryText(120, 400.0, 700.0, 1000.0));
    EXPECT_TRUE(after.valid);
    EXPECT_TRUE(after.hasProfile);
    EXPECT_EQ(after.swapBuffersCalls, 120u);
    ASSERT_EQ(after.scopes.count("mora::RenderFrame"), 1u);
    EXPECT_NEAR(after.scopes.at("mora::RenderFrame").totalMs, 400.0, 1e-3);   // not the per-thread 1000
    EXPECT_NEAR(after.scopes.at("mora::RenderMacroTile").totalMs, 700.0, 1e-3);
    EXPECT_EQ(after.scopes.at("mora::WorkerLoopEntry").calls, 20u);

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

bool Parse(std::vector<const char*> arguments, BenchOptions& options) {
    arguments.insert(arguments.begin(), "mora-scenebench");
    std::string error;
    const bool ok = ParseBenchOptions(static_cast<int>(arguments.size()), arguments.data(), options, &error);
    EXPECT_EQ(ok, error.empty()) << error;
    return ok;
}

TEST(BenchOptions, ParsesEveryOptionAndRejectsMalformedValues) {
    BenchOptions o;
    ASSERT_TRUE(Parse({"--size", "1280x720", "--frames", "50", "--threads", "2", "--seed", "99", "--vrs", "0",
                       "--png-frames", "0,10,49", "--png-dir", "/tmp/x", "--mora-only", "--warmup", "0"},
                      o));
    EXPECT_EQ((std::vector<int>{o.width, o.height, o.frames, o.threads, o.vrsRate, o.warmupFrames}),
              (std::vector<int>{1280, 720, 50, 2, 0, 0}));
    EXPECT_EQ(o.seed, 99u);
    EXPECT_EQ(o.pngFrames, (std::vector<int>{0, 10, 49}));
    EXPECT_EQ(o.pngDirectory, "/tmp/x");
    EXPECT_TRUE(o.moraOnly);

    const std::vector<std::vector<const char*>> bad = {
        {"--size", "640"},    {"--size", "0x480"},   {"--size", "640x480x2"}, {"--frames", "-3"},
        {"--frames", "12abc"}, {"--threads", "0"},   {"--vrs", "3"},          {"--seed", "-1"},
        {"--png-frames", "1,,2"}, {"--frames"},      {"--bogus", "1"}};
    for (const auto& arguments : bad) {
        BenchOptions rejected;
        EXPECT_FALSE(Parse(arguments, rejected)) << arguments[0] << " " << (arguments.size() > 1 ? arguments[1] : "");
    }
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
