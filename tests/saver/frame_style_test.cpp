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
    // A week of minutes on two screens: every minute moves the layout, every offset within the
    // margin, the layout inside the screen, both edges reached; and each run of 64 minutes
    // visits all 4 x 4 cells of the square.
    for (const FrameRect& frame : {FrameRect{0, 0, 960, 540}, FrameRect{0, 0, 3840, 2160}}) {
        const std::int32_t margin = DriftMargin(frame);
        std::set<std::int32_t> xs;
        std::set<std::pair<int, int>> cells;
        DriftOffset previous = DriftOffsetAt(kMinute - 60, margin);
        for (std::int64_t m = 0; m < 10080; ++m) {
            const DriftOffset o = DriftOffsetAt(kMinute + 60 * m, margin);
            const FrameRect layout = DriftedLayoutFrame(frame, margin, o);
            ASSERT_NE(o, std::exchange(previous, o)) << m;
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
    // With the moves above, these pin where a minute begins: at :00, and before 1970 too.
    EXPECT_EQ(DriftOffsetAt(kMinute, 21), DriftOffsetAt(kMinute + 59, 21)) << "15:10:00, 15:10:59";
    EXPECT_EQ(DriftOffsetAt(-60, 21), DriftOffsetAt(-1, 21)) << "the last minute of 1969";
    EXPECT_NE(DriftOffsetAt(-1, 21), DriftOffsetAt(0, 21)) << "1969 to 1970";
}

TEST(LocalDateTest, TheWeekdayLeavesNoSeparatorBehind) {
    // Long date forms as locales give them (their data changes with Qt's version, so the forms
    // are written out); the weekday goes with the mark that joined it to the date.
    const struct {
        const char* format;
        const char* date;
        const char* fact;
    } cases[] = {
        {"dddd، d MMMM yyyy", "d MMMM yyyy", "ar_EG: the Arabic comma goes too"},
        {"dddd، d MMMM، yyyy", "d MMMM، yyyy", "ur_PK: the comma after the month stays"},
        {"dddd፣ d MMMM yyyy", "d MMMM yyyy", "ti_ER: the Ethiopic comma goes"},
        {"yyyy d-MMMM، dddd", "yyyy d-MMMM", "ug_CN: the weekday last"},
        {"yyyy- MMMM d- dddd", "yyyy- MMMM d", "my_MM in Qt 6.4: the dash before it goes"},
        {"dddd, MMMM d, yyyy", "MMMM d, yyyy", "en_US: as before"},
        {"dddd, d. MMMM yyyy", "d. MMMM yyyy", "de_DE: as before"},
        {"yyyy. MMMM d., dddd", "yyyy. MMMM d.", "hu_HU: the ordinal's full stop stays"},
        {"d MMMM yyyy", "d MMMM yyyy", "no weekday: unchanged"},
        {"'dddd' d MMMM", "'dddd' d MMMM", "quoted text is no field"},
    };
    for (const auto& c : cases) {
        // Compared as UTF-8, so a failure prints the texts.
        EXPECT_EQ(DateFormatWithoutWeekday(QString::fromUtf8(c.format)).toStdString(), c.date)
            << c.fact;
    }
    EXPECT_EQ(LocalDate(QLocale(QStringLiteral("de_DE")), QDate(2026, 12, 9)),
              QStringLiteral("9. Dezember 2026"));
}

TEST(OutlineTest, BlackOrWhiteWhicheverContrastsMoreOnePixelPer500Rows) {
    // Colours 0x00BBGGRR; the greys pin where black gives way to white.
    const struct {
        std::uint32_t text, outline;
        const char* fact;
    } cases[] = {
        {0x0000FF, 0x000000, "red (luminance 0.2126): 5.25 to black, 4.0 to white"},
        {0xFF0000, 0xFFFFFF, "blue (0.0722): 2.44 to black, 8.59 to white"},
        {0x757575, 0xFFFFFF, "grey 0x75 (0.178): 4.56 to black, 4.61 to white"},
        {0x767676, 0x000000, "grey 0x76 (0.181): 4.62 to black, 4.54 to white"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OutlineColorFor(c.text), c.outline) << c.fact;
    }
    EXPECT_DOUBLE_EQ(ContrastRatio(0x000000, 0xFFFFFF), 21.0);
    // The width: at least one pixel, then one per 500 rows, truncating.
    EXPECT_EQ(OutlineWidthFor(0), 1);
    EXPECT_EQ(OutlineWidthFor(999), 1);
    EXPECT_EQ(OutlineWidthFor(1080), 2);
}

TEST(DarkTest, CountdownColourIsAFullColourApartFromTheClocks) {
    // Over the whole wheel: never darker than pure blue, the darkest colour of the wheel (2.44
    // to black), never the clock's colour, and counting up differs from counting down.
    for (std::int32_t phase = 0; phase < kPhasePerTurn; phase += 37) {
        const std::uint32_t down = DarkCountdownColor(phase, false);
        const std::uint32_t up = DarkCountdownColor(phase, true);
        ASSERT_TRUE(ContrastRatio(down, 0x000000) >= 2.44 && ContrastRatio(up, 0x000000) >= 2.44 &&
                    down != HueColor(phase) && up != down)
            << phase;
    }
}

} // namespace
} // namespace chronivo
