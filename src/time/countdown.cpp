#include "time/countdown.h"

#include <cinttypes>
#include <cstdio>
#include <limits>

#include "time/day_date.h"

namespace chronivo {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// The double nearest to 1/86400: seconds to days.
constexpr double kDaysPerSecond = 1.0 / 86400.0;
static_assert(kDaysPerSecond == 0.000011574074074074073);

// Floor division and its remainder 0 .. divisor - 1, so moments before 1970 fall on the right
// day.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}
std::int64_t FloorMod(std::int64_t a, std::int64_t b) {
    return a - FloorDiv(a, b) * b;
}

// Times are held within +-2^55 s (about a billion years) before any arithmetic, so that every
// product and sum below stays far inside the 64-bit range whatever the clock or offset says.
constexpr std::int64_t kTimeLimit = std::int64_t{1} << 55;
std::int64_t ClampTime(std::int64_t t) {
    return t < -kTimeLimit ? -kTimeLimit : (t > kTimeLimit ? kTimeLimit : t);
}

} // namespace

void FixCountdownTarget(CountdownMode mode, std::int32_t currentLocalYear, CountdownTarget& target,
                        std::string& title) {
    switch (mode) {
    case kCountdownThisYear:
        title = "this year";
        target.year = currentLocalYear;
        target.month = 1;
        target.day = 1;
        break;
    case kCountdownNextYear:
        title = "next year";
        target.year = currentLocalYear == std::numeric_limits<std::int32_t>::max()
                          ? currentLocalYear
                          : currentLocalYear + 1;
        target.month = 1;
        target.day = 1;
        break;
    case kCountdownChristmas:
        title = "Christmas";
        target.year = currentLocalYear;
        target.month = 12;
        target.day = 25;
        break;
    default:
        // None, the stored target, and every value outside 0 .. 5: as the settings gave them.
        return;
    }
    target.hour = 0;
    target.minute = 0;
    target.second = 0;
}

CountdownReading ComputeCountdown(TimeSample now, std::int64_t utcOffsetSeconds,
                                  const CountdownTarget& target) {
    // Now on the local clock: seconds since 1970-01-01 00:00 local time, and its milliseconds
    // (0 .. 999; a reading outside that range is held at its ends).
    const std::int64_t local = ClampTime(ClampTime(now.seconds) + ClampTime(utcOffsetSeconds));
    const int ms = now.millis < 0 ? 0 : (now.millis > 999 ? 999 : now.millis);

    // Day numbers are exact in 64 bits for any target year (at most about +-8e11), and so is
    // everything below: |D| < 1.3e12, |S| < 8e12 and |D * 86400 + S| < 1.2e17.
    const std::int64_t today = FloorDiv(local, kSecondsPerDay) + s_epochDayNumber;
    const std::int64_t todaySecond = FloorMod(local, kSecondsPerDay); // 0 .. 86399
    const std::int64_t targetDay = DayDate(target.month, target.day, target.year).WideDayNumber();
    const std::int64_t targetSecond = static_cast<std::int64_t>(target.hour) * 3600 +
                                      static_cast<std::int64_t>(target.minute) * 60 +
                                      target.second; // 0 .. 86399 for a stored target

    const std::int64_t d = today - targetDay;
    const std::int64_t s = todaySecond - targetSecond;

    CountdownReading reading;
    // S first, then D, each step rounded to double: the values the band/full-screen switch
    // compares with 1/24 bit for bit.
    const double sDays = static_cast<double>(s) * kDaysPerSecond;
    reading.distanceDays = sDays + static_cast<double>(d);

    // The whole-second distance. For a stored target (|S| < 86400) its sign is the direction
    // "D > 0, or D = 0 and S >= 0" and its floor split by 86400 gives the days and seconds of
    // the magnitude; a target second outside the day simply runs on into the next days.
    const std::int64_t total = d * kSecondsPerDay + s;
    reading.countingUp = total >= 0;
    std::int64_t magnitude = reading.countingUp ? total : -total; // seconds, >= 0
    int tenths = 0;                                               // 0 .. 9
    if (reading.countingUp) {
        tenths = ms / 100;
    } else if (ms > 0) {
        // Part of the last second has gone by: cut the rest to tenths and take the second off.
        tenths = (1000 - ms) / 100;
        magnitude -= 1; // still >= 0, as counting down means magnitude >= 1
    }

    const std::int64_t days = magnitude / kSecondsPerDay;
    const auto secondOfDay = static_cast<int>(magnitude % kSecondsPerDay);
    const int hours = secondOfDay / 3600;
    const int minutes = (secondOfDay / 60) % 60;
    const int seconds = secondOfDay % 60;

    char buffer[64];
    if (days > 0) {
        std::snprintf(buffer, sizeof buffer, "%" PRId64 ":%02d:%02d:%02d.%d", days, hours, minutes,
                      seconds, tenths);
    } else if (hours > 0) {
        std::snprintf(buffer, sizeof buffer, "%d:%02d:%02d.%d", hours, minutes, seconds, tenths);
    } else if (minutes > 0) {
        std::snprintf(buffer, sizeof buffer, "%d:%02d.%d", minutes, seconds, tenths);
    } else {
        std::snprintf(buffer, sizeof buffer, "%d.%d", seconds, tenths);
    }
    reading.text = buffer;
    return reading;
}

std::string CountdownBandText(std::string_view title, std::string_view countdownText) {
    std::string text;
    text.reserve(title.size() + countdownText.size() + 4);
    text += ' ';
    text += title;
    text += ": ";
    text += countdownText;
    text += ' ';
    return text;
}

} // namespace chronivo
