#include "saver/world_clock.h"

#include <QByteArray>
#include <QDateTime>

namespace chronivo {

QTimeZone CityTimeZone(std::string_view label) {
    const WorldCity* city = FindWorldCity(label);
    if (city == nullptr) {
        return {};
    }
    // Qt makes a zone it has no data for invalid rather than failing.
    return QTimeZone(QByteArray(city->tzName));
}

QTimeZone EntryTimeZone(std::string_view tzName, std::string_view label) {
    if (!tzName.empty()) {
        const QByteArray id(tzName.data(), static_cast<qsizetype>(tzName.size()));
        if (QTimeZone::isTimeZoneIdAvailable(id)) {
            QTimeZone zone(id);
            if (zone.isValid()) {
                return zone;
            }
        }
    }
    return CityTimeZone(label);
}

std::int64_t CityUtcOffset(const QTimeZone& zone, ZoneCode code, std::int64_t utcSeconds,
                           DaylightRules& rules) {
    const QDateTime at = QDateTime::fromSecsSinceEpoch(utcSeconds, Qt::UTC);
    if (!zone.isValid() || !at.isValid()) {
        return ZoneCodeOffset(code, utcSeconds, rules);
    }
    return zone.offsetFromUtc(at);
}

} // namespace chronivo
