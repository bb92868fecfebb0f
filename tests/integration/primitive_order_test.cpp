// One frame through the exported API that needs flat shading, a line, a point and a clear issued
// after drawing. Run twice by CTest: as is, and with MORA_GL_SUBSET=seed, where all four keep the
// behaviour of the original subset (glShadeModel ignored, no lines or points, every clear applied
// before the frame's first triangle).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "driver_session.h"

namespace mora_it {
namespace {

constexpr int kSize = 16;

bool SeedSubset() {
    const char* value = std::getenv("MORA_GL_SUBSET");
    return value != nullptr && std::strcmp(value, "seed") == 0;
}

TEST(PrimitiveOrder, FlatLinePointAndClearAfterDrawing) {
    OffscreenSession session(kSize, kSize);
    ASSERT_TRUE(session.ok());
    ResetGlState(kSize, kSize);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1.0f, 0.0f, 0.0f);
    DrawRect(0.0f, 0.0f, kSize, kSize / 2);  // bottom half red, then cleared again
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glShadeModel(GL_FLAT);
    glBegin(GL_TRIANGLES);  // the top half's left triangle, in its last vertex's green
    glColor3f(1.0f, 1.0f, 1.0f);
    glVertex2f(0.0f, 8.0f);
    glVertex2f(16.0f, 16.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex2f(0.0f, 16.0f);
    glEnd();
    glShadeModel(GL_SMOOTH);
    glColor3f(1.0f, 1.0f, 0.0f);
    glBegin(GL_LINES);  // GL row 2, yellow
    glVertex2f(0.3f, 2.4f);
    glVertex2f(15.7f, 2.4f);
    glEnd();
    glColor3f(1.0f, 0.0f, 1.0f);
    glBegin(GL_POINTS);  // pixel (12, 5), magenta
    glVertex2f(12.6f, 5.2f);
    glEnd();
    wglSwapBuffers(session.dc);

    const PresentedFrame frame = ReadPresented(session.dc);
    ASSERT_EQ(frame.pixels.size(), static_cast<std::size_t>(kSize * kSize));
    const bool seed = SeedSubset();
    const struct {
        const char* what;
        int x, glRow;
        uint32_t expected, seedExpected;
    } pixels[] = {
        {"cleared after drawing", 4, 6, 0x0000FFu, 0xFF0000u},
        {"flat triangle", 2, 13, 0x00FF00u, 0},  // seed: interpolated white to green, checked below
        {"line", 7, 2, 0xFFFF00u, 0xFF0000u},
        {"point", 12, 5, 0xFF00FFu, 0xFF0000u},
    };
    for (const auto& p : pixels) {
        const uint32_t rgb = Rgb(frame.At(p.x, kSize - 1 - p.glRow));
        if (seed && p.seedExpected == 0) {
            EXPECT_NE(rgb, p.expected) << p.what;
        } else {
            EXPECT_EQ(rgb, seed ? p.seedExpected : p.expected) << p.what << (seed ? " (seed)" : "");
        }
    }
    ResetGlState(kSize, kSize);
}

}  // namespace
}  // namespace mora_it
