#pragma once

#include "saver/frame_layout.h"
#include "time/time_sample.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace chronivo {

// One text a frame drew, as it drew it.
struct DrawnText {
    std::string role; // "banner", "weekday", "date", "time", "countdown" or "city"
    QString text;
    FrameRect rect;             // the rectangle it was drawn into, buffer pixels, exclusive
    bool centre = false;        // centred horizontally (else left-aligned)
    std::uint32_t color = 0;    // 0x00BBGGRR
    std::int32_t pixelSize = 0; // character height of its font, pixels

    friend bool operator==(const DrawnText&, const DrawnText&) = default;
};

// What one frame showed: enough to check a frame without looking at its pixels, and what
// chronivo-render prints for each frame.
struct FrameRecord {
    TimeSample at;                       // the frame's one time sample (UTC)
    std::string kind;                    // "clock" or "world"
    std::int32_t timeBase = 0;           // tenths of a second within the local hour, 0..36000
    std::uint32_t background = 0;        // the frame's background colour, 0x00BBGGRR
    bool rainbow = false;                // the window's striped flag as this frame used it
    std::int32_t stripeWidth = 1;        // the stripe width, pixels, this frame was painted with
    bool fullScreenCountdown = false;    // the countdown state this frame was drawn in
    std::optional<double> countdownDays; // what the countdown returned; none when not drawn
    std::vector<DrawnText> texts;        // every text drawn, in drawing order
};

} // namespace chronivo
