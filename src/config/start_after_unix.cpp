#include "config/start_after.h"

#include "watcher/watcher_control.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace chronivo {

namespace {

// Writes the entry whole or not at all; the reason in words when it could not.
QString WriteEntry(const QString& path) {
    const QString dir = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(dir)) {
        return QStringLiteral("the folder %1 could not be made").arg(QDir::toNativeSeparators(dir));
    }
    QSaveFile file(path);
    const QByteArray text = AutostartEntryText();
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        return file.errorString();
    }
    return {};
}

} // namespace

QString AutostartEntryPathFor(const QString& xdgConfigHome, const QString& homeDir) {
    const QString base = !xdgConfigHome.isEmpty() && QDir::isAbsolutePath(xdgConfigHome)
                             ? xdgConfigHome
                             : homeDir + QStringLiteral("/.config");
    return QDir::cleanPath(base + QStringLiteral("/autostart/chronivo-daemon.desktop"));
}

StartAfterPlaces SessionStartAfterPlaces() {
    return {AutostartEntryPathFor(qEnvironmentVariable("XDG_CONFIG_HOME"), QDir::homePath()),
            QCoreApplication::applicationFilePath()};
}

QByteArray AutostartEntryText() {
    // TryExec: a session without chronivo on its PATH skips the entry instead of failing it.
    return QByteArrayLiteral("[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Chronivo idle watcher\n"
                             "Comment=Starts the Chronivo screen saver after the time without "
                             "input chosen in its settings\n"
                             "Exec=chronivo --daemon\n"
                             "TryExec=chronivo\n"
                             "Icon=chronivo\n"
                             "Terminal=false\n"
                             "NoDisplay=true\n"
                             "X-GNOME-Autostart-enabled=true\n");
}

std::optional<int> SystemStartAfter(const StartAfterPlaces& /*places*/) {
    // The saver's time is ours alone: the stored setting, which our idle watcher follows.
    return std::nullopt;
}

QStringList ApplyStartAfter(int minutes, const StartAfterPlaces& places) {
    const bool on = minutes > 0;
    QStringList problems;
    const QString& entry = places.autostartEntry;
    if (!entry.isEmpty()) {
        const QString shown = QDir::toNativeSeparators(entry);
        if (on) {
            const QString reason = WriteEntry(entry);
            if (!reason.isEmpty()) {
                problems << QStringLiteral("The saver will not start by itself after you log in: "
                                           "%1 could not be written (%2).")
                                .arg(shown, reason);
            }
        } else if (QFileInfo(entry).exists() || QFileInfo(entry).isSymLink()) {
            QFile file(entry);
            if (!file.remove()) {
                // Harmless but untidy: the watcher it runs at log-in finds the time off and ends.
                problems << QStringLiteral("The autostart entry %1 could not be removed (%2).")
                                .arg(shown, file.errorString());
            }
        }
    }
    if (!places.watcherProgram.isEmpty()) {
        // A running watcher may wait for the old time, or should not run at all any more.
        QString why;
        const WatcherStop stop = StopWatcher(3000, &why);
        if (stop == WatcherStop::StillRunning) {
            problems << QStringLiteral("The idle watcher of this session did not end%1; it keeps "
                                       "its old setting until you log in again.")
                            .arg(why.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(why));
        } else if (on && stop == WatcherStop::NoPlace) {
            // It would refuse to start for the same reason, in a log nobody reads.
            problems << QStringLiteral("The idle watcher cannot run in this session: %1.").arg(why);
        } else if (on && !StartWatcher(places.watcherProgram)) {
            problems << QStringLiteral("The idle watcher could not be started (%1).")
                            .arg(QDir::toNativeSeparators(places.watcherProgram));
        }
    }
    return problems;
}

} // namespace chronivo
