// The entries lowered onto the records of others: every conversion form gives the records and
// state of its float equivalent; vertex-array draws and display lists give exactly the records of
// the immediate-mode calls they stand for (so their captures replay on any build); bad input
// records nothing; the counters show only what the program called; the seed subset turns all of
// it back into counted-only entries. A lit vertex is recorded as the colour and vertex calls it
// stands for.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <string_view>
#include <vector>

#include "api/api_test_support.h"
#include "api/display_lists.h"
#include "entry/gl_subset.h"
#include "gl/command_records.h"
#include "gl/gl_context.h"
#include "mora/gl.h"
#include "platform/environment.h"

namespace mora::test {
namespace {

using Words = std::vector<uint32_t>;

// What a call leaves behind: its records and the state the immediate-mode entries write.
struct Effect {
    Words words;
    uint32_t colour;
    float s, t;
    std::vector<std::tuple<float, float, float, uint32_t, float, float>> vertices;
    std::vector<float> modelview;

    bool operator==(const Effect&) const = default;
};

class Lowering : public ApiTest {
protected:
    // Runs `calls` from a fixed starting state and returns what they left.
    static Effect Run(const std::function<void()>& calls) {
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glColor4ub(1, 2, 3, 4);
        glTexCoord2f(-1.0f, -1.0f);
        GlContext& ctx = TheGlContext();
        ctx.primitiveVertices.clear();
        EmptyCommandBuffer(TheCommandRecording().stream);
        EmptyCommandBuffer(TheCommandRecording().blob);
        calls();
        Effect effect{StreamWords(), ctx.currentColour, ctx.currentS, ctx.currentT, {}, {}};
        for (const GlVertex& v : ctx.primitiveVertices) effect.vertices.push_back({v.x, v.y, v.z, v.colour, v.s, v.t});
        const float* top = ctx.modelviewStack[ctx.stackTop[0]];
        effect.modelview.assign(top, top + 16);
        return effect;
    }
};

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct EquivalentCase {
    const char* name;
    std::function<void()> lowered;
    std::function<void()> reference;
};

TEST_F(Lowering, EveryConversionFormMatchesItsFloatEquivalent) {
    static const GLdouble kMatrixD[16] = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 0.1, -2, 0.5, 1};
    static const GLfloat kMatrixF[16] = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 0.1f, -2, 0.5f, 1};
    static const GLdouble kColourD[4] = {0.25, std::nan(""), 2.0, 1e300};
    static const GLshort kRectFrom[2] = {1, 2}, kRectTo[2] = {3, 4};
    const EquivalentCase cases[] = {
        {"Color3b extremes", [] { glColor3b(-128, 0, 127); }, [] { glColor4f(-1.0f, 1.0f / 255.0f, 1.0f, 1.0f); }},
        {"Color4s", [] { glColor4s(32767, -32768, 0, 16384); },
         [] { glColor4f(1.0f, -1.0f, 1.0f / 65535.0f, 32769.0f / 65535.0f); }},
        {"Color3i extremes", [] { glColor3i(INT_MAX, INT_MIN, 0); }, [] { glColor3f(1.0f, -1.0f, 0.0f); }},
        {"Color4ui", [] { glColor4ui(UINT_MAX, 0, 2147483648u, UINT_MAX); }, [] { glColor4f(1.0f, 0.0f, 0.5f, 1.0f); }},
        {"Color4dv", [] { glColor4dv(kColourD); }, [] { glColor4f(0.25f, kNaN, 2.0f, kInf); }},
        {"Vertex3d beyond float", [] { glVertex3d(1e300, -1e300, 0.5); }, [] { glVertex3f(kInf, -kInf, 0.5f); }},
        {"Vertex4f divides by w", [] { glVertex4f(2.0f, 4.0f, 6.0f, 2.0f); }, [] { glVertex3f(1.0f, 2.0f, 3.0f); }},
        {"Vertex4i w of 0 kept", [] { glVertex4i(2, 4, 6, 0); }, [] { glVertex3f(2.0f, 4.0f, 6.0f); }},
        {"TexCoord4f divides by q", [] { glTexCoord4f(2.0f, 4.0f, 9.0f, 2.0f); }, [] { glTexCoord2f(1.0f, 2.0f); }},
        {"Rectsv", [] { glRectsv(kRectFrom, kRectTo); }, [] { glRectf(1.0f, 2.0f, 3.0f, 4.0f); }},
        {"Rect inside glBegin(GL_POINTS), mode 0, is rejected",
         [] {
             glBegin(GL_POINTS);
             glRecti(0, 0, 1, 1);
         },
         [] { glBegin(GL_POINTS); }},
        {"LoadMatrixd", [] { glLoadMatrixd(kMatrixD); }, [] { glLoadMatrixf(kMatrixF); }},
        {"null pointers, and counted-only entries with any arguments, record and change nothing",
         [] {
             glBegin(GL_TRIANGLES);
             glRasterPos4f(kNaN, kNaN, -kInf, kNaN);
             glMultiTexCoord2fARB(GL_TEXTURE1_ARB, kNaN, 0.5f);
             glColorTableEXT(GL_COLOR_TABLE_EXT, GL_RGB, 256, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
             glVertex4dv(nullptr);
             glColor3bv(nullptr);
             glLoadMatrixd(nullptr);
             glRectdv(nullptr, nullptr);
             glColor4ubv(nullptr);
             glTexCoord2fv(nullptr);
             glVertex3fv(nullptr);
             glLoadMatrixf(nullptr);
             glGenTextures(4, nullptr);
             glDeleteTextures(4, nullptr);
         },
         [] { glBegin(GL_TRIANGLES); }},
    };
    for (const EquivalentCase& c : cases) {
        const Effect lowered = Run(c.lowered);
        glEnd();
        const Effect reference = Run(c.reference);
        glEnd();
        EXPECT_TRUE(lowered == reference) << c.name;
    }
}

struct Corner {
    GLfloat s, t;
    GLubyte rgba[4];
    GLfloat xyz[3];
};
constexpr Corner kCorners[4] = {
    {0.0f, 0.0f, {255, 0, 0, 255}, {0.0f, 0.0f, 0.0f}},
    {1.0f, 0.0f, {0, 255, 0, 128}, {10.0f, 0.0f, -1.0f}},
    {1.0f, 1.0f, {0, 0, 255, 255}, {10.0f, 10.0f, -2.0f}},
    {0.0f, 1.0f, {9, 8, 7, 6}, {0.0f, 10.0f, -3.0f}},
};

void Immediate(GLenum mode, std::initializer_list<int> order) {
    glBegin(mode);
    for (int i : order) {
        glColor4ubv(kCorners[i].rgba);
        glTexCoord2f(kCorners[i].s, kCorners[i].t);
        glVertex3fv(kCorners[i].xyz);
    }
    glEnd();
}

// The corners as interleaved texture coordinate, colour and position (GL_T2F_C4UB_V3F's layout).
void PointArraysAtCorners() {
    glTexCoordPointer(2, GL_FLOAT, sizeof(Corner), &kCorners[0].s);
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Corner), kCorners[0].rgba);
    glVertexPointer(3, GL_FLOAT, sizeof(Corner), kCorners[0].xyz);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
}

