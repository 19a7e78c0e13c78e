#include "saver/rainbow.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace chronivo {
namespace {

struct TimeBaseCase {
    std::int32_t millis, second, minute, expected;
    const char* fact;
};

TEST(TimeBaseTest, CountsTenthsOfASecondThroughTheHour) {
    const TimeBaseCase cases[] = {
        {0, 0, 0, 0, "the first moment of the hour is 0"},
        {949, 59, 59, 35999, "949 ms rounds down to the ninth tenth of the last second"},
        {950, 59, 59, 36000, "the last 50 ms of the hour reach 36000"},
        {999, 5, 0, 60, "999 ms rounds up to the next second's 0"},
        {0, 6, 0, 60, "...which is where the next second starts"},
        {49, 0, 0, 0, "49 ms rounds down"},
        {50, 0, 0, 1, "50 ms rounds up to one tenth"},
        {0, 0, 1, 600, "a minute is 600 tenths"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TimeBase(c.millis, c.second, c.minute), c.expected) << c.fact;
    }
}

struct HueCase {
    std::int32_t phase;
    std::uint32_t expected;
    const char* fact;
};

TEST(HueColorTest, InterpolatesRoundTheWheel) {
    const HueCase cases[] = {
        {0, 0xFF00FF, "phase 0 is magenta"},
        {1, 0xFE00FF, "one unit on, blue starts to fall, fraction dropped"},
        {768, 0x7F00FF, "half-way from magenta to red"},
        {1535, 0x0000FF, "the last unit of the first segment is already red"},
        {1536, 0x0000FF, "segment 1 starts on red"},
        {2304, 0x007FFF, "half-way from red to yellow"},
        {4608, 0x00FF00, "segment 3 starts on green"},
        {5376, 0x7FFF00, "half-way from green to cyan"},
        {9215, 0xFF00FE, "the last unit of the turn is nearly magenta"},
        {9216, 0xFF00FF, "a full turn is magenta again"},
        {92160, 0xFF00FF, "ten turns are magenta again"},
        {3072, 0x00FFFF, "segment 2 starts on yellow"},
        {6144, 0xFFFF00, "segment 4 starts on cyan"},
        {7680, 0xFF0000, "segment 5 starts on blue"},
        {-1, 0xFF00FE, "a negative phase is taken round the wheel: -1 is 9215"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HueColor(c.phase), c.expected) << c.fact << " (phase " << c.phase << ")";
    }
}

TEST(HueColorTest, NeighbouringAnchorsDifferInOneChannel) {
    // Between two anchors exactly one channel moves, so the wheel never passes through grey.
    for (std::size_t i = 0; i < HueTable.size(); ++i) {
        const std::uint32_t diff = HueTable[i] ^ HueTable[(i + 1) % HueTable.size()];
        const int channels =
            ((diff & 0xFF) != 0) + ((diff & 0xFF00) != 0) + ((diff & 0xFF0000) != 0);
        EXPECT_EQ(channels, 1) << "anchors " << i << " and " << (i + 1) % 6;
    }
}

TEST(SpeedTest, DefaultSpeedGivesTheListedColours) {
    // Speed 600: time base 600 is one segment, red; time base 0 is magenta.
    EXPECT_EQ(SolidPhase(600, 600), 1536);
    EXPECT_EQ(HueColor(SolidPhase(600, 600)), 0x0000FFu);
    EXPECT_EQ(HueColor(SolidPhase(0, 600)), 0xFF00FFu);
    // The end of the hour with speed 600 is ten whole turns: no jump at the hour.
    EXPECT_EQ(SolidPhase(36000, 600), 92160);
    // Speed 96 ends the hour at 62.5 turns, which is green.
    EXPECT_EQ(SolidPhase(36000, 96), 576000);
    EXPECT_EQ(HueColor(576000), 0x00FF00u);
}

TEST(SpeedTest, SpeedBelowOneIsTheSaverDefault) {
    const std::int32_t stored[] = {0, -1, -600, INT32_MIN};
    for (std::int32_t s : stored) {
        // A hand-edited speed below 1 would divide by zero or run backwards: it becomes 600.
        EXPECT_EQ(UsableSpeed(s), 600) << s;
    }
    EXPECT_EQ(UsableSpeed(1), 1) << "1 is the smallest usable speed and is kept";
    EXPECT_EQ(UsableSpeed(6000), 6000) << "the dialog's largest speed is kept";
}

TEST(StripePhaseTest, HalfTheWidthIsOneSegmentAhead) {
    // At 1024 wide the stripe at x = 512 is 1536 phase units ahead of the stripe at x = 0.
    EXPECT_EQ(StripePhase(512, 1024, 0, 600) - StripePhase(0, 1024, 0, 600), 1536);
    EXPECT_EQ(StripePhase(1023, 1024, 0, 600), 3069) << "just under two segments across";
    EXPECT_EQ(StripePhase(5, 1024, 600, 600), 15 + 1536) << "the two divisions are separate";
}

TEST(PixelTest, ColoursTravelToPixelsAndBack) {
    // 0x00BBGGRR red is pixel 0xFFFF0000; the conversion round-trips.
    EXPECT_EQ(ToPixel(0x0000FF), 0xFFFF0000u);
    EXPECT_EQ(ToPixel(0xFF0000), 0xFF0000FFu);
    EXPECT_EQ(FromPixel(ToPixel(0x123456)), 0x123456u);
    EXPECT_EQ(ToQColor(0x00FF00), QColor(0, 255, 0));
}

// Paints stripes the slow way: one fill per stripe, as a reference.
QImage StripesOneByOne(QSize size, const FrameRect& rect, std::int32_t width, std::int32_t timeBase,
                       std::int32_t speed, std::int32_t stripeWidth) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    for (std::int32_t x = 0; x < width; x += stripeWidth) {
        const FrameRect stripe{x, rect.top, x + stripeWidth, rect.bottom};
        p.fillRect(ToQRect(stripe), ToQColor(HueColor(StripePhase(x, width, timeBase, speed))));
    }
    return image;
}

