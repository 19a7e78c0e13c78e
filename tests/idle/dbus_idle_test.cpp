// The D-Bus idle sources and inhibitors against fake desktop services on a private session bus
// (the test runs under dbus-run-session). The fakes answer from a thread of their own, as a
// desktop's services answer from their own process.
#include "idle/dbus_idle_source.h"
#include "idle/session_inhibitors.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingReply>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

namespace chronivo {
namespace {

const QString kMonitor = QStringLiteral("org.gnome.Mutter.IdleMonitor");
const QString kMonitorPath = QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core");

class FakeIdleMonitor : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.Mutter.IdleMonitor")
public:
    std::atomic<qulonglong> idleMs{0};
    std::atomic<int> activeWatches{0};

public Q_SLOTS:
    uint AddIdleWatch(qulonglong interval) {
        idleMs = interval;
        return 7;
    }
    uint AddUserActiveWatch() {
        ++activeWatches;
        return 9;
    }
};

class FakeSessionManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.SessionManager")
public:
    std::atomic<bool> inhibited{false};

public Q_SLOTS:
    bool IsInhibited(uint flags) { return inhibited && (flags & 8) != 0; }
};

class FakeLogindManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
    Q_PROPERTY(QString BlockInhibited READ BlockInhibited)
public:
    QString BlockInhibited() const { return blocked ? "shutdown:idle:sleep" : "shutdown:sleep"; }
    std::atomic<bool> blocked{false};
};

class FakeLogindSession : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Session")
    Q_PROPERTY(bool LockedHint READ LockedHint)
public:
    bool LockedHint() const { return locked; }
    std::atomic<bool> locked{false};
};

// The fake services on a connection and a thread of their own.
struct Fakes {
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "fakes");
    QThread thread;
    FakeIdleMonitor monitor;
    FakeSessionManager manager;
    FakeLogindManager logind;
    FakeLogindSession session;

    Fakes() {
        for (QObject* fake : {static_cast<QObject*>(&monitor), static_cast<QObject*>(&manager),
                              static_cast<QObject*>(&logind), static_cast<QObject*>(&session)}) {
            fake->moveToThread(&thread);
        }
        thread.start();
        bus.registerObject(kMonitorPath, &monitor, QDBusConnection::ExportAllSlots);
        bus.registerService(kMonitor);
        bus.registerObject(QStringLiteral("/org/gnome/SessionManager"), &manager,
                           QDBusConnection::ExportAllSlots);
        bus.registerService(QStringLiteral("org.gnome.SessionManager"));
        // logind, on the private bus that stands in for the system bus here.
        bus.registerObject(QStringLiteral("/org/freedesktop/login1"), &logind,
                           QDBusConnection::ExportAllProperties);
        bus.registerObject(QStringLiteral("/org/freedesktop/login1/session/auto"), &session,
                           QDBusConnection::ExportAllProperties);
        bus.registerService(QStringLiteral("org.freedesktop.login1"));
    }
    ~Fakes() {
        thread.quit();
        thread.wait();
        QDBusConnection::disconnectFromBus("fakes");
    }
    void Fire(uint watch) {
        QDBusMessage fired =
            QDBusMessage::createSignal(kMonitorPath, kMonitor, QStringLiteral("WatchFired"));
        fired << watch;
        bus.send(fired);
    }
};

class DBusIdleTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QDBusConnection::sessionBus().isConnected()) {
            GTEST_SKIP() << "no session bus: the test runs under dbus-run-session";
        }
    }
};

TEST_F(DBusIdleTest, TheIdleMonitorsWatchesBecomeIdleAndResumed) {
    Fakes fakes;
    std::unique_ptr<DBusIdleSource> muffin(DBusIdleSource::Muffin(QDBusConnection::sessionBus()));
    EXPECT_FALSE(muffin->Start(2000)) << "nobody offers Cinnamon's monitor here";

    std::unique_ptr<DBusIdleSource> mutter(DBusIdleSource::Mutter(QDBusConnection::sessionBus()));
    ASSERT_TRUE(mutter->Start(2000));
    EXPECT_EQ(fakes.monitor.idleMs, 2000u);
    QSignalSpy idle(mutter.get(), &IdleSource::Idle);
    QSignalSpy resumed(mutter.get(), &IdleSource::Resumed);
    fakes.Fire(7);
    ASSERT_TRUE(idle.wait(10000));
    EXPECT_EQ(fakes.monitor.activeWatches, 1) << "asks to hear of the next input";
    fakes.Fire(9);
    ASSERT_TRUE(resumed.wait(10000));
    EXPECT_EQ(idle.count(), 1);
    EXPECT_EQ(resumed.count(), 1);
}

TEST_F(DBusIdleTest, InhibitorsOfTheSessionManagerLogindAndOurOwnScreenSaverService) {
    Fakes fakes;
    qunsetenv("XDG_SESSION_ID");
    InhibitorWatch watch(QDBusConnection::sessionBus(), QDBusConnection::sessionBus());
    QSignalSpy changed(&watch, &InhibitorWatch::Changed);
    QSignalSpy lock(&watch, &InhibitorWatch::LockChanged);
    watch.Start();
    ASSERT_TRUE(watch.OwnsScreenSaver()) << "nobody else owns org.freedesktop.ScreenSaver here";
    EXPECT_FALSE(watch.Inhibited());

    fakes.manager.inhibited = true;
    watch.Check();
    EXPECT_TRUE(watch.Inhibited()) << "the session manager reports an inhibitor";
    fakes.manager.inhibited = false;
    watch.Check();
    EXPECT_FALSE(watch.Inhibited());
    fakes.logind.blocked = true;
    watch.Check();
    EXPECT_TRUE(watch.Inhibited()) << "logind blocks \"idle\"";
    fakes.logind.blocked = false;
    fakes.session.locked = true;
    watch.Check();
    EXPECT_FALSE(watch.Inhibited());
    EXPECT_TRUE(watch.Locked());
    fakes.session.locked = false;
    watch.Check();
    EXPECT_EQ(lock.count(), 2);
    // logind's Lock signal stops the saver before the lock screen's own hint comes.
    fakes.bus.send(QDBusMessage::createSignal(
        QStringLiteral("/org/freedesktop/login1/session/auto"),
        QStringLiteral("org.freedesktop.login1.Session"), QStringLiteral("Lock")));
    ASSERT_TRUE(lock.wait(10000));
    EXPECT_TRUE(watch.Locked());

    // A player asks our service, then leaves the bus without UnInhibit: its request goes too.
    {
        QDBusConnection player =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, "player");
        QDBusMessage inhibit = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.ScreenSaver"),
            QStringLiteral("/org/freedesktop/ScreenSaver"),
            QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("Inhibit"));
        inhibit << QStringLiteral("player") << QStringLiteral("a film");
        QDBusPendingReply<uint> cookie = player.asyncCall(inhibit);
        ASSERT_TRUE(QTest::qWaitFor([&] { return cookie.isFinished(); }, 5000));
        ASSERT_TRUE(cookie.isValid()) << cookie.error().message().toStdString();
        EXPECT_TRUE(watch.Inhibited());
    } // the last reference to the connection goes, so the next line closes it
    QDBusConnection::disconnectFromBus("player");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !watch.Inhibited(); }, 5000));
    EXPECT_EQ(changed.count(), 6);
}

} // namespace
} // namespace chronivo

#include "dbus_idle_test.moc"
