// Lighting and texture coordinate generation at the entry: a shaded vertex is recorded as the
// colour, texture-coordinate and vertex calls it stands for, followed after the primitive by the
// program's own current values; light positions and eye planes take the modelview of their call;
// display lists apply these calls only when played (the seed subset is in lowering_test.cpp).
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <vector>

#include "api/api_test_support.h"
#include "api/display_lists.h"
#include "api/fixed_function.h"
#include "mora/gl.h"

namespace mora::test {
namespace {

using Words = std::vector<uint32_t>;

class FixedFunction : public ApiTest {
protected:
    void SetUp() override {
        ApiTest::SetUp();
        ResetState();
    }
    void TearDown() override {
        ResetState();
        ApiTest::TearDown();
    }
    static void ResetState() {
        api::ResetDisplayLists();
        api::TheFixedFunctionState() = api::MakeDefaultFixedFunctionState();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glColor4ub(10, 20, 30, 255);
        glTexCoord2f(-1.0f, -1.0f);
    }
    static Words Record(const std::function<void()>& calls) {
        EmptyCommandBuffer(TheCommandRecording().stream);
        calls();
        return StreamWords();
    }
};

void LightingOn() {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
}

void UnitVertex() {
    glBegin(GL_TRIANGLES);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glEnd();
}

// What the program would have called for one vertex of colour (c, c, c) at the origin; the
// default material and light 0 give 0.2 * 0.2 + 0.8 * (n . l), 214 facing the light, 10 away.
void ReferenceVertex(GLubyte c) {
    glBegin(GL_TRIANGLES);
    glColor4ub(c, c, c, 255);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glEnd();
    glColor4ub(10, 20, 30, 255);
}

TEST_F(FixedFunction, ShadedVerticesRecordTheCallsTheyStandFor) {
    static const GLbyte kNormal[3] = {0, 0, 127};
    static const GLfloat kOrigin[3] = {0.0f, 0.0f, 0.0f};
    const struct {
        const char* name;
        std::function<void()> setup;
        std::function<void()> calls;
        std::function<void()> reference;
    } cases[] = {
        {"directional light facing the normal", LightingOn, UnitVertex, [] { ReferenceVertex(214); }},
        {"normal from a byte normal array", LightingOn,
         [] {
             glVertexPointer(3, GL_FLOAT, 0, kOrigin);
             glNormalPointer(GL_BYTE, 0, kNormal);
             glEnableClientState(GL_VERTEX_ARRAY);
             glEnableClientState(GL_NORMAL_ARRAY);
             glDrawArrays(GL_TRIANGLES, 0, 1);
             glDisableClientState(GL_NORMAL_ARRAY);
             glDisableClientState(GL_VERTEX_ARRAY);
         },
         [] { ReferenceVertex(214); }},
        {"light position taken through the modelview of glLightfv",
         [] {
             LightingOn();
             const GLfloat above[4] = {0.0f, 0.0f, 0.0f, 1.0f};
             glTranslatef(0.0f, 0.0f, 5.0f);
             glLightfv(GL_LIGHT0, GL_POSITION, above);
             glLoadIdentity();
         },
         UnitVertex, [] { ReferenceVertex(214); }},
        {"light behind the surface",
         [] {
             LightingOn();
             const GLfloat behind[4] = {0.0f, 0.0f, -1.0f, 0.0f};
             glLightfv(GL_LIGHT0, GL_POSITION, behind);
         },
         UnitVertex, [] { ReferenceVertex(10); }},
        {"object-linear s, current t",
         [] {
             const GLfloat plane[4] = {1.0f, 0.0f, 0.0f, 0.5f};
             glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
             glTexGenfv(GL_S, GL_OBJECT_PLANE, plane);
             glEnable(GL_TEXTURE_GEN_S);
         },
         [] {
             glBegin(GL_POINTS);
             glVertex3f(2.0f, 0.0f, 0.0f);
             glEnd();
         },
         [] {
             glBegin(GL_POINTS);
             glTexCoord2f(2.5f, -1.0f);
             glVertex3f(2.0f, 0.0f, 0.0f);
             glEnd();
             glTexCoord2f(-1.0f, -1.0f);
         }},
        {"eye plane taken through the inverse modelview of glTexGen",
         [] {
             const GLfloat plane[4] = {1.0f, 0.0f, 0.0f, 0.0f};
             glTranslatef(1.0f, 0.0f, 0.0f);
             glTexGenfv(GL_T, GL_EYE_PLANE, plane);  // (1, 0, 0, -1) in eye space
             glLoadIdentity();
             glEnable(GL_TEXTURE_GEN_T);
         },
         [] {
             glBegin(GL_POINTS);
             glVertex2f(3.0f, 0.0f);
             glEnd();
         },
         [] {
             glBegin(GL_POINTS);
             glTexCoord2f(-1.0f, 2.0f);
             glVertex2f(3.0f, 0.0f);
             glEnd();
             glTexCoord2f(-1.0f, -1.0f);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetState();
        const Words reference = Record(c.reference);
        c.setup();
        EXPECT_EQ(Record(c.calls), reference);
        EXPECT_EQ(TheGlContext().currentColour, 0xFF0A141Eu);  // the program's colour stays current
    }
}

// Compiled calls change nothing; played, they take the modelview of the playing: the light in
// the list ends up behind the vertex only when placed under the rotation the list is called in.
TEST_F(FixedFunction, DisplayListsApplyTheCallsWhenPlayed) {
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const GLfloat front[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, front);
    UnitVertex();
    glEndList();
    GLfloat position[4] = {};
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    EXPECT_EQ(glIsEnabled(GL_LIGHTING), GL_FALSE);
    EXPECT_EQ(position[2], 1.0f);
    EXPECT_EQ(position[3], 0.0f);  // still the default direction

    const Words reference = Record([] { ReferenceVertex(214); });
    glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
    const Words played = Record([list] { glCallList(list); });
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    EXPECT_EQ(glIsEnabled(GL_LIGHTING), GL_TRUE);
    EXPECT_NEAR(position[2], -1.0f, 1e-6f);
    // The list's own enable and light records are not frame records; the vertex is shaded.
    ASSERT_GE(played.size(), reference.size());
    EXPECT_EQ(Words(played.end() - static_cast<std::ptrdiff_t>(reference.size()), played.end()), reference);
}

TEST_F(FixedFunction, QueriesAnswerTheState) {
    GLfloat position[4] = {};
    // Before any matrix call the context's modelview is empty; GL places lights as under the identity.
    const GLfloat zero[16] = {};
    glLoadMatrixf(zero);
    const GLfloat place[4] = {4.0f, 5.0f, 6.0f, 1.0f};
    glLightfv(GL_LIGHT3, GL_POSITION, place);
    glLoadIdentity();
    glGetLightfv(GL_LIGHT3, GL_POSITION, position);
    EXPECT_EQ(std::vector<GLfloat>(position, position + 4), (std::vector<GLfloat>{4.0f, 5.0f, 6.0f, 1.0f}));
    GLint diffuse[4] = {};
    glGetLightiv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    EXPECT_EQ(diffuse[0], INT_MAX);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_DIFFUSE);
    glColor4ub(255, 0, 0, 255);
    GLfloat material[4] = {};
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, material);
    EXPECT_EQ(std::vector<GLfloat>(material, material + 4), (std::vector<GLfloat>{1.0f, 0.0f, 0.0f, 1.0f}));
    glDisable(GL_COLOR_MATERIAL);
    glColor4ub(0, 255, 0, 255);
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, material);
    EXPECT_EQ(material[0], 1.0f);  // kept the colour it tracked last
    GLint mode = 0;
    glTexGeni(GL_R, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);  // not a mode r may take
    glGetTexGeniv(GL_R, GL_TEXTURE_GEN_MODE, &mode);
    EXPECT_EQ(mode, GL_EYE_LINEAR);
}

}  // namespace
}  // namespace mora::test
