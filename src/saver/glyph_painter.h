#pragma once

#include "saver/frame_layout.h"

#include <QFont>
#include <QImage>
#include <QRawFont>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

namespace chronivo {

// From this character height (pixels) up, Qt draws text by filling the glyphs' outlines anew on
// every call, which for the screen-filling lines of a frame costs several milliseconds; below
// it, Qt keeps rendered glyphs itself.
inline constexpr std::int32_t kLargeGlyphPixels = 64;

// Draws one line of large text into a 32-bit RGB buffer from glyph masks that are rendered once
// (antialiased, from the glyph's outline, as Qt renders large text) and kept, so a frame only
// blends them in. Placement is QPainter::drawText's with AlignVCenter | TextSingleLine |
// TextDontClip and AlignHCenter or AlignLeft: the line centred vertically in rect, centred or
// left-aligned, never wrapped, clipped only to the buffer.
class GlyphPainter {
public:
    // True when the buffer is one this painter draws into (Format_RGB32 or
    // Format_ARGB32_Premultiplied).
    static bool Handles(const QImage& dc);

    // color is 0x00BBGGRR. With outlineWidth above 0 every glyph is first drawn widened by that
    // many pixels all round in outlineColor (0x00BBGGRR), then in color on top: a thin edge.
    void DrawTextLine(QImage& dc, const QFont& font, const FrameRect& rect, const QString& text,
                      bool centre, std::uint32_t color, std::int32_t outlineWidth = 0,
                      std::uint32_t outlineColor = 0);

    // Bytes of glyph masks kept; the store is emptied before a line when it has passed
    // kMaxBytes.
    std::size_t CachedBytes() const { return m_bytes; }
    std::size_t CachedGlyphs() const { return m_masks.size() + m_outlineMasks.size(); }
    static constexpr std::size_t kMaxBytes = 64u << 20;

private:
    struct Mask {
        std::int32_t left = 0; // of the mask's top-left from the glyph's origin on the baseline
        std::int32_t top = 0;
        std::int32_t width = 0;
        std::int32_t height = 0;
        // The covered pixels as spans, row by row: fully covered spans are filled, partly
        // covered ones blended, uncovered pixels skipped. Row r's spans are
        // spans[rowStart[r]] .. spans[rowStart[r + 1] - 1].
        struct Span {
            std::int32_t from; // columns from .. to - 1
            std::int32_t to;
            // Where the span's coverage values (0..255, one per column) start in `partial`;
            // kSolid for a span whose every pixel is fully covered.
            std::int32_t coverage;
        };
        static constexpr std::int32_t kSolid = -1;
        std::vector<Span> spans;
        std::vector<std::uint32_t> rowStart;
        // Coverage of the partly covered spans only: a large glyph is mostly solid inside and
        // empty outside, so this is a small part of its box.
        std::vector<std::uint8_t> partial;
    };
    // Family, style name, weight, style, pixel size in 1/64 pixel, glyph index.
    using Key = std::tuple<QString, QString, int, int, std::int64_t, quint32>;

    const Mask& MaskOf(const QRawFont& font, quint32 glyph, std::int32_t outlineWidth);

    // A glyph's mask and where its top-left lands in the buffer.
    struct Placed {
        const Mask* mask;
        std::int32_t x;
        std::int32_t y;
    };
    // A colour split once per line for blending: channels 0..255 and the solid pixel.
    struct Ink {
        explicit Ink(std::uint32_t color);
        std::uint32_t red;
        std::uint32_t green;
        std::uint32_t blue;
        QRgb solid;
    };
    // Blends the masks' spans that cross row y into `out`, the buffer's row, in `ink`.
    static void BlendRow(QRgb* out, std::int32_t bufferWidth, std::int32_t y,
                         const std::vector<Placed>& placed, const Ink& ink);

    std::map<Key, Mask> m_masks;
    // The glyphs widened for an outline, by the outline's width; kept apart so plain text looks
    // its glyphs up exactly as before.
    std::map<std::pair<Key, std::int32_t>, Mask> m_outlineMasks;
    std::size_t m_bytes = 0;
};

} // namespace chronivo
