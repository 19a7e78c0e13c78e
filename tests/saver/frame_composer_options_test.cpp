// Frames with the further options: Drift, LocalNames, Dark, Font and Outline.
#include "saver/frame_composer.h"

#include "saver/rainbow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <string>

namespace chronivo {
namespace {

// 2026-12-07 15:10:00 UTC, a Monday, on a whole minute; in UTC the clock reads 15:10.
constexpr std::int64_t kMonday = 1796656200;

class FrameOptionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
    }

    static FrameOptions Options(const QLocale& locale = QLocale::c()) {
        FrameOptions options;
        options.ruleOfYear = [](std::int32_t) { return DaylightRule{}; };
        options.locale = locale;
        return options;
    }

    StripePace m_pace; // fresh for each test
};

// World time with one city, London (the table's code 1).
SaverSettings WorldOfLondon() {
    SaverSettings s;
    s.m_worldTime = 1;
    s.m_worldCount = 1;
    s.m_worldEntries[0].m_label = "London";
    s.m_worldEntries[0].m_zone = 1;
    return s;
}

// Pixels of rows top .. bottom - 1 for which test(pixel) holds.
template <typename Test>
int Count(const QImage& image, int top, int bottom, Test test) {
    int count = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += test(image.pixel(x, y)) ? 1 : 0;
        }
    }
    return count;
}

TEST_F(FrameOptionsTest, DriftMovesEveryTextOnScreenOncePerMinute) {
    // "Drift" on, for 200 minutes: every text inside the screen, the first large line where the
    // minute's offset puts it. (Off, the lines keep their places: the rectangles
    // of FrameComposerTest.)
    SaverSettings clock; // with its countdown band
    clock.m_countdownMode = 2;
    clock.m_drift = true;
    SaverSettings world = WorldOfLondon();
    world.m_drift = true;
    const struct {
        SaverSettings settings;
        QSize size;
        std::size_t line; // the record's first large line: the weekday, or the city
    } cases[] = {{clock, {960, 540}, 2}, {world, {1080, 1920}, 0}};
    for (const auto& c : cases) {
        FrameComposer composer(c.settings, m_pace, Options());
        const FrameRect frame{0, 0, c.size.width(), c.size.height()};
        const std::int32_t margin = DriftMargin(frame);
        for (std::int64_t at = kMonday; at < kMonday + 12000; at += 7 * 60 + 59) {
            const FrameRect layout = DriftedLayoutFrame(frame, margin, DriftOffsetAt(at, margin));
            const FrameRecord& r = composer.DrawFrame({at, 999}, c.size);
            ASSERT_EQ(r.texts[c.line].rect,
                      c.line == 0 ? WorldBandRect(layout, 1, 0) : ClockLineRects(layout).weekday)
                << at;
            for (const DrawnText& t : r.texts) {
                ASSERT_TRUE(t.rect.left >= 0 && t.rect.top >= 0 && t.rect.right <= c.size.width() &&
                            t.rect.bottom <= c.size.height())
                    << t.role;
            }
        }
    }
}

TEST_F(FrameOptionsTest, LocalNamesTakeTheLocalesWeekdayAndDate) {
    // Monday 7 December 2026 in the composer's locale, from Qt's own locale data; the time keeps
    // the 24-hour pattern, and world labels, which have no locale words, stay as they are.
    const QLocale german(QLocale::German, QLocale::Germany);
    const struct {
        QLocale locale;
        bool localNames;
        const char* weekday;
        const char* date;
    } cases[] = {
        {german, true, "Montag", "7. Dezember 2026"},
        {QLocale(QLocale::French, QLocale::France), true, "lundi", "7 décembre 2026"},
        {QLocale(QLocale::Japanese, QLocale::Japan), true, "月曜日", "2026年12月7日"},
        {QLocale::c(), true, "Monday", "December 07, 2026"},
        {german, false, "Monday", "December 07, 2026"},
    };
    for (const auto& c : cases) {
        SaverSettings settings;
        settings.m_localNames = c.localNames;
        settings.m_24Hour = 1;
        FrameComposer composer(settings, m_pace, Options(c.locale));
        const FrameRecord& r = composer.DrawFrame({kMonday, 0}, QSize(960, 540));
        EXPECT_EQ(r.texts[1].text, QString::fromUtf8(c.weekday)) << c.date;
        EXPECT_EQ(r.texts[2].text, QString::fromUtf8(c.date)) << c.date;
        EXPECT_EQ(r.texts[3].text, QStringLiteral("15:10")) << c.date;
    }
    SaverSettings world = WorldOfLondon();
    world.m_localNames = true;
    FrameComposer worldComposer(world, m_pace, Options(german));
    EXPECT_EQ(worldComposer.DrawFrame({kMonday, 0}, QSize(960, 540)).texts[0].text,
              QStringLiteral("London 03:10 PM"));
}

