#pragma once

#include "time/world_time.h"

#include <QTimeZone>

#include <cstdint>

namespace chronivo {

// The code stored under "WTzone%d" for a zone of the tz database, in the table's encoding: twice
// the zone's standard (winter) offset at utcSeconds (seconds east), plus 1 when the zone keeps
// daylight saving time, that is, when it is on summer time at utcSeconds or switches to or from
// it within the year after. Readers that know no zone names place and show the entry by it.
ZoneCode ZoneCodeOf(const QTimeZone& zone, std::int64_t utcSeconds);

} // namespace chronivo
