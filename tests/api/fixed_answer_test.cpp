// The entries that answer: the GL strings, glGetError, the integer, boolean and double queries,
// texture residency, render mode and the texture level queries.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "api/api_test_support.h"
#include "mora/gl.h"

namespace mora::test {
namespace {

using FixedAnswers = ApiTest;

std::string AsText(const GLubyte* text) { return reinterpret_cast<const char*>(text); }

// The GL strings (never null), glGetError (nothing is an error), glRenderMode, and the queries
// that answer a fixed value: each writes one value (n for residency) and nothing more.
TEST_F(FixedAnswers, StringsErrorsAndQueriesThatWriteOneValue) {
    EXPECT_EQ(AsText(glGetString(GL_VENDOR)), "MORA Project");
    EXPECT_EQ(AsText(glGetString(GL_RENDERER)), "MORA Null Renderer");
    EXPECT_EQ(AsText(glGetString(GL_VERSION)), "1.1");
    for (GLenum name : {GLenum{GL_EXTENSIONS}, GLenum{0}, GLenum{0xFFFFFFFF}}) {
        const GLubyte* text = glGetString(name);
        EXPECT_TRUE(text != nullptr && text[0] == 0) << name;
    }
    glGetError();                                           // whatever an earlier query in this process left
    glTexImage2D(0xDEAD, -1, 0, -5, -5, 0, 0, 0, nullptr);  // anything goes, nothing is an error
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(glRenderMode(GL_SELECT), 0);

    GLint integers[2] = {-7, -7};
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, integers);
    EXPECT_EQ(integers[0], 1024);
    glGetIntegerv(GL_VIEWPORT, integers);  // one 0, not four integers
    EXPECT_EQ(std::vector<GLint>(integers, integers + 2), (std::vector<GLint>{0, -7}));
    GLboolean flags[4] = {7, 7, 7, 9};
    glGetBooleanv(GL_DEPTH_TEST, flags);
    EXPECT_EQ(std::vector<GLboolean>(flags, flags + 2), (std::vector<GLboolean>{GL_FALSE, 7}));
    const GLuint names[3] = {1, 2, 3};
    EXPECT_EQ(glAreTexturesResident(3, names, flags), GL_TRUE);
    EXPECT_EQ(std::vector<GLboolean>(flags, flags + 4), (std::vector<GLboolean>{1, 1, 1, 9}));
    EXPECT_EQ(glAreTexturesResident(-4, nullptr, flags), GL_TRUE);
    EXPECT_EQ(flags[0], 1);
    GLdouble values[2] = {5.0, 5.0};
    glGetDoublev(GL_MODELVIEW_MATRIX, values);
    EXPECT_EQ(std::vector<GLdouble>(values, values + 2), (std::vector<GLdouble>{0.0, 5.0}));
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, nullptr);
    glGetBooleanv(GL_DEPTH_TEST, nullptr);
    glGetDoublev(GL_MODELVIEW_MATRIX, nullptr);
    EXPECT_EQ(glAreTexturesResident(3, names, nullptr), GL_TRUE);
}

