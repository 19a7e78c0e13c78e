#pragma once

#include "saver/frame_layout.h"
#include "settings/settings_keys.h"

#include <QDate>
#include <QLocale>
#include <QString>

#include <cstdint>
#include <string_view>

namespace chronivo {

// The optional ways a frame can look ("Drift", "LocalNames", "Dark", "Font", "Outline"): small
// pure helpers the frame composer uses, kept apart so each is tested on its own.

// --- Drift: the layout moves by a few pixels every minute ---------------------------------

// How far the layout may move from its centre, device pixels: 2 % of the frame's smaller side,
// truncating (10 for 960 x 540, 21 for 1920 x 1080); 0 for a frame under 50 pixels either way.
std::int32_t DriftMargin(const FrameRect& frame);

// The Halton sequence's radical inverse of `index` in `base` (2 or 3): 0 <= result < 1.
double RadicalInverse(std::uint64_t index, std::uint32_t base);

// The layout's offset, device pixels, for the minute `utcSeconds` falls in (whole minutes since
// 1970, rounded down): each of dx and dy in -margin .. margin, from Halton(2, 3) of the minute,
// so the offsets spread evenly over the square and stay the same for the whole minute.
struct DriftOffset {
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    friend bool operator==(const DriftOffset&, const DriftOffset&) = default;
};
DriftOffset DriftOffsetAt(std::int64_t utcSeconds, std::int32_t margin);

// The rectangle the texts are laid out in: the frame inset by the margin on every side, moved by
// the offset, so it never leaves the frame. Margin 0: the frame itself.
FrameRect DriftedLayoutFrame(const FrameRect& frame, std::int32_t margin, DriftOffset offset);

// --- LocalNames: weekday, month and the date's form from a locale -------------------------

// Whether the clock's weekday and date come from `locale` rather than from the fixed English
// texts: any locale but C (whose names are the English ones the clock shows anyway), and C
// itself when its day names come from another (the system locale's LC_TIME).
bool UsesLocalNames(const QLocale& locale);

// The weekday's name ("Montag", "lundi") and the date in the locale's long form without the
// weekday ("7. Dezember 2026", "7 décembre 2026", "December 7, 2026").
QString LocalWeekday(const QLocale& locale, const QDate& date);
QString LocalDate(const QLocale& locale, const QDate& date);

// A date pattern in QLocale's letters without its weekday field ("ddd" or "dddd") and the
// separators that joined it to the other fields, so no locale leaves a comma, dash or space at
// either end ("dddd، d MMMM yyyy" gives "d MMMM yyyy", "yyyy. MMMM d., dddd" "yyyy. MMMM d.").
// A pattern without a weekday comes back as it is.
QString DateFormatWithoutWeekday(const QString& format);

// --- Dark: black background, text in the wheel's colour -----------------------------------

// The countdown's colour on a dark frame, 0x00BBGGRR: the wheel a third of a turn on from the
// clock's colour while counting down, two thirds on while counting up (always a full colour,
// never black, and apart from the clock's).
std::uint32_t DarkCountdownColor(std::int32_t wheelPhase, bool countingUp);

// --- Outline: a thin black or white edge round the text -----------------------------------

// WCAG 2 relative luminance of a colour 0x00BBGGRR, 0 (black) to 1 (white).
double RelativeLuminance(std::uint32_t color);

// WCAG 2 contrast ratio of two colours, 1 to 21.
double ContrastRatio(std::uint32_t a, std::uint32_t b);

// Black or white, whichever contrasts more with `textColor` (black on a tie).
std::uint32_t OutlineColorFor(std::uint32_t textColor);

// The outline's width for a frame `frameHeight` device pixels tall: one pixel per 500 rows,
// at least 1.
std::int32_t OutlineWidthFor(std::int32_t frameHeight);

} // namespace chronivo
