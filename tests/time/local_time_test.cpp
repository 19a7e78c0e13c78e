#include "time/local_time.h"

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "utc_seconds.h"
#include "zone_guard.h"

namespace chronivo {
namespace {

using test::Utc;
using test::ZoneGuard;

struct LocalCase {
    const char* zone;
    std::int64_t utc;
    int year, month, day, hour, minute, second;
    int isdst;
    std::int64_t offset; // seconds east of UTC
    const char* fact;

    friend void PrintTo(const LocalCase& c, std::ostream* os) { *os << c.fact; }
};

class LocalFieldsTest : public ::testing::TestWithParam<LocalCase> {};

TEST_P(LocalFieldsTest, ConvertsInTheComputersZone) {
    const LocalCase& c = GetParam();
    const ZoneGuard zone(c.zone);
    const std::optional<std::tm> f = LocalFields(c.utc);
    ASSERT_TRUE(f.has_value()) << c.fact;
    EXPECT_EQ(f->tm_year + 1900, c.year) << c.fact;
    EXPECT_EQ(f->tm_mon + 1, c.month) << c.fact;
    EXPECT_EQ(f->tm_mday, c.day) << c.fact;
    EXPECT_EQ(f->tm_hour, c.hour) << c.fact;
    EXPECT_EQ(f->tm_min, c.minute) << c.fact;
    EXPECT_EQ(f->tm_sec, c.second) << c.fact;
    EXPECT_EQ(f->tm_isdst > 0 ? 1 : 0, c.isdst) << c.fact;
    EXPECT_EQ(UtcOffsetAt(c.utc), c.offset) << c.fact;
}

INSTANTIATE_TEST_SUITE_P(
    Zones, LocalFieldsTest,
    ::testing::Values(LocalCase{"Europe/Paris", Utc(2026, 3, 29, 0, 59, 59), 2026, 3, 29, 1, 59, 59,
                                0, 3600, "Paris, the last second of winter time"},
                      LocalCase{"Europe/Paris", Utc(2026, 3, 29, 1, 0, 0), 2026, 3, 29, 3, 0, 0, 1,
                                7200, "2026-03-29 01:00 UTC, Paris goes to summer time"},
                      LocalCase{"Europe/Paris", Utc(2026, 10, 25, 0, 59, 59), 2026, 10, 25, 2, 59,
                                59, 1, 7200, "Paris, the last second of summer time"},
                      LocalCase{"Europe/Paris", Utc(2026, 10, 25, 1, 0, 0), 2026, 10, 25, 2, 0, 0,
                                0, 3600, "2026-10-25 01:00 UTC, Paris goes back to winter time"},
                      LocalCase{"America/New_York", Utc(2026, 1, 15, 12, 0, 0), 2026, 1, 15, 7, 0,
                                0, 0, -18000, "New York in January"},
                      LocalCase{"America/New_York", Utc(1969, 7, 20, 20, 17, 40), 1969, 7, 20, 16,
                                17, 40, 1, -14400, "before 1970: New York in the summer of 1969"},
                      LocalCase{"Europe/Paris", Utc(2100, 7, 1, 12, 0, 0), 2100, 7, 1, 14, 0, 0, 1,
                                7200, "after 2038: Paris in the summer of 2100"},
                      LocalCase{"Australia/Sydney", Utc(2026, 1, 15, 12, 0, 0), 2026, 1, 15, 23, 0,
                                0, 1, 39600, "Sydney's summer is in January"},
                      LocalCase{"Australia/Sydney", Utc(2026, 7, 15, 12, 0, 0), 2026, 7, 15, 22, 0,
                                0, 0, 36000, "Sydney's winter is in July"},
                      LocalCase{"Asia/Tokyo", Utc(2026, 7, 15, 12, 0, 0), 2026, 7, 15, 21, 0, 0, 0,
                                32400, "Tokyo has no daylight saving"},
                      LocalCase{"UTC", Utc(2026, 12, 31, 23, 59, 59), 2026, 12, 31, 23, 59, 59, 0,
                                0, "UTC is UTC"}));

TEST(LocalTimeTest, UnconvertibleTimesGiveNothing) {
    // A time whose year does not fit the C library's fields is not converted.
    const ZoneGuard zone("UTC");
    constexpr std::int64_t kMax64 = std::numeric_limits<std::int64_t>::max();
    EXPECT_FALSE(LocalFields(kMax64).has_value());
    EXPECT_EQ(UtcOffsetAt(kMax64), 0);
    EXPECT_EQ(FormatLocalTime("%H:%M", kMax64), "");
    // A sum beyond the 64-bit range is refused before it can wrap.
    EXPECT_FALSE(FieldsAtOffset(kMax64, 3600).has_value());
    EXPECT_FALSE(FieldsAtOffset(std::numeric_limits<std::int64_t>::min(), -1).has_value());
}

TEST(LocalTimeTest, FieldsAtOffsetReadTheFixedClock) {
    // 00:30 UTC read ten hours west is 14:30 of the day before, with no daylight flag.
    const ZoneGuard zone("Europe/Paris");
    const std::optional<std::tm> f = FieldsAtOffset(Utc(2026, 1, 15, 0, 30, 0), -36000);
    ASSERT_TRUE(f.has_value());
    EXPECT_EQ(f->tm_mday, 14);
    EXPECT_EQ(f->tm_hour, 14);
    EXPECT_EQ(f->tm_min, 30);
    EXPECT_EQ(f->tm_isdst, 0);
}

struct FormatCase {
    const char* pattern;
    const char* expected;
    const char* fact;

    friend void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.fact; }
};

class FormatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatTest, FormatsInTheCLocale) {
    const FormatCase& c = GetParam();
    const ZoneGuard zone("America/New_York");
    // 2026-02-04 19:05:09 UTC is 14:05:09 on Wednesday in New York.
    EXPECT_EQ(FormatLocalTime(c.pattern, Utc(2026, 2, 4, 19, 5, 9)), c.expected) << c.fact;
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, FormatTest,
    ::testing::Values(FormatCase{"%A", "Wednesday", "the weekday in full"},
                      FormatCase{"%B %d, %Y", "February 04, 2026", "the date, day with a zero"},
                      FormatCase{"%H:%M:%S", "14:05:09", "24-hour clock with seconds"},
                      FormatCase{"%H:%M", "14:05", "24-hour clock"},
                      FormatCase{"%I:%M:%S %p", "02:05:09 PM", "12-hour clock with seconds"},
                      FormatCase{"%I:%M %p", "02:05 PM", "12-hour clock"},
                      FormatCase{"", "", "an empty pattern gives an empty text"}));

TEST(FormatTest, BufferHoldsAtMost127Characters) {
    // 127 characters and the terminating zero fit the 128-character buffer; one more does not.
    std::tm fields{};
    const std::string fits(127, 'x');
    const std::string tooLong(128, 'x');
    EXPECT_EQ(FormatTimeC(fits.c_str(), fields), fits);
    EXPECT_EQ(FormatTimeC(tooLong.c_str(), fields), "");
    EXPECT_EQ(FormatTimeC(nullptr, fields), "");
    // Twenty full weekday names (at least 6 letters and a space each: 140 or more) overflow it.
    std::string weekdays;
    for (int i = 0; i < 20; ++i) {
        weekdays += "%A ";
    }
    EXPECT_EQ(FormatTimeC(weekdays.c_str(), fields), "");
}

} // namespace
} // namespace chronivo
