#pragma once

#include "saver/frame_layout.h"
#include "saver/frame_record.h"
#include "saver/frame_style.h"
#include "saver/rainbow.h"
#include "saver/saver_settings.h"
#include "saver/text_fitting.h"
#include "time/countdown.h"
#include "time/daylight_rule.h"
#include "time/time_sample.h"

#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QSize>
#include <QString>
#include <QTimeZone>

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <stdexcept>
#include <string>

namespace chronivo {

// A frame that cannot be composed: the buffer cannot be made, or drawing cannot start. The
// saver window answers it by replacing itself with a fresh window.
class FrameError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The short notice at the top left of every clock frame: 26 characters beginning "© ".
const QString& BannerText();

// One hour as a fraction of a day (the double 0.041666666666666664): within it of the target the
// countdown fills the screen.
inline constexpr double kFullScreenCountdownDays = 1.0 / 24.0;

// The full-screen countdown state after a frame whose countdown returned distanceDays. Banded
// goes full-screen only when the magnitude is below one hour; full-screen returns to the band
// only when it is above; exactly one hour changes nothing either way.
bool FullScreenCountdownAfter(bool fullScreen, double distanceDays);

// The strftime pattern of the clock's time line: "%H:%M:%S", "%H:%M", "%I:%M:%S %p" or
// "%I:%M %p".
const char* ClockTimePattern(bool use24Hour, bool showSeconds);

// How a window's frames are made on its screen.
struct FrameOptions {
    std::int32_t dpi = kDefaultDpi;     // the screen's logical dots per inch
    double devicePixelRatio = 1.0;      // device pixels per logical pixel; 1 off-screen
    std::uint32_t backColor = 0xFFFFFF; // the background colour before the first frame
    // The daylight rule the world-time labels apply, per year; none: the computer's own zone.
    DaylightRules::RuleOfYear ruleOfYear = nullptr;
    // The locale of the weekday, month names and date form when "LocalNames" is on: the user's.
    QLocale locale = QLocale::system();
};

// Composes a saver window's frames and keeps the window's frame state between them: the five
// font slots, the countdown target and state, the striped flag, and, for frames composed
// off-screen, the buffer (made on the first such frame, never re-made). Not a widget: the saver
// window composes each frame straight into its own back buffer (DrawFrameInto), and
// chronivo-render and the tests compose into the off-screen buffer (DrawFrame, FrameImage()), with
// exactly the same steps.
//
// Frames are composed in device pixels: a screen with device pixel ratio 2 gets a buffer twice
// as wide and high, fonts made for twice the dpi, and rectangles in those pixels, so the text
// is sharp.
//
// The further options change only what they name, and nothing when off:
// - Drift: the texts are laid out in the frame inset by DriftMargin and moved within it by the
//   minute's DriftOffsetAt; the background still fills the whole frame.
// - LocalNames: the weekday and date from the options' locale (unless it is C); the time keeps
//   ClockTimePattern. The countdown (digits and the title) and the world-time labels (the city's
//   name and its time in the same pattern) have no locale words, and stay as they are.
// - Dark: a black background; the texts take the wheel's colour, which the background would
//   have had (the stripe at x = 0 on a striped window, whose stripes are then not painted), the
//   countdown DarkCountdownColor, the world-time labels the wheel's colour too.
// - Font: every text but the banner in the stored family and weight (ParseFontSetting).
// - Outline: every text edged in black or white, OutlineWidthFor the frame's height.
class FrameComposer {
public:
    // `pace` is the stripes' pace of the run, shared with the other windows' composers; it must
    // outlive the composer.
    FrameComposer(const SaverSettings& settings, StripePace& pace,
                  const FrameOptions& options = {});

    // Fixes the countdown target of modes 1, 2 and 5 from the local year at `now` (and their
    // titles); other modes keep the settings' target. Runs once: the window calls it at its first
    // paint, or the first DrawFrame does; later calls do nothing.
    void FixCountdownTarget(TimeSample now);

    // Composes one whole frame for the moment `now` on a window of `frameSize` logical pixels
    // into the off-screen buffer and returns what it drew (LastFrame(), overwritten by the next
    // frame). Throws FrameError when the buffer cannot be made or painted; the window then
    // replaces itself.
    const FrameRecord& DrawFrame(TimeSample now, QSize frameSize);

