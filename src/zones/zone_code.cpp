#include "zones/zone_code.h"

#include "zones/zone_lookup.h"

#include <QDateTime>

#include <algorithm>

namespace chronivo {

namespace {

// A zone that switches to or from summer time switches at least once in any year.
constexpr std::int64_t kYearSeconds = 366LL * 24 * 3600;

} // namespace

ZoneCode ZoneCodeOf(const QTimeZone& zone, std::int64_t utcSeconds) {
    const QDateTime at = UtcDateTime(utcSeconds);
    const QTimeZone::OffsetData next = zone.nextTransition(at);
    const bool soon =
        next.atUtc.isValid() && next.atUtc.toSecsSinceEpoch() - utcSeconds <= kYearSeconds;
    const bool daylight = zone.isDaylightTime(at) || (soon && next.daylightTimeOffset != 0);
    // Standard time is the winter side of the switch, the smaller offset, also for the zones
    // whose data count winter as the daylight side (Europe/Dublin).
    const int standard = daylight && soon ? std::min(zone.offsetFromUtc(at), next.offsetFromUtc)
                                          : zone.standardTimeOffset(at);
    return standard * 2 + (daylight ? 1 : 0);
}

} // namespace chronivo
