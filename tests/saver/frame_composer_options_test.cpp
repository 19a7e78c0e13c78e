// Frames with the further options: Drift, LocalNames, Dark, Font and Outline.
#include "saver/frame_composer.h"

#include "saver/rainbow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>

namespace chronivo {
namespace {

// 2026-12-07 15:10:00 UTC, a Monday, on a whole minute; in UTC the clock reads 15:10.
constexpr std::int64_t kMonday = 1796656200;

DaylightRule NoDaylight(std::int32_t) {
    return {};
}

class FrameOptionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
        ResetStripeStateForTesting();
    }
    void TearDown() override { ResetStripeStateForTesting(); }

    static FrameOptions Options(const QLocale& locale = QLocale::c()) {
        FrameOptions options;
        options.ruleOfYear = NoDaylight;
        options.locale = locale;
        return options;
    }
};

SaverSettings WorldOfTwo() {
    SaverSettings s;
    s.m_worldTime = 1;
    s.m_worldCount = 2;
    s.m_worldLabels[0] = "Tokyo";
    s.m_worldZones[0] = 64800;
    s.m_worldLabels[1] = "London";
    s.m_worldZones[1] = 1;
    return s;
}

bool Inside(const FrameRect& r, QSize frame) {
    return r.left >= 0 && r.top >= 0 && r.right <= frame.width() && r.bottom <= frame.height();
}

// Pixels of exactly this colour within the rows top .. bottom - 1.
int CountColour(const QImage& image, int top, int bottom, std::uint32_t color) {
    int count = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += FromPixel(image.pixel(x, y)) == color ? 1 : 0;
        }
    }
    return count;
}

// Pixels within the rows top .. bottom - 1 with no channel above 60: black or nearly.
int CountDark(const QImage& image, int top, int bottom) {
    int count = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            count += std::max({qRed(p), qGreen(p), qBlue(p)}) <= 60 ? 1 : 0;
        }
    }
    return count;
}

TEST_F(FrameOptionsTest, DriftMovesEveryTextOnScreenOncePerMinute) {
    // A clock with its countdown band and a world-time frame, on three screens, at the first
    // frame and through 200 minutes after it: every text inside the screen, each line's font
    // the one it was fitted with, each line moved by the minute's offset from its place in the
    // inset frame. "Drift" as any non-zero number.
    SaverSettings clock;
    clock.m_countdownMode = 2;
    for (const SaverSettings& base : {clock, WorldOfTwo()}) {
        for (const QSize size : {QSize(960, 540), QSize(1920, 1080), QSize(1080, 1920)}) {
            for (const std::int32_t drift : {1, -7, INT_MAX}) {
                SaverSettings settings = base;
                settings.m_drift = drift;
                FrameComposer composer(settings, Options());
                const FrameRect frame{0, 0, size.width(), size.height()};
                const std::int32_t margin = DriftMargin(frame);
                std::map<std::string, std::int32_t> fonts;
                for (std::int64_t minute = 0; minute < 200; minute += 7) {
                    const std::int64_t at = kMonday + 60 * minute + 59;
                    const FrameRecord& r = composer.DrawFrame({at, 900}, size);
                    const FrameRect layout =
                        DriftedLayoutFrame(frame, margin, DriftOffsetAt(at, margin));
                    const FrameRect first = base.m_worldTime != 0 ? WorldBandRect(layout, 2, 0)
                                                                  : ClockLineRects(layout).weekday;
                    const auto& t = r.texts[base.m_worldTime != 0 ? 0 : 2];
                    ASSERT_EQ(t.rect, first) << minute;
                    for (const DrawnText& text : r.texts) {
                        ASSERT_TRUE(Inside(text.rect, size)) << text.role << " " << minute;
                        const auto fitted = fonts.emplace(text.role, text.pixelSize).first;
                        ASSERT_EQ(fitted->second, text.pixelSize) << text.role << " keeps its font";
                    }
                    EXPECT_EQ(FromPixel(composer.FrameImage().pixel(size.width() - 1, 0)),
                              r.background)
                        << "the background still covers the frame";
                }
            }
        }
    }
}

TEST_F(FrameOptionsTest, DriftHoldsWithinTheMinuteAndIsOffByDefault) {
    SaverSettings settings;
    settings.m_drift = 1;
    FrameComposer drifting(settings, Options());
    FrameComposer still(SaverSettings{}, Options());
    const QSize size(960, 540);
    const auto weekday = [&](FrameComposer& c, std::int64_t at, int millis) {
        return c.DrawFrame({at, millis}, size).texts[1].rect;
    };
    const FrameRect atStart = weekday(drifting, kMonday, 0);
    EXPECT_EQ(weekday(drifting, kMonday + 59, 999), atStart) << "15:10:59.999";
    EXPECT_NE(weekday(drifting, kMonday + 60, 0), atStart) << "15:11:00 moves";
    for (const std::int64_t at : {kMonday, kMonday + 60, kMonday + 3600}) {
        EXPECT_EQ(weekday(still, at, 0), ClockLineRects({0, 0, 960, 540}).weekday)
            << "without drift the layout is the frame's";
    }
}

struct NamesCase {
    QLocale locale;
    std::int32_t localNames;
    const char* weekday;
    const char* date;
};

