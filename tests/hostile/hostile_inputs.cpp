// What a hostile or simply buggy program can do to the driver: each case runs in a child process
// of its own (this program started again with the case's name, so that the library loads with the
// case's settings file and environment), under a time limit that catches hangs, and its CPU time
// and peak memory, as the kernel counts them for the child, must stay inside the case's bounds.
// A case passes when its child exits 0 inside every bound.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "mora/gl.h"
#include "mora/mora_dc.h"
#include "mora/wgl.h"

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr double kSlowdown = 4.0;           // sanitizer builds: shadow memory and slower code
constexpr bool kLimitAddressSpace = false;  // the sanitizers reserve terabytes of address space
#else
constexpr double kSlowdown = 1.0;
constexpr bool kLimitAddressSpace = true;
#endif
// A runaway case must fail, not take the machine's memory with it.
constexpr rlim_t kAddressSpaceLimit = rlim_t{6} << 30;

// --- Pieces the cases share (run in the child) ---

struct Session {
    HDC dc = nullptr;
    HGLRC rc = nullptr;
    Session(int width, int height) {
        dc = moraCreateOffscreenDC(width, height);
        rc = dc != nullptr ? wglCreateContext(dc) : nullptr;
        if (rc != nullptr) wglMakeCurrent(dc, rc);
    }
    ~Session() {
        wglMakeCurrent(dc, nullptr);
        wglDeleteContext(rc);
        moraDestroyOffscreenDC(dc);
    }
    bool ok() const { return rc != nullptr; }
};

// The presented frame's top-left pixel (0xAARRGGBB), or 0 when nothing was presented.
uint32_t PresentedPixel(HDC dc) {
    int width = 0, height = 0;
    if (moraGetPresentedFrameSize(dc, &width, &height) != 1) return 0;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    if (moraReadPresentedFrame(dc, pixels.data(), width * 4) != 1) return 0;
    return pixels[0];
}

// Clears to green and presents; 0 when the presented frame is green.
int DrawGreenFrame(const Session& s) {
    glViewport(0, 0, 32, 32);
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    wglSwapBuffers(s.dc);
    return (PresentedPixel(s.dc) & 0xFFFFFFu) == 0x00FF00u ? 0 : 1;
}

// Runs `misuse` with a 32x32 context current, then draws a green frame; 0 when the misuse
// reported nothing and the frame after it is green.
int Drawn(int (*misuse)(const Session&)) {
    Session s(32, 32);
    if (!s.ok()) return 2;
    const int failures = misuse(s);
    wglMakeCurrent(s.dc, s.rc);  // a case may have made another context current
    return failures != 0 ? failures : DrawGreenFrame(s);
}

int DrawsAfterLoad() {
    return Drawn([](const Session&) { return 0; });
}

int HugeViewport(const Session& s) {
    glViewport(0, 0, 100000, 100000);
    glClear(GL_COLOR_BUFFER_BIT);
    wglSwapBuffers(s.dc);
    return 0;
}

// Uploads a blue 2x2 texture under `name` and draws it over the top-left pixel for `frames`
// frames; 0 when the last presented frame shows it.
int DrawsBlueTexture(HDC dc, GLuint name, int frames) {
    const uint8_t texels[4 * 4] = {0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255};
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glEnable(GL_TEXTURE_2D);
    glViewport(0, 0, 32, 32);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 32.0, 0.0, 32.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    for (int frame = 0; frame < frames; ++frame) {
        glClear(GL_COLOR_BUFFER_BIT);
        glBegin(GL_TRIANGLES);  // a frame with textured triangles builds the texture cache
        glTexCoord2f(0.0f, 0.0f);
        glVertex2f(0.0f, 0.0f);
        glVertex2f(32.0f, 32.0f);
        glVertex2f(0.0f, 32.0f);
        glEnd();
        wglSwapBuffers(dc);
    }
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    return (PresentedPixel(dc) & 0xFFFFFFu) == 0x0000FFu ? 0 : 1;
}

// GL from an atexit handler registered before the program's first GL call, as SFML's static
// destructors make it: the handler runs after everything the driver set up at first use has been
// through exit, and must still draw (ASan reports any record used after it was freed).
HDC gExitDc = nullptr;
HGLRC gExitRc = nullptr;

