#include "time/daylight_rule.h"

#include <cstdint>
#include <ostream>

#include <gtest/gtest.h>

namespace chronivo {
namespace {

// Central Europe's 2026 period on the standard clock: 29 March (day 87) 02:00 to 25 October
// (day 297) 02:00.
constexpr DaylightRule kNorthern{3600, 87, 7200, 297, 7200};
// Sydney's 2026 periods: until 5 April (day 94) 02:00 and from 4 October (day 276) 02:00.
constexpr DaylightRule kSouthern{3600, 276, 7200, 94, 7200};

struct PeriodCase {
    DaylightRule rule;
    std::int32_t day;
    std::int32_t second;
    bool inside;
    const char* fact;

    friend void PrintTo(const PeriodCase& c, std::ostream* os) { *os << c.fact; }
};

class InDaylightPeriodTest : public ::testing::TestWithParam<PeriodCase> {};

TEST_P(InDaylightPeriodTest, ComparesTheStandardReading) {
    const PeriodCase& c = GetParam();
    EXPECT_EQ(InDaylightPeriod(c.rule, c.day, c.second), c.inside) << c.fact;
}

INSTANTIATE_TEST_SUITE_P(
    InsideOneYear, InDaylightPeriodTest,
    ::testing::Values(PeriodCase{kNorthern, 0, 0, false, "New Year's Day is winter"},
                      PeriodCase{kNorthern, 86, 86399, false, "the day before the start"},
                      PeriodCase{kNorthern, 87, 7199, false, "one second before the start"},
                      PeriodCase{kNorthern, 87, 7200, true, "the start itself"},
                      PeriodCase{kNorthern, 88, 0, true, "the day after the start"},
                      PeriodCase{kNorthern, 196, 43200, true, "midsummer"},
                      PeriodCase{kNorthern, 297, 7199, true, "one second before the end"},
                      PeriodCase{kNorthern, 297, 7200, false, "the end itself"},
                      PeriodCase{kNorthern, 364, 86399, false, "the year's last second"}));

INSTANTIATE_TEST_SUITE_P(
    AcrossTheTurnOfTheYear, InDaylightPeriodTest,
    ::testing::Values(PeriodCase{kSouthern, 0, 0, true, "New Year's Day is summer"},
                      PeriodCase{kSouthern, 93, 86399, true, "the day before the end"},
                      PeriodCase{kSouthern, 94, 7199, true, "one second before the end"},
                      PeriodCase{kSouthern, 94, 7200, false, "the end itself"},
                      PeriodCase{kSouthern, 196, 43200, false, "midwinter"},
                      PeriodCase{kSouthern, 276, 7199, false, "one second before the start"},
                      PeriodCase{kSouthern, 276, 7200, true, "the start itself"},
                      PeriodCase{kSouthern, 364, 86399, true, "the year's last second"}));

INSTANTIATE_TEST_SUITE_P(
    OpenEnds, InDaylightPeriodTest,
    ::testing::Values(
        PeriodCase{{3600, -1, 0, 46, 82800}, 0, 0, true, "no start this year: summer from 1 Jan"},
        PeriodCase{{3600, -1, 0, 46, 82800}, 46, 82799, true, "... until the end"},
        PeriodCase{{3600, -1, 0, 46, 82800}, 46, 82800, false, "... and not after it"},
        PeriodCase{{3600, 86, 10800, 366, 0}, 86, 10800, true, "no end this year: from start"},
        PeriodCase{{3600, 86, 10800, 366, 0}, 365, 86399, true, "... to the last second"},
        PeriodCase{{0, 87, 7200, 297, 7200}, 196, 43200, false, "amount 0: never daylight"}));

struct FallbackCase {
    std::int32_t year;
    DaylightRule expected;
    const char* fact;

    friend void PrintTo(const FallbackCase& c, std::ostream* os) { *os << c.fact; }
};

class FallbackRuleTest : public ::testing::TestWithParam<FallbackCase> {};

TEST_P(FallbackRuleTest, FirstSundayOfAprilToLastSundayOfOctober) {
    const FallbackCase& c = GetParam();
    EXPECT_EQ(FallbackDaylightRule(c.year), c.expected) << c.fact;
}

INSTANTIATE_TEST_SUITE_P(
    Years, FallbackRuleTest,
    ::testing::Values(
        FallbackCase{2026, {3600, 94, 7200, 297, 3600}, "2026: 5 April to 25 October"},
        FallbackCase{2024, {3600, 97, 7200, 300, 3600}, "leap year 2024: 7 April to 27 October"},
        FallbackCase{2029, {3600, 90, 7200, 300, 3600}, "2029: 1 April is itself a Sunday"},
        FallbackCase{2021, {3600, 93, 7200, 303, 3600}, "2021: 31 October is itself a Sunday"},
        FallbackCase{2426, {3600, 94, 7200, 297, 3600}, "400 years on, the same days"},
        FallbackCase{-374, {3600, 94, 7200, 297, 3600}, "a negative year of the same cycle"},
        FallbackCase{0, {3600, 92, 7200, 302, 3600}, "year 0 is year 400 of its cycle"}));

DaylightRule RuleOfYear(std::int32_t year) {
    return {3600, year % 100, 0, 300, 0};
}

TEST(DaylightRulesTest, WorksOutEachYearOnce) {
    // Ten labels a second ask for the same year; the rule is worked out the first time only.
    DaylightRules rules(&RuleOfYear);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(rules.ForYear(2026).startDay, 26);
    }
    EXPECT_EQ(rules.ComputedCount(), 1);
    // Two years side by side (cities on both sides of New Year) are both kept.
    EXPECT_EQ(rules.ForYear(2027).startDay, 27);
    EXPECT_EQ(rules.ForYear(2026).startDay, 26);
    EXPECT_EQ(rules.ComputedCount(), 2);
}

TEST(DaylightRulesTest, KeepsFourYearsAndReplacesTheOldest) {
    // A fifth year replaces the first one asked for; the others stay.
    DaylightRules rules(&RuleOfYear);
    for (std::int32_t year : {2001, 2002, 2003, 2004}) {
        rules.ForYear(year);
    }
    EXPECT_EQ(rules.ForYear(2005).startDay, 5);
    EXPECT_EQ(rules.ComputedCount(), 5);
    EXPECT_EQ(rules.ForYear(2004).startDay, 4);
    EXPECT_EQ(rules.ComputedCount(), 5);
    EXPECT_EQ(rules.ForYear(2001).startDay, 1);
    EXPECT_EQ(rules.ComputedCount(), 6);
}

} // namespace
} // namespace chronivo
