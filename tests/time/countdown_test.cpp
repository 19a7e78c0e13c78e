#include "time/countdown.h"

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "utc_seconds.h"

namespace chronivo {
namespace {

using test::Utc;

constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();

// The target most cases count to or from: 1 July 2026, 12:00:00 local time.
constexpr CountdownTarget kNoon{2026, 7, 1, 12, 0, 0};
const std::int64_t kNoonUtc = Utc(2026, 7, 1, 12, 0, 0);

struct TextCase {
    CountdownTarget target;
    std::int64_t nowSeconds; // UTC; the local clock is UTC in these cases
    int millis;
    bool countingUp;
    const char* text;
    const char* fact;

    friend void PrintTo(const TextCase& c, std::ostream* os) { *os << c.fact; }
};

class CountdownTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(CountdownTextTest, ShowsDirectionAndText) {
    const TextCase& c = GetParam();
    const CountdownReading r = ComputeCountdown({c.nowSeconds, c.millis}, 0, c.target);
    EXPECT_EQ(r.countingUp, c.countingUp) << c.fact;
    EXPECT_EQ(r.text, c.text) << c.fact;
}

INSTANTIATE_TEST_SUITE_P(
    TenthsDigit, CountdownTextTest,
    ::testing::Values(
        TextCase{kNoon, kNoonUtc, 0, true, "0.0", "exactly at the target: counting up from 0.0"},
        TextCase{kNoon, kNoonUtc, 50, true, "0.0", "50 ms after: the tenth is cut, not rounded"},
        TextCase{kNoon, kNoonUtc, 99, true, "0.0", "99 ms after is still 0.0"},
        TextCase{kNoon, kNoonUtc, 100, true, "0.1", "100 ms after is 0.1"},
        TextCase{kNoon, kNoonUtc, 999, true, "0.9", "999 ms after is 0.9"},
        TextCase{kNoon, kNoonUtc + 1, 0, true, "1.0", "one whole second after"},
        TextCase{kNoon, kNoonUtc - 1, 0, false, "1.0", "one whole second before"},
        TextCase{kNoon, kNoonUtc - 1, 1, false, "0.9", "999 ms before: cut to 0.9"},
        TextCase{kNoon, kNoonUtc - 1, 100, false, "0.9", "900 ms before is 0.9"},
        TextCase{kNoon, kNoonUtc - 1, 101, false, "0.8", "899 ms before is 0.8"},
        TextCase{kNoon, kNoonUtc - 1, 901, false, "0.0", "99 ms before is 0.0"},
        TextCase{kNoon, kNoonUtc - 1, 999, false, "0.0", "1 ms before: 0.0, still counting down"},
        TextCase{kNoon, kNoonUtc - 2, 0, false, "2.0", "two whole seconds before"},
        TextCase{kNoon, kNoonUtc - 2, 500, false, "1.5", "one and a half seconds before"}));

INSTANTIATE_TEST_SUITE_P(
    Patterns, CountdownTextTest,
    ::testing::Values(
        TextCase{kNoon, kNoonUtc + 86400 + 7384, 500, true, "1:02:03:04.5",
                 "1 day 2 h 3 min 4.5 s after: days, hours, minutes, seconds"},
        TextCase{kNoon, kNoonUtc + 7384, 500, true, "2:03:04.5", "2 h 3 min 4.5 s after"},
        TextCase{kNoon, kNoonUtc + 184, 500, true, "3:04.5", "3 min 4.5 s after"},
        TextCase{kNoon, kNoonUtc + 4, 500, true, "4.5", "4.5 s after"},
        TextCase{kNoon, kNoonUtc - 3600, 100, false, "59:59.9", "59 min 59.9 s before"},
        TextCase{kNoon, kNoonUtc - 3600, 0, false, "1:00:00.0", "one hour before"},
        TextCase{kNoon, kNoonUtc - 60, 0, false, "1:00.0", "one minute before"},
        TextCase{kNoon, kNoonUtc - 60, 1, false, "59.9", "just under a minute before"},
        TextCase{kNoon, kNoonUtc + 59, 900, true, "59.9", "just under a minute after"},
        TextCase{kNoon, kNoonUtc + 60, 0, true, "1:00.0", "one minute after"},
        TextCase{kNoon, kNoonUtc + 3599, 999, true, "59:59.9", "just under an hour after"},
        TextCase{kNoon, kNoonUtc + 3600, 0, true, "1:00:00.0", "one hour after"},
        TextCase{kNoon, kNoonUtc - 86400, 0, false, "1:00:00:00.0", "exactly a day before"},
        TextCase{kNoon, kNoonUtc - 86400, 1, false, "23:59:59.9", "1 ms less than a day"},
        TextCase{kNoon, kNoonUtc + 86399, 999, true, "23:59:59.9", "just under a day after"},
        TextCase{kNoon, kNoonUtc + 86400, 0, true, "1:00:00:00.0", "a day after"},
        TextCase{kNoon, kNoonUtc + 100 * 86400 + 3661, 0, true, "100:01:01:01.0",
                 "the leading number is not padded, the others are"}));

INSTANTIATE_TEST_SUITE_P(
    Calendar, CountdownTextTest,
    ::testing::Values(TextCase{{2027, 1, 1, 0, 0, 0},
                               Utc(2026, 12, 31, 23, 59, 59),
                               500,
                               false,
                               "0.5",
                               "half a second before the turn of the year"},
                      TextCase{{2026, 1, 1, 0, 0, 0},
                               Utc(2026, 1, 1, 0, 0, 0),
                               0,
                               true,
                               "0.0",
                               "this year's first moment"},
                      TextCase{{2026, 12, 25, 0, 0, 0},
                               Utc(2026, 12, 26, 0, 0, 0),
                               0,
                               true,
                               "1:00:00:00.0",
                               "Christmas has passed: counting up from it"},
                      TextCase{{2024, 3, 1, 0, 0, 0},
                               Utc(2024, 2, 28, 0, 0, 0),
                               0,
                               false,
                               "2:00:00:00.0",
                               "across a leap day: two days to 1 March 2024"},
                      TextCase{{2023, 3, 1, 0, 0, 0},
                               Utc(2023, 2, 28, 0, 0, 0),
                               0,
                               false,
                               "1:00:00:00.0",
                               "no leap day in 2023"},
                      TextCase{{2100, 1, 1, 0, 0, 0},
                               Utc(2099, 12, 31, 0, 0, 0),
                               0,
                               false,
                               "1:00:00:00.0",
                               "after 2038: one day to 2100"},
                      TextCase{{1969, 7, 20, 20, 17, 40},
                               Utc(1969, 7, 20, 20, 17, 41),
                               500,
                               true,
                               "1.5",
                               "before 1970: 1.5 s after a moment of 1969"},
                      TextCase{{1970, 1, 1, 0, 0, 0},
                               Utc(1969, 12, 31, 23, 59, 59),
                               0,
                               false,
                               "1.0",
                               "one second before the epoch"},
                      TextCase{{-1, 1, 1, 0, 0, 0},
                               Utc(2026, 1, 1, 0, 0, 0),
                               0,
                               true,
                               "739615:00:00:00.0",
                               "a negative year is numbered by mirroring and counts up"},
                      TextCase{{0, 5, 5, 0, 0, 0},
                               Utc(2026, 1, 1, 0, 0, 0),
                               0,
                               true,
                               "739616:00:00:00.0",
                               "year 0 is day 0"},
                      TextCase{{},
                               Utc(2026, 1, 1, 0, 0, 0),
                               0,
                               true,
                               "739616:00:00:00.0",
                               "an all-zero target counts up from 1 January of year 1"},
                      TextCase{
                          {10000000, 1, 1, 0, 0, 0},
                          Utc(2026, 1, 1, 0, 0, 0),
                          0,
                          false,
                          "3651685018:00:00:00.0",
                          "a year beyond 32-bit day numbers is counted exactly, not saturated"},
                      TextCase{{kMin32, 1, 1, 0, 0, 0},
                               Utc(2026, 1, 1, 0, 0, 0),
                               0,
                               true,
                               "784353035554:00:00:00.0",
                               "the smallest year counts up exactly"}));

// Fields the dialog never stores run on into the neighbouring units.
INSTANTIATE_TEST_SUITE_P(
    FieldsOutOfRange, CountdownTextTest,
    ::testing::Values(TextCase{{2026, 7, 1, 24, 0, 0},
                               Utc(2026, 7, 2, 0, 0, 0),
                               0,
                               true,
                               "0.0",
                               "hour 24 is the next day's midnight"},
                      TextCase{{2026, 7, 1, 0, -1, 0},
                               Utc(2026, 6, 30, 23, 59, 0),
                               0,
                               true,
                               "0.0",
                               "minute -1 is the last minute of the day before"},
                      TextCase{{2026, 7, 1, 0, 0, 90},
                               Utc(2026, 7, 1, 0, 1, 30),
                               0,
                               true,
                               "0.0",
                               "second 90 is 00:01:30"},
                      TextCase{{2026, 7, 1, 48, 0, 0},
                               Utc(2026, 7, 1, 0, 0, 0),
                               0,
                               false,
                               "2:00:00:00.0",
                               "hour 48 is two days on"},
                      TextCase{{2026, 13, 1, 0, 0, 0},
                               Utc(2026, 12, 1, 0, 0, 0),
                               0,
                               true,
                               "0.0",
                               "month 13 counts as December"},
                      TextCase{{2026, 7, 1, kMax32, kMax32, kMax32},
                               Utc(2026, 7, 1, 0, 0, 0),
                               0,
                               false,
                               "90994648:12:21:07.0",
                               "every time field at its largest, no overflow"},
                      TextCase{{2026, 7, 1, kMin32, kMin32, kMin32},
                               Utc(2026, 7, 1, 0, 0, 0),
                               0,
                               true,
                               "90994648:13:22:08.0",
                               "every time field at its smallest, no overflow"}));

TEST(CountdownTest, ReadsNowOnTheLocalClock) {
    // One hour east of UTC: 11:00 UTC is the target's 12:00 local time.
    const CountdownReading r = ComputeCountdown({Utc(2026, 7, 1, 11, 0, 0), 0}, 3600, kNoon);
    EXPECT_TRUE(r.countingUp);
    EXPECT_EQ(r.text, "0.0");
    // Five hours west: 16:59:59 UTC is 11:59:59 local, one second before.
    const CountdownReading w = ComputeCountdown({Utc(2026, 7, 1, 16, 59, 59), 0}, -18000, kNoon);
    EXPECT_FALSE(w.countingUp);
    EXPECT_EQ(w.text, "1.0");
}

TEST(CountdownTest, ExtremeClockReadingsStayDefined) {
    // A clock or offset at the ends of the 64-bit range gives a text, not an overflow.
    constexpr std::int64_t kMax64 = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin64 = std::numeric_limits<std::int64_t>::min();
    EXPECT_TRUE(ComputeCountdown({kMax64, 0}, kMax64, kNoon).countingUp);
    EXPECT_FALSE(ComputeCountdown({kMin64, 999}, kMin64, kNoon).countingUp);
    const CountdownReading r = ComputeCountdown({kNoonUtc, -5}, 0, kNoon);
    EXPECT_EQ(r.text, "0.0"); // milliseconds below 0 are held at 0
    EXPECT_EQ(ComputeCountdown({kNoonUtc, 5000}, 0, kNoon).text, "0.9"); // above 999 at 999
}

struct DistanceCase {
    std::int64_t nowSeconds;
    CountdownTarget target;
    double expected;
    const char* fact;

