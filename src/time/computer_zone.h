#pragma once

#include <cstdint>

#include "time/daylight_rule.h"

namespace chronivo {

// The computer's own zone as the C library uses it: TZ when set (an IANA name such as
// "Europe/Paris", a file path, or a POSIX rule such as "EST5EDT,M4.1.0,M10.5.0"), else the
// system's zone (/etc/localtime; on Windows its own zone). This is the one place that looks at
// the environment and the zone files.

// False when the zone cannot be read at all: TZ names a zone file that does not exist and is
// no POSIX rule either, or TZ is unset and the system's zone cannot be read (SystemZoneReadable).
// The C library then runs on UTC without saying so; the labels use FallbackDaylightRule instead.
bool ComputerZoneReadable();

// The daylight rule of the computer's zone for a year, found from the C library's own local
// times (localtime_r, tm_isdst, tm_gmtoff) without changing any process-wide zone state: the
// year's switches are found day by day and then to the second, and each is read on the
// standard clock (the moment plus the standard offset), so the end is already taken back by
// the amount. The period runs from the year's first switch into daylight time to its last
// switch out of it; the daylight side is the one with the larger offset, which also holds for
// zones whose data marks winter time as the "daylight" one. A zone without daylight saving in
// that year, and years before 1, give amount 0. The zone is read as it is when called: a
// caller that changes TZ calls tzset() first.
DaylightRule ComputerZoneDaylightRule(std::int32_t year);

// The rules the saver hands to its world-time labels: the computer's zone when it can be read,
// else the fallback rule.
DaylightRules ComputerDaylightRules();

} // namespace chronivo
