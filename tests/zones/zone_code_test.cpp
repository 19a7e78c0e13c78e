#include "zones/zone_code.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QTimeZone>

#include <cstdint>

namespace chronivo {
namespace {

// 17 May 2026, 10:20:30 UTC.
constexpr std::int64_t kNowUtc = 1779013230;

TEST(ZoneCodeOfTest, EncodesTheStandardOffsetAndDaylightSavingAsTheTableDoes) {
    // 17 May 2026, the southern winter. (A zone on summer time now: the stored entries test.)
    const struct {
        const char* zone;
        ZoneCode code;
        const char* fact;
    } cases[] = {
        {"Australia/Sydney", 72001, "on standard time now, summer time from October"},
        {"Europe/Dublin", 1, "its data call winter the daylight side: the table's Dublin"},
        {"Asia/Tehran", 25200, "summer time in the past only, none since 2022"},
    };
    for (const auto& c : cases) {
        const QTimeZone zone(QByteArray(c.zone));
        ASSERT_TRUE(zone.isValid()) << c.zone;
        EXPECT_EQ(ZoneCodeOf(zone, kNowUtc), c.code) << c.fact;
    }
}

} // namespace
} // namespace chronivo