    friend void PrintTo(const DistanceCase& c, std::ostream* os) { *os << c.fact; }
};

class DistanceTest : public ::testing::TestWithParam<DistanceCase> {};

TEST_P(DistanceTest, IsBitExact) {
    const DistanceCase& c = GetParam();
    // Milliseconds play no part in the distance.
    const double d = ComputeCountdown({c.nowSeconds, 789}, 0, c.target).distanceDays;
    EXPECT_EQ(d, c.expected) << c.fact;
}

INSTANTIATE_TEST_SUITE_P(
    SignedDays, DistanceTest,
    ::testing::Values(
        DistanceCase{kNoonUtc - 3600, kNoon, -0.041666666666666664,
                     "one hour before on the same day: exactly -1/24"},
        DistanceCase{kNoonUtc + 3600, kNoon, 0.041666666666666664, "one hour after: exactly +1/24"},
        DistanceCase{Utc(2026, 6, 30, 23, 30, 0),
                     {2026, 7, 1, 0, 30, 0},
                     -0.04166666666666674,
                     "an hour before 00:30, from the day before: just beyond -1/24"},
        DistanceCase{kNoonUtc, kNoon, 0.0, "at the target"},
        DistanceCase{kNoonUtc - 86400, kNoon, -1.0, "a day before"},
        DistanceCase{kNoonUtc + 43200, kNoon, 0.5, "half a day after, on the next day"}));

TEST(DistanceTest, OneSecondInsideTheHourIsBelowOneTwentyFourth) {
    // The full-screen switch compares |distance| with 1/24 strictly.
    const double threshold = 1.0 / 24.0;
    EXPECT_LT(-ComputeCountdown({kNoonUtc - 3599, 0}, 0, kNoon).distanceDays, threshold);
    EXPECT_LT(ComputeCountdown({kNoonUtc + 3599, 0}, 0, kNoon).distanceDays, threshold);
    EXPECT_GT(-ComputeCountdown({kNoonUtc - 3601, 0}, 0, kNoon).distanceDays, threshold);
}

struct FixCase {
    CountdownMode mode;
    CountdownTarget expectedTarget;
    const char* expectedTitle;
    const char* fact;

