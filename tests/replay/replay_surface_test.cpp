// The replay surface: rows pitched wider than the image, two colour buffers used alternately as
// the presenter does, and tight read-back of the buffer last drawn.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "replay_surface.h"

namespace mora_replay_test {
namespace {

using namespace mora::replay;

TEST(ReplaySurface, SizesAndPitch) {
    ReplaySurface surface;
    ASSERT_TRUE(CreateReplaySurface(surface, 100, 3));
    EXPECT_GT(surface.colourPitch, 400);
    EXPECT_EQ(surface.colourPitch % 64, 0);
    EXPECT_EQ(surface.depth.size(), 300u);
    for (float depth : surface.depth) ASSERT_EQ(depth, 1.0f);
    EXPECT_TRUE(mora::SurfaceUsable(ViewOfReplaySurface(surface)));
    for (auto [w, h] : {std::pair{0, 5}, std::pair{5, -1}, std::pair{8193, 1}, std::pair{1, 8193}}) {
        EXPECT_FALSE(CreateReplaySurface(surface, w, h)) << w << "x" << h;
        EXPECT_TRUE(surface.colourWords[0].empty());
    }
    EXPECT_TRUE(CreateReplaySurface(surface, 8192, 1));
}

// Fills the rows of the buffer the next frame draws into with `value` (pitch padding untouched).
void DrawFrameOf(ReplaySurface& surface, uint32_t value) {
    const mora::SurfaceView view = ViewOfReplaySurface(surface);
    for (int y = 0; y < view.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(view.colourBase + static_cast<std::ptrdiff_t>(y) * view.colourPitch);
        for (int x = 0; x < view.width; ++x) row[x] = value + static_cast<uint32_t>(y * view.width + x);
    }
    PresentReplaySurface(surface);
}

TEST(ReplaySurface, BuffersAlternateAndReadBackTightly) {
    ReplaySurface surface;
    ASSERT_TRUE(CreateReplaySurface(surface, 5, 4));
    const uint8_t* first = ViewOfReplaySurface(surface).colourBase;
    DrawFrameOf(surface, 0x1000);
    const uint8_t* second = ViewOfReplaySurface(surface).colourBase;
    EXPECT_NE(first, second);
    DrawFrameOf(surface, 0x2000);
    EXPECT_EQ(ViewOfReplaySurface(surface).colourBase, first);  // the frame after next draws over frame one

    std::vector<uint8_t> tight;
    CopyTightBgra(surface, tight);
    ASSERT_EQ(tight.size(), 5u * 4u * 4u);
    for (uint32_t i = 0; i < 20; ++i) {
        uint32_t word = 0;
        std::memcpy(&word, tight.data() + 4 * i, 4);
        ASSERT_EQ(word, 0x2000u + i) << i;
    }
    ResetReplaySurface(surface);
    EXPECT_EQ(ViewOfReplaySurface(surface).colourBase, first);
    CopyTightBgra(surface, tight);
    for (uint8_t byte : tight) ASSERT_EQ(byte, 0);
}

}  // namespace
}  // namespace mora_replay_test
