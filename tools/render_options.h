#pragma once

#include "time/time_sample.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace chronivo {

// What one run of chronivo-render composes and writes:
//   chronivo-render [--settings FILE] [--at TIME] [--size WxH] [--dpi N]
//                   [--frames N] [--step-ms N] [--png FILE] [--json]
struct RenderOptions {
    QString settingsFile;         // empty: the user's own settings
    std::optional<TimeSample> at; // the first frame's moment (UTC); none: now
    QSize size{1920, 1080};       // window size, pixels, each side 1..kMaxRenderSide
    std::int32_t dpi = 96;        // the screen's logical dots per inch, 1..kMaxRenderDpi
    std::int32_t frames = 1;      // frames of one window, 1..kMaxRenderFrames
    std::int64_t stepMs = 100;    // milliseconds from one frame to the next, 0..kMaxRenderStepMs
    QString pngFile;              // empty: no picture; "-": standard output
    bool json = false;            // one JSON line per frame on standard output
};

// Limits that keep a run sane: a 16384-pixel side is four 4K screens across, and larger buffers
// could not be made anyway.
inline constexpr std::int32_t kMaxRenderSide = 16384;
inline constexpr std::int32_t kMaxRenderDpi = 9600;
inline constexpr std::int32_t kMaxRenderFrames = 1000000;
inline constexpr std::int64_t kMaxRenderStepMs = 3660LL * 86400000; // ten years

// The options of a command line (the arguments after the program name), or one sentence naming
// the first problem found: an unknown option, a missing value, a malformed time, size or number,
// an option given twice, --help or --version among other options, --png - with --json (both on
// standard output). The settings file and the PNG's path are not looked at here.
std::variant<RenderOptions, std::string> ParseRenderOptions(const QStringList& args);

// What a lone --help or --version asks for, to go to standard output as it is: the usage text,
// or "chronivo-render VERSION" and a line feed. Nothing for any other command line.
std::optional<std::string> RenderInfoText(const QStringList& args);

// "YYYY-MM-DDTHH:MM:SS" with optional ".mmm", then "Z" for UTC or nothing for the local time of
// the C library's zone (TZ). A local time that a daylight-saving switch skips is moved on as
// mktime moves it; one that happens twice takes mktime's choice. Nothing when malformed, out of
// range (month 1..12, day within the month, hour 0..23, minute and second 0..59) or not
// convertible.
std::optional<TimeSample> ParseFrameTime(const QString& text);

// "WxH" with two whole decimal numbers; nothing when malformed. Zero and too-large sides are
// checked by the caller, which names them.
std::optional<QSize> ParseFrameSize(const QString& text);

// Why the settings file cannot serve, in one sentence, or empty when it can: it must exist, be
// a regular file the user may read, and parse as an INI file.
std::string SettingsFileProblem(const QString& path);

} // namespace chronivo
