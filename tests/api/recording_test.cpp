// What the implemented entries record and apply: exact Cmd words of the immediate-mode, colour
// and state entries (the matrix entries are drawn in the OSMesa scene comparisons), colour
// packing, the forwarding entries, texture records with their blob copies, and recording switched
// off by the pipeline cut-off. The vertex, colour and texture-coordinate entries run an inline
// frame in the common case and the whole frame out of line otherwise (a thread's first call, a
// stream that must grow); whichever path a call takes, it counts once, records the documented
// words and applies.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <thread>
#include <vector>

#include "api/api_test_support.h"
#include "gl/command_records.h"
#include "gl/gl_context.h"
#include "mora/gl.h"

namespace mora::test {
namespace {

using Words = std::vector<uint32_t>;
using Recording = ApiTest;

// One call of each vertex, colour and texture-coordinate entry with an inline frame (96 bytes of
// records), the words they record and the calls they count.
void MakeHotCalls() {
    const GLfloat v2[2] = {5.0f, 6.0f}, v3[3] = {7.0f, 8.0f, 9.0f}, st[2] = {0.125f, 1.5f};
    glColor4ub(1, 2, 3, 4);
    glTexCoord2f(0.5f, 0.25f);
    glVertex3f(1.0f, 2.0f, 3.0f);
    glVertex3fv(v3);
    glVertex3fv(nullptr);
    glTexCoord2fv(st);
    glColor4ub(5, 6, 7, 8);
    glVertex2f(3.0f, 4.0f);
    glVertex2fv(v2);
}
const Words kHotWords = {0x00080024, 0x04010203,   0x000C0025, Bits(0.5f), Bits(0.25f),  //
                         0x0010002B, Bits(1.0f),   Bits(2.0f), Bits(3.0f),               //
                         0x0010002B, Bits(7.0f),   Bits(8.0f), Bits(9.0f),               //
                         0x000C0025, Bits(0.125f), Bits(1.5f),                           //
                         0x00080024, 0x08050607,   0x000C002A, Bits(3.0f), Bits(4.0f),   //
                         0x000C002A, Bits(5.0f),   Bits(6.0f)};

// A thread's first calls, and calls that find the stream full, count and record once; then the
// same calls as a primitive. The stream starts at 20 bytes: the second call fills it exactly, then
// it grows to what a record needs or by half: 36, 54, 81 and 121 bytes.
TEST_F(Recording, HotEntriesStayExactOnAThreadsFirstCallsAndWhereTheStreamMustGrow) {
    CommandBuffer small;
    ASSERT_TRUE(ReserveCommandBuffer(small, 20));
    SwapCommandBuffers(TheCommandRecording().stream, small);
    const CounterSnapshot before = SnapshotCounters();
    ContextRecord* context = CurrentContextRecord();
    SetCurrentContextRecord(nullptr);  // the context moves to the new thread
    uint64_t grown = 0;
    std::thread thread([context, &grown] {
        SetCurrentContextRecord(context);
        MakeHotCalls();  // its first entry call takes the whole frame
        grown = CommandBufferCapacity(TheCommandRecording().stream);
        glBegin(GL_QUADS);
        MakeHotCalls();
        glEnd();
        SetCurrentContextRecord(nullptr);
    });
    thread.join();
    SetCurrentContextRecord(context);
    EXPECT_EQ(grown, 121u);
    Words expected = kHotWords;
    expected.insert(expected.end(), {0x00080029, 7});
    expected.insert(expected.end(), kHotWords.begin(), kHotWords.end());
    expected.push_back(0x0004002C);
    EXPECT_EQ(StreamWords(), expected);
    EXPECT_EQ(CallsSince(before, {EntryId::glColor4ub, EntryId::glTexCoord2f, EntryId::glVertex3f, EntryId::glVertex3fv,
                                  EntryId::glTexCoord2fv, EntryId::glVertex2f, EntryId::glVertex2fv}),
              (std::vector<uint64_t>{4, 2, 2, 4, 2, 2, 2}));
    EXPECT_EQ(TheGlContext().currentColour, 0x08050607u);
    SwapCommandBuffers(TheCommandRecording().stream, small);
}

TEST_F(Recording, ColourEntriesPackIntoContextAndRecordThePackedValue) {
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN(), kInf = std::numeric_limits<float>::infinity();
    static const GLubyte kRgb[3] = {9, 8, 7}, kRgba[4] = {0xAB, 0xCD, 0xEF, 0x12};
    const struct {
        void (*call)();
        uint32_t packed;
    } cases[] = {
        {[] { glColor3f(1.0f, 0.5f, 0.0f); }, 0xFFFF8000u},
        {[] { glColor4f(2.0f, -1.0f, 0.5f, 0.25f); }, 0x40FF0080u},  // clamped; 0.25 * 255 + 0.5 = 64.25
        {[] { glColor4f(0.1f, 0.2f, 0.3f, 0.4f); }, 0x661A334Du},    // 26, 51, 77, 102
        {[] { glColor3ubv(kRgb); }, 0xFF090807u},
        {[] { glColor4ubv(kRgba); }, 0x12ABCDEFu},
        {[] { glColor4f(kNaN, kInf, -kInf, kNaN); }, 0x0000FF00u},
    };
    for (const auto& c : cases) {
        EmptyCommandBuffer(TheCommandRecording().stream);
        c.call();
        EXPECT_EQ(TheGlContext().currentColour, c.packed);
        EXPECT_EQ(StreamWords(), (Words{0x00080024, c.packed}));
    }
}

TEST_F(Recording, StateEntriesRecordTheirPayloadAndApply) {
    glEnable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glAlphaFunc(GL_GREATER, 0.5f);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(2);
    glColorMask(1, 0, 1, 0);
    glCullFace(GL_FRONT);
    glFrontFace(GL_CCW);
    glShadeModel(GL_FLAT);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glPolygonOffset(1.5f, -2.0f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glScissor(1, 2, 3, 4);
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glDepthRange(0.25, 0.75);
    glClearDepth(0.5);
    glClearColor(0.0f, 0.5f, 1.0f, 2.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glReadPixels(1, 2, 3, 4, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);  // returns without a destination
    EXPECT_EQ(
        StreamWords(),
        (Words{0x0008000E, 0x0BE2,      0x0008000F,  0x0B44,     0x000C0010, 0x0302,     0x0303,                      //
               0x000C0011, 0x0204,      Bits(0.5f),  0x00080012, 0x0203,     0x00080013, 2,                           //
               0x00140014, 1,           0,           1,          0,          0x00080019, 0x0404, 0x0008001A, 0x0901,  //
               0x0008001B, 0x1D00,      0x000C001C,  0x0408,     0x1B01,                                              //
               0x000C001D, Bits(1.5f),  Bits(-2.0f), 0x000C0018, 0x0CF5,     1,                                       //
               0x0014000D, 1,           2,           3,          4,          0x0008001E, 0x84C1,                      //
               0x000C000C, Bits(0.25f), Bits(0.75f), 0x00080027, Bits(0.5f),                                          //
               0x00140026, Bits(0.0f),  Bits(0.5f),  Bits(1.0f), Bits(2.0f),                                          //
               0x00080028, 0x4100,      0x001C002E,  1,          2,          3,          4,      0x1908,     0x1401}));
    GlContext& ctx = TheGlContext();
    EXPECT_TRUE(ctx.blendEnabled && !ctx.cullEnabled && ctx.depthMask && ctx.colourClearPending &&
                ctx.depthClearPending);
    EXPECT_EQ((Words{ctx.blendSrc, ctx.blendDst, ctx.alphaFunc, ctx.depthFunc, ctx.cullFace, ctx.frontFace,
                     ctx.clearColour, ctx.colourClearValue}),
              (Words{0x0302, 0x0303, 0x0204, 0x0203, 0x0404, 0x0901, 0xFF0080FFu, 0xFF0080FFu}));
    EXPECT_EQ((std::vector<float>{ctx.alphaRef, ctx.depthNear, ctx.depthFar, ctx.clearDepth, ctx.depthClearValue}),
              (std::vector<float>{0.5f, 0.25f, 0.75f, 0.5f, 0.5f}));
    glDisable(GL_BLEND);
    ctx.colourClearPending = ctx.depthClearPending = false;
}

// The float and vector forms forward to the integer entries with the truncated parameter (NaN and
// values beyond the i32 range forward defined values); glTexEnvfv records the colour, or the one
// float a mode has (only the first element exists).
TEST_F(Recording, TexEnvAndTexParameterFormsRecordTheirValues) {
    const CounterSnapshot before = SnapshotCounters();
    const GLint replace = 0x1E01;
    const GLfloat colour[4] = {1.0f, 0.0f, 0.5f, 1.0f}, mode[1] = {8448.0f};
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, 8448.7f);
    glTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &replace);
    glTexEnvf(GL_TEXTURE_ENV, 0x1234, std::numeric_limits<float>::quiet_NaN());
    glTexEnvf(GL_TEXTURE_ENV, 0x1234, 1e20f);
    glTexEnvf(GL_TEXTURE_ENV, 0x1234, -2.9f);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, 9728.9f);
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, colour);
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, mode);
    EXPECT_EQ(CallsSince(before, {EntryId::glTexEnvf, EntryId::glTexEnviv, EntryId::glTexEnvi, EntryId::glTexParameterf,
                                  EntryId::glTexParameteri}),
              (std::vector<uint64_t>{4, 1, 5, 1, 1}));
    EXPECT_EQ(StreamWords(),
              (Words{0x00100015, 0x2300, 0x2200,        8448,       0x00100015, 0x2300,     0x2200,     0x1E01,  //
                     0x00100015, 0x2300, 0x1234,        0,          0x00100015, 0x2300,     0x1234,     0x7FFFFFFF,
                     0x00100015, 0x2300, 0x1234,        0xFFFFFFFE, 0x00100017, 0x0DE1,     0x2801,     9728,  //
                     0x001C0016, 0x2300, 0x2201,        Bits(1.0f), Bits(0.0f), Bits(0.5f), Bits(1.0f), 0x001C0016,
                     0x2300,     0x2200, Bits(8448.0f), 0,          0,          0}));
    EXPECT_EQ(TheGlContext().texEnvColour, 0xFFFF0080u);
    EXPECT_EQ(TheGlContext().texEnvMode, 8448u);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