// Every index type, every bad input (which draws nothing and keeps the pointers), client
// attributes, interleaved arrays, and arrays of shorts and doubles (w divides): the draws count
// once, and the calls they stand for not at all.
TEST_F(Lowering, ArrayDrawsRecordExactlyTheImmediateCalls) {
    static const GLubyte kByteIndices[6] = {0, 1, 2, 2, 3, 0};
    static const GLushort kShortIndices[6] = {0, 1, 2, 2, 3, 0};
    static const GLuint kIntIndices[6] = {0, 1, 2, 2, 3, 0};
    static const GLshort kShortColours[4][3] = {{32767, 0, 0}, {0, 32767, 0}, {0, 0, 32767}, {-1, -1, -1}};
    static const GLdouble kPositions4[4][4] = {{0, 0, 0, 1}, {16, 0, 0, 2}, {16, 16, 0, 2}, {0, 4, 0, 0.5}};
    const CounterSnapshot before = SnapshotCounters();
    const Effect drawn = Run([] {
        PointArraysAtCorners();
        glDrawArrays(GL_TRIANGLES, 1, 3);
        glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_BYTE, kByteIndices);
        glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, kShortIndices);
        glDrawElements(GL_TRIANGLE_FAN, 4, GL_UNSIGNED_INT, kIntIndices);
        glBegin(GL_TRIANGLES);
        for (GLint i : {3, 1, 0}) glArrayElement(i);
        glEnd();
        glVertexPointer(5, GL_FLOAT, 0, kIntIndices);   // bad size
        glVertexPointer(3, GL_BYTE, 0, kIntIndices);    // bad type
        glVertexPointer(3, GL_FLOAT, -4, kIntIndices);  // bad stride
        glDrawArrays(GL_QUADS, 0, -1);
        glDrawArrays(GL_QUADS, -1, 4);
        glDrawArrays(0x0020, 0, 4);
        glDrawElements(GL_TRIANGLES, 6, GL_FLOAT, kIntIndices);
        glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, nullptr);
        glDrawElements(GL_TRIANGLES, -6, GL_UNSIGNED_INT, kIntIndices);
        glArrayElement(-1);
        glBegin(GL_TRIANGLES);
        glDrawArrays(GL_TRIANGLES, 0, 3);  // inside glBegin/glEnd
        glEnd();
        glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
        glDisableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(2, GL_FLOAT, 0, nullptr);
        glDrawArrays(GL_QUADS, 0, 4);  // no vertex array: nothing
        glPopClientAttrib();
        glPopClientAttrib();  // underflow: nothing
        glDrawArrays(GL_QUADS, 0, 4);
        glInterleavedArrays(GL_T2F_C4UB_V3F, 0, kCorners);
        glDrawArrays(GL_QUADS, 0, 4);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glColorPointer(3, GL_SHORT, 0, kShortColours);
        glVertexPointer(4, GL_DOUBLE, 0, kPositions4);
        glDrawArrays(GL_QUADS, 0, 4);
    });
    EXPECT_EQ(CallsSince(before, {EntryId::glDrawElements, EntryId::glArrayElement, EntryId::glColor4ubv,
                                  EntryId::glVertex3fv, EntryId::glColor3sv, EntryId::glVertex4dv}),
              (std::vector<uint64_t>{6, 4, 0, 0, 0, 0}));
    const Effect immediate = Run([] {
        Immediate(GL_TRIANGLES, {1, 2, 3});
        Immediate(GL_TRIANGLES, {0, 1, 2, 2, 3, 0});
        Immediate(GL_TRIANGLES, {0, 1, 2, 2, 3, 0});
        Immediate(GL_TRIANGLE_FAN, {0, 1, 2, 2});
        Immediate(GL_TRIANGLES, {3, 1, 0});
        Immediate(GL_TRIANGLES, {});
        Immediate(GL_QUADS, {0, 1, 2, 3});
        Immediate(GL_QUADS, {0, 1, 2, 3});
        glBegin(GL_QUADS);
        for (int i = 0; i < 4; ++i) {
            glColor3sv(kShortColours[i]);
            glVertex4dv(kPositions4[i]);
        }
        glEnd();
    });
    EXPECT_TRUE(drawn == immediate);
}

