#include "time/world_time.h"

#include <cstdint>
#include <limits>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "time/computer_zone.h"
#include "time/daylight_rule.h"
#include "utc_seconds.h"
#include "zone_guard.h"

namespace chronivo {
namespace {

using test::Utc;
using test::ZoneGuard;

// The table as users know it: each code with its cities in the order they are added.
const std::vector<std::pair<ZoneCode, std::string>> kGroups = {
    {1, "Dublin, Kamchatka, Lisbon, London"},
    {0, "Casablanca, Reykjavik, Suva, Wellington"},
    {7200, "Algiers, Lagos"},
    {7201, "Amsterdam, Barcelona, Belgrade, Berlin, Brussels, Budapest, Copenhagen, Frankfurt, "
           "Geneva, Madrid, Oslo, Paris, Prague, Rome, Stockholm, Vienna, Warsaw, Zurich, Zagreb"},
    {14401, "Amman, Ankara, Athens, Beirut, Bucharest, Cairo, Helsinki, Istanbul, Jerusalem, "
            "Minsk, Sofia"},
    {14400, "Cape Town, Harare, Johannesburg, Kiritimati, Tallinn"},
    {21600, "Addis Ababa, Aden, Antananarivo, Khartoum, Kuwait City, Nairobi, Riyadh"},
    {21601, "Baghdad, Moscow"},
    {25201, "Tehran"},
    {32400, "Kabul"},
    {36000, "Islamabad, Tashkent"},
    {39600, "Calcutta, Mumbai, New Delhi"},
    {41400, "Kathmandu"},
    {43200, "Dhaka"},
    {46800, "Rangoon"},
    {50400, "Bangkok, Hanoi, Jakarta"},
    {57600, "Beijing, Hong Kong, Kuala Lumpur, Manila, Perth, Shanghai, Singapore, Taipei"},
    {64800, "Seoul, Tokyo"},
    {68400, "Adelaide, Darwin"},
    {72000, "Brisbane, Canberra, Melbourne, Sydney"},
    {72001, "Vladivostok"},
    {-21600, "Brasilia, Buenos Aires, Montevideo, Rio de Janeiro, Sao Paulo"},
    {-17999, "St. John's"},
    {-28800, "Asuncion, Caracas, La Paz, San Juan, Santiago, Santo Domingo"},
    {-28799, "Halifax"},
    {-35999, "Atlanta, Boston, Detroit, Havana, Montreal, Nassau, New York, Ottawa, Toronto, "
             "Washington DC"},
    {-36000, "Bogota, Indianapolis, Kingston, Lima"},
    {-43199, "Chicago, Houston, Mexico City, Minneapolis, Montgomery, New Orleans, St. Paul, "
             "Winnipeg"},
    {-43200, "Guatemala, Managua, San Salvador, Tegucigalpa"},
    {-50399, "Aklavik, Denver, Salt Lake, Edmonton"},
    {-50400, "Phoenix"},
    {-57599, "Los Angeles, San Francisco, Seattle, Vancouver"},
    {-64799, "Anchorage"},
    {-72000, "Honolulu"},
};

TEST(WorldCityTableTest, HoldsTheCitiesAndCodesInOrder) {
    // Walking the table group by group gives exactly the cities and codes above, 134 in all.
    std::size_t i = 0;
    for (const auto& [code, names] : kGroups) {
        std::string joined;
        while (i < WorldCityTable.size() && WorldCityTable[i].zone == code) {
            joined += (joined.empty() ? "" : ", ") + std::string(WorldCityTable[i].name);
            ++i;
        }
        EXPECT_EQ(joined, names) << "code " << code;
    }
    EXPECT_EQ(i, WorldCityTable.size());
    EXPECT_EQ(WorldCityTable.size(), 134u);
}

TEST(WorldCityTableTest, NamesAreUniqueAndCountedOnce) {
    // 134 different names; no name is listed twice.
    std::set<std::string> names;
    for (const WorldCity& city : WorldCityTable) {
        ASSERT_NE(city.name, nullptr);
        names.insert(city.name);
    }
    EXPECT_EQ(names.size(), 134u);
}

TEST(WorldCityTableTest, KeepsTheHistoricCodes) {
    // These codes are kept as users have them, not today's offsets.
    std::map<std::string, ZoneCode> byName;
    for (const WorldCity& city : WorldCityTable) {
        byName[city.name] = city.zone;
    }
    EXPECT_EQ(byName.at("Kamchatka"), 1);
    EXPECT_EQ(byName.at("Suva"), 0);
    EXPECT_EQ(byName.at("Wellington"), 0);
    EXPECT_EQ(byName.at("Kiritimati"), 14400);
    EXPECT_EQ(byName.at("St. John's"), -17999);
    EXPECT_EQ(byName.at("Salt Lake"), -50399);
    EXPECT_EQ(byName.at("Washington DC"), -35999);
}

struct DecodeCase {
    ZoneCode code;
    std::int32_t offset;
    bool daylight;
    const char* fact;

