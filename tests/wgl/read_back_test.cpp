// The read-back copy on its own: every source pixel holds its own coordinates, so each output
// byte can be checked against the pixel it must come from; random rectangles at and past every
// edge are served exactly when they lie inside. (Refused formats and 32-bit overflowing rectangles
// are tested through glReadPixels in tests/integration.)
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "wgl/read_back.h"

namespace mora::test {
namespace {

constexpr uint8_t kUntouched = 0xEE;

// A width x height BGRA image whose pitch has 3 spare words per row; pixel (x, row) has
// B = x, G = row, R = x + row, A = 200 (row counted from the top).
struct TestImage {
    int32_t width;
    int32_t height;
    int64_t pitch;
    std::vector<uint8_t> bytes;

    TestImage(int32_t w, int32_t h) : width(w), height(h), pitch((w + 3) * 4), bytes(static_cast<size_t>(pitch * h), 0xAB) {
        for (int32_t row = 0; row < h; ++row) {
            for (int32_t x = 0; x < w; ++x) {
                uint8_t* p = &bytes[static_cast<size_t>(row * pitch + x * 4)];
                p[0] = static_cast<uint8_t>(x);
                p[1] = static_cast<uint8_t>(row);
                p[2] = static_cast<uint8_t>(x + row);
                p[3] = 200;
            }
        }
    }
    ReadSource Source() const { return ReadSource{bytes.data(), pitch, width, height}; }
};

TEST(ReadBack, FourOrdersTakeRowsFromTheBottom) {
    const TestImage image(7, 5);
    struct Case {
        uint32_t format;
        int bytes;
        int order[4];  // destination byte i takes source byte order[i] (B 0, G 1, R 2, A 3)
    };
    const Case cases[] = {{kReadFormatBgra, 4, {0, 1, 2, 3}},
                          {kReadFormatRgba, 4, {2, 1, 0, 3}},
                          {kReadFormatBgr, 3, {0, 1, 2, -1}},
                          {kReadFormatRgb, 3, {2, 1, 0, -1}}};
    for (const Case& c : cases) {
        const int32_t x = 2, y = 1, w = 4, h = 3;
        std::vector<uint8_t> out(static_cast<size_t>(w * h * c.bytes) + 1, kUntouched);
        ASSERT_TRUE(CopyReadRectangle(image.Source(), x, y, w, h, c.format, kReadTypeUnsignedByte, out.data()));
        for (int r = 0; r < h; ++r) {
            const int row = image.height - 1 - y - r;  // GL row y + r, counted from the bottom
            for (int i = 0; i < w; ++i) {
                const uint8_t source[4] = {static_cast<uint8_t>(x + i), static_cast<uint8_t>(row),
                                           static_cast<uint8_t>(x + i + row), 200};
                for (int b = 0; b < c.bytes; ++b) {
                    EXPECT_EQ(out[static_cast<size_t>((r * w + i) * c.bytes + b)], source[c.order[b]])
                        << "format 0x" << std::hex << c.format << std::dec << " row " << r << " pixel " << i << " byte " << b;
                }
            }
        }
        EXPECT_EQ(out.back(), kUntouched) << "wrote past width x height x " << c.bytes << " bytes";
    }
}

// Random rectangles around the edges: a request is served exactly when it lies inside, and then
// its last byte is the one the rectangle's top-right pixel gives.
TEST(ReadBack, RandomRectanglesAreServedExactlyWhenInside) {
    const TestImage image(13, 9);
    std::mt19937 random(1234);
    std::uniform_int_distribution<int32_t> coordinate(-3, 16);
    std::vector<uint8_t> out(16 * 16 * 4 + 1, kUntouched);
    for (int i = 0; i < 2000; ++i) {
        const int32_t x = coordinate(random), y = coordinate(random), w = coordinate(random), h = coordinate(random);
        const bool inside = x >= 0 && y >= 0 && w >= 1 && h >= 1 && x + w <= image.width && y + h <= image.height;
        std::fill(out.begin(), out.end(), kUntouched);
        const bool served = CopyReadRectangle(image.Source(), x, y, w, h, kReadFormatBgra, kReadTypeUnsignedByte, out.data());
        ASSERT_EQ(served, inside) << x << "," << y << " " << w << "x" << h;
        if (!served) continue;
        const size_t used = static_cast<size_t>(w * h * 4);
        EXPECT_EQ(out[used], kUntouched) << x << "," << y << " " << w << "x" << h;
        const int topRow = image.height - 1 - (y + h - 1);
        EXPECT_EQ(out[used - 4], static_cast<uint8_t>(x + w - 1));
        EXPECT_EQ(out[used - 3], static_cast<uint8_t>(topRow));
    }
}

}  // namespace
}  // namespace mora::test
