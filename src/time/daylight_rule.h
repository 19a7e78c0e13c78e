#pragma once

#include <array>
#include <cstdint>

namespace chronivo {

// The daylight-saving period of one year and its amount, as the world-time labels apply it to
// every city that observes daylight saving: the computer's own period, with both boundaries
// read on the city's standard clock. Days are days of the year, 0 = 1 January .. 365; seconds
// are seconds of the day, 0 .. 86399. A start day of -1 means the period runs from before the
// year began, an end day of 366 that it runs past the year's end.
struct DaylightRule {
    std::int32_t amountSeconds = 0; // added to standard time inside the period; 0: never
    std::int32_t startDay = 0;      // the first moment of daylight time ...
    std::int32_t startSecond = 0;
    std::int32_t endDay = 0;    // ... and the first moment of standard time again, both on
    std::int32_t endSecond = 0; // the standard clock (the end taken back by the amount)

    friend bool operator==(const DaylightRule&, const DaylightRule&) = default;
};

// Whether a standard-clock reading (day of the year, second of the day) lies inside the
// period. With the start day before the end day: the days strictly between them, the start day
// from the start second on, the end day before the end second. Otherwise the period crosses the
// turn of the year: the days before the end day or after the start day, and the same two rules
// for the boundary days. Always false when the amount is 0.
bool InDaylightPeriod(const DaylightRule& rule, std::int32_t dayOfYear, std::int32_t secondOfDay);

// The rule used when the computer's zone cannot be read at all: from the first Sunday of April
// at 02:00 to the last Sunday of October at 01:00 (02:00 daylight time), one hour, for year
// (any 32-bit year of the proleptic Gregorian calendar).
DaylightRule FallbackDaylightRule(std::int32_t year);

// The daylight rules of the years as they are asked for, each worked out once. Labels are made
// ten times a second for up to ten cities, and their standard-time dates may fall in two
// different years around the turn of the year, so a few years are kept. The saver holds one of
// these (see ComputerDaylightRules) and hands it to every label.
class DaylightRules {
public:
    // Works out the rule of one year; a plain function so that tests can give rules of their own.
    using RuleOfYear = DaylightRule (*)(std::int32_t year);

    explicit DaylightRules(RuleOfYear ruleOfYear)
        : m_ruleOfYear(ruleOfYear) {}

    // The rule of year, from the cache when it was asked for before.
    const DaylightRule& ForYear(std::int32_t year);

    // How many times a rule has been worked out (not taken from the cache).
    int ComputedCount() const { return m_computed; }

private:
    struct Entry {
        bool filled = false;
        std::int32_t year = 0;
        DaylightRule rule;
    };

    RuleOfYear m_ruleOfYear;
    std::array<Entry, 4> m_cache{};
    std::size_t m_nextSlot = 0; // the slot the next new year replaces, round robin
    int m_computed = 0;
};

} // namespace chronivo
