// The inhibitor watch against a stand-in logind on a private bus that serves as the system bus
// (the test runs under dbus-run-session). The stand-in answers from a thread of its own, as
// logind answers from its own process. The idle monitors, the session managers and our own
// org.freedesktop.ScreenSaver are tried end to end (daemon_e2e.sh).
#include "idle/session_inhibitors.h"

#include <QDBusMessage>
#include <QSignalSpy>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

namespace chronivo {
namespace {

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

// The stand-in logind on a connection and a thread of their own.
struct Fakes {
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "fakes");
    QThread thread;
    FakeLogindManager logind;
    FakeLogindSession session;

    Fakes() {
        logind.moveToThread(&thread);
        session.moveToThread(&thread);
        thread.start();
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
};

class DBusIdleTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QDBusConnection::sessionBus().isConnected()) {
            GTEST_SKIP() << "no session bus: the test runs under dbus-run-session";
        }
    }
};

TEST_F(DBusIdleTest, LogindsIdleBlockAndLockReachTheWatcher) {
    Fakes fakes;
    qunsetenv("XDG_SESSION_ID");
    InhibitorWatch watch(QDBusConnection::sessionBus(), QDBusConnection::sessionBus());
    QSignalSpy changed(&watch, &InhibitorWatch::Changed);
    QSignalSpy lock(&watch, &InhibitorWatch::LockChanged);
    watch.Start();
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
    EXPECT_EQ(changed.count(), 2);
}

} // namespace
} // namespace chronivo

#include "dbus_idle_test.moc"