TEST_F(Recording, TextureEntriesCopyBulkDataIntoTheBlob) {
    GLuint names[2] = {};
    glGenTextures(2, names);
    ASSERT_TRUE(names[0] != 0 && names[1] != 0 && names[0] != names[1]);
    glBindTexture(GL_TEXTURE_2D, names[0]);
    const uint8_t rgba[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    glTexImage2D(GL_TEXTURE_2D, 0, 4, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    const uint8_t luminance[4] = {200, 100, 50, 25};
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 2, 2, GL_LUMINANCE, GL_UNSIGNED_BYTE, luminance);
    const GLuint doomed[3] = {names[1], 0, 999999};
    glDeleteTextures(3, doomed);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, 4, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);  // no data, still defined
    // Blob offset and length are u64 pairs; the luminance copy is one byte per pixel; no pixels: hash 0.
    const Words expected = {
        0x000C001F, 2,      0,  0x000C0021, 0x0DE1, names[0],  //
        0x00400022, 0x0DE1, 0,  4,          2,      2,        0, 0x1908, 0x1401, 0, 0,  0, 16, 0, Fnv1a32(rgba, 16),
        0,  //
        0x00400023, 0x0DE1, 0,  0,          0,      2,        2, 0x1909, 0x1401, 0, 16, 0, 4,  0, Fnv1a32(luminance, 4),
        0,                                              //
        0x00180020, 3,      20, 0,          12,     0,  //
        0x00400022, 0x0DE1, 0,  3,          4,      4,        0, 0x1907, 0x1401, 0, 0,  0, 0,  0, 0,
        0};
    EXPECT_EQ(StreamWords(), expected);
    EXPECT_EQ(glIsTexture(names[0]), GL_TRUE);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 2, 2, GL_LUMINANCE, GL_UNSIGNED_BYTE, luminance);
    const TextureSlot& slot = TheGlContext().textureTable[names[0]];
    ASSERT_GE(slot.texels.size(), 4u);
    EXPECT_EQ(slot.texels[0], 0xFFC8C8C8u);  // the level-0 image took the luminance rows
    glDeleteTextures(1, names);
}

