// Per-call cost of the immediate-mode entries through the driver as a program sees it (the DLL
// on Windows, libmora.so elsewhere): batches of glColor4ub + glTexCoord2f + glVertex3f between
// glBegin and glEnd with recording on, and a counted-only entry (glNormal3f). Each batch is timed
// alone; SwapBuffers between batches (untimed) hands the frame over, so the buffers stay at their
// steady size. Prints the best of several batches in nanoseconds per call.
#include <chrono>
#include <cstdio>

#include "immediate_triples.h"
#include "mora/gl.h"
#if defined(_WIN32)
#include <windows.h>

#include "win32_test.h"
#else
#include "mora/mora_dc.h"
#endif

namespace {

constexpr int kBatchVertices = 4096;
constexpr int kBatches = 40;

double Seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

}  // namespace

int main() {
#if defined(_WIN32)
    HDC dc = GetDC(CreateTestWindow("call cost", 64, 64));
    HGLRC context = MakeCurrentContext(dc);
#else
    HDC dc = moraCreateOffscreenDC(64, 64);
    HGLRC context = wglCreateContext(dc);
    if (context != nullptr && !wglMakeCurrent(dc, context)) context = nullptr;
#endif
    if (context == nullptr) {
        std::printf("no context\n");
        return 1;
    }
    double bestRecording = 1e9;
    double bestCounted = 1e9;
    float x = 0.0f;
    for (int batch = 0; batch < kBatches; ++batch) {
        auto start = std::chrono::steady_clock::now();
        SubmitImmediateTriples(kBatchVertices, x);
        auto stop = std::chrono::steady_clock::now();
        const double recording = Seconds(start, stop) / ImmediateTripleCalls(kBatchVertices);
        start = std::chrono::steady_clock::now();
        for (int i = 0; i < 3 * kBatchVertices; ++i) glNormal3f(0.0f, 0.0f, 1.0f);
        stop = std::chrono::steady_clock::now();
        const double counted = Seconds(start, stop) / (3.0 * kBatchVertices);
        if (recording < bestRecording) bestRecording = recording;
        if (counted < bestCounted) bestCounted = counted;
#if defined(_WIN32)
        SwapBuffers(dc);
#else
        wglSwapBuffers(dc);
#endif
    }
    std::printf("per call, best of %d batches: recording %.2f ns, counted only %.2f ns\n", kBatches,
                bestRecording * 1e9, bestCounted * 1e9);
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context);
    return 0;
}
