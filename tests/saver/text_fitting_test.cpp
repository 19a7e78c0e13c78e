#include "saver/text_fitting.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace chronivo {
namespace {

TEST(FitSizeTest, SequenceShrinksByAnEighthDownTo42) {
    // Every size FitFont tries from 480 points: at most 36 fonts, the smallest 4.2 points.
    const std::vector<std::int32_t> expected = {
        4800, 4200, 3675, 3215, 2813, 2461, 2153, 1883, 1647, 1441, 1260, 1102,
        964,  843,  737,  644,  563,  492,  430,  376,  329,  287,  251,  219,
        191,  167,  146,  127,  111,  97,   84,   73,   63,   55,   48,   42};
    EXPECT_EQ(FitSizeSequence(), expected);
    EXPECT_EQ(NextFitSize(42), 36) << "the size after 42 is below 40 and is not tried";
    EXPECT_EQ(NextFitSize(45), 39) << "39 is not tried either";
    EXPECT_EQ(FitSizeSequence(45), (std::vector<std::int32_t>{45}));
}

struct PixelCase {
    std::int32_t dpi, size, pixels;
    const char* fact;
};

TEST(FitSizeTest, PixelHeightIsDpiTimesSizeOver720) {
    const PixelCase cases[] = {
        {96, 4800, 640, "480 points at 96 dpi are 640 pixels"},
        {96, 42, 5, "4.2 points at 96 dpi truncate to 5 pixels"},
        {96, 73, 9, "7.3 points at 96 dpi truncate to 9 pixels"},
        {120, 4800, 800, "a 120 dpi screen"},
        {192, 4200, 1120, "a 192 dpi screen (96 dpi at device pixel ratio 2)"},
        {1, 42, 1, "a font is at least one pixel high"},
        {614, 4800, 4093, "fitting starts below the cap up to 614 dpi"},
        {615, 4800, kMaxFontPixels, "and at the cap from 615 dpi"},
        {INT32_MAX, INT32_MAX, kMaxFontPixels, "no dpi and size go past it"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PointSizeToPixels(c.dpi, c.size), c.pixels) << c.fact;
    }
}

// A painter on a white buffer with black text, as a frame draws it.
struct Canvas {
    QImage image;
    QPainter painter;
    explicit Canvas(QSize size)
        : image(size, QImage::Format_RGB32) {
        image.fill(Qt::white);
        painter.begin(&image);
        painter.setPen(Qt::black);
    }
};

// Columns and rows holding any non-white pixel: (left, top, right, bottom), exclusive.
FrameRect Ink(const QImage& image) {
    FrameRect ink{image.width(), image.height(), 0, 0};
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                ink = {std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x + 1),
                       std::max(ink.bottom, y + 1)};
            }
        }
    }
    return ink;
}

TEST(FitFontTest, ReturnsTheLargestSizeThatFits) {
    // The fitted font's text fits its rectangle; one size larger it does not.
    Canvas canvas({1200, 400});
    TextFitting fitting(96);
    const FrameRect rect{0, 10, 1024, 163};
    const QString texts[] = {"Friday", "Wednesday", "January 15, 2026", "12:34:56 PM"};
    for (const QString& text : texts) {
        const QFont font = fitting.FitFont(canvas.painter, QString(), kFitStartSize, rect, text);
        const auto sizes = FitSizeSequence();
        const auto it = std::find_if(sizes.begin(), sizes.end(), [&](std::int32_t s) {
            return PointSizeToPixels(96, s) == font.pixelSize();
        });
        ASSERT_NE(it, sizes.end())
            << "the pixel size comes from the size sequence: " << text.toStdString();
        canvas.painter.setFont(font);
        EXPECT_TRUE(TextFits(MeasureText(canvas.painter, rect, text), rect)) << text.toStdString();
        ASSERT_NE(it, sizes.begin()) << "480 points cannot fit 153 rows";
        QFont larger = font;
        larger.setPixelSize(PointSizeToPixels(96, *(it - 1)));
        canvas.painter.setFont(larger);
        EXPECT_FALSE(TextFits(MeasureText(canvas.painter, rect, text), rect))
            << "one size larger does not fit: " << text.toStdString();
        EXPECT_EQ(fitting.TempFont(), font) << "the fitted font is the temporary font";
    }
}

