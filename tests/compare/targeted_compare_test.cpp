// Small scenes, one feature each, drawn through MORA and through OSMesa (llvmpipe) with the same GL
// calls and compared: every blend mode, every texture environment, the three filter classes,
// the alpha test, every depth function, and both windings under every culling setting. (Clipping
// at the frustum planes is compared in the scene frames, whose walls cross every plane.) MORA runs
// with variable-rate shading off (see compare_session.cpp).
//
// Why MORA and llvmpipe differ at all, and so what the tolerances allow for:
// - MORA truncates every colour to 8 bits at packing (modulate, blending and interpolated colours
//   all round down), llvmpipe rounds: 1 level per stage, so 1 to 3 levels after a few stages.
// - llvmpipe filters bilinearly with 8-bit fixed-point weights, MORA in single precision:
//   a level or two more where neighbouring texels differ strongly.
// - Coverage: llvmpipe snaps vertices to 1/256 pixel, MORA keeps floats with its own edge
//   tie-break, so a pixel whose centre lies within rounding of an edge may go either way. Where
//   a scene has edges inside the view, a few pixels along them may differ completely; those
//   comparisons bound the share of pixels off by more than 8 levels instead of the largest
//   difference.
// Each case of a table carries its name, which labels its comparison.
// Textures are never deleted in the frame that draws with them: MORA executes all of a frame's
// commands before it draws any triangle, so a texture deleted or re-specified later in a frame
// changes that frame's earlier draws too.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>

#include "compare_session.h"
#include "scene.h"
#include "scene_textures.h"

namespace mora_compare {
namespace {

using mora::scene::MakeImage;
using mora::scene::Texel;
using mora::scene::TextureFilter;
using mora::scene::TextureImage;
using mora::scene::UploadTexture;

constexpr int kSize = 128;              // every targeted scene is kSize x kSize pixels
constexpr GLint kClampToEdge = 0x812F;  // GL 1.2's name; MORA clamps to the edge for it as for GL_CLAMP

struct Corner {
    float x, y;
    float s, t;
    float r, g, b, a;
};

void Quad(SceneGl& gl, const Corner (&corners)[4]) {
    gl.Begin(GL_QUADS);
    for (const Corner& c : corners) {
        gl.Color4f(c.r, c.g, c.b, c.a);
        gl.TexCoord2f(c.s, c.t);
        gl.Vertex2f(c.x, c.y);
    }
    gl.End();
}

// The whole window, corners on pixel boundaries (no pixel centre lies on an edge), texture
// coordinates s0..s1 and t0..t1, a different colour at every corner.
void FullScreenQuad(SceneGl& gl, int w, int h, float s0, float t0, float s1, float t1, float alphaLow,
                    float alphaHigh) {
    const float fw = static_cast<float>(w);
    const float fh = static_cast<float>(h);
    const Corner corners[4] = {{0.0f, 0.0f, s0, t0, 0.9f, 0.2f, 0.1f, alphaLow},
                               {fw, 0.0f, s1, t0, 0.2f, 0.8f, 0.3f, alphaLow},
                               {fw, fh, s1, t1, 0.1f, 0.3f, 0.9f, alphaHigh},
                               {0.0f, fh, s0, t1, 0.95f, 0.9f, 0.85f, alphaHigh}};
    Quad(gl, corners);
}

// Smooth detail at several scales, so that neighbouring mip levels differ but not wildly.
TextureImage DetailImage(int size) {
    TextureImage image = MakeImage(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            uint8_t* t = Texel(image, x, y);
            t[0] = static_cast<uint8_t>(128 + 100 * std::sin(static_cast<float>(x) * 0.39f));
            t[1] =
                static_cast<uint8_t>(128 + 100 * std::sin(static_cast<float>(y) * 0.2f + static_cast<float>(x) * 0.1f));
            t[2] = static_cast<uint8_t>(((x / 8 + y / 8) % 2) != 0 ? 200 : 60);
            t[3] = 255;
        }
    }
    return image;
}

// Texturing on, from `image` with the filter, wrap mode and texture environment given.
void Textured(SceneGl& gl, const TextureImage& image, TextureFilter filter, GLint wrap, GLint environment) {
    gl.Enable(GL_TEXTURE_2D);
    UploadTexture(gl, image, filter, wrap);
    gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, environment);
}

void Compare(const DrawFunction& draw, const Tolerance& tolerance, const std::string& name) {
    ExpectAgreement(draw, tolerance, name, kSize, kSize);
}

// --- Blending ---------------------------------------------------------------------------------

