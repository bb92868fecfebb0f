// Capture writer: the exact bytes of header, texture table, blobs and frame records, blob
// deduplication, and what a failed open or append leaves behind.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "capture/capture_format.h"
#include "capture/capture_reader.h"
#include "capture/capture_test_support.h"
#include "capture/crc32.h"

namespace mora {
namespace {

uint32_t U32(const std::vector<uint8_t>& bytes, uint64_t at) { return LoadLittleEndian32(bytes.data() + at); }
uint64_t U64(const std::vector<uint8_t>& bytes, uint64_t at) { return LoadLittleEndian64(bytes.data() + at); }

TEST(CaptureWriter, WritesHeaderTablesBlobsAndFrameRecordsAtTheirOffsets) {
    test::TempDir folder;
    const std::string path = folder.File("layout.mora-capture");
    std::vector<TextureSlot> table(5);
    table[0].inUse = 1;                     // default texture: no image, no blob
    table[1] = test::ImageSlot(5, 3, 100);  // levels 5x3, 2x1, 1x1
    table[1].wrapS = 0x812F;
    table[1].magFilter = 0x2600;
    table[2] = test::ImageSlot(4, 4, 900);
    table[3] = table[1];                    // same image as slot 1: shares its blob
    table[4] = test::ImageSlot(5, 3, 101);  // same size, other bytes: a blob of its own
    const KeyframeSnapshot snapshot = test::PatternSnapshot(1);

    capture::CaptureFile file;
    ASSERT_TRUE(capture::Open(file, path.c_str(), snapshot, table, 640, 480));
    std::vector<uint8_t> bytes = test::ReadBytes(path);  // everything is on disk before any frame

    EXPECT_EQ(std::memcmp(bytes.data(), "MRCFCAPT", 8), 0);
    // Version, layout hash, frame count (unfinished), reserved, width, height, snapshot offset, texture
    // table offset, slot count, blob count, blob table offset, payload offset, frames offset.
    const uint64_t blobTable = 96 + 6376 + 364 * 5;
    const uint64_t payloadBytes = (18 + 21 + 18) * 4;
    EXPECT_EQ((std::vector<uint64_t>{U32(bytes, 8), U32(bytes, 12), U32(bytes, 16), U32(bytes, 20), U32(bytes, 24),
                                     U32(bytes, 28), U64(bytes, 32), U64(bytes, 40), U32(bytes, 48), U32(bytes, 52),
                                     U64(bytes, 56), U64(bytes, 64), U64(bytes, 72)}),
              (std::vector<uint64_t>{4, 0x3925DC0Fu, 0xFFFFFFFFu, 0, 640, 480, 96, 96 + 6376, 5, 3, blobTable,
                                     blobTable + 24 * 3, blobTable + 24 * 3 + payloadBytes}));
    for (uint64_t at = 80; at < 96; ++at) EXPECT_EQ(bytes[at], 0) << at;
    EXPECT_EQ(bytes.size(), U64(bytes, 72));
    EXPECT_EQ(std::memcmp(bytes.data() + 96, snapshot.bytes, 6376), 0);

    // The texture and blob records, their payloads and each slot's blob come back through the
    // reader (capture_reader_test.cpp), whose damaged files pin where each of their fields sits.
    // Frame records: the three sizes, then stream, blob and reference pixels (none in the second).
    const test::RecordedFrame frames[2] = {test::MakeFrame(1, 3, 2, true), test::MakeFrame(2, 3, 2, false)};
    for (const test::RecordedFrame& frame : frames) {
        ASSERT_TRUE(capture::AppendFrame(file, frame.commands.stream, frame.commands.blob,
                                         frame.pixels.empty() ? nullptr : frame.pixels.data(), frame.pixels.size()));
    }
    ASSERT_TRUE(capture::Finish(file, 2));
    std::vector<uint8_t> expected = bytes;  // the file as it was, then the frame count and the records
    StoreLittleEndian32(expected.data() + 16, 2);
    for (const test::RecordedFrame& frame : frames) {
        const std::vector<uint8_t> stream = test::BufferBytes(frame.commands.stream);
        const std::vector<uint8_t> blob = test::BufferBytes(frame.commands.blob);
        for (const uint64_t size : {stream.size(), blob.size(), frame.pixels.size()}) {
            expected.resize(expected.size() + 8);
            StoreLittleEndian64(expected.data() + expected.size() - 8, size);
        }
        for (const std::vector<uint8_t>* part : {&stream, &blob, &frame.pixels})
            expected.insert(expected.end(), part->begin(), part->end());
    }
    EXPECT_TRUE(test::ReadBytes(path) == expected);
}

TEST(CaptureWriter, EqualChecksumWithDifferentBytesIsNotShared) {
    test::TempDir folder;
    const std::string path = folder.File("collision.mora-capture");
    std::vector<TextureSlot> table = {test::ImageSlot(2, 2, 1), test::ImageSlot(2, 2, 1)};
    // Adding the CRC-32 generator polynomial (bytes 41 06 71 DB 01 in the bit order CRC-32 reads)
    // to a message of any content leaves its checksum as it was.
    table[1].texels[0] ^= 0xDB710641u;
    table[1].texels[1] ^= 0x00000001u;
    const uint64_t size = table[0].texels.size() * 4;
    ASSERT_EQ(Crc32(table[1].texels.data(), size), Crc32(table[0].texels.data(), size));
    ASSERT_NE(table[0].texels, table[1].texels);

    test::WriteCapture(path, test::PatternSnapshot(2), table, {}, 8, 8);
    CaptureData data;
    ASSERT_TRUE(ReadCapture(path.c_str(), data));
    EXPECT_EQ(data.blobCount, 2u);
    EXPECT_EQ(data.textures[1].texels, table[1].texels);
}

TEST(CaptureWriter, FailedOpenOrAppendLeavesNoPartialFrameBehind) {
    capture::CaptureFile file;
    for (const char* unwritable : {"/nonexistent-folder/x.mora-capture", "/dev/full"}) {
        EXPECT_FALSE(capture::Open(file, unwritable, test::PatternSnapshot(5), {}, 1, 1)) << unwritable;
        EXPECT_FALSE(capture::IsOpen(file)) << unwritable;
    }
    platform::File full;
    if (!platform::OpenFile(full, "/dev/full", platform::FileMode::WriteTruncate)) GTEST_SKIP() << "no /dev/full";
    test::TempDir folder;
    const std::string path = folder.File("failed.mora-capture");
    ASSERT_TRUE(capture::Open(file, path.c_str(), test::PatternSnapshot(4), {}, 1024, 1024));
    const test::RecordedFrame first = test::MakeFrame(1, 1024, 1024, true);  // 4 MiB pixels: bypasses the buffer
    const test::RecordedFrame failed = test::MakeFrame(2, 1024, 1024, true);
    const test::RecordedFrame third = test::MakeFrame(3, 1024, 1024, false);
    ASSERT_TRUE(capture::AppendFrame(file, first.commands.stream, first.commands.blob, first.pixels.data(),
                                     first.pixels.size()));

    // Every write of the next frame fails (disk full); the file then works again.
    std::swap(file.file, full);
    EXPECT_FALSE(capture::AppendFrame(file, failed.commands.stream, failed.commands.blob, failed.pixels.data(),
                                      failed.pixels.size()));
    std::swap(file.file, full);
    platform::CloseFile(full);
    EXPECT_FALSE(file.broken);
    ASSERT_TRUE(capture::AppendFrame(file, third.commands.stream, third.commands.blob, nullptr, 0));
    ASSERT_TRUE(capture::Finish(file, 2));

    CaptureData data;
    ASSERT_TRUE(ReadCapture(path.c_str(), data)) << LastCaptureReadError();
    ASSERT_EQ(data.frameStreams.size(), 2u);
    EXPECT_EQ(data.frameReferencePixels[0], first.pixels);
    EXPECT_EQ(data.frameStreams[1], test::BufferBytes(third.commands.stream));
    EXPECT_TRUE(data.frameReferencePixels[1].empty());
}

}  // namespace
}  // namespace mora
