// Capture reader: full round trip, every failure message (the texel-storage check of texture
// tables among them) and recovery of unfinished files. Arbitrary bytes are the fuzzer's
// (tools/fuzz, run by CI).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <tuple>

#include "capture/capture_format.h"
#include "capture/capture_reader.h"
#include "capture/capture_test_support.h"
#include "capture/crc32.h"

namespace mora {
namespace {

constexpr uint32_t kWidth = 4;
constexpr uint32_t kHeight = 2;

struct Synthetic {
    KeyframeSnapshot snapshot = test::PatternSnapshot(11);
    std::vector<TextureSlot> table;
    std::vector<test::RecordedFrame> frames;
};

// Five slots (default, 5x3 image, the same image again, deleted, 8x8 image) and three frames,
// the first and last with reference pixels.
Synthetic MakeSynthetic() {
    Synthetic s;
    s.table.resize(5);
    s.table[0].inUse = 1;
    s.table[1] = test::ImageSlot(5, 3, 10);
    s.table[1].minFilter = 0x2600;
    s.table[2] = s.table[1];
    s.table[3].wrapT = 0x812F;  // deleted: parameters kept, no image
    s.table[4] = test::ImageSlot(8, 8, 77);
    for (uint32_t i = 0; i < 3; ++i) s.frames.push_back(test::MakeFrame(i + 1, kWidth, kHeight, i != 1));
    return s;
}

std::vector<uint8_t> SyntheticBytes(const Synthetic& s, bool finish = true) {
    test::TempDir folder;
    const std::string path = folder.File("synthetic.mora-capture");
    test::WriteCapture(path, s.snapshot, s.table, s.frames, kWidth, kHeight, finish);
    return test::ReadBytes(path);
}

void ExpectSameSlot(const TextureSlot& read, const TextureSlot& written, size_t index) {
    SCOPED_TRACE(index);
    const auto words = [](const TextureSlot& s) {
        return std::tuple(s.width, s.height, s.wrapS, s.wrapT, s.magFilter, s.minFilter, s.inUse, s.hasImage,
                          s.levelCount);
    };
    EXPECT_EQ(words(read), words(written));
    EXPECT_EQ(std::memcmp(read.levelWidth, written.levelWidth, 5 * sizeof(read.levelWidth)), 0);
    EXPECT_EQ(read.texels, written.texels);
}

TEST(CaptureReader, ReadsBackEverythingThatWasWritten) {
    const Synthetic s = MakeSynthetic();
    const std::vector<uint8_t> bytes = SyntheticBytes(s);
    CaptureData data;
    ASSERT_TRUE(ReadCaptureFromMemory(bytes, data)) << LastCaptureReadError();
    EXPECT_EQ(std::memcmp(data.snapshot.bytes, s.snapshot.bytes, kKeyframeSnapshotBytes), 0);
    EXPECT_EQ(data.width, kWidth);
    EXPECT_EQ(data.height, kHeight);
    ASSERT_EQ(data.textures.size(), s.table.size());
    for (size_t i = 0; i < s.table.size(); ++i) ExpectSameSlot(data.textures[i], s.table[i], i);
    ASSERT_EQ(data.frameStreams.size(), 3u);
    for (size_t f = 0; f < 3; ++f) {
        EXPECT_EQ(data.frameStreams[f], test::BufferBytes(s.frames[f].commands.stream));
        EXPECT_EQ(data.frameBlobs[f], test::BufferBytes(s.frames[f].commands.blob));
        EXPECT_EQ(data.frameReferencePixels[f], s.frames[f].pixels);
    }
    EXPECT_EQ(data.blobCount, 2u);                         // slots 1 and 2 share one payload
    EXPECT_EQ(data.textureBytes, (18u + 18u + 85u) * 4u);  // every slot's texels, as the replay reports them
}

// Offsets inside the synthetic file, taken from its header.
struct Layout {
    CaptureHeader header;
    uint64_t Record(uint32_t slot) const { return header.textureTableOffset + kTextureRecordBytes * slot; }
    uint64_t Blob(uint32_t blob) const { return header.blobTableOffset + kBlobRecordBytes * blob; }
};
Layout LayoutOf(const std::vector<uint8_t>& bytes) { return Layout{DecodeCaptureHeader(bytes.data())}; }

void Put32(std::vector<uint8_t>& bytes, uint64_t at, uint32_t value) { StoreLittleEndian32(bytes.data() + at, value); }
void Put64(std::vector<uint8_t>& bytes, uint64_t at, uint64_t value) { StoreLittleEndian64(bytes.data() + at, value); }

struct Damage {
    const char* what;
    std::function<void(std::vector<uint8_t>&, const Layout&)> apply;
    const char* message;
};

// TextureRecord word w of slot s.
uint64_t Word(const Layout& layout, uint32_t slot, uint32_t word) { return layout.Record(slot) + 4 * word; }
constexpr uint64_t kFar = 0x8000000000000000u;  // beyond any seekable offset

TEST(CaptureReader, EveryDamageFailsWithItsMessage) {
    const std::vector<uint8_t> good = SyntheticBytes(MakeSynthetic());
    const std::vector<Damage> damages = {
        {"cut header", [](auto& b, auto&) { b.resize(95); }, "short read on header"},
        {"magic 1", [](auto& b, auto&) { b[0] = 'm'; }, "bad magic (not a .mora-capture file)"},
        {"version", [](auto& b, auto&) { Put32(b, 8, 3); },
         "unsupported capture version (expected v4 raw command stream)"},
        {"layout", [](auto& b, auto&) { Put32(b, 12, 0x3925DC10); },
         "layout-hash mismatch (capture made against different Cmd POD sizes)"},
        {"textures", [](auto& b, auto&) { Put32(b, 48, 0x100001); }, "implausible keyframe table count"},
        {"blobs", [](auto& b, auto&) { Put32(b, 52, 0x100001); }, "implausible keyframe table count"},
        {"keyframe cut", [](auto& b, auto&) { Put64(b, 32, b.size() - 100); }, "short read on keyframe snapshot"},
        {"texture table", [](auto& b, auto&) { Put64(b, 40, b.size() - 364); }, "short read on texture table"},
        {"blob table", [](auto& b, auto&) { Put64(b, 56, b.size() - 47); }, "short read on blob table"},
        {"blob size", [](auto& b, auto& l) { Put64(b, l.Blob(0) + 8, 0x20000001); }, "implausible keyframe blob size"},
        {"blob seek", [](auto& b, auto& l) { Put64(b, l.Blob(1) + 16, kFar); }, "seek failed on blob payload"},
        {"blob cut", [](auto& b, auto& l) { Put64(b, l.Blob(1) + 16, b.size() - 8); }, "short read on blob payload"},
        {"payload byte", [](auto& b, auto& l) { b[l.header.blobPayloadOffset + 17] ^= 0x40; },
         "crc mismatch on keyframe blob"},
        {"slot index", [](auto& b, auto& l) { Put32(b, Word(l, 2, 0), 5); },
         "texture slot index outside keyframe table"},
        {"blob index", [](auto& b, auto& l) { Put32(b, Word(l, 4, 89), 2); }, "texture references missing blob"},
        {"6-byte blob",
         [](auto& b, auto& l) {
             Put64(b, l.Blob(0) + 8, 6);
             Put32(b, l.Blob(0) + 4, Crc32(b.data() + l.header.blobPayloadOffset, 6));
         },
         "texture mip bytes not u32-aligned"},
        {"level offset", [](auto& b, auto& l) { Put32(b, Word(l, 1, 9 + 64 + 2), 18 * 4); },
         "texture level table outside texel storage"},
        {"level pitch", [](auto& b, auto& l) { Put32(b, Word(l, 4, 9 + 32 + 0), 28); },
         "texture level table outside texel storage"},
        {"level count", [](auto& b, auto& l) { Put32(b, Word(l, 4, 8), 17); },
         "texture level table outside texel storage"},
        {"beyond count", [](auto& b, auto& l) { Put32(b, Word(l, 1, 9 + 3), 1); },
         "texture level table outside texel storage"},
        {"image size", [](auto& b, auto& l) { Put32(b, Word(l, 2, 2), 7); },
         "texture level table outside texel storage"},
        {"no storage", [](auto& b, auto& l) { Put32(b, Word(l, 1, 89), 0xFFFFFFFF); },
         "texture level table outside texel storage"},
        {"frames seek", [](auto& b, auto&) { Put64(b, 72, kFar); }, "seek failed on frame records"},
        {"frame header", [](auto& b, auto& l) { b.resize(l.header.frameRecordsOffset + 23); },
         "short read on frame header"},
        {"frame size", [](auto& b, auto& l) { Put64(b, l.header.frameRecordsOffset, 0x4000001); },
         "implausible frame record size"},
        {"stream cut", [](auto& b, auto& l) { b.resize(l.header.frameRecordsOffset + 24 + 10); },
         "short read on frame stream"},
        {"blob cut in frame", [](auto& b, auto& l) { b.resize(l.header.frameRecordsOffset + 24 + 60 + 4); },
         "short read on frame blob"},
        {"pixels cut", [](auto& b, auto&) { b.resize(b.size() - 1); }, "short read on frame reference BGRA"},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        std::vector<uint8_t> bytes = good;
        damage.apply(bytes, LayoutOf(good));
        CaptureData data;
        std::string error;
        EXPECT_FALSE(ReadCaptureFromMemory(bytes, data, &error));
        EXPECT_EQ(error, damage.message);
        EXPECT_STREQ(LastCaptureReadError(), damage.message);
    }
    std::string error;
    CaptureData data;
    EXPECT_FALSE(ReadCapture("/nonexistent-folder/none.mora-capture", data, &error));
    EXPECT_EQ(error, "cannot open file");
}

TEST(CaptureReader, UnfinishedFileRecoversEveryCompleteFrame) {
    const Synthetic s = MakeSynthetic();
    const std::vector<uint8_t> unfinished = SyntheticBytes(s, /*finish=*/false);
    ASSERT_EQ(LoadLittleEndian32(unfinished.data() + 16), 0xFFFFFFFFu);
    struct Case {
        uint64_t keep;  // bytes kept from the unfinished file
        size_t frames;
    };
    const uint64_t frame3 = unfinished.size() - (24 + 60 + 12 + kWidth * kHeight * 4);
    for (const Case c : {Case{unfinished.size(), 3}, Case{unfinished.size() - 5, 2}, Case{frame3 + 30, 2},
                         Case{frame3 + 3, 2}, Case{frame3, 2}}) {
        const std::vector<uint8_t> bytes(unfinished.begin(), unfinished.begin() + static_cast<ptrdiff_t>(c.keep));
        CaptureData data;
        testing::internal::CaptureStderr();
        ASSERT_TRUE(ReadCaptureFromMemory(bytes, data)) << LastCaptureReadError();
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "mora_replay: NOTE: capture file had open-sentinel frameCount; recovered " +
                      std::to_string(c.frames) + " frames by EOF scan\n");
        ASSERT_EQ(data.frameStreams.size(), c.frames);
        EXPECT_EQ(data.frameReferencePixels.back(), s.frames[c.frames - 1].pixels);
    }
    // An implausible size ends the scan instead of failing.
    std::vector<uint8_t> bytes = unfinished;
    Put64(bytes, frame3 + 8, 0x4000001);
    CaptureData data;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(ReadCaptureFromMemory(bytes, data));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(data.frameStreams.size(), 2u);
}

}  // namespace
}  // namespace mora
