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

// At most this many cities are stored and shown.
inline constexpr int kMaxWorldTimeEntries = 10;

struct WorldCity {
    const char* name;   // the label text, stored under "WTtext%d"
    ZoneCode zone;      // the code stored with it under "WTzone%d", as older files hold it
    const char* tzName; // the city's zone in the tz database, which its label's time comes from
};

inline constexpr int kWorldCityCount = 134;

// The cities the user can pick from, in the order they are added to the dialog's list.
extern const std::array<WorldCity, kWorldCityCount> WorldCityTable;

// The city of the table whose name is exactly `label`, or null (a hand-edited text).
const WorldCity* FindWorldCity(std::string_view label);

class DaylightRules;

// The time pattern of a city label: " %H:%M:%S", " %H:%M", " %I:%M:%S %p" or " %I:%M %p".
const char* CityTimePattern(bool use24Hour, bool showSeconds);

// A city's offset from UTC at utcSeconds, seconds east, read from its stored code alone: the
// code's standard offset, plus the daylight amount when the code has the daylight bit and the
// city's standard time lies in the period that rules gives for its year (the computer's own
// period and amount, read on the city's standard clock). Labels whose text is no city of the
// table, or whose zone the system lacks, keep to this. A moment that cannot be converted gives
// the standard offset.
std::int64_t ZoneCodeOffset(ZoneCode zone, std::int64_t utcSeconds, DaylightRules& rules);

// The band text of one city at utcSeconds (64-bit seconds since 1970 UTC) when the city is
// offsetSeconds east of UTC: the label followed directly by the time in CityTimePattern,
// formatted in the C locale whatever locale the process runs in. When the time cannot be
// converted or formatted the label is returned alone.
std::string FormatCityLabel(std::string_view label, std::int64_t offsetSeconds,
                            std::int64_t utcSeconds, bool use24Hour, bool showSeconds);

} // namespace chronivo
