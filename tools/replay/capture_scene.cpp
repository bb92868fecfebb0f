// mora-capture-scene: draws a small animated scene through the driver's public API (an offscreen
// device context, the GL and WGL entry points of include/mora) so that the driver's capture
// switches (MORA_CAPTURE_FRAMES, MORA_CAPTURE_REFERENCE_PIXELS) record real frames. The replay
// tests and the fuzzing script make their captures with it.
//
// The frames exercise what a replay has to carry from one frame to the next: state set in one
// frame and used in later ones, frames that clear only depth (their image builds on the frame
// before), a texture rewritten every frame, a texture deleted and re-created, and a name bound
// beyond the table. Every value derives from the frame number, so each run draws the same frames.
// With --arrays-and-lists the ground comes from a display list, the cube from vertex arrays and
// the HUD panel from interleaved arrays compiled and run in a list each frame: the same frames,
// recorded through the lowered entries (their records must be the immediate calls' records).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "mora/gl.h"
#include "mora/mora_dc.h"
#include "mora/wgl.h"

namespace {

struct SceneOptions {
    int width = 160;
    int height = 120;
    int frames = 12;
    bool arraysAndLists = false;
};

constexpr GLuint kGroundList = 1;
constexpr GLuint kPanelList = 2;

constexpr GLuint kCheckerTexture = 1;
constexpr GLuint kGroundTexture = 2;
constexpr GLuint kSpriteTexture = 3;
constexpr GLuint kAnimatedTexture = 4;
constexpr GLuint kLateTexture = 12;  // bound at frame 8: grows the table past its captured size
constexpr int kAnimatedSize = 32;

bool ParseOptions(int argc, char** argv, SceneOptions& options) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d", &options.width, &options.height) != 2 || options.width < 1 ||
                options.height < 1 || options.width > 4096 || options.height > 4096) {
                return false;
            }
        } else if (std::strcmp(argv[i], "--arrays-and-lists") == 0) {
            options.arraysAndLists = true;
        } else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            char* end = nullptr;
            const long frames = std::strtol(argv[++i], &end, 10);
            if (end == nullptr || *end != '\0' || frames < 1 || frames > 100000) return false;
            options.frames = static_cast<int>(frames);
        } else {
            return false;
        }
    }
    return true;
}

std::vector<uint8_t> CheckerRgba(int size) {
    std::vector<uint8_t> texels(static_cast<std::size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            uint8_t* t = &texels[(static_cast<std::size_t>(y) * size + x) * 4];
            const bool dark = ((x / 8) + (y / 8)) % 2 == 0;
            t[0] = dark ? 40 : 230;
            t[1] = dark ? 60 : static_cast<uint8_t>(4 * x);
            t[2] = dark ? 160 : static_cast<uint8_t>(4 * y);
            t[3] = 255;
        }
    }
    return texels;
}

std::vector<uint8_t> GradientRgb(int size, int variant) {
    std::vector<uint8_t> texels(static_cast<std::size_t>(size) * size * 3);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            uint8_t* t = &texels[(static_cast<std::size_t>(y) * size + x) * 3];
            t[0] = static_cast<uint8_t>(x * 255 / (size - 1));
            t[1] = static_cast<uint8_t>(variant == 0 ? y * 255 / (size - 1) : 255 - y * 255 / (size - 1));
            t[2] = static_cast<uint8_t>(variant == 0 ? 90 : 200);
        }
    }
    return texels;
}

// A disc: opaque inside, alpha 0 outside, for the alpha test.
std::vector<uint8_t> SpriteRgba(int size) {
    std::vector<uint8_t> texels(static_cast<std::size_t>(size) * size * 4);
    const float centre = (size - 1) * 0.5f;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            uint8_t* t = &texels[(static_cast<std::size_t>(y) * size + x) * 4];
            const float d = std::hypot(x - centre, y - centre) / centre;
            t[0] = 255;
            t[1] = static_cast<uint8_t>(200 - 100 * std::fmin(d, 1.0f));
            t[2] = 40;
            t[3] = d < 0.8f ? 255 : 0;
        }
    }
    return texels;
}

void UploadTexture(GLuint name, int size, GLenum format, const std::vector<uint8_t>& texels, GLint filter) {
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexImage2D(GL_TEXTURE_2D, 0, format == GL_RGB ? 3 : 4, size, size, 0, format, GL_UNSIGNED_BYTE, texels.data());
}