TEST_F(FrameOptionsTest, DarkFramesAreBlackWithTextInTheWheelsColour) {
    // 15:10:00 with speed 600: phase 15360, cyan (0xFFFF00) on the wheel. The clock and the
    // world labels (black otherwise) cyan, the countdown magenta, a third of a turn on; stripes
    // give way to black. Every pixel black or black blended with cyan or magenta.
    const struct {
        std::int32_t rainbow, countdownMode;
        bool world;
    } cases[] = {{0, 0, false}, {1, 2, false}, {0, 0, true}};
    const auto stray = [](QRgb p) { // neither black nor black blended with cyan or magenta
        return !(qRed(p) == 0 && qGreen(p) == qBlue(p)) && !(qGreen(p) == 0 && qRed(p) == qBlue(p));
    };
    for (const auto& c : cases) {
        SaverSettings settings = c.world ? WorldOfLondon() : SaverSettings{};
        settings.m_dark = true;
        settings.m_rainbow = c.rainbow;
        settings.m_countdownMode = c.countdownMode;
        FrameComposer composer(settings, m_pace, Options());
        const FrameRecord& r = composer.DrawFrame({kMonday, 0}, QSize(960, 540));
        const QImage& image = composer.FrameImage();
        EXPECT_EQ(r.background, 0u);
        for (const DrawnText& t : r.texts) {
            EXPECT_EQ(t.color, t.role == "countdown" ? 0xFF00FFu : 0xFFFF00u) << t.role;
        }
        EXPECT_EQ(Count(image, 0, 540, stray), 0) << c.rainbow;
        EXPECT_GT(Count(image, 0, 540, [](QRgb p) { return FromPixel(p) == 0xFFFF00u; }), 1000);
    }
}

TEST_F(FrameOptionsTest, FontChangesTheLargeTextOnly) {
    // The banner keeps the default face whatever "Font" holds; an unknown family is drawn in
    // Qt's substitute. (Which stored texts count as garbage: FontSettingTest.)
    const auto draw = [this](const std::string& font) {
        SaverSettings settings;
        settings.m_font = font;
        FrameComposer composer(settings, m_pace, Options());
        composer.DrawFrame({kMonday, 0}, QSize(960, 540));
        return composer.FrameImage().copy();
    };
    const QImage plain = draw("");
    const QImage serif = draw("DejaVu Serif:bold");
    EXPECT_NE(serif, plain);
    EXPECT_EQ(serif.copy(0, 0, 960, 10), plain.copy(0, 0, 960, 10)) << "the banner";
    EXPECT_GT(Count(draw("No Such Family:bold"), 10, 540,
                    [](QRgb p) { return FromPixel(p) == 0x0000FFu; }),
              1000)
        << "an unknown family: red text all the same";
}

TEST_F(FrameOptionsTest, OutlineEdgesLargeAndSmallText) {
    // 15:10 on a cyan background with red text: a black edge (red contrasts more with black,
    // 5.25 to 4.0) round the banner and the large lines; without the option no pixel comes
    // near black (red and cyan blend through grey).
    const auto dark = [](QRgb p) { return std::max({qRed(p), qGreen(p), qBlue(p)}) <= 60; };
    for (const bool outline : {false, true}) {
        SaverSettings settings;
        settings.m_outline = outline;
        FrameComposer composer(settings, m_pace, Options());
        ASSERT_EQ(composer.DrawFrame({kMonday, 0}, QSize(1920, 1080)).background, 0xFFFF00u);
        const int banner = Count(composer.FrameImage(), 0, 10, dark);
        const int large = Count(composer.FrameImage(), 10, 1080, dark);
        EXPECT_TRUE(outline ? banner > 50 && large > 5000 : banner + large == 0)
            << outline << ": " << banner << " " << large;
    }
}

} // namespace
} // namespace chronivo
