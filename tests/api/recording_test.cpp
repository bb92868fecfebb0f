// What the implemented entries record and apply: exact Cmd words of the immediate-mode, colour,
// state and matrix entries, colour packing, the forwarding entries, texture records with their
// blob copies, null pointers, and recording switched off by the pipeline cut-off.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "api/api_test_support.h"
#include "gl/command_records.h"
#include "gl/gl_context.h"
#include "mora/gl.h"

namespace mora::test {
namespace {

using Words = std::vector<uint32_t>;

using Recording = ApiTest;

TEST_F(Recording, ImmediateModeRecordsTheDocumentedWords) {
    glBegin(GL_TRIANGLES);
    glVertex3f(1.0f, 2.0f, 3.0f);
    const GLfloat v3[3] = {4.0f, 5.0f, 6.0f};
    glVertex3fv(v3);
    const GLfloat v2[2] = {7.0f, 8.0f};
    glVertex2fv(v2);
    glVertex2f(9.0f, 10.0f);
    glEnd();
    EXPECT_EQ(StreamWords(), (Words{0x00080029, 4,                                        //
                                    0x0010002B, Bits(1.0f), Bits(2.0f), Bits(3.0f),       //
                                    0x0010002B, Bits(4.0f), Bits(5.0f), Bits(6.0f),       //
                                    0x000C002A, Bits(7.0f), Bits(8.0f),                   //
                                    0x000C002A, Bits(9.0f), Bits(10.0f),                  //
                                    0x0004002C}));
    EXPECT_EQ(TheGlContext().primitiveMode, 0u);
    EXPECT_TRUE(TheGlContext().primitiveVertices.empty());
}

TEST_F(Recording, VerticesTakeTheCurrentColourAndTextureCoordinate) {
    glColor4ub(10, 20, 30, 40);
    glTexCoord2f(0.25f, 0.75f);
    glBegin(GL_QUADS);
    glVertex2f(5.0f, 6.0f);
    const GLfloat st[2] = {0.5f, 1.5f};
    glTexCoord2fv(st);
    glVertex3f(1.0f, 2.0f, 3.0f);
    const GlContext& ctx = TheGlContext();
    EXPECT_EQ(ctx.primitiveMode, static_cast<uint32_t>(GL_QUADS));
    ASSERT_EQ(ctx.primitiveVertices.size(), 2u);
    const GlVertex& a = ctx.primitiveVertices[0];
    EXPECT_EQ(a.x, 5.0f);
    EXPECT_EQ(a.y, 6.0f);
    EXPECT_EQ(a.z, 0.0f) << "the two-component forms give z = 0";
    EXPECT_EQ(a.colour, 0x280A141Eu);
    EXPECT_EQ(a.s, 0.25f);
    EXPECT_EQ(a.t, 0.75f);
    const GlVertex& b = ctx.primitiveVertices[1];
    EXPECT_EQ(b.z, 3.0f);
    EXPECT_EQ(b.s, 0.5f);
    EXPECT_EQ(b.t, 1.5f);
    glEnd();
    EXPECT_EQ(StreamWords(), (Words{0x00080024, 0x280A141E, 0x000C0025, Bits(0.25f), Bits(0.75f), 0x00080029, 7,
                                    0x000C002A, Bits(5.0f), Bits(6.0f), 0x000C0025, Bits(0.5f), Bits(1.5f),
                                    0x0010002B, Bits(1.0f), Bits(2.0f), Bits(3.0f), 0x0004002C}));
}

TEST_F(Recording, ColourEntriesPackIntoContextAndRecordThePackedValue) {
    struct Case {
        void (*call)();
        uint32_t packed;
    };
    const Case cases[] = {
        {[] { glColor3f(1.0f, 0.5f, 0.0f); }, 0xFFFF8000u},
        {[] { glColor4f(2.0f, -1.0f, 0.5f, 0.25f); }, 0x40FF0080u},  // clamped; 0.25 * 255 + 0.5 = 64.25
        {[] { glColor4f(0.1f, 0.2f, 0.3f, 0.4f); }, 0x661A334Du},    // 26, 51, 77, 102
        {[] { glColor4ub(1, 2, 3, 4); }, 0x04010203u},
        {[] {
             const GLubyte v[3] = {9, 8, 7};
             glColor3ubv(v);
         },
         0xFF090807u},
        {[] {
             const GLubyte v[4] = {0xAB, 0xCD, 0xEF, 0x12};
             glColor4ubv(v);
         },
         0x12ABCDEFu},
        {[] {
             const GLfloat v[3] = {0.0f, 0.0f, 1.0f};
             glColor3fv(v);
         },
         0xFF0000FFu},
        {[] {
             const GLfloat v[4] = {1.0f, 1.0f, 1.0f, 0.0f};
             glColor4fv(v);
         },
         0x00FFFFFFu},
        {[] {
             const float nan = std::numeric_limits<float>::quiet_NaN();
             const float inf = std::numeric_limits<float>::infinity();
             glColor4f(nan, inf, -inf, nan);
         },
         0x0000FF00u},
    };
    for (const Case& c : cases) {
        EmptyCommandBuffer(ActiveCommandRecording().stream);
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
    EXPECT_EQ(StreamWords(), (Words{0x0008000E, 0x0BE2,                                               //
                                    0x0008000F, 0x0B44,                                               //
                                    0x000C0010, 0x0302, 0x0303,                                       //
                                    0x000C0011, 0x0204, Bits(0.5f),                                   //
                                    0x00080012, 0x0203,                                               //
                                    0x00080013, 2,                                                    //
                                    0x00140014, 1, 0, 1, 0,                                           //
                                    0x00080019, 0x0404,                                               //
                                    0x0008001A, 0x0901,                                               //
                                    0x0008001B, 0x1D00,                                               //
                                    0x000C001C, 0x0408, 0x1B01,                                       //
                                    0x000C001D, Bits(1.5f), Bits(-2.0f),                              //
                                    0x000C0018, 0x0CF5, 1,                                            //
                                    0x0014000D, 1, 2, 3, 4,                                           //
                                    0x0008001E, 0x84C1,                                               //
                                    0x000C000C, Bits(0.25f), Bits(0.75f),                             //
                                    0x00080027, Bits(0.5f),                                           //
                                    0x00140026, Bits(0.0f), Bits(0.5f), Bits(1.0f), Bits(2.0f),       //
                                    0x00080028, 0x4100}));
    const GlContext& ctx = TheGlContext();
    EXPECT_TRUE(ctx.blendEnabled && !ctx.cullEnabled && ctx.depthMask);
    EXPECT_TRUE(ctx.colourClearPending && ctx.depthClearPending);
    EXPECT_EQ((std::vector<uint32_t>{ctx.blendSrc, ctx.blendDst, ctx.alphaFunc, ctx.depthFunc, ctx.cullFace,
                                     ctx.frontFace, ctx.clearColour, ctx.colourClearValue}),
              (std::vector<uint32_t>{0x0302, 0x0303, 0x0204, 0x0203, 0x0404, 0x0901, 0xFF0080FFu, 0xFF0080FFu}));
    EXPECT_EQ((std::vector<float>{ctx.alphaRef, ctx.depthNear, ctx.depthFar, ctx.clearDepth, ctx.depthClearValue}),
              (std::vector<float>{0.5f, 0.25f, 0.75f, 0.5f, 0.5f}));
    EXPECT_EQ(glIsEnabled(GL_BLEND), GL_TRUE);
    EXPECT_EQ(glIsEnabled(GL_CULL_FACE), GL_FALSE);
    EXPECT_EQ(glIsEnabled(GL_LIGHTING), GL_FALSE);
    GLfloat range[2] = {};
    glGetFloatv(GL_DEPTH_RANGE, range);
    EXPECT_EQ(range[0], 0.25f);
    EXPECT_EQ(range[1], 0.75f);
    glDisable(GL_BLEND);
    TheGlContext().colourClearPending = false;
    TheGlContext().depthClearPending = false;
}

TEST_F(Recording, MatrixEntriesRecordFloatsAndChangeTheCurrentMatrix) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 640.0, 480.0, 0.0, -1.0, 1.0);
    GLfloat m[16] = {};
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    EXPECT_FLOAT_EQ(m[0], 2.0f / 640.0f);
    EXPECT_FLOAT_EQ(m[5], -2.0f / 480.0f);
    EXPECT_FLOAT_EQ(m[13], 1.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glPushMatrix();
    glTranslatef(1.0f, 2.0f, 3.0f);
    glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
    glScalef(2.0f, 2.0f, 2.0f);
    glPopMatrix();
    const GLfloat identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    glLoadMatrixf(identity);
    glMultMatrixf(identity);
    glFrustum(-1.0, 1.0, -1.0, 1.0, 1.0, 1e300);  // far plane beyond the float range narrows to +inf
    Words expected = {0x00080000, 0x1701, 0x00040001,
                      0x001C0009, Bits(0.0f), Bits(640.0f), Bits(480.0f), Bits(0.0f), Bits(-1.0f), Bits(1.0f),
                      0x00080000, 0x1700, 0x00040001, 0x00040004,
                      0x00100006, Bits(1.0f), Bits(2.0f), Bits(3.0f),
                      0x00140007, Bits(90.0f), Bits(0.0f), Bits(0.0f), Bits(1.0f),
                      0x00100008, Bits(2.0f), Bits(2.0f), Bits(2.0f),
                      0x00040005, 0x00440002};
    for (float f : identity) expected.push_back(Bits(f));
    expected.push_back(0x00440003);
    for (float f : identity) expected.push_back(Bits(f));
    const Words frustum = {0x001C000A, Bits(-1.0f), Bits(1.0f), Bits(-1.0f), Bits(1.0f), Bits(1.0f),
                           Bits(std::numeric_limits<float>::infinity())};
    expected.insert(expected.end(), frustum.begin(), frustum.end());
    EXPECT_EQ(StreamWords(), expected);
    glLoadIdentity();
}

TEST_F(Recording, FloatFormsForwardToTheIntegerEntriesWithTheTruncatedParameter) {
    const CounterSnapshot before = SnapshotCounters();
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, 8448.7f);
    EXPECT_EQ(CallsSince(before, EntryId::glTexEnvf), 1u);
    EXPECT_EQ(CallsSince(before, EntryId::glTexEnvi), 1u);
    EXPECT_EQ(StreamWords(), (Words{0x00100015, 0x2300, 0x2200, 8448}));
    EXPECT_EQ(TheGlContext().texEnvMode, 8448u);

