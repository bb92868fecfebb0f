// X11 window output: MIT shared memory images with a plain XPutImage fallback, X errors caught
// around every call sequence instead of reaching Xlib's default handler (which ends the process).
#include "platform/x11_output.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <new>

namespace mora::platform {

namespace {

// X limits window and image sizes to 16-bit values.
constexpr std::int32_t kMaxX11Extent = 32767;

// Xlib reports protocol errors through one process-wide handler. While a trap is armed, errors of
// its own connection are recorded there; errors of other connections go to the handler that was
// installed before, so an application's own handling keeps working.
struct ErrorTrap {
    Display* display = nullptr;
    int firstError = 0;
};

std::atomic<ErrorTrap*> gActiveTrap{nullptr};
XErrorHandler gPreviousHandler = nullptr;

int TrapHandler(Display* display, XErrorEvent* event) {
    ErrorTrap* trap = gActiveTrap.load(std::memory_order_acquire);
    if (trap != nullptr && trap->display == display) {
        if (trap->firstError == 0) trap->firstError = event->error_code;
        return 0;
    }
    return gPreviousHandler != nullptr ? gPreviousHandler(display, event) : 0;
}

// Arms the trap for `display`; Finish() waits for the server to process every request sent so far
// and returns the first X error code they produced (0 = none).
struct ScopedErrorTrap {
    explicit ScopedErrorTrap(Display* display) {
        trap.display = display;
        gActiveTrap.store(&trap, std::memory_order_release);
        gPreviousHandler = XSetErrorHandler(&TrapHandler);
    }
    int Finish() {
        if (!finished) {
            XSync(trap.display, False);
            XSetErrorHandler(gPreviousHandler);
            gActiveTrap.store(nullptr, std::memory_order_release);
            finished = true;
        }
        return trap.firstError;
    }
    ~ScopedErrorTrap() { Finish(); }
    ScopedErrorTrap(const ScopedErrorTrap&) = delete;
    ScopedErrorTrap& operator=(const ScopedErrorTrap&) = delete;

