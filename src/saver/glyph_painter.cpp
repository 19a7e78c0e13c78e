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

const GlyphPainter::Mask& GlyphPainter::MaskOf(const QRawFont& font, quint32 glyph) {
    Key key{font.familyName(),
            font.styleName(),
            font.weight(),
            static_cast<int>(font.style()),
            std::llround(font.pixelSize() * 64),
            glyph};
    const auto found = m_masks.find(key);
    if (found != m_masks.end()) {
        return found->second;
    }
    Mask mask;
    const QPainterPath path = font.pathForGlyph(glyph);
    const QRectF box = path.boundingRect();
    if (!path.isEmpty() && box.width() > 0 && box.height() > 0) {
        mask.left = static_cast<std::int32_t>(std::floor(box.left()));
        mask.top = static_cast<std::int32_t>(std::floor(box.top()));
        mask.width = static_cast<std::int32_t>(std::ceil(box.right())) - mask.left + 1;
        mask.height = static_cast<std::int32_t>(std::ceil(box.bottom())) - mask.top + 1;
        QImage coverage(mask.width, mask.height, QImage::Format_Alpha8);
        coverage.fill(0);
        QPainter p(&coverage);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillPath(path.translated(-mask.left, -mask.top), QColor(0, 0, 0, 255));
        p.end();
        mask.alpha.resize(static_cast<std::size_t>(mask.width) *
                          static_cast<std::size_t>(mask.height));
        for (std::int32_t y = 0; y < mask.height; ++y) {
            const uchar* row = coverage.constScanLine(y);
            std::copy(row, row + mask.width,
                      mask.alpha.begin() + static_cast<std::ptrdiff_t>(y) * mask.width);
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
                mask.spans.push_back({y, x, end, solid});
                x = end;
            }
        }
    }
    const std::size_t bytes = mask.alpha.size() + mask.spans.size() * sizeof(Mask::Span);
    if (m_bytes + bytes > kMaxBytes) {
        m_masks.clear();
        m_bytes = 0;
    }
    m_bytes += bytes;
    return m_masks.emplace(std::move(key), std::move(mask)).first->second;
}

void GlyphPainter::DrawTextLine(QImage& dc, const QFont& font, const FrameRect& rect,
                                const QString& text, bool centre, std::uint32_t color) {
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

    const std::uint32_t red = color & 0xFFu;
    const std::uint32_t green = (color >> 8) & 0xFFu;
    const std::uint32_t blue = (color >> 16) & 0xFFu;
    const QRgb solid = ToPixel(color);
    const std::int32_t bufferWidth = dc.width();
    const std::int32_t bufferHeight = dc.height();
    uchar* const bits = dc.bits();
    const qsizetype stride = dc.bytesPerLine();

    for (const QGlyphRun& run : textLine.glyphRuns()) {
        const QRawFont rawFont = run.rawFont();
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i) {
            const Mask& mask = MaskOf(rawFont, glyphs[i]);
            if (mask.alpha.empty()) {
                continue;
            }
            // The glyph's origin on whole pixels, then the mask's corner from it.
            const std::int32_t gx =
                static_cast<std::int32_t>(std::lround(x0 + positions[i].x())) + mask.left;
            const std::int32_t gy =
                static_cast<std::int32_t>(std::lround(y0 + positions[i].y())) + mask.top;
            for (const Mask::Span& span : mask.spans) {
                const std::int32_t y = gy + span.row;
                const std::int32_t from = std::max(gx + span.from, 0);
                const std::int32_t to = std::min(gx + span.to, bufferWidth);
                if (y < 0 || y >= bufferHeight || from >= to) {
                    continue;
                }
                QRgb* out = reinterpret_cast<QRgb*>(bits + y * stride);
                if (span.solid) {
                    std::fill(out + from, out + to, solid);
                    continue;
                }
                const std::uint8_t* coverage =
                    mask.alpha.data() + static_cast<std::ptrdiff_t>(span.row) * mask.width;
                for (std::int32_t x = from; x < to; ++x) {
                    const std::uint32_t a = coverage[x - gx];
                    const QRgb p = out[x];
                    out[x] = qRgb(
                        static_cast<int>(Blend(static_cast<std::uint32_t>(qRed(p)), red, a)),
                        static_cast<int>(Blend(static_cast<std::uint32_t>(qGreen(p)), green, a)),
                        static_cast<int>(Blend(static_cast<std::uint32_t>(qBlue(p)), blue, a)));
                }
            }
        }
    }
}

} // namespace chronivo