// A smooth opaque background, then a smooth overlay whose alpha runs 0..1 bottom to top, both
// covering the whole window: no edges, so every pixel must agree within the rounding of two
// colour stages and one blend (MORA truncates each, llvmpipe rounds).
TEST(BlendModes, AgreeOverSmoothColours) {
    const struct {
        const char* name;
        GLenum source, destination;
    } modes[] = {{"additive", GL_ONE, GL_ONE},
                 {"multiplicative", GL_ZERO, GL_SRC_COLOR},
                 {"alpha", GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA},
                 {"multiplicative_swapped", GL_DST_COLOR, GL_ZERO},
                 {"additive_alpha", GL_SRC_ALPHA, GL_ONE},
                 {"double_multiplicative", GL_DST_COLOR, GL_SRC_COLOR},
                 {"inverse_source_colour", GL_ZERO, GL_ONE_MINUS_SRC_COLOR},
                 {"premultiplied_alpha", GL_ONE, GL_ONE_MINUS_SRC_ALPHA}};
    for (const auto& blend : modes) {
        const auto draw = [&blend](SceneGl& gl, int w, int h) {
            PixelProjection(gl, w, h);
            FullScreenQuad(gl, w, h, 0, 0, 1, 1, 1.0f, 1.0f);
            gl.Enable(GL_BLEND);
            gl.BlendFunc(blend.source, blend.destination);
            // The overlay's corner colours run the other way round.
            const float fw = static_cast<float>(w);
            const float fh = static_cast<float>(h);
            const Corner overlay[4] = {{0.0f, 0.0f, 0, 0, 0.2f, 0.5f, 0.9f, 0.0f},
                                       {fw, 0.0f, 0, 0, 0.9f, 0.9f, 0.1f, 0.0f},
                                       {fw, fh, 0, 0, 0.6f, 0.1f, 0.4f, 1.0f},
                                       {0.0f, fh, 0, 0, 0.3f, 0.7f, 0.5f, 1.0f}};
            Quad(gl, overlay);
        };
        Compare(draw, Tolerance{4, 40.0, 0.0}, std::string("blend_") + blend.name);
    }
}

// --- Scissor ---------------------------------------------------------------------------------------

// Clears and smooth triangles limited to scissor boxes whose edges cut through micro tiles, one
// reaching past the window: pixels inside a box agree within the rounding of the colour stages,
// pixels outside keep what was there. Triangle edges lie outside the window, so no coverage
// tie-break is involved. The clears come first in the frame (clears after drawing are not in order
// yet), and paint one box while four scissored quads paint the rest of the window.
TEST(Scissor, LimitsClearsAndTriangles) {
    const struct {
        const char* name;
        bool clear;
    } cases[] = {{"scissor_clear", true}, {"scissor_triangles", false}};
    for (const auto& c : cases) {
        const auto draw = [&c](SceneGl& gl, int w, int h) {
            PixelProjection(gl, w, h);
            gl.Enable(GL_SCISSOR_TEST);
            if (c.clear) {
                gl.Scissor(13, 21, 50, 37);
                gl.ClearColor(0.3f, 0.6f, 0.2f, 1.0f);
                gl.ClearDepth(0.25);
                gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
                // The rest of the window at depth 0.9 (eye z -0.8 in this projection).
                gl.Enable(GL_DEPTH_TEST);
                gl.DepthFunc(GL_ALWAYS);
                gl.Translatef(0.0f, 0.0f, -0.8f);
                const GLint rest[4][4] = {{0, 0, 13, 128}, {63, 0, 65, 128}, {13, 0, 50, 21}, {13, 58, 50, 70}};
                for (const auto& box : rest) {
                    gl.Scissor(box[0], box[1], box[2], box[3]);
                    FullScreenQuad(gl, w, h, 0, 0, 1, 1, 1.0f, 1.0f);
                }
                // Depth 0.5 passes LESS outside the cleared box only.
                gl.LoadIdentity();
                gl.Disable(GL_SCISSOR_TEST);
                gl.DepthFunc(GL_LESS);
                gl.Color4f(0.8f, 0.1f, 0.7f, 1.0f);
                gl.Begin(GL_QUADS);
                gl.Vertex2f(40.0f, -8.0f);
                gl.Vertex2f(static_cast<float>(w + 8), -8.0f);
                gl.Vertex2f(static_cast<float>(w + 8), static_cast<float>(h + 8));
                gl.Vertex2f(40.0f, static_cast<float>(h + 8));
                gl.End();
                return;
            }
            gl.Scissor(0, 0, w, h);
            FullScreenQuad(gl, w, h, 0, 0, 1, 1, 1.0f, 1.0f);
            const float fw = static_cast<float>(w), fh = static_cast<float>(h);
            // Corner colours on one plane: the quad is clipped at the window, and a clipped
            // quad's triangles may take the other diagonal than llvmpipe's.
            const Corner overlay[4] = {{-8.0f, -8.0f, 0, 0, 0.2f, 0.3f, 0.6f, 0.6f},
                                       {fw + 8, -8.0f, 0, 0, 0.7f, 0.4f, 0.2f, 0.6f},
                                       {fw + 8, fh + 8, 0, 0, 0.8f, 0.9f, 0.1f, 0.6f},
                                       {-8.0f, fh + 8, 0, 0, 0.3f, 0.8f, 0.5f, 0.6f}};
            gl.Scissor(13, 21, 50, 37);
            Quad(gl, overlay);
            gl.Scissor(101, -5, 400, 30);
            gl.Enable(GL_BLEND);
            gl.BlendFunc(GL_SRC_ALPHA, GL_ONE);
            Quad(gl, overlay);
        };
        Compare(draw, Tolerance{4, 40.0, 0.0}, c.name);
    }
}

