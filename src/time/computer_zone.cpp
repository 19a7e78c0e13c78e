#include "time/computer_zone.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "time/c_time.h"
#include "time/day_date.h"
#include "time/local_time.h"

namespace chronivo {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Floor division: moments before 1970 fall on the right day.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

bool IsRegularFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The start of a POSIX TZ rule: a zone name of three or more letters, or any name in <...>,
// followed by an offset (an optional sign and a digit), as in "EST5EDT" or "<+0330>-3:30".
bool LooksLikePosixRule(std::string_view tz) {
    std::size_t i = 0;
    if (!tz.empty() && tz.front() == '<') {
        i = tz.find('>');
        if (i == std::string_view::npos || i < 2) {
            return false;
        }
        ++i;
    } else {
        while (i < tz.size() && IsAsciiLetter(tz[i])) {
            ++i;
        }
        if (i < 3) {
            return false;
        }
    }
    if (i < tz.size() && (tz[i] == '+' || tz[i] == '-')) {
        ++i;
    }
    return i < tz.size() && IsDigit(tz[i]);
}

// What the zone looks like at one moment.
struct Probe {
    bool daylight = false;   // tm_isdst set
    std::int64_t offset = 0; // seconds east of UTC
};

std::optional<Probe> ProbeAt(std::int64_t utcSeconds) {
    const std::optional<std::tm> fields = LocalFields(utcSeconds);
    if (!fields) {
        return std::nullopt;
    }
    return Probe{fields->tm_isdst > 0, UtcOffsetAt(utcSeconds)};
}

} // namespace

bool ComputerZoneReadable() {
    const char* tz = std::getenv("TZ");
    if (tz == nullptr) {
        return SystemZoneReadable();
    }
    std::string_view name(tz);
    if (!name.empty() && name.front() == ':') {
        name.remove_prefix(1);
    }
    if (name.empty()) {
        return true; // an empty TZ is UTC on purpose
    }
    if (name.front() == '/') {
        return IsRegularFile(std::string(name));
    }
    const char* dir = std::getenv("TZDIR");
    std::string path = (dir != nullptr && *dir != '\0') ? dir : "/usr/share/zoneinfo";
    path += '/';
    path += name;
    // ".." in a name is not followed into other folders; such a TZ can only be a rule.
    if (name.find("..") == std::string_view::npos && IsRegularFile(path)) {
        return true;
    }
    return LooksLikePosixRule(name);
}

DaylightRule ComputerZoneDaylightRule(std::int32_t year) {
    if (year < 1) {
        return {};
    }
    // Days from 1970-01-01 to 1 January of the year, and the year's length.
    const std::int64_t yearStart = DayDate(1, 1, year).WideDayNumber() - s_epochDayNumber;
    const std::int64_t yearDays = IsLeapYear(year) ? 366 : 365;

    // Every switch whose standard-clock reading falls in the year lies within two days of it
    // on the UTC scale (offsets are below a day). Look once a day, then halve to the second.
    const std::int64_t first = (yearStart - 2) * kSecondsPerDay;
    const std::int64_t last = (yearStart + yearDays + 2) * kSecondsPerDay;

    std::optional<Probe> previous = ProbeAt(first);
    if (!previous) {
        return {};
    }
    bool haveStart = false;
    bool haveEnd = false;
    DaylightRule rule;
    std::int64_t startAmount = 0;
    std::int64_t endAmount = 0;

    for (std::int64_t t = first + kSecondsPerDay; t <= last; t += kSecondsPerDay) {
        const std::optional<Probe> current = ProbeAt(t);
        if (!current) {
            return {};
        }
        if (current->daylight != previous->daylight) {
            // The switch lies in (t - 1 day, t]: find its first second.
            std::int64_t lo = t - kSecondsPerDay; // still the previous state
            std::int64_t hi = t;                  // already the new state
            while (hi - lo > 1) {
                const std::int64_t mid = lo + (hi - lo) / 2;
                const std::optional<Probe> probe = ProbeAt(mid);
                if (!probe) {
                    return {};
                }
                (probe->daylight == previous->daylight ? lo : hi) = mid;
            }
            const std::optional<Probe> before = ProbeAt(lo);
            const std::optional<Probe> after = ProbeAt(hi);
            if (!before || !after) {
                return {};
            }
            if (after->offset != before->offset) {
                const bool intoDaylight = after->offset > before->offset;
                const std::int64_t standardOffset = intoDaylight ? before->offset : after->offset;
                const std::int64_t reading = hi + standardOffset; // on the standard clock
                const std::int64_t readingDay = FloorDiv(reading, kSecondsPerDay);
                const std::int64_t day = readingDay - yearStart;                   // of the year
                const std::int64_t second = reading - readingDay * kSecondsPerDay; // 0 .. 86399
                const std::int64_t amount =
                    intoDaylight ? after->offset - before->offset : before->offset - after->offset;
                if (day >= 0 && day < yearDays) {
                    if (intoDaylight && !haveStart) {
                        haveStart = true;
                        rule.startDay = static_cast<std::int32_t>(day);
                        rule.startSecond = static_cast<std::int32_t>(second);
                        startAmount = amount;
                    } else if (!intoDaylight) {
                        haveEnd = true;
                        rule.endDay = static_cast<std::int32_t>(day);
                        rule.endSecond = static_cast<std::int32_t>(second);
                        endAmount = amount;
                    }
                }
            }
        }
        previous = current;
    }

    if (!haveStart && !haveEnd) {
        return {};
    }
    if (!haveStart) {
        rule.startDay = -1; // daylight time since before the year began
        rule.startSecond = 0;
    }
    if (!haveEnd) {
        rule.endDay = 366; // daylight time until after the year ends
        rule.endSecond = 0;
    }
    rule.amountSeconds = static_cast<std::int32_t>(haveStart ? startAmount : endAmount);
    return rule;
}

DaylightRules ComputerDaylightRules() {
    return DaylightRules(ComputerZoneReadable() ? &ComputerZoneDaylightRule
                                                : &FallbackDaylightRule);
}

} // namespace chronivo