struct StripeCase {
    int width, height, stripeWidth, timeBase, speed;
    const char* fact;
};

TEST(PaintStripesTest, SameAsFillingEachStripeOnItsOwn) {
    const StripeCase cases[] = {
        {1024, 40, 1, 0, 600, "one-pixel stripes at the start of the hour"},
        {1024, 40, 7, 1234, 600, "seven-pixel stripes, the last reaching past the edge"},
        {1920, 12, 130, 36000, 96, "wide stripes at the very end of an hour, odd speed"},
        {333, 5, 1, 17, 1, "the fastest speed on an odd width"},
        {64, 3, 64, 5, 857, "one stripe covers the whole width"},
        {64, 3, 100, 5, 857, "one stripe wider than the frame"},
    };
    for (const auto& c : cases) {
        const QSize size(c.width, c.height);
        const FrameRect rect{0, 0, c.width, c.height};
        QImage fast(size, QImage::Format_RGB32);
        fast.fill(Qt::black);
        const std::uint32_t first =
            PaintStripes(fast, rect, c.width, c.timeBase, c.speed, c.stripeWidth);
        EXPECT_EQ(fast, StripesOneByOne(size, rect, c.width, c.timeBase, c.speed, c.stripeWidth))
            << c.fact;
        EXPECT_EQ(first, HueColor(SolidPhase(c.timeBase, c.speed)))
            << "the result is the colour of the stripe at x = 0: " << c.fact;
        EXPECT_EQ(FromPixel(fast.pixel(0, c.height - 1)), first) << c.fact;
    }
}

TEST(PaintStripesTest, ClipsToTheBuffer) {
    // A frame larger than its buffer (the window grew after the buffer was made) paints only
    // the part that is inside, exactly as the one-by-one fills do.
    const QSize size(100, 20);
    const FrameRect rect{0, 0, 150, 30};
    QImage fast(size, QImage::Format_RGB32);
    fast.fill(Qt::black);
    PaintStripes(fast, rect, 150, 300, 600, 3);
    EXPECT_EQ(fast, StripesOneByOne(size, rect, 150, 300, 600, 3));
}

