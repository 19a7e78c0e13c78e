#include "time/local_time.h"

#include "time/c_time.h"

#include <array>
#include <ctime>
#include <limits>

namespace chronivo {

namespace {

// time_t must hold our 64-bit times; a 32-bit time_t would wrap in 2038.
static_assert(sizeof(std::time_t) >= 8, "Chronivo needs a 64-bit time_t");

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
    if (!LocalFieldsOf(t, fields)) {
        return std::nullopt;
    }
    return fields;
}

std::optional<std::tm> FieldsAtOffset(std::int64_t utcSeconds, std::int64_t offsetSeconds) {
    std::int64_t shifted = 0;
    if (!AddChecked(utcSeconds, offsetSeconds, shifted)) {
        return std::nullopt;
    }
    const auto t = static_cast<std::time_t>(shifted);
    std::tm fields{};
    if (!UtcFieldsOf(t, fields)) {
        return std::nullopt;
    }
    fields.tm_isdst = 0;
    return fields;
}

std::int64_t UtcOffsetAt(std::int64_t utcSeconds) {
    const std::optional<std::tm> local = LocalFields(utcSeconds);
    if (!local) {
        return 0;
    }
    return UtcOffsetOf(*local, static_cast<std::time_t>(utcSeconds));
}

std::string FormatTimeC(const char* pattern, const std::tm& fields) {
    if (pattern == nullptr) {
        return {};
    }
    std::array<char, kFormatBufferSize> buffer{};
    const std::size_t n = FormatInCLocale(buffer.data(), buffer.size(), pattern, fields);
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
