#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace chronivo {

// Twice a city's standard offset from UTC in seconds (east positive), plus 1 when the city
// observes daylight saving time. Stored as is under "WTzone%d".
using ZoneCode = std::int32_t;

// The two halves of a ZoneCode.
struct ZoneParts {
    std::int32_t offsetSeconds = 0; // standard offset from UTC, east positive
    bool daylight = false;          // the city observes daylight saving time
};

// Splits a code: the lowest bit (of the two's-complement value, so odd negative codes have it
// too) is the daylight flag, the rest halved is the offset. 7201 -> +3600 s with daylight
// saving, -35999 -> -18000 s with, -36000 -> -18000 s without.
ZoneParts DecodeZoneCode(ZoneCode code);

// The order in which the saver shows its cities: every code west of UTC first, from the
// farthest west eastwards, then the rest from the farthest east westwards.
bool ZoneCodeBefore(ZoneCode a, ZoneCode b);

// At most this many cities are stored and shown.
inline constexpr int kMaxWorldTimeEntries = 10;

struct WorldCity {
    const char* name;
    ZoneCode zone;
};

inline constexpr int kWorldCityCount = 134;

// The cities the user can pick from, in the order they are added to the dialog's list.
extern const std::array<WorldCity, kWorldCityCount> WorldCityTable;

class DaylightRules;

// The time pattern of a city label: " %H:%M:%S", " %H:%M", " %I:%M:%S %p" or " %I:%M %p".
const char* CityTimePattern(bool use24Hour, bool showSeconds);

// The band text of one city at utcSeconds (64-bit seconds since 1970 UTC): the label followed
// directly by the city's time. The city's time is its standard time (utcSeconds plus the
// code's offset), moved on by the daylight amount when the code has the daylight bit and that
// standard time lies in the period that rules gives for its year: the computer's own period
// and amount, read on the city's standard clock. Formatted in the C locale whatever locale the
// process runs in; when the time cannot be converted or formatted the label is returned alone.
std::string FormatCityLabel(std::string_view label, ZoneCode zone, std::int64_t utcSeconds,
                            bool use24Hour, bool showSeconds, DaylightRules& rules);

} // namespace chronivo
