// What showing one frame in an X11 window costs: a 1280x720 image put into a mapped window and
// waited for until the server has taken it, through MIT shared memory (the path a GLX program's
// glXSwapBuffers takes) and through plain XPutImage. Needs $DISPLAY (for example an Xvfb);
// without one the benchmark reports an error and measures nothing.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>

#include "platform/x11_output.h"

namespace {

constexpr int32_t kWidth = 1280;
constexpr int32_t kHeight = 720;

// One window and output per mode for the whole program: the benchmark body runs several times.
struct Target {
    mora::platform::X11Window* window = nullptr;
    mora::platform::X11Output* output = nullptr;
    const char* failure = "no X server ($DISPLAY)";
};

Target& TargetFor(bool sharedMemory) {
    static Target targets[2];
    Target& target = targets[sharedMemory ? 1 : 0];
    if (target.window != nullptr) return target;
    target.window = mora::platform::CreateX11Window(kWidth, kHeight, "mora x11 present bench");
    if (target.window == nullptr) return target;
    mora::platform::X11Failure failure;
    target.output = mora::platform::OpenX11Output(mora::platform::X11WindowId(target.window), kWidth, kHeight,
                                                  sharedMemory, &failure);
    if (target.output == nullptr) {
        target.failure = failure.step;
    } else if (mora::platform::X11OutputUsesSharedMemory(target.output) != sharedMemory) {
        target.failure = "shared memory not as asked";
        mora::platform::CloseX11Output(target.output);
        target.output = nullptr;
    } else {
        uint32_t pitch = 0;
        uint8_t* pixels = mora::platform::X11OutputPixels(target.output, &pitch);
        for (int32_t y = 0; y < kHeight; ++y) std::memset(pixels + static_cast<size_t>(y) * pitch, y & 0xFF, pitch);
    }
    return target;
}

void ShowFrame(benchmark::State& state) {
    Target& target = TargetFor(state.range(0) != 0);
    if (target.output == nullptr) {
        state.SkipWithError(target.failure);
        return;
    }
    mora::platform::X11Failure failure;
    for (auto _ : state) {
        if (!mora::platform::ShowX11Output(target.output, &failure)) {
            state.SkipWithError(failure.step);
            break;
        }
    }
}

BENCHMARK(ShowFrame)->Arg(1)->Arg(0)->ArgName("shm")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
