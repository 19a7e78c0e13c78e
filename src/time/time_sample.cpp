#include "time/time_sample.h"

#include <chrono>

namespace chronivo {

namespace {

class SystemClockImpl final : public Clock {
public:
    TimeSample Now() const override {
        using namespace std::chrono;
        const auto sinceEpoch =
            duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
        // Floor division, so a moment before 1970 still has milliseconds 0 to 999.
        std::int64_t seconds = sinceEpoch / 1000;
        std::int64_t millis = sinceEpoch % 1000;
        if (millis < 0) {
            millis += 1000;
            seconds -= 1;
        }
        return {seconds, static_cast<int>(millis)};
    }
};

} // namespace

const Clock& SystemClock() {
    static const SystemClockImpl clock;
    return clock;
}

void FixedClock::Advance(std::int64_t milliseconds) {
    std::int64_t total = m_now.seconds * 1000 + m_now.millis + milliseconds;
    std::int64_t seconds = total / 1000;
    std::int64_t millis = total % 1000;
    if (millis < 0) {
        millis += 1000;
        seconds -= 1;
    }
    m_now = {seconds, static_cast<int>(millis)};
}

} // namespace chronivo
