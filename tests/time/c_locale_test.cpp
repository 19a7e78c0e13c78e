#include <clocale>
#include <cstdint>
#include <ctime>
#include <string>

#include <gtest/gtest.h>

#include "time/countdown.h"
#include "time/local_time.h"
#include "time/world_time.h"
#include "utc_seconds.h"
#include "zone_guard.h"

namespace chronivo {
namespace {

// The application framework switches the process to the user's locale at start-up; the
// saver's texts must stay English whatever that locale is. These tests put the process in a
// German locale (installed by scripts/install-deps.sh) and format as the saver does.
class GermanLocaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
            GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed on this machine "
                            "(scripts/install-deps.sh generates it)";
        }
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }

    test::ZoneGuard m_zone{"UTC"};
};

// 2026-02-04 14:05:09 UTC, a Wednesday afternoon in February.
const std::int64_t kAfternoon = test::Utc(2026, 2, 4, 14, 5, 9);

TEST_F(GermanLocaleTest, TheLocaleReallySpeaksGerman) {
    // Without the C locale forced, strftime answers in German: the tests below mean something.
    const std::optional<std::tm> fields = LocalFields(kAfternoon);
    ASSERT_TRUE(fields.has_value());
    char buffer[64];
    ASSERT_GT(std::strftime(buffer, sizeof buffer, "%A %B", &*fields), 0u);
    EXPECT_EQ(std::string(buffer), "Mittwoch Februar");
}

TEST_F(GermanLocaleTest, ClockTextsStayEnglish) {
    // Weekday, month and AM/PM in English, with leading zeros.
    EXPECT_EQ(FormatLocalTime("%A", kAfternoon), "Wednesday");
    EXPECT_EQ(FormatLocalTime("%B %d, %Y", kAfternoon), "February 04, 2026");
    EXPECT_EQ(FormatLocalTime("%I:%M:%S %p", kAfternoon), "02:05:09 PM");
}

TEST_F(GermanLocaleTest, CityLabelsShowPm) {
    // A German desktop still shows "PM" in the world-time bands.
    EXPECT_EQ(FormatCityLabel("Lagos", 3600, kAfternoon, false, true), "Lagos 03:05:09 PM");
    EXPECT_EQ(FormatCityLabel("Tokyo", 32400, kAfternoon, false, false), "Tokyo 11:05 PM");
}

TEST_F(GermanLocaleTest, CountdownKeepsItsDecimalPoint) {
    // The tenths are set off by a point, not the German comma.
    const CountdownTarget target{2026, 2, 3, 12, 2, 4};
    const CountdownReading r = ComputeCountdown({kAfternoon, 500}, 0, target);
    EXPECT_EQ(r.text, "1:02:03:05.5");
    EXPECT_EQ(CountdownBandText("Start", r.text), " Start: 1:02:03:05.5 ");
}

} // namespace
} // namespace chronivo
