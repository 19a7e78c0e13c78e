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

void DrawTextLine(QPainter& dc, const FrameRect& rect, const QString& text, bool centre) {
    const int flags = Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip |
                      (centre ? Qt::AlignHCenter : Qt::AlignLeft);
    dc.drawText(ToQRect(rect), flags, text);
}

TextFitting::TextFitting(std::int32_t dpi)
    : m_dpi(dpi) {}

QFont TextFitting::NewPointFont(QPainter& dc, const QString& face, std::int32_t size) {
    QFont font;
    if (!face.isEmpty()) {
        font.setFamily(face);
    }
    font.setPixelSize(PointSizeToPixels(m_dpi, size));
    ++m_fontsMade;
    SelectFont(dc, &font, true);
    return font;
}

QFont TextFitting::FitFont(QPainter& dc, const QString& face, std::int32_t size,
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
                          std::span<const QString> texts) {
    if (!slot) {
        slot = FitFont(dc, QString(), kFitStartSize, rect, texts);
        m_tempFont.reset(); // the slot has it now
    }
}

std::int32_t TextFitting::DrawSlotText(FontSlot& slot, QPainter& dc, const FrameRect& rect,
                                       const QString& text, bool centre) {
    if (!slot) {
        FitSlot(slot, dc, rect, {&text, 1}); // leaves the fitted font selected
    } else {
        SelectFont(dc, &*slot, false);
    }
    dc.setBackgroundMode(Qt::TransparentMode);
    DrawLine(dc, rect, text, centre);
    return slot->pixelSize();
}

std::int32_t TextFitting::DrawFittedText(QPainter& dc, const FrameRect& rect, const QString& text,
                                         bool centre) {
    const QFont font = FitFont(dc, QString(), kFitStartSize, rect, text);
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
            m_glyphs.DrawTextLine(image, dc.font(), rect, text, centre,
                                  FromPixel(dc.pen().color().rgb()));
            return;
        }
    }
    DrawTextLine(dc, rect, text, centre);
}

} // namespace chronivo
