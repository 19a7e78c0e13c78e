#include "zones/zone_lookup.h"

#include "time/utc_seconds.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace chronivo {
namespace {

using test::Utc;

TEST(KnownTimeZoneTest, OnlyAZoneOfTheSystemsListIsKnown) {
    const struct {
        const char* id;
        bool known;
        const char* fact;
    } cases[] = {
        {"Europe/Paris", true, "a zone of the list"},
        {"America/New_York", true, "an underscore, as the list spells it"},
        {"UTC", true, "a zone without an area"},
        {"Nowhere/Atlantis", false, "no such zone"},
        {"Asia/Kathmandu\x01", false, "garbage after a known name"},
        {"", false, "no name"},
    };
    for (const auto& c : cases) {
        const QTimeZone zone = KnownTimeZone(c.id);
        EXPECT_EQ(zone.isValid(), c.known) << c.fact;
        if (c.known) {
            EXPECT_EQ(zone.id(), QByteArray(c.id)) << c.fact;
        }
    }
}

TEST(UtcDateTimeTest, IsTheMomentInUtcWithinQtsRangeOfDates) {
    const struct {
        std::int64_t utc;
        bool valid;
        const char* fact;
    } cases[] = {
        {0, true, "1970"},
        {Utc(2026, 3, 29, 1, 0, 0), true, "Europe's switch to summer time, no matter here"},
        {Utc(1830, 1, 1, 0, 0, 0), true, "long before 1970"},
        {std::numeric_limits<std::int64_t>::max(), false, "past Qt's milliseconds"},
        {std::numeric_limits<std::int64_t>::min(), false, "before them"},
    };
    for (const auto& c : cases) {
        const QDateTime at = UtcDateTime(c.utc);
        EXPECT_EQ(at.isValid(), c.valid) << c.fact;
        if (c.valid) {
            EXPECT_EQ(at.toSecsSinceEpoch(), c.utc) << c.fact;
            EXPECT_EQ(at.offsetFromUtc(), 0) << c.fact;
        }
    }
}

TEST(CityTimeZoneTest, EveryCityOfTheTableHasItsZone) {
    // A misspelt zone name would silently send the city back to its stored code.
    for (const WorldCity& city : WorldCityTable) {
        EXPECT_TRUE(CityTimeZone(city.name).isValid()) << city.name << ": " << city.tzName;
    }
    EXPECT_FALSE(CityTimeZone("london").isValid()) << "only the exact name is a city";
    EXPECT_FALSE(CityTimeZone("").isValid());
}

TEST(SystemZoneNameTest, ARenamedZoneIsFoundUnderEitherName) {
    // Qt for Windows lists the earlier names only; Linux systems list both, or today's only.
    const struct {
        const char* today;
        const char* earlier;
        int januaryOffset;
    } cases[] = {
        {"Asia/Kolkata", "Asia/Calcutta", 19800},
        {"Asia/Kathmandu", "Asia/Katmandu", 20700},
        {"Asia/Yangon", "Asia/Rangoon", 23400},
        {"Asia/Ho_Chi_Minh", "Asia/Saigon", 25200},
        {"America/Argentina/Buenos_Aires", "America/Buenos_Aires", -10800},
        {"America/Indiana/Indianapolis", "America/Indianapolis", -18000},
    };
    const QDateTime january = UtcDateTime(Utc(2026, 1, 15, 12, 0, 0));
    for (const auto& c : cases) {
        for (const char* name : {c.today, c.earlier}) {
            const QTimeZone zone = KnownTimeZone(name);
            ASSERT_TRUE(zone.isValid()) << name;
            EXPECT_EQ(zone.offsetFromUtc(january), c.januaryOffset) << name;
            const std::string_view listed = SystemZoneName(name);
            EXPECT_TRUE(QTimeZone::isTimeZoneIdAvailable(
                QByteArray(listed.data(), static_cast<qsizetype>(listed.size()))))
                << name << " is looked up under a name the system lists";
        }
        EXPECT_EQ(CurrentZoneName(c.earlier), c.today);
    }
}

} // namespace
} // namespace chronivo
