#pragma once

#include "saver/frame_record.h"
#include "time/time_sample.h"

#include <QString>

#include <cstdint>
#include <string>

namespace chronivo {

// A colour 0x00BBGGRR as "#RRGGBB", red first, upper-case hex digits.
std::string ColorText(std::uint32_t color);

// A moment as "YYYY-MM-DDTHH:MM:SS.mmmZ" in UTC.
std::string UtcText(TimeSample at);

// A text as a JSON string literal, quotes included, in UTF-8.
std::string JsonString(const QString& text);

// One frame as one line of JSON (no line break), its fields in this order: at, kind, timeBase,
// background, rainbow, stripeWidth, fullScreenCountdown, countdownDays (null when no countdown
// was drawn), texts [{role, text, rect [left, top, right, bottom] exclusive, centre, color,
// pixelSize}].
std::string FrameJson(const FrameRecord& frame);

} // namespace chronivo
