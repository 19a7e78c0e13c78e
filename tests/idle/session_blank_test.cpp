// The session's blank as the watcher and the dialog read it: the desktops' settings and the X
// server's times.
#include "idle/session_blank.h"

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace chronivo {
namespace {

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
