#include "time/world_time.h"

#include <optional>

#include "time/daylight_rule.h"
#include "time/local_time.h"

namespace chronivo {

ZoneParts DecodeZoneCode(ZoneCode code) {
    // The bit is taken from the unsigned pattern so that -35999 reads as "daylight" too; the
    // subtraction makes the halving exact for negative codes as well.
    const std::int32_t bit = static_cast<std::int32_t>(static_cast<std::uint32_t>(code) & 1u);
    return {(code - bit) / 2, bit != 0};
}

// Grouped by code, groups in the order of their first appearance, cities in the order added.
// Some codes are not the cities' present-day offsets (Kamchatka 1, Suva and Wellington 0,
// Kiritimati 14400, St. John's -17999): the codes are kept exactly as users have always had
// them, since their stored selections and other readers carry these codes. What a label shows
// comes from the tz zone instead.
const std::array<WorldCity, kWorldCityCount> WorldCityTable = {
    WorldCity{"Dublin", 1, "Europe/Dublin"},
    WorldCity{"Kamchatka", 1, "Asia/Kamchatka"},
    WorldCity{"Lisbon", 1, "Europe/Lisbon"},
    WorldCity{"London", 1, "Europe/London"},
    WorldCity{"Casablanca", 0, "Africa/Casablanca"},
    WorldCity{"Reykjavik", 0, "Atlantic/Reykjavik"},
    WorldCity{"Suva", 0, "Pacific/Fiji"},
    WorldCity{"Wellington", 0, "Pacific/Auckland"},
    WorldCity{"Algiers", 7200, "Africa/Algiers"},
    WorldCity{"Lagos", 7200, "Africa/Lagos"},
    WorldCity{"Amsterdam", 7201, "Europe/Amsterdam"},
    WorldCity{"Barcelona", 7201, "Europe/Madrid"},
    WorldCity{"Belgrade", 7201, "Europe/Belgrade"},
    WorldCity{"Berlin", 7201, "Europe/Berlin"},
    WorldCity{"Brussels", 7201, "Europe/Brussels"},
    WorldCity{"Budapest", 7201, "Europe/Budapest"},
    WorldCity{"Copenhagen", 7201, "Europe/Copenhagen"},
    WorldCity{"Frankfurt", 7201, "Europe/Berlin"},
    WorldCity{"Geneva", 7201, "Europe/Zurich"},
    WorldCity{"Madrid", 7201, "Europe/Madrid"},
    WorldCity{"Oslo", 7201, "Europe/Oslo"},
    WorldCity{"Paris", 7201, "Europe/Paris"},
    WorldCity{"Prague", 7201, "Europe/Prague"},
    WorldCity{"Rome", 7201, "Europe/Rome"},
    WorldCity{"Stockholm", 7201, "Europe/Stockholm"},
    WorldCity{"Vienna", 7201, "Europe/Vienna"},
    WorldCity{"Warsaw", 7201, "Europe/Warsaw"},
    WorldCity{"Zurich", 7201, "Europe/Zurich"},
    WorldCity{"Zagreb", 7201, "Europe/Zagreb"},
    WorldCity{"Amman", 14401, "Asia/Amman"},
    WorldCity{"Ankara", 14401, "Europe/Istanbul"},
    WorldCity{"Athens", 14401, "Europe/Athens"},
    WorldCity{"Beirut", 14401, "Asia/Beirut"},
    WorldCity{"Bucharest", 14401, "Europe/Bucharest"},
    WorldCity{"Cairo", 14401, "Africa/Cairo"},
    WorldCity{"Helsinki", 14401, "Europe/Helsinki"},
    WorldCity{"Istanbul", 14401, "Europe/Istanbul"},
    WorldCity{"Jerusalem", 14401, "Asia/Jerusalem"},
    WorldCity{"Minsk", 14401, "Europe/Minsk"},
    WorldCity{"Sofia", 14401, "Europe/Sofia"},
    WorldCity{"Cape Town", 14400, "Africa/Johannesburg"},
    WorldCity{"Harare", 14400, "Africa/Harare"},
    WorldCity{"Johannesburg", 14400, "Africa/Johannesburg"},
    WorldCity{"Kiritimati", 14400, "Pacific/Kiritimati"},
    WorldCity{"Tallinn", 14400, "Europe/Tallinn"},
    WorldCity{"Addis Ababa", 21600, "Africa/Addis_Ababa"},
    WorldCity{"Aden", 21600, "Asia/Aden"},
    WorldCity{"Antananarivo", 21600, "Indian/Antananarivo"},
    WorldCity{"Khartoum", 21600, "Africa/Khartoum"},
    WorldCity{"Kuwait City", 21600, "Asia/Kuwait"},
    WorldCity{"Nairobi", 21600, "Africa/Nairobi"},
    WorldCity{"Riyadh", 21600, "Asia/Riyadh"},
    WorldCity{"Baghdad", 21601, "Asia/Baghdad"},
    WorldCity{"Moscow", 21601, "Europe/Moscow"},
    WorldCity{"Tehran", 25201, "Asia/Tehran"},
    WorldCity{"Kabul", 32400, "Asia/Kabul"},
    WorldCity{"Islamabad", 36000, "Asia/Karachi"},
    WorldCity{"Tashkent", 36000, "Asia/Tashkent"},
    WorldCity{"Calcutta", 39600, "Asia/Kolkata"},
    WorldCity{"Mumbai", 39600, "Asia/Kolkata"},
    WorldCity{"New Delhi", 39600, "Asia/Kolkata"},
    WorldCity{"Kathmandu", 41400, "Asia/Kathmandu"},
    WorldCity{"Dhaka", 43200, "Asia/Dhaka"},
    WorldCity{"Rangoon", 46800, "Asia/Yangon"},
    WorldCity{"Bangkok", 50400, "Asia/Bangkok"},
    WorldCity{"Hanoi", 50400, "Asia/Ho_Chi_Minh"},
    WorldCity{"Jakarta", 50400, "Asia/Jakarta"},
    WorldCity{"Beijing", 57600, "Asia/Shanghai"},
    WorldCity{"Hong Kong", 57600, "Asia/Hong_Kong"},
    WorldCity{"Kuala Lumpur", 57600, "Asia/Kuala_Lumpur"},
    WorldCity{"Manila", 57600, "Asia/Manila"},
    WorldCity{"Perth", 57600, "Australia/Perth"},
    WorldCity{"Shanghai", 57600, "Asia/Shanghai"},
    WorldCity{"Singapore", 57600, "Asia/Singapore"},
    WorldCity{"Taipei", 57600, "Asia/Taipei"},
    WorldCity{"Seoul", 64800, "Asia/Seoul"},
    WorldCity{"Tokyo", 64800, "Asia/Tokyo"},
    WorldCity{"Adelaide", 68400, "Australia/Adelaide"},
    WorldCity{"Darwin", 68400, "Australia/Darwin"},
    WorldCity{"Brisbane", 72000, "Australia/Brisbane"},
    WorldCity{"Canberra", 72000, "Australia/Sydney"},
    WorldCity{"Melbourne", 72000, "Australia/Melbourne"},
    WorldCity{"Sydney", 72000, "Australia/Sydney"},
    WorldCity{"Vladivostok", 72001, "Asia/Vladivostok"},
    WorldCity{"Brasilia", -21600, "America/Sao_Paulo"},
    WorldCity{"Buenos Aires", -21600, "America/Argentina/Buenos_Aires"},
    WorldCity{"Montevideo", -21600, "America/Montevideo"},
    WorldCity{"Rio de Janeiro", -21600, "America/Sao_Paulo"},
    WorldCity{"Sao Paulo", -21600, "America/Sao_Paulo"},
    WorldCity{"St. John's", -17999, "America/St_Johns"},
    WorldCity{"Asuncion", -28800, "America/Asuncion"},
    WorldCity{"Caracas", -28800, "America/Caracas"},
    WorldCity{"La Paz", -28800, "America/La_Paz"},
    WorldCity{"San Juan", -28800, "America/Puerto_Rico"},
    WorldCity{"Santiago", -28800, "America/Santiago"},
    WorldCity{"Santo Domingo", -28800, "America/Santo_Domingo"},
    WorldCity{"Halifax", -28799, "America/Halifax"},
    WorldCity{"Atlanta", -35999, "America/New_York"},
    WorldCity{"Boston", -35999, "America/New_York"},
    WorldCity{"Detroit", -35999, "America/Detroit"},
    WorldCity{"Havana", -35999, "America/Havana"},
    WorldCity{"Montreal", -35999, "America/Toronto"},
    WorldCity{"Nassau", -35999, "America/Nassau"},
    WorldCity{"New York", -35999, "America/New_York"},
    WorldCity{"Ottawa", -35999, "America/Toronto"},
    WorldCity{"Toronto", -35999, "America/Toronto"},
    WorldCity{"Washington DC", -35999, "America/New_York"},
    WorldCity{"Bogota", -36000, "America/Bogota"},
    WorldCity{"Indianapolis", -36000, "America/Indiana/Indianapolis"},
    WorldCity{"Kingston", -36000, "America/Jamaica"},
    WorldCity{"Lima", -36000, "America/Lima"},
    WorldCity{"Chicago", -43199, "America/Chicago"},
    WorldCity{"Houston", -43199, "America/Chicago"},
    WorldCity{"Mexico City", -43199, "America/Mexico_City"},
    WorldCity{"Minneapolis", -43199, "America/Chicago"},
    WorldCity{"Montgomery", -43199, "America/Chicago"},
    WorldCity{"New Orleans", -43199, "America/Chicago"},
    WorldCity{"St. Paul", -43199, "America/Chicago"},
    WorldCity{"Winnipeg", -43199, "America/Winnipeg"},
    WorldCity{"Guatemala", -43200, "America/Guatemala"},
    WorldCity{"Managua", -43200, "America/Managua"},
    WorldCity{"San Salvador", -43200, "America/El_Salvador"},
    WorldCity{"Tegucigalpa", -43200, "America/Tegucigalpa"},
    WorldCity{"Aklavik", -50399, "America/Inuvik"},
    WorldCity{"Denver", -50399, "America/Denver"},
    WorldCity{"Salt Lake", -50399, "America/Denver"},
    WorldCity{"Edmonton", -50399, "America/Edmonton"},
    WorldCity{"Phoenix", -50400, "America/Phoenix"},
    WorldCity{"Los Angeles", -57599, "America/Los_Angeles"},
    WorldCity{"San Francisco", -57599, "America/Los_Angeles"},
    WorldCity{"Seattle", -57599, "America/Los_Angeles"},
    WorldCity{"Vancouver", -57599, "America/Vancouver"},
    WorldCity{"Anchorage", -64799, "America/Anchorage"},
    WorldCity{"Honolulu", -72000, "Pacific/Honolulu"},
};

const WorldCity* FindWorldCity(std::string_view label) {
    for (const WorldCity& city : WorldCityTable) {
        if (label == city.name) {
            return &city;
        }
    }
    return nullptr;
}

const char* CityTimePattern(bool use24Hour, bool showSeconds) {
    if (use24Hour) {
        return showSeconds ? " %H:%M:%S" : " %H:%M";
    }
    return showSeconds ? " %I:%M:%S %p" : " %I:%M %p";
}

std::int64_t ZoneCodeOffset(ZoneCode zone, std::int64_t utcSeconds, DaylightRules& rules) {
    const ZoneParts parts = DecodeZoneCode(zone);
    if (!parts.daylight) {
        return parts.offsetSeconds;
    }
    const std::optional<std::tm> standard = FieldsAtOffset(utcSeconds, parts.offsetSeconds);
    if (!standard) {
        return parts.offsetSeconds;
    }
    // tm_year + 1900 in 64 bits: gmtime allows tm_year up to INT_MAX.
    const std::int64_t year = static_cast<std::int64_t>(standard->tm_year) + 1900;
    const DaylightRule& rule =
        rules.ForYear(year > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(year));
    const std::int32_t secondOfDay =
        standard->tm_hour * 3600 + standard->tm_min * 60 + standard->tm_sec;
    return InDaylightPeriod(rule, standard->tm_yday, secondOfDay)
               ? std::int64_t{parts.offsetSeconds} + rule.amountSeconds
               : parts.offsetSeconds;
}

std::string FormatCityLabel(std::string_view label, std::int64_t offsetSeconds,
                            std::int64_t utcSeconds, bool use24Hour, bool showSeconds) {
    std::string text(label);
    if (const std::optional<std::tm> fields = FieldsAtOffset(utcSeconds, offsetSeconds)) {
        text += FormatTimeC(CityTimePattern(use24Hour, showSeconds), *fields);
    }
    return text;
}

} // namespace chronivo
