#pragma once

#include "time/daylight_rule.h"
#include "time/world_time.h"

#include <QTimeZone>

#include <cstdint>
#include <string_view>

namespace chronivo {

// Where a world-time label's time comes from. A city of the table shows the true local time of
// its tz-database zone, read through Qt's time-zone support, which reads the system's zone data
// (including the rules past the data's last listed switch) and works on every platform Qt
// does. A label that is no city of the table, or whose zone the system lacks, keeps the stored
// code and the computer's daylight rule (ZoneCodeOffset).

// The zone of the city named exactly `label`; an invalid zone when there is no such city in the
// table or the system has no data for its zone. Looked up once per window, not per frame.
QTimeZone CityTimeZone(std::string_view label);

// The zone of a world-time entry: the tz zone named `tzName` ("WTtz%d") when the system knows it,
// else CityTimeZone(label). An unknown or garbled name thus falls back quietly.
QTimeZone EntryTimeZone(std::string_view tzName, std::string_view label);

// The city's offset from UTC at utcSeconds, seconds east: from `zone` when it is valid, else
// (and for a moment beyond Qt's range of dates) ZoneCodeOffset of the stored code.
std::int64_t CityUtcOffset(const QTimeZone& zone, ZoneCode code, std::int64_t utcSeconds,
                           DaylightRules& rules);

} // namespace chronivo
