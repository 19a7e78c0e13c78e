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
// Some codes are deliberately not the cities' present-day offsets (Kamchatka 1, Suva and
// Wellington 0, Kiritimati 14400, St. John's -17999): the table is kept exactly as users have
// always had it, since their stored selections carry these codes.
const std::array<WorldCity, kWorldCityCount> WorldCityTable = {
    WorldCity{"Dublin", 1},
    WorldCity{"Kamchatka", 1},
    WorldCity{"Lisbon", 1},
    WorldCity{"London", 1},
    WorldCity{"Casablanca", 0},
    WorldCity{"Reykjavik", 0},
    WorldCity{"Suva", 0},
    WorldCity{"Wellington", 0},
    WorldCity{"Algiers", 7200},
    WorldCity{"Lagos", 7200},
    WorldCity{"Amsterdam", 7201},
    WorldCity{"Barcelona", 7201},
    WorldCity{"Belgrade", 7201},
    WorldCity{"Berlin", 7201},
    WorldCity{"Brussels", 7201},
    WorldCity{"Budapest", 7201},
    WorldCity{"Copenhagen", 7201},
    WorldCity{"Frankfurt", 7201},
    WorldCity{"Geneva", 7201},
    WorldCity{"Madrid", 7201},
    WorldCity{"Oslo", 7201},
    WorldCity{"Paris", 7201},
    WorldCity{"Prague", 7201},
    WorldCity{"Rome", 7201},
    WorldCity{"Stockholm", 7201},
    WorldCity{"Vienna", 7201},
    WorldCity{"Warsaw", 7201},
    WorldCity{"Zurich", 7201},
    WorldCity{"Zagreb", 7201},
    WorldCity{"Amman", 14401},
    WorldCity{"Ankara", 14401},
    WorldCity{"Athens", 14401},
    WorldCity{"Beirut", 14401},
    WorldCity{"Bucharest", 14401},
    WorldCity{"Cairo", 14401},
    WorldCity{"Helsinki", 14401},
    WorldCity{"Istanbul", 14401},
    WorldCity{"Jerusalem", 14401},
    WorldCity{"Minsk", 14401},
    WorldCity{"Sofia", 14401},
    WorldCity{"Cape Town", 14400},
    WorldCity{"Harare", 14400},
    WorldCity{"Johannesburg", 14400},
    WorldCity{"Kiritimati", 14400},
    WorldCity{"Tallinn", 14400},
    WorldCity{"Addis Ababa", 21600},
    WorldCity{"Aden", 21600},
    WorldCity{"Antananarivo", 21600},
    WorldCity{"Khartoum", 21600},
    WorldCity{"Kuwait City", 21600},
    WorldCity{"Nairobi", 21600},
    WorldCity{"Riyadh", 21600},
    WorldCity{"Baghdad", 21601},
    WorldCity{"Moscow", 21601},
    WorldCity{"Tehran", 25201},
    WorldCity{"Kabul", 32400},
    WorldCity{"Islamabad", 36000},
    WorldCity{"Tashkent", 36000},
    WorldCity{"Calcutta", 39600},
    WorldCity{"Mumbai", 39600},
    WorldCity{"New Delhi", 39600},
    WorldCity{"Kathmandu", 41400},
    WorldCity{"Dhaka", 43200},
    WorldCity{"Rangoon", 46800},
    WorldCity{"Bangkok", 50400},
    WorldCity{"Hanoi", 50400},
    WorldCity{"Jakarta", 50400},
    WorldCity{"Beijing", 57600},
    WorldCity{"Hong Kong", 57600},
    WorldCity{"Kuala Lumpur", 57600},
    WorldCity{"Manila", 57600},
    WorldCity{"Perth", 57600},
    WorldCity{"Shanghai", 57600},
    WorldCity{"Singapore", 57600},
    WorldCity{"Taipei", 57600},
    WorldCity{"Seoul", 64800},
    WorldCity{"Tokyo", 64800},
    WorldCity{"Adelaide", 68400},
    WorldCity{"Darwin", 68400},
    WorldCity{"Brisbane", 72000},
    WorldCity{"Canberra", 72000},
    WorldCity{"Melbourne", 72000},
    WorldCity{"Sydney", 72000},
    WorldCity{"Vladivostok", 72001},
    WorldCity{"Brasilia", -21600},
    WorldCity{"Buenos Aires", -21600},
    WorldCity{"Montevideo", -21600},
    WorldCity{"Rio de Janeiro", -21600},
    WorldCity{"Sao Paulo", -21600},
    WorldCity{"St. John's", -17999},
    WorldCity{"Asuncion", -28800},
    WorldCity{"Caracas", -28800},
    WorldCity{"La Paz", -28800},
    WorldCity{"San Juan", -28800},
    WorldCity{"Santiago", -28800},
    WorldCity{"Santo Domingo", -28800},
    WorldCity{"Halifax", -28799},
    WorldCity{"Atlanta", -35999},
    WorldCity{"Boston", -35999},
    WorldCity{"Detroit", -35999},
    WorldCity{"Havana", -35999},
    WorldCity{"Montreal", -35999},
    WorldCity{"Nassau", -35999},
    WorldCity{"New York", -35999},
    WorldCity{"Ottawa", -35999},
    WorldCity{"Toronto", -35999},
    WorldCity{"Washington DC", -35999},
    WorldCity{"Bogota", -36000},
    WorldCity{"Indianapolis", -36000},
    WorldCity{"Kingston", -36000},
    WorldCity{"Lima", -36000},
    WorldCity{"Chicago", -43199},
    WorldCity{"Houston", -43199},
    WorldCity{"Mexico City", -43199},
    WorldCity{"Minneapolis", -43199},
    WorldCity{"Montgomery", -43199},
    WorldCity{"New Orleans", -43199},
    WorldCity{"St. Paul", -43199},
    WorldCity{"Winnipeg", -43199},
    WorldCity{"Guatemala", -43200},
    WorldCity{"Managua", -43200},
    WorldCity{"San Salvador", -43200},
    WorldCity{"Tegucigalpa", -43200},
    WorldCity{"Aklavik", -50399},
    WorldCity{"Denver", -50399},
    WorldCity{"Salt Lake", -50399},
    WorldCity{"Edmonton", -50399},
    WorldCity{"Phoenix", -50400},
    WorldCity{"Los Angeles", -57599},
    WorldCity{"San Francisco", -57599},
    WorldCity{"Seattle", -57599},
    WorldCity{"Vancouver", -57599},
    WorldCity{"Anchorage", -64799},
    WorldCity{"Honolulu", -72000},
};

