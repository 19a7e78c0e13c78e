#include "config/config_values.h"

#include <gtest/gtest.h>

#include <QDateTime>

#include <climits>
#include <clocale>
#include <cstdlib>
#include <ctime>

namespace chronivo {
namespace {

struct QuantiseCase {
    int position;
    int speed;
    const char* fact;
};

TEST(QuantiseSpeed, GivesTheSmallestStoredSpeedAtOrAboveThePosition) {
    const QuantiseCase cases[] = {
        {-50, 6, "below the slider's range counts as its lowest speed"},
        {0, 6, "the left end is raised to 6"},
        {6, 6, "6 is 6000 div 1000"},
        {7, 7, "6000 div 857 is 7"},
        {857, 857, "857 is 6000 div 7"},
        {858, 1000, "858 to 1000 give 1000"},
        {1000, 1000, "1000 is 6000 div 6"},
        {1001, 1200, "just above 1000 goes to 6000 div 5"},
        {2000, 2000, "1501 to 2000 give 2000"},
        {2001, 3000, "2001 to 3000 give 3000"},
        {3000, 3000, "3000 is 6000 div 2"},
        {3001, 6000, "3001 to 6000 give 6000"},
        {4000, 6000, "the middle of the top range"},
        {6000, 6000, "the right end"},
        {10000, 6000, "above the range counts as the right end, no division by zero"},
        {INT_MIN, 6, "the lowest int"},
        {INT_MAX, 6000, "the highest int"},
    };
    for (const QuantiseCase& c : cases) {
        EXPECT_EQ(QuantiseSpeed(c.position), c.speed) << c.fact;
    }
}

TEST(SpeedText, ShowsHundredthsOfTheSpeedAsMinutes) {
    // 1000 turns the wheel in 10 minutes; the read-out has two decimals.
    EXPECT_EQ(SpeedText(1000), QStringLiteral("cycle in 10.00 minutes"));
    EXPECT_EQ(SpeedText(6000), QStringLiteral("cycle in 60.00 minutes"));
    EXPECT_EQ(SpeedText(6), QStringLiteral("cycle in 0.06 minutes"));
    EXPECT_EQ(SpeedText(857), QStringLiteral("cycle in 8.57 minutes"));
}

TEST(SpeedText, KeepsTheDecimalPointInALocaleWithADecimalComma) {
    // A German user still reads "10.00": the read-out is formatted in the C locale.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const char* const switched = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_EQ(SpeedText(1000), QStringLiteral("cycle in 10.00 minutes"));
    if (switched != nullptr) {
        std::setlocale(LC_NUMERIC, "C");
    }
    QLocale::setDefault(before);
}

struct ParseCase {
    const char* text;
    std::optional<int> value;
    const char* fact;
};

TEST(ParseWholeNumber, TakesOnlyWholeDecimalNumbersThatFitAnInt) {
    const ParseCase cases[] = {
        {"2150", 2150, "a plain year"},
        {"  2031 ", 2031, "blanks around the number are allowed"},
        {"-5", -5, "a minus sign"},
        {"+7", 7, "a plus sign"},
        {"0", 0, "zero"},
        {"2147483647", INT_MAX, "the largest int"},
        {"-2147483648", INT_MIN, "the smallest int"},
        {"2147483648", std::nullopt, "one above the largest int"},
        {"99999999999999999999", std::nullopt, "far too large for any integer"},
        {"", std::nullopt, "the empty box"},
        {"   ", std::nullopt, "blanks only"},
        {"abc", std::nullopt, "letters"},
        {"12a", std::nullopt, "trailing letters"},
        {"1.5", std::nullopt, "a fraction"},
        {"1 2", std::nullopt, "two numbers"},
        {"0x10", std::nullopt, "hexadecimal"},
        {"+", std::nullopt, "a sign alone"},
        {"1,000", std::nullopt, "a group separator"},
    };
    for (const ParseCase& c : cases) {
        EXPECT_EQ(ParseWholeNumber(QString::fromLatin1(c.text)), c.value) << c.fact;
    }
}

struct FieldsCase {
    int year, month, day, hour, minute, second;
    QDate date;
    QTime time;
    const char* fact;
};

class LocalTimeFromFieldsTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "Europe/Paris", 1);
        tzset();
    }
};

