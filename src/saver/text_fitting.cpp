#include "saver/text_fitting.h"

#include "saver/rainbow.h"

#include <QFontMetrics>

#include <algorithm>

namespace chronivo {

std::int32_t NextFitSize(std::int32_t size) {
    return size * 7 / 8;
}

std::vector<std::int32_t> FitSizeSequence(std::int32_t start) {
    std::vector<std::int32_t> sizes;
    for (std::int32_t size = start; size >= kFitSmallestSize; size = NextFitSize(size)) {
        sizes.push_back(size);
    }
    return sizes;
}

std::int32_t PointSizeToPixels(std::int32_t dpi, std::int32_t size) {
    const std::int64_t pixels = std::int64_t{dpi} * size / 720;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(pixels, 1, kMaxFontPixels));
}

FrameRect MeasureText(QPainter& dc, const FrameRect& rect, const QString& text) {
    const QRect measured = dc.fontMetrics().boundingRect(ToQRect(rect), Qt::TextSingleLine, text);
    return FromQRect(measured);
}

bool TextFits(const FrameRect& measured, const FrameRect& rect) {
    return measured.right <= rect.right && measured.bottom <= rect.bottom;
}

std::int32_t LineWidth(const QFontMetrics& metrics, const QString& text) {
    return metrics.boundingRect(QRect(0, 0, 0, 0), Qt::TextSingleLine, text).width();
}

QString ElideCityLine(const QString& label, const QString& time, const QFontMetrics& metrics,
                      std::int32_t width) {
    QString line = label + time;
    if (LineWidth(metrics, line) <= width) {
        return line;
    }
    // The label gets what the time leaves. The joined line is measured again, since shaping
    // across the join and rounding can add a pixel or two; the label's room shrinks by what it
    // still overshoots. One round nearly always settles it; should four not, the time alone.
    std::int32_t room = width - LineWidth(metrics, time);
    for (int round = 0; round < 4 && room > 0; ++round) {
        const QString shortLabel = metrics.elidedText(label, Qt::ElideRight, room);
        if (shortLabel.isEmpty()) {
            break; // not even the ellipsis fits
        }
        line = shortLabel + time;
        const std::int32_t over = LineWidth(metrics, line) - width;
        if (over <= 0) {
            return line;
        }
        room -= over;
    }
    return time.trimmed();
}

void DrawTextLine(QPainter& dc, const FrameRect& rect, const QString& text, bool centre) {
    const int flags = Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip |
                      (centre ? Qt::AlignHCenter : Qt::AlignLeft);
    dc.drawText(ToQRect(rect), flags, text);
}

TextFitting::TextFitting(std::int32_t dpi)
    : m_dpi(dpi) {}

QFont TextFitting::NewPointFont(QPainter& dc, const QString& face, std::int32_t size) {
    return NewPointFont(dc, FontChoice{face, false}, size);
}

QFont TextFitting::NewPointFont(QPainter& dc, const FontChoice& face, std::int32_t size) {
    QFont font;
    if (!face.family.isEmpty()) {
        font.setFamily(face.family);
    }
    if (face.bold) {
        font.setBold(true);
    }
    font.setPixelSize(PointSizeToPixels(m_dpi, size));
    ++m_fontsMade;
    SelectFont(dc, &font, true);
    return font;
}

QFont TextFitting::FitFont(QPainter& dc, const FontChoice& face, std::int32_t size,
                           const FrameRect& rect, std::span<const QString> texts) {
    for (;;) {
        QFont font = NewPointFont(dc, face, size);
        if (std::all_of(texts.begin(), texts.end(), [&](const QString& text) {
                return TextFits(MeasureText(dc, rect, text), rect);
            })) {
            return font;
        }
        size = NextFitSize(size);
        if (size < kFitSmallestSize) {
            return font;
        }
    }
}

void TextFitting::SelectFont(QPainter& dc, const QFont* font, bool takeOwnership) {
    if (font != nullptr) {
        dc.setFont(*font);
    }
    if (takeOwnership) {
        if (font != nullptr) {
            m_tempFont = *font;
        } else {
            m_tempFont.reset();
        }
    }
}

void TextFitting::FitSlot(FontSlot& slot, QPainter& dc, const FrameRect& rect,
                          std::span<const QString> texts, const FontChoice& face) {
    if (!slot) {
        slot = FitFont(dc, face, kFitStartSize, rect, texts);
        m_tempFont.reset(); // the slot has it now
    }
}

std::int32_t TextFitting::DrawSlotText(FontSlot& slot, QPainter& dc, const FrameRect& rect,
                                       const QString& text, bool centre, const FontChoice& face) {
    if (!slot) {
        FitSlot(slot, dc, rect, {&text, 1}, face); // leaves the fitted font selected
    } else {
        SelectFont(dc, &*slot, false);
    }
    dc.setBackgroundMode(Qt::TransparentMode);
    DrawLine(dc, rect, text, centre);
    return slot->pixelSize();
}

std::int32_t TextFitting::DrawFittedText(QPainter& dc, const FrameRect& rect, const QString& text,
                                         bool centre, const FontChoice& face) {
    const QFont font = FitFont(dc, face, kFitStartSize, rect, {&text, 1});
    dc.setBackgroundMode(Qt::TransparentMode);
    DrawLine(dc, rect, text, centre);
    return font.pixelSize();
}

void TextFitting::DrawLine(QPainter& dc, const FrameRect& rect, const QString& text, bool centre) {
    QPaintDevice* device = dc.device();
    if (device != nullptr && device->devType() == QInternal::Image &&
        dc.font().pixelSize() >= kLargeGlyphPixels && dc.worldTransform().isIdentity() &&
        !dc.hasClipping()) {
        QImage& image = *static_cast<QImage*>(device);
        if (GlyphPainter::Handles(image)) {
            const std::uint32_t color = FromPixel(dc.pen().color().rgb());
            const std::int32_t outline = OutlineFor(dc.font());
            m_glyphs.DrawTextLine(image, dc.font(), rect, text, centre, color, outline,
                                  outline > 0 ? OutlineColorFor(color) : 0);
            return;
        }
    }
    if (const std::int32_t outline = OutlineFor(dc.font()); outline > 0) {
        // Small text: the line drawn in the outline's colour at every offset within the
        // outline's width round its place, then in its own colour on top.
        const QPen pen = dc.pen();
        dc.setPen(ToQColor(OutlineColorFor(FromPixel(pen.color().rgb()))));
        for (std::int32_t dy = -outline; dy <= outline; ++dy) {
            for (std::int32_t dx = -outline; dx <= outline; ++dx) {
                if ((dx != 0 || dy != 0) && dx * dx + dy * dy <= outline * outline) {
                    DrawTextLine(dc,
                                 {rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy},
                                 text, centre);
                }
            }
        }
        dc.setPen(pen);
    }
    DrawTextLine(dc, rect, text, centre);
}

std::int32_t TextFitting::OutlineFor(const QFont& font) const {
    if (m_outlineWidth <= 0) {
        return 0;
    }
    return std::min(m_outlineWidth, std::max(1, font.pixelSize() / 10));
}

} // namespace chronivo
