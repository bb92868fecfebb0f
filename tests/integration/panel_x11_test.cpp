// The debug panel on a real X server: the driver (libmora.so, loaded by the test so that its
// settings file is a fresh one) opens the GTK panel beside the application's window; clicks go
// through the XTEST extension, so GTK sees them as a user's. Also loads and unloads the driver
// with the panel open: the panel thread must end with every unload and start again with the next
// load, and only the first context of a load starts it.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <chrono>
#include <thread>
#include <utility>
#include <vector>

#include "mora/gl.h"
#include "mora/mora_dc.h"
#include "mora/wgl.h"
#include "platform/environment.h"
#include "platform/shared_module.h"
#include "platform/thread.h"
#include "test_support/temp_dir.h"
#include "x_server.h"

// Xlib last: its macros (None, Bool, Status) would break the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#ifndef MORA_DRIVER_PATH
#error "MORA_DRIVER_PATH names libmora.so"
#endif

// No leak check in this program: the GTK stack keeps its type registrations, fonts and display
// until the process ends (the panel's toolkit stays loaded once loaded), and the driver's unload
// drops its process-lifetime records (context and surface records, display connections, the job
// queue made at load) without freeing them, so each reload leaves them behind. AddressSanitizer's
// other checks stay on; the panel thread's end is checked by name.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

// ThreadSanitizer cannot see the synchronisation inside the uninstrumented toolkit libraries (the
// panel thread and the font-loading thread Pango starts hand strings over under fontconfig's own
// locks), nor GObject's lock order and Pango's font-map lock: reports with a toolkit frame on either side are theirs.
extern "C" const char* __tsan_default_suppressions() {
    return "race:libfontconfig.so\nrace:libpango\nrace:libglib-2.0.so\nrace:libgobject-2.0.so\nrace:libgio-2.0.so\n"
           "race:libgtk-3.so\nrace:libgdk-3.so\nrace:libcairo.so\nrace:libharfbuzz.so\n"
           "called_from_lib:libfontconfig.so\ndeadlock:libglib-2.0.so\ndeadlock:libgobject-2.0.so\n"
           "deadlock:libgtk-3.so\ndeadlock:libgdk-3.so\ndeadlock:libfontconfig.so\ndeadlock:libpango\n"
           "mutex:libpango\nmutex:libfontconfig.so\nmutex:libglib-2.0.so\n";
}

namespace mora_it {
namespace {

// The driver's entries the test calls, looked up in the loaded library.
// An X-macro list, which the formatter would re-flow on every run (kept as written):
// clang-format off
#define MORA_TEST_ENTRIES(X)                                                                             \
  X(moraCreateX11DC) X(moraCreateOffscreenDC) X(moraDestroyOffscreenDC) X(moraReadPresentedFrame)         \
  X(wglCreateContext) X(wglDeleteContext) X(wglMakeCurrent) X(wglSwapBuffers) X(glClearColor) X(glClear) \
  X(glEnable) X(glViewport) X(glMatrixMode) X(glLoadIdentity) X(glOrtho) X(glBegin) X(glEnd)            \
  X(glColor3f) X(glVertex2f)
// clang-format on

struct Driver {
    void* library = nullptr;
#define MORA_TEST_MEMBER(Name) decltype(&::Name) Name = nullptr;
    MORA_TEST_ENTRIES(MORA_TEST_MEMBER)
#undef MORA_TEST_MEMBER

