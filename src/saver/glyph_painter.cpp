#include "saver/glyph_painter.h"

#include "saver/rainbow.h"

#include <QGlyphRun>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace chronivo {

namespace {

// a * b / 255 for a, b in 0..255 plus rounding, exactly, without a division.
inline std::uint32_t Blend(std::uint32_t from, std::uint32_t to, std::uint32_t alpha) {
    const std::uint32_t t = to * alpha + from * (255u - alpha) + 128u;
    return (t + (t >> 8)) >> 8;
}

} // namespace

bool GlyphPainter::Handles(const QImage& dc) {
    return dc.format() == QImage::Format_RGB32 ||
           dc.format() == QImage::Format_ARGB32_Premultiplied;
}

const GlyphPainter::Mask& GlyphPainter::MaskOf(const QRawFont& font, quint32 glyph,
                                               std::int32_t outlineWidth) {
    Key key{font.familyName(),
            font.styleName(),
            font.weight(),
            static_cast<int>(font.style()),
            std::llround(font.pixelSize() * 64),
            glyph};
    if (outlineWidth == 0) {
        if (const auto found = m_masks.find(key); found != m_masks.end()) {
            return found->second;
        }
    } else if (const auto found = m_outlineMasks.find({key, outlineWidth});
               found != m_outlineMasks.end()) {
        return found->second;
    }
    const auto keep = [&](Mask&& mask) -> const Mask& {
        if (outlineWidth == 0) {
            return m_masks.emplace(std::move(key), std::move(mask)).first->second;
        }
        return m_outlineMasks.emplace(std::pair{std::move(key), outlineWidth}, std::move(mask))
            .first->second;
    };
    Mask mask;
    const QPainterPath path = font.pathForGlyph(glyph);
    // An outline mask is the glyph widened by the outline's width all round.
    const QRectF box =
        path.boundingRect().adjusted(-outlineWidth, -outlineWidth, outlineWidth, outlineWidth);
    if (!path.isEmpty() && box.width() > 0 && box.height() > 0) {
        mask.left = static_cast<std::int32_t>(std::floor(box.left()));
        mask.top = static_cast<std::int32_t>(std::floor(box.top()));
        mask.width = static_cast<std::int32_t>(std::ceil(box.right())) - mask.left + 1;
        mask.height = static_cast<std::int32_t>(std::ceil(box.bottom())) - mask.top + 1;
        QImage coverage(mask.width, mask.height, QImage::Format_Alpha8);
        if (coverage.isNull()) {
            // No memory for the mask: the glyph is left out rather than read from nothing.
            return keep(Mask{});
        }
        coverage.fill(0);
        QPainter p(&coverage);
        p.setRenderHint(QPainter::Antialiasing);
        const QPainterPath placedPath = path.translated(-mask.left, -mask.top);
        p.fillPath(placedPath, QColor(0, 0, 0, 255));
        if (outlineWidth > 0) {
            p.strokePath(placedPath, QPen(QColor(0, 0, 0, 255), 2.0 * outlineWidth, Qt::SolidLine,
                                          Qt::RoundCap, Qt::RoundJoin));
        }
        p.end();
        mask.rowStart.reserve(static_cast<std::size_t>(mask.height) + 1);
        for (std::int32_t y = 0; y < mask.height; ++y) {
            mask.rowStart.push_back(static_cast<std::uint32_t>(mask.spans.size()));
            const uchar* row = coverage.constScanLine(y);
            for (std::int32_t x = 0; x < mask.width;) {
                if (row[x] == 0) {
                    ++x;
                    continue;
                }
                const bool solid = row[x] == 255;
                std::int32_t end = x + 1;
                while (end < mask.width && row[end] != 0 && (row[end] == 255) == solid) {
                    ++end;
                }
                std::int32_t offset = Mask::kSolid;
                if (!solid) {
                    offset = static_cast<std::int32_t>(mask.partial.size());
                    mask.partial.insert(mask.partial.end(), row + x, row + end);
                }
                mask.spans.push_back({x, end, offset});
                x = end;
            }
        }
        mask.rowStart.push_back(static_cast<std::uint32_t>(mask.spans.size()));
        mask.spans.shrink_to_fit();
        mask.partial.shrink_to_fit();
    }
    m_bytes += mask.partial.size() + mask.spans.size() * sizeof(Mask::Span) +
               mask.rowStart.size() * sizeof(std::uint32_t);
    return keep(std::move(mask));
}