// A list plays back the records its calls make when called directly; the arrays and pixels it
// reads are read when it is compiled.
TEST_F(Lowering, ListsPlayBackTheRecordsOfTheirCallsAndKeepTheirArgumentsAndPixels) {
    std::vector<GLfloat> positions = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    std::vector<uint8_t> pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    glVertexPointer(3, GL_FLOAT, 0, positions.data());
    glEnableClientState(GL_VERTEX_ARRAY);
    const auto body = [&] {
        glColor3f(1.0f, 0.5f, 0.0f);
        glTranslatef(1.0f, 2.0f, 3.0f);
        glBindTexture(GL_TEXTURE_2D, 42);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        glDrawArrays(GL_TRIANGLES, 0, 3);
    };
    const Effect direct = Run([&] {
        body();
        body();
    });
    const std::vector<uint8_t> directBlob(TheCommandRecording().blob.begin, TheCommandRecording().blob.end);
    const GLuint texture = 42;
    glDeleteTextures(1, &texture);
    const GLuint list = glGenLists(2);
    ASSERT_NE(list, 0u);
    EXPECT_TRUE(glIsList(list + 1)) << "generated names are empty lists";
    // GL_COMPILE changes neither the frame nor the context. The list calls list + 1, defined after
    // it: nested calls resolve by name when played.
    EXPECT_TRUE(Run([&] {
                    glNewList(list, GL_COMPILE);
                    glCallList(list + 1);
                    glCallList(list + 1);
                    glEndList();
                    glNewList(list + 1, GL_COMPILE);
                    body();
                    glEndList();
                }) == Run([] {}));
    EXPECT_FALSE(glIsTexture(42));
    std::fill(positions.begin(), positions.end(), 0.0f);
    std::fill(pixels.begin(), pixels.end(), 0);
    const CounterSnapshot before = SnapshotCounters();
    EXPECT_TRUE(Run([&] { glCallList(list); }) == direct);
    EXPECT_EQ(std::vector<uint8_t>(TheCommandRecording().blob.begin, TheCommandRecording().blob.end), directBlob);
    EXPECT_EQ(TheGlContext().textureTable[42].texels[0], 0x04010203u);
    // The counters show only what the program called.
    EXPECT_EQ(CallsSince(before, {EntryId::glCallList, EntryId::glColor3f, EntryId::glTranslatef, EntryId::glTexImage2D,
                                  EntryId::glDrawArrays, EntryId::glVertex3fv}),
              (std::vector<uint64_t>{1, 0, 0, 0, 0, 0}));
    glDeleteTextures(1, &texture);
    glDeleteLists(list, 2);
    EXPECT_FALSE(glIsList(list) || glIsList(list + 1));
    EXPECT_TRUE(Run([&] { glCallList(list); }).words.empty());
}