// A name GL 1.1 does not define (0, GL 3's GL_MAJOR_VERSION that SFML asks first, the rectangle
// texture size piglit asks): GL_INVALID_ENUM, reported once, and the output left as it was, so
// that the caller falls back to parsing GL_VERSION ("1.1").
TEST_F(FixedAnswers, QueriesOfNamesOutsideGl11RaiseInvalidEnumAndWriteNothing) {
    for (const GLenum pname : {GLenum{0}, GLenum{0x821B}, GLenum{0x84F8}}) {
        GLint integer = -7;
        GLfloat real = -7.0f;
        GLboolean flag = 7;
        GLdouble precise = -7.0;
        const std::function<void()> queries[] = {
            [&] { glGetIntegerv(pname, &integer); }, [&] { glGetFloatv(pname, &real); },
            [&] { glGetBooleanv(pname, &flag); }, [&] { glGetDoublev(pname, &precise); }};
        for (const auto& query : queries) {
            query();
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_ENUM)) << std::hex << pname;
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "the flag is cleared";
        }
        EXPECT_TRUE(integer == -7 && real == -7.0f && flag == 7 && precise == -7.0) << std::hex << pname;
    }
    glGetIntegerv(0x821B, nullptr);
    glGetIntegerv(0x84F8, nullptr);  // a second error while one is held is dropped
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_ENUM));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Texture level queries: the bound texture's image and its mip levels, and the proxy, which a
// proxy upload only answers (nothing recorded, nothing allocated; zeros when it would not fit).
TEST_F(FixedAnswers, TexLevelParametersOfTheBoundTextureAndTheProxy) {
    constexpr GLenum kProxy = 0x8064;
    constexpr GLenum kRedSize = 0x805C, kLuminanceSize = 0x8060;
    glBindTexture(GL_TEXTURE_2D, 77);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE8_ALPHA8, 8, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    EmptyCommandBuffer(TheCommandRecording().stream);
    const std::size_t slots = TheGlContext().textureTable.size();
    // Each proxy upload answers the width it would have (0 when it would not fit).
    struct Upload {
        GLint level, internalformat, width, height, border, answer;
    };
    for (const Upload& u :
         {Upload{0, GL_RGBA8, 1024, 512, 0, 1024}, Upload{1, 3, 300, 2, 0, 300}, Upload{10, GL_RGBA, 1, 1, 0, 1},
          Upload{1, GL_RGBA, 1024, 1, 0, 0}, Upload{0, GL_RGBA, 4, 4, 1, 0}, Upload{0, 0x1234, 4, 4, 0, 0},
          Upload{0, GL_RGBA, 0, 4, 0, 0}}) {
        glTexImage2D(0x84F7, u.level, u.internalformat, u.width, u.height, u.border, GL_RGBA, GL_UNSIGNED_BYTE,
                     nullptr);  // the rectangle proxy: no image, no record
        glTexImage2D(kProxy, u.level, u.internalformat, u.width, u.height, u.border, GL_RGBA, GL_UNSIGNED_BYTE,
                     nullptr);
        GLint width = -7;
        glGetTexLevelParameteriv(kProxy, u.level, GL_TEXTURE_WIDTH, &width);
        EXPECT_EQ(width, u.answer) << u.level << ": " << u.width << "x" << u.height;
    }
    EXPECT_EQ(StreamBytes(), 0u) << "proxy uploads record nothing";
    EXPECT_EQ(TheGlContext().textureTable.size(), slots);
    struct Case {
        GLenum target;
        GLint level;
        GLenum pname;
        GLint value;
    };
    for (const Case& c : {Case{GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, 8}, Case{GL_TEXTURE_2D, 1, GL_TEXTURE_HEIGHT, 1},
                          Case{GL_TEXTURE_2D, 4, GL_TEXTURE_WIDTH, 0}, Case{GL_TEXTURE_2D, -1, GL_TEXTURE_WIDTH, 0},
                          Case{GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, GL_LUMINANCE8_ALPHA8},
                          Case{GL_TEXTURE_2D, 0, kLuminanceSize, 8}, Case{GL_TEXTURE_2D, 0, kRedSize, 0},
                          Case{kProxy, 10, GL_TEXTURE_INTERNAL_FORMAT, GL_RGBA}, Case{kProxy, 10, kRedSize, 8},
                          Case{kProxy, 11, GL_TEXTURE_WIDTH, 0}}) {
        GLint value = -7;
        GLfloat valuef = -7.0f;
        glGetTexLevelParameteriv(c.target, c.level, c.pname, &value);
        glGetTexLevelParameterfv(c.target, c.level, c.pname, &valuef);
        EXPECT_TRUE(value == c.value && valuef == static_cast<GLfloat>(c.value))
            << std::hex << c.target << " level " << c.level << " pname " << c.pname << ": " << value;
    }
    GLint untouched = -7;
    glGetTexLevelParameteriv(GL_TEXTURE_1D, 0, GL_TEXTURE_WIDTH, &untouched);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, 0xBAD, &untouched);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, nullptr);
    EXPECT_EQ(untouched, -7);
}

}  // namespace
}  // namespace mora::test
