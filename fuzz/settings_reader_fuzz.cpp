// Fuzzes reading the settings: the input is the settings file, read through the store the saver
// and the dialog use (QSettingsStore, on QSettings' INI reader), then through the saver's rules
// (ReadSaverSettings) and the dialog's (its defaults, the speed slider, the target's fields, the
// minutes field, the font). Whatever the file holds, every value comes out within the range the
// code states.
//
// QSettings keeps parsed files in a process-wide cache keyed by path, size and time, so every
// input is written to a file of its own name in a private folder and removed after the run.
//
// It reads with a QCoreApplication only, as the idle watcher does: no value of the file may need
// more (a "@Variant(...)" bitmap, which Qt cannot make without a GUI application, is never
// decoded).
#include "config/add_place.h"
#include "config/config_values.h"
#include "config/start_after.h"
#include "saver/saver_settings.h"
#include "settings/profile_store.h"
#include "settings/settings_keys.h"
#include "time/daylight_rule.h"
#include "time/world_time.h"
#include "zones/zone_code.h"
#include "zones/zone_lookup.h"

#include "fuzz_support.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <memory>

namespace {

using chronivo::fuzz::Check;
namespace keys = chronivo::keys;
using chronivo::Reader;

// 2026-01-15T12:00:00Z, the moment the settings are read.
constexpr std::int64_t kReadAt = 1768478400;

std::unique_ptr<QCoreApplication> s_app;
std::unique_ptr<QTemporaryDir> s_folder;
std::uint64_t s_runs = 0;

void CheckFont(const QString& stored) {
    const chronivo::FontChoice font = chronivo::ParseFontSetting(stored.toStdString());
    Check(font.family.size() <= 200, "Font: a family of at most 200 characters");
    Check(font.family == font.family.trimmed(), "Font: blanks round the family are ignored");
    Check(std::none_of(font.family.begin(), font.family.end(),
                       [](QChar c) { return c.category() == QChar::Other_Control; }),
          "Font: no control character in the family");
    if (!font.family.contains(QLatin1Char(':'))) {
        Check(chronivo::ParseFontSetting(chronivo::FontSettingText(font).toStdString()) == font,
              "Font: the stored text of a choice reads back as that choice");
    }
}

void CheckSaverValues(const chronivo::ProfileStore& store) {
    const chronivo::SaverSettings s = chronivo::ReadSaverSettings(store, kReadAt);
    Check(s.m_worldCount >= 0 && s.m_worldCount <= chronivo::kMaxWorldTimeEntries,
          "saver: 0 to 10 world-time entries");
    chronivo::DaylightRules standardOnly([](std::int32_t) { return chronivo::DaylightRule{}; });
    std::int64_t west = INT64_MIN;
    for (int i = 0; i < chronivo::kMaxWorldTimeEntries; ++i) {
        const chronivo::WorldTimeEntry& entry = s.m_worldEntries[static_cast<std::size_t>(i)];
        if (i >= s.m_worldCount) {
            Check(entry.m_label.empty() && entry.m_zone == 0 && entry.m_tzName.empty(),
                  "saver: no entry beyond the count");
            continue;
        }
        const std::int64_t offset =
            chronivo::CityUtcOffset(chronivo::EntryTimeZone(entry.m_tzName, entry.m_label),
                                    entry.m_zone, kReadAt, standardOnly);
        Check(offset >= west, "saver: the entries are ordered west to east");
        west = offset;
    }
    Check(chronivo::UsableSpeed(s.m_speed) >= 1, "saver: the wheel runs forwards");
    CheckFont(QString::fromStdString(s.m_font));
}

void CheckDialogValues(const chronivo::ProfileStore& store) {
    // The speed slider: the usable speed, held within the slider's range, then quantised.
    const int usable = chronivo::UsableSpeed(chronivo::ReadInt(store, keys::Speed, Reader::Dialog));
    Check(usable >= 1, "dialog: the wheel runs forwards");
    const int position = std::clamp(usable, 0, chronivo::kSpeedSliderMax);
    const int speed = chronivo::QuantiseSpeed(position);
    Check(speed >= chronivo::kSpeedMin && speed <= chronivo::kSpeedSliderMax && speed >= position &&
              speed == chronivo::kSpeedSliderMax / (chronivo::kSpeedSliderMax / speed),
          "dialog: a speed of 6000 div n (6 to 6000) at or above the slider's position");
    Check(chronivo::QuantiseSpeed(speed) == speed, "dialog: a quantised speed stays as it is");
    static const QRegularExpression kSpeedText(
        QStringLiteral("^cycle in [0-9]+\\.[0-9]{2} minutes$"));
    Check(kSpeedText.match(chronivo::SpeedText(speed)).hasMatch(),
          "dialog: the read-out has a decimal point and two decimals");

    // The countdown's target in the pickers: mode 3 with the stored year, mode 4 in 2000.
    const int year = chronivo::ReadInt(store, keys::Year, Reader::Dialog);
    const int month = chronivo::ReadInt(store, keys::Month, Reader::Dialog);
    const int day = chronivo::ReadInt(store, keys::Day, Reader::Dialog);
    const int hour = chronivo::ReadInt(store, keys::Hour, Reader::Dialog);
    const int minute = chronivo::ReadInt(store, keys::Minute, Reader::Dialog);
    const int second = chronivo::ReadInt(store, keys::Second, Reader::Dialog);
    for (const int pickerYear : {year, 2000}) {
        const QDateTime target =
            chronivo::LocalTimeFromFields(pickerYear, month, day, hour, minute, second);
        Check(target.isValid() && target.date() >= chronivo::EarliestPickerDate() &&
                  target.date() <= chronivo::LatestPickerDate(),
              "dialog: the target is a time the date picker can show");
    }
    // The Year box shows the year in full, and OK reads it back.
    Check(chronivo::ParseWholeNumber(QString::number(year)) == year,
          "dialog: the Year box reads back the year it shows");

    // "Start the saver after": off for 0 and below, at most a day.
    const int startAfter = chronivo::ReadInt(store, keys::StartAfter, Reader::Dialog);
    const int minutes = startAfter > 0 ? std::min(startAfter, chronivo::kStartAfterMaxMinutes)
                                       : chronivo::kStartAfterDefaultMinutes;
    Check(minutes >= chronivo::kStartAfterMinMinutes && minutes <= chronivo::kStartAfterMaxMinutes,
          "dialog: the minutes field holds 1 to 1440");

    // The places with a zone of their own get their code made anew.
    const int count = std::min(chronivo::ReadInt(store, keys::WTcount, Reader::Dialog),
                               chronivo::kMaxWorldTimeEntries);
    for (int i = 0; i < count; ++i) {
        const QTimeZone zone = chronivo::KnownTimeZone(
            chronivo::ReadString(store, keys::WTtz, chronivo::WorldTzKey(i)).toStdString());
        if (!zone.isValid()) {
            continue;
        }
        const chronivo::ZoneParts parts =
            chronivo::DecodeZoneCode(chronivo::ZoneCodeOf(zone, kReadAt));
        Check(parts.offsetSeconds >= -24 * 3600 && parts.offsetSeconds <= 24 * 3600,
              "dialog: a zone's code holds its standard offset, within a day");
    }

    CheckFont(chronivo::ReadString(store, keys::Font));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    // The dialog's target is local time: a zone with daylight saving, the same on every machine.
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    static int argc = 1;
    static char name[] = "settings_reader_fuzz";
    static char* argv[] = {name, nullptr};
    s_app = std::make_unique<QCoreApplication>(argc, argv);
    s_folder = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                               QStringLiteral("/chronivo-settings-fuzz-XXXXXX"));
    Check(s_folder->isValid(), "a private temporary folder");
    // Removed when the process ends normally; a crash leaves it for a look.
    std::atexit([] {
        s_folder.reset();
        s_app.reset();
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A new name every run: QSettings must parse these bytes, not a cached file.
    const QString path = s_folder->filePath(QStringLiteral("Chronivo-%1.conf").arg(++s_runs));
    {
        QFile file(path);
        Check(file.open(QIODevice::WriteOnly) &&
                  file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) ==
                      static_cast<qint64>(size),
              "the input is written to its settings file");
    }
    {
        const chronivo::QSettingsStore store(path);
        CheckSaverValues(store);
        CheckDialogValues(store);
        Check(store.ReadProblem().isEmpty(), "a regular file is read");
    }
    QFile::remove(path);
    return 0;
}