    EmptyCommandBuffer(ActiveCommandRecording().stream);
    const GLint replace = 0x1E01;
    glTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &replace);
    glTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, nullptr);  // counted, not forwarded
    EXPECT_EQ(CallsSince(before, EntryId::glTexEnviv), 2u);
    EXPECT_EQ(CallsSince(before, EntryId::glTexEnvi), 2u);
    EXPECT_EQ(StreamWords(), (Words{0x00100015, 0x2300, 0x2200, 0x1E01}));
    EXPECT_EQ(TheGlContext().texEnvMode, 0x1E01u);

    // Float arguments without an integer value (NaN, beyond the i32 range) forward defined values.
    EmptyCommandBuffer(ActiveCommandRecording().stream);
    glTexEnvf(GL_TEXTURE_ENV, 0x1234, std::numeric_limits<float>::quiet_NaN());
    glTexEnvf(GL_TEXTURE_ENV, 0x1234, 1e20f);
    glTexEnvf(GL_TEXTURE_ENV, 0x1234, -2.9f);
    EXPECT_EQ(StreamWords(), (Words{0x00100015, 0x2300, 0x1234, 0,           //
                                    0x00100015, 0x2300, 0x1234, 0x7FFFFFFF,  //
                                    0x00100015, 0x2300, 0x1234, static_cast<uint32_t>(-2)}));
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    // glTexParameterf forwards to glTexParameteri the same way.
    EmptyCommandBuffer(ActiveCommandRecording().stream);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, 9728.9f);
    EXPECT_EQ(CallsSince(before, EntryId::glTexParameterf), 1u);
    EXPECT_EQ(CallsSince(before, EntryId::glTexParameteri), 1u);
    EXPECT_EQ(StreamWords(), (Words{0x00100017, 0x0DE1, 0x2801, 9728}));
}

