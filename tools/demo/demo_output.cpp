#include "demo_output.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdlib>

namespace demo {

struct Output {
    HDC dc = nullptr;
    Display* display = nullptr;
    Window window = 0;
    Atom deleteWindow = 0;
};

namespace {

bool OpenWindow(Output& output, int width, int height) {
    output.display = XOpenDisplay(nullptr);
    if (output.display == nullptr) return false;
    const int screen = DefaultScreen(output.display);
    output.window = XCreateSimpleWindow(output.display, RootWindow(output.display, screen), 0, 0,
                                        static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                                        BlackPixel(output.display, screen), BlackPixel(output.display, screen));
    XStoreName(output.display, output.window, "mora-demo");
    // Fixed size: the driver draws at the window's size when the context is created.
    XSizeHints hints{};
    hints.flags = PMinSize | PMaxSize;
    hints.min_width = hints.max_width = width;
    hints.min_height = hints.max_height = height;
    XSetWMNormalHints(output.display, output.window, &hints);
    output.deleteWindow = XInternAtom(output.display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(output.display, output.window, &output.deleteWindow, 1);
    XSelectInput(output.display, output.window, StructureNotifyMask | KeyPressMask);
    XMapWindow(output.display, output.window);
    XEvent event{};
    do {
        XWindowEvent(output.display, output.window, StructureNotifyMask, &event);
    } while (event.type != MapNotify);
    output.dc = moraCreateX11DC(output.display, output.window);
    return output.dc != nullptr;
}

void CloseWindow(Output& output) {
    if (output.display == nullptr) return;
    if (output.window != 0) XDestroyWindow(output.display, output.window);
    XCloseDisplay(output.display);
    output.display = nullptr;
    output.window = 0;
}

}  // namespace

Output* OpenOutput(int width, int height, bool offscreen) {
    auto* output = new Output;
    const char* display = std::getenv("DISPLAY");
    if (!offscreen && display != nullptr && *display != '\0' && OpenWindow(*output, width, height)) return output;
    if (output->dc != nullptr) moraDestroyOffscreenDC(output->dc);
    CloseWindow(*output);
    output->dc = moraCreateOffscreenDC(width, height);
    if (output->dc == nullptr) {
        delete output;
        return nullptr;
    }
    return output;
}

HDC OutputDC(const Output* output) { return output->dc; }

bool OutputIsWindow(const Output* output) { return output->display != nullptr; }

bool PumpOutputEvents(Output* output) {
    if (output->display == nullptr) return true;
    while (XPending(output->display) > 0) {
        XEvent event{};
        XNextEvent(output->display, &event);
        if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == output->deleteWindow) {
            return false;
        }
        if (event.type == KeyPress && XLookupKeysym(&event.xkey, 0) == XK_Escape) return false;
        if (event.type == DestroyNotify) return false;
    }
    return true;
}

void CloseOutput(Output* output) {
    if (output == nullptr) return;
    moraDestroyOffscreenDC(output->dc);
    CloseWindow(*output);
    delete output;
}

}  // namespace demo
