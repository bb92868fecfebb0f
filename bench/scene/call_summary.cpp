#include "call_summary.h"

#include <cstdlib>
#include <sstream>

namespace mora::scene {

namespace {

constexpr char kCountHeader[] = "Total API calls:";
constexpr char kMergedHeader[] = "=== MORA scoped profile (merged";
constexpr char kPerThreadHeader[] = "=== MORA scoped profile: per-thread breakdown";

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// "    wglSwapBuffers                   :            120" -> 120.
bool ParseCountLine(const std::string& line, const char* name, uint64_t& count) {
    const std::size_t colon = line.find(" : ");
    if (colon == std::string::npos || Trim(line.substr(0, colon)) != name) return false;
    count = std::strtoull(line.c_str() + colon + 3, nullptr, 10);
    return true;
}

// "  mora::RenderFrame    calls=        60  total=    12.345 ms (...)" -> name, calls, total.
bool ParseProfileLine(const std::string& line, std::string& name, ProfileScopeTotal& total) {
    const std::size_t calls = line.find(" calls=");
    const std::size_t sum = line.find(" total=");
    if (calls == std::string::npos || sum == std::string::npos || sum < calls) return false;
    name = Trim(line.substr(0, calls));
    total.calls = std::strtoull(line.c_str() + calls + 7, nullptr, 10);
    total.totalMs = std::strtod(line.c_str() + sum + 7, nullptr);
    return !name.empty();
}

double PerFrame(const CallSummaryReading& before, const CallSummaryReading& after, const char* scope, uint64_t frames) {
    const auto total = [scope](const CallSummaryReading& reading) {
        const auto it = reading.scopes.find(scope);
        return it == reading.scopes.end() ? 0.0 : it->second.totalMs;
    };
    return (total(after) - total(before)) / static_cast<double>(frames);
}

}  // namespace

CallSummaryReading ParseCallSummary(const std::string& text) {
    CallSummaryReading reading;
    std::istringstream lines(text);
    std::string line;
    bool inMerged = false;
    while (std::getline(lines, line)) {
        if (StartsWith(line, kCountHeader)) {
            reading.valid = true;
        } else if (StartsWith(line, kMergedHeader)) {
            inMerged = true;
            reading.hasProfile = true;
        } else if (StartsWith(line, kPerThreadHeader)) {
            inMerged = false;
        } else if (inMerged) {
            std::string name;
            ProfileScopeTotal total;
            if (ParseProfileLine(line, name, total)) {
                ProfileScopeTotal& sum = reading.scopes[name];
                sum.calls += total.calls;
                sum.totalMs += total.totalMs;
            }
        } else if (reading.valid) {
            ParseCountLine(line, "wglSwapBuffers", reading.swapBuffersCalls);
        }
    }
    return reading;
}

StageSplit StageSplitBetween(const CallSummaryReading& before, const CallSummaryReading& after) {
    StageSplit split;
    if (!before.hasProfile || !after.hasProfile || after.swapBuffersCalls <= before.swapBuffersCalls) return split;
    const uint64_t frames = after.swapBuffersCalls - before.swapBuffersCalls;
    split.available = true;
    split.frames = frames;
    split.renderFrameMs = PerFrame(before, after, "mora::RenderFrame", frames);
    split.textureCacheMs = PerFrame(before, after, "mora::BuildTextureCache", frames);
    split.rasterWorkerMs = PerFrame(before, after, "mora::RenderMacroTile", frames);
    split.binWorkerMs = PerFrame(before, after, "mora::WorkerLoopEntry", frames) - split.rasterWorkerMs;
    split.resetMs = PerFrame(before, after, "mora::ResetFrame", frames);
    return split;
}

}  // namespace mora::scene
