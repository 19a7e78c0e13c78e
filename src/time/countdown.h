#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "time/time_sample.h"

namespace chronivo {

// The value of setting "Option": which moment the countdown runs to. Stored as a plain int;
// a value outside 0 .. 5 behaves like the stored-target modes 3 and 4.
using CountdownMode = int;
inline constexpr CountdownMode kCountdownNone = 0;       // no countdown is drawn
inline constexpr CountdownMode kCountdownThisYear = 1;   // 1 January of the current year
inline constexpr CountdownMode kCountdownNextYear = 2;   // 1 January of the following year
inline constexpr CountdownMode kCountdownNearTarget = 3; // the stored target
inline constexpr CountdownMode kCountdownFarTarget = 4;  // the stored target, any year
inline constexpr CountdownMode kCountdownChristmas = 5;  // 25 December of the current year

// The target moment as local wall-clock fields, whole seconds. The dialog stores month 1..12,
// hour 0..23, minute and second 0..59; any other value is still accepted and runs on into the
// neighbouring units (hour 24 is the next day's 00), in 64-bit arithmetic.
struct CountdownTarget {
    std::int32_t year = 0;
    std::int32_t month = 0;
    std::int32_t day = 0;
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    std::int32_t second = 0;

    friend bool operator==(const CountdownTarget&, const CountdownTarget&) = default;
};

// Fixes the target of the modes that compute it, once at the saver's first paint:
// mode 1 "this year" (1 January of currentLocalYear), 2 "next year" (1 January of the year
// after), 5 "Christmas" (25 December of currentLocalYear, even when it has passed), each at
// 00:00:00, and sets the title to match. Every other mode (0, 3, 4 and values outside 0..5)
// leaves target and title as the settings gave them. currentLocalYear is the year of the local
// calendar now; the year after INT32_MAX stays INT32_MAX.
void FixCountdownTarget(CountdownMode mode, std::int32_t currentLocalYear, CountdownTarget& target,
                        std::string& title);

// One frame's countdown.
struct CountdownReading {
    bool countingUp = false; // true at and after the target, false before it
    std::string text;        // "d:hh:mm:ss.t", "h:mm:ss.t", "m:ss.t" or "s.t"
    double distanceDays = 0; // signed distance from the target to now in days, no milliseconds
};

// The countdown at the moment now, with utcOffsetSeconds the computer's offset from UTC at that
// moment (seconds east, daylight saving included), so that now is read on the local clock the
// target is given in. The tenths digit is cut, not rounded: before the target 1 s with 1 ms
// still to go shows "0.9", 1 ms shows "0.0". distanceDays is the whole-second distance, D days
// plus S seconds, as S * (nearest double to 1/86400) + D: one hour before the target it is
// exactly -0.041666666666666664.
CountdownReading ComputeCountdown(TimeSample now, std::int64_t utcOffsetSeconds,
                                  const CountdownTarget& target);

// The band form: " " + title + ": " + countdown text + " ".
std::string CountdownBandText(std::string_view title, std::string_view countdownText);

// The countdown's text colour (0x00BBGGRR) over a background colour: blue and green inverted
// while counting down, blue and red inverted while counting up.
constexpr std::uint32_t CountdownColor(std::uint32_t backColor, bool countingUp) {
    return backColor ^ (countingUp ? 0xFF00FFu : 0xFFFF00u);
}

} // namespace chronivo
