// The desktop's own blank: reading the desktops' settings and the X server's times, and what the
// program says about them.
#include "idle/desktop_blank.h"

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace chronivo {
namespace {

TEST(DesktopBlank, ParsesWhatTheDesktopsWrite) {
    const std::pair<const char*, DesktopKind> desktops[] = {
        {"ubuntu:GNOME", DesktopKind::Gnome},  // a distribution's name before the desktop's
        {"X-Cinnamon", DesktopKind::Cinnamon}, // Cinnamon's own spelling
        {"mate", DesktopKind::Mate},           // any case
        {"sway:KDE", DesktopKind::Kde},        // the first desktop we know
        {"", DesktopKind::Other}};
    for (const auto& [text, kind] : desktops) {
        EXPECT_EQ(DesktopKindOf(QString::fromLatin1(text)), kind) << text;
    }
    const std::pair<const char*, std::optional<qint64>> numbers[] = {
        {"uint32 300", 300}, // GNOME's idle-delay: the type word comes first
        {"5\n", 5},          // MATE's, an int: the value alone, with the line's end
        {"uint32", {}},      // a type word alone
        {"'300'", {}},       // a string is no number
        {"true", {}}};
    for (const auto& [text, value] : numbers) {
        EXPECT_EQ(ParseGsettingsNumber(QString::fromLatin1(text)), value) << text;
    }
    EXPECT_EQ(ParseGsettingsBool(QStringLiteral("true\n")), true);
    EXPECT_EQ(ParseGsettingsBool(QStringLiteral("1")), std::nullopt); // gsettings prints words
    // KDE's files: nested groups, keys marked fixed, comments.
    const QString ini = QStringLiteral("[Daemon]\n# Timeout=1\nTimeout[$i]=7\n[AC]\nidleTime=5\n"
                                       "[AC][DPMSControl]\nidleTime = 600\n");
    EXPECT_EQ(IniValue(ini, QStringLiteral("Daemon"), QStringLiteral("Timeout")), "7");
    EXPECT_EQ(IniValue(ini, QStringLiteral("AC][DPMSControl"), QStringLiteral("idleTime")), "600");
    EXPECT_EQ(IniValue(ini, QStringLiteral("Daemon"), QStringLiteral("Autolock")), std::nullopt);
}

TEST(DesktopBlank, TakesTheXServersTimesThatDarkenTheScreen) {
    const std::tuple<X11BlankTimes, std::optional<int>, const char*> cases[] = {
        {{600, false, 0, 0, 0}, 600, "an X server's default: the screen saver after 10 minutes"},
        {{0, false, 120, 120, 120}, std::nullopt, "DPMS switched off: its times do not count"},
        {{600, true, 0, 0, 300}, 300, "DPMS on: its off time comes before the saver's"},
        {{0, true, 0, 900, 1200}, 900, "standby disabled (0): suspend is the soonest"}};
    for (const auto& [times, seconds, fact] : cases) {
        const auto soonest = SoonestBlank(X11Blanks(times));
        EXPECT_EQ(soonest ? std::optional<int>(soonest->seconds) : std::nullopt, seconds) << fact;
    }
}

TEST(DesktopBlank, ReadsEachDesktopsOwnSettings) {
    QTemporaryDir kde;
    ASSERT_TRUE(kde.isValid());
    // The settings as `gsettings get` prints them.
    const QMap<QString, QString> gnome = {
        {QStringLiteral("org.gnome.desktop.session idle-delay"), QStringLiteral("uint32 300")},
        {QStringLiteral("org.gnome.desktop.screensaver lock-enabled"), QStringLiteral("true")},
        {QStringLiteral("org.gnome.desktop.screensaver lock-delay"), QStringLiteral("uint32 0")},
        {QStringLiteral("org.cinnamon.desktop.session idle-delay"), QStringLiteral("uint32 900")},
        {QStringLiteral("org.mate.session idle-delay"), QStringLiteral("5")}};
    QMap<QString, QString> never = gnome;
    never[QStringLiteral("org.gnome.desktop.session idle-delay")] = QStringLiteral("uint32 0");
    const struct {
        const char* desktop;
        QMap<QString, QString> settings;
        const char* file; // KDE's file, written with `text` when not null
        const char* text;
        std::optional<int> seconds;
        const char* fact;
    } cases[] = {
        {"GNOME", gnome, nullptr, nullptr, 300, "GNOME's defaults: a blank after 5 minutes"},
        {"GNOME", never, nullptr, nullptr, std::nullopt, "idle-delay 0: no blank, no lock"},
        {"GNOME", {}, nullptr, nullptr, std::nullopt, "no schema or no gsettings: nothing known"},
        {"X-Cinnamon", gnome, nullptr, nullptr, 900, "Cinnamon's idle-delay, seconds"},
        {"MATE", gnome, nullptr, nullptr, 300, "MATE's idle-delay, minutes"},
        {"KDE", {}, nullptr, nullptr, 300, "no kscreenlockerrc: KDE locks after 5 minutes"},
        {"KDE", {}, "kscreenlockerrc", "[Daemon]\nTimeout=2\n", 120, "the locker's minutes"},
        {"KDE", {}, "kscreenlockerrc", "[Daemon]\nAutolock=false\n", std::nullopt, "locker off"},
        {"KDE",
         {},
         "powermanagementprofilesrc",
         "[AC][DPMSControl]\nidleTime=240\n",
         240,
         "power management turns the screen off before the locker's 5 minutes"}};
    for (const auto& c : cases) {
        for (const char* name : {"kscreenlockerrc", "powermanagementprofilesrc"}) {
            QFile::remove(kde.filePath(QString::fromLatin1(name)));
        }
        if (c.file != nullptr) {
            QFile file(kde.filePath(QString::fromLatin1(c.file)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.text);
        }
        const GsettingsGet get = [&c](const QString& schema, const QString& key) {
            const auto found = c.settings.find(schema + QLatin1Char(' ') + key);
            return found == c.settings.end() ? std::nullopt : std::optional<QString>(*found);
        };
        // No X display: only the desktop's settings count.
        const auto blank = ReadDesktopBlank({QString::fromLatin1(c.desktop), kde.path(), {}}, get);
        EXPECT_EQ(blank ? std::optional<int>(blank->seconds) : std::nullopt, c.seconds) << c.fact;
    }
}

TEST(DesktopBlank, SaysWhenTheBlankComesFirst) {
    const std::pair<int, const char*> durations[] = {{60, "1 minute"},
                                                     {330, "330 seconds"},
                                                     {1, "1 second"},
                                                     {7200, "2 hours"},
                                                     {5400, "90 minutes"}};
    for (const auto& [seconds, text] : durations) {
        EXPECT_EQ(DurationText(seconds), QString::fromLatin1(text)) << seconds;
    }
    const DesktopBlank gnome{300, QStringLiteral("GNOME")};
    const QString sentence = QStringLiteral("This desktop blanks the screen after 5 minutes: the "
                                            "saver starts only if that comes first.");
    EXPECT_EQ(BlankComesFirstNotice(600, gnome), sentence);         // the saver's 10 minutes
    EXPECT_EQ(BlankComesFirstNotice(300, gnome), sentence);         // at the same moment
    EXPECT_EQ(BlankComesFirstNotice(299, gnome), QString());        // the saver comes first
    EXPECT_EQ(BlankComesFirstNotice(600, std::nullopt), QString()); // the desktop never blanks
}

TEST(DesktopBlank, ReadsTheXServersScreenSaverTime) {
    EXPECT_EQ(ReadX11BlankTimes(QStringLiteral(":9999")), std::nullopt) << "no such server";
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("xset")).isEmpty()) {
        GTEST_SKIP() << "Xvfb and xset are needed (scripts/install-deps.sh installs them)";
    }
    // A private server on a display it picks and prints (-displayfd 1); -noreset keeps xset's
    // setting when xset disconnects.
    QProcess xvfb;
    xvfb.start(QStringLiteral("Xvfb"),
               {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                QStringLiteral("tcp"), QStringLiteral("-noreset")});
    ASSERT_TRUE(xvfb.waitForReadyRead(10000));
    const QString display = QLatin1Char(':') + QString::fromLatin1(xvfb.readLine()).trimmed();
    EXPECT_EQ(ReadX11BlankTimes(display).value_or(X11BlankTimes{}).screenSaverTimeout, 600)
        << "an X server's default: 10 minutes";
    QProcess::execute(QStringLiteral("xset"), {QStringLiteral("-display"), display,
                                               QStringLiteral("s"), QStringLiteral("300")});
    EXPECT_EQ(ReadX11BlankTimes(display).value_or(X11BlankTimes{}).screenSaverTimeout, 300);
    xvfb.terminate();
    xvfb.waitForFinished();
}

} // namespace
} // namespace chronivo
