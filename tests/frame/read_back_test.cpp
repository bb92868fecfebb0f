// The read-back copy on its own: the wider types convert each byte as GL converts colours; random
// rectangles at and past every edge are served exactly when they lie inside. (The byte orders with
// their bottom-up rows, refused formats and 32-bit overflowing rectangles are tested through
// glReadPixels in tests/integration.)
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "frame/read_back.h"

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

    TestImage(int32_t w, int32_t h)
        : width(w), height(h), pitch((w + 3) * 4), bytes(static_cast<size_t>(pitch * h), 0xAB) {
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

// The value of type T stored at `at`.
template <typename T>
double As(const uint8_t* at) {
    T value;
    std::memcpy(&value, at, sizeof(T));
    return value;
}

// Each type converts the bytes 0, 128, 200 and 255 to the values GL defines, across the 256-pixel
// chunks a wide row is converted in, and writes nothing past width x components.
TEST(ReadBack, WiderTypesConvertEachComponent) {
    TestImage image(400, 1);  // pixel x: B = R = x mod 256, G = 0, A = 200
    struct Case {
        uint32_t type;
        int bytes;
        double (*read)(const uint8_t*);
        double value[4];  // for the components 0, 128, 200, 255
    };
    const Case cases[] = {
        {kReadTypeFloat, 4, As<float>, {0.0, 128.0f / 255.0f, 200.0f / 255.0f, 1.0}},
        {kReadTypeUnsignedShort, 2, As<uint16_t>, {0, 32896, 51400, 65535}},
        {kReadTypeUnsignedInt, 4, As<uint32_t>, {0, 0x80808080u, 0xC8C8C8C8u, 0xFFFFFFFFu}},
        {kReadTypeByte, 1, As<int8_t>, {0, 64, 100, 127}},
        {kReadTypeShort, 2, As<int16_t>, {0, 16448, 25700, 32767}},
        {kReadTypeInt, 4, As<int32_t>, {0, 1077952576, 1684300900, 2147483647}},
    };
    for (const Case& c : cases) {
        const int32_t w = 400;
        std::vector<uint8_t> out(static_cast<size_t>(w * 4 * c.bytes) + 1, kUntouched);
        ASSERT_TRUE(CopyReadRectangle(image.Source(), 0, 0, w, 1, kReadFormatRgba, c.type, out.data()));
        // Pixels 0, 128 and 255, and 384 (128 again, in the second chunk): R, G, B, A.
        for (const auto& [pixel, level] : {std::pair{0, 0}, std::pair{128, 1}, std::pair{255, 3}, std::pair{384, 1}}) {
            const uint8_t* at = out.data() + static_cast<size_t>(pixel * 4 * c.bytes);
            EXPECT_EQ((std::vector<double>{c.read(at), c.read(at + c.bytes), c.read(at + 2 * c.bytes),
                                           c.read(at + 3 * c.bytes)}),
                      (std::vector<double>{c.value[level], 0.0, c.value[level], c.value[2]}))
                << "type 0x" << std::hex << c.type << std::dec << " pixel " << pixel;
        }
        EXPECT_EQ(out.back(), kUntouched) << "type 0x" << std::hex << c.type;
    }
    std::vector<uint8_t> rgb(3 * 4 + 1, kUntouched);  // a three-component format in a wide type
    ASSERT_TRUE(CopyReadRectangle(image.Source(), 200, 0, 1, 1, kReadFormatBgr, kReadTypeFloat, rgb.data()));
    EXPECT_EQ(As<float>(rgb.data()), 200.0f / 255.0f);
    EXPECT_EQ(As<float>(rgb.data() + 4), 0.0);
    EXPECT_EQ(rgb.back(), kUntouched);
    EXPECT_FALSE(CopyReadRectangle(image.Source(), 0, 0, 1, 1, kReadFormatRgba, 0x1407, rgb.data()));
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
        const bool served =
            CopyReadRectangle(image.Source(), x, y, w, h, kReadFormatBgra, kReadTypeUnsignedByte, out.data());
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
