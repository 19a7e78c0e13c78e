#include "saver/frame_composer.h"

#include "saver/rainbow.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace chronivo {
namespace {

// 2026-01-16 12:00:00 UTC, a Friday; five days later is a Wednesday.
constexpr std::int64_t kFriday = 1768564800;
constexpr std::int64_t kWednesday = 1768996800;

DaylightRule NoDaylight(std::int32_t) {
    return {};
}

void SetZone(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
}

class FrameComposerTest : public ::testing::Test {
protected:
    void SetUp() override { SetZone("UTC"); }

    static FrameOptions Options() {
        FrameOptions options;
        options.ruleOfYear = NoDaylight;
        return options;
    }

    // The stripes' pace of the run the test's windows belong to, fresh for each test.
    StripePace m_pace;
};

std::vector<std::string> Roles(const FrameRecord& record) {
    std::vector<std::string> roles;
    for (const auto& t : record.texts) {
        roles.push_back(t.role);
    }
    return roles;
}

// True when every pixel of row y has the colour.
bool RowIs(const QImage& image, int y, std::uint32_t color) {
    for (int x = 0; x < image.width(); ++x) {
        if (FromPixel(image.pixel(x, y)) != color) {
            return false;
        }
    }
    return true;
}

TEST(BannerTextTest, TwentySixCharactersBeginningWithTheSign) {
    EXPECT_EQ(BannerText().size(), 26);
    EXPECT_TRUE(BannerText().startsWith(QStringLiteral("© ")));
}

TEST(ClockTimePatternTest, FourPatterns) {
    // The time line's pattern by the 24-hour and seconds flags.
    EXPECT_STREQ(ClockTimePattern(true, true), "%H:%M:%S");
    EXPECT_STREQ(ClockTimePattern(true, false), "%H:%M");
    EXPECT_STREQ(ClockTimePattern(false, true), "%I:%M:%S %p");
    EXPECT_STREQ(ClockTimePattern(false, false), "%I:%M %p");
}

struct SwitchCase {
    bool fullScreen;
    double days;
    bool after;
    const char* fact;
};

TEST(FullScreenCountdownAfterTest, StrictOneHourSwitching) {
    const SwitchCase cases[] = {
        {false, 0.05, false, "0.05 days keeps the band"},
        {false, -0.05, false, "before or after the target alike"},
        {false, 0.04, true, "0.04 days goes full-screen"},
        {false, -0.04, true, "an hour before the target too"},
        {true, 0.0416, true, "full-screen at 0.0416 stays"},
        {true, 0.0417, false, "full-screen at 0.0417 returns to the band"},
        {true, -0.0417, false, "before the target too"},
        {false, 0.041666666666666664, false, "exactly one hour leaves the band"},
        {true, 0.041666666666666664, true, "exactly one hour leaves full-screen"},
        {true, -0.041666666666666664, true, "exactly one hour before, too"},
        {false, -0.04166666666666674, false, "just beyond an hour before stays banded"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FullScreenCountdownAfter(c.fullScreen, c.days), c.after) << c.fact;
    }
}

TEST_F(FrameComposerTest, ClockFrameDrawsFourLinesInTheInverseColour) {
    // 12:00:00.000: time base 0, magenta background, green text; the lines in their rectangles.
    SaverSettings settings;
    settings.m_showSeconds = 1;
    FrameComposer composer(settings, m_pace, Options());
    const FrameRecord& r = composer.DrawFrame({kFriday, 0}, QSize(1024, 768));
    EXPECT_EQ(r.kind, "clock");
    EXPECT_EQ(r.timeBase, 0);
    EXPECT_EQ(r.background, 0xFF00FFu);
    EXPECT_FALSE(r.rainbow);
    EXPECT_FALSE(r.countdownDays.has_value()) << "no countdown mode, no countdown";
    ASSERT_EQ(Roles(r), (std::vector<std::string>{"banner", "weekday", "date", "time"}));
    const DrawnText expected[] = {
        {"banner", BannerText(), {0, 0, 1024, 10}, false, 0x00FF00, 0},
        {"weekday", "Friday", {0, 10, 1024, 163}, true, 0x00FF00, 0},
        {"date", "January 16, 2026", {0, 266, 1024, 419}, true, 0x00FF00, 0},
        {"time", "12:00:00 PM", {0, 522, 1024, 675}, true, 0x00FF00, 0},
    };
    for (std::size_t i = 0; i < 4; ++i) {
        DrawnText got = r.texts[i];
        EXPECT_GT(got.pixelSize, 0) << got.role;
        got.pixelSize = 0;
        EXPECT_EQ(got, expected[i]) << expected[i].role;
    }
    EXPECT_LT(r.texts[0].pixelSize, 11) << "the banner's 10-pixel strip gives a small font";
    // Pixels: background between the lines, nothing drawn in the gap.
    const QImage& image = composer.FrameImage();
    EXPECT_EQ(image.size(), QSize(1024, 768));
    EXPECT_TRUE(RowIs(image, 214, 0xFF00FF)) << "between weekday and date";
    EXPECT_TRUE(RowIs(image, 470, 0xFF00FF)) << "between date and time";
    EXPECT_TRUE(RowIs(image, 767, 0xFF00FF)) << "below the time line";
}

TEST_F(FrameComposerTest, RedBackgroundGivesCyanText) {
    // 12:01:00: time base 600, with speed 600 a red background; the text is 0xFFFF00.
    SaverSettings settings;
    settings.m_24Hour = 1;
    FrameComposer composer(settings, m_pace, Options());
    const FrameRecord& r = composer.DrawFrame({kFriday + 60, 0}, QSize(800, 600));
    EXPECT_EQ(r.timeBase, 600);
    EXPECT_EQ(r.background, 0x0000FFu);
    for (const auto& t : r.texts) {
        EXPECT_EQ(t.color, 0xFFFF00u) << t.role;
    }
    EXPECT_EQ(r.texts.back().text, "12:01") << "24-hour clock without seconds";
    EXPECT_EQ(r.texts[2].rect, (FrameRect{0, 210, 800, 330})) << "800 x 600 date line";
}

TEST_F(FrameComposerTest, TimeBaseAndTextsUseTheLocalClock) {
    // Kolkata is 5:30 ahead: 12:00 UTC is 17:30 there, minute 30, time base 18000.
    SetZone("Asia/Kolkata");
    SaverSettings settings;
    FrameComposer composer(settings, m_pace, Options());
    const FrameRecord& r = composer.DrawFrame({kFriday, 949}, QSize(1024, 768));
    EXPECT_EQ(r.timeBase, 18009) << "949 ms round to nine tenths";
    EXPECT_EQ(r.texts[3].text, "05:30 PM");
}

TEST_F(FrameComposerTest, SpeedBelowOneRunsAtTheDefault) {
    // A hand-edited speed of 0 would divide by zero; the frame runs at 600 (red at 12:01).
    SaverSettings settings;
    settings.m_speed = 0;
    FrameComposer composer(settings, m_pace, Options());
    EXPECT_EQ(composer.Speed(), 600);
    EXPECT_EQ(composer.DrawFrame({kFriday + 60, 0}, QSize(64, 48)).background, 0x0000FFu);
}

TEST_F(FrameComposerTest, WeekdaySlotKeepsTheFridayFont) {
    // Fitted to "Friday" on the first frame, "Wednesday" five days later is drawn at that size,
    // and no font is made after the first frame.
    SaverSettings settings;
    FrameComposer composer(settings, m_pace, Options());
    const std::int32_t friday =
        composer.DrawFrame({kFriday, 0}, QSize(1024, 768)).texts[1].pixelSize;
    const std::int64_t made = composer.FontsMade();
    const FrameRecord& r = composer.DrawFrame({kWednesday, 0}, QSize(1024, 768));
    EXPECT_EQ(r.texts[1].text, "Wednesday");
    EXPECT_EQ(r.texts[1].pixelSize, friday);
    EXPECT_EQ(composer.FontsMade(), made);
}

TEST_F(FrameComposerTest, StripedFrameShowsTheStripeColours) {
    // One-pixel stripes at time base 0: x = 0 magenta, x = 512 of 1024 red, in every row.
    SaverSettings settings;
    settings.m_rainbow = 1;
    FrameComposer composer(settings, m_pace, Options());
    const FrameRecord& r = composer.DrawFrame({kFriday, 0}, QSize(1024, 768));
    EXPECT_TRUE(r.rainbow);
    EXPECT_EQ(r.stripeWidth, 1);
    EXPECT_EQ(r.background, 0xFF00FFu) << "the background is the stripe at x = 0";
    EXPECT_EQ(FromPixel(composer.FrameImage().pixel(512, 214)), 0x0000FFu);
    EXPECT_EQ(FromPixel(composer.FrameImage().pixel(0, 214)), 0xFF00FFu);
    EXPECT_EQ(r.texts[1].color, 0x00FF00u) << "text in the inverse of the first stripe";
}

TEST_F(FrameComposerTest, LaggingStripesGiveWayToSolidColour) {
    // Width 1024 with stripes already 129 wide: five lagging frames (the clock standing still)
    // widen them to 130 and clear the window's striped flag; the next frame is solid.
    m_pace.m_stripeWidth = 129;
    SaverSettings settings;
    settings.m_rainbow = 1;
    FrameComposer composer(settings, m_pace, Options());
    for (int i = 0; i < 5; ++i) {
        const FrameRecord& r = composer.DrawFrame({kFriday, 0}, QSize(1024, 768));
        EXPECT_TRUE(r.rainbow) << "frame " << i << " was striped";
        EXPECT_EQ(r.stripeWidth, 129);
    }
    EXPECT_FALSE(composer.Rainbow());
    EXPECT_EQ(m_pace.m_stripeWidth, 130);
    const FrameRecord& r = composer.DrawFrame({kFriday, 0}, QSize(1024, 768));
    EXPECT_FALSE(r.rainbow);
    EXPECT_TRUE(RowIs(composer.FrameImage(), 214, r.background)) << "solid from now on";
    // A new window of the same run reads the setting afresh and stripes again, 130 wide.
    FrameComposer replacement(settings, m_pace, Options());
    EXPECT_EQ(replacement.DrawFrame({kFriday, 0}, QSize(1024, 768)).stripeWidth, 130);
    EXPECT_TRUE(replacement.Rainbow());
}

SaverSettings WorldSettings(int count) {
    const char* labels[] = {"Honolulu", "New York", "Tokyo", "Sydney", "Cairo", "Paris", "London"};
    const ZoneCode zones[] = {-72000, -35999, 64800, 72000, 14401, 7201, 1};
    SaverSettings s;
    s.m_worldTime = 1;
    s.m_worldCount = count;
    s.m_24Hour = 1;
    s.m_showSeconds = 1;
    for (int i = 0; i < count; ++i) {
        s.m_worldEntries[static_cast<std::size_t>(i)].m_label = labels[i];
        s.m_worldEntries[static_cast<std::size_t>(i)].m_zone = zones[i];
    }
    return s;
}

TEST_F(FrameComposerTest, WorldFrameDrawsOneBlackBandPerCity) {
    // Seven cities on 768 rows: bands of 109 rows, one shared font, black labels, no countdown
    // even with a countdown mode set.
    SaverSettings settings = WorldSettings(7);
    settings.m_countdownMode = 2;
    FrameComposer composer(settings, m_pace, Options());
    const FrameRecord& r = composer.DrawFrame({kFriday, 0}, QSize(1024, 768));
    EXPECT_EQ(r.kind, "world");
    EXPECT_FALSE(r.countdownDays.has_value());
    ASSERT_EQ(r.texts.size(), 7u);
    const char* expected[] = {"Honolulu 02:00:00", "New York 07:00:00", "Tokyo 21:00:00",
                              "Sydney 23:00:00",   "Cairo 14:00:00",    "Paris 13:00:00",
                              "London 12:00:00"};
    for (int i = 0; i < 7; ++i) {
        const DrawnText& t = r.texts[static_cast<std::size_t>(i)];
        EXPECT_EQ(t.role, "city");
        EXPECT_EQ(t.text.toStdString(), expected[i]);
        EXPECT_EQ(t.rect, (FrameRect{0, 109 * i, 1024, 109 * (i + 1)}));
        EXPECT_TRUE(t.centre);
        EXPECT_EQ(t.color, 0u) << "labels are black";
        EXPECT_EQ(t.pixelSize, r.texts[0].pixelSize) << "all bands share one font";
    }
    // The darkest pixel of the first band is black; rows 763 to 767 are only background.
    std::uint32_t darkest = 0xFFFFFF;
    for (int y = 0; y < 109; ++y) {
        for (int x = 0; x < 1024; ++x) {
            const QRgb p = composer.FrameImage().pixel(x, y);
            if (qRed(p) + qGreen(p) + qBlue(p) <
                qRed(ToPixel(darkest)) + qGreen(ToPixel(darkest)) + qBlue(ToPixel(darkest))) {
                darkest = FromPixel(p);
            }
        }
    }
    EXPECT_EQ(darkest, 0u);
    for (int y = 763; y < 768; ++y) {
        EXPECT_TRUE(RowIs(composer.FrameImage(), y, r.background)) << "row " << y;
    }
}

// True when every pixel of column x has the colour.
bool ColumnIs(const QImage& image, int x, std::uint32_t color) {
    for (int y = 0; y < image.height(); ++y) {
        if (FromPixel(image.pixel(x, y)) != color) {
            return false;
        }
    }
    return true;
}

TEST_F(FrameComposerTest, WorldBandsKeepEveryLabelOffTheScreensEdges) {
    // No label touches the left or right edge, neither on the first frame nor twelve hours
    // later, when "AM" and "PM" have changed places. The first city has the shortest name.
    struct EdgeCase {
        std::vector<std::string> cities;
        bool showSeconds;
    };
    const EdgeCase cases[] = {
        {{"Rio de Janeiro"}, true},
        {{"Lima", "Rio de Janeiro"}, true},
        {{"Lima", "Rio de Janeiro", "Kuala Lumpur"}, true},
        {{"Reykjavik"}, true}, // fits "12:00:00 PM" tightly at 1920x1080; "AM" is wider
    };
    for (const QSize size : {QSize(1920, 1080), QSize(3840, 2160), QSize(1280, 1024)}) {
        for (const EdgeCase& c : cases) {
            SaverSettings settings;
            settings.m_worldTime = 1;
            settings.m_worldCount = static_cast<std::int32_t>(c.cities.size());
            settings.m_showSeconds = c.showSeconds ? 1 : 0;
            for (std::size_t i = 0; i < c.cities.size(); ++i) {
                settings.m_worldEntries[i].m_label = c.cities[i];
            }
            FrameComposer composer(settings, m_pace, Options());
            for (const std::int64_t at : {kFriday, kFriday + 12 * 3600}) {
                const FrameRecord& r = composer.DrawFrame({at, 0}, size);
                const QImage& image = composer.FrameImage();
                EXPECT_TRUE(ColumnIs(image, 0, r.background) &&
                            ColumnIs(image, size.width() - 1, r.background))
                    << c.cities.back() << " of " << c.cities.size() << " at " << size.width() << "x"
                    << size.height() << ", 12 h later: " << (at != kFriday);
                // Nor does any line run past its band where its ink happens not to show it.
                for (const DrawnText& t : r.texts) {
                    QFont font;
                    font.setPixelSize(t.pixelSize);
                    EXPECT_LE(QFontMetrics(font, &image).horizontalAdvance(t.text), t.rect.Width())
                        << t.text.toStdString() << " at " << size.width() << "x" << size.height();
                }
            }
        }
    }
}

TEST_F(FrameComposerTest, WorldTimeWithoutCitiesIsAClockFrame) {
    // WorldTime set with no entries gives a clock frame.
    FrameComposer composer(WorldSettings(0), m_pace, Options());
    EXPECT_EQ(composer.DrawFrame({kFriday, 0}, QSize(640, 480)).kind, "clock");
}

// Countdown mode 3 titled "Launch", aimed at 2026-01-16 13:00:00: an hour after kFriday.
SaverSettings LaunchSettings() {
    SaverSettings settings;
    settings.m_countdownMode = 3;
    settings.m_title = "Launch";
    settings.m_targetYear = 2026;
    settings.m_targetMonth = 1;
    settings.m_targetDay = 16;
    settings.m_targetHour = 13;
    return settings;
}

struct CountdownFrame {
    std::int64_t secondsFromTarget; // negative before the target
    int millis;
    bool drawnFullScreen; // the state the frame is drawn in
    bool fullScreenAfter;
    const char* fact;
};

TEST_F(FrameComposerTest, FullScreenCountdownSwitchesOnTheFollowingFrame) {
    // Target 2026-01-16 13:00:00 (mode 3, "Launch"); frames in order, state carried along.
    FrameComposer composer(LaunchSettings(), m_pace, Options());
    const std::int64_t target = kFriday + 3600;
    const CountdownFrame frames[] = {
        {-4320, 0, false, false, "0.05 days before: the band"},
        {-3456, 0, false, true, "0.04 days: still the band on this frame, full-screen next"},
        {-3456, 100, true, true, "the first full-screen frame"},
        {-3595, 0, true, true, "0.0416 days keeps full-screen"},
        {-3600, 0, true, true, "exactly an hour leaves full-screen alone"},
        {-3603, 0, true, false, "0.0417 days: drawn full-screen, the band next"},
        {-3603, 100, false, false, "back to the band"},
        {-3600, 0, false, false, "exactly an hour leaves the band alone"},
        {1800, 0, false, true, "half an hour after the target: full-screen next"},
    };
    for (const auto& f : frames) {
        const FrameRecord& r =
            composer.DrawFrame({target + f.secondsFromTarget, f.millis}, QSize(1024, 768));
        EXPECT_EQ(r.fullScreenCountdown, f.drawnFullScreen) << f.fact;
        EXPECT_EQ(composer.FullScreenCountdown(), f.fullScreenAfter) << f.fact;
        ASSERT_TRUE(r.countdownDays.has_value()) << f.fact;
        ASSERT_FALSE(r.texts.empty());
        const DrawnText& countdown = r.texts[0];
        EXPECT_EQ(countdown.role, "countdown") << f.fact;
        const std::uint32_t expectedColor =
            r.background ^ (f.secondsFromTarget >= 0 ? 0xFF00FFu : 0xFFFF00u);
        EXPECT_EQ(countdown.color, expectedColor) << "direction by colour: " << f.fact;
        if (f.drawnFullScreen) {
            EXPECT_EQ(Roles(r), std::vector<std::string>{"countdown"}) << f.fact;
            EXPECT_EQ(countdown.rect, (FrameRect{0, 0, 1024, 768})) << f.fact;
        } else {
            EXPECT_EQ(Roles(r),
                      (std::vector<std::string>{"countdown", "banner", "weekday", "date", "time"}))
                << f.fact;
            EXPECT_EQ(countdown.rect, (FrameRect{0, 704, 1024, 768})) << f.fact;
        }
    }
}

TEST_F(FrameComposerTest, CountdownTextsOfBothForms) {
    // The band shows " title: text "; the full-screen form the bare text, fitted afresh.
    FrameComposer composer(LaunchSettings(), m_pace, Options());
    const std::int64_t target = kFriday + 3600;
    const FrameRecord band = composer.DrawFrame({target - 3456, 0}, QSize(1024, 768)); // a copy
    EXPECT_EQ(band.texts[0].text, " Launch: 57:36.0 ");
    EXPECT_DOUBLE_EQ(*band.countdownDays, -0.04);
    const std::int64_t made = composer.FontsMade();
    const FrameRecord& full = composer.DrawFrame({target - 3456, 100}, QSize(1024, 768));
    EXPECT_EQ(full.texts[0].text, "57:35.9");
    EXPECT_GT(full.texts[0].pixelSize, band.texts[0].pixelSize);
    EXPECT_GT(composer.FontsMade(), made) << "the full-screen countdown fits every frame";
}

TEST_F(FrameComposerTest, CountdownTargetIsFixedOnceAtTheFirstFrame) {
    // Mode 1 counts up from 1 January of the year of the first frame, titled "this year"; a
    // frame in the next year keeps that target.
    SaverSettings settings;
    settings.m_countdownMode = 1;
    settings.m_title = "ignored";
    FrameComposer composer(settings, m_pace, Options());
    EXPECT_FALSE(composer.TargetFixed());
    composer.DrawFrame({kFriday, 0}, QSize(320, 240));
    EXPECT_TRUE(composer.TargetFixed());
    EXPECT_EQ(composer.Title(), "this year");
    EXPECT_EQ(composer.Target(), (CountdownTarget{2026, 1, 1, 0, 0, 0}));
    composer.FixCountdownTarget({kFriday + 400 * 86400, 0});
    EXPECT_EQ(composer.Target().year, 2026) << "fixed once for the life of the window";
    const FrameRecord& r = composer.DrawFrame({kFriday, 0}, QSize(320, 240));
    EXPECT_EQ(r.texts[0].text, " this year: 15:12:00:00.0 ");
}

TEST_F(FrameComposerTest, ComposesInDevicePixels) {
    // At device pixel ratio 2 a 512 x 384 window is composed as 1024 x 768 pixels with fonts
    // for 192 dpi: the rectangles are those of a 1024 x 768 frame.
    FrameOptions options = Options();
    options.devicePixelRatio = 2.0;
    SaverSettings settings;
    FrameComposer composer(settings, m_pace, options);
    EXPECT_EQ(composer.Dpi(), 192);
    const FrameRecord& r = composer.DrawFrame({kFriday, 0}, QSize(512, 384));
    EXPECT_EQ(composer.FrameImage().size(), QSize(1024, 768));
    EXPECT_EQ(r.texts[1].rect, (FrameRect{0, 10, 1024, 163}));
}

TEST_F(FrameComposerTest, BufferIsMadeOnce) {
    // The buffer keeps the first frame's size for the life of the window.
    SaverSettings settings;
    FrameComposer composer(settings, m_pace, Options());
    composer.DrawFrame({kFriday, 0}, QSize(320, 240));
    const qint64 key = composer.FrameImage().cacheKey() >> 32; // the image's serial number
    composer.DrawFrame({kFriday, 100}, QSize(640, 480));
    EXPECT_EQ(composer.FrameImage().size(), QSize(320, 240));
    EXPECT_EQ(composer.FrameImage().cacheKey() >> 32, key);
}

TEST_F(FrameComposerTest, FramesThatCannotBeMadeThrow) {
    // An empty window and a buffer too large to make are failures the window answers by
    // replacing itself.
    SaverSettings settings;
    FrameComposer empty(settings, m_pace, Options());
    EXPECT_THROW(empty.DrawFrame({kFriday, 0}, QSize(0, 768)), FrameError);
    FrameComposer huge(settings, m_pace, Options());
    EXPECT_THROW(huge.DrawFrame({kFriday, 0}, QSize(100000000, 1)), FrameError);
}

struct DpiCase {
    const char* fact;
    std::int32_t dpi;
    double ratio; // device pixel ratio
    QSize window; // logical pixels
    QSize device; // the frame's device pixels
};

TEST_F(FrameComposerTest, AnyDpiComposesWithFontsThatFitTheirRows) {
    // Fonts are made at most kMaxFontPixels high, however large the dpi: every frame is composed,
    // and each clock line's font is no taller than its row, as it is when fitting measures the
    // text truly, unless even the smallest size tried is (at the largest dpi). At 96 dpi, also at
    // ratio 2, fitting starts far below the cap.
    const DpiCase cases[] = {
        {"96 dpi", 96, 1.0, {1920, 1080}, {1920, 1080}},
        {"96 dpi at ratio 2", 96, 2.0, {960, 540}, {1920, 1080}},
        {"where Qt could not make the font", 9900, 1.0, {1920, 1080}, {1920, 1080}},
        {"a huge ratio", 9600, 1000.0, {2, 1}, {2000, 1000}},
        {"the largest dpi at ratio 2", INT32_MAX, 2.0, {960, 540}, {1920, 1080}},
    };
    SaverSettings settings;
    settings.m_countdownMode = 3;
    settings.m_title = "Launch";
    settings.m_targetYear = 2026;
    settings.m_targetMonth = 2;
    settings.m_targetDay = 1;
    for (const DpiCase& c : cases) {
        FrameOptions options = Options();
        options.dpi = c.dpi;
        options.devicePixelRatio = c.ratio;
        FrameComposer composer(settings, m_pace, options);
        const FrameRecord& r = composer.DrawFrame({kFriday, 0}, c.window);
        ASSERT_EQ(composer.FrameImage().size(), c.device) << c.fact;
        ASSERT_EQ(r.texts.size(), 5u) << c.fact;
        const std::int32_t smallest = PointSizeToPixels(composer.Dpi(), FitSizeSequence().back());
        for (const DrawnText& t : r.texts) {
            EXPECT_GE(t.pixelSize, 1) << c.fact << ", " << t.role;
            EXPECT_LE(t.pixelSize, kMaxFontPixels) << c.fact << ", " << t.role;
            if (t.role != std::string("banner") && t.role != std::string("countdown")) {
                EXPECT_TRUE(t.pixelSize <= t.rect.Height() || t.pixelSize == smallest)
                    << c.fact << ", " << t.role << ": " << t.pixelSize << " pixels";
            }
        }
    }
}

} // namespace
} // namespace chronivo
