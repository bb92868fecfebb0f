// Round trip of jobs through the render job queue: an empty job (enqueue, one
// worker runs one empty item, WaitIdle returns), and a parallel-for of many
// empty items, with idle workers spinning (default) or asleep (spin 0).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>

#include "platform/topology.h"
#include "rjq/render_job_queue.h"

namespace {

using namespace mora;

void EmptyItem(const std::uint32_t*, std::uint32_t, void*) {}
void EmptyIndex(std::uint32_t, void*) {}

rjq::RenderJobQueue* MakeQueue(std::uint64_t spinMicroseconds) {
    auto processors = platform::ProcessorTopology();
    const auto workers = static_cast<std::uint32_t>(std::max<std::size_t>(processors.size(), 2) - 1);
    return rjq::CreateRenderJobQueue(rjq::kDefaultCapacity, workers, processors, spinMicroseconds);
}

void EmptyJobRoundTrip(benchmark::State& state) {
    rjq::RenderJobQueue* queue = MakeQueue(static_cast<std::uint64_t>(state.range(0)));
    const std::uint32_t descriptor[5] = {0, 0, 0, 0, 1};
    for (auto _ : state) {
        rjq::Enqueue(*queue, rjq::kJobKindItems, descriptor, EmptyItem, nullptr);
        rjq::WaitIdle(*queue);
    }
    state.counters["workers"] = queue->workerCount;
    rjq::DestroyRenderJobQueue(queue);
}
BENCHMARK(EmptyJobRoundTrip)->Arg(5000)->Arg(0)->ArgName("spin_us")->UseRealTime();

void ParallelForEmptyItems(benchmark::State& state) {
    rjq::RenderJobQueue* queue = MakeQueue(5000);
    const auto count = static_cast<std::uint32_t>(state.range(0));
    for (auto _ : state) rjq::ParallelFor(queue, count, EmptyIndex, nullptr);
    state.SetItemsProcessed(state.iterations() * count);
    rjq::DestroyRenderJobQueue(queue);
}
BENCHMARK(ParallelForEmptyItems)->Arg(64)->Arg(4096)->ArgName("items")->UseRealTime();

}  // namespace
