#include "time/daylight_rule.h"

#include "time/day_date.h"

namespace chronivo {

namespace {

// Day of the week of a date, 0 = Sunday .. 6 = Saturday. Day 0 (1 January of year 1) is a
// Monday.
int Weekday(std::int64_t dayNumber) {
    const std::int64_t r = (dayNumber + 1) % 7;
    return static_cast<int>(r < 0 ? r + 7 : r);
}

} // namespace

bool InDaylightPeriod(const DaylightRule& rule, std::int32_t dayOfYear, std::int32_t secondOfDay) {
    if (rule.amountSeconds == 0) {
        return false;
    }
    const bool onStartDay = dayOfYear == rule.startDay && secondOfDay >= rule.startSecond;
    const bool onEndDay = dayOfYear == rule.endDay && secondOfDay < rule.endSecond;
    if (rule.startDay < rule.endDay) {
        return (dayOfYear > rule.startDay && dayOfYear < rule.endDay) || onStartDay || onEndDay;
    }
    return dayOfYear < rule.endDay || dayOfYear > rule.startDay || onStartDay || onEndDay;
}

DaylightRule FallbackDaylightRule(std::int32_t year) {
    // The calendar, weekdays included, repeats every 400 years (146097 days, whole weeks), so
    // the same year of the cycle in 1 .. 400 gives the same days for any year, 0 and negative
    // ones too (whose day numbers are mirrored and would not count forwards).
    year %= 400; // -399 .. 399
    if (year <= 0) {
        year += 400; // 1 .. 400
    }
    const std::int64_t newYear = DayDate(1, 1, year).WideDayNumber();
    // First Sunday of April: 1 April moved on to the next Sunday (or kept if it is one).
    const std::int64_t april1 = DayDate(4, 1, year).WideDayNumber();
    const std::int64_t firstSundayOfApril = april1 + (7 - Weekday(april1)) % 7;
    // Last Sunday of October: 31 October moved back to the Sunday before (or kept).
    const std::int64_t october31 = DayDate(10, 31, year).WideDayNumber();
    const std::int64_t lastSundayOfOctober = october31 - Weekday(october31);

    DaylightRule rule;
    rule.amountSeconds = 3600;
    rule.startDay = static_cast<std::int32_t>(firstSundayOfApril - newYear);
    rule.startSecond = 2 * 3600;
    rule.endDay = static_cast<std::int32_t>(lastSundayOfOctober - newYear);
    rule.endSecond = 1 * 3600;
    return rule;
}

const DaylightRule& DaylightRules::ForYear(std::int32_t year) {
    for (const Entry& entry : m_cache) {
        if (entry.filled && entry.year == year) {
            return entry.rule;
        }
    }
    Entry& entry = m_cache[m_nextSlot];
    m_nextSlot = (m_nextSlot + 1) % m_cache.size();
    entry.filled = true;
    entry.year = year;
    entry.rule = m_ruleOfYear(year);
    ++m_computed;
    return entry.rule;
}

} // namespace chronivo