void CreateTextures() {
    UploadTexture(kCheckerTexture, 64, GL_RGBA, CheckerRgba(64), GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    UploadTexture(kGroundTexture, 32, GL_RGB, GradientRgb(32, 0), GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    UploadTexture(kSpriteTexture, 16, GL_RGBA, SpriteRgba(16), GL_LINEAR);
    std::vector<uint8_t> blank(static_cast<std::size_t>(kAnimatedSize) * kAnimatedSize * 4, 0x30);
    UploadTexture(kAnimatedTexture, kAnimatedSize, GL_RGBA, blank, GL_LINEAR);
}

// A bar that moves across the animated texture, written with a sub-image every frame.
void AnimateTexture(int frame) {
    std::vector<uint8_t> bar(static_cast<std::size_t>(8) * kAnimatedSize * 4);
    for (std::size_t i = 0; i < bar.size(); i += 4) {
        bar[i] = static_cast<uint8_t>(frame * 37);
        bar[i + 1] = static_cast<uint8_t>(255 - frame * 11);
        bar[i + 2] = 128;
        bar[i + 3] = 255;
    }
    glBindTexture(GL_TEXTURE_2D, kAnimatedTexture);
    glTexSubImage2D(GL_TEXTURE_2D, 0, (frame * 8) % kAnimatedSize, 0, 8, kAnimatedSize, GL_RGBA, GL_UNSIGNED_BYTE,
                    bar.data());
}

void TexturedQuad(float x0, float y0, float x1, float y1, float z) {
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(x0, y0, z);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(x1, y0, z);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(x1, y1, z);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(x0, y1, z);
    glEnd();
}

void Cube(float angle) {
    static const float kCorners[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                         {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
    static const int kFaces[6][4] = {{4, 5, 6, 7}, {1, 0, 3, 2}, {0, 4, 7, 3},
                                     {5, 1, 2, 6}, {7, 6, 2, 3}, {0, 1, 5, 4}};
    static const float kUv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    glPushMatrix();
    glTranslatef(0.0f, 0.2f, -5.0f);
    glRotatef(angle, 0.3f, 1.0f, 0.2f);
    for (int face = 0; face < 6; ++face) {
        glBegin(GL_TRIANGLE_FAN);
        for (int corner = 0; corner < 4; ++corner) {
            const float* p = kCorners[kFaces[face][corner]];
            glColor4ub(static_cast<GLubyte>(155 + 20 * face), static_cast<GLubyte>(255 - 30 * corner), 200, 255);
            glTexCoord2f(kUv[corner][0], kUv[corner][1]);
            glVertex3f(p[0], p[1], p[2]);
        }
        glEnd();
    }
    glPopMatrix();
}

// The cube's faces as one fan of four elements each, drawn from colour, texture-coordinate and
// position arrays: the same calls Cube makes.
void CubeFromArrays(float angle) {
    static const float kCorners[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                         {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
    static const int kFaces[6][4] = {{4, 5, 6, 7}, {1, 0, 3, 2}, {0, 4, 7, 3},
                                     {5, 1, 2, 6}, {7, 6, 2, 3}, {0, 1, 5, 4}};
    static const float kUv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    GLubyte colours[24][4];
    GLfloat uvs[24][2];
    GLfloat positions[24][3];
    for (int face = 0; face < 6; ++face) {
        for (int corner = 0; corner < 4; ++corner) {
            const int e = 4 * face + corner;
            const GLubyte rgba[4] = {static_cast<GLubyte>(155 + 20 * face), static_cast<GLubyte>(255 - 30 * corner),
                                     200, 255};
            std::memcpy(colours[e], rgba, sizeof(rgba));
            std::memcpy(uvs[e], kUv[corner], sizeof(uvs[e]));
            std::memcpy(positions[e], kCorners[kFaces[face][corner]], sizeof(positions[e]));
        }
    }
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, colours);
    glTexCoordPointer(2, GL_FLOAT, 0, uvs);
    glVertexPointer(3, GL_FLOAT, 0, positions);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glPushMatrix();
    glTranslated(0.0, 0.2, -5.0);
    glRotatef(angle, 0.3f, 1.0f, 0.2f);
    for (int face = 0; face < 6; ++face) glDrawArrays(GL_TRIANGLE_FAN, 4 * face, 4);
    glPopMatrix();
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

// TexturedQuad from GL_T2F_V3F interleaved arrays.
void TexturedQuadFromArrays(float x0, float y0, float x1, float y1, float z) {
    const GLfloat corners[4][5] = {{0, 0, x0, y0, z}, {1, 0, x1, y0, z}, {1, 1, x1, y1, z}, {0, 1, x0, y1, z}};
    glInterleavedArrays(GL_T2F_V3F, 0, corners);
    glDrawArrays(GL_QUADS, 0, 4);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void DrawFrame(const SceneOptions& options, int frame) {
    const float t = static_cast<float>(frame);
    if (frame % 3 == 2) {
        glClear(GL_DEPTH_BUFFER_BIT);  // the colour of the frame before stays underneath
    } else {
        glClearColor(0.1f + 0.02f * static_cast<float>(frame % 10), 0.15f, 0.25f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    if (frame == 4) {
        glEnable(GL_CULL_FACE);  // stays on for every later frame
        glCullFace(GL_BACK);
    }
    if (frame == 6) {
        // Re-create the ground texture under a generated name (the deleted one is free again).
        GLuint name = 0;
        glDeleteTextures(1, &kGroundTexture);
        glGenTextures(1, &name);
        UploadTexture(name, 32, GL_RGB, GradientRgb(32, 1), GL_NEAREST);
    }
    if (frame == 8) {
        std::vector<uint8_t> small(8 * 8 * 4);
        for (std::size_t i = 0; i < small.size(); ++i) small[i] = static_cast<uint8_t>(i * 7);
        UploadTexture(kLateTexture, 8, GL_RGBA, small, GL_NEAREST);
    }
    AnimateTexture(frame);

    glViewport(0, 0, options.width, options.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1.0, 1.0, -0.75, 0.75, 1.0, 20.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    // Ground, then the cube.
    glBindTexture(GL_TEXTURE_2D, kGroundTexture);
    glColor3f(1.0f, 1.0f, 1.0f);
    glPushMatrix();
    if (options.arraysAndLists) {
        glCallList(kGroundList);
    } else {
        glTranslatef(0.0f, -1.5f, -6.0f);
        glRotatef(-70.0f, 1.0f, 0.0f, 0.0f);
        TexturedQuad(-4.0f, -4.0f, 4.0f, 4.0f, 0.0f);
    }
    glPopMatrix();
    glBindTexture(GL_TEXTURE_2D, kCheckerTexture);
    if (options.arraysAndLists) {
        CubeFromArrays(t * 9.0f);
    } else {
        Cube(t * 9.0f);
    }

    // The three blend modes, without depth writes.
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, kAnimatedTexture);
    glBlendFunc(GL_ONE, GL_ONE);
    glColor4f(0.4f, 0.3f, 0.2f, 1.0f);
    TexturedQuad(-2.6f + 0.1f * t, -0.2f, -1.2f + 0.1f * t, 1.2f, -4.0f);
    glBlendFunc(GL_ZERO, GL_SRC_COLOR);
    TexturedQuad(0.8f, -1.0f, 2.4f, 0.4f, -4.5f);
    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBegin(GL_TRIANGLES);
    glColor4f(1.0f, 0.2f, 0.2f, 0.5f);
    glVertex3f(-1.5f, -1.0f, -3.0f);
    glColor4f(0.2f, 1.0f, 0.2f, 0.7f);
    glVertex3f(1.5f, -1.0f, -3.0f);
    glColor4f(0.2f, 0.2f, 1.0f, 0.3f);
    glVertex3f(0.0f, 1.0f + 0.05f * t, -3.0f);
    glEnd();
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glEnable(GL_TEXTURE_2D);

    // Alpha-tested sprite, texture replacing the colour.
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBindTexture(GL_TEXTURE_2D, kSpriteTexture);
    TexturedQuad(-0.6f + 0.05f * t, 0.4f, 0.2f + 0.05f * t, 1.2f, -3.5f);
    glDisable(GL_ALPHA_TEST);

    // HUD in window coordinates: an untextured fan and a decal / blend-environment panel.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, options.width, 0.0, options.height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_TRIANGLE_FAN);
    glColor3f(1.0f, 1.0f, 0.0f);
    glVertex2f(10.0f, 10.0f);
    glColor3f(0.0f, 1.0f, 1.0f);
    glVertex2f(40.0f + t, 10.0f);
    glColor3f(1.0f, 0.0f, 1.0f);
    glVertex2f(40.0f, 30.0f);
    glColor3f(1.0f, 1.0f, 1.0f);
    glVertex2f(10.0f, 30.0f);
    glEnd();
    glEnable(GL_TEXTURE_2D);
    const GLfloat envColour[4] = {0.9f, 0.5f, 0.1f, 1.0f};
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, envColour);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, frame % 2 == 0 ? GL_DECAL : GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, frame >= 8 ? kLateTexture : kCheckerTexture);
    glColor3f(0.8f, 0.8f, 0.8f);
    const float right = static_cast<float>(options.width);
    if (options.arraysAndLists) {
        glNewList(kPanelList, GL_COMPILE_AND_EXECUTE);
        TexturedQuadFromArrays(right - 50.0f, 8.0f, right - 8.0f, 50.0f, 0.0f);
        glEndList();
    } else {
        TexturedQuad(right - 50.0f, 8.0f, right - 8.0f, 50.0f, 0.0f);
    }
}

}  // namespace

int main(int argc, char** argv) {
    SceneOptions options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: mora-capture-scene [--size WxH] [--frames N] [--arrays-and-lists]\n");
        return 2;
    }
    HDC dc = moraCreateOffscreenDC(options.width, options.height);
    HGLRC rc = dc != nullptr ? wglCreateContext(dc) : nullptr;
    if (rc == nullptr || wglMakeCurrent(dc, rc) == 0) {
        std::fprintf(stderr, "mora-capture-scene: cannot create an offscreen context\n");
        return 1;
    }
    glViewport(0, 0, options.width, options.height);
    CreateTextures();
    if (options.arraysAndLists) {
        glNewList(kGroundList, GL_COMPILE);
        glTranslated(0.0, -1.5, -6.0);
        glRotated(-70.0, 1.0, 0.0, 0.0);
        TexturedQuad(-4.0f, -4.0f, 4.0f, 4.0f, 0.0f);
        glEndList();
    }
    for (int frame = 0; frame < options.frames; ++frame) {
        DrawFrame(options, frame);
        wglSwapBuffers(dc);
    }
    wglMakeCurrent(dc, nullptr);
    wglDeleteContext(rc);
    moraDestroyOffscreenDC(dc);
    return 0;
}