// --- Texture environments ---------------------------------------------------------------------

// The 32 x 32 pattern magnified four times with nearest filtering (texel edges fall between pixel
// centres), over vertex colours and alphas that vary across the window: each environment must
// combine texel and colour alike, within the rounding of one stage and the interpolation.
TEST(TextureEnvironments, AgreeOnMagnifiedPattern) {
    const struct {
        const char* name;
        GLint mode;
    } environments[] = {{"modulate", GL_MODULATE}, {"replace", GL_REPLACE}, {"decal", GL_DECAL}, {"blend", GL_BLEND}};
    for (const auto& environment : environments) {
        const auto draw = [&environment](SceneGl& gl, int w, int h) {
            PixelProjection(gl, w, h);
            Textured(gl, PatternImage(32), TextureFilter::Nearest, GL_CLAMP, environment.mode);
            const GLfloat colour[4] = {0.2f, 0.7f, 0.9f, 0.5f};
            gl.TexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, colour);
            FullScreenQuad(gl, w, h, 0, 0, 1, 1, 0.3f, 1.0f);
        };
        Compare(draw, Tolerance{4, 40.0, 0.0}, std::string("texenv_") + environment.name);
    }
}

// --- Filters ----------------------------------------------------------------------------------

// Nearest, magnified 4x and minified 1.5x (coordinates chosen so that no pixel centre samples
// exactly on a texel edge): the same texel must be chosen for every pixel. Bilinear on level 0,
// magnified 4x, with clamp to edge: MORA clamps whenever both filters are GL_LINEAR (whatever the
// wrap mode), so repeat would differ at the window edges by design. Its tolerance allows
// llvmpipe's 8-bit filter weights against MORA's float weights and its truncation: one level each.
TEST(TextureFilters, NearestAndBilinearAgreeMagnifiedAndMinified) {
    const struct {
        const char* name;
        int size;      // texels per side
        float extent;  // texture coordinates 0..extent across the window
        TextureFilter filter;
        GLint wrap;
        Tolerance tolerance;
    } cases[] = {{"nearest_magnified", 32, 1.0f, TextureFilter::Nearest, GL_REPEAT, Tolerance{1, 50.0, 0.0}},
                 {"nearest_minified", 256, 0.75f, TextureFilter::Nearest, GL_REPEAT, Tolerance{1, 50.0, 0.0}},
                 {"bilinear_magnified", 32, 1.0f, TextureFilter::Bilinear, kClampToEdge, Tolerance{3, 45.0, 0.0}}};
    for (const auto& c : cases) {
        const auto draw = [&c](SceneGl& gl, int w, int h) {
            PixelProjection(gl, w, h);
            Textured(gl, PatternImage(c.size), c.filter, c.wrap, GL_REPLACE);
            FullScreenQuad(gl, w, h, 0, 0, c.extent, c.extent, 1.0f, 1.0f);
        };
        Compare(draw, c.tolerance, c.name);
    }
}