    bool Load() {
        library = dlopen(MORA_DRIVER_PATH, RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) return false;
        bool ok = true;
#define MORA_TEST_FIND(Name)                                        \
    Name = reinterpret_cast<decltype(Name)>(dlsym(library, #Name)); \
    ok = ok && Name != nullptr;
        MORA_TEST_ENTRIES(MORA_TEST_FIND)
#undef MORA_TEST_FIND
        return ok;
    }
    void Unload() {
        if (library != nullptr) dlclose(library);
        library = nullptr;
    }
};

constexpr int kAppWidth = 160;
constexpr int kAppHeight = 120;
constexpr char kPanelTitle[] = "MORA Debug Panel";

struct PanelWindow {
    ::Window id = 0;
    int x = 0, y = 0, width = 0, height = 0;
};

// The mapped top-level window titled "MORA Debug Panel", if any.
bool FindPanel(Display* display, PanelWindow* panel) {
    ::Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, root, &root, &parent, &children, &count) == 0) return false;
    bool found = false;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        XWindowAttributes attributes{};
        if (XFetchName(display, children[i], &name) != 0 && name != nullptr) {
            found = std::string(name) == kPanelTitle && XGetWindowAttributes(display, children[i], &attributes) != 0 &&
                    attributes.map_state == IsViewable;
            XFree(name);
        }
        if (found) *panel = PanelWindow{children[i], attributes.x, attributes.y, attributes.width, attributes.height};
    }
    if (children != nullptr) XFree(children);
    return found;
}

// Polls `done` every 20 ms for up to `milliseconds`.
template <typename Done>
bool WaitFor(Done done, int milliseconds) {
    for (int waited = 0; waited < milliseconds; waited += 20) {
        if (done()) return true;
        mora::platform::SleepMilliseconds(20);
    }
    return done();
}

void Click(Display* display, int x, int y) {
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XFlush(display);
}

// Closes the panel as a window manager would: WM_DELETE_WINDOW.
void ClosePanel(Display* display, ::Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

// Threads of this process named `name` (the panel thread is "mora-panel").
int ThreadsNamed(const std::string& name) {
    int count = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::string comm;
        std::ifstream(task.path() / "comm") >> comm;
        count += comm == name;
    }
    return count;
}

bool FileWithPrefix(const std::string& folder, const std::string& prefix) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().rfind(prefix, 0) == 0) return true;
    }
    return false;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class PanelX11 : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Server().usable()) GTEST_SKIP() << "no X server: DISPLAY is not set and Xvfb could not be started";
        ASSERT_TRUE(dir_.entered);
        ASSERT_TRUE(mora::platform::SetEnvironment("XDG_CONFIG_HOME", dir_.path.c_str()));
        mora::platform::SetEnvironment("NO_AT_BRIDGE", "1");  // no accessibility bus to wait for
        display_ = XOpenDisplay(nullptr);
        ASSERT_NE(display_, nullptr);
        int event = 0, error = 0, major = 0, minor = 0;
        ASSERT_TRUE(XTestQueryExtension(display_, &event, &error, &major, &minor)) << "the X server has no XTEST";
        window_ = mora::platform::CreateX11Window(kAppWidth, kAppHeight, "mora panel test");
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        if (window_ != nullptr) mora::platform::DestroyX11Window(window_);
        if (display_ != nullptr) XCloseDisplay(display_);
        mora::platform::UnsetEnvironment("XDG_CONFIG_HOME");
    }

    // Loads the driver and makes a context on the application's window current.
    void Open(Driver& driver, bool offscreen = false) {
        ASSERT_TRUE(driver.Load()) << dlerror();
        dc_ = offscreen
                  ? driver.moraCreateOffscreenDC(kAppWidth, kAppHeight)
                  : driver.moraCreateX11DC(nullptr, static_cast<unsigned long>(mora::platform::X11WindowId(window_)));
        ASSERT_NE(dc_, nullptr);
        rc_ = driver.wglCreateContext(dc_);
        ASSERT_NE(rc_, nullptr);
        ASSERT_EQ(driver.wglMakeCurrent(dc_, rc_), TRUE);
    }

    // A red triangle wound clockwise (a back face) on blue, back faces culled; true when the
    // presented frame shows the triangle.
    bool BackFaceDrawn(Driver& d) {
        d.glViewport(0, 0, kAppWidth, kAppHeight);
        d.glMatrixMode(GL_PROJECTION);
        d.glLoadIdentity();
        d.glOrtho(0, kAppWidth, 0, kAppHeight, -1, 1);
        d.glMatrixMode(GL_MODELVIEW);
        d.glLoadIdentity();
        d.glEnable(GL_CULL_FACE);
        d.glClearColor(0, 0, 1, 1);
        d.glClear(GL_COLOR_BUFFER_BIT);
        d.glBegin(GL_TRIANGLES);
        d.glColor3f(1, 0, 0);
        d.glVertex2f(10, 10);
        d.glVertex2f(10, 110);
        d.glVertex2f(150, 10);
        d.glEnd();
        d.wglSwapBuffers(dc_);
        std::vector<uint32_t> pixels(static_cast<std::size_t>(kAppWidth) * kAppHeight);
        if (d.moraReadPresentedFrame(dc_, pixels.data(), kAppWidth * 4) == 0) return false;
        return (pixels[static_cast<std::size_t>(kAppHeight - 30) * kAppWidth + 30] & 0xFFFFFF) == 0xFF0000;
    }

    // The first load's steps, on a thread of its own (see the last test for why).
    void UseThePanel(Driver& driver) {
        Open(driver);
        PanelWindow panel;
        ASSERT_TRUE(WaitFor([&] { return FindPanel(display_, &panel); }, 10000)) << "no panel window";
        XWindowAttributes app{};
        ASSERT_NE(XGetWindowAttributes(display_, mora::platform::X11WindowId(window_), &app), 0);
        EXPECT_EQ(std::pair(panel.x, panel.y), std::pair(app.x + app.width + 8, app.y)) << "beside the application";
        EXPECT_STREQ(setlocale(LC_NUMERIC, nullptr), "C") << "the panel changed the application's locale";

        // "Disable face cull" (x 24, y 292): the click reaches the setting, the next frame and the file.
        EXPECT_FALSE(BackFaceDrawn(driver));
        Click(display_, panel.x + 60, panel.y + 292 + 9);
        const std::string ini = dir_.path + "/mora/driver.ini";
        ASSERT_TRUE(WaitFor([&] { return ReadFile(ini).find("DisableFaceCull=1\n") != std::string::npos; }, 5000))
            << ReadFile(ini);
        EXPECT_TRUE(BackFaceDrawn(driver));

        // "Trigger capture" and "Trigger trace" (y 498): files for the frames after the next frame end.
        Click(display_, panel.x + 112 + 48, panel.y + 498 + 12);
        Click(display_, panel.x + 216 + 48, panel.y + 498 + 12);
        EXPECT_TRUE(WaitFor(
            [&] {
                BackFaceDrawn(driver);
                return FileWithPrefix(dir_.path, "MORA_capture_frames") &&
                       FileWithPrefix(dir_.path, "MORA_trace_frames");
            },
            10000));
        for (int frame = 0; frame < 8; ++frame) BackFaceDrawn(driver);  // the five-frame capture ends

        // Closing the window ends the panel thread; the driver goes on.
        ClosePanel(display_, panel.id);
        EXPECT_TRUE(WaitFor([&] { return ThreadsNamed("mora-panel") == 0; }, 5000));
        EXPECT_FALSE(FindPanel(display_, &panel));
        EXPECT_TRUE(BackFaceDrawn(driver));
        driver.wglMakeCurrent(dc_, nullptr);
        driver.wglDeleteContext(rc_);
        driver.moraDestroyOffscreenDC(dc_);
    }

    // In a process of its own (the death-test child): the driver without its panel renders and
    // writes the reason into the call summary's panel line (the summary is rewritten every 60
    // frames); the line goes to stderr and the exit code says whether the frames were drawn.
    [[noreturn]] void RunWithoutPanel(const char* variable, const char* value) {
        if (std::string(variable) == "DISPLAY") {
            mora::platform::UnsetEnvironment("DISPLAY");
        } else if (std::string(variable) == "host GTK") {
            if (dlopen("libgtk-3.so.0", RTLD_NOW | RTLD_GLOBAL) == nullptr) std::_Exit(2);
        } else {
            mora::platform::SetEnvironment(variable, value);
        }
        Driver driver;
        Open(driver, /*offscreen=*/true);
        bool drawn = true;
        for (int frame = 0; frame < 60; ++frame) drawn = !BackFaceDrawn(driver) && drawn;  // culled as before
        // The periodic summary is written by the driver's writer thread, a moment after frame 60.
        std::string summary;
        for (int wait = 0; wait < 200 && summary.find("[MORA panel") == std::string::npos; ++wait) {
            if (wait > 0) std::this_thread::sleep_for(std::chrono::milliseconds(25));
            summary = ReadFile(dir_.path + "/MORA_api_calls.log");
        }
        const std::size_t line = summary.find("[MORA panel");
        std::fprintf(stderr, "%s\n",
                     line == std::string::npos ? "no panel line"
                                               : summary.substr(line, summary.find('\n', line) - line).c_str());
        // _Exit skips the fixture's destructor, so this process removes the directory it made itself.
        mora::platform::RemoveDirectoryTree(dir_.path.c_str());
        std::_Exit(drawn ? 0 : 1);
    }

    // One server for the whole run: GTK keeps its first display connection for the process.
    static XServer& Server() {
        static XServer server("800x1000x24");
        return server;
    }
    mora::test::TempDir dir_{"mora_panel_x11", mora::test::TempDir::Enter::Yes};
    Display* display_ = nullptr;
    mora::platform::X11Window* window_ = nullptr;
    HDC dc_ = nullptr;
    HGLRC rc_ = nullptr;
};

