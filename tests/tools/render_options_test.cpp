#include "render_options.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <variant>

namespace chronivo {
namespace {

class RenderOptionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
    }
    void TearDown() override {
        unsetenv("TZ");
        tzset();
    }
};

struct TimeCase {
    const char* text;
    bool valid;
    std::int64_t seconds; // UTC, when valid
    int millis;
};

TEST_F(RenderOptionsTest, FrameTimes) {
    // 2026-01-16 12:00:00 UTC is 1768564800; Berlin is UTC+1 in winter, UTC+2 in summer.
    const TimeCase cases[] = {
        {"2026-01-16T12:00:00Z", true, 1768564800, 0},       // UTC
        {"2026-01-16T12:00:00.250Z", true, 1768564800, 250}, // milliseconds
        {"2026-01-16T13:00:00", true, 1768564800, 0},        // local winter time, UTC+1
        {"2026-07-01T12:00:00.999", true, 1782900000, 999},  // local summer time, UTC+2
        {"1969-12-31T23:59:59Z", true, -1, 0},               // before 1970
        {"2028-02-29T00:00:00Z", true, 1835395200, 0},       // a leap day
        {"2026-02-29T00:00:00Z", false, 0, 0},               // no leap day that year
        {"2026-04-31T00:00:00Z", false, 0, 0},               // April has 30 days
        {"2026-13-01T00:00:00Z", false, 0, 0},               // month 13
        {"2026-01-16T24:00:00Z", false, 0, 0},               // hour 24
        {"2026-01-16T12:60:00Z", false, 0, 0},               // minute 60
        {"2026-01-16T12:00:60Z", false, 0, 0},               // no leap seconds
        {"0000-01-01T00:00:00Z", false, 0, 0},               // year 0
        {"2026-01-16T12:00Z", false, 0, 0},                  // seconds missing
        {"2026-01-16 12:00:00Z", false, 0, 0},               // blank for T
        {"2026-01-16T12:00:00.25Z", false, 0, 0},            // two-digit milliseconds
        {"2026-01-16T12:00:00z", false, 0, 0},               // lower-case z
        {"2026-01-16T12:00:00+01:00", false, 0, 0},          // offsets are not part of the form
        {"2026-01-16T12:00:00Z ", false, 0, 0},              // trailing blank
        {"", false, 0, 0},
    };
    for (const TimeCase& c : cases) {
        const auto parsed = ParseFrameTime(QString::fromLatin1(c.text));
        EXPECT_EQ(parsed.has_value(), c.valid) << c.text;
        if (parsed && c.valid) {
            EXPECT_EQ(parsed->seconds, c.seconds) << c.text;
            EXPECT_EQ(parsed->millis, c.millis) << c.text;
        }
    }
}

TEST_F(RenderOptionsTest, DefaultsWithoutArguments) {
    // No arguments: the user's settings, now, 1920 x 1080 at 96 dpi, one frame, 100 ms, no
    // output.
    const auto parsed = ParseRenderOptions({});
    ASSERT_TRUE(std::holds_alternative<RenderOptions>(parsed));
    const auto& o = std::get<RenderOptions>(parsed);
    EXPECT_TRUE(o.settingsFile.isEmpty());
    EXPECT_FALSE(o.at.has_value());
    EXPECT_EQ(o.size, QSize(1920, 1080));
    EXPECT_EQ(o.dpi, 96);
    EXPECT_EQ(o.frames, 1);
    EXPECT_EQ(o.stepMs, 100);
    EXPECT_TRUE(o.pngFile.isEmpty());
    EXPECT_FALSE(o.json);
}

TEST_F(RenderOptionsTest, EveryOptionTaken) {
    // Every option with its value, in any order.
    const auto parsed = ParseRenderOptions({"--json", "--png", "out.png", "--step-ms", "0",
                                            "--frames", "5", "--dpi", "144", "--size", "800x600",
                                            "--at", "2026-01-16T12:00:00Z", "--settings", "s.ini"});
    ASSERT_TRUE(std::holds_alternative<RenderOptions>(parsed));
    const auto& o = std::get<RenderOptions>(parsed);
    EXPECT_EQ(o.settingsFile, "s.ini");
    EXPECT_EQ(o.at, (TimeSample{1768564800, 0}));
    EXPECT_EQ(o.size, QSize(800, 600));
    EXPECT_EQ(o.dpi, 144);
    EXPECT_EQ(o.frames, 5);
    EXPECT_EQ(o.stepMs, 0);
    EXPECT_EQ(o.pngFile, "out.png");
    EXPECT_TRUE(o.json);
}

} // namespace
} // namespace chronivo
