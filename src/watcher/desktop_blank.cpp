#include "watcher/desktop_blank.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <algorithm>

namespace chronivo {

namespace {

// How long one `gsettings get` may take, milliseconds; a slower one counts as no answer.
constexpr int kGsettingsMs = 2000;

// A day in seconds: times beyond it are held there, so that sums and products stay in range.
constexpr qint64 kLongestSeconds = 24 * 60 * 60;

int Held(qint64 seconds) {
    return static_cast<int>(std::min(seconds, kLongestSeconds));
}

QString Plural(qint64 count, const char* unit) {
    return QStringLiteral("%1 %2%3")
        .arg(count)
        .arg(QString::fromLatin1(unit))
        .arg(count == 1 ? QString() : QStringLiteral("s"));
}

// The file's text, empty when it cannot be read.
QString ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

std::optional<qint64> ParseWhole(const QString& text) {
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

// GNOME and Cinnamon keep the blank in seconds, MATE in minutes; 0 is never.
void AddGsettingsBlank(std::vector<DesktopBlank>& blanks, const GsettingsGet& get,
                       const QString& schema, qint64 unitSeconds, const QString& desktop) {
    const QString key = QStringLiteral("idle-delay");
    const auto output = get(schema, key);
    const auto value = output ? ParseGsettingsNumber(*output) : std::nullopt;
    if (value && *value > 0) {
        blanks.push_back({Held(std::min(*value, kLongestSeconds) * unitSeconds),
                          QStringLiteral("%1's setting %2 %3").arg(desktop, schema, key)});
    }
}

// GNOME locks `lock-delay` seconds after its blank, when locking is on.
void AddGnomeLock(std::vector<DesktopBlank>& blanks, const GsettingsGet& get) {
    if (blanks.empty()) {
        return; // no blank, no lock that follows it
    }
    const QString schema = QStringLiteral("org.gnome.desktop.screensaver");
    const auto enabled = get(schema, QStringLiteral("lock-enabled"));
    if (!enabled || ParseGsettingsBool(*enabled) != true) {
        return;
    }
    const auto delayText = get(schema, QStringLiteral("lock-delay"));
    const auto delay = delayText ? ParseGsettingsNumber(*delayText) : std::nullopt;
    blanks.push_back(
        {Held(blanks.front().seconds + std::clamp<qint64>(delay.value_or(0), 0, kLongestSeconds)),
         QStringLiteral("GNOME's screen lock (%1 lock-delay)").arg(schema)});
}

void AddKdeBlanks(std::vector<DesktopBlank>& blanks, const QString& configHome) {
    // The screen locker: on unless switched off, after 5 minutes unless set otherwise.
    const QString locker = ReadText(configHome + QStringLiteral("/kscreenlockerrc"));
    const QString daemon = QStringLiteral("Daemon");
    const auto autolock = IniValue(locker, daemon, QStringLiteral("Autolock"));
    if (ParseKdeBool(autolock.value_or(QStringLiteral("true"))).value_or(true)) {
        const auto timeout = IniValue(locker, daemon, QStringLiteral("Timeout"));
        const qint64 minutes = timeout ? ParseWhole(*timeout).value_or(5) : 5;
        if (minutes > 0) {
            blanks.push_back({Held(std::min(minutes, kLongestSeconds) * 60),
                              QStringLiteral("KDE's screen locker (kscreenlockerrc Timeout)")});
        }
    }
    // Power management turns the screen off after its own time on mains power, when set.
    const QString power = ReadText(configHome + QStringLiteral("/powermanagementprofilesrc"));
    const auto idleTime =
        IniValue(power, QStringLiteral("AC][DPMSControl"), QStringLiteral("idleTime"));
    const auto seconds = idleTime ? ParseWhole(*idleTime) : std::nullopt;
    if (seconds && *seconds > 0) {
        blanks.push_back({Held(*seconds), QStringLiteral("KDE's power management "
                                                         "(powermanagementprofilesrc idleTime)")});
    }
}

} // namespace

DesktopKind DesktopKindOf(const QString& xdgCurrentDesktop) {
    for (const QString& name : xdgCurrentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString lower = name.trimmed().toLower();
        if (lower == QLatin1String("gnome")) {
            return DesktopKind::Gnome;
        }
        if (lower == QLatin1String("x-cinnamon") || lower == QLatin1String("cinnamon")) {
            return DesktopKind::Cinnamon;
        }
        if (lower == QLatin1String("mate")) {
            return DesktopKind::Mate;
        }
        if (lower == QLatin1String("kde")) {
            return DesktopKind::Kde;
        }
    }
    return DesktopKind::Other;
}

std::optional<qint64> ParseGsettingsNumber(const QString& output) {
    QStringList words = output.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    static const QStringList kTypeWords = {QStringLiteral("byte"),   QStringLiteral("int16"),
                                           QStringLiteral("uint16"), QStringLiteral("int32"),
                                           QStringLiteral("uint32"), QStringLiteral("int64"),
                                           QStringLiteral("uint64")};
    if (words.size() == 2 && kTypeWords.contains(words.front())) {
        words.removeFirst();
    }
    if (words.size() != 1) {
        return std::nullopt;
    }
    bool ok = false;
    const qint64 value = words.front().toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

std::optional<bool> ParseGsettingsBool(const QString& output) {
    const QString word = output.trimmed();
    if (word == QLatin1String("true")) {
        return true;
    }
    if (word == QLatin1String("false")) {
        return false;
    }
    return std::nullopt;
}

std::optional<QString> IniValue(const QString& text, const QString& group, const QString& key) {
    std::optional<QString> found;
    bool inGroup = false;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) ||
            line.startsWith(QLatin1Char(';'))) {
            continue;
        }
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype end = line.lastIndexOf(QLatin1Char(']'));
            QString name = line.mid(1, end - 1);
            // "[Daemon][$i]": a group marked as fixed is still that group.
            if (name.endsWith(QLatin1String("][$i"))) {
                name.chop(4);
            }
            inGroup = end > 0 && name == group;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inGroup || equals < 0) {
            continue;
        }
        QString name = line.left(equals).trimmed();
        const qsizetype marker = name.indexOf(QLatin1String("[$"));
        if (marker >= 0 && name.endsWith(QLatin1Char(']'))) {
            name.truncate(marker);
        }
        if (name == key) {
            found = line.mid(equals + 1).trimmed();
        }
    }
    return found;
}

