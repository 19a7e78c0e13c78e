#include "saver/frame_layout.h"

#include <stdexcept>

namespace chronivo {

QRect ToQRect(const FrameRect& rect) {
    // QRect(x, y, w, h) has right() = x + w - 1: the exclusive right edge minus one.
    return QRect(rect.left, rect.top, rect.Width(), rect.Height());
}

FrameRect FromQRect(const QRect& rect) {
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

ClockLayout ClockLineRects(const FrameRect& frame) {
    const std::int32_t h = frame.Height();
    const std::int32_t a = h / 3; // distance between the tops of the three large lines
    const std::int32_t b = h / 5; // height of each large line
    const std::int32_t first = frame.top + kBannerHeight;
    ClockLayout layout;
    layout.banner = {frame.left, frame.top, frame.right, first};
    layout.weekday = {frame.left, first, frame.right, first + b};
    layout.date = {frame.left, first + a, frame.right, first + a + b};
    layout.time = {frame.left, first + 2 * a, frame.right, first + 2 * a + b};
    return layout;
}

FrameRect CountdownBandRect(const FrameRect& frame) {
    return {frame.left, frame.bottom - frame.Height() / 12, frame.right, frame.bottom};
}

FrameRect WorldBandRect(const FrameRect& frame, std::int32_t count, std::int32_t index) {
    if (count < 1) {
        throw std::invalid_argument("WorldBandRect: no bands");
    }
    const std::int32_t band = frame.Height() / count;
    return {frame.left, frame.top + index * band, frame.right, frame.top + (index + 1) * band};
}

} // namespace chronivo
