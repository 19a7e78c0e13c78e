// Stand-ins for a desktop's services on the session bus, for end-to-end tests of the idle
// watcher: GNOME's org.gnome.Mutter.IdleMonitor, whose watches fire when told,
// org.gnome.SessionManager, whose IsInhibited answers as told, and KDE's power management
// (org.kde.Solid.PowerManagement.PolicyAgent), whose HasInhibition does. Commands come one a line
// on standard input: "idle" fires the idle watches, "active" the user-active watch, "inhibit" and
// "uninhibit" set the session manager's answer, "kde-inhibit" and "kde-uninhibit" KDE's. Prints
// "ready" once every name is owned.
//
// Started as "fake_desktop_services player", it is a video player instead: it asks
// org.freedesktop.ScreenSaver to inhibit the saver, prints "ready" once it holds the cookie, and
// keeps it until its standard input closes.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QSocketNotifier>

#include <cstdio>
#include <cstring>
#include <vector>

#include <unistd.h>

namespace {

const QString kMonitorPath = QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core");
const QString kMonitor = QStringLiteral("org.gnome.Mutter.IdleMonitor");

class IdleMonitor : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.Mutter.IdleMonitor")
public:
    std::vector<uint> idleWatches;
    uint activeWatch = 0;
    uint next = 1;

public Q_SLOTS:
    uint AddIdleWatch(qulonglong /*interval*/) {
        idleWatches.push_back(next);
        return next++;
    }
    uint AddUserActiveWatch() { return activeWatch = next++; }
    void RemoveWatch(uint /*id*/) {}
};

class SessionManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.SessionManager")
public:
    bool inhibited = false;

public Q_SLOTS:
    bool IsInhibited(uint flags) { return inhibited && (flags & 8) != 0; }
};

class PolicyAgent : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.Solid.PowerManagement.PolicyAgent")
public:
    bool inhibited = false;

public Q_SLOTS:
    bool HasInhibition(uint types) { return inhibited && (types & 4) != 0; }
};

void Fire(uint watch) {
    QDBusMessage fired =
        QDBusMessage::createSignal(kMonitorPath, kMonitor, QStringLiteral("WatchFired"));
    fired << watch;
    QDBusConnection::sessionBus().send(fired);
}

} // namespace

// The player: holds an inhibition of org.freedesktop.ScreenSaver while its input stays open.
int RunPlayer() {
    QDBusMessage inhibit = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.ScreenSaver"),
        QStringLiteral("/org/freedesktop/ScreenSaver"),
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("Inhibit"));
    inhibit << QStringLiteral("player") << QStringLiteral("a film");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(inhibit);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        std::fprintf(stderr, "Inhibit failed: %s\n", qPrintable(reply.errorMessage()));
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    char buffer[64];
    while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    return 0;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "player") == 0) {
        return RunPlayer();
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    IdleMonitor monitor;
    SessionManager manager;
    PolicyAgent policy;
    if (!bus.registerObject(kMonitorPath, &monitor, QDBusConnection::ExportAllSlots) ||
        !bus.registerService(kMonitor) ||
        !bus.registerObject(QStringLiteral("/org/gnome/SessionManager"), &manager,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.gnome.SessionManager")) ||
        !bus.registerObject(QStringLiteral("/org/kde/Solid/PowerManagement/PolicyAgent"), &policy,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.kde.Solid.PowerManagement.PolicyAgent"))) {
        std::fputs("cannot own the desktop's names on the session bus\n", stderr);
        return 1;
    }
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char line[64] = {};
        const ssize_t got = ::read(STDIN_FILENO, line, sizeof line - 1);
        if (got <= 0) {
            QCoreApplication::quit();
            return;
        }
        if (std::strncmp(line, "idle", 4) == 0) {
            for (const uint watch : monitor.idleWatches) {
                Fire(watch);
            }
        } else if (std::strncmp(line, "active", 6) == 0 && monitor.activeWatch != 0) {
            Fire(monitor.activeWatch);
            monitor.activeWatch = 0;
        } else if (std::strncmp(line, "kde-inhibit", 11) == 0) {
            policy.inhibited = true;
        } else if (std::strncmp(line, "kde-uninhibit", 13) == 0) {
            policy.inhibited = false;
        } else if (std::strncmp(line, "inhibit", 7) == 0) {
            manager.inhibited = true;
        } else if (std::strncmp(line, "uninhibit", 9) == 0) {
            manager.inhibited = false;
        }
    });
    std::puts("ready");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

#include "fake_desktop_services.moc"
