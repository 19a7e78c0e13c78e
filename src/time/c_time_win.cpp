#include "time/c_time.h"

#include <cstring>
#include <iomanip>
#include <locale>
#include <sstream>
#include <string>

#include <time.h>

namespace chronivo {

bool LocalFieldsOf(std::time_t t, std::tm& fields) {
    return localtime_s(&fields, &t) == 0;
}

bool SystemZoneReadable() {
    return true;
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

// The C runtime mingw links against (msvcrt) has no _strftime_l; the C++ library's classic
// locale formats as strftime does in the C locale.
std::size_t FormatInCLocale(char* buffer, std::size_t size, const char* pattern,
                            const std::tm& fields) {
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << std::put_time(&fields, pattern);
    const std::string formatted = text.str();
    if (formatted.size() >= size) {
        return 0; // did not fit, as strftime says it
    }
    std::memcpy(buffer, formatted.c_str(), formatted.size() + 1);
    return formatted.size();
}

} // namespace chronivo
