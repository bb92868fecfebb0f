// Capture checksums and loading: CRC-32 throughput over texel-sized buffers, and the reader's
// validating load of an in-memory capture (64 textures of 256 x 256 with mips, 10 frames).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "capture/capture_reader.h"
#include "capture/capture_writer.h"
#include "capture/crc32.h"
#include "gl/texture_objects.h"
#include "platform/file.h"

namespace {

using namespace mora;

void Crc32Throughput(benchmark::State& state) {
    std::vector<uint8_t> bytes(static_cast<size_t>(state.range(0)));
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 131u);
    for (auto _ : state) benchmark::DoNotOptimize(Crc32(bytes.data(), bytes.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(Crc32Throughput)->Arg(4096)->Arg(1 << 20);

std::vector<uint8_t> MakeCaptureBytes() {
    std::vector<TextureSlot> table(64);
    for (size_t t = 0; t < table.size(); ++t) {
        table[t].inUse = table[t].hasImage = 1;
        table[t].width = table[t].height = 256;
        BuildMipChain(table[t], 256, 256);
        for (size_t i = 0; i < table[t].texels.size(); ++i) table[t].texels[i] = static_cast<uint32_t>(i * (t + 1));
    }
    CommandBuffer stream;
    CommandBuffer blob;
    GrowCommandBuffer(stream, 256 << 10);
    GrowCommandBuffer(blob, 64 << 10);
    const std::string folder = platform::CreateTemporaryDirectory("mora-bench-capture-");
    const std::string path = folder + "/bench.mora-capture";
    capture::CaptureFile file;
    KeyframeSnapshot snapshot{};
    capture::Open(file, path.c_str(), snapshot, table, 640, 480);
    for (int frame = 0; frame < 10; ++frame) capture::AppendFrame(file, stream, blob, nullptr, 0);
    capture::Finish(file, 10);
    std::string contents;
    platform::ReadWholeFile(path.c_str(), contents);
    platform::RemoveDirectoryTree(folder.c_str());
    return {contents.begin(), contents.end()};
}

void ReadCaptureFromMemoryLoad(benchmark::State& state) {
    const std::vector<uint8_t> bytes = MakeCaptureBytes();
    CaptureData data;
    for (auto _ : state) {
        if (!ReadCaptureFromMemory(bytes, data)) state.SkipWithError(LastCaptureReadError());
        benchmark::DoNotOptimize(data.textures.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(ReadCaptureFromMemoryLoad)->Unit(benchmark::kMillisecond);

}  // namespace
