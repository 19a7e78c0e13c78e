#include "saver/frame_layout.h"

#include <gtest/gtest.h>

namespace chronivo {
namespace {

struct ClockCase {
    FrameRect frame;
    ClockLayout expected;
    FrameRect band;
    const char* fact;
};

TEST(FrameLayoutTest, ClockLinesAndCountdownBand) {
    const ClockCase cases[] = {
        {{0, 0, 1024, 768},
         {{0, 0, 1024, 10}, {0, 10, 1024, 163}, {0, 266, 1024, 419}, {0, 522, 1024, 675}},
         {0, 704, 1024, 768},
         "1024 x 768: banner 0-10, weekday 10-163, date 266-419, time 522-675, band 704-768"},
        {{0, 0, 800, 600},
         {{0, 0, 800, 10}, {0, 10, 800, 130}, {0, 210, 800, 330}, {0, 410, 800, 530}},
         {0, 550, 800, 600},
         "800 x 600: banner 0-10, weekday 10-130, date 210-330, time 410-530, band 550-600"},
        {{0, 0, 1920, 1080},
         {{0, 0, 1920, 10}, {0, 10, 1920, 226}, {0, 370, 1920, 586}, {0, 730, 1920, 946}},
         {0, 990, 1920, 1080},
         "1920 x 1080: a = 360, b = 216, band 1080 / 12 = 90 rows"},
        {{0, 0, 7, 7},
         {{0, 0, 7, 10}, {0, 10, 7, 11}, {0, 12, 7, 13}, {0, 14, 7, 15}},
         {0, 7, 7, 7},
         "a tiny frame: lines fall below it and the band is empty, nothing negative"},
    };
    for (const auto& c : cases) {
        const ClockLayout got = ClockLineRects(c.frame);
        EXPECT_EQ(got.banner, c.expected.banner) << c.fact;
        EXPECT_EQ(got.weekday, c.expected.weekday) << c.fact;
        EXPECT_EQ(got.date, c.expected.date) << c.fact;
        EXPECT_EQ(got.time, c.expected.time) << c.fact;
        EXPECT_EQ(CountdownBandRect(c.frame), c.band) << c.fact;
    }
}

TEST(FrameLayoutTest, SevenWorldBandsOn768Rows) {
    // 768 / 7 = 109 rows a band, at 0, 109, ... 654; rows 763 to 767 belong to no band.
    const FrameRect frame{0, 0, 1024, 768};
    const std::int32_t tops[] = {0, 109, 218, 327, 436, 545, 654};
    for (std::int32_t i = 0; i < 7; ++i) {
        EXPECT_EQ(WorldBandRect(frame, 7, i), (FrameRect{0, tops[i], 1024, tops[i] + 109}))
            << "band " << i;
    }
    EXPECT_EQ(WorldBandRect(frame, 7, 6).bottom, 763);
    EXPECT_EQ(WorldBandRect(frame, 1, 0), frame) << "one city fills the frame";
    EXPECT_THROW(WorldBandRect(frame, 0, 0), std::invalid_argument) << "no bands, no division";
}

TEST(FrameLayoutTest, RectanglesFollowTheFrameOrigin) {
    // Every rectangle derives from left, top, right and bottom, not from the origin.
    const FrameRect frame{100, 50, 1124, 818};
    EXPECT_EQ(ClockLineRects(frame).date, (FrameRect{100, 316, 1124, 469}));
    EXPECT_EQ(CountdownBandRect(frame), (FrameRect{100, 754, 1124, 818}));
    EXPECT_EQ(WorldBandRect(frame, 7, 1), (FrameRect{100, 159, 1124, 268}));
}

TEST(FrameRectTest, ConvertsToQtsInclusiveEdgesOnce) {
    // The banner (0, 0, 1024, 10) is QRect x 0..1023, y 0..9: Qt's right() and bottom() are
    // the last column and row inside.
    const QRect q = ToQRect({0, 0, 1024, 10});
    EXPECT_EQ(q.left(), 0);
    EXPECT_EQ(q.right(), 1023);
    EXPECT_EQ(q.bottom(), 9);
    EXPECT_EQ(q.width(), 1024);
    EXPECT_EQ(q.height(), 10);
    EXPECT_TRUE(q.contains(1023, 9));
    EXPECT_FALSE(q.contains(1024, 9));
    EXPECT_FALSE(q.contains(0, 10));
    EXPECT_EQ(FromQRect(q), (FrameRect{0, 0, 1024, 10})) << "and back again unchanged";
    EXPECT_EQ(FromQRect(QRect(QPoint(5, 6), QPoint(5, 6))), (FrameRect{5, 6, 6, 7}))
        << "a one-pixel QRect is one column and one row wide";
    EXPECT_EQ(ToQRect({0, 7, 7, 7}).height(), 0) << "an empty band stays empty";
}

} // namespace
} // namespace chronivo