void DrawAfterExit() {
    int result = wglMakeCurrent(gExitDc, gExitRc) == TRUE ? 0 : 3;
    GLuint name = 0;
    if (result == 0) glGenTextures(1, &name);
    if (result == 0 && DrawsBlueTexture(gExitDc, name, 2) != 0) result = 4;
    glDeleteTextures(1, &name);
    wglMakeCurrent(gExitDc, nullptr);
    wglDeleteContext(gExitRc);
    moraDestroyOffscreenDC(gExitDc);
    if (result != 0) _exit(result);
}

int GlCallsDuringExit() {
    atexit(DrawAfterExit);
    gExitDc = moraCreateOffscreenDC(32, 32);
    gExitRc = gExitDc != nullptr ? wglCreateContext(gExitDc) : nullptr;
    if (gExitRc == nullptr || wglMakeCurrent(gExitDc, gExitRc) != TRUE) return 2;
    GLuint name = 0;
    glGenTextures(1, &name);
    if (DrawsBlueTexture(gExitDc, name, 3) != 0) return 1;
    wglMakeCurrent(gExitDc, nullptr);  // the handler makes it current again
    return 0;
}

int ManySingleNameGenerations(const Session&) {
    GLuint name = 0;
    for (GLuint i = 1; i <= 200000; ++i) {
        glGenTextures(1, &name);
        if (name != i) return 1;
    }
    return 0;
}

