#include "time/c_time.h"

#include <locale.h>
#include <time.h>

namespace chronivo {

namespace {

// The C locale, made once and kept for the life of the process (null if it cannot be made, in
// which case nothing is formatted rather than formatting in the user's language).
_locale_t TheCLocale() {
    static const _locale_t s_cLocale = _create_locale(LC_ALL, "C");
    return s_cLocale;
}

} // namespace

bool LocalFieldsOf(std::time_t t, std::tm& fields) {
    return localtime_s(&fields, &t) == 0;
}

bool UtcFieldsOf(std::time_t t, std::tm& fields) {
    return gmtime_s(&fields, &t) == 0;
}

long long UtcOffsetOf(const std::tm& local, std::time_t t) {
    // Read the local fields back as if they were UTC; the difference is the offset.
    std::tm copy = local;
    const long long asUtc = _mkgmtime64(&copy);
    return asUtc == -1 ? 0 : asUtc - static_cast<long long>(t);
}

std::size_t FormatInCLocale(char* buffer, std::size_t size, const char* pattern,
                            const std::tm& fields) {
    const _locale_t c = TheCLocale();
    return c == _locale_t{} ? 0 : _strftime_l(buffer, size, pattern, &fields, c);
}

} // namespace chronivo