TEST_F(LocalTimeFromFieldsTest, CarriesFieldsOutsideTheirRangesLikeMktime) {
    const FieldsCase cases[] = {
        {2000, 2, 29, 13, 5, 0, {2000, 2, 29}, {13, 5, 0}, "29 February of a leap year"},
        {2150, 2, 29, 13, 5, 0, {2150, 3, 1}, {13, 5, 0}, "29 February of 2150 is 1 March"},
        {2040, 1, 1, 0, 0, 0, {2040, 1, 1}, {0, 0, 0}, "after 2038"},
        {1969, 7, 20, 22, 56, 0, {1969, 7, 20}, {22, 56, 0}, "before 1970"},
        {2026, 13, 1, 0, 0, 0, {2027, 1, 1}, {0, 0, 0}, "month 13 is January of the next year"},
        {2026, 0, 15, 0, 0, 0, {2025, 12, 15}, {0, 0, 0}, "month 0 is December before"},
        {2026, -13, 1, 0, 0, 0, {2024, 11, 1}, {0, 0, 0}, "negative months carry downwards"},
        {2026, 3, 0, 0, 0, 0, {2026, 2, 28}, {0, 0, 0}, "day 0 is the last day before"},
        {2026, 1, 32, 0, 0, 0, {2026, 2, 1}, {0, 0, 0}, "day 32 of January"},
        {2026, 1, 1, 24, 0, 0, {2026, 1, 2}, {0, 0, 0}, "hour 24 is the next day"},
        {2026, 1, 1, 0, 0, 60, {2026, 1, 1}, {0, 1, 0}, "second 60 is the next minute"},
        {2026, 1, 1, 0, 0, -1, {2025, 12, 31}, {23, 59, 59}, "second -1 is the day before"},
        {0, 0, 0, 0, 0, 0, {1601, 1, 1}, {0, 0, 0}, "nothing stored: the picker's first day"},
        {-500, 6, 1, 0, 0, 0, {1601, 1, 1}, {0, 0, 0}, "a negative year: the first day"},
        {20000, 6, 1, 0, 0, 0, {9999, 12, 31}, {23, 59, 59}, "after 9999: the last moment"},
        {1600, 12, 32, 1, 0, 0, {1601, 1, 1}, {1, 0, 0}, "a day carried into the picker's span"},
        {2026, 3, 29, 2, 30, 0, {2026, 3, 29}, {3, 30, 0}, "02:30 is skipped in spring: 03:30"},
        {2026, 3, 29, 2, 0, 0, {2026, 3, 29}, {3, 0, 0}, "the skipped hour's first second"},
        {2026, 3, 28, 26, 59, 59, {2026, 3, 29}, {3, 59, 59}, "carried into the skipped hour"},
        {2026, 10, 25, 2, 30, 0, {2026, 10, 25}, {2, 30, 0}, "02:30 twice in autumn: kept"},
        {INT_MAX,
         INT_MAX,
         INT_MAX,
         INT_MAX,
         INT_MAX,
         INT_MAX,
         {9999, 12, 31},
         {23, 59, 59},
         "the largest ints overflow nothing"},
        {INT_MIN,
         INT_MIN,
         INT_MIN,
         INT_MIN,
         INT_MIN,
         INT_MIN,
         {1601, 1, 1},
         {0, 0, 0},
         "the smallest ints overflow nothing"},
        {INT_MAX,
         INT_MIN,
         1,
         0,
         0,
         0,
         {9999, 12, 31},
         {23, 59, 59},
         "months far below zero still leave a year far in the future"},
    };
    for (const FieldsCase& c : cases) {
        const QDateTime value =
            LocalTimeFromFields(c.year, c.month, c.day, c.hour, c.minute, c.second);
        EXPECT_EQ(value.timeSpec(), Qt::LocalTime) << c.fact;
        EXPECT_EQ(value.date(), c.date) << c.fact;
        EXPECT_EQ(value.time(), c.time) << c.fact;
    }
}

// One rule on every Qt version and whatever ran before in the process: a skipped time is read
// with the offset in force before the jump, and a time that happens twice is the later one.
TEST_F(LocalTimeFromFieldsTest, ReadsSkippedAndRepeatedTimesByOneRule) {
    const struct {
        int year, month, day, hour, minute;
        std::int64_t utc;
        const char* zone;
        const char* fact;
    } cases[] = {
        {2026, 3, 8, 2, 30, 1772955000, "America/New_York", "skipped 02:30 is 07:30 UTC"},
        {2000, 2, 29, 13, 5, 951825900, "Europe/Paris", "13:05 winter time is 12:05 UTC"},
        {2026, 3, 29, 2, 30, 1774747800, "Europe/Paris", "skipped 02:30 is 01:30 UTC, 03:30"},
        {2026, 10, 25, 2, 30, 1792891800, "Europe/Paris", "the second 02:30 is 01:30 UTC"},
        {2026, 11, 1, 1, 30, 1793514600, "America/New_York", "the second 01:30 is 06:30 UTC"},
        {2026, 4, 5, 2, 30, 1775320200, "Australia/Sydney", "the second 02:30, in the south"},
        {2026, 4, 5, 1, 45, 1775315700, "Australia/Lord_Howe", "half an hour back: the second"},
        {2026, 10, 4, 2, 15, 1791042300, "Australia/Lord_Howe", "half an hour skipped: 02:45"},
    };
    for (const auto& c : cases) {
        setenv("TZ", c.zone, 1);
        tzset();
        const QDateTime value = LocalTimeFromFields(c.year, c.month, c.day, c.hour, c.minute, 0);
        EXPECT_EQ(value.toSecsSinceEpoch(), c.utc) << c.fact;
    }
}

} // namespace
} // namespace chronivo
