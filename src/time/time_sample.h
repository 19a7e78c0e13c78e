#pragma once

#include <cstdint>

namespace chronivo {

// One reading of the clock: whole seconds since 1970-01-01 00:00 UTC, 64-bit so that dates
// after 2038 and before 1970 work, and the milliseconds within that second, 0 to 999.
struct TimeSample {
    std::int64_t seconds = 0;
    int millis = 0;

    friend bool operator==(const TimeSample&, const TimeSample&) = default;
};

// Where the saver gets the time. Logic never reads the clock itself: the saver window asks its
// Clock once per frame, and tests and chronivo-render hand it a clock of their own.
class Clock {
public:
    virtual ~Clock() = default;
    virtual TimeSample Now() const = 0;
};

// The computer's real-time clock.
const Clock& SystemClock();

// A clock that stands where it was put, for tests and off-screen rendering.
class FixedClock final : public Clock {
public:
    explicit FixedClock(TimeSample now = {})
        : m_now(now) {}

    TimeSample Now() const override { return m_now; }
    void Set(TimeSample now) { m_now = now; }
    // Moves the clock on by a number of milliseconds (negative moves it back).
    void Advance(std::int64_t milliseconds);

private:
    TimeSample m_now;
};

} // namespace chronivo
