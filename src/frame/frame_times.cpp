#include "frame/frame_times.h"

#include <atomic>

namespace mora {

namespace {

struct SharedFrameTimes {
    std::atomic<uint64_t> replayNs{0}, emitNs{0}, renderNs{0}, presentNs{0}, totalNs{0};
    std::atomic<uint32_t> triangles{0}, frames{0};
};

constinit SharedFrameTimes gLast;

}  // namespace

void NoteFrameTimes(const FrameTimes& times) {
    gLast.replayNs.store(times.replayNs, std::memory_order_relaxed);
    gLast.emitNs.store(times.emitNs, std::memory_order_relaxed);
    gLast.renderNs.store(times.renderNs, std::memory_order_relaxed);
    gLast.presentNs.store(times.presentNs, std::memory_order_relaxed);
    gLast.totalNs.store(times.totalNs, std::memory_order_relaxed);
    gLast.triangles.store(times.triangles, std::memory_order_relaxed);
    gLast.frames.fetch_add(1, std::memory_order_release);
}

FrameTimes LastFrameTimes() {
    FrameTimes times;
    times.frames = gLast.frames.load(std::memory_order_acquire);
    times.replayNs = gLast.replayNs.load(std::memory_order_relaxed);
    times.emitNs = gLast.emitNs.load(std::memory_order_relaxed);
    times.renderNs = gLast.renderNs.load(std::memory_order_relaxed);
    times.presentNs = gLast.presentNs.load(std::memory_order_relaxed);
    times.totalNs = gLast.totalNs.load(std::memory_order_relaxed);
    times.triangles = gLast.triangles.load(std::memory_order_relaxed);
    return times;
}

}  // namespace mora
