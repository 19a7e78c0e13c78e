#pragma once

#include "saver/frame_layout.h"
#include "saver/frame_style.h"
#include "saver/glyph_painter.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace chronivo {

// Font sizes are in tenths of a point. Fitting starts at 480 points and shrinks by an eighth
// (size * 7 / 8, truncating) while the size stays at 40 or more: 4800, 4200, 3675 ... 48, 42.
inline constexpr std::int32_t kFitStartSize = 4800;
inline constexpr std::int32_t kFitSmallestSize = 40;

// The screen's logical dots per inch when the caller knows no better.
inline constexpr std::int32_t kDefaultDpi = 96;

// The next smaller size fitting tries after `size`.
std::int32_t NextFitSize(std::int32_t size);

// Every size fitting tries from `start`, in order (36 sizes from 4800).
std::vector<std::int32_t> FitSizeSequence(std::int32_t start = kFitStartSize);

// The largest character height fonts are made with, pixels. Qt's metrics of a font go wrong
// once its ascent passes 16384 pixels (from 17651 pixels for DejaVu Sans), so text seems to fit
// where it does not, and from 65536 pixels Qt cannot make the font at all. Real screens never
// reach the cap: fitting starts at 480 points, below it up to 614 dpi (the screen's dpi times
// its device pixel ratio: 576 for 192 dpi at ratio 3), and above that only text taller than
// 4096 pixels could come out otherwise, which no screen up to 8K (4320 rows) has room for.
// It also bounds the glyph masks of text too large to fit at any size (about 12 MB a glyph).
inline constexpr std::int32_t kMaxFontPixels = 4096;

// Character height in pixels of a font of `size` tenths of a point on a device of `dpi` dots per
// inch: dpi * size / 720, truncating (640 for 4800 at 96 dpi). A result below 1 pixel, which a
// font cannot have, is taken as 1, and one above kMaxFontPixels as kMaxFontPixels.
std::int32_t PointSizeToPixels(std::int32_t dpi, std::int32_t size);

// A font slot: empty until the first text drawn through it, then the font fitted to that text,
// kept for the life of the window.
using FontSlot = std::optional<QFont>;

// Where the text measured with `dc`'s current font lands when laid out in `rect` as the one line
// it is drawn as: left and top kept, right at the end of the line (past rect when the line is
// wider), bottom below it. Exclusive edges.
FrameRect MeasureText(QPainter& dc, const FrameRect& rect, const QString& text);

// The fit test: the measured text ends at or before rect's right and bottom edges.
bool TextFits(const FrameRect& measured, const FrameRect& rect);

// The width in pixels of `text` laid out as one line with `metrics`, as MeasureText measures it.
std::int32_t LineWidth(const QFontMetrics& metrics, const QString& text);

// The line a world-time band shows for a city whose label is `label` and whose time text is
// `time` (" 12:00 PM", with its leading blank; empty when the time is unknown), drawn with the
// font of `metrics` in a band `width` pixels wide. The time always shows whole; the label gives
// way:
// - label and time fit: label + time, unchanged;
// - else the label cut at its logical end with an ellipsis ("…", or "..." in a font without it),
//   then the time, the whole line no wider than the band; a right-to-left label is cut at its
//   logical end too, so the ellipsis still stands between what is left of it and the time;
// - no room for even the ellipsis before the time: the time alone, without its leading blank.
//   When that is wider than the band as well, it overflows the band's sides equally, as any text
//   does that fits at no size (the band's font is then already the smallest fitting makes).
QString ElideCityLine(const QString& label, const QString& time, const QFontMetrics& metrics,
                      std::int32_t width);

// Draws one line of text with `dc`'s current font and pen: vertically centred in rect,
// horizontally centred or left-aligned, never wrapped and never clipped to rect.
void DrawTextLine(QPainter& dc, const FrameRect& rect, const QString& text, bool centre);

