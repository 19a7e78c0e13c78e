#include "time/day_date.h"

#include <cstdint>
#include <limits>
#include <ostream>

#include <gtest/gtest.h>

namespace chronivo {
namespace {

constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();

struct DayCase {
    std::int32_t month, day, year;
    std::int32_t expected;
    const char* fact;

    // ctest names the case by its fact rather than by its bytes.
    friend void PrintTo(const DayCase& c, std::ostream* os) { *os << c.fact; }
};

class DayNumberTest : public ::testing::TestWithParam<DayCase> {};

TEST_P(DayNumberTest, NumbersTheDate) {
    const DayCase& c = GetParam();
    const DayDate date(c.month, c.day, c.year);
    EXPECT_EQ(date.DayNumber(), c.expected) << c.fact;
}

INSTANTIATE_TEST_SUITE_P(
    KnownDates, DayNumberTest,
    ::testing::Values(
        DayCase{1, 1, 1, 0, "1 January of year 1 is day 0"},
        DayCase{12, 31, 1, 364, "year 1 is a common year of 365 days"},
        DayCase{1, 1, 1970, 719162, "the countdown's epoch"},
        DayCase{3, 1, 1900, 693654, "1900 has no 29 February"},
        DayCase{3, 1, 2000, 730179, "2000 has a 29 February"},
        DayCase{2, 29, 2004, 731639, "a leap day"},
        DayCase{3, 1, 2004, 731640, "the day after a leap day"},
        DayCase{12, 25, 2001, 730843, "Christmas 2001"},
        DayCase{1, 1, 2002, 730850, "the turn of a year"},
        DayCase{12, 31, 2001, 730849, "the last day before that turn"},
        DayCase{3, 29, 2026, 739703, "a present-day date"},
        DayCase{1, 1, 2100, 766644, "2100, a common century year"},
        DayCase{0, 0, 0, 0, "year 0 is day 0"},
        DayCase{7, 15, 0, 0, "year 0 is day 0 whatever the month and day"},
        DayCase{-3, 99, 0, 0, "year 0 is day 0 even for fields out of range"},
        DayCase{1, 1, -1, 1, "a negative year mirrors the positive one"},
        DayCase{12, 31, -1, -363, "the last day of year -1 mirrors the last of year 1"},
        DayCase{12, 31, 5879610, 2147483454, "the last day of the last whole 32-bit year"},
        DayCase{7, 12, 5879611, kMax32, "the last day the 32-bit range holds exactly"},
        DayCase{7, 14, -5879611, kMin32, "the first negative day the 32-bit range holds"}));

// Out-of-range fields run on into the neighbouring months, or count as the nearest month.
struct SameDayCase {
    DayDate a, b;
    const char* fact;

    // ctest names the case by its fact rather than by its bytes.
    friend void PrintTo(const SameDayCase& c, std::ostream* os) { *os << c.fact; }
};

class SameDayTest : public ::testing::TestWithParam<SameDayCase> {};

TEST_P(SameDayTest, NumbersAlike) {
    const SameDayCase& c = GetParam();
    EXPECT_EQ(c.a.DayNumber(), c.b.DayNumber()) << c.fact;
}

INSTANTIATE_TEST_SUITE_P(
    RunOn, SameDayTest,
    ::testing::Values(SameDayCase{{13, 5, 2001}, {12, 5, 2001}, "month 13 counts as December"},
                      SameDayCase{{99, 5, 2001}, {12, 5, 2001}, "month 99 counts as December"},
                      SameDayCase{{0, 5, 2001}, {1, 5, 2001}, "month 0 counts as January"},
                      SameDayCase{{-7, 5, 2001}, {1, 5, 2001}, "a negative month as January"},
                      SameDayCase{{1, 32, 2001}, {2, 1, 2001}, "day 32 of January is 1 February"},
                      SameDayCase{{3, 0, 2004}, {2, 29, 2004}, "day 0 is the day before the 1st"},
                      SameDayCase{{1, 0, 2002}, {12, 31, 2001}, "day 0 of a year's first month"},
                      SameDayCase{{2, 30, 2001}, {3, 2, 2001}, "30 February of a common year"},
                      SameDayCase{{13, 1, 1999}, {12, 1, 1999}, "not the next year's January"}));

// Beyond the 32-bit range the day number holds at the range's end instead of wrapping round;
// the 64-bit number stays exact.
struct SaturationCase {
    DayDate date;
    std::int64_t wide;
    std::int32_t saturated;
    const char* fact;

