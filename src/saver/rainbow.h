#pragma once

#include "saver/frame_layout.h"
#include "settings/settings_keys.h" // UsableSpeed

#include <QColor>
#include <QImage>

#include <array>
#include <cstdint>

namespace chronivo {

// The six anchor colours of the wheel, 0x00BBGGRR: red, yellow, green, cyan, blue, magenta.
// Neighbours (5 and 0 included) differ in exactly one channel.
inline constexpr std::array<std::uint32_t, 6> HueTable = {0x0000FF, 0x00FFFF, 0x00FF00,
                                                          0xFFFF00, 0xFF0000, 0xFF00FF};

// Phase units from one anchor colour to the next, and for a whole turn of the wheel.
inline constexpr std::int32_t kPhasePerSegment = 1536;
inline constexpr std::int32_t kPhasePerTurn = 6 * kPhasePerSegment;

// Tenths of a second within the local hour, 0 to 36000: the milliseconds (0..999) rounded to the
// nearest tenth, plus 10 per second (0..59) and 600 per minute (0..59). It reaches 36000 in the
// last 50 ms of an hour and starts again at 0 with the next hour.
std::int32_t TimeBase(std::int32_t milliseconds, std::int32_t second, std::int32_t minute);

// The wheel's colour at a phase, 0x00BBGGRR. Segment k (phase / 1536) runs from
// HueTable[(k - 1) mod 6] to HueTable[k mod 6]; each channel is interpolated with the fraction
// dropped. Phase 0 is magenta, 1536 red, 3072 yellow. A negative phase, which the saver never
// makes, is taken round the wheel like any other (-1 is 9215).
std::uint32_t HueColor(std::int32_t phase);

// Phase of the solid background for a time base and speed: timeBase * 1536 / speed.
std::int32_t SolidPhase(std::int32_t timeBase, std::int32_t speed);

// Phase of the stripe that starts at column x of a frame `width` pixels wide:
// x * 3072 / width + timeBase * 1536 / speed, the two divisions made separately.
std::int32_t StripePhase(std::int32_t x, std::int32_t width, std::int32_t timeBase,
                         std::int32_t speed);

// Which striped frames run the pace check. The saver's windows on the other screens paint the
// same tenths as the main window; were their frames counted too, each would look like a frame
// standing still after the main window's, and they would hide its real lag as well. So only the
// main window's frames check (Check, the start value); the others' follow it: stripes
// m_stripeWidth wide and no check while the main window paints stripes (FollowStriped), solid
// colour once it has gone solid (FollowSolid, which clears their own flag for good).
enum class PaceRole { Check, FollowStriped, FollowSolid };

// The stripes' pace, shared by every saver window of a run and never reset while it runs: the
// saver app owns one and hands it to each window it makes, the replacements included (a
// chronivo-render run or a test owns its own). Stripe width in pixels (starts at 1, only grows),
// striped frames in a row whose time base was not one more than the previous one's, the previous
// striped frame's time base, and the role of the frame being painted.
struct StripePace {
    std::int32_t m_stripeWidth = 1;
    std::int32_t m_lagCount = 0;
    std::int32_t m_lastTimeBase = 0;
    PaceRole m_paceRole = PaceRole::Check;
};

// A colour 0x00BBGGRR as Qt wants it, and as a pixel of a 32-bit RGB buffer (0xFFRRGGBB).
QColor ToQColor(std::uint32_t color);
QRgb ToPixel(std::uint32_t color);
std::uint32_t FromPixel(QRgb pixel);

// Fills `rect` (clipped to the buffer) with one colour. The buffer is Format_RGB32,
// Format_ARGB32 or Format_ARGB32_Premultiplied; any other format throws std::invalid_argument.
void FillSolid(QImage& dc, const FrameRect& rect, std::uint32_t color);

// Paints the stripes of one frame: for x = 0, stripeWidth, 2 * stripeWidth ... while x < width,
// the stripe (x, rect.top, x + stripeWidth, rect.bottom) in HueColor(StripePhase(x, ...)). The
// pixels are exactly those of filling each stripe on its own (the last stripe may reach past the
// right edge; everything is clipped to the buffer), but the colours are worked out once for one
// row, which is then copied down. Returns the colour of the stripe at x = 0.
std::uint32_t PaintStripes(QImage& dc, const FrameRect& rect, std::int32_t width,
                           std::int32_t timeBase, std::int32_t speed, std::int32_t stripeWidth);

// The pace check after a striped frame. A frame whose time base is one more than the previous
// striped frame's kept pace and starts the lag count again; any other (standing still, jumping,
// going back, wrapping at the hour) adds one to it, and the fifth in a row widens the stripes by a
// pixel; when the width before that step was already above width / 8 the window's `rainbow` flag
// is cleared, so it paints solid colour from then on. Ends by remembering the time base. Counts
// and widens in `pace`.
void PaceCheck(StripePace& pace, std::int32_t timeBase, std::int32_t width, std::int32_t& rainbow);

// The background step of a frame. `rect` is the frame rectangle in buffer pixels, width its
// width, timeBase 0..36000, speed as UsableSpeed gives it, rainbow the window's striped flag.
// Solid (rainbow 0): fills rect with HueColor(SolidPhase). Striped: PaintStripes with
// pace.m_stripeWidth, then PaceCheck, which may clear rainbow; pace.m_paceRole may skip the check
// or clear rainbow first. Returns the frame's background colour (the solid colour, or the stripe
// at x = 0).
std::uint32_t PaintBackground(QImage& dc, const FrameRect& rect, std::int32_t width,
                              std::int32_t timeBase, std::int32_t speed, StripePace& pace,
                              std::int32_t& rainbow);

} // namespace chronivo
