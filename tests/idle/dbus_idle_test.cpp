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

// The fake services on a connection and a thread of their own.
struct Fakes {
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "fakes");
    QThread thread;
    FakeIdleMonitor monitor;
    FakeSessionManager manager;

    Fakes() {
        monitor.moveToThread(&thread);
        manager.moveToThread(&thread);
        thread.start();
        bus.registerObject(kMonitorPath, &monitor, QDBusConnection::ExportAllSlots);
        bus.registerService(kMonitor);
        bus.registerObject(QStringLiteral("/org/gnome/SessionManager"), &manager,
                           QDBusConnection::ExportAllSlots);
        bus.registerService(QStringLiteral("org.gnome.SessionManager"));
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

TEST_F(DBusIdleTest, InhibitorsOfTheSessionManagerAndOfOurOwnScreenSaverService) {
    Fakes fakes;
    InhibitorWatch watch(QDBusConnection::sessionBus());
    QSignalSpy changed(&watch, &InhibitorWatch::Changed);
    watch.Start();
    ASSERT_TRUE(watch.OwnsScreenSaver()) << "nobody else owns org.freedesktop.ScreenSaver here";
    EXPECT_FALSE(watch.Inhibited());

    fakes.manager.inhibited = true;
    watch.Check();
    EXPECT_TRUE(watch.Inhibited()) << "the session manager reports an inhibitor";
    fakes.manager.inhibited = false;
    watch.Check();
    EXPECT_FALSE(watch.Inhibited());

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
    EXPECT_EQ(changed.count(), 4);
}

} // namespace
} // namespace chronivo

#include "dbus_idle_test.moc"