TEST(PaintStripesTest, OneStripeShowsItsColourTopToBottom) {
    // The stripe at x = 512 of a 1024-wide frame at time base 0 is red (phase 1536) in every row.
    QImage image(1024, 30, QImage::Format_RGB32);
    PaintStripes(image, {0, 0, 1024, 30}, 1024, 0, 600, 1);
    for (int y : {0, 15, 29}) {
        EXPECT_EQ(FromPixel(image.pixel(512, y)), 0x0000FFu) << "row " << y;
    }
    EXPECT_EQ(FromPixel(image.pixel(0, 0)), 0xFF00FFu) << "x = 0 is magenta";
}

TEST(PaintStripesTest, RefusesOtherBufferFormats) {
    // The fast path writes 32-bit pixels; a buffer in another format is an error, not garbage.
    QImage image(10, 10, QImage::Format_RGB16);
    EXPECT_THROW(PaintStripes(image, {0, 0, 10, 10}, 10, 0, 600, 1), std::invalid_argument);
    EXPECT_THROW(FillSolid(image, {0, 0, 10, 10}, 0), std::invalid_argument);
}

TEST(FillSolidTest, FillsExactlyTheRectangle) {
    // Exclusive edges: (2, 3, 5, 6) covers columns 2..4 and rows 3..5.
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::black);
    FillSolid(image, {2, 3, 5, 6}, 0x00FF00);
    EXPECT_EQ(FromPixel(image.pixel(2, 3)), 0x00FF00u);
    EXPECT_EQ(FromPixel(image.pixel(4, 5)), 0x00FF00u);
    EXPECT_EQ(FromPixel(image.pixel(5, 5)), 0u) << "right edge is exclusive";
    EXPECT_EQ(FromPixel(image.pixel(4, 6)), 0u) << "bottom edge is exclusive";
    EXPECT_EQ(FromPixel(image.pixel(1, 3)), 0u);
}

// Each case starts from the pace of a fresh run.
class PaceCheckTest : public ::testing::Test {
protected:
    StripePace m_pace;
};

TEST_F(PaceCheckTest, FirstFrameKeepsPaceOnlyAtTimeBaseOne) {
    // The remembered time base starts at 0, so only a first time base of 1 is on pace.
    std::int32_t rainbow = 1;
    PaceCheck(m_pace, 1, 1024, rainbow);
    EXPECT_EQ(m_pace.m_lagCount, 0);
    m_pace = StripePace{};
    PaceCheck(m_pace, 2, 1024, rainbow);
    EXPECT_EQ(m_pace.m_lagCount, 1);
    EXPECT_EQ(m_pace.m_lastTimeBase, 2);
}

TEST_F(PaceCheckTest, FifthLaggingFrameWidensTheStripes) {
    std::int32_t rainbow = 1;
    m_pace.m_lastTimeBase = 100;
    // Standing still (two paints in one tenth) lags; four lagging frames do nothing yet.
    for (int i = 0; i < 4; ++i) {
        PaceCheck(m_pace, 100, 1024, rainbow);
    }
    EXPECT_EQ(m_pace.m_stripeWidth, 1);
    EXPECT_EQ(m_pace.m_lagCount, 4);
    PaceCheck(m_pace, 100, 1024, rainbow);
    EXPECT_EQ(m_pace.m_stripeWidth, 2) << "the fifth lagging frame in a row widens by one pixel";
    EXPECT_EQ(m_pace.m_lagCount, 0) << "and starts counting again";
    EXPECT_EQ(rainbow, 1);
}

