#include "zones/zone_lookup.h"

#include <QByteArray>
#include <QDateTime>

namespace chronivo {

QTimeZone KnownTimeZone(std::string_view id) {
    if (id.empty()) {
        return {};
    }
    const QByteArray name(id.data(), static_cast<qsizetype>(id.size()));
    if (!QTimeZone::isTimeZoneIdAvailable(name)) {
        return {};
    }
    // Qt makes a zone it has no data for invalid rather than failing.
    return QTimeZone(name);
}

QTimeZone CityTimeZone(std::string_view label) {
    const WorldCity* city = FindWorldCity(label);
    if (city == nullptr) {
        return {};
    }
    // The table's names are the tz database's own, asked for without the list's check.
    return QTimeZone(QByteArray(city->tzName));
}

QTimeZone EntryTimeZone(std::string_view tzName, std::string_view label) {
    QTimeZone zone = KnownTimeZone(tzName);
    if (zone.isValid()) {
        return zone;
    }
    return CityTimeZone(label);
}

QDateTime UtcDateTime(std::int64_t utcSeconds) {
    // Made once: a zone object is not free to build, and this runs for every city on every frame.
    static const QTimeZone utc = QTimeZone::utc();
    return QDateTime::fromSecsSinceEpoch(utcSeconds, utc);
}

std::int64_t CityUtcOffset(const QTimeZone& zone, ZoneCode code, std::int64_t utcSeconds,
                           DaylightRules& rules) {
    const QDateTime at = UtcDateTime(utcSeconds);
    if (!zone.isValid() || !at.isValid()) {
        return ZoneCodeOffset(code, utcSeconds, rules);
    }
    return zone.offsetFromUtc(at);
}

} // namespace chronivo
