#include "saver/rainbow.h"

#include "settings/settings_keys.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace chronivo {

std::int32_t TimeBase(std::int32_t milliseconds, std::int32_t second, std::int32_t minute) {
    return (milliseconds + 50) / 100 + 10 * second + 600 * minute;
}

std::uint32_t HueColor(std::int32_t phase) {
    if (phase < 0) {
        // Round the wheel to the same colour a non-negative phase has; the saver never gets here.
        phase = phase % kPhasePerTurn + kPhasePerTurn;
    }
    const std::int32_t segment = phase / kPhasePerSegment;
    const std::int32_t i = segment % 6;
    const std::int32_t p = (i + 5) % 6;
    const std::uint32_t r = static_cast<std::uint32_t>(phase % kPhasePerSegment); // 0..1535
    std::uint32_t color = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::uint32_t to = (HueTable[static_cast<std::size_t>(i)] >> shift) & 0xFFu;
        const std::uint32_t from = (HueTable[static_cast<std::size_t>(p)] >> shift) & 0xFFu;
        const std::uint32_t value = (to * r + from * (kPhasePerSegment - r)) / kPhasePerSegment;
        color |= value << shift;
    }
    return color;
}

std::int32_t SolidPhase(std::int32_t timeBase, std::int32_t speed) {
    // 64-bit product: a time base of 36000 gives 55 296 000, but keep any input safe.
    return static_cast<std::int32_t>(std::int64_t{timeBase} * kPhasePerSegment / speed);
}

std::int32_t StripePhase(std::int32_t x, std::int32_t width, std::int32_t timeBase,
                         std::int32_t speed) {
    const std::int64_t across = std::int64_t{x} * (2 * kPhasePerSegment) / width; // 0..3071
    return static_cast<std::int32_t>(across + SolidPhase(timeBase, speed));
}

QColor ToQColor(std::uint32_t color) {
    return QColor(static_cast<int>(color & 0xFFu), static_cast<int>((color >> 8) & 0xFFu),
                  static_cast<int>((color >> 16) & 0xFFu));
}

QRgb ToPixel(std::uint32_t color) {
    return qRgb(static_cast<int>(color & 0xFFu), static_cast<int>((color >> 8) & 0xFFu),
                static_cast<int>((color >> 16) & 0xFFu));
}

std::uint32_t FromPixel(QRgb pixel) {
    return static_cast<std::uint32_t>(qRed(pixel)) |
           static_cast<std::uint32_t>(qGreen(pixel)) << 8 |
           static_cast<std::uint32_t>(qBlue(pixel)) << 16;
}

namespace {

void RequireRgb32(const QImage& dc) {
    switch (dc.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return;
    default:
        throw std::invalid_argument("background painting needs a 32-bit RGB buffer");
    }
}

// Columns and rows of `rect` that lie inside the buffer, exclusive at right and bottom.
FrameRect ClipToImage(const QImage& dc, const FrameRect& rect) {
    return {std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, dc.width()),
            std::min(rect.bottom, dc.height())};
}

QRgb* Row(QImage& dc, std::int32_t y) {
    return reinterpret_cast<QRgb*>(dc.scanLine(y));
}

// Copies columns [left, right) of row `from` into every row below it up to `bottom`.
void CopyRowDown(QImage& dc, std::int32_t from, std::int32_t left, std::int32_t right,
                 std::int32_t bottom) {
    const QRgb* source = Row(dc, from) + left;
    const std::size_t bytes = static_cast<std::size_t>(right - left) * sizeof(QRgb);
    for (std::int32_t y = from + 1; y < bottom; ++y) {
        std::memcpy(Row(dc, y) + left, source, bytes);
    }
}

} // namespace

void FillSolid(QImage& dc, const FrameRect& rect, std::uint32_t color) {
    RequireRgb32(dc);
    const FrameRect clip = ClipToImage(dc, rect);
    if (clip.left >= clip.right || clip.top >= clip.bottom) {
        return;
    }
    if (clip == FrameRect{0, 0, dc.width(), dc.height()}) {
        dc.fill(ToPixel(color));
        return;
    }
    std::fill(Row(dc, clip.top) + clip.left, Row(dc, clip.top) + clip.right, ToPixel(color));
    CopyRowDown(dc, clip.top, clip.left, clip.right, clip.bottom);
}

std::uint32_t PaintStripes(QImage& dc, const FrameRect& rect, std::int32_t width,
                           std::int32_t timeBase, std::int32_t speed, std::int32_t stripeWidth) {
    RequireRgb32(dc);
    if (stripeWidth < 1 || speed < 1) {
        throw std::invalid_argument("stripes need a width and a speed of at least 1");
    }
    const std::uint32_t first = HueColor(SolidPhase(timeBase, speed));
    const FrameRect clip = ClipToImage(dc, rect);
    if (clip.top >= clip.bottom) {
        return first;
    }
    // The stripes' columns, clipped to the buffer: the last stripe may reach past `width`.
    std::int32_t paintedLeft = clip.right;
    std::int32_t paintedRight = clip.left;
    QRgb* row = Row(dc, clip.top);
    for (std::int64_t x = 0; x < width; x += stripeWidth) {
        const std::int64_t from = std::max<std::int64_t>(x, clip.left);
        const std::int64_t to = std::min<std::int64_t>(x + stripeWidth, clip.right);
        if (from >= to) {
            continue;
        }
        const QRgb pixel =
            ToPixel(HueColor(StripePhase(static_cast<std::int32_t>(x), width, timeBase, speed)));
        std::fill(row + from, row + to, pixel);
        paintedLeft = std::min(paintedLeft, static_cast<std::int32_t>(from));
        paintedRight = std::max(paintedRight, static_cast<std::int32_t>(to));
    }
    if (paintedLeft < paintedRight) {
        CopyRowDown(dc, clip.top, paintedLeft, paintedRight, clip.bottom);
    }
    return first;
}

void PaceCheck(StripePace& pace, std::int32_t timeBase, std::int32_t width, std::int32_t& rainbow) {
    if (timeBase == pace.m_lastTimeBase + 1) {
        pace.m_lagCount = 0;
    } else {
        const std::int32_t before = pace.m_lagCount;
        pace.m_lagCount = before + 1;
        if (before > 3) {
            const std::int32_t w = pace.m_stripeWidth;
            pace.m_stripeWidth = w + 1;
            if (w > width / 8) {
                rainbow = 0;
            }
            pace.m_lagCount = 0;
        }
    }
    pace.m_lastTimeBase = timeBase;
}

std::uint32_t PaintBackground(QImage& dc, const FrameRect& rect, std::int32_t width,
                              std::int32_t timeBase, std::int32_t speed, StripePace& pace,
                              std::int32_t& rainbow) {
    const std::uint32_t backColor = HueColor(SolidPhase(timeBase, speed));
    if (pace.m_paceRole == PaceRole::FollowSolid) {
        rainbow = 0;
    }
    if (rainbow == 0) {
        FillSolid(dc, rect, backColor);
        return backColor;
    }
    PaintStripes(dc, rect, width, timeBase, speed, pace.m_stripeWidth);
    if (pace.m_paceRole == PaceRole::Check) {
        PaceCheck(pace, timeBase, width, rainbow);
    }
    return backColor;
}

} // namespace chronivo
