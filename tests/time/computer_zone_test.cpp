#include "time/computer_zone.h"

#include <cstdint>
#include <ostream>

#include <gtest/gtest.h>

#include "zone_guard.h"

namespace chronivo {
namespace {

using test::ZoneGuard;

struct ZoneRuleCase {
    const char* zone;
    std::int32_t year;
    DaylightRule expected;
    const char* fact;

    friend void PrintTo(const ZoneRuleCase& c, std::ostream* os) { *os << c.fact; }
};

class ComputerZoneRuleTest : public ::testing::TestWithParam<ZoneRuleCase> {};

TEST_P(ComputerZoneRuleTest, FindsTheYearsPeriodOnTheStandardClock) {
    const ZoneRuleCase& c = GetParam();
    const ZoneGuard zone(c.zone);
    EXPECT_EQ(ComputerZoneDaylightRule(c.year), c.expected) << c.fact;
}

// Days are days of the year (0 = 1 January), seconds of the day on the standard clock; the
// end is already taken back by the amount.
INSTANTIATE_TEST_SUITE_P(
    Zones, ComputerZoneRuleTest,
    ::testing::Values(
        ZoneRuleCase{"Europe/Paris",
                     2026,
                     {3600, 87, 7200, 297, 7200},
                     "Paris 2026: 29 March 02:00 to 25 October 03:00 summer, 02:00 standard"},
        ZoneRuleCase{"America/New_York",
                     2026,
                     {3600, 66, 7200, 304, 3600},
                     "New York 2026: 8 March 02:00 to 1 November 02:00 EDT, 01:00 EST"},
        ZoneRuleCase{"Australia/Sydney",
                     2026,
                     {3600, 276, 7200, 94, 7200},
                     "Sydney 2026: across the turn of the year, start 4 Oct after end 5 Apr"},
        ZoneRuleCase{"UTC", 2026, {}, "UTC has no daylight saving"},
        ZoneRuleCase{"Asia/Tokyo", 2026, {}, "Tokyo has no daylight saving"},
        ZoneRuleCase{"EST5EDT,M4.1.0,M10.5.0",
                     2026,
                     {3600, 94, 7200, 297, 3600},
                     "a POSIX rule: first Sunday of April to last Sunday of October"},
        ZoneRuleCase{"Europe/Dublin",
                     2026,
                     {3600, 87, 3600, 297, 3600},
                     "Dublin's data marks winter as daylight time; summer is still the period"},
        ZoneRuleCase{"Europe/London",
                     2026,
                     {3600, 87, 3600, 297, 3600},
                     "London 2026: 29 March 01:00 to 25 October 01:00 GMT"},
        ZoneRuleCase{"Europe/Paris",
                     2100,
                     {3600, 86, 7200, 303, 7200},
                     "after 2038: Paris 2100, 28 March to 31 October"},
        ZoneRuleCase{"America/New_York",
                     1969,
                     {3600, 116, 7200, 298, 3600},
                     "before 1970: New York 1969, 27 April to 26 October"},
        ZoneRuleCase{"America/Sao_Paulo",
                     2019,
                     {3600, -1, 0, 46, 82800},
                     "the last year of a zone's daylight saving: only an end, taken back "
                     "into the day before (17 February 00:00 summer is 16 February 23:00)"},
        ZoneRuleCase{"Europe/Istanbul",
                     2016,
                     {3600, 86, 10800, 366, 0},
                     "summer time kept for good: only a start"},
        ZoneRuleCase{"Europe/Paris", 0, {}, "no zone data before year 1"}));

struct ReadableCase {
    const char* tz;
    bool readable;
    const char* fact;

    friend void PrintTo(const ReadableCase& c, std::ostream* os) { *os << c.fact; }
};

class ComputerZoneReadableTest : public ::testing::TestWithParam<ReadableCase> {};

TEST_P(ComputerZoneReadableTest, TellsWhetherTheCLibraryCanReadTheZone) {
    const ReadableCase& c = GetParam();
    const ZoneGuard zone(c.tz);
    EXPECT_EQ(ComputerZoneReadable(), c.readable) << c.fact;
}

INSTANTIATE_TEST_SUITE_P(
    TzValues, ComputerZoneReadableTest,
    ::testing::Values(ReadableCase{"Europe/Paris", true, "an IANA zone name"},
                      ReadableCase{":Europe/Paris", true, "a zone name with a colon"},
                      ReadableCase{"/usr/share/zoneinfo/Asia/Tokyo", true, "a zone file's path"},
                      ReadableCase{"", true, "an empty TZ means UTC"},
                      ReadableCase{"EST5EDT,M4.1.0,M10.5.0", true, "a POSIX rule"},
                      ReadableCase{"<+0330>-3:30", true, "a POSIX rule with a quoted name"},
                      ReadableCase{"JST-9", true, "a POSIX zone without daylight saving"},
                      ReadableCase{"Europe/Nowhere", false, "a zone that does not exist"},
                      ReadableCase{"/nonexistent/zone", false, "a path that does not exist"},
                      ReadableCase{"Europe", false, "a folder, not a zone"},
                      ReadableCase{"../../../etc/passwd", false, "no climbing out of the zones"},
                      ReadableCase{"AB5", false, "too short a name for a rule"}));

TEST(ComputerZoneReadableTest, UnsetTzIsJudgedAsTheSystemZoneFile) {
    // Without TZ the C library reads /etc/localtime, so an unset TZ is readable exactly when TZ
    // naming that file is; whether the file exists is the machine's business, the answers agree
    // either way. The path cases above check the decision for an existing and a missing file.
    bool named = false;
    {
        const ZoneGuard zone("/etc/localtime");
        named = ComputerZoneReadable();
    }
    const ZoneGuard zone(nullptr);
    EXPECT_EQ(ComputerZoneReadable(), named);
}

TEST(ComputerDaylightRulesTest, UsesTheComputersZone) {
    // Paris is readable: its own 2026 period.
    const ZoneGuard zone("Europe/Paris");
    DaylightRules rules = ComputerDaylightRules();
    EXPECT_EQ(rules.ForYear(2026), (DaylightRule{3600, 87, 7200, 297, 7200}));
}

TEST(ComputerDaylightRulesTest, FallsBackWhenTheZoneCannotBeRead) {
    // An unknown zone: the C library runs on UTC, the labels on the fallback rule.
    const ZoneGuard zone("Europe/Nowhere");
    DaylightRules rules = ComputerDaylightRules();
    EXPECT_EQ(rules.ForYear(2026), FallbackDaylightRule(2026));
    EXPECT_EQ(rules.ForYear(2026).amountSeconds, 3600);
}

} // namespace
} // namespace chronivo