TEST(FitFontTest, TooLongEvenAt42IsDrawnAt42) {
    // A three-pixel rectangle fits nothing: all 36 sizes are tried, the last (42) is returned.
    Canvas canvas({200, 60});
    TextFitting fitting(96);
    const FrameRect rect{20, 20, 23, 23};
    const std::int32_t pixels =
        fitting.DrawFittedText(canvas.painter, rect, QStringLiteral("Wednesday"), true);
    canvas.painter.end();
    EXPECT_EQ(pixels, 5) << "42 tenths of a point at 96 dpi";
    EXPECT_EQ(fitting.FontsMade(), 36);
    const FrameRect ink = Ink(canvas.image);
    EXPECT_LT(ink.left, rect.left) << "the text extends beyond its rectangle";
    EXPECT_GT(ink.right, rect.right) << "the text extends beyond its rectangle";
}

TEST(FitFontTest, MeasuresTheOneLineItDraws) {
    // On a rectangle taller than wide, the date is not allowed to pass as wrapped lines: it
    // shrinks until the one line it is drawn as stays inside the rectangle.
    Canvas canvas({1000, 800});
    TextFitting fitting(96);
    const FrameRect rect{400, 100, 600, 700};
    const QString date = QStringLiteral("January 15, 2026");
    const QFont font = fitting.FitFont(canvas.painter, QString(), kFitStartSize, rect, date);
    EXPECT_LE(QFontMetrics(font, &canvas.image).horizontalAdvance(date), rect.Width());
    fitting.DrawFittedText(canvas.painter, rect, date, true);
    canvas.painter.end();
    const FrameRect ink = Ink(canvas.image);
    EXPECT_GE(ink.left, rect.left);
    EXPECT_LE(ink.right, rect.right);
}

TEST(DrawSlotTextTest, SlotIsFittedOnceOnItsFirstText) {
    // Fitted to "Friday" on the first frame, the slot draws "Wednesday" at the same size two
    // days later; the wider text extends beyond the rectangle's sides instead of shrinking.
    Canvas canvas({900, 500});
    TextFitting fitting(96);
    const FrameRect rect{300, 0, 600, 500}; // narrow: the width decides the size
    FontSlot slot;
    const std::int32_t friday =
        fitting.DrawSlotText(slot, canvas.painter, rect, QStringLiteral("Friday"), true);
    ASSERT_TRUE(slot.has_value());
    EXPECT_FALSE(fitting.TempFont().has_value()) << "the slot took the fitted font";
    const std::int64_t made = fitting.FontsMade();

    canvas.painter.fillRect(canvas.image.rect(), Qt::white);
    const std::int32_t wednesday =
        fitting.DrawSlotText(slot, canvas.painter, rect, QStringLiteral("Wednesday"), true);
    canvas.painter.end();
    EXPECT_EQ(wednesday, friday) << "the slot is never refitted";
    EXPECT_EQ(fitting.FontsMade(), made) << "no font is made for a filled slot";
    const FrameRect ink = Ink(canvas.image);
    EXPECT_LT(ink.left, rect.left) << "Wednesday reaches past the left side";
    EXPECT_GT(ink.right, rect.right) << "and past the right side";
}

TEST(DrawFittedTextTest, FitsAfreshOnEveryCall) {
    // The full-screen countdown fits each call: a shorter text gets a larger font.
    Canvas canvas({1024, 768});
    TextFitting fitting(96);
    const FrameRect rect{0, 0, 1024, 768};
    const std::int32_t wide =
        fitting.DrawFittedText(canvas.painter, rect, QStringLiteral("59:59.9"), true);
    const std::int64_t made = fitting.FontsMade();
    const std::int32_t narrow =
        fitting.DrawFittedText(canvas.painter, rect, QStringLiteral("1.0"), true);
    EXPECT_GT(fitting.FontsMade(), made);
    EXPECT_GT(narrow, wide);
    ASSERT_TRUE(fitting.TempFont().has_value()) << "the fitted font stays the temporary font";
    EXPECT_EQ(fitting.TempFont()->pixelSize(), narrow);
}

