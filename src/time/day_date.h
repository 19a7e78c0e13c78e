#pragma once

#include <cstdint>

namespace chronivo {

// True for the leap years of the proleptic Gregorian calendar: divisible by 4 and either not by
// 100 or by 400. Applied to every year alike, 0 and negative years included (0 is a leap year).
constexpr bool IsLeapYear(std::int64_t year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// Number of days in the years 1 to n inclusive (0 for n = 0). Closed form of the year-by-year
// sum: 365 a year, plus one for every fourth year, less the centuries, plus every fourth
// century. Any n of 0 to 2^31 - 1 gives the exact count (at most about 7.8e11); n below 0
// sums no years and gives 0.
constexpr std::int64_t DaysInYears(std::int64_t n) {
    if (n <= 0) {
        return 0;
    }
    return 365 * n + n / 4 - n / 100 + n / 400;
}

// A calendar date as month, day and year, numbered as days from 1 January of year 1 in the
// proleptic Gregorian calendar. Every field value is accepted: a month above 12 counts as
// December and one below 1 as January, a day outside the month runs on into the neighbouring
// months, year 0 numbers as 0 whatever the month and day, and a negative year mirrors the
// positive one (result 1 - n for n the count of year -year).
class DayDate {
public:
    constexpr DayDate(std::int32_t month_, std::int32_t day_, std::int32_t year_)
        : year(year_)
        , day(day_)
        , month(month_) {}
    // Written out rather than defaulted: GCC 12 rejects a defaulted constexpr virtual destructor
    // in the constant s_epochDate below.
    constexpr virtual ~DayDate() {}

    DayDate(const DayDate&) = default;
    DayDate& operator=(const DayDate&) = default;

    // The exact day number in 64 bits. For the whole range of the three 32-bit fields it lies
    // within about +-8e11, so this never overflows.
    constexpr std::int64_t WideDayNumber() const;

    // The day number as a signed 32-bit value. Day numbers are 32-bit, which covers the years
    // -5,879,610 to 5,879,610; a date beyond that range (a far year, or a day field that runs
    // far past its month) saturates at INT32_MAX or INT32_MIN instead of wrapping round.
    constexpr std::int32_t DayNumber() const;

    std::int32_t year;  // 1 = the first year of the era; 0 and negative years accepted
    std::int32_t day;   // day of the month, 1-based; any value
    std::int32_t month; // 1 = January .. 12 = December; any value
};

constexpr std::int64_t DayDate::WideDayNumber() const {
    if (year == 0) {
        return 0;
    }
    const std::int64_t y = year < 0 ? -static_cast<std::int64_t>(year) : year; // 1 .. 2^31
    // Days before the month, one test per month boundary, as a cumulative table: entry k holds
    // the days of January .. month k (common year); February's leap day is added below.
    constexpr std::int32_t kBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    const std::int32_t m = month < 1 ? 1 : (month > 12 ? 12 : month); // 1 .. 12
    std::int64_t n = DaysInYears(y - 1) + (static_cast<std::int64_t>(day) - 1) + kBefore[m - 1];
    if (m > 2 && IsLeapYear(y)) {
        n += 1;
    }
    return year > 0 ? n : 1 - n;
}

constexpr std::int32_t DayDate::DayNumber() const {
    const std::int64_t n = WideDayNumber();
    if (n > INT32_MAX) {
        return INT32_MAX;
    }
    if (n < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<std::int32_t>(n);
}

// The countdown's epoch: 1 January 1970, numbered once (at compile time) as 719162.
inline constexpr DayDate s_epochDate{1, 1, 1970};
inline constexpr std::int32_t s_epochDayNumber = s_epochDate.DayNumber();

} // namespace chronivo