    // ctest names the case by its fact rather than by its bytes.
    friend void PrintTo(const SaturationCase& c, std::ostream* os) { *os << c.fact; }
};

class SaturationTest : public ::testing::TestWithParam<SaturationCase> {};

TEST_P(SaturationTest, HoldsAtTheRangeEnd) {
    const SaturationCase& c = GetParam();
    EXPECT_EQ(c.date.WideDayNumber(), c.wide) << c.fact;
    EXPECT_EQ(c.date.DayNumber(), c.saturated) << c.fact;
}

INSTANTIATE_TEST_SUITE_P(
    FarDates, SaturationTest,
    ::testing::Values(
        SaturationCase{{7, 13, 5879611}, 2147483648, kMax32, "one day past the range"},
        SaturationCase{{7, 15, -5879611}, -2147483649LL, kMin32, "one day before the range"},
        SaturationCase{{1, 1, kMax32}, 784352295574LL, kMax32, "the largest year"},
        SaturationCase{{12, 31, kMax32}, 784352295938LL, kMax32, "the largest year's end"},
        SaturationCase{{1, 1, kMin32}, -784352295938LL, kMin32, "the smallest year"},
        SaturationCase{{1, kMax32, 2000}, 2148213765LL, kMax32, "a huge day of the month"},
        SaturationCase{{1, kMin32, 1}, -2147483649LL, kMin32, "a huge negative day"},
        SaturationCase{
            {kMax32, kMax32, kMax32}, 786499779554LL, kMax32, "every field at its largest"},
        SaturationCase{
            {kMin32, kMin32, kMin32}, -782204812289LL, kMin32, "every field at its smallest"}));

// The year-by-year sum DaysInYears stands for.
std::int64_t WalkDaysInYears(std::int64_t n) {
    std::int64_t days = 0;
    for (std::int64_t y = 1; y <= n; ++y) {
        days += IsLeapYear(y) ? 366 : 365;
    }
    return days;
}

TEST(DaysInYearsTest, ClosedFormEqualsTheWalkForFiveCycles) {
    // Five 400-year cycles cover every kind of year: common, leap, century, fourth century.
    std::int64_t walked = 0;
    for (std::int64_t n = 0; n <= 2000; ++n) {
        if (n > 0) {
            walked += IsLeapYear(n) ? 366 : 365;
        }
        ASSERT_EQ(DaysInYears(n), walked) << "n = " << n;
    }
    EXPECT_EQ(DaysInYears(2025), WalkDaysInYears(2025));
}

TEST(DaysInYearsTest, StepsByOneYearLengthUpToTheLargestYear) {
    // Near the top of the 32-bit years each step is still the length of year n.
    for (std::int64_t n = kMax32 - 800; n <= kMax32; ++n) {
        ASSERT_EQ(DaysInYears(n) - DaysInYears(n - 1), IsLeapYear(n) ? 366 : 365) << n;
    }
    // A whole 400-year cycle has 146097 days wherever it lies.
    EXPECT_EQ(DaysInYears(kMax32) - DaysInYears(kMax32 - 400), 146097);
}

TEST(DaysInYearsTest, NoYearsGiveNoDays) {
    // n = 0 sums no year, and nor does a negative n.
    EXPECT_EQ(DaysInYears(0), 0);
    EXPECT_EQ(DaysInYears(-5), 0);
    EXPECT_EQ(DaysInYears(1), 365);
    EXPECT_EQ(DaysInYears(4), 1461);
}

TEST(LeapYearTest, GregorianRuleForEveryYear) {
    // Divisible by 4, not by 100 unless by 400; no Julian switch for early years.
    EXPECT_TRUE(IsLeapYear(4));
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_TRUE(IsLeapYear(2004));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_FALSE(IsLeapYear(2001));
    EXPECT_FALSE(IsLeapYear(100));
    EXPECT_TRUE(IsLeapYear(400));
}

TEST(DayDateTest, ConstructorStoresFieldsUnchanged) {
    // The constructor takes month, day, year and stores each as given.
    const DayDate date(-4, 40, 123456);
    EXPECT_EQ(date.month, -4);
    EXPECT_EQ(date.day, 40);
    EXPECT_EQ(date.year, 123456);
    DayDate copy = date;
    EXPECT_EQ(copy.DayNumber(), date.DayNumber());
}

TEST(DayDateTest, EpochIsNumberedOnce) {
    // 1 January 1970, day 719162, a constant of the program.
    EXPECT_EQ(s_epochDate.month, 1);
    EXPECT_EQ(s_epochDate.day, 1);
    EXPECT_EQ(s_epochDate.year, 1970);
    EXPECT_EQ(s_epochDayNumber, 719162);
    static_assert(s_epochDayNumber == 719162);
}

TEST(DayDateTest, DifferenceCountsDaysBetween) {
    // Subtracting two day numbers gives the days between the dates, across a leap day.
    EXPECT_EQ(DayDate(3, 1, 2024).DayNumber() - DayDate(2, 28, 2024).DayNumber(), 2);
    EXPECT_EQ(DayDate(3, 1, 2023).DayNumber() - DayDate(2, 28, 2023).DayNumber(), 1);
    EXPECT_EQ(DayDate(1, 1, 2039).DayNumber() - s_epochDayNumber, 25202);
}

} // namespace
} // namespace chronivo