// Trilinear on a floor receding from the viewer to far minification, through every level. MORA
// differs from GL here by design: it picks level L from the exponent of rho and blends toward
// L + 1 with weight rho / 2^L - 1, linear in rho, where GL uses the fraction of log2(rho); the two
// weights differ by up to 0.086 (at rho = 2^L / ln 2). It also takes rho per pixel from neighbours
// two pixels away where llvmpipe takes one per 2 x 2 quad, which moves the weight further where
// rho changes fast. On this texture neighbouring levels differ by up to about 200 where its
// stripes blur away, so pixels there may differ by a few dozen levels (measured: at most 47, 5.9%
// of the pixels over 8, PSNR 38.5 dB). A wrong level or a missing blend moves the whole
// minified floor by far more.
TEST(TextureFilters, TrilinearAgreesOnRecedingFloor) {
    const auto draw = [](SceneGl& gl, int, int) {
        gl.MatrixMode(GL_PROJECTION);
        gl.Frustum(-1.0, 1.0, -1.0, 1.0, 1.0, 400.0);
        gl.MatrixMode(GL_MODELVIEW);
        Textured(gl, DetailImage(64), TextureFilter::Trilinear, GL_REPEAT, GL_REPLACE);
        // s, t, x, z of each corner (y = -1).
        const float corners[4][4] = {{0, 0, -20, -1}, {20, 0, 20, -1}, {20, 150, 20, -300}, {0, 150, -20, -300}};
        gl.Begin(GL_QUADS);
        for (const auto& c : corners) {
            gl.TexCoord2f(c[0], c[1]);
            gl.Vertex3f(c[2], -1.0f, c[3]);
        }
        gl.End();
    };
    Compare(draw, Tolerance{96, 34.0, 0.10}, "trilinear_floor");
}

// --- Alpha test -------------------------------------------------------------------------------

// GL_GREATER 0.666, the one alpha test MORA implements (its threshold is fixed at 0.666 x 255,
// so other functions and references are not compared). Texel alphas run through all 256 values;
// a failed fragment must also leave the depth buffer alone, which the quad drawn behind it shows.
void AlphaTestedOverBackdrop(SceneGl& gl, int w, int h, float vertexAlphaLow) {
    PixelProjection(gl, w, h);
    gl.ClearColor(0.1f, 0.1f, 0.3f, 1.0f);
    gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl.Enable(GL_DEPTH_TEST);
    gl.DepthFunc(GL_LEQUAL);
    Textured(gl, PatternImage(64), TextureFilter::Nearest, GL_REPEAT, GL_MODULATE);
    gl.Enable(GL_ALPHA_TEST);
    gl.AlphaFunc(GL_GREATER, 0.666f);
    FullScreenQuad(gl, w, h, 0, 0, 1, 1, vertexAlphaLow, 1.0f);
    gl.Disable(GL_ALPHA_TEST);
    gl.Disable(GL_TEXTURE_2D);
    // Behind the tested quad (z = -0.5 is farther in this projection than z = 0).
    gl.Color4f(0.9f, 0.6f, 0.1f, 1.0f);
    gl.PushMatrix();
    gl.Translatef(0.0f, 0.0f, -0.5f);
    FullScreenQuad(gl, w, h, 0, 0, 0, 0, 1.0f, 1.0f);
    gl.PopMatrix();
}

// With an opaque vertex colour (1.0) the fragment alpha is the texel alpha itself. MORA differs
// from GL by design at exactly one value: its threshold is 0.666 x 255 = 169.83 as a float, so
// alpha 170 passes, while GL converts the reference to the colour buffer's 8 bits first (0.666 ->
// 170) and 170 > 170 fails. 16 of the 4096 texels have alpha 170, each covering 4 pixels: 0.39% of
// the window may differ and no more; a threshold off by one more value doubles that.
// With a vertex alpha of 0.8 to 1 the tested alpha is a product. Besides the threshold above,
// MORA compares the product in single precision and llvmpipe after multiplying in 8-bit fixed
// point, so a fragment whose product lies within about a level of the threshold can fall on
// either side and then shows the quad behind instead of the texel. That band is about one 255th
// of the alpha range (measured: 0.27% of the pixels); everything else must agree.
TEST(AlphaTest, GreaterThresholdAgreesOnTexelAndModulatedAlpha) {
    const struct {
        const char* name;
        float vertexAlphaLow;
        double maxShareOver8;
    } cases[] = {{"alpha_test_texel", 1.0f, 0.0040}, {"alpha_test_modulated", 0.8f, 0.01}};
    for (const auto& c : cases) {
        Compare([&c](SceneGl& gl, int w, int h) { AlphaTestedOverBackdrop(gl, w, h, c.vertexAlphaLow); },
                Tolerance{255, 30.0, c.maxShareOver8}, c.name);
    }
}

// --- Depth functions --------------------------------------------------------------------------

