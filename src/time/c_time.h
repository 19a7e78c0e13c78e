#pragma once

#include <cstddef>
#include <ctime>

namespace chronivo {

// The C library's time calls, which each platform spells its own way. One implementation per
// platform, chosen by the build.

// The computer's local fields of `t` (as the C library sees the zone, TZ honoured); false when
// the C library cannot give them.
bool LocalFieldsOf(std::time_t t, std::tm& fields);

// Whether the zone the C library uses while TZ is unset can be read: the zone file /etc/localtime
// on Linux; on Windows the system's own zone, which is always there.
bool SystemZoneReadable();

// The UTC fields of `t`; false when the C library cannot give them.
bool UtcFieldsOf(std::time_t t, std::tm& fields);

// The local zone's offset from UTC, in seconds, at the moment `t` whose local fields are `local`.
long long UtcOffsetOf(const std::tm& local, std::time_t t);

// strftime in the C locale, whatever locale the process runs in: the length written into
// `buffer`, 0 when it did not fit or the C locale cannot be had.
std::size_t FormatInCLocale(char* buffer, std::size_t size, const char* pattern,
                            const std::tm& fields);

} // namespace chronivo