TEST_F(PaceCheckTest, OneFrameOnPaceStartsTheCountAgain) {
    // Four lagging, one on pace, four lagging: no widening.
    std::int32_t rainbow = 1;
    std::int32_t tb = 10;
    m_pace.m_lastTimeBase = tb;
    for (int i = 0; i < 4; ++i) {
        tb += 2;
        PaceCheck(m_pace, tb, 1024, rainbow);
    }
    PaceCheck(m_pace, ++tb, 1024, rainbow);
    EXPECT_EQ(m_pace.m_lagCount, 0);
    for (int i = 0; i < 4; ++i) {
        tb += 3;
        PaceCheck(m_pace, tb, 1024, rainbow);
    }
    EXPECT_EQ(m_pace.m_stripeWidth, 1);
    EXPECT_EQ(m_pace.m_lagCount, 4);
}

struct PaceCase {
    std::int32_t last, now;
    bool onPace;
    const char* fact;
};

TEST_F(PaceCheckTest, OnlyTheNextTenthKeepsPace) {
    const PaceCase cases[] = {
        {100, 101, true, "one tenth on keeps pace"},
        {100, 100, false, "two paints in the same tenth lag"},
        {100, 102, false, "skipping a tenth lags"},
        {100, 99, false, "going back lags"},
        {36000, 0, false, "the first frame after the hour boundary lags"},
        {35999, 36000, true, "the last 50 ms of the hour keep pace"},
    };
    for (const auto& c : cases) {
        m_pace = StripePace{};
        std::int32_t rainbow = 1;
        m_pace.m_lastTimeBase = c.last;
        m_pace.m_lagCount = 2;
        PaceCheck(m_pace, c.now, 1024, rainbow);
        EXPECT_EQ(m_pace.m_lagCount, c.onPace ? 0 : 3) << c.fact;
        EXPECT_EQ(m_pace.m_lastTimeBase, c.now) << c.fact;
    }
}

TEST_F(PaceCheckTest, StripesGiveUpPastAnEighthOfTheWidth) {
    // 1024 wide: width / 8 = 128. Widening from 128 to 129 keeps stripes; from 129 to 130 clears
    // the window's rainbow flag.
    std::int32_t rainbow = 1;
    m_pace.m_stripeWidth = 128;
    for (int i = 0; i < 5; ++i) {
        PaceCheck(m_pace, m_pace.m_lastTimeBase, 1024, rainbow);
    }
    EXPECT_EQ(m_pace.m_stripeWidth, 129);
    EXPECT_EQ(rainbow, 1) << "129 stripes stay on";
    for (int i = 0; i < 5; ++i) {
        PaceCheck(m_pace, m_pace.m_lastTimeBase, 1024, rainbow);
    }
    EXPECT_EQ(m_pace.m_stripeWidth, 130);
    EXPECT_EQ(rainbow, 0) << "the step from 129 gives stripes up";
}

TEST_F(PaceCheckTest, PaintBackgroundRunsThePaceCheckOnlyWhenStriped) {
    QImage image(16, 4, QImage::Format_RGB32);
    std::int32_t solid = 0;
    // A solid frame fills one colour and leaves the stripe state alone.
    EXPECT_EQ(PaintBackground(image, {0, 0, 16, 4}, 16, 600, 600, m_pace, solid), 0x0000FFu);
    EXPECT_EQ(FromPixel(image.pixel(15, 3)), 0x0000FFu);
    EXPECT_EQ(m_pace.m_lastTimeBase, 0);
    EXPECT_EQ(m_pace.m_lagCount, 0);
    std::int32_t striped = 1;
    EXPECT_EQ(PaintBackground(image, {0, 0, 16, 4}, 16, 600, 600, m_pace, striped), 0x0000FFu)
        << "the background colour of a striped frame is its first stripe's";
    EXPECT_EQ(m_pace.m_lastTimeBase, 600);
    EXPECT_EQ(m_pace.m_lagCount, 1);
    EXPECT_EQ(FromPixel(image.pixel(8, 0)), HueColor(1536 + 1536)) << "x = 8 of 16 is a segment on";
}

} // namespace
} // namespace chronivo
