#include "saver/frame_style.h"

#include "saver/rainbow.h"

#include <algorithm>
#include <cmath>

namespace chronivo {

std::int32_t DriftMargin(const FrameRect& frame) {
    const std::int64_t side = std::min(frame.Width(), frame.Height());
    return side > 0 ? static_cast<std::int32_t>(side * 2 / 100) : 0;
}

double RadicalInverse(std::uint64_t index, std::uint32_t base) {
    double result = 0.0;
    double scale = 1.0 / base;
    for (; index > 0; index /= base, scale /= base) {
        result += scale * static_cast<double>(index % base);
    }
    return result;
}

DriftOffset DriftOffsetAt(std::int64_t utcSeconds, std::int32_t margin) {
    if (margin <= 0) {
        return {};
    }
    // Whole minutes since 1970, rounded down, so a moment before 1970 still has its own minute.
    const std::int64_t minute = utcSeconds / 60 - (utcSeconds % 60 < 0 ? 1 : 0);
    const auto index = static_cast<std::uint64_t>(minute);
    // A point of the unit square mapped onto -margin .. margin, rounded: both ends are reached.
    const auto along = [margin](double unit) {
        return static_cast<std::int32_t>(std::lround((2.0 * unit - 1.0) * margin));
    };
    return {along(RadicalInverse(index, 2)), along(RadicalInverse(index, 3))};
}

FrameRect DriftedLayoutFrame(const FrameRect& frame, std::int32_t margin, DriftOffset offset) {
    return {frame.left + margin + offset.dx, frame.top + margin + offset.dy,
            frame.right - margin + offset.dx, frame.bottom - margin + offset.dy};
}

bool UsesLocalNames(const QLocale& locale) {
    // The system locale takes its language from the numbers' setting (LC_NUMERIC) but its names
    // from the time's (LC_TIME): LANG=C with LC_TIME=de_DE.UTF-8 still names the days in German.
    return locale.language() != QLocale::C ||
           locale.standaloneDayName(1) != QLocale::c().standaloneDayName(1);
}

QString LocalWeekday(const QLocale& locale, const QDate& date) {
    return locale.standaloneDayName(date.dayOfWeek(), QLocale::LongFormat);
}

namespace {

// Whether `c`, unquoted in a date pattern, only joins two fields: a space, a comma of any
// script (",", "،", "፣", "၊", "⹁"), a dash or a like mark. Not a full stop, which ends an
// ordinal or an abbreviation ("9.", "2026.", "г.") and belongs to the word before it, nor the
// pattern's quote.
bool IsDateSeparator(QChar c) {
    if (c.isSpace()) {
        return true;
    }
    if (c == u'.' || c == u'\'') {
        return false;
    }
    return c.category() == QChar::Punctuation_Other || c.category() == QChar::Punctuation_Dash;
}

} // namespace

QString DateFormatWithoutWeekday(const QString& format) {
    // Find the weekday's field, a run of three or four unquoted "d" ("ddd", "dddd"), and
    // whether another field comes before it.
    qsizetype begin = -1;
    qsizetype end = -1;
    bool fieldBefore = false;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size() && begin < 0;) {
        const QChar c = format[i];
        if (c == u'\'') {
            quoted = !quoted;
            ++i;
            continue;
        }
        qsizetype run = 1;
        while (!quoted && i + run < format.size() && format[i + run] == c) {
            ++run;
        }
        if (!quoted && c == u'd' && (run == 3 || run == 4)) {
            begin = i;
            end = i + run;
        } else if (!quoted && (c == u'd' || c == u'M' || c == u'y')) {
            fieldBefore = true;
        }
        i += run;
    }
    if (begin < 0) {
        return format;
    }
    // Take the weekday out with the separators that join it to the rest: those after it when
    // it leads, those before it otherwise ("dddd، d MMMM yyyy", "yyyy- MMMM d- dddd").
    if (!fieldBefore) {
        while (end < format.size() && IsDateSeparator(format[end])) {
            ++end;
        }
    } else {
        while (begin > 0 && IsDateSeparator(format[begin - 1])) {
            --begin;
        }
    }
    QString rest = format;
    rest.remove(begin, end - begin);
    // Nothing may be left to join at either end.
    qsizetype first = 0;
    qsizetype last = rest.size();
    while (first < last && IsDateSeparator(rest[first])) {
        ++first;
    }
    while (last > first && IsDateSeparator(rest[last - 1])) {
        --last;
    }
    return rest.mid(first, last - first);
}

QString LocalDate(const QLocale& locale, const QDate& date) {
    // The long form names the weekday too ("dddd, d. MMMM yyyy"), which the line above shows.
    return locale.toString(date, DateFormatWithoutWeekday(locale.dateFormat(QLocale::LongFormat)));
}

std::uint32_t DarkCountdownColor(std::int32_t wheelPhase, bool countingUp) {
    const std::int32_t turn = (countingUp ? 2 : 1) * kPhasePerTurn / 3;
    return HueColor(static_cast<std::int32_t>((std::int64_t{wheelPhase} + turn) % kPhasePerTurn));
}

namespace {

// One sRGB channel, 0..255, on the linear scale WCAG uses.
double Linear(std::uint32_t channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

} // namespace

double RelativeLuminance(std::uint32_t color) {
    return 0.2126 * Linear(color & 0xFFu) + 0.7152 * Linear((color >> 8) & 0xFFu) +
           0.0722 * Linear((color >> 16) & 0xFFu);
}

double ContrastRatio(std::uint32_t a, std::uint32_t b) {
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

std::uint32_t OutlineColorFor(std::uint32_t textColor) {
    return ContrastRatio(textColor, 0x000000) >= ContrastRatio(textColor, 0xFFFFFF) ? 0x000000
                                                                                    : 0xFFFFFF;
}

std::int32_t OutlineWidthFor(std::int32_t frameHeight) {
    return std::max(1, frameHeight / 500);
}

} // namespace chronivo