void GlyphPainter::DrawTextLine(QImage& dc, const QFont& font, const FrameRect& rect,
                                const QString& text, bool centre, std::uint32_t color,
                                std::int32_t outlineWidth, std::uint32_t outlineColor) {
    // One line: line breaks are drawn as blanks, as TextSingleLine does.
    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    QTextLayout layout(line, font, &dc);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine textLine = layout.createLine();
    layout.endLayout();
    if (!textLine.isValid()) {
        return;
    }
    // Placement as drawText does it: the line's box centred in rect.
    const qreal width = textLine.naturalTextWidth();
    const qreal height = textLine.height();
    const qreal x0 = rect.left + (centre ? (rect.Width() - width) / 2 : 0.0);
    const qreal y0 = rect.top + (rect.Height() - height) / 2;

    // Every glyph's mask and where its corner lands, glyph origins on whole pixels. Masks are
    // only dropped between lines, so the pointers stay valid while this line is drawn.
    if (m_bytes > kMaxBytes) {
        m_masks.clear();
        m_outlineMasks.clear();
        m_bytes = 0;
    }
    std::vector<Placed> placed;
    std::vector<Placed> outlines; // drawn first, under the glyphs
    std::int32_t top = INT32_MAX;
    std::int32_t bottom = INT32_MIN;
    for (const QGlyphRun& run : textLine.glyphRuns()) {
        const QRawFont rawFont = run.rawFont();
        if (!rawFont.isValid() || rawFont.pixelSize() <= 0) {
            // A font Qt cannot make at this size comes as a stand-in without a face (pixel size
            // -1) that has no glyphs to draw, and whose family must not be asked for: Qt 6.4
            // crashes on it.
            continue;
        }
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i) {
            const std::int32_t originX =
                static_cast<std::int32_t>(std::lround(x0 + positions[i].x()));
            const std::int32_t originY =
                static_cast<std::int32_t>(std::lround(y0 + positions[i].y()));
            const auto place = [&](const Mask& mask, std::vector<Placed>& into) {
                if (mask.spans.empty()) {
                    return;
                }
                const Placed p{&mask, originX + mask.left, originY + mask.top};
                top = std::min(top, p.y);
                bottom = std::max(bottom, p.y + mask.height);
                into.push_back(p);
            };
            if (outlineWidth > 0) {
                place(MaskOf(rawFont, glyphs[i], outlineWidth), outlines);
            }
            place(MaskOf(rawFont, glyphs[i], 0), placed);
        }
    }

    // Row by row across the whole line, so each buffer row is visited once, left to right.
    const Ink ink(color);
    const Ink outlineInk(outlineColor);
    const std::int32_t bufferWidth = dc.width();
    uchar* const bits = dc.bits();
    const qsizetype stride = dc.bytesPerLine();
    for (std::int32_t y = std::max(top, 0); y < std::min(bottom, dc.height()); ++y) {
        QRgb* out = reinterpret_cast<QRgb*>(bits + y * stride);
        if (!outlines.empty()) {
            BlendRow(out, bufferWidth, y, outlines, outlineInk);
        }
        BlendRow(out, bufferWidth, y, placed, ink);
    }
}

GlyphPainter::Ink::Ink(std::uint32_t color)
    : red(color & 0xFFu)
    , green((color >> 8) & 0xFFu)
    , blue((color >> 16) & 0xFFu)
    , solid(ToPixel(color)) {}

void GlyphPainter::BlendRow(QRgb* out, std::int32_t bufferWidth, std::int32_t y,
                            const std::vector<Placed>& placed, const Ink& ink) {
    const std::uint32_t red = ink.red;
    const std::uint32_t green = ink.green;
    const std::uint32_t blue = ink.blue;
    const QRgb solid = ink.solid;
    for (const Placed& p : placed) {
        const std::int32_t row = y - p.y;
        if (row < 0 || row >= p.mask->height) {
            continue;
        }
        const auto r = static_cast<std::size_t>(row);
        for (std::size_t k = p.mask->rowStart[r]; k < p.mask->rowStart[r + 1]; ++k) {
            const Mask::Span& span = p.mask->spans[k];
            const std::int32_t from = std::max(p.x + span.from, 0);
            const std::int32_t to = std::min(p.x + span.to, bufferWidth);
            if (from >= to) {
                continue;
            }
            if (span.coverage == Mask::kSolid) {
                std::fill(out + from, out + to, solid);
                continue;
            }
            // The span's coverage from its first column inside the buffer on.
            const std::uint8_t* coverage =
                p.mask->partial.data() + span.coverage + (from - (p.x + span.from));
            for (std::int32_t x = from; x < to; ++x) {
                const std::uint32_t a = coverage[x - from];
                const QRgb d = out[x];
                out[x] =
                    qRgb(static_cast<int>(Blend(static_cast<std::uint32_t>(qRed(d)), red, a)),
                         static_cast<int>(Blend(static_cast<std::uint32_t>(qGreen(d)), green, a)),
                         static_cast<int>(Blend(static_cast<std::uint32_t>(qBlue(d)), blue, a)));
            }
        }
    }
}

} // namespace chronivo