TEST(DrawTextLineTest, CentresVerticallyAndPlacesHorizontally) {
    // Left-aligned text starts at the rectangle's left; centred text is centred; both are
    // centred vertically.
    const FrameRect rect{100, 100, 500, 200};
    for (const bool centre : {false, true}) {
        Canvas canvas({600, 300});
        QFont font;
        font.setPixelSize(40);
        canvas.painter.setFont(font);
        DrawTextLine(canvas.painter, rect, QStringLiteral("Noon"), centre);
        canvas.painter.end();
        const FrameRect ink = Ink(canvas.image);
        const int middle = (ink.top + ink.bottom) / 2;
        EXPECT_NEAR(middle, 150, 8) << "vertically centred, centre " << centre;
        if (centre) {
            EXPECT_NEAR((ink.left + ink.right) / 2, 300, 3);
        } else {
            EXPECT_NEAR(ink.left, 100, 5);
        }
    }
}

TEST(SelectFontTest, NoFontKeepsTheCurrentOne) {
    // Selecting no font leaves the painter's font; taking ownership replaces the temporary font.
    Canvas canvas({10, 10});
    TextFitting fitting;
    QFont font;
    font.setPixelSize(33);
    canvas.painter.setFont(font);
    fitting.SelectFont(canvas.painter, nullptr, false);
    EXPECT_EQ(canvas.painter.font().pixelSize(), 33);
    QFont other;
    other.setPixelSize(12);
    fitting.SelectFont(canvas.painter, &other, true);
    EXPECT_EQ(canvas.painter.font().pixelSize(), 12);
    ASSERT_TRUE(fitting.TempFont().has_value());
    EXPECT_EQ(fitting.TempFont()->pixelSize(), 12);
}

TEST(NewPointFontTest, MakesThePixelHeightOfTheDpi) {
    // NewPointFont at 192 dpi makes 4800 a 1280-pixel font and selects it.
    Canvas canvas({10, 10});
    TextFitting fitting(192);
    const QFont font = fitting.NewPointFont(canvas.painter, QString(), 4800);
    EXPECT_EQ(font.pixelSize(), 1280);
    EXPECT_EQ(canvas.painter.font().pixelSize(), 1280);
    EXPECT_EQ(fitting.FontsMade(), 1);
}

TEST(ElideCityLineTest, TheLabelGivesWayToTheTime) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(20);
    const QFontMetrics metrics(font);
    const QString time = QStringLiteral(" 12:00 PM");
    const QString longLabel = QStringLiteral("Wolverhampton Mombasa Montevideo ").repeated(9);
    const struct {
        const char* fact;
        QString label;
        std::int32_t width;   // pixels
        const char* expected; // the exact line, or null: the label cut with "…", then the time
    } cases[] = {
        {"a label that fits is left as it is", QStringLiteral("Oslo"), 400, "Oslo 12:00 PM"},
        {"a label of 297 characters is cut before the time", longLabel, 400, nullptr},
        {"a right-to-left label is cut at its logical end, before the time",
         QStringLiteral("القاهرة الجديدة ").repeated(20), 400, nullptr},
        {"the time alone, wider than the band, is still drawn whole", longLabel,
         LineWidth(metrics, time.trimmed()) - 1, "12:00 PM"},
    };
    for (const auto& c : cases) {
        const QString line = ElideCityLine(c.label, time, metrics, c.width);
        if (c.expected != nullptr) {
            EXPECT_EQ(line, QString::fromUtf8(c.expected)) << c.fact;
            continue;
        }
        EXPECT_TRUE(line.endsWith(QStringLiteral("…") + time))
            << c.fact << ": " << line.toStdString();
        EXPECT_LE(LineWidth(metrics, line), c.width) << c.fact;
        // Before the ellipsis: the label's start (and a joiner keeping an Arabic letter joined).
        const QString kept = line.chopped(time.size() + 1).remove(QChar(0x200D));
        EXPECT_TRUE(kept.size() > 10 && c.label.startsWith(kept)) << c.fact;
    }
}

} // namespace
} // namespace chronivo