TEST_F(PanelX11, WithoutThePanelTheDriverWorksAndSaysWhy) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process per case: no panel, no GTK yet
    struct Case {
        const char* variable;
        const char* value;
        const char* line;  // regular expression for the panel line
    };
    const Case cases[] = {
        {"MORA_PANEL", "0", "\\[MORA panel = off \\(MORA_PANEL=0\\)\\]"},
        {"MORA_PANEL_MODULE", "/nonexistent/libmora-panel.so",
         "\\[MORA panel = off \\(cannot load the view: /nonexistent/libmora-panel.so"},
        {"DISPLAY", "", "\\[MORA panel = off \\(no X display\\)\\]"},
        {"host GTK", "", "\\[MORA panel = off \\(the application has libgtk-3.so.0 loaded\\)\\]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.variable);
        EXPECT_EXIT(RunWithoutPanel(c.variable, c.value), ::testing::ExitedWithCode(0), c.line);
    }
}

// The driver's thread_local records pin it while a thread that called it lives, so each load is
// used from a thread of its own that has ended before the unload. The first load clicks through
// the panel and closes it; the later ones unload with the panel still open.
TEST_F(PanelX11, DrivesTheDriverAndUnloadEndsItsThreadAndReloadOpensItAgain) {
    for (int load = 0; load < 3; ++load) {
        SCOPED_TRACE("load " + std::to_string(load));
        Driver driver;
        std::thread user([&] {
            if (load == 0) {
                UseThePanel(driver);
                return;
            }
            Open(driver);
            const HGLRC second = driver.wglCreateContext(dc_);  // only the first context starts the panel
            PanelWindow panel;
            EXPECT_TRUE(WaitFor([&] { return FindPanel(display_, &panel); }, 10000)) << "no panel window";
            EXPECT_EQ(ThreadsNamed("mora-panel"), 1);
            driver.wglDeleteContext(second);
            BackFaceDrawn(driver);
            driver.wglMakeCurrent(dc_, nullptr);
            driver.wglDeleteContext(rc_);
            driver.moraDestroyOffscreenDC(dc_);
        });
        user.join();
        driver.Unload();  // the panel is still open after the first load: unload stops it
        EXPECT_FALSE(mora::platform::ModuleIsLoaded(MORA_DRIVER_PATH)) << "the driver was not unloaded";
        EXPECT_EQ(ThreadsNamed("mora-panel"), 0);
        if (load > 0) {
            EXPECT_NE(ReadFile(dir_.path + "/MORA_api_calls.log").find("[MORA panel = stopped at unload]\n"),
                      std::string::npos);
        }
        PanelWindow panel;
        EXPECT_FALSE(FindPanel(display_, &panel));
    }
}

}  // namespace
}  // namespace mora_it
