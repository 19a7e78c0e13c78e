#pragma once

#include <cstdint>

#include "time/day_date.h"

namespace chronivo::test {

// UTC seconds since 1970 of a wall-clock moment on a clock offsetSeconds east of UTC (0: a UTC
// moment). Hours 0..23, minutes and seconds 0..59; dates before 1970 give negative seconds.
inline std::int64_t Utc(std::int32_t year, std::int32_t month, std::int32_t day, std::int64_t hour,
                        std::int64_t minute, std::int64_t second, std::int64_t offsetSeconds = 0) {
    return (DayDate(month, day, year).WideDayNumber() - s_epochDayNumber) * 86400 + hour * 3600 +
           minute * 60 + second - offsetSeconds;
}

} // namespace chronivo::test
