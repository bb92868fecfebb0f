// The GLX entries on a real X server, through libGL.so.1: bad input is refused the way GLX
// documents it (an X error to the application's handler and a failure return) without harming
// the driver, and a window resized between frames is drawn whole at its new size.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "glx/glx_api.h"

namespace {

std::vector<XErrorEvent> gErrors;

int RecordError(Display*, XErrorEvent* event) {
    gErrors.push_back(*event);
    return 0;
}

// The GLX error code of the last reported error relative to the extension's base, or the core code.
int LastErrorCode(Display* display, bool glxCode) {
    if (gErrors.empty()) return -1;
    int errorBase = 0;
    int eventBase = 0;
    glXQueryExtension(display, &errorBase, &eventBase);
    return gErrors.back().error_code - (glxCode ? errorBase : 0);
}

class GlxEntries : public ::testing::Test {
protected:
    void SetUp() override {
        display_ = XOpenDisplay(nullptr);
        if (display_ == nullptr) GTEST_SKIP() << "no X server";
        XSetErrorHandler(RecordError);
        gErrors.clear();
        int attributes[] = {4 /* GLX_RGBA */, 5 /* GLX_DOUBLEBUFFER */, 12 /* GLX_DEPTH_SIZE */, 24, 0};
        visual_ = glXChooseVisual(display_, DefaultScreen(display_), attributes);
        ASSERT_NE(visual_, nullptr);
        context_ = glXCreateContext(display_, visual_, nullptr, True);
        ASSERT_NE(context_, nullptr);
    }
    void TearDown() override {
        if (display_ == nullptr) return;
        glXMakeCurrent(display_, None, nullptr);
        glXDestroyContext(display_, context_);
        XFree(visual_);
        XCloseDisplay(display_);
    }
    Window MakeWindow(int width, int height) {
        XSetWindowAttributes attributes{};
        attributes.colormap = XCreateColormap(display_, DefaultRootWindow(display_), visual_->visual, AllocNone);
        const Window window = XCreateWindow(display_, DefaultRootWindow(display_), 0, 0, width, height, 0,
                                            visual_->depth, InputOutput, visual_->visual, CWColormap, &attributes);
        XMapWindow(display_, window);
        XSync(display_, False);
        return window;
    }
    uint32_t PixelAt(Window window, int x, int y) {
        XImage* image = XGetImage(display_, window, x, y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr) return 0xDEADBEEF;
        const auto pixel = static_cast<uint32_t>(XGetPixel(image, 0, 0));
        XDestroyImage(image);
        return pixel;
    }
    Display* display_ = nullptr;
    XVisualInfo* visual_ = nullptr;
    GLXContext context_ = nullptr;
};

TEST_F(GlxEntries, BadInputIsRefusedWithTheDocumentedError) {
    constexpr int kGlxBadContext = 0;
    constexpr int kGlxBadDrawable = 2;
    const Window window = MakeWindow(32, 32);
    EXPECT_EQ(glXMakeCurrent(nullptr, window, context_), False);
    EXPECT_EQ(glXChooseVisual(nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(glXCreateContext(nullptr, visual_, nullptr, True), nullptr);
    EXPECT_EQ(gErrors.size(), 0u) << "a null display has no error handler to report to";

    const struct {
        const char* name;
        Window drawable;
        GLXContext context;
        bool glxCode;
        int error;
    } cases[] = {
        {"made-up context", window, reinterpret_cast<GLXContext>(&gErrors), true, kGlxBadContext},
        {"window that never existed", 0x7FFFFFF, context_, true, kGlxBadDrawable},
        {"drawable without a context", window, nullptr, false, BadMatch},
        {"context without a drawable", None, context_, false, BadMatch},
    };
    for (const auto& c : cases) {
        gErrors.clear();
        EXPECT_EQ(glXMakeCurrent(display_, c.drawable, c.context), False) << c.name;
        EXPECT_EQ(LastErrorCode(display_, c.glxCode), c.error) << c.name;
        EXPECT_EQ(glXGetCurrentContext(), nullptr) << c.name;
    }

    // A context belongs to the display it was made on.
    Display* other = XOpenDisplay(nullptr);
    ASSERT_NE(other, nullptr);
    GLXContext foreign = glXCreateContext(other, visual_, nullptr, True);
    ASSERT_NE(foreign, nullptr);
    gErrors.clear();
    EXPECT_EQ(glXMakeCurrent(display_, window, foreign), False);
    EXPECT_EQ(LastErrorCode(display_, false), BadMatch);
    glXDestroyContext(other, foreign);
    gErrors.clear();
    glXDestroyContext(display_, foreign);
    EXPECT_EQ(LastErrorCode(display_, true), kGlxBadContext) << "a destroyed context is stale";
    XCloseDisplay(other);

    // Beyond OpenGL 1.1 nothing is made (a 1.1 request is the GLFW program's).
    int count = 0;
    GLXFBConfig* configs = glXGetFBConfigs(display_, DefaultScreen(display_), &count);
    ASSERT_GT(count, 0);
    const int gl21[] = {0x2091, 2, 0x2092, 1, 0};
    gErrors.clear();
    EXPECT_EQ(glXCreateContextAttribsARB(display_, configs[0], nullptr, True, gl21), nullptr);
    EXPECT_EQ(LastErrorCode(display_, true), 9) << "GLXBadFBConfig";
    XFree(configs);
    XDestroyWindow(display_, window);
}

TEST_F(GlxEntries, ContextIsCurrentOnOneThreadAndADestroyedWindowIsHarmless) {
    const Window window = MakeWindow(32, 32);
    ASSERT_EQ(glXMakeCurrent(display_, window, context_), True);
    EXPECT_EQ(glXGetCurrentContext(), context_);
    EXPECT_EQ(glXGetCurrentDrawable(), window);
    Bool otherThread = True;
    std::thread([&] { otherThread = glXMakeCurrent(display_, window, context_); }).join();
    EXPECT_EQ(otherThread, False);
    EXPECT_EQ(LastErrorCode(display_, false), BadAccess);

    XDestroyWindow(display_, window);
    XSync(display_, False);
    glClear(GL_COLOR_BUFFER_BIT);
    glXSwapBuffers(display_, window);  // the window is gone: nothing to show, nothing to crash
    EXPECT_EQ(glXMakeCurrent(display_, None, nullptr), True);
    EXPECT_EQ(glXGetCurrentContext(), nullptr);
}

TEST_F(GlxEntries, ResizedWindowIsDrawnWholeOnTheNextFrame) {
    const Window window = MakeWindow(40, 30);
    ASSERT_EQ(glXMakeCurrent(display_, window, context_), True);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glColor3f(1.0f, 0.0f, 0.0f);
    for (const auto& [width, height] : {std::pair{40, 30}, std::pair{90, 70}, std::pair{20, 50}, std::pair{60, 20}}) {
        XResizeWindow(display_, window, width, height);
        XSync(display_, False);
        // Blue clear, red rectangle over the whole viewport: a Surface of another size than the
        // window shows blue (or nothing) in one of the window's corners.
        glViewport(0, 0, width, height);
        glClear(GL_COLOR_BUFFER_BIT);
        glRectf(-1.0f, -1.0f, 1.0f, 1.0f);
        glXSwapBuffers(display_, window);
        unsigned int shownWidth = 0;
        glXQueryDrawable(display_, window, 0x801D /* GLX_WIDTH */, &shownWidth);
        EXPECT_EQ(shownWidth, static_cast<unsigned int>(width));
        EXPECT_EQ(PixelAt(window, 0, 0), 0xFF0000u) << width << "x" << height << " top left";
        EXPECT_EQ(PixelAt(window, width - 1, height - 1), 0xFF0000u) << width << "x" << height << " bottom right";
    }
    XDestroyWindow(display_, window);
}

TEST(GlxProcAddress, ResolvesOurEntriesByNameAndNothingElse) {
    const auto name = [](const char* text) { return reinterpret_cast<const GLubyte*>(text); };
    EXPECT_EQ(glXGetProcAddress(name("glVertex3f")), reinterpret_cast<__GLXextFuncPtr>(&glVertex3f));
    EXPECT_EQ(glXGetProcAddressARB(name("glXCreateContextAttribsARB")),
              reinterpret_cast<__GLXextFuncPtr>(&glXCreateContextAttribsARB));
    for (const char* unknown : {"glGenBuffers", "glVertex3", "glXBindTexImageEXT", "", "wglCreateContext"}) {
        EXPECT_EQ(glXGetProcAddressARB(name(unknown)), nullptr) << unknown;
    }
    EXPECT_EQ(glXGetProcAddress(nullptr), nullptr);
}

}  // namespace