// An upload reads exactly the bytes its format and type define, from a heap buffer of exactly that
// size (ASan reports any byte past it), and a format or type of unknown size is refused whole.
TEST_F(Recording, ImageUploadsReadExactlyTheirFormatAndTypeBytes) {
    const struct {
        GLenum format, type;
        uint64_t pixelBytes;  // 0: refused
    } cases[] = {
        {GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, 2},
        {GL_LUMINANCE, GL_UNSIGNED_BYTE, 1},
        {GL_ALPHA, GL_UNSIGNED_BYTE, 1},
        {GL_RGB, GL_UNSIGNED_BYTE, 3},
        {GL_COLOR_INDEX, GL_UNSIGNED_BYTE, 1},
        {GL_RGB, GL_UNSIGNED_SHORT, 6},
        {GL_RGBA, GL_FLOAT, 16},
        {GL_COLOR_INDEX, GL_BITMAP, 0},
        {0x1234, GL_UNSIGNED_BYTE, 0},
    };
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, 3, 3, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        const std::vector<uint8_t> pixels(static_cast<std::size_t>(c.pixelBytes * 9 + (c.pixelBytes == 0)), 7);
        Reset();
        glTexImage2D(GL_TEXTURE_2D, 0, 4, 3, 3, 0, c.format, c.type, pixels.data());
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 3, 3, c.format, c.type, pixels.data());
        EXPECT_EQ(BlobBytes(), 2 * 9 * c.pixelBytes);
        EXPECT_EQ(StreamBytes(), c.pixelBytes == 0 ? 0u : 128u);
    }
    glDeleteTextures(1, &name);
}

TEST_F(Recording, CutOffZeroStillUpdatesTheContextButRecordsNothing) {
    SetSettingValue(TheDriverSettings().PipelineCutoff, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1.0f, 2.0f, 3.0f);
    GLfloat m[16] = {};
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(std::vector<float>(m + 12, m + 15), (std::vector<float>{1, 2, 3}));
    glColor4ub(5, 6, 7, 8);
    EXPECT_EQ(TheGlContext().currentColour, 0x08050607u);
    const GLuint name = 5;
    glBindTexture(GL_TEXTURE_2D, name);
    const uint8_t pixel[4] = {1, 2, 3, 4};
    glTexImage2D(GL_TEXTURE_2D, 0, 4, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(glIsTexture(name), GL_TRUE);
    glDeleteTextures(1, &name);
    EXPECT_EQ(StreamBytes() + BlobBytes(), 0u);
    glLoadIdentity();
}

}  // namespace
}  // namespace mora::test
