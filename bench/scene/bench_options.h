// Command line of mora-scenebench: resolution, frame counts, thread count, seed, variable-rate
// shading mode, which frames to save as PNG and where, and the two library paths.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mora::scene {

struct BenchOptions {
    int width = 640;
    int height = 480;
    int frames = 300;
    int warmupFrames = 5;
    int threads = 0;      // 0: neither variable set, each renderer's own default
    int workerLimit = 0;  // MORA's WorkerLimit setting; 0 leaves it at its default
    uint64_t seed = 1;
    int vrsRate = 1;             // MORA's ForceVrsRate; 1 is the driver's default
    std::vector<int> pngFrames;  // measured frame numbers to save
    std::string pngDirectory = ".";
    bool moraOnly = false;
    std::string moraLibrary;
    std::string osmesaLibrary;  // empty: OSMesa is not run
    bool help = false;
};

// Parses argv[1..argc). Unknown options, missing or malformed values and out-of-range numbers give
// false with a message; the options then hold what was parsed so far.
bool ParseBenchOptions(int argc, const char* const* argv, BenchOptions& options, std::string* error);

std::string BenchUsage();

}  // namespace mora::scene
