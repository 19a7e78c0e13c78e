#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace chronivo {

// The colour-change speed. A speed v turns the colour wheel once in v/100 minutes; the slider
// runs from 0 to 6000 with a tick every 300, and every stored speed is 6000 div n (6 to 6000).
inline constexpr int kSpeedSliderMax = 6000;
inline constexpr int kSpeedTickInterval = 300;
inline constexpr int kSpeedMin = 6;

// The nearest stored speed at or above a slider position: 6000 div (6000 div p) with p raised to
// at least 6 (and held at most 6000), so 3001..6000 give 6000, 858..1000 give 1000, 0..6 give 6.
int QuantiseSpeed(int position);

// The slider's read-out for a speed: "cycle in %.2f minutes" of speed / 100, always with a
// decimal point whatever the user's locale ("cycle in 10.00 minutes" for 1000).
QString SpeedText(int speed);

// What the user is told when settings could not be stored: the store's own sentence, which names
// the place and the problem, or a plain one when the store gave none.
QString SaveFailureText(const QString& storeError);

// The Year box's value: a whole decimal number with an optional sign and blanks around it that
// fits a signed 32-bit int; nothing for any other text, the empty one included.
std::optional<int> ParseWholeNumber(const QString& text);

// The earliest and latest day the date picker offers.
QDate EarliestPickerDate();
QDate LatestPickerDate();

// A local time built from calendar fields the way mktime builds one: fields outside their
// ranges carry into the next larger field (month 13 is January of the next year, day 0 the
// last day of the month before, second 60 the next minute), and the daylight-saving decision is
// left to the computer's zone. Results outside the date picker's span are held at its nearest
// end, so any stored int gives a time the picker can show.
QDateTime LocalTimeFromFields(int year, int month, int day, int hour, int minute, int second);

} // namespace chronivo
