#include "bench_options.h"

#include <cerrno>
#include <cstdlib>

namespace mora::scene {

namespace {

constexpr int kMaxSide = 8192;  // largest width or height accepted
constexpr int kMaxFrames = 1000000;
constexpr int kMaxThreads = 1024;

// A whole decimal number in [lo, hi].
bool ParseInt(const std::string& text, long long lo, long long hi, long long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end == nullptr || *end != '\0' || parsed < lo || parsed > hi) return false;
    value = parsed;
    return true;
}

bool ParseSize(const std::string& text, int& width, int& height) {
    const std::size_t x = text.find('x');
    long long w = 0;
    long long h = 0;
    if (x == std::string::npos || !ParseInt(text.substr(0, x), 1, kMaxSide, w) ||
        !ParseInt(text.substr(x + 1), 1, kMaxSide, h)) {
        return false;
    }
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

bool ParseFrameList(const std::string& text, std::vector<int>& frames) {
    frames.clear();
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        long long frame = 0;
        if (!ParseInt(item, 0, kMaxFrames, frame)) return false;
        frames.push_back(static_cast<int>(frame));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return !frames.empty();
}

}  // namespace

bool ParseBenchOptions(int argc, const char* const* argv, BenchOptions& options, std::string* error) {
    const auto fail = [error](const std::string& message) {
        if (error != nullptr) *error = message;
        return false;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            options.help = true;
            continue;
        }
        if (option == "--mora-only") {
            options.moraOnly = true;
            continue;
        }
        if (i + 1 >= argc) return fail("missing value after " + option);
        const std::string value = argv[++i];
        long long number = 0;
        if (option == "--size") {
            if (!ParseSize(value, options.width, options.height))
                return fail("--size wants WxH, each 1.." + std::to_string(kMaxSide));
        } else if (option == "--frames") {
            if (!ParseInt(value, 1, kMaxFrames, number)) return fail("--frames wants 1.." + std::to_string(kMaxFrames));
            options.frames = static_cast<int>(number);
        } else if (option == "--warmup") {
            if (!ParseInt(value, 0, kMaxFrames, number)) return fail("--warmup wants 0.." + std::to_string(kMaxFrames));
            options.warmupFrames = static_cast<int>(number);
        } else if (option == "--threads") {
            if (!ParseInt(value, 1, kMaxThreads, number))
                return fail("--threads wants 1.." + std::to_string(kMaxThreads));
            options.threads = static_cast<int>(number);
        } else if (option == "--worker-limit") {
            if (!ParseInt(value, 0, kMaxThreads, number))
                return fail("--worker-limit wants 0.." + std::to_string(kMaxThreads));
            options.workerLimit = static_cast<int>(number);
        } else if (option == "--seed") {
            char* end = nullptr;
            errno = 0;
            const unsigned long long seed = std::strtoull(value.c_str(), &end, 10);
            if (value.empty() || value[0] == '-' || errno != 0 || *end != '\0')
                return fail("--seed wants an unsigned number");
            options.seed = seed;
        } else if (option == "--vrs") {
            if (!ParseInt(value, 0, 2, number)) return fail("--vrs wants 0 (off), 1 (adaptive) or 2 (forced)");
            options.vrsRate = static_cast<int>(number);
        } else if (option == "--png-frames") {
            if (!ParseFrameList(value, options.pngFrames)) return fail("--png-frames wants frame numbers like 0,10,20");
        } else if (option == "--png-dir") {
            options.pngDirectory = value;
        } else if (option == "--mora-lib") {
            options.moraLibrary = value;
        } else if (option == "--osmesa-lib") {
            options.osmesaLibrary = value;
        } else {
            return fail("unknown option " + option);
        }
    }
    return true;
}

std::string BenchUsage() {
    return "usage: mora-scenebench [options]\n"
           "  --size WxH          resolution (default 640x480)\n"
           "  --frames N          measured frames (default 300)\n"
           "  --warmup N          frames drawn before measuring (default 5)\n"
           "  --threads N         MORA_THREADS and LP_NUM_THREADS (default: neither set)\n"
           "  --worker-limit N    MORA's WorkerLimit: most threads rendering a frame (default 0: all)\n"
           "  --seed S            scene seed (default 1)\n"
           "  --vrs N             MORA variable-rate shading: 0 off, 1 adaptive (default), 2 forced\n"
           "  --png-frames a,b,c  save these measured frames as PNG\n"
           "  --png-dir DIR       where the PNGs go (default .)\n"
           "  --mora-only         do not run OSMesa\n"
           "  --mora-lib PATH     libmora.so to load\n"
           "  --osmesa-lib PATH   OSMesa library to load (default: the one found at build time)\n";
}

}  // namespace mora::scene