    friend void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.fact; }
};

class DecodeZoneCodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeZoneCodeTest, SplitsOffsetAndDaylightBit) {
    const DecodeCase& c = GetParam();
    const ZoneParts parts = DecodeZoneCode(c.code);
    EXPECT_EQ(parts.offsetSeconds, c.offset) << c.fact;
    EXPECT_EQ(parts.daylight, c.daylight) << c.fact;
}

INSTANTIATE_TEST_SUITE_P(
    Codes, DecodeZoneCodeTest,
    ::testing::Values(
        DecodeCase{7201, 3600, true, "+1:00 with daylight saving"},
        DecodeCase{72000, 36000, false, "+10:00 without"},
        DecodeCase{-35999, -18000, true, "an odd negative code has the bit too"},
        DecodeCase{-36000, -18000, false, "-5:00 without"},
        DecodeCase{-17999, -9000, true, "St. John's: -2:30 with"},
        DecodeCase{1, 0, true, "UTC with daylight saving"}, DecodeCase{0, 0, false, "UTC without"},
        DecodeCase{std::numeric_limits<ZoneCode>::max(), 1073741823, true, "the largest code"},
        DecodeCase{std::numeric_limits<ZoneCode>::min(), -1073741824, false, "the smallest code"}));

TEST(CityTimePatternTest, FourPatterns) {
    // The flags choose the pattern; every one begins with a space.
    EXPECT_STREQ(CityTimePattern(true, true), " %H:%M:%S");
    EXPECT_STREQ(CityTimePattern(true, false), " %H:%M");
    EXPECT_STREQ(CityTimePattern(false, true), " %I:%M:%S %p");
    EXPECT_STREQ(CityTimePattern(false, false), " %I:%M %p");
}

struct LabelCase {
    const char* computerZone;
    const char* label;
    ZoneCode code;
    std::int64_t utc;
    bool use24Hour, showSeconds;
    const char* expected;
    const char* fact;

    friend void PrintTo(const LabelCase& c, std::ostream* os) { *os << c.fact; }
};

// Labels that keep their stored code: its offset, moved by the computer's own daylight rule.
class FormatCityLabelTest : public ::testing::TestWithParam<LabelCase> {};

TEST_P(FormatCityLabelTest, ShowsTheCitysTime) {
    const LabelCase& c = GetParam();
    const ZoneGuard zone(c.computerZone);
    DaylightRules rules = ComputerDaylightRules();
    const std::int64_t offset = ZoneCodeOffset(c.code, c.utc, rules);
    EXPECT_EQ(FormatCityLabel(c.label, offset, c.utc, c.use24Hour, c.showSeconds), c.expected)
        << c.fact;
}

constexpr const char* kParis = "Europe/Paris";
const std::int64_t kJanuaryNoon = Utc(2026, 1, 15, 12, 0, 0);
const std::int64_t kJulyNoon = Utc(2026, 7, 15, 12, 0, 0);