std::optional<bool> ParseKdeBool(const QString& value) {
    const QString word = value.trimmed().toLower();
    if (word == QLatin1String("true") || word == QLatin1String("on") ||
        word == QLatin1String("yes") || word == QLatin1String("1")) {
        return true;
    }
    if (word == QLatin1String("false") || word == QLatin1String("off") ||
        word == QLatin1String("no") || word == QLatin1String("0")) {
        return false;
    }
    return std::nullopt;
}

std::vector<DesktopBlank> X11Blanks(const X11BlankTimes& times) {
    std::vector<DesktopBlank> blanks;
    if (times.screenSaverTimeout > 0) {
        blanks.push_back({times.screenSaverTimeout, QStringLiteral("the X server's screen saver")});
    }
    if (times.dpmsEnabled) {
        const std::pair<int, const char*> levels[] = {
            {times.standby, "standby"}, {times.suspend, "suspend"}, {times.off, "off"}};
        for (const auto& [seconds, level] : levels) {
            if (seconds > 0) {
                blanks.push_back({seconds, QStringLiteral("the X server's display power saving "
                                                          "(DPMS %1)")
                                               .arg(QString::fromLatin1(level))});
            }
        }
    }
    return blanks;
}

std::optional<DesktopBlank> SoonestBlank(const std::vector<DesktopBlank>& blanks) {
    const auto soonest = std::min_element(
        blanks.begin(), blanks.end(),
        [](const DesktopBlank& a, const DesktopBlank& b) { return a.seconds < b.seconds; });
    return soonest == blanks.end() ? std::nullopt : std::optional<DesktopBlank>(*soonest);
}

std::optional<QString> RunGsettingsGet(const QString& schema, const QString& key) {
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(QStringLiteral("gsettings"), {QStringLiteral("get"), schema, key});
    if (!process.waitForStarted(kGsettingsMs)) {
        return std::nullopt; // no gsettings here
    }
    if (!process.waitForFinished(kGsettingsMs)) {
        process.kill();
        process.waitForFinished(kGsettingsMs);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        return std::nullopt; // "No such schema", "No such key"
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

std::vector<DesktopBlank> DesktopSettingsBlanks(DesktopKind kind, const QString& configHome,
                                                const GsettingsGet& get) {
    std::vector<DesktopBlank> blanks;
    switch (kind) {
    case DesktopKind::Gnome:
        AddGsettingsBlank(blanks, get, QStringLiteral("org.gnome.desktop.session"), 1,
                          QStringLiteral("GNOME"));
        AddGnomeLock(blanks, get);
        break;
    case DesktopKind::Cinnamon:
        AddGsettingsBlank(blanks, get, QStringLiteral("org.cinnamon.desktop.session"), 1,
                          QStringLiteral("Cinnamon"));
        break;
    case DesktopKind::Mate:
        AddGsettingsBlank(blanks, get, QStringLiteral("org.mate.session"), 60,
                          QStringLiteral("MATE"));
        break;
    case DesktopKind::Kde:
        AddKdeBlanks(blanks, configHome);
        break;
    case DesktopKind::Other:
        break;
    }
    return blanks;
}

DesktopSession ThisDesktopSession() {
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                         qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
    return {qEnvironmentVariable("XDG_CURRENT_DESKTOP"),
            !configHome.isEmpty() && QDir::isAbsolutePath(configHome)
                ? configHome
                : QDir::homePath() + QStringLiteral("/.config"),
            wayland ? QString() : qEnvironmentVariable("DISPLAY")};
}

QString DurationText(int seconds) {
    if (seconds > 0 && seconds % 3600 == 0) {
        return Plural(seconds / 3600, "hour");
    }
    if (seconds > 0 && seconds % 60 == 0) {
        return Plural(seconds / 60, "minute");
    }
    return Plural(seconds, "second");
}

QString BlankComesFirstText(const DesktopBlank& blank) {
    return QStringLiteral("This desktop blanks the screen after %1: the saver starts only if "
                          "that comes first.")
        .arg(DurationText(blank.seconds));
}

QString BlankComesFirstNotice(int saverSeconds, const std::optional<DesktopBlank>& blank) {
    if (!blank || blank->seconds > saverSeconds) {
        return {};
    }
    return BlankComesFirstText(*blank);
}

} // namespace chronivo