// The classes of misuse that held: bad sizes, NaNs and infinities, stray glBegin/glEnd and a huge
// primitive, one after another on one context (garbage and stale context handles, and other
// threads calling GL, are the WGL entry tests' cases).
int MisuseThatHeld(const Session& s) {
    const std::vector<uint8_t> pixels(64 * 64 * 4);
    const uint8_t* pixel = pixels.data();
    glTexImage2D(GL_TEXTURE_2D, 0, 4, -1, 5, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, 0x7FFFFFFF, 0x7FFFFFFF, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexSubImage2D(GL_TEXTURE_2D, 0, -5, 0x7FFFFFF0, 64, 64, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    glViewport(-5, -5, -1, -1);
    glScissor(0, 0, -9, 0x7FFFFFFF);
    uint32_t out = 0;
    glReadPixels(0, 0, 0x7FFFFFFF, 0x7FFFFFFF, GL_BGRA_EXT, GL_UNSIGNED_BYTE, nullptr);
    glReadPixels(-1000, -1000, 1, 1, GL_BGRA_EXT, GL_UNSIGNED_BYTE, &out);
    glDeleteTextures(-3, nullptr);
    glGenTextures(0x7FFFFFFF, nullptr);

    const float nan = std::nanf(""), inf = INFINITY;
    glMatrixMode(GL_PROJECTION);
    glOrtho(0.0, nan, 0.0, inf, -1.0, 1.0);
    glBegin(GL_TRIANGLES);
    glVertex3f(nan, 0.0f, 0.0f);
    glVertex3f(inf, -inf, nan);
    glVertex3f(1e38f, -1e38f, 0.0f);
    glEnd();
    glLoadIdentity();
    glRotatef(nan, nan, 0.0f, 1.0f);
    glBegin(GL_QUADS);
    glVertex2f(0.0f, 0.0f);
    glVertex2f(inf, 0.0f);
    glVertex2f(inf, inf);
    glVertex2f(0.0f, nan);
    glEnd();
    glLoadIdentity();
    wglSwapBuffers(s.dc);

    glEnd();
    glBegin(GL_TRIANGLES);
    glBegin(GL_QUADS);
    glVertex2f(1.0f, 1.0f);
    glBegin(0x1234);
    wglSwapBuffers(s.dc);  // a frame ending inside glBegin
    glEnd();

    glBegin(GL_TRIANGLES);
    for (int i = 0; i < (3 << 19); ++i) glVertex2f(static_cast<float>(i % 7), static_cast<float>(i % 5));
    glEnd();
    wglSwapBuffers(s.dc);
    return 0;
}

// --- The table ---

struct Case {
    const char* name;
    const char* settingsFile;  // "fifo", "oversized", a symlink's target, or null for none
    const char* environment;   // "NAME=value;NAME=value" set before the library loads, or null
    int (*run)();
    long maxRssMiB;
    double maxCpuSeconds;
};

const Case kCases[] = {
    // The faults found.
    {"settings-file-is-a-fifo", "fifo", nullptr, DrawsAfterLoad, 256, 5},
    {"settings-file-is-dev-zero", "/dev/zero", nullptr, DrawsAfterLoad, 256, 5},
    {"settings-file-is-dev-urandom", "/dev/urandom", nullptr, DrawsAfterLoad, 256, 5},
    {"huge-viewport", nullptr, nullptr, [] { return Drawn(HugeViewport); }, 1536, 5},
    // A texture under the largest accepted name, drawn for 40 frames: memory and frame work must
    // follow the textures that exist, not the name.
    {"largest-texture-name", nullptr, nullptr,
     [] { return Drawn([](const Session& s) { return DrawsBlueTexture(s.dc, 0xB40B3F, 40); }); }, 256, 2},
    {"gl-calls-during-exit", nullptr, nullptr, GlCallsDuringExit, 256, 5},
    {"many-single-name-generations", nullptr, nullptr, [] { return Drawn(ManySingleNameGenerations); }, 512, 3},
    // Classes that held: they must go on holding.
    {"settings-file-oversized", "oversized", nullptr, DrawsAfterLoad, 256, 5},
    {"broken-environment-values", nullptr,
     "MORA_THREADS=-7;MORA_PIPELINE_CUTOFF=banana;MORA_ISA=none;MORA_TRACE_FRAMES=9-x;MORA_RJQ_IDLE_SPIN_US=1e99",
     DrawsAfterLoad, 256, 5},
    {"misuse-that-held", nullptr, nullptr, [] { return Drawn(MisuseThatHeld); }, 1024, 10},
};

constexpr int kTimeLimitSeconds = 30;  // a case still running then hangs

// --- The runner (the parent) ---

std::string MakeSettingsFolder(const char* kind) {
    char pattern[] = "/tmp/mora-hostileXXXXXX";
    if (mkdtemp(pattern) == nullptr) return {};
    const std::string folder = std::string(pattern) + "/mora";
    if (mkdir(folder.c_str(), 0755) != 0) perror("mkdir");
    const std::string file = folder + "/driver.ini";
    if (kind == nullptr) return pattern;
    if (strcmp(kind, "fifo") == 0) {
        if (mkfifo(file.c_str(), 0644) != 0) perror("mkfifo");
    } else if (strcmp(kind, "oversized") == 0) {
        FILE* out = fopen(file.c_str(), "w");
        for (int i = 0; out != nullptr && i < 200000; ++i) fputs("ColourPass=1\n", out);
        if (out != nullptr) fclose(out);
    } else if (symlink(kind, file.c_str()) != 0) {
        perror("symlink");
    }
    return pattern;
}

// Runs one case in a child; prints its verdict; true when it held.
bool RunCase(const char* self, const Case& c) {
    const std::string root = MakeSettingsFolder(c.settingsFile);
    const pid_t child = fork();
    if (child == 0) {
        if (kLimitAddressSpace) {
            const rlimit limit{kAddressSpaceLimit, kAddressSpaceLimit};
            setrlimit(RLIMIT_AS, &limit);
        }
        setenv("XDG_CONFIG_HOME", root.c_str(), 1);
        // putenv keeps the items, which live until the exec.
        std::string list = c.environment != nullptr ? c.environment : "";
        for (char* item = strtok(list.data(), ";"); item != nullptr; item = strtok(nullptr, ";")) putenv(item);
        alarm(kTimeLimitSeconds);  // kept across the exec: a hung case dies of SIGALRM
        execl(self, self, "--case", c.name, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    const long rssMiB = usage.ru_maxrss / 1024;
    const long maxRss = static_cast<long>(static_cast<double>(c.maxRssMiB) * kSlowdown);
    const double maxCpu = c.maxCpuSeconds * kSlowdown;
    // A hung case shows the wait status of SIGALRM (0x000e), a failed one its exit code in the high byte.
    const bool held = WIFEXITED(status) && WEXITSTATUS(status) == 0 && rssMiB <= maxRss && cpu <= maxCpu;
    printf("%-36s %-5s wait status 0x%04x  cpu %6.2f s (bound %5.1f)  peak %5ld MiB (bound %5ld)\n", c.name,
           held ? "held" : "FAULT", static_cast<unsigned>(status), cpu, maxCpu, rssMiB, maxRss);
    fflush(stdout);
    return held;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && strcmp(argv[1], "--case") == 0) {
        for (const Case& c : kCases) {
            if (strcmp(c.name, argv[2]) == 0) return c.run();
        }
        return 126;
    }
    // Only the named cases when any are given.
    int faults = 0;
    for (const Case& c : kCases) {
        bool wanted = argc < 2;
        for (int i = 1; i < argc; ++i) wanted = wanted || strcmp(argv[i], c.name) == 0;
        if (wanted && !RunCase("/proc/self/exe", c)) ++faults;
    }
    printf("%d fault(s)\n", faults);
    return faults == 0 ? 0 : 1;
}