INSTANTIATE_TEST_SUITE_P(
    EuropeanComputer, FormatCityLabelTest,
    ::testing::Values(LabelCase{kParis, "Paris", 7201, kJanuaryNoon, true, true, "Paris 13:00:00",
                                "15 January 12:00 UTC: Paris is on standard time"},
                      LabelCase{kParis, "London", 1, kJanuaryNoon, true, true, "London 12:00:00",
                                "15 January: London"},
                      LabelCase{kParis, "New York", -35999, kJanuaryNoon, true, true,
                                "New York 07:00:00", "15 January: New York"},
                      LabelCase{kParis, "Tokyo", 64800, kJanuaryNoon, true, true, "Tokyo 21:00:00",
                                "15 January: Tokyo"},
                      LabelCase{kParis, "Paris", 7201, kJulyNoon, true, true, "Paris 14:00:00",
                                "15 July: Paris on summer time"},
                      LabelCase{kParis, "London", 1, kJulyNoon, true, true, "London 13:00:00",
                                "15 July: London on summer time"},
                      LabelCase{kParis, "New York", -35999, kJulyNoon, true, true,
                                "New York 08:00:00", "15 July: New York on summer time"},
                      LabelCase{kParis, "Tokyo", 64800, kJulyNoon, true, true, "Tokyo 21:00:00",
                                "15 July: Tokyo never moves"},
                      LabelCase{kParis, "Honolulu", -72000, Utc(2026, 1, 15, 0, 30, 0), false,
                                false, "Honolulu 02:30 PM",
                                "00:30 UTC: the previous afternoon in Honolulu"},
                      LabelCase{kParis, "Tokyo", 64800, Utc(2026, 1, 15, 0, 30, 0), false, false,
                                "Tokyo 09:30 AM", "00:30 UTC: morning in Tokyo"},
                      LabelCase{kParis, "London", 1, Utc(2026, 1, 15, 12, 34, 56), true, true,
                                "London 12:34:56", "London's minutes and seconds"},
                      LabelCase{kParis, "Halifax", -28799, Utc(2026, 1, 15, 12, 34, 56), true, true,
                                "Halifax 08:34:56", "Halifax keeps London's minutes and seconds"},
                      LabelCase{kParis, "Bogota", -36000, Utc(2026, 1, 15, 12, 34, 56), true, true,
                                "Bogota 07:34:56", "so does Bogota"},
                      LabelCase{kParis, "St. John's", -17999, Utc(2026, 7, 15, 12, 0, 0), true,
                                false, "St. John's 10:30", "a half-hour code on summer time"},
                      LabelCase{kParis, "Paris", 7201, Utc(2026, 3, 29, 0, 59, 59), true, true,
                                "Paris 01:59:59", "the last second before the European switch"},
                      LabelCase{kParis, "Paris", 7201, Utc(2026, 3, 29, 1, 0, 0), true, true,
                                "Paris 03:00:00", "the European switch, on the computer's dates"},
                      LabelCase{kParis, "Paris", 7201, Utc(2026, 10, 25, 0, 59, 59), true, true,
                                "Paris 02:59:59", "the last second of summer time"},
                      LabelCase{kParis, "Paris", 7201, Utc(2026, 10, 25, 1, 0, 0), true, true,
                                "Paris 02:00:00", "back to standard time"},
                      LabelCase{kParis, "Paris", 7201, Utc(2026, 12, 31, 23, 30, 0), true, true,
                                "Paris 00:30:00", "the turn of the year in Paris before UTC"},
                      LabelCase{kParis, "Paris", 7201, Utc(2100, 7, 15, 12, 0, 0), true, true,
                                "Paris 14:00:00", "after 2038: summer time in 2100"},
                      LabelCase{kParis, "Paris", 7201, Utc(1960, 7, 15, 12, 0, 0), true, true,
                                "Paris 13:00:00", "before 1970: France had no summer time in 1960"},
                      LabelCase{kParis, "", 0, kJanuaryNoon, true, true, " 12:00:00",
                                "missing settings: no name and the time at UTC"},
                      LabelCase{kParis, "Paris", 7201, std::numeric_limits<std::int64_t>::max(),
                                true, true, "Paris",
                                "a time that cannot be converted gives the name alone"}));

INSTANTIATE_TEST_SUITE_P(
    Patterns, FormatCityLabelTest,
    ::testing::Values(LabelCase{"UTC", "Lagos", 7200, Utc(2026, 2, 4, 12, 5, 9), true, true,
                                "Lagos 13:05:09", "24-hour clock with seconds"},
                      LabelCase{"UTC", "Lagos", 7200, Utc(2026, 2, 4, 12, 5, 9), true, false,
                                "Lagos 13:05", "24-hour clock"},
                      LabelCase{"UTC", "Lagos", 7200, Utc(2026, 2, 4, 12, 5, 9), false, true,
                                "Lagos 01:05:09 PM", "12-hour clock with seconds"},
                      LabelCase{"UTC", "Lagos", 7200, Utc(2026, 2, 4, 12, 5, 9), false, false,
                                "Lagos 01:05 PM", "12-hour clock"},
                      LabelCase{"UTC", "Lagos", 7200, Utc(2026, 2, 4, 23, 0, 0), false, false,
                                "Lagos 12:00 AM", "midnight is 12 AM"},
                      LabelCase{"UTC", "Lagos", 7200, Utc(2026, 2, 4, 11, 0, 0), false, false,
                                "Lagos 12:00 PM", "noon is 12 PM"},
                      LabelCase{"UTC", "Lagos", 7200, Utc(2026, 2, 4, 8, 0, 0), true, false,
                                "Lagos 09:00", "hours carry a leading zero"}));

