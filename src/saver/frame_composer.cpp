#include "saver/frame_composer.h"

#include "saver/rainbow.h"
#include "time/computer_zone.h"
#include "time/local_time.h"
#include "time/world_time.h"
#include "zones/zone_lookup.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>
#include <utility>
#include <vector>

namespace chronivo {

const QString& BannerText() {
    // Made on first use, kept until the process ends.
    static const QString text = QStringLiteral("© Chronivo, date and time.");
    return text;
}

bool FullScreenCountdownAfter(bool fullScreen, double distanceDays) {
    const double magnitude = std::fabs(distanceDays);
    if (fullScreen) {
        return !(magnitude > kFullScreenCountdownDays);
    }
    return magnitude < kFullScreenCountdownDays;
}

const char* ClockTimePattern(bool use24Hour, bool showSeconds) {
    if (use24Hour) {
        return showSeconds ? "%H:%M:%S" : "%H:%M";
    }
    return showSeconds ? "%I:%M:%S %p" : "%I:%M %p";
}

namespace {

DaylightRules MakeDaylightRules(DaylightRules::RuleOfYear ruleOfYear) {
    return ruleOfYear != nullptr ? DaylightRules(ruleOfYear) : ComputerDaylightRules();
}

CountdownTarget TargetOf(const SaverSettings& s) {
    return {s.m_targetYear, s.m_targetMonth,  s.m_targetDay,
            s.m_targetHour, s.m_targetMinute, s.m_targetSecond};
}

// Minute and second of the local hour from the frame's local fields. Should the C library have
// failed to convert the moment (a year beyond its range), the UTC reading is used so that the
// colours still run.
void LocalMinuteSecond(const std::optional<std::tm>& local, std::int64_t utcSeconds,
                       std::int32_t& minute, std::int32_t& second) {
    if (local) {
        minute = local->tm_min;
        second = local->tm_sec;
        return;
    }
    const std::int64_t inHour = ((utcSeconds % 3600) + 3600) % 3600;
    minute = static_cast<std::int32_t>(inHour / 60);
    second = static_cast<std::int32_t>(inHour % 60);
}

} // namespace

FrameComposer::FrameComposer(const SaverSettings& settings, StripePace& pace,
                             const FrameOptions& options)
    : m_settings(settings)
    , m_pace(pace)
    , m_devicePixelRatio(options.devicePixelRatio > 0 ? options.devicePixelRatio : 1.0)
    , m_daylightRules(MakeDaylightRules(options.ruleOfYear))
    // Fonts are made for the device pixels the frame is composed in.
    , m_text(static_cast<std::int32_t>(
          std::lround(std::clamp(options.dpi * m_devicePixelRatio, 1.0, double{INT32_MAX}))))
    , m_locale(options.locale)
    , m_localNames(settings.m_localNames && UsesLocalNames(options.locale))
    , m_face(ParseFontSetting(settings.m_font))
    , m_backColor(options.backColor)
    , m_speed(UsableSpeed(settings.m_speed))
    , m_rainbow(settings.m_rainbow)
    , m_target(TargetOf(settings))
    , m_title(settings.m_title) {
    for (std::size_t i = 0; i < m_worldTimeZones.size(); ++i) {
        const WorldTimeEntry& entry = settings.m_worldEntries[i];
        m_worldTimeZones[i] = EntryTimeZone(entry.m_tzName, entry.m_label);
    }
}

void FrameComposer::FixCountdownTarget(TimeSample now) {
    if (m_targetFixed) {
        return;
    }
    m_targetFixed = true;
    auto fields = LocalFields(now.seconds);
    if (!fields) {
        fields = FieldsAtOffset(now.seconds, 0);
    }
    if (fields) {
        chronivo::FixCountdownTarget(m_settings.m_countdownMode, fields->tm_year + 1900, m_target,
                                     m_title);
    }
}

std::int32_t FrameComposer::DevicePixels(int logical) const {
    const double pixels = std::round(logical * m_devicePixelRatio);
    return static_cast<std::int32_t>(std::clamp(pixels, 0.0, 1.0e9));
}

bool FrameComposer::IsWorldTimeFrame() const {
    return m_settings.m_worldTime != 0 && m_settings.m_worldCount > 0;
}

FrameRect FrameComposer::FrameOf(QSize frameSize) const {
    const FrameRect frame{0, 0, DevicePixels(frameSize.width()), DevicePixels(frameSize.height())};
    if (frame.Width() <= 0 || frame.Height() <= 0) {
        throw FrameError("a frame needs a width and a height");
    }
    return frame;
}

const FrameRecord& FrameComposer::DrawFrame(TimeSample now, QSize frameSize) {
    // 1. The frame rectangle, in device pixels, at the buffer's origin.
    const FrameRect frame = FrameOf(frameSize);
    // 3. The buffer, once per window.
    if (m_frameBitmap.isNull()) {
        m_frameBitmap = QImage(frame.Width(), frame.Height(), QImage::Format_RGB32);
        if (m_frameBitmap.isNull()) {
            throw FrameError("the frame buffer cannot be made");
        }
    }
    return Compose(m_frameBitmap, frame, now);
}

bool FrameComposer::FitsFrame(const QImage& target, QSize frameSize) const {
    const bool format = target.format() == QImage::Format_RGB32 ||
                        target.format() == QImage::Format_ARGB32_Premultiplied;
    return format && frameSize.width() > 0 && frameSize.height() > 0 &&
           target.width() >= DevicePixels(frameSize.width()) &&
           target.height() >= DevicePixels(frameSize.height());
}

const FrameRecord& FrameComposer::DrawFrameInto(QImage& target, TimeSample now, QSize frameSize) {
    if (!FitsFrame(target, frameSize)) {
        throw FrameError("the window's buffer cannot take the frame");
    }
    return Compose(target, FrameOf(frameSize), now);
}

const FrameRecord& FrameComposer::Compose(QImage& buffer, const FrameRect& frame, TimeSample now) {
    // 2. One time sample for the whole frame.
    m_timeSample = now;
    FixCountdownTarget(now);

    // 4. The moment in local fields, converted once: the time base and the clock texts read
    // them. Time base from the local minute and second.
    const std::optional<std::tm> local = LocalFields(now.seconds);
    std::int32_t minute = 0;
    std::int32_t second = 0;
    LocalMinuteSecond(local, now.seconds, minute, second);
    const std::int32_t timeBase = TimeBase(std::clamp(now.millis, 0, 999), second, minute);

    // A fresh record that keeps the storage of the last one's texts: no allocation per frame.
    std::vector<DrawnText> texts = std::move(m_record.texts);
    texts.clear();
    m_record = FrameRecord{};
    m_record.texts = std::move(texts);
    m_record.at = now;
    m_record.kind = IsWorldTimeFrame() ? "world" : "clock";
    m_record.timeBase = timeBase;
    m_record.rainbow = m_rainbow != 0;
    m_record.stripeWidth = m_pace.m_stripeWidth;
    m_record.fullScreenCountdown = m_fullScreenCountdown != 0;

    // 5. Background; from here on m_backColor is this frame's colour. A dark frame is black,
    // striped or not, and its texts take the wheel's colour instead.
    m_wheelPhase = SolidPhase(timeBase, m_speed);
    if (m_settings.m_dark) {
        m_backColor = 0x000000;
        FillSolid(buffer, frame, m_backColor);
    } else {
        m_backColor =
            PaintBackground(buffer, frame, frame.Width(), timeBase, m_speed, m_pace, m_rainbow);
    }
    m_record.background = m_backColor;

    // Where the texts go: the whole frame, or with drift the inset frame moved for this minute.
    FrameRect layout = frame;
    if (m_settings.m_drift) {
        const std::int32_t margin = DriftMargin(frame);
        layout = DriftedLayoutFrame(frame, margin, DriftOffsetAt(now.seconds, margin));
    }
    m_text.SetOutlineWidth(m_settings.m_outline ? OutlineWidthFor(frame.Height()) : 0);

    QPainter dc;
    if (!dc.begin(&buffer)) {
        throw FrameError("the frame buffer cannot be painted");
    }
    // 6. World-time bands or the clock.
    if (IsWorldTimeFrame()) {
        DrawWorldBands(dc, layout);
    } else {
        DrawClock(dc, layout, local);
    }
    dc.end();
    return m_record;
}

FrameComposer::CityText FrameComposer::CityTextAt(std::size_t i, std::int64_t utcSeconds) {
    const WorldTimeEntry& entry = m_settings.m_worldEntries[i];
    const std::int64_t offset =
        CityUtcOffset(m_worldTimeZones[i], entry.m_zone, utcSeconds, m_daylightRules);
    // The time as FormatCityLabel puts it after the label: the label's text followed by this is
    // exactly the city's whole band text.
    return {QString::fromStdString(entry.m_label),
            QString::fromStdString(FormatCityLabel({}, offset, utcSeconds, m_settings.m_24Hour != 0,
                                                   m_settings.m_showSeconds != 0))};
}

void FrameComposer::DrawWorldBands(QPainter& dc, const FrameRect& frame) {
    // 7. One band per city, all through the weekday slot; the labels are black on every
    // background but a dark one.
    const std::int32_t count = std::min(m_settings.m_worldCount, kMaxWorldTimeEntries);
    const auto cities = static_cast<std::size_t>(count);
    std::array<CityText, kMaxWorldTimeEntries> labels;
    for (std::size_t i = 0; i < cities; ++i) {
        labels[i] = CityTextAt(i, m_timeSample.seconds);
    }
    if (!m_weekdayFont) {
        // The one font must keep every city's label inside its band for as long as the window
        // runs: it is fitted to all of them, and to each as it reads twelve hours later, since
        // "AM" and "PM" differ in width.
        constexpr std::int64_t kLatest = std::numeric_limits<std::int64_t>::max() - 12 * 3600;
        std::array<QString, 2 * kMaxWorldTimeEntries> fitted;
        for (std::size_t i = 0; i < cities; ++i) {
            fitted[2 * i] = labels[i].Whole();
            fitted[2 * i + 1] =
                CityTextAt(i, std::min(m_timeSample.seconds, kLatest) + 12 * 3600).Whole();
        }
        m_text.FitSlot(m_weekdayFont, dc, WorldBandRect(frame, count, 0),
                       std::span<const QString>(fitted.data(), 2 * cities), m_face);
    }
    const std::uint32_t color = m_settings.m_dark ? TextColor() : 0x000000;
    // A label too long for its band gives way to its time, measured in the font the band is
    // drawn with; lines that fit are drawn as they are.
    m_text.SelectFont(dc, &*m_weekdayFont, false);
    const QFontMetrics metrics = dc.fontMetrics();
    for (std::int32_t i = 0; i < count; ++i) {
        const FrameRect band = WorldBandRect(frame, count, i);
        const CityText& city = labels[static_cast<std::size_t>(i)];
        DrawRecorded("city", &m_weekdayFont, dc, band,
                     ElideCityLine(city.label, city.time, metrics, band.Width()), true, color);
    }
}

void FrameComposer::DrawClock(QPainter& dc, const FrameRect& frame,
                              const std::optional<std::tm>& local) {
    // 8. The countdown: full-screen frames show nothing else.
    if (m_settings.m_countdownMode != 0) {
        if (m_fullScreenCountdown != 0) {
            const double days = DrawCountdown(dc, frame);
            m_record.countdownDays = days;
            m_fullScreenCountdown = FullScreenCountdownAfter(true, days) ? 1 : 0;
            return;
        }
        const double days = DrawCountdown(dc, CountdownBandRect(frame));
        m_record.countdownDays = days;
        m_fullScreenCountdown = FullScreenCountdownAfter(false, days) ? 1 : 0;
    }

    // 9. The clock lines in the inverse of the background (the wheel's colour when dark).
    const std::uint32_t color = TextColor();

    // 10. Texts, in the C locale or with local names the weekday and date in the chosen
    // locale's; a moment the C library cannot convert gives empty texts.
    QString weekday;
    QString date;
    QString time;
    if (local && m_localNames) {
        const QDate day(local->tm_year + 1900, local->tm_mon + 1, local->tm_mday);
        weekday = LocalWeekday(m_locale, day);
        date = LocalDate(m_locale, day);
    } else if (local) {
        weekday = QString::fromStdString(FormatTimeC("%A", *local));
        date = QString::fromStdString(FormatTimeC("%B %d, %Y", *local));
    }
    if (local) {
        time = QString::fromStdString(FormatTimeC(
            ClockTimePattern(m_settings.m_24Hour != 0, m_settings.m_showSeconds != 0), *local));
    }

    // 11. The four lines.
    const ClockLayout layout = ClockLineRects(frame);
    DrawRecorded("banner", &m_bannerFont, dc, layout.banner, BannerText(), false, color);
    DrawRecorded("weekday", &m_weekdayFont, dc, layout.weekday, weekday, true, color);
    DrawRecorded("date", &m_dateFont, dc, layout.date, date, true, color);
    DrawRecorded("time", &m_timeFont, dc, layout.time, time, true, color);
}

double FrameComposer::DrawCountdown(QPainter& dc, const FrameRect& rect) {
    const CountdownReading reading =
        ComputeCountdown(m_timeSample, UtcOffsetAt(m_timeSample.seconds), m_target);
    const std::uint32_t color = m_settings.m_dark
                                    ? DarkCountdownColor(m_wheelPhase, reading.countingUp)
                                    : CountdownColor(m_backColor, reading.countingUp);
    if (m_fullScreenCountdown != 0) {
        // The bare countdown, fitted afresh on every frame.
        DrawRecorded("countdown", nullptr, dc, rect, QString::fromStdString(reading.text), true,
                     color);
    } else {
        DrawRecorded("countdown", &m_countdownFont, dc, rect,
                     QString::fromStdString(CountdownBandText(m_title, reading.text)), true, color);
    }
    return reading.distanceDays;
}

void FrameComposer::DrawRecorded(const char* role, FontSlot* slot, QPainter& dc,
                                 const FrameRect& rect, const QString& text, bool centre,
                                 std::uint32_t color) {
    dc.setPen(ToQColor(color));
    // The banner keeps the default face; the chosen one is for the large texts.
    const FontChoice& face = slot == &m_bannerFont ? FontChoice{} : m_face;
    const std::int32_t pixelSize = slot != nullptr
                                       ? m_text.DrawSlotText(*slot, dc, rect, text, centre, face)
                                       : m_text.DrawFittedText(dc, rect, text, centre, face);
    m_record.texts.push_back({role, text, rect, centre, color, pixelSize});
}

std::uint32_t FrameComposer::TextColor() const {
    return m_settings.m_dark ? HueColor(m_wheelPhase) : m_backColor ^ 0xFFFFFFu;
}

} // namespace chronivo
