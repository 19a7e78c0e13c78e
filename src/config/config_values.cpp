#include "config/config_values.h"

#include <algorithm>
#include <cstdint>

namespace chronivo {

namespace {

// The Julian day of 1970-01-01, where seconds since the epoch count from.
constexpr std::int64_t kUnixEpochJulianDay = 2440588;

// Division rounding towards minus infinity, so that negative fields carry downwards.
std::int64_t FloorDiv(std::int64_t value, std::int64_t divisor) {
    std::int64_t quotient = value / divisor;
    if ((value % divisor != 0) && ((value < 0) != (divisor < 0))) {
        --quotient;
    }
    return quotient;
}

} // namespace

int QuantiseSpeed(int position) {
    const int p = std::clamp(position, kSpeedMin, kSpeedSliderMax);
    return kSpeedSliderMax / (kSpeedSliderMax / p);
}

QString SpeedText(int speed) {
    // QString::asprintf formats numbers in the C locale.
    return QString::asprintf("cycle in %.2f minutes", speed * 0.01);
}

QString SaveFailureText(const QString& storeError) {
    return storeError.isEmpty() ? QStringLiteral("Your settings could not be saved.") : storeError;
}

std::optional<int> ParseWholeNumber(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    // Only an optional sign followed by digits: toLongLong alone would also take "0x1F" forms
    // with base 0 and locale group separators with QLocale, neither of which is a year.
    const int firstDigit = (trimmed.front() == u'+' || trimmed.front() == u'-') ? 1 : 0;
    if (firstDigit == trimmed.size()) {
        return std::nullopt;
    }
    for (qsizetype i = firstDigit; i < trimmed.size(); ++i) {
        if (trimmed.at(i) < u'0' || trimmed.at(i) > u'9') {
            return std::nullopt;
        }
    }
    bool ok = false;
    const qlonglong value = trimmed.toLongLong(&ok, 10);
    if (!ok || value < INT32_MIN || value > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

QDate EarliestPickerDate() {
    return QDate(1601, 1, 1);
}
QDate LatestPickerDate() {
    return QDate(9999, 12, 31);
}

QDateTime LocalTimeFromFields(int year, int month, int day, int hour, int minute, int second) {
    // Months carry into years first, then days and seconds are counted from the first of the
    // resulting month; 64-bit sums, so no int field can overflow them.
    const std::int64_t months = std::int64_t{year} * 12 + (std::int64_t{month} - 1);
    const std::int64_t wholeYear = FloorDiv(months, 12);
    const int monthOfYear = static_cast<int>(months - wholeYear * 12) + 1; // 1..12
    const std::int64_t seconds =
        std::int64_t{hour} * 3600 + std::int64_t{minute} * 60 + std::int64_t{second};
    const std::int64_t dayShift = FloorDiv(seconds, 86400);
    const int secondOfDay = static_cast<int>(seconds - dayShift * 86400); // 0..86399
    const std::int64_t dayOffset = std::int64_t{day} - 1 + dayShift;

    // Far beyond the picker's span the exact day no longer matters: keep the arithmetic within
    // QDate's comfortable range (and away from its missing year 0) before clamping.
    const QDate earliest = EarliestPickerDate();
    const QDate latest = LatestPickerDate();
    if (wholeYear < earliest.year() - 100000 || wholeYear > latest.year() + 100000) {
        return QDateTime(wholeYear < 0 ? earliest : latest,
                         wholeYear < 0 ? QTime(0, 0) : QTime(23, 59, 59));
    }
    constexpr std::int64_t kDayLimit = 100000LL * 366;
    // Years before 1 are moved forward by whole 400-year cycles (146097 days each, the same
    // calendar) and the days taken off again, which keeps QDate away from its missing year 0.
    const std::int64_t cycles = wholeYear >= 1 ? 0 : (1 - wholeYear + 399) / 400;
    const QDate first(static_cast<int>(wholeYear + 400 * cycles), monthOfYear, 1);
    const QDate date =
        first.addDays(std::clamp(dayOffset, -kDayLimit, kDayLimit) - 146097 * cycles);
    if (date < earliest) {
        return QDateTime(earliest, QTime(0, 0));
    }
    if (date > latest) {
        return QDateTime(latest, QTime(23, 59, 59));
    }
    // The fields read as UTC, and the offsets in force a day before and a day after them; an
    // offset fits when the moment it gives has that offset. Qt's own reading of a local time
    // that happens twice changed between its versions, so the choice is made here.
    const std::int64_t asUtc =
        (date.toJulianDay() - kUnixEpochJulianDay) * 86400 + std::int64_t{secondOfDay};
    const auto offsetAt = [](std::int64_t utc) {
        return std::int64_t{QDateTime::fromSecsSinceEpoch(utc).offsetFromUtc()};
    };
    const std::int64_t offsetBefore = offsetAt(asUtc - 86400);
    const std::int64_t offsetAfter = offsetAt(asUtc + 86400);
    // Where the offset after fits, the fields name that moment: alone, or the later of the two
    // in an hour that happens twice (02:30 while the clocks go back from 03:00 to 02:00), as
    // the dialog has always read it. Otherwise the offset before does: alone, or in a time the
    // clocks skip (02:30 while they jump from 02:00 to 03:00), which is read with the offset in
    // force before the jump, as mktime does: as far past the jump as the fields are past its
    // start, 03:30.
    const bool fitsAfter = offsetAt(asUtc - offsetAfter) == offsetAfter;
    const std::int64_t utc = asUtc - (fitsAfter ? offsetAfter : offsetBefore);
    const QDateTime moved = QDateTime::fromSecsSinceEpoch(utc);
    return moved.date() > latest ? QDateTime(latest, QTime(23, 59, 59)) : moved;
}

} // namespace chronivo