INSTANTIATE_TEST_SUITE_P(
    OtherComputers, FormatCityLabelTest,
    ::testing::Values(
        LabelCase{"Asia/Tokyo", "Paris", 7201, kJulyNoon, true, true, "Paris 13:00:00",
                  "a computer without daylight saving: Paris is UTC + 1 h all year"},
        LabelCase{"UTC", "New York", -35999, kJulyNoon, true, true, "New York 07:00:00",
                  "a computer on UTC moves no city"},
        LabelCase{"Australia/Sydney", "Paris", 7201, kJanuaryNoon, true, true, "Paris 14:00:00",
                  "a southern computer moves Paris in January"},
        LabelCase{"Australia/Sydney", "Paris", 7201, kJulyNoon, true, true, "Paris 13:00:00",
                  "... and not in July"},
        LabelCase{"America/New_York", "New York", -35999, Utc(1969, 7, 20, 20, 17, 40), true, true,
                  "New York 16:17:40", "before 1970: New York's summer of 1969"},
        LabelCase{"Europe/Nowhere", "London", 1, Utc(2026, 4, 5, 2, 0, 0), true, true,
                  "London 03:00:00", "an unreadable zone: the fallback's first Sunday of April"},
        LabelCase{"Europe/Nowhere", "London", 1, Utc(2026, 3, 30, 12, 0, 0), true, true,
                  "London 12:00:00", "an unreadable zone: not on London's own date"}));

// A computer on "EST5EDT,M4.1.0,M10.5.0": London changes on the computer's dates, at the
// computer's times read on London's standard clock, whatever London itself does.
INSTANTIATE_TEST_SUITE_P(
    PosixRuleComputer, FormatCityLabelTest,
    ::testing::Values(
        LabelCase{"EST5EDT,M4.1.0,M10.5.0", "London", 1, Utc(2026, 3, 30, 12, 0, 0), true, true,
                  "London 12:00:00", "London's own switch (29 March) is not applied"},
        LabelCase{"EST5EDT,M4.1.0,M10.5.0", "London", 1, Utc(2026, 4, 5, 1, 59, 59), true, true,
                  "London 01:59:59", "a second before the first Sunday of April, 02:00"},
        LabelCase{"EST5EDT,M4.1.0,M10.5.0", "London", 1, Utc(2026, 4, 5, 2, 0, 0), true, true,
                  "London 03:00:00", "02:00 London standard time (02:00 UTC): forward"},
        LabelCase{"EST5EDT,M4.1.0,M10.5.0", "London", 1, Utc(2026, 10, 25, 0, 59, 59), true, true,
                  "London 01:59:59", "a second before the last Sunday of October, 01:00"},
        LabelCase{"EST5EDT,M4.1.0,M10.5.0", "London", 1, Utc(2026, 10, 25, 1, 0, 0), true, true,
                  "London 01:00:00", "01:00 London standard time: back"}));

TEST(ZoneCodeOffsetTest, WorksOutTheRuleOncePerYear) {
    // Ten cities ten times a second reuse one year's rule.
    const ZoneGuard zone(kParis);
    DaylightRules rules = ComputerDaylightRules();
    for (int frame = 0; frame < 10; ++frame) {
        for (int city = 0; city < 10; ++city) {
            ZoneCodeOffset(7201, kJulyNoon + frame, rules);
        }
    }
    EXPECT_EQ(rules.ComputedCount(), 1);
    // A city without the daylight bit needs no rule at all.
    DaylightRules unused = ComputerDaylightRules();
    ZoneCodeOffset(64800, kJulyNoon, unused);
    EXPECT_EQ(unused.ComputedCount(), 0);
}

DaylightRule WholeYearRule(std::int32_t) {
    return {1800, -1, 0, 366, 0};
}

TEST(ZoneCodeOffsetTest, AppliesTheAmountTheRuleGives) {
    // A rule of half an hour for the whole year moves a daylight city by 30 minutes.
    DaylightRules rules(&WholeYearRule);
    EXPECT_EQ(ZoneCodeOffset(7201, kJanuaryNoon, rules), 5400);
    EXPECT_EQ(ZoneCodeOffset(7200, kJanuaryNoon, rules), 3600);
}

} // namespace
} // namespace chronivo