TEST_F(FrameOptionsTest, LocalNamesTakeTheLocalesWeekdayAndDate) {
    // The locale is the composer's, given here; the time keeps the 24-hour pattern, and world
    // labels, which have no locale words, stay as they are.
    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale french(QLocale::French, QLocale::France);
    const NamesCase cases[] = {
        {german, 1, "Montag", "7. Dezember 2026"},
        {french, 1, "lundi", "7 décembre 2026"},
        {french, -1, "lundi", "7 décembre 2026"},
        {QLocale::c(), 1, "Monday", "December 07, 2026"},
        {german, 0, "Monday", "December 07, 2026"},
    };
    for (const auto& c : cases) {
        SaverSettings settings;
        settings.m_localNames = c.localNames;
        settings.m_24Hour = 1;
        FrameComposer composer(settings, Options(c.locale));
        const FrameRecord& r = composer.DrawFrame({kMonday, 0}, QSize(960, 540));
        EXPECT_EQ(r.texts[1].text, QString::fromUtf8(c.weekday)) << c.locale.name().toStdString();
        EXPECT_EQ(r.texts[2].text, QString::fromUtf8(c.date)) << c.locale.name().toStdString();
        EXPECT_EQ(r.texts[3].text, QStringLiteral("15:10")) << c.locale.name().toStdString();

        SaverSettings world = WorldOfTwo();
        world.m_localNames = c.localNames;
        FrameComposer worldComposer(world, Options(c.locale));
        EXPECT_EQ(worldComposer.DrawFrame({kMonday, 0}, QSize(960, 540)).texts[1].text,
                  QStringLiteral("London 03:10 PM"));
    }
}

struct DarkCase {
    std::int32_t rainbow;
    std::int32_t countdownMode;
    bool world;
    const char* fact;
};

TEST_F(FrameOptionsTest, DarkFramesAreBlackWithTextInTheWheelsColour) {
    // 15:10:00 with speed 600: time base 6000, phase 15360, cyan (0xFFFF00) on the wheel; the
    // clock and world labels (black otherwise) cyan, the countdown magenta, a third of a turn
    // on; stripes give way to black. Every pixel is black, or black blended with cyan or magenta.
    const DarkCase cases[] = {
        {0, 0, false, "a solid clock"},
        {1, 2, false, "a striped clock with its countdown"},
        {0, 0, true, "world time"},
        {1, 0, true, "striped world time"},
    };
    for (const auto& c : cases) {
        SaverSettings settings = c.world ? WorldOfTwo() : SaverSettings{};
        settings.m_dark = c.rainbow != 0 ? -1 : 1;
        settings.m_rainbow = c.rainbow;
        settings.m_countdownMode = c.countdownMode;
        FrameComposer composer(settings, Options());
        const FrameRecord& r = composer.DrawFrame({kMonday, 0}, QSize(960, 540));
        EXPECT_EQ(r.background, 0u) << c.fact;
        for (const DrawnText& t : r.texts) {
            EXPECT_EQ(t.color, t.role == "countdown" ? 0xFF00FFu : 0xFFFF00u)
                << c.fact << " " << t.role;
        }
        const QImage& image = composer.FrameImage();
        int others = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                const bool cyan = qRed(p) == 0 && qGreen(p) == qBlue(p);
                const bool magenta = qGreen(p) == 0 && qRed(p) == qBlue(p);
                others += cyan || magenta ? 0 : 1;
            }
        }
        EXPECT_EQ(others, 0) << c.fact;
        EXPECT_GT(CountColour(image, 0, 540, 0xFFFF00), 1000) << c.fact << ": cyan text";
        EXPECT_GT(CountColour(image, 0, 540, 0x000000), 400000) << c.fact << ": black ground";
    }
}

TEST_F(FrameOptionsTest, FontChangesTheLargeTextOnly) {
    // The banner keeps the default face whatever "Font" holds; garbage is the default; an
    // unknown family draws in Qt's substitute.
    const auto draw = [this](const char* font) {
        SaverSettings settings;
        settings.m_font = font;
        FrameComposer composer(settings, Options());
        composer.DrawFrame({kMonday, 0}, QSize(960, 540));
        return composer.FrameImage().copy();
    };
    const QImage plain = draw("");
    const QImage serif = draw("DejaVu Serif:bold");
    EXPECT_NE(serif, plain);
    EXPECT_EQ(serif.copy(0, 0, 960, 10), plain.copy(0, 0, 960, 10)) << "the banner";
    EXPECT_EQ(draw("DejaVu Serif\x01:bold"), plain) << "a control character: the default";
    EXPECT_EQ(draw(std::string(300, 'A').c_str()), plain) << "too long: the default";
    EXPECT_GT(CountColour(draw("No Such Family:bold"), 10, 540, 0x0000FF), 1000)
        << "an unknown family is drawn in another";
}

TEST_F(FrameOptionsTest, OutlineEdgesLargeAndSmallText) {
    // 15:10 on a cyan background with red text: a black edge (red contrasts more with black,
    // 5.25 to 4.0) round the banner and the large lines; without the option no pixel is
    // anywhere near black (red and cyan blend through grey).
    for (const std::int32_t outline : {0, 1, -1, INT_MAX}) {
        SaverSettings settings;
        settings.m_outline = outline;
        FrameComposer composer(settings, Options());
        const FrameRecord& r = composer.DrawFrame({kMonday, 0}, QSize(1920, 1080));
        ASSERT_EQ(r.background, 0xFFFF00u);
        const QImage& image = composer.FrameImage();
        const int bannerEdge = CountDark(image, 0, 10);
        const int largeEdge = CountDark(image, 10, 1080);
        if (outline == 0) {
            EXPECT_EQ(bannerEdge + largeEdge, 0) << "no outline";
        } else {
            EXPECT_GT(bannerEdge, 50) << outline;
            EXPECT_GT(largeEdge, 5000) << outline;
        }
    }
}

} // namespace
} // namespace chronivo
