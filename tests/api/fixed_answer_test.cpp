// The counted-only entries that answer: the GL strings, glGetError, the integer, boolean and
// double queries, texture residency and render mode.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "api/api_test_support.h"
#include "mora/gl.h"

namespace mora::test {
namespace {

using FixedAnswers = ApiTest;

std::string AsText(const GLubyte* text) { return reinterpret_cast<const char*>(text); }

TEST_F(FixedAnswers, GetStringNamesTheDriverAndNeverReturnsNull) {
    EXPECT_EQ(AsText(glGetString(GL_VENDOR)), "MORA Project");
    EXPECT_EQ(AsText(glGetString(GL_RENDERER)), "MORA Null Renderer");
    EXPECT_EQ(AsText(glGetString(GL_VERSION)), "1.1");
    for (GLenum name : {GLenum{GL_EXTENSIONS}, GLenum{0}, GLenum{0xFFFFFFFF}}) {
        const GLubyte* text = glGetString(name);
        ASSERT_NE(text, nullptr) << name;
        EXPECT_EQ(text[0], 0) << name;
    }
    EXPECT_EQ(glGetString(GL_VENDOR), glGetString(GL_VENDOR)) << "static strings";
    EXPECT_EQ(StreamBytes(), 0u);
}

TEST_F(FixedAnswers, GetIntegervWritesExactlyOneInteger) {
    struct Case {
        GLenum pname;
        GLint value;
    };
    for (const Case& c : {Case{GL_MAX_TEXTURE_SIZE, 1024}, Case{GL_RED_BITS, 8}, Case{GL_GREEN_BITS, 8},
                          Case{GL_BLUE_BITS, 8}, Case{GL_ALPHA_BITS, 8}, Case{GL_DEPTH_BITS, 24},
                          Case{GL_STENCIL_BITS, 0}, Case{GL_VIEWPORT, 0}, Case{GL_PACK_ALIGNMENT, 1},
                          Case{GL_UNPACK_ALIGNMENT, 1}, Case{0, 0}}) {
        GLint out[2] = {-7, -7};
        glGetIntegerv(c.pname, out);
        EXPECT_EQ(out[0], c.value) << std::hex << c.pname;
        EXPECT_EQ(out[1], -7) << "only one integer is written";
    }
    const CounterSnapshot before = SnapshotCounters();
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, nullptr);
    EXPECT_EQ(CallsSince(before, EntryId::glGetIntegerv), 1u);
}

// glGetError, glRenderMode and the boolean and double queries: one false or zero, nothing else.
TEST_F(FixedAnswers, ErrorRenderModeBooleanAndDoubleQueries) {
    glTexImage2D(0xDEAD, -1, 0, -5, -5, 0, 0, 0, nullptr);  // anything goes, nothing is an error
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(glRenderMode(GL_SELECT), 0);
    GLboolean flags[2] = {7, 7};
    glGetBooleanv(GL_DEPTH_TEST, flags);
    EXPECT_EQ(std::vector<GLboolean>(flags, flags + 2), (std::vector<GLboolean>{GL_FALSE, 7}));
    GLdouble values[2] = {5.0, 5.0};
    glGetDoublev(GL_MODELVIEW_MATRIX, values);
    EXPECT_EQ(std::vector<GLdouble>(values, values + 2), (std::vector<GLdouble>{0.0, 5.0}));
    glGetBooleanv(GL_DEPTH_TEST, nullptr);
    glGetDoublev(GL_MODELVIEW_MATRIX, nullptr);
}

TEST_F(FixedAnswers, AreTexturesResidentFillsNBytesAndSaysTrue) {
    const GLuint names[3] = {1, 2, 3};
    GLboolean residences[4] = {0, 0, 0, 9};
    EXPECT_EQ(glAreTexturesResident(3, names, residences), GL_TRUE);
    EXPECT_EQ(std::vector<GLboolean>(residences, residences + 4), (std::vector<GLboolean>{1, 1, 1, 9}))
        << "n bytes only";
    EXPECT_EQ(glAreTexturesResident(3, names, nullptr), GL_TRUE);
    GLboolean untouched = 9;
    EXPECT_EQ(glAreTexturesResident(0, names, &untouched), GL_TRUE);
    EXPECT_EQ(glAreTexturesResident(-4, nullptr, &untouched), GL_TRUE);
    EXPECT_EQ(untouched, 9);
}

}  // namespace
}  // namespace mora::test