    ErrorTrap trap;
    bool finished = false;
};

bool Fail(X11Failure* failure, const char* step, std::uint32_t code) {
    if (failure != nullptr) *failure = X11Failure{step, code};
    return false;
}

}  // namespace

struct X11Output {
    Display* display = nullptr;
    Window window = 0;
    Visual* visual = nullptr;
    int depth = 0;
    GC gc = nullptr;
    bool sharedMemoryAllowed = false;
    bool sharedMemory = false;  // the current image lives in a shared segment
    XShmSegmentInfo segment{};
    XImage* image = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

namespace {

void DestroyImage(X11Output& output) {
    if (output.image == nullptr) return;
    if (output.sharedMemory) {
        XShmDetach(output.display, &output.segment);
        XSync(output.display, False);
        output.image->data = nullptr;
        XDestroyImage(output.image);
        shmdt(output.segment.shmaddr);
        output.segment = XShmSegmentInfo{};
    } else {
        XDestroyImage(output.image);  // frees the calloc'd pixels too
    }
    output.image = nullptr;
    output.sharedMemory = false;
    output.width = 0;
    output.height = 0;
}

// A shared-memory image, or null when the server or the system refuses one at any step. The
// image keeps a pointer to output.segment (Xlib's XShmPutImage reads the segment id through it),
// so the segment record must live in the output, not on the stack.
XImage* CreateSharedImage(X11Output& output, std::int32_t width, std::int32_t height) {
    XShmSegmentInfo& segment = output.segment;
    segment = XShmSegmentInfo{};
    XImage* image = XShmCreateImage(output.display, output.visual, static_cast<unsigned>(output.depth), ZPixmap,
                                    nullptr, &segment, static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (image == nullptr) return nullptr;
    const std::uint64_t bytes = static_cast<std::uint64_t>(image->bytes_per_line) * static_cast<std::uint64_t>(height);
    segment.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (segment.shmid < 0) {
        XDestroyImage(image);
        segment = XShmSegmentInfo{};
        return nullptr;
    }
    void* address = shmat(segment.shmid, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        shmctl(segment.shmid, IPC_RMID, nullptr);
        XDestroyImage(image);
        segment = XShmSegmentInfo{};
        return nullptr;
    }
    segment.shmaddr = static_cast<char*>(address);
    segment.readOnly = False;
    image->data = segment.shmaddr;

    ScopedErrorTrap trap(output.display);
    const Bool attached = XShmAttach(output.display, &segment);
    const int error = trap.Finish();
    // The segment disappears once both sides have detached.
    shmctl(segment.shmid, IPC_RMID, nullptr);
    if (!attached || error != 0) {  // a remote server cannot attach our memory
        image->data = nullptr;
        XDestroyImage(image);
        shmdt(address);
        segment = XShmSegmentInfo{};
        return nullptr;
    }
    return image;
}

bool CreateImage(X11Output& output, std::int32_t width, std::int32_t height, X11Failure* failure) {
    if (width < 1 || height < 1 || width > kMaxX11Extent || height > kMaxX11Extent) {
        return Fail(failure, "XCreateImage", EINVAL);
    }
    if (output.sharedMemoryAllowed) {
        output.image = CreateSharedImage(output, width, height);
        output.sharedMemory = output.image != nullptr;
    }
    if (output.image == nullptr) {
        const std::uint64_t pitch = static_cast<std::uint64_t>(width) * 4u;
        void* pixels = std::calloc(static_cast<std::size_t>(pitch * static_cast<std::uint64_t>(height)), 1);
        if (pixels == nullptr) return Fail(failure, "XCreateImage", ENOMEM);
        output.image = XCreateImage(output.display, output.visual, static_cast<unsigned>(output.depth), ZPixmap, 0,
                                    static_cast<char*>(pixels), static_cast<unsigned>(width),
                                    static_cast<unsigned>(height), 32, static_cast<int>(pitch));
        if (output.image == nullptr) {
            std::free(pixels);
            return Fail(failure, "XCreateImage", 0);
        }
    }
    if (output.image->bits_per_pixel != 32) {
        DestroyImage(output);
        return Fail(failure, "XCreateImage", EINVAL);
    }
    output.width = width;
    output.height = height;
    return true;
}

}  // namespace

X11Output* OpenX11Output(std::uint64_t window, std::int32_t width, std::int32_t height, bool allowSharedMemory,
                         X11Failure* failure) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        Fail(failure, "XOpenDisplay", 0);
        return nullptr;
    }
    auto* output = new (std::nothrow) X11Output;
    if (output == nullptr) {
        XCloseDisplay(display);
        Fail(failure, "XOpenDisplay", ENOMEM);
        return nullptr;
    }
    output->display = display;
    output->window = static_cast<Window>(window);

