#include "zones/zone_lookup.h"

#include <QByteArray>
#include <QDateTime>

#include <array>
#include <utility>

namespace chronivo {
namespace {

// Zones the tz database has renamed, as {today's name, the earlier one}. A system may know only
// one of the two: Qt for Windows maps Windows' zones to the earlier names, and a Linux system may
// keep the earlier ones apart from its zone data. Either name finds the zone wherever one does.
constexpr std::array<std::pair<std::string_view, std::string_view>, 6> kRenamedZones{{
    {"Asia/Kolkata", "Asia/Calcutta"},
    {"Asia/Kathmandu", "Asia/Katmandu"},
    {"Asia/Yangon", "Asia/Rangoon"},
    {"Asia/Ho_Chi_Minh", "Asia/Saigon"},
    {"America/Argentina/Buenos_Aires", "America/Buenos_Aires"},
    {"America/Indiana/Indianapolis", "America/Indianapolis"},
}};

bool ListedZone(std::string_view id) {
    return QTimeZone::isTimeZoneIdAvailable(
        QByteArray(id.data(), static_cast<qsizetype>(id.size())));
}

} // namespace

std::string_view SystemZoneName(std::string_view id) {
    if (id.empty() || ListedZone(id)) {
        return id;
    }
    for (const auto& [today, earlier] : kRenamedZones) {
        const std::string_view other = id == today ? earlier : id == earlier ? today : "";
        if (!other.empty() && ListedZone(other)) {
            return other;
        }
    }
    return id;
}

std::string_view CurrentZoneName(std::string_view id) {
    for (const auto& [today, earlier] : kRenamedZones) {
        if (id == earlier) {
            return today;
        }
    }
    return id;
}

QTimeZone KnownTimeZone(std::string_view id) {
    const std::string_view listed = SystemZoneName(id);
    if (listed.empty() || !ListedZone(listed)) {
        return {};
    }
    // Qt makes a zone it has no data for invalid rather than failing.
    return QTimeZone(QByteArray(listed.data(), static_cast<qsizetype>(listed.size())));
}

QTimeZone CityTimeZone(std::string_view label) {
    const WorldCity* city = FindWorldCity(label);
    if (city == nullptr) {
        return {};
    }
    // The table's names are the tz database's own, asked for without the list's check.
    const std::string_view name = SystemZoneName(city->tzName);
    return QTimeZone(QByteArray(name.data(), static_cast<qsizetype>(name.size())));
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
