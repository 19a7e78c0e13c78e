#include "time/c_time.h"

#include <filesystem>
#include <system_error>

#include <locale.h>
#include <time.h>

namespace chronivo {

namespace {

// The C locale, made once and kept for the life of the process (null if it cannot be made, in
// which case nothing is formatted rather than formatting in the user's language).
locale_t TheCLocale() {
    static const locale_t s_cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return s_cLocale;
}

} // namespace

bool LocalFieldsOf(std::time_t t, std::tm& fields) {
    return localtime_r(&t, &fields) != nullptr;
}

bool SystemZoneReadable() {
    std::error_code error;
    return std::filesystem::is_regular_file("/etc/localtime", error);
}

bool UtcFieldsOf(std::time_t t, std::tm& fields) {
    return gmtime_r(&t, &fields) != nullptr;
}

long long UtcOffsetOf(const std::tm& local, std::time_t /*t*/) {
    return local.tm_gmtoff;
}

std::size_t FormatInCLocale(char* buffer, std::size_t size, const char* pattern,
                            const std::tm& fields) {
    const locale_t c = TheCLocale();
    return c == locale_t{} ? 0 : strftime_l(buffer, size, pattern, &fields, c);
}

} // namespace chronivo