    XWindowAttributes attributes{};
    {
        ScopedErrorTrap trap(display);
        const Status status = XGetWindowAttributes(display, output->window, &attributes);
        const int error = trap.Finish();
        if (status == 0 || error != 0) {
            CloseX11Output(output);
            Fail(failure, "XGetWindowAttributes", static_cast<std::uint32_t>(error));
            return nullptr;
        }
    }
    // The presenter writes 0xAARRGGBB words; the window must read them unchanged.
    const Visual* visual = attributes.visual;
    if (visual == nullptr || visual->c_class != TrueColor || visual->red_mask != 0xFF0000 ||
        visual->green_mask != 0x00FF00 || visual->blue_mask != 0x0000FF ||
        (attributes.depth != 24 && attributes.depth != 32) || ImageByteOrder(display) != LSBFirst) {
        CloseX11Output(output);
        Fail(failure, "XGetWindowAttributes(visual)", static_cast<std::uint32_t>(attributes.depth));
        return nullptr;
    }
    output->visual = attributes.visual;
    output->depth = attributes.depth;
    output->gc = XCreateGC(display, output->window, 0, nullptr);
    if (output->gc == nullptr) {
        CloseX11Output(output);
        Fail(failure, "XCreateGC", 0);
        return nullptr;
    }
    output->sharedMemoryAllowed = allowSharedMemory && XShmQueryExtension(display);
    if (!CreateImage(*output, width, height, failure)) {
        CloseX11Output(output);
        return nullptr;
    }
    return output;
}

bool ResizeX11Output(X11Output* output, std::int32_t width, std::int32_t height, X11Failure* failure) {
    if (output == nullptr) return Fail(failure, "XCreateImage", EINVAL);
    if (output->image != nullptr && output->width == width && output->height == height) return true;
    DestroyImage(*output);
    return CreateImage(*output, width, height, failure);
}

std::uint8_t* X11OutputPixels(X11Output* output, std::uint32_t* rowPitch) {
    if (output == nullptr || output->image == nullptr) {
        if (rowPitch != nullptr) *rowPitch = 0;
        return nullptr;
    }
    if (rowPitch != nullptr) *rowPitch = static_cast<std::uint32_t>(output->image->bytes_per_line);
    return reinterpret_cast<std::uint8_t*>(output->image->data);
}

void X11OutputSize(const X11Output* output, std::int32_t* width, std::int32_t* height) {
    if (width != nullptr) *width = output != nullptr ? output->width : 0;
    if (height != nullptr) *height = output != nullptr ? output->height : 0;
}

bool X11OutputUsesSharedMemory(const X11Output* output) { return output != nullptr && output->sharedMemory; }

bool ShowX11Output(X11Output* output, X11Failure* failure) {
    if (output == nullptr || output->image == nullptr) return Fail(failure, "XPutImage", 0);
    const auto width = static_cast<unsigned>(output->width);
    const auto height = static_cast<unsigned>(output->height);
    ScopedErrorTrap trap(output->display);
    if (output->sharedMemory) {
        XShmPutImage(output->display, output->window, output->gc, output->image, 0, 0, 0, 0, width, height, False);
    } else {
        XPutImage(output->display, output->window, output->gc, output->image, 0, 0, 0, 0, width, height);
    }
    // The sync inside Finish() is also what makes the shared image safe to overwrite.
    const int error = trap.Finish();
    if (error != 0) {
        return Fail(failure, output->sharedMemory ? "XShmPutImage" : "XPutImage", static_cast<std::uint32_t>(error));
    }
    return true;
}

void CloseX11Output(X11Output* output) {
    if (output == nullptr) return;
    if (output->display != nullptr) {
        DestroyImage(*output);
        if (output->gc != nullptr) XFreeGC(output->display, output->gc);
        XCloseDisplay(output->display);
    }
    delete output;
}

struct X11Window {
    Display* display = nullptr;
    Window window = 0;
};

X11Window* CreateX11Window(std::int32_t width, std::int32_t height, const char* title) {
    if (width < 1 || height < 1 || width > kMaxX11Extent || height > kMaxX11Extent) return nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return nullptr;
    const int screen = DefaultScreen(display);
    const Window window =
        XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), 0, BlackPixel(display, screen), BlackPixel(display, screen));
    // No background: the server would otherwise clear the window over presented frames on exposure.
    XSetWindowBackgroundPixmap(display, window, None);
    XStoreName(display, window, title != nullptr ? title : "MORA");
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    XEvent event{};
    do {
        XWindowEvent(display, window, StructureNotifyMask, &event);
    } while (event.type != MapNotify);
    auto* result = new (std::nothrow) X11Window{display, window};
    if (result == nullptr) {
        XDestroyWindow(display, window);
        XCloseDisplay(display);
    }
    return result;
}

std::uint64_t X11WindowId(const X11Window* window) { return window != nullptr ? window->window : 0; }

bool ReadX11Window(X11Window* window, std::int32_t width, std::int32_t height, std::uint32_t* pixels) {
    if (window == nullptr || pixels == nullptr || width < 1 || height < 1) return false;
    ScopedErrorTrap trap(window->display);
    XImage* image = XGetImage(window->display, window->window, 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (trap.Finish() != 0 || image == nullptr) {
        if (image != nullptr) XDestroyImage(image);
        return false;
    }
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] =
                static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0x00FFFFFFu;
        }
    }
    XDestroyImage(image);
    return true;
}

void DestroyX11Window(X11Window* window) {
    if (window == nullptr) return;
    XDestroyWindow(window->display, window->window);
    XCloseDisplay(window->display);
    delete window;
}

}  // namespace mora::platform