TEST_F(Recording, TexEnvfvRecordsTheColourOrTheFirstFloat) {
    const GLfloat colour[4] = {1.0f, 0.0f, 0.5f, 1.0f};
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, colour);
    EXPECT_EQ(TheGlContext().texEnvColour, 0xFFFF0080u);
    const GLfloat mode[1] = {8448.0f};  // only the first element exists
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, mode);
    EXPECT_EQ(TheGlContext().texEnvMode, 8448u);
    EXPECT_EQ(StreamWords(), (Words{0x001C0016, 0x2300, 0x2201, Bits(1.0f), Bits(0.0f), Bits(0.5f), Bits(1.0f),
                                    0x001C0016, 0x2300, 0x2200, Bits(8448.0f), 0, 0, 0}));
}

TEST_F(Recording, TextureEntriesCopyBulkDataIntoTheBlob) {
    GLuint names[2] = {};
    glGenTextures(2, names);
    ASSERT_NE(names[0], 0u);
    ASSERT_NE(names[1], 0u);
    ASSERT_NE(names[0], names[1]);
    glBindTexture(GL_TEXTURE_2D, names[0]);
    const uint8_t rgba[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    glTexImage2D(GL_TEXTURE_2D, 0, 4, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    EXPECT_EQ(glIsTexture(names[0]), GL_TRUE);
    EXPECT_EQ(BlobBytes(), 16u);
    const uint8_t luminance[4] = {200, 100, 50, 25};
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 2, 2, GL_LUMINANCE, GL_UNSIGNED_BYTE, luminance);
    EXPECT_EQ(BlobBytes(), 20u);
    const GLuint doomed[3] = {names[1], 0, 999999};
    glDeleteTextures(3, doomed);
    EXPECT_EQ(BlobBytes(), 32u);

    const Words w = StreamWords();
    ASSERT_EQ(w.size(), (12 + 12 + 64 + 64 + 24) / 4u);
    EXPECT_EQ(w[0], 0x000C001Fu);
    EXPECT_EQ(w[1], 2u);
    EXPECT_EQ(w[2], 0u);
    EXPECT_EQ((Words{w[3], w[4], w[5]}), (Words{0x000C0021, 0x0DE1, names[0]}));
    const uint32_t* image = &w[6];
    EXPECT_EQ(image[0], 0x00400022u);
    EXPECT_EQ((Words{image[1], image[2], image[3], image[4], image[5], image[6], image[7], image[8]}),
              (Words{0x0DE1, 0, 4, 2, 2, 0, 0x1908, 0x1401}));
    EXPECT_EQ(image[10] | uint64_t{image[11]} << 32, 0u) << "blob offset";
    EXPECT_EQ(image[12] | uint64_t{image[13]} << 32, 16u) << "byte length";
    EXPECT_EQ(image[14], Fnv1a32(rgba, 16));
    const uint32_t* sub = &w[22];
    EXPECT_EQ(sub[0], 0x00400023u);
    EXPECT_EQ(sub[10] | uint64_t{sub[11]} << 32, 16u) << "blob offset";
    EXPECT_EQ(sub[12] | uint64_t{sub[13]} << 32, 4u) << "one byte per luminance pixel";
    EXPECT_EQ(sub[14], Fnv1a32(luminance, 4));
    const uint32_t* del = &w[38];
    EXPECT_EQ(del[0], 0x00180020u);
    EXPECT_EQ(del[1], 3u);
    EXPECT_EQ(del[2] | uint64_t{del[3]} << 32, 20u);
    EXPECT_EQ(del[4] | uint64_t{del[5]} << 32, 12u);

    // The level-0 image took the luminance rows.
    const TextureSlot& slot = TheGlContext().textureTable[names[0]];
    ASSERT_GE(slot.texels.size(), 4u);
    EXPECT_EQ(slot.texels[0], 0xFFC8C8C8u);
    glDeleteTextures(1, names);
}

TEST_F(Recording, TexImage2DWithoutPixelsRecordsNoDataButDefinesTheTexture) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    EmptyCommandBuffer(ActiveCommandRecording().stream);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, 4, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    const Words w = StreamWords();
    ASSERT_EQ(w.size(), 16u);
    EXPECT_EQ(w[0], 0x00400022u);
    EXPECT_EQ((Words{w[10], w[11], w[12], w[13], w[14]}), (Words{0, 0, 0, 0, 0})) << "offset, length and hash 0";
    EXPECT_EQ(BlobBytes(), 0u);
    EXPECT_EQ(glIsTexture(name), GL_TRUE);
    glDeleteTextures(1, &name);
}

