#pragma once

#include "time/daylight_rule.h"
#include "time/world_time.h"

#include <QDateTime>
#include <QTimeZone>

#include <cstdint>
#include <string_view>

namespace chronivo {

// Where a world-time label's time comes from. A city of the table shows the true local time of
// its tz-database zone, read through Qt's time-zone support, which reads the system's zone data
// (including the rules past the data's last listed switch) and works on every platform Qt
// does. A label that is no city of the table, or whose zone the system lacks, keeps the stored
// code and the computer's daylight rule (ZoneCodeOffset).

// The name under which the system lists the zone `id`: `id` itself, or for a zone the tz
// database has renamed ("Asia/Kolkata", once "Asia/Calcutta") the other name when only that one
// is listed; `id` when neither is.
std::string_view SystemZoneName(std::string_view id);

// Today's name of a zone the tz database has renamed ("Asia/Calcutta" gives "Asia/Kolkata");
// any other id as it is. What a person looking for the place would search for.
std::string_view CurrentZoneName(std::string_view id);

// The zone named `id` ("Asia/Kathmandu", or its other name, see SystemZoneName) when it is one
// of the system's list of zones and Qt has its data; else an invalid zone. Any other id Qt would
// accept is refused, so that the saver and the dialog know the same zones.
QTimeZone KnownTimeZone(std::string_view id);

// The zone of the city named exactly `label`; an invalid zone when there is no such city in the
// table or the system has no data for its zone. Looked up once per window, not per frame.
QTimeZone CityTimeZone(std::string_view label);

// The zone of a world-time entry: KnownTimeZone(tzName) ("WTtz%d") when it is valid, else
// CityTimeZone(label). An unknown or garbled name thus falls back quietly.
QTimeZone EntryTimeZone(std::string_view tzName, std::string_view label);

// The city's offset from UTC at utcSeconds, seconds east: from `zone` when it is valid, else
// (and for a moment beyond Qt's range of dates) ZoneCodeOffset of the stored code.
std::int64_t CityUtcOffset(const QTimeZone& zone, ZoneCode code, std::int64_t utcSeconds,
                           DaylightRules& rules);

// The moment utcSeconds (seconds since 1970 UTC) as a QDateTime in UTC; invalid beyond Qt's
// range of dates.
QDateTime UtcDateTime(std::int64_t utcSeconds);

} // namespace chronivo