TEST_F(Lowering, CallListsReadsEveryNameTypeStopsAtTheNestingLimitAndRefusesBadNames) {
    // Lists 101..104 each set one colour.
    for (GLuint i = 0; i < 4; ++i) {
        glNewList(101 + i, GL_COMPILE);
        glColor4ub(static_cast<GLubyte>(i), 0, 0, 255);
        glEndList();
    }
    const auto colourWords = [](std::initializer_list<GLubyte> reds) {
        Words words;
        for (GLubyte r : reds) words.insert(words.end(), {0x00080024u, 0xFF000000u | uint32_t{r} << 16});
        return words;
    };
    static const GLubyte kUbytes[] = {0, 3, 1};
    static const GLbyte kBytes[] = {2, -1};
    static const GLuint kUints[] = {103, 9999};
    static const GLfloat kFloats[] = {3.9f, 0.0f};
    static const GLubyte kTwoBytes[] = {0, 1, 0, 3};
    const struct {
        GLuint base;
        GLsizei n;
        GLenum type;
        const void* names;
        Words expected;
    } cases[] = {
        {101, 3, GL_UNSIGNED_BYTE, kUbytes, colourWords({0, 3, 1})},
        {102, 2, GL_BYTE, kBytes, colourWords({3, 0})},
        {0, 2, GL_UNSIGNED_INT, kUints, colourWords({2})},
        {101, 2, GL_FLOAT, kFloats, colourWords({3, 0})},
        {101, 2, GL_2_BYTES, kTwoBytes, colourWords({1, 3})},
        {101, 2, GL_DOUBLE, kFloats, {}},
        {101, -2, GL_UNSIGNED_BYTE, kUbytes, {}},
    };
    for (const auto& c : cases) {
        glListBase(c.base);
        EXPECT_EQ(Run([&] { glCallLists(c.n, c.type, c.names); }).words, c.expected) << std::hex << c.type;
    }
    // A base set inside a list takes effect when the list is played.
    glNewList(105, GL_COMPILE);
    glListBase(102);
    glCallLists(1, GL_UNSIGNED_BYTE, kUbytes);
    glEndList();
    glListBase(0);
    EXPECT_EQ(Run([] { glCallList(105); }).words, colourWords({1}));

    // A list that calls itself plays 64 levels deep and returns.
    glNewList(7, GL_COMPILE);
    glVertex2f(1.0f, 1.0f);
    glCallList(7);
    glEndList();
    EXPECT_EQ(Run([] { glCallList(7); }).vertices.size(), 64u);

    // Names GL refuses, and a list opened twice.
    EXPECT_EQ(glGenLists(0), 0u);
    EXPECT_EQ(glGenLists(INT_MAX), 0u);
    glNewList(0, GL_COMPILE);
    glNewList(9, GL_COMPILE + 7);
    EXPECT_FALSE(api::ListOpen());
    glNewList(9, GL_COMPILE);
    glNewList(10, GL_COMPILE);
    glEndList();
    EXPECT_TRUE(glIsList(9));
    EXPECT_FALSE(glIsList(10));
}