TEST_F(Recording, NullPointersAreCountedAndChangeNothing) {
    glColor4ub(1, 2, 3, 4);
    glTexCoord2f(0.5f, 0.5f);
    glBegin(GL_TRIANGLES);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    EmptyCommandBuffer(ActiveCommandRecording().stream);
    const GlContext& ctx = TheGlContext();
    GLfloat before[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    const CounterSnapshot counts = SnapshotCounters();

    glColor3fv(nullptr);
    glColor4fv(nullptr);
    glColor3ubv(nullptr);
    glColor4ubv(nullptr);
    glTexCoord2fv(nullptr);
    glVertex2fv(nullptr);
    glVertex3fv(nullptr);
    glLoadMatrixf(nullptr);
    glMultMatrixf(nullptr);
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, nullptr);
    glTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, nullptr);
    glGetFloatv(GL_MODELVIEW_MATRIX, nullptr);
    glGenTextures(4, nullptr);
    glDeleteTextures(4, nullptr);
    GLuint name = 77;
    glGenTextures(0, &name);
    glGenTextures(-1, &name);
    glDeleteTextures(-3, &name);

    EXPECT_EQ(StreamBytes(), 0u);
    EXPECT_EQ(BlobBytes(), 0u);
    EXPECT_EQ(name, 77u);
    EXPECT_EQ(ctx.currentColour, 0x04010203u);
    EXPECT_EQ(ctx.currentS, 0.5f);
    EXPECT_TRUE(ctx.primitiveVertices.empty());
    EXPECT_EQ(ctx.texEnvMode, static_cast<uint32_t>(GL_MODULATE));
    GLfloat after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_EQ(std::vector<float>(before, before + 16), std::vector<float>(after, after + 16));
    for (EntryId id : {EntryId::glColor3fv, EntryId::glColor4fv, EntryId::glColor3ubv, EntryId::glColor4ubv,
                       EntryId::glTexCoord2fv, EntryId::glVertex2fv, EntryId::glVertex3fv, EntryId::glLoadMatrixf,
                       EntryId::glMultMatrixf, EntryId::glTexEnvfv, EntryId::glTexEnviv}) {
        EXPECT_EQ(CallsSince(counts, id), 1u) << EntryName(id);
    }
    EXPECT_EQ(CallsSince(counts, EntryId::glTexEnvi), 0u);
    EXPECT_EQ(CallsSince(counts, EntryId::glGenTextures), 3u);
    glEnd();
}