    // The same frame composed into `target` instead, from its top-left pixel: a window's back
    // buffer, whose pixels are the frame's device pixels. `target` must be Format_RGB32 or
    // Format_ARGB32_Premultiplied and at least as big as the frame (FitsFrame), or this throws
    // FrameError; the frame's pixels are those DrawFrame composes.
    const FrameRecord& DrawFrameInto(QImage& target, TimeSample now, QSize frameSize);
    // Whether DrawFrameInto can compose a frame of `frameSize` logical pixels into `target`.
    bool FitsFrame(const QImage& target, QSize frameSize) const;

    // The frame composed off-screen, device pixels (null before the first DrawFrame).
    const QImage& FrameImage() const { return m_frameBitmap; }
    // The record of the latest frame.
    const FrameRecord& LastFrame() const { return m_record; }

    // The window's state, for the window, chronivo-render and tests.
    bool FullScreenCountdown() const { return m_fullScreenCountdown != 0; }
    bool Rainbow() const { return m_rainbow != 0; }
    std::uint32_t BackColor() const { return m_backColor; }
    std::int32_t Speed() const { return m_speed; }
    bool TargetFixed() const { return m_targetFixed; }
    const CountdownTarget& Target() const { return m_target; }
    const std::string& Title() const { return m_title; }
    std::int32_t Dpi() const { return m_text.Dpi(); }
    double DevicePixelRatio() const { return m_devicePixelRatio; }
    // Fonts made by fitting so far; after the first frame only the full-screen countdown makes
    // more.
    std::int64_t FontsMade() const { return m_text.FontsMade(); }

private:
    std::int32_t DevicePixels(int logical) const;
    // The frame rectangle, device pixels, for a window of `frameSize` logical pixels.
    FrameRect FrameOf(QSize frameSize) const;
    // A frame from its time sample on, once the buffer and the frame rectangle are known.
    const FrameRecord& Compose(QImage& buffer, const FrameRect& frame, TimeSample now);
    bool IsWorldTimeFrame() const;
    // The two parts of city i's band text (0 .. m_worldCount - 1) at utcSeconds: its label and
    // its time (" 12:00 PM"; empty when the moment cannot be converted). Joined, they are the
    // whole line, which ElideCityLine shortens where it is too wide for its band.
    struct CityText {
        QString label;
        QString time;
        QString Whole() const { return label + time; }
    };
    CityText CityTextAt(std::size_t i, std::int64_t utcSeconds);
    void DrawWorldBands(QPainter& dc, const FrameRect& frame);
    // `local`: the frame's moment in local fields, none when it cannot be converted.
    void DrawClock(QPainter& dc, const FrameRect& frame, const std::optional<std::tm>& local);
    double DrawCountdown(QPainter& dc, const FrameRect& rect);
    // Draws text through a slot (or fitted afresh when slot is null) in colour and records it.
    void DrawRecorded(const char* role, FontSlot* slot, QPainter& dc, const FrameRect& rect,
                      const QString& text, bool centre, std::uint32_t color);
    // The colour of the clock's and world-time's texts on this frame.
    std::uint32_t TextColor() const;

    const SaverSettings m_settings;
    StripePace& m_pace;
    const double m_devicePixelRatio;
    // Each chosen city's tz zone, looked up once; invalid for a label that keeps its stored code.
    std::array<QTimeZone, kMaxWorldTimeEntries> m_worldTimeZones;
    DaylightRules m_daylightRules; // the computer's rule, for labels that keep their code
    TextFitting m_text;            // fitting, with the temporary font
    // The further options, fixed when the composer is made.
    const QLocale m_locale;
    const bool m_localNames; // "LocalNames" on and a locale other than C
    const FontChoice m_face; // of every text but the banner

    // Per-window frame state.
    QImage m_frameBitmap;          // the off-screen buffer, made on the first DrawFrame
    TimeSample m_timeSample;       // the current frame's one time sample
    std::uint32_t m_backColor;     // 0x00BBGGRR
    std::int32_t m_wheelPhase = 0; // the wheel's phase at this frame (the solid colour's)
    std::int32_t m_speed;          // tenths of a second per colour segment, at least 1
    std::int32_t m_rainbow;        // the window's own striped flag; may be cleared
    std::int32_t m_fullScreenCountdown = 0;
    FontSlot m_bannerFont;
    FontSlot m_weekdayFont;
    FontSlot m_dateFont;
    FontSlot m_timeFont;
    FontSlot m_countdownFont;
    bool m_targetFixed = false;
    CountdownTarget m_target;
    std::string m_title;
    FrameRecord m_record;
};

} // namespace chronivo
