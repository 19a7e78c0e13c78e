#include "time/local_time.h"

#include <array>
#include <limits>

#include <locale.h>
#include <time.h>

namespace chronivo {

namespace {

// time_t must hold our 64-bit times; a 32-bit time_t would wrap in 2038.
static_assert(sizeof(std::time_t) >= 8, "Chronivo needs a 64-bit time_t");

#if defined(_WIN32)
using CLocale = _locale_t;
CLocale MakeCLocale() {
    return _create_locale(LC_ALL, "C");
}
#else
using CLocale = locale_t;
CLocale MakeCLocale() {
    return newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
}
#endif

// The C locale, made once and kept for the life of the process (null if it cannot be made, in
// which case nothing is formatted rather than formatting in the user's language).
CLocale TheCLocale() {
    static const CLocale s_cLocale = MakeCLocale();
    return s_cLocale;
}

// a + b into out, false (out untouched) when the sum leaves the 64-bit range.
bool AddChecked(std::int64_t a, std::int64_t b, std::int64_t& out) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    if ((b > 0 && a > kMax - b) || (b < 0 && a < kMin - b)) {
        return false;
    }
    out = a + b;
    return true;
}

} // namespace

std::optional<std::tm> LocalFields(std::int64_t utcSeconds) {
    const auto t = static_cast<std::time_t>(utcSeconds);
    std::tm fields{};
#if defined(_WIN32)
    if (localtime_s(&fields, &t) != 0) {
        return std::nullopt;
    }
#else
    if (localtime_r(&t, &fields) == nullptr) {
        return std::nullopt;
    }
#endif
    return fields;
}

std::optional<std::tm> FieldsAtOffset(std::int64_t utcSeconds, std::int64_t offsetSeconds) {
    std::int64_t shifted = 0;
    if (!AddChecked(utcSeconds, offsetSeconds, shifted)) {
        return std::nullopt;
    }
    const auto t = static_cast<std::time_t>(shifted);
    std::tm fields{};
#if defined(_WIN32)
    if (gmtime_s(&fields, &t) != 0) {
        return std::nullopt;
    }
#else
    if (gmtime_r(&t, &fields) == nullptr) {
        return std::nullopt;
    }
#endif
    fields.tm_isdst = 0;
    return fields;
}

std::int64_t UtcOffsetAt(std::int64_t utcSeconds) {
    const std::optional<std::tm> local = LocalFields(utcSeconds);
    if (!local) {
        return 0;
    }
#if defined(_WIN32)
    // Read the local fields back as if they were UTC; the difference is the offset.
    std::tm copy = *local;
    const std::int64_t asUtc = _mkgmtime64(&copy);
    return asUtc == -1 ? 0 : asUtc - utcSeconds;
#else
    return local->tm_gmtoff;
#endif
}

std::string FormatTimeC(const char* pattern, const std::tm& fields) {
    const CLocale c = TheCLocale();
    if (pattern == nullptr || c == CLocale{}) {
        return {};
    }
    std::array<char, kFormatBufferSize> buffer{};
#if defined(_WIN32)
    const std::size_t n = _strftime_l(buffer.data(), buffer.size(), pattern, &fields, c);
#else
    const std::size_t n = strftime_l(buffer.data(), buffer.size(), pattern, &fields, c);
#endif
    // strftime gives 0 both for "did not fit" and for an empty result: either way, empty.
    return std::string(buffer.data(), n);
}

std::string FormatLocalTime(const char* pattern, std::int64_t utcSeconds) {
    const std::optional<std::tm> local = LocalFields(utcSeconds);
    if (!local) {
        return {};
    }
    return FormatTimeC(pattern, *local);
}

} // namespace chronivo
