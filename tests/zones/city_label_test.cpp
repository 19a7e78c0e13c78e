#include "zones/zone_lookup.h"

#include "time/computer_zone.h"
#include "time/utc_seconds.h"
#include "time/zone_guard.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QTimeZone>

#include <cstdint>
#include <string>

namespace chronivo {
namespace {

using test::Utc;
using test::ZoneGuard;

// The band text of a stored entry as a saver window makes it: the zone looked up by the label,
// the computer's rule for a label that keeps its code.
std::string Label(const char* text, ZoneCode code, std::int64_t utc, bool use24Hour,
                  bool showSeconds) {
    DaylightRules rules = ComputerDaylightRules();
    const std::int64_t offset = CityUtcOffset(CityTimeZone(text), code, utc, rules);
    return FormatCityLabel(text, offset, utc, use24Hour, showSeconds);
}

struct TrueCase {
    const char* city;
    std::int64_t utc;
    bool use24Hour; // with seconds; otherwise the 12-hour clock without
    const char* expected;
    const char* fact;
};

TEST(CityLabelTest, ShowsTheTrueLocalTimeWhateverTheComputersZone) {
    const TrueCase cases[] = {
        // 7 December 2026, 11:20 UTC: what the stored codes got wrong.
        {"Wellington", Utc(2026, 12, 7, 11, 20, 0), false, "Wellington 12:20 AM",
         "New Zealand summer, already the next day"},
        {"Kamchatka", Utc(2026, 12, 7, 11, 20, 0), false, "Kamchatka 11:20 PM", "UTC + 12"},
        {"Kiritimati", Utc(2026, 12, 7, 11, 20, 0), false, "Kiritimati 01:20 AM", "UTC + 14"},
        {"Sydney", Utc(2026, 12, 7, 11, 20, 0), false, "Sydney 10:20 PM", "Sydney's summer"},
        {"Istanbul", Utc(2026, 12, 7, 11, 20, 0), false, "Istanbul 02:20 PM", "UTC + 3 all year"},
        {"St. John's", Utc(2026, 12, 7, 11, 20, 0), false, "St. John's 07:50 AM", "UTC - 3:30"},
        // Switches in both hemispheres, on each city's own dates.
        {"Paris", Utc(2026, 3, 29, 0, 59, 59), true, "Paris 01:59:59", "before Europe's switch"},
        {"Paris", Utc(2026, 3, 29, 1, 0, 0), true, "Paris 03:00:00", "Europe's summer time"},
        {"London", Utc(2026, 10, 25, 1, 0, 0), true, "London 01:00:00", "British summer's end"},
        {"New York", Utc(2026, 3, 8, 7, 0, 0), true, "New York 03:00:00", "on its own date"},
        {"Sydney", Utc(2026, 4, 4, 15, 59, 59), true, "Sydney 02:59:59", "end of Sydney's summer"},
        {"Sydney", Utc(2026, 4, 4, 16, 0, 0), true, "Sydney 02:00:00", "back to standard time"},
        {"Santiago", Utc(2026, 4, 5, 2, 59, 59), true, "Santiago 23:59:59", "Chile's summer"},
        {"Santiago", Utc(2026, 4, 5, 3, 0, 0), true, "Santiago 23:00:00", "Chile's winter"},
        // Zones that keep no daylight saving any more, odd offsets, the far east.
        {"Tehran", Utc(2026, 7, 15, 12, 0, 0), true, "Tehran 15:30:00", "no summer time now"},
        {"Kathmandu", Utc(2026, 1, 15, 12, 0, 0), true, "Kathmandu 17:45:00", "UTC + 5:45"},
        {"Suva", Utc(2026, 1, 15, 12, 0, 0), true, "Suva 00:00:00", "UTC + 12, the next day"},
        {"Wellington", Utc(2026, 7, 15, 12, 0, 0), true, "Wellington 00:00:00", "winter: + 12"},
        {"Aklavik", Utc(2026, 7, 15, 12, 0, 0), true, "Aklavik 06:00:00", "Inuvik's summer"},
        // Far from today.
        {"Paris", Utc(2100, 7, 15, 12, 0, 0), true, "Paris 14:00:00", "summer of 2100"},
        {"Paris", Utc(1960, 7, 15, 12, 0, 0), true, "Paris 13:00:00", "no summer time in 1960"},
    };
    // The computer's own zone, its rule included, must not show in any city's label.
    for (const char* computer : {"UTC", "Australia/Sydney", "EST5EDT,M4.1.0,M10.5.0"}) {
        const ZoneGuard zone(computer);
        for (const TrueCase& c : cases) {
            const WorldCity* city = FindWorldCity(c.city);
            ASSERT_NE(city, nullptr) << c.city;
            EXPECT_EQ(Label(c.city, city->zone, c.utc, c.use24Hour, c.use24Hour), c.expected)
                << c.fact << " (computer on " << computer << ")";
        }
    }
}

TEST(CityLabelTest, LabelsWithoutAZoneKeepTheirStoredCode) {
    // On a computer in Paris, in July: the stored code with the computer's summer time.
    const ZoneGuard zone("Europe/Paris");
    const std::int64_t july = Utc(2026, 7, 15, 12, 0, 0);
    EXPECT_EQ(Label("Home", 7201, july, true, false), "Home 14:00") << "a text of one's own";
    EXPECT_EQ(Label("london", 64800, july, true, false), "london 21:00")
        << "not the table's London: its code says Tokyo";
    DaylightRules rules = ComputerDaylightRules();
    EXPECT_EQ(CityUtcOffset(QTimeZone(QByteArray("Nowhere/Atlantis")), -35999, july, rules), -14400)
        << "a zone the system lacks: New York's code, moved by Paris's summer time";
}

struct EntryCase {
    const char* tzName; // "WTtz%d"
    const char* label;  // "WTtext%d"
    ZoneCode code;      // "WTzone%d"
    std::int64_t expected;
    const char* fact;
};

TEST(EntryTimeZoneTest, AZoneNameTheSystemKnowsGivesTheTimeAnyOtherFallsBackQuietly) {
    // On a computer in Paris, on 15 January 2026: no summer time anywhere in the north.
    const ZoneGuard zone("Europe/Paris");
    const std::int64_t january = Utc(2026, 1, 15, 12, 0, 0);
    const EntryCase cases[] = {
        {"Asia/Kathmandu", "Base camp", 41400, 20700, "a place of one's own: its zone"},
        {"America/New_York", "Paris", 7201, -18000, "the zone name wins over the city's text"},
        {"Nowhere/Atlantis", "Tokyo", 0, 32400, "an unknown name: the city by its text"},
        {"Nowhere/Atlantis", "Home", -35999, -18000, "an unknown name: the stored code"},
        {"Asia/Kathmandu\x01", "Home", 41400, 20700, "garbage: the stored code"},
        {"", "Home", 7201, 3600, "no name: the stored code"},
    };
    DaylightRules rules = ComputerDaylightRules();
    for (const EntryCase& c : cases) {
        EXPECT_EQ(CityUtcOffset(EntryTimeZone(c.tzName, c.label), c.code, january, rules),
                  c.expected)
            << c.fact;
    }
}

} // namespace
} // namespace chronivo