TEST_F(Recording, ReadPixelsRecordsItsRectangleAndReturnsWithoutDestination) {
    glReadPixels(1, 2, 3, 4, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    EXPECT_EQ(StreamWords(), (Words{0x001C002E, 1, 2, 3, 4, 0x1908, 0x1401}));
}

TEST_F(Recording, CutOffZeroStillUpdatesTheContextButRecordsNothing) {
    SetSettingValue(Settings().PipelineCutoff, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1.0f, 2.0f, 3.0f);
    GLfloat m[16] = {};
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(m[12], 1.0f);
    EXPECT_EQ(m[13], 2.0f);
    EXPECT_EQ(m[14], 3.0f);
    glColor4ub(5, 6, 7, 8);
    EXPECT_EQ(TheGlContext().currentColour, 0x08050607u);
    glBegin(GL_TRIANGLE_FAN);
    glVertex3f(1.0f, 1.0f, 1.0f);
    EXPECT_EQ(TheGlContext().primitiveVertices.size(), 1u);
    glEnd();
    glEnable(GL_ALPHA_TEST);
    EXPECT_EQ(glIsEnabled(GL_ALPHA_TEST), GL_TRUE);
    glDisable(GL_ALPHA_TEST);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, 7681.0f);
    EXPECT_EQ(TheGlContext().texEnvMode, 7681u);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    const uint8_t pixel[4] = {1, 2, 3, 4};
    glTexImage2D(GL_TEXTURE_2D, 0, 4, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(glIsTexture(name), GL_TRUE);
    glDeleteTextures(1, &name);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glViewport(0, 0, 64, 32);
    EXPECT_EQ(TheGlContext().viewport[2], 64);
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    EXPECT_EQ(StreamBytes(), 0u);
    EXPECT_EQ(BlobBytes(), 0u);
    glLoadIdentity();
}

}  // namespace
}  // namespace mora::test
