#include "saver/glyph_painter.h"

#include "saver/rainbow.h"
#include "saver/text_fitting.h"

#include <QPainter>
#include <QRawFont>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace chronivo {
namespace {

constexpr std::uint32_t kBackground = 0x0000FF; // red
constexpr std::uint32_t kText = 0xFFFF00;       // cyan

// Columns and rows holding any pixel that is not the background, exclusive edges.
FrameRect Ink(const QImage& image) {
    FrameRect ink{image.width(), image.height(), 0, 0};
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (FromPixel(image.pixel(x, y)) != kBackground) {
                ink = {std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x + 1),
                       std::max(ink.bottom, y + 1)};
            }
        }
    }
    return ink;
}

int CountInk(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += FromPixel(image.pixel(x, y)) != kBackground;
        }
    }
    return n;
}

QImage Blank(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(ToPixel(kBackground));
    return image;
}

QImage DrawnByQt(QSize size, const QFont& font, const FrameRect& rect, const QString& text,
                 bool centre) {
    QImage image = Blank(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(font);
    p.setPen(ToQColor(kText));
    DrawTextLine(p, rect, text, centre);
    return image;
}

struct PlacementCase {
    int pixelSize;
    FrameRect rect;
    const char* text;
    bool centre;
    const char* fact;
};

TEST(GlyphPainterTest, PlacesTheLineAsDrawTextDoes) {
    // The same line lands where QPainter::drawText puts it, within a pixel or two on each side,
    // and covers about as many pixels: the glyphs are the same outlines.
    const PlacementCase cases[] = {
        {200, {0, 20, 1400, 300}, "Wednesday", true, "centred weekday"},
        {120, {40, 10, 1400, 200}, "January 16, 2026", false, "left-aligned date"},
        {300, {300, 0, 700, 400}, "12:00:00 PM", true, "wider than its rectangle, both sides"},
        {90, {0, 0, 1400, 60}, "Honolulu 02:00:00", true, "taller than its rectangle"},
    };
    for (const auto& c : cases) {
        QFont font;
        font.setPixelSize(c.pixelSize);
        const QSize size(1400, 420);
        const QString text = QString::fromUtf8(c.text);
        const QImage qt = DrawnByQt(size, font, c.rect, text, c.centre);
        QImage ours = Blank(size);
        GlyphPainter painter;
        painter.DrawTextLine(ours, font, c.rect, text, c.centre, kText);
        const FrameRect a = Ink(qt);
        const FrameRect b = Ink(ours);
        EXPECT_LE(std::abs(a.left - b.left), 2) << c.fact;
        EXPECT_LE(std::abs(a.right - b.right), 2) << c.fact;
        EXPECT_LE(std::abs(a.top - b.top), 2) << c.fact;
        EXPECT_LE(std::abs(a.bottom - b.bottom), 2) << c.fact;
        const int inkQt = CountInk(qt);
        EXPECT_NEAR(CountInk(ours), inkQt, inkQt / 25) << c.fact;
    }
}

TEST(GlyphPainterTest, CoveredPixelsTakeTheTextColour) {
    // Inside the strokes the pixel is the text colour exactly; at the edges a mix of the two
    // colours; nothing else appears.
    QFont font;
    font.setPixelSize(150);
    QImage image = Blank({600, 200});
    GlyphPainter painter;
    painter.DrawTextLine(image, font, {0, 0, 600, 200}, QStringLiteral("HIT"), true, kText);
    int solid = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            solid += FromPixel(p) == kText;
            // Red falls as green and blue rise together: every pixel lies between the colours.
            EXPECT_EQ(qGreen(p), qBlue(p)) << x << "," << y;
            EXPECT_LE(std::abs(qRed(p) + qGreen(p) - 255), 1) << x << "," << y;
        }
    }
    EXPECT_GT(solid, 1000) << "the strokes are filled with the text colour";
}

TEST(GlyphPainterTest, ClipsToTheBuffer) {
    // A line that hangs off every edge of the buffer draws what is inside and nothing else
    // (the address sanitizer watches the rest).
    QFont font;
    font.setPixelSize(400);
    QImage image = Blank({100, 80});
    GlyphPainter painter;
    painter.DrawTextLine(image, font, {-150, -100, 250, 180}, QStringLiteral("WWW"), true, kText);
    EXPECT_GT(CountInk(image), 0);
    painter.DrawTextLine(image, font, {5000, 5000, 5100, 5100}, QStringLiteral("W"), true, kText);
}

TEST(GlyphPainterTest, GlyphsAreRenderedOnce) {
    // Drawing the same text again renders no new glyph; each distinct glyph is kept once.
    QFont font;
    font.setPixelSize(100);
    QImage image = Blank({800, 120});
    GlyphPainter painter;
    painter.DrawTextLine(image, font, {0, 0, 800, 120}, QStringLiteral("10:10:10"), true, kText);
    EXPECT_EQ(painter.CachedGlyphs(), 2u + 1u) << "'1', '0' and ':'";
    const std::size_t bytes = painter.CachedBytes();
    painter.DrawTextLine(image, font, {0, 0, 800, 120}, QStringLiteral("01:01:01"), true, kText);
    EXPECT_EQ(painter.CachedGlyphs(), 3u);
    EXPECT_EQ(painter.CachedBytes(), bytes);
    EXPECT_LE(painter.CachedBytes(), GlyphPainter::kMaxBytes);
}

TEST(GlyphPainterTest, OnlyThirtyTwoBitBuffers) {
    // The blending writes 0xFFRRGGBB pixels; other formats are left to Qt.
    EXPECT_TRUE(GlyphPainter::Handles(QImage(1, 1, QImage::Format_RGB32)));
    EXPECT_TRUE(GlyphPainter::Handles(QImage(1, 1, QImage::Format_ARGB32_Premultiplied)));
    EXPECT_FALSE(GlyphPainter::Handles(QImage(1, 1, QImage::Format_RGB16)));
}

TEST(GlyphPainterTest, AFontQtCannotMakeDrawsNothing) {
    // From 65536 pixels Qt makes no font: its line leaves the buffer as it was.
    QFont font;
    font.setPixelSize(65536);
    if (QRawFont::fromFont(font).pixelSize() > 0) {
        GTEST_SKIP() << "Qt makes fonts of 65536 pixels here";
    }
    QImage image = Blank({200, 100});
    GlyphPainter painter;
    painter.DrawTextLine(image, font, {0, 0, 200, 100}, QStringLiteral("Friday"), true, kText);
    EXPECT_EQ(CountInk(image), 0);
    EXPECT_EQ(painter.CachedGlyphs(), 0u);
}

TEST(GlyphPainterTest, TextFittingUsesItForLargeTextOnly) {
    // A 10-pixel banner is drawn by Qt (which keeps small glyphs itself); a screen-filling line
    // goes through the glyph masks.
    QImage image = Blank({1024, 768});
    QPainter p(&image);
    TextFitting fitting(96);
    FontSlot banner;
    fitting.DrawSlotText(banner, p, {0, 0, 1024, 10}, QStringLiteral("© Chronivo"), false);
    EXPECT_EQ(fitting.Glyphs().CachedGlyphs(), 0u);
    const std::int32_t pixels =
        fitting.DrawFittedText(p, {0, 0, 1024, 768}, QStringLiteral("9.9"), true);
    EXPECT_GE(pixels, kLargeGlyphPixels);
    EXPECT_EQ(fitting.Glyphs().CachedGlyphs(), 2u) << "'9' and '.'";
}

} // namespace
} // namespace chronivo