// MORA_GL_SUBSET=seed: the lowered entries, lighting and texture coordinate generation count and
// trace only, glGenLists hands out names from a counter and no list exists, texture level queries
// write nothing and a proxy upload is recorded as any other; the drift scan lists the lowered
// entries again.
TEST_F(Lowering, SeedSubsetKeepsTheLoweredEntriesCountedOnly) {
    const auto reproduced = [](std::string_view name) {
        const auto names = api::ReproducedEntryNames();
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    EXPECT_TRUE(reproduced("glRectf") && reproduced("glDrawElements") && reproduced("glVertex3f"));
    ASSERT_TRUE(platform::SetEnvironment("MORA_GL_SUBSET", "seed"));
    api::ReloadSubsetSetting();
    // Lighting and texture coordinate generation stay off: the vertex is recorded as called.
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_TEXTURE_GEN_S);
    const GLboolean lit = glIsEnabled(GL_LIGHTING);
    GLint width = -7;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glTexImage2D(0x8064, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);  // the proxy
    const uint64_t proxyBytes = StreamBytes();
    const CounterSnapshot before = SnapshotCounters();
    const Effect seed = Run([] {
        PointArraysAtCorners();
        glDrawArrays(GL_QUADS, 0, 4);
        glRectf(0, 0, 1, 1);
        glColor3ub(9, 9, 9);
        glTranslated(1, 1, 1);
        const GLuint first = glGenLists(5);
        EXPECT_EQ(glGenLists(-3), first + 5);
        EXPECT_EQ(glGenLists(1), first + 5);
        glNewList(first, GL_COMPILE);
        glEndList();
        EXPECT_FALSE(glIsList(first));
        glNormal3f(0.0f, 0.0f, 1.0f);
        Immediate(GL_TRIANGLES, {0});
    });
    const bool seedReproducesRect = reproduced("glRectf");
    ASSERT_TRUE(platform::UnsetEnvironment("MORA_GL_SUBSET"));
    api::ReloadSubsetSetting();
    EXPECT_TRUE(seed == Run([] { Immediate(GL_TRIANGLES, {0}); }));
    EXPECT_EQ(CallsSince(before, {EntryId::glDrawArrays, EntryId::glRectf, EntryId::glColor3ub, EntryId::glNormal3f}),
              (std::vector<uint64_t>{1, 1, 1, 1}));
    EXPECT_TRUE(!seedReproducesRect && lit == GL_FALSE && width == -7 && proxyBytes > 0)
        << seedReproducesRect << int{lit} << " " << width << " " << proxyBytes;
}

// A lit vertex facing light 0 is recorded as the calls the program would have made for a vertex of
// colour (c, c, c): the default material and light give 0.2 * 0.2 + 0.8, 214; the program's colour
// follows the primitive. (How lights and generated coordinates look is compared with OSMesa in
// tests/compare.)
TEST_F(Lowering, ShadedVerticesRecordTheCallsTheyStandFor) {
    const Effect reference = Run([] {
        glBegin(GL_TRIANGLES);
        glColor4ub(214, 214, 214, 255);
        glVertex3f(0.0f, 0.0f, 0.0f);
        glEnd();
        glColor4ub(1, 2, 3, 4);  // the program's colour, as Run sets it
    });
    EXPECT_TRUE(Run([] {
                    glEnable(GL_LIGHTING);
                    glEnable(GL_LIGHT0);
                    EmptyCommandBuffer(TheCommandRecording().stream);
                    glBegin(GL_TRIANGLES);
                    glNormal3f(0.0f, 0.0f, 1.0f);
                    glVertex3f(0.0f, 0.0f, 0.0f);
                    glEnd();
                }) == reference);
}

// Before any matrix call the context's modelview is empty; GL places lights as under the identity.
TEST_F(Lowering, LightPlacedBeforeAnyMatrixCallIsPlacedUnderTheIdentity) {
    GLfloat position[4] = {};
    const GLfloat zero[16] = {};
    glLoadMatrixf(zero);
    const GLfloat place[4] = {4.0f, 5.0f, 6.0f, 1.0f};
    glLightfv(GL_LIGHT3, GL_POSITION, place);
    glLoadIdentity();
    glGetLightfv(GL_LIGHT3, GL_POSITION, position);
    EXPECT_EQ(std::vector<GLfloat>(position, position + 4), (std::vector<GLfloat>{4.0f, 5.0f, 6.0f, 1.0f}));
}

}  // namespace
}  // namespace mora::test