bool ZoneCodeBefore(ZoneCode a, ZoneCode b) {
    if (a < 0) {
        return b >= 0 || a < b;
    }
    return b >= 0 && a > b;
}

const char* CityTimePattern(bool use24Hour, bool showSeconds) {
    if (use24Hour) {
        return showSeconds ? " %H:%M:%S" : " %H:%M";
    }
    return showSeconds ? " %I:%M:%S %p" : " %I:%M %p";
}

std::string FormatCityLabel(std::string_view label, ZoneCode zone, std::int64_t utcSeconds,
                            bool use24Hour, bool showSeconds, DaylightRules& rules) {
    const ZoneParts parts = DecodeZoneCode(zone);
    std::int64_t offset = parts.offsetSeconds;
    std::optional<std::tm> fields = FieldsAtOffset(utcSeconds, offset); // standard time
    if (fields && parts.daylight) {
        // tm_year + 1900 in 64 bits: gmtime allows tm_year up to INT_MAX.
        const std::int64_t year = static_cast<std::int64_t>(fields->tm_year) + 1900;
        const DaylightRule& rule =
            rules.ForYear(year > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(year));
        const std::int32_t secondOfDay =
            fields->tm_hour * 3600 + fields->tm_min * 60 + fields->tm_sec;
        if (InDaylightPeriod(rule, fields->tm_yday, secondOfDay)) {
            offset += rule.amountSeconds;
            fields = FieldsAtOffset(utcSeconds, offset);
        }
    }
    std::string text(label);
    if (fields) {
        text += FormatTimeC(CityTimePattern(use24Hour, showSeconds), *fields);
    }
    return text;
}

} // namespace chronivo
