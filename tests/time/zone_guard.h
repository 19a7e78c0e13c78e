#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace chronivo::test {

// Puts the process in a time zone of the test's choosing for the guard's lifetime (setenv TZ
// and tzset, as the C library asks), and restores the earlier TZ afterwards. A null zone leaves
// TZ unset.
class ZoneGuard {
public:
    explicit ZoneGuard(const char* zone) {
        if (const char* old = std::getenv("TZ")) {
            m_old = old;
        }
        Set(zone);
    }
    ~ZoneGuard() { Set(m_old ? m_old->c_str() : nullptr); }

    ZoneGuard(const ZoneGuard&) = delete;
    ZoneGuard& operator=(const ZoneGuard&) = delete;

private:
    static void Set(const char* zone) {
        if (zone != nullptr) {
            setenv("TZ", zone, 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

    std::optional<std::string> m_old;
};

} // namespace chronivo::test