// Quad A slopes from near (left) to far (right) and is drawn first; quad B, over the lower half,
// slopes the other way and is tested with the function. They cross at x = 64, a pixel edge, and
// their depths differ by far more than either depth buffer's precision at every pixel centre, so
// each function must give the same picture. A third pass redraws A with the same vertices under
// the function: the coplanar case of multi-pass rendering, where each renderer computes exactly
// the depths it stored (EQUAL, LEQUAL and GEQUAL pass there, LESS and GREATER do not).
TEST(DepthFunctions, AgreeOnCrossingAndCoplanarQuads) {
    const struct {
        const char* name;
        GLenum function;
    } functions[] = {{"never", GL_NEVER},     {"less", GL_LESS},         {"equal", GL_EQUAL},   {"lequal", GL_LEQUAL},
                     {"greater", GL_GREATER}, {"notequal", GL_NOTEQUAL}, {"gequal", GL_GEQUAL}, {"always", GL_ALWAYS}};
    for (const auto& depth : functions) {
        const auto draw = [&depth](SceneGl& gl, int w, int h) {
            PixelProjection(gl, w, h);
            gl.ClearDepth(1.0);
            gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            gl.Enable(GL_DEPTH_TEST);
            const float fw = static_cast<float>(w);
            const float fh = static_cast<float>(h);
            const auto sloped = [&](float zLeft, float zRight, float y0, float y1) {
                gl.Begin(GL_QUADS);
                gl.Vertex3f(0.0f, y0, -zLeft);
                gl.Vertex3f(fw, y0, -zRight);
                gl.Vertex3f(fw, y1, -zRight);
                gl.Vertex3f(0.0f, y1, -zLeft);
                gl.End();
            };
            gl.DepthFunc(GL_LESS);
            gl.Color4f(0.8f, 0.1f, 0.1f, 1.0f);
            sloped(-0.8f, 0.8f, 0.0f, fh);
            gl.DepthFunc(depth.function);
            gl.Color4f(0.1f, 0.8f, 0.1f, 1.0f);
            sloped(0.8f, -0.8f, 0.0f, fh * 0.5f);
            gl.Color4f(0.1f, 0.2f, 0.9f, 1.0f);
            sloped(-0.8f, 0.8f, 0.0f, fh);
        };
        Compare(draw, Tolerance{2, 45.0, 0.0}, std::string("depth_") + depth.name);
    }
}

// --- Windings and culling ---------------------------------------------------------------------

// Counter-clockwise triangles (left half, one of them from a strip, whose odd triangle is
// re-wound) and clockwise ones (right half): the same ones must survive each front face and cull
// face setting. A wrong decision shows as a whole missing triangle, far beyond the edge pixels
// the share allows.
TEST(Culling, SameTrianglesSurviveEachSetting) {
    const struct {
        const char* name;
        bool enabled;
        GLenum frontFace;
        GLenum cullFace;
    } settings[] = {{"off", false, GL_CCW, GL_BACK},       {"ccw_back", true, GL_CCW, GL_BACK},
                    {"ccw_front", true, GL_CCW, GL_FRONT}, {"cw_back", true, GL_CW, GL_BACK},
                    {"cw_front", true, GL_CW, GL_FRONT},   {"front_and_back", true, GL_CCW, GL_FRONT_AND_BACK}};
    for (const auto& cull : settings) {
        const auto draw = [&cull](SceneGl& gl, int w, int h) {
            PixelProjection(gl, w, h);
            if (cull.enabled)
                gl.Enable(GL_CULL_FACE);
            else
                gl.Disable(GL_CULL_FACE);
            gl.FrontFace(cull.frontFace);
            gl.CullFace(cull.cullFace);
            const auto primitive = [&gl](GLenum mode, std::initializer_list<float> xy) {
                gl.Begin(mode);
                for (auto v = xy.begin(); v != xy.end(); v += 2) gl.Vertex2f(v[0], v[1]);
                gl.End();
            };
            gl.Color3f(0.9f, 0.2f, 0.2f);  // counter-clockwise
            primitive(GL_TRIANGLES, {8, 70, 56, 70, 30, 120});
            gl.Color3f(0.2f, 0.9f, 0.2f);  // clockwise
            primitive(GL_TRIANGLES, {72, 70, 98, 120, 120, 70});
            gl.Color3f(0.9f, 0.9f, 0.2f);  // both triangles counter-clockwise after the strip's re-winding
            primitive(GL_TRIANGLE_STRIP, {8, 8, 56, 8, 8, 56, 56, 56});
            gl.Color3f(0.2f, 0.6f, 0.9f);  // clockwise fan
            primitive(GL_TRIANGLE_FAN, {96, 32, 72, 8, 72, 56, 120, 56, 120, 8});
        };
        Compare(draw, Tolerance{255, 30.0, 0.01}, std::string("cull_") + cull.name);
    }
}

}  // namespace
}  // namespace mora_compare