    friend void PrintTo(const FixCase& c, std::ostream* os) { *os << c.fact; }
};

class FixTargetTest : public ::testing::TestWithParam<FixCase> {};

TEST_P(FixTargetTest, SetsTargetAndTitle) {
    const FixCase& c = GetParam();
    CountdownTarget target{1999, 5, 6, 7, 8, 9}; // as the settings gave it
    std::string title = "Launch";
    FixCountdownTarget(c.mode, 2026, target, title);
    EXPECT_EQ(target, c.expectedTarget) << c.fact;
    EXPECT_EQ(title, c.expectedTitle) << c.fact;
}

constexpr CountdownTarget kStored{1999, 5, 6, 7, 8, 9};

INSTANTIATE_TEST_SUITE_P(
    Modes, FixTargetTest,
    ::testing::Values(FixCase{0, kStored, "Launch", "mode 0 changes nothing"},
                      FixCase{1, {2026, 1, 1, 0, 0, 0}, "this year", "1 January of this year"},
                      FixCase{2, {2027, 1, 1, 0, 0, 0}, "next year", "1 January of next year"},
                      FixCase{3, kStored, "Launch", "the stored target stays"},
                      FixCase{4, kStored, "Launch", "the stored target stays, any year"},
                      FixCase{5, {2026, 12, 25, 0, 0, 0}, "Christmas", "25 December"},
                      FixCase{6, kStored, "Launch", "a mode above 5 behaves like 3 and 4"},
                      FixCase{-1, kStored, "Launch", "a negative mode behaves like 3 and 4"},
                      FixCase{kMax32, kStored, "Launch", "the largest mode, too"}));

TEST(FixTargetTest, NextYearAfterTheLargestYearStaysThere) {
    // The year after INT32_MAX does not wrap round to a negative year.
    CountdownTarget target;
    std::string title;
    FixCountdownTarget(kCountdownNextYear, kMax32, target, title);
    EXPECT_EQ(target.year, kMax32);
}

TEST(CountdownBandTest, FramesTitleAndText) {
    // One space, the title, ": ", the countdown and a closing space.
    const CountdownReading r =
        ComputeCountdown({Utc(2026, 1, 1, 0, 0, 0), 0}, 0, {2026, 1, 1, 0, 0, 0});
    EXPECT_EQ(CountdownBandText("this year", r.text), " this year: 0.0 ");
    // An empty title leaves the space followed directly by the separator.
    EXPECT_EQ(CountdownBandText("", "1.0"), " : 1.0 ");
}

struct ColorCase {
    std::uint32_t back;
    bool countingUp;
    std::uint32_t expected;
    const char* fact;

    friend void PrintTo(const ColorCase& c, std::ostream* os) { *os << c.fact; }
};

class CountdownColorTest : public ::testing::TestWithParam<ColorCase> {};

TEST_P(CountdownColorTest, TellsTheDirection) {
    const ColorCase& c = GetParam();
    EXPECT_EQ(CountdownColor(c.back, c.countingUp), c.expected) << c.fact;
}

INSTANTIATE_TEST_SUITE_P(
    Colours, CountdownColorTest,
    ::testing::Values(
        ColorCase{0x000000FF, false, 0x00FFFFFF, "red background, counting down: blue and green"},
        ColorCase{0x000000FF, true, 0x00FF0000, "red background, counting up: blue"},
        ColorCase{0x00123456, false, 0x00EDCB56, "down keeps red, inverts green and blue"},
        ColorCase{0x00123456, true, 0x00ED34A9, "up keeps green, inverts red and blue"},
        ColorCase{0x00000000, true, 0x00FF00FF, "black background, counting up: magenta"}));

} // namespace
} // namespace chronivo
