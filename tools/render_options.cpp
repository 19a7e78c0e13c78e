#include "render_options.h"

#include "render_output.h"

#include "time/day_date.h"
#include "time/local_time.h"

#include <QFile>
#include <QRegularExpression>
#include <QSettings>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <set>

namespace chronivo {

namespace {

constexpr char kUsage[] =
    "Usage: chronivo-render [--settings FILE] [--at TIME] [--size WxH] [--dpi N]\n"
    "                       [--frames N] [--step-ms N] [--png FILE] [--json]\n"
    "Composes the frames of one saver window off-screen, with the saver's own code, and\n"
    "writes the last one as a PNG picture and every one as a JSON line.\n"
    "\n"
    "  --settings FILE  read the settings from FILE, an INI file with a [ScreenSaver] group\n"
    "                   (default: the user's own settings)\n"
    "  --at TIME        the first frame's moment, YYYY-MM-DDTHH:MM:SS[.mmm], then Z for UTC\n"
    "                   or nothing for local time in the zone of TZ (default: now)\n"
    "  --size WxH       the window's size in pixels (default 1920x1080)\n"
    "  --dpi N          the screen's logical dots per inch (default 96)\n"
    "  --frames N       how many frames the window draws (default 1)\n"
    "  --step-ms N      milliseconds from one frame to the next (default 100)\n"
    "  --png FILE       write the last frame to FILE as a PNG picture; - is standard\n"
    "                   output, and a named pipe or a device is written into as it is\n"
    "  --json           write one JSON object per frame on standard output, one per line\n"
    "  --help           show this text\n"
    "  --version        show the version\n"
    "\n"
    "Exit status: 0 done; 1 no display for the platform QT_QPA_PLATFORM names (the default,\n"
    "offscreen, needs none), or a frame, PNG or JSON that could not be made or written in full;\n"
    "2 a bad argument.\n";

std::string Quoted(const QString& text) {
    // Built in place: GCC 12 at -O3 takes "'" + std::string for an overlapping copy
    // (-Wrestrict), which stops a Release build with warnings as errors.
    std::string quoted = text.toStdString();
    quoted.insert(quoted.begin(), '\'');
    quoted.push_back('\'');
    return quoted;
}

// A whole decimal number of at most 15 digits (no sign, no blanks), or nothing.
std::optional<std::int64_t> Digits(const QString& text) {
    static const QRegularExpression kDigits(QStringLiteral("^[0-9]{1,15}$"));
    if (!kDigits.match(text).hasMatch()) {
        return std::nullopt;
    }
    return text.toLongLong();
}

std::int32_t DaysInMonth(std::int32_t year, std::int32_t month) {
    constexpr std::int32_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Seconds since 1970 UTC of a local time in the C library's zone, or nothing when mktime cannot
// represent it.
std::optional<std::int64_t> LocalToUtc(std::int32_t year, std::int32_t month, std::int32_t day,
                                       std::int32_t hour, std::int32_t minute,
                                       std::int32_t second) {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = -1; // let the zone's rules decide
    const std::time_t utc = std::mktime(&fields);
    if (utc == static_cast<std::time_t>(-1)) {
        // -1 is also one second before 1970 UTC; only then is it a real answer.
        const auto back = LocalFields(-1);
        if (!back || back->tm_year != year - 1900 || back->tm_mon != month - 1 ||
            back->tm_mday != day || back->tm_hour != hour || back->tm_min != minute ||
            back->tm_sec != second) {
            return std::nullopt;
        }
    }
    return static_cast<std::int64_t>(utc);
}

// Reads the value of an option that takes one; sets `problem` when it is missing.
std::optional<QString> ValueOf(const QStringList& args, qsizetype& i, std::string& problem) {
    if (i + 1 >= args.size()) {
        problem = "option " + args[i].toStdString() + " needs a value";
        return std::nullopt;
    }
    ++i;
    return args[i];
}

// A whole number in [low, high] for option `name`, or a problem naming it.
std::optional<std::int64_t> Number(const QString& name, const QString& value, std::int64_t low,
                                   std::int64_t high, std::string& problem) {
    const auto number = Digits(value);
    if (!number || *number < low || *number > high) {
        problem = name.toStdString() + " must be a whole number from " + std::to_string(low) +
                  " to " + std::to_string(high) + ", not " + Quoted(value);
        return std::nullopt;
    }
    return number;
}

} // namespace

std::optional<TimeSample> ParseFrameTime(const QString& text) {
    static const QRegularExpression kTime(QStringLiteral(
        "^([0-9]{4})-([0-9]{2})-([0-9]{2})T([0-9]{2}):([0-9]{2}):([0-9]{2})(\\.([0-9]{3}))?(Z?)$"));
    const QRegularExpressionMatch match = kTime.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const std::int32_t year = match.captured(1).toInt();
    const std::int32_t month = match.captured(2).toInt();
    const std::int32_t day = match.captured(3).toInt();
    const std::int32_t hour = match.captured(4).toInt();
    const std::int32_t minute = match.captured(5).toInt();
    const std::int32_t second = match.captured(6).toInt();
    const int millis = match.captured(8).isEmpty() ? 0 : match.captured(8).toInt();
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
        hour > 23 || minute > 59 || second > 59) {
        return std::nullopt;
    }
    if (match.captured(9) == QStringLiteral("Z")) {
        const std::int64_t days = DayDate(month, day, year).WideDayNumber() - s_epochDayNumber;
        return TimeSample{days * 86400 + hour * 3600 + minute * 60 + second, millis};
    }
    const auto utc = LocalToUtc(year, month, day, hour, minute, second);
    if (!utc) {
        return std::nullopt;
    }
    return TimeSample{*utc, millis};
}

std::optional<QSize> ParseFrameSize(const QString& text) {
    const qsizetype cross = text.indexOf(QLatin1Char('x'));
    if (cross < 0) {
        return std::nullopt;
    }
    const auto width = Digits(text.left(cross));
    const auto height = Digits(text.mid(cross + 1));
    if (!width || !height) {
        return std::nullopt;
    }
    // Sides beyond what an int holds are reported as too large by the caller.
    return QSize(static_cast<int>(std::min<std::int64_t>(*width, INT32_MAX)),
                 static_cast<int>(std::min<std::int64_t>(*height, INT32_MAX)));
}

std::variant<RenderOptions, std::string> ParseRenderOptions(const QStringList& args) {
    RenderOptions options;
    std::set<QString> seen;
    std::string problem;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString name = args[i];
        if (!name.startsWith(QStringLiteral("--"))) {
            return "unexpected argument " + Quoted(name) + " (options begin with --)";
        }
        if (!seen.insert(name).second) {
            return "option " + name.toStdString() + " is given twice";
        }
        if (name == QStringLiteral("--help") || name == QStringLiteral("--version")) {
            return "option " + name.toStdString() + " takes no other options";
        }
        if (name == QStringLiteral("--json")) {
            options.json = true;
            continue;
        }
        const bool takesValue =
            name == QStringLiteral("--settings") || name == QStringLiteral("--at") ||
            name == QStringLiteral("--size") || name == QStringLiteral("--dpi") ||
            name == QStringLiteral("--frames") || name == QStringLiteral("--step-ms") ||
            name == QStringLiteral("--png");
        if (!takesValue) {
            return "unknown option " + Quoted(name);
        }
        const auto value = ValueOf(args, i, problem);
        if (!value) {
            return problem;
        }
        if (name == QStringLiteral("--settings")) {
            if (value->isEmpty()) {
                return "--settings needs a file name";
            }
            options.settingsFile = *value;
        } else if (name == QStringLiteral("--at")) {
            options.at = ParseFrameTime(*value);
            if (!options.at) {
                return "--at must be a valid time YYYY-MM-DDTHH:MM:SS[.mmm][Z], not " +
                       Quoted(*value);
            }
        } else if (name == QStringLiteral("--size")) {
            const auto size = ParseFrameSize(*value);
            if (!size) {
                return "--size must be WIDTHxHEIGHT in pixels, such as 1920x1080, not " +
                       Quoted(*value);
            }
            if (size->width() == 0 || size->height() == 0) {
                return "--size " + value->toStdString() +
                       " has no area: both sides must be at "
                       "least 1 pixel";
            }
            if (size->width() > kMaxRenderSide || size->height() > kMaxRenderSide) {
                return "--size " + value->toStdString() + " is too large: each side at most " +
                       std::to_string(kMaxRenderSide) + " pixels";
            }
            options.size = *size;
        } else if (name == QStringLiteral("--dpi")) {
            const auto dpi = Number(name, *value, 1, kMaxRenderDpi, problem);
            if (!dpi) {
                return problem;
            }
            options.dpi = static_cast<std::int32_t>(*dpi);
        } else if (name == QStringLiteral("--frames")) {
            const auto frames = Number(name, *value, 1, kMaxRenderFrames, problem);
            if (!frames) {
                return problem;
            }
            options.frames = static_cast<std::int32_t>(*frames);
        } else if (name == QStringLiteral("--step-ms")) {
            const auto step = Number(name, *value, 0, kMaxRenderStepMs, problem);
            if (!step) {
                return problem;
            }
            options.stepMs = *step;
        } else { // --png
            if (value->isEmpty()) {
                return "--png needs a file name";
            }
            options.pngFile = *value;
        }
    }
    if (options.json && options.pngFile == QStringLiteral("-")) {
        return "--png - and --json would both write to standard output: give --png a file name "
               "or leave out --json";
    }
    return options;
}

std::optional<std::string> RenderInfoText(const QStringList& args) {
    if (args == QStringList{QStringLiteral("--help")}) {
        return std::string(kUsage);
    }
    if (args == QStringList{QStringLiteral("--version")}) {
        return std::string("chronivo-render " CHRONIVO_VERSION "\n");
    }
    return std::nullopt;
}

std::string SettingsFileProblem(const QString& path) {
    // Looked at before it is opened: opening a named pipe would wait for a writer for ever.
    std::string problem;
    const PathKind kind = KindOfPath(path, &problem);
    if (kind == PathKind::Nothing) {
        return "settings file " + Quoted(path) + " does not exist";
    }
    if (kind == PathKind::Unknown) {
        return "settings file " + Quoted(path) + " cannot be looked at: " + problem;
    }
    if (kind != PathKind::RegularFile) {
        return "settings file " + Quoted(path) + " is " + PathKindWords(kind) +
               ", not a regular file";
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return "settings file " + Quoted(path) +
               " cannot be read: " + file.errorString().toStdString();
    }
    file.close();
    const QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) {
        return "settings file " + Quoted(path) + " is not an INI file";
    }
    return {};
}

} // namespace chronivo
