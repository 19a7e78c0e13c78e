#pragma once

#include <QRect>

#include <cstdint>

namespace chronivo {

// A rectangle in buffer pixels, exclusive at right and bottom: (0, 0, 1024, 10) covers rows 0 to 9
// and columns 0 to 1023. Every rectangle of a frame is computed and recorded in this form; it
// becomes a QRect (whose right() and bottom() are inclusive) only through ToQRect, where it is
// handed to Qt.
struct FrameRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;  // exclusive
    std::int32_t bottom = 0; // exclusive

    std::int32_t Width() const { return right - left; }
    std::int32_t Height() const { return bottom - top; }

    friend bool operator==(const FrameRect&, const FrameRect&) = default;
};

// The one conversion between the two conventions. An empty or inverted FrameRect gives a QRect of
// zero or negative size with the same left and top.
QRect ToQRect(const FrameRect& rect);
FrameRect FromQRect(const QRect& rect);

// The four lines of a clock frame. With H = bottom - top, a = H / 3 and b = H / 5 (truncating):
// banner top .. top + 10, left-aligned; weekday top + 10 .. top + 10 + b; date starts a below the
// weekday, time 2a below it, each b tall; all span left to right.
struct ClockLayout {
    FrameRect banner;
    FrameRect weekday;
    FrameRect date;
    FrameRect time;
};

// Height of the banner strip at the top of a clock frame, pixels.
inline constexpr std::int32_t kBannerHeight = 10;

ClockLayout ClockLineRects(const FrameRect& frame);

// The countdown band at the bottom of a clock frame: the last (bottom - top) / 12 rows.
FrameRect CountdownBandRect(const FrameRect& frame);

// Band `index` (0 = top) of `count` world-time bands, each (bottom - top) / count rows tall; the
// rows left over below the last band belong to no band. count must be at least 1.
FrameRect WorldBandRect(const FrameRect& frame, std::int32_t count, std::int32_t index);

} // namespace chronivo