// The text operations of a saver window: fitting a font to a rectangle and drawing one line of
// text with it, either through a font slot (fitted once, on its first text) or fitted afresh.
// Holds the dpi fonts are made for and the temporary font of the latest fitting.
class TextFitting {
public:
    explicit TextFitting(std::int32_t dpi = kDefaultDpi);

    std::int32_t Dpi() const { return m_dpi; }

    // A font of `size` tenths of a point in the face `face` (empty: the application's default
    // face), selected into dc and kept as the temporary font.
    QFont NewPointFont(QPainter& dc, const QString& face, std::int32_t size);
    // The same in a chosen family and weight (an empty family: the default face).
    QFont NewPointFont(QPainter& dc, const FontChoice& face, std::int32_t size);

    // Tries NewPointFont from `size` downwards until every one of `texts` measured in rect fits,
    // or the next size would be below 40; returns that font (the last one made, fitting or not),
    // selected into dc and kept as the temporary font.
    QFont FitFont(QPainter& dc, const FontChoice& face, std::int32_t size, const FrameRect& rect,
                  std::span<const QString> texts);
    QFont FitFont(QPainter& dc, const QString& face, std::int32_t size, const FrameRect& rect,
                  std::span<const QString> texts) {
        return FitFont(dc, FontChoice{face, false}, size, rect, texts);
    }
    QFont FitFont(QPainter& dc, const QString& face, std::int32_t size, const FrameRect& rect,
                  const QString& text) {
        return FitFont(dc, face, size, rect, {&text, 1});
    }

    // Fills an empty slot with the font fitted to all of `texts` in rect, so that each of them
    // fits when it is drawn through the slot later; the slot takes the font from the temporary
    // one. A filled slot is left as it is. `face`: the family and weight (default: the default
    // face).
    void FitSlot(FontSlot& slot, QPainter& dc, const FrameRect& rect,
                 std::span<const QString> texts, const FontChoice& face = {});

    // Selects `font` into dc (none: dc keeps its font); with takeOwnership it becomes the
    // temporary font.
    void SelectFont(QPainter& dc, const QFont* font, bool takeOwnership);

    // Draws text in rect with the slot's font; an empty slot is first fitted to this text and rect
    // and keeps that font from then on, even for longer texts. Returns the font's pixel size.
    std::int32_t DrawSlotText(FontSlot& slot, QPainter& dc, const FrameRect& rect,
                              const QString& text, bool centre, const FontChoice& face = {});

    // Fits a font to this text and rect afresh and draws with it. Returns the font's pixel size.
    std::int32_t DrawFittedText(QPainter& dc, const FrameRect& rect, const QString& text,
                                bool centre, const FontChoice& face = {});

    // The outline drawn round text from now on, device pixels; 0 (the start): none. The edge is
    // black or white, whichever contrasts more with the pen's colour, and never wider than a
    // tenth of the text's height (at least 1 pixel).
    void SetOutlineWidth(std::int32_t pixels) { m_outlineWidth = std::max(pixels, 0); }
    std::int32_t OutlineWidth() const { return m_outlineWidth; }

    // The latest font made by fitting that no slot has taken.
    const std::optional<QFont>& TempFont() const { return m_tempFont; }

    // How many fonts NewPointFont has made so far; fitting is the expensive part of a frame.
    std::int64_t FontsMade() const { return m_fontsMade; }

    // The glyph masks kept for drawing large text.
    const GlyphPainter& Glyphs() const { return m_glyphs; }

private:
    // DrawTextLine with dc's font and pen; large text on a 32-bit buffer goes through the
    // glyph masks instead of Qt's outline filling, which is the same picture much faster.
    void DrawLine(QPainter& dc, const FrameRect& rect, const QString& text, bool centre);
    // The outline's width round text in `font`, pixels; 0: none.
    std::int32_t OutlineFor(const QFont& font) const;

    std::int32_t m_dpi;
    GlyphPainter m_glyphs;
    std::optional<QFont> m_tempFont;
    std::int64_t m_fontsMade = 0;
    std::int32_t m_outlineWidth = 0;
};

} // namespace chronivo
