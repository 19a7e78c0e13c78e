#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace chronivo {

// Local-time helpers over the C library. Times are 64-bit seconds since 1970-01-01 00:00 UTC,
// so dates after 2038 and before 1970 work. "Local" is the computer's zone as the C library
// sees it (TZ honoured). These functions read that zone but never change any process-wide zone
// state; a caller that changes TZ itself calls tzset() afterwards.

// Calendar fields of a UTC time in the computer's zone (localtime_r / localtime_s), or nothing
// when the C library cannot convert it (a year beyond the range of tm_year, for example).
std::optional<std::tm> LocalFields(std::int64_t utcSeconds);

// Calendar fields of a UTC time read at a fixed offset from UTC (gmtime_r of utc + offset), with
// tm_isdst 0. Nothing when the sum leaves the convertible range.
std::optional<std::tm> FieldsAtOffset(std::int64_t utcSeconds, std::int64_t offsetSeconds);

// The computer's offset from UTC at a moment, in seconds east of UTC, daylight saving included
// (tm_gmtoff of the local fields); 0 when the moment cannot be converted.
std::int64_t UtcOffsetAt(std::int64_t utcSeconds);

// Room for one formatted text, terminating zero included, as the frame's texts have always had.
inline constexpr std::size_t kFormatBufferSize = 128;

// strftime of the fields with the pattern, ALWAYS in the C locale (English names, "AM"/"PM",
// leading zeros) whatever locale the process runs in, into a buffer of kFormatBufferSize
// characters. Empty when the result does not fit, is empty or cannot be made.
std::string FormatTimeC(const char* pattern, const std::tm& fields);

// FormatTimeC of the local fields of a UTC time; empty when the time cannot be converted.
std::string FormatLocalTime(const char* pattern, std::int64_t utcSeconds);

} // namespace chronivo
