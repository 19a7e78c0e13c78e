#include "saver/frame_style.h"

#include "saver/rainbow.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <utility>

namespace chronivo {
namespace {

// 2026-12-07 15:10:00 UTC, on a whole minute.
constexpr std::int64_t kMinute = 1796656200;

TEST(DriftTest, OffsetsCoverTheSquareEvenlyAndKeepTheLayoutOnScreen) {
    // The margin: 2 % of the smaller side, truncating; none under 50 pixels.
    EXPECT_EQ(DriftMargin({0, 0, 960, 540}), 10);
    EXPECT_EQ(DriftMargin({0, 0, 2160, 3840}), 43) << "portrait: the width is the smaller side";
    EXPECT_EQ(DriftMargin({0, 0, 49, 1000}), 0);
    EXPECT_EQ(DriftOffsetAt(kMinute, 0), DriftOffset{}) << "no margin, no movement";
    // A week of minutes on two screens: every offset within the margin, the layout inside the
    // screen, both edges reached; and each run of 64 minutes visits all 4 x 4 cells of the square.
    for (const FrameRect& frame : {FrameRect{0, 0, 960, 540}, FrameRect{0, 0, 3840, 2160}}) {
        const std::int32_t margin = DriftMargin(frame);
        std::set<std::int32_t> xs;
        std::set<std::pair<int, int>> cells;
        for (std::int64_t m = 0; m < 10080; ++m) {
            const DriftOffset o = DriftOffsetAt(kMinute + 60 * m, margin);
            const FrameRect layout = DriftedLayoutFrame(frame, margin, o);
            ASSERT_TRUE(std::abs(o.dx) <= margin && std::abs(o.dy) <= margin) << m;
            ASSERT_TRUE(layout.left >= 0 && layout.top >= 0 && layout.right <= frame.right &&
                        layout.bottom <= frame.bottom)
                << m;
            xs.insert(o.dx);
            cells.insert({std::min(2 * (o.dx + margin) / margin, 3),
                          std::min(2 * (o.dy + margin) / margin, 3)});
            if (m % 64 == 63) {
                ASSERT_EQ(cells.size(), 16u) << m;
                cells.clear();
            }
        }
        EXPECT_TRUE(xs.count(-margin) == 1 && xs.count(margin) == 1) << "both edges are reached";
    }
}

struct MinuteCase {
    std::int64_t from;
    std::int64_t to;
    bool same;
    const char* fact;
};

TEST(DriftTest, OffsetHoldsForAMinuteAndMovesAtTheNext) {
    const MinuteCase cases[] = {
        {kMinute, kMinute + 59, true, "15:10:00 and 15:10:59"},
        {kMinute + 59, kMinute + 60, false, "15:10:59 to 15:11:00"},
        {kMinute - 1, kMinute, false, "15:09:59 to 15:10:00"},
        {-1, -60, true, "the last minute of 1969 is one minute"},
        {-1, 0, false, "1969 to 1970"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DriftOffsetAt(c.from, 21) == DriftOffsetAt(c.to, 21), c.same) << c.fact;
    }
    // Every minute of a week moves the layout.
    for (std::int64_t m = 1; m < 10080; ++m) {
        ASSERT_NE(DriftOffsetAt(kMinute + 60 * (m - 1), 21), DriftOffsetAt(kMinute + 60 * m, 21))
            << m;
    }
}

struct OutlineCase {
    std::uint32_t text;
    std::uint32_t outline;
    const char* fact;
};

TEST(OutlineTest, BlackOrWhiteWhicheverContrastsMoreOnePixelPer500Rows) {
    // Colours 0x00BBGGRR.
    const OutlineCase cases[] = {
        {0xFFFFFF, 0x000000, "white text, black edge"},
        {0x000000, 0xFFFFFF, "black text, white edge"},
        {0x0000FF, 0x000000, "red (luminance 0.2126): 5.25 to black, 4.0 to white"},
        {0xFF0000, 0xFFFFFF, "blue (0.0722): 2.44 to black, 8.59 to white"},
        {0x757575, 0xFFFFFF, "grey 0x75 (0.178): 4.56 to black, 4.61 to white"},
        {0x767676, 0x000000, "grey 0x76 (0.181): 4.62 to black, 4.54 to white"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OutlineColorFor(c.text), c.outline) << c.fact;
    }
    EXPECT_DOUBLE_EQ(ContrastRatio(0x000000, 0xFFFFFF), 21.0);
    // The width: one pixel per 500 rows, at least one.
    EXPECT_EQ(OutlineWidthFor(0), 1);
    EXPECT_EQ(OutlineWidthFor(999), 1);
    EXPECT_EQ(OutlineWidthFor(1080), 2);
    EXPECT_EQ(OutlineWidthFor(2160), 4);
}

TEST(DarkTest, CountdownColourIsAFullColourApartFromTheClocks) {
    // Over the whole wheel: never darker than pure blue, the darkest colour of the wheel (2.44
    // to black), never the clock's colour, and counting up differs from counting down.
    for (std::int32_t phase = 0; phase < kPhasePerTurn; phase += 37) {
        const std::uint32_t down = DarkCountdownColor(phase, false);
        const std::uint32_t up = DarkCountdownColor(phase, true);
        ASSERT_GE(ContrastRatio(down, 0x000000), 2.44) << phase;
        ASSERT_GE(ContrastRatio(up, 0x000000), 2.44) << phase;
        ASSERT_NE(down, HueColor(phase)) << phase;
        ASSERT_NE(up, down) << phase;
    }
}

} // namespace
} // namespace chronivo
