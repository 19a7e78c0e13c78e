// The inhibitor watch against a stand-in logind on a private bus that serves as the system bus
// (the test runs under dbus-run-session), our own org.freedesktop.ScreenSaver against clients on
// connections of their own, and GNOME's idle monitor leaving the bus. Stand-ins answer from a
// thread of their own, as the real services answer from their own processes. The session
// managers and the monitors' watches are tried end to end (daemon_e2e.sh).
#include "idle/dbus_idle_source.h"
#include "idle/screen_saver_service.h"
#include "idle/session_inhibitors.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QSignalSpy>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

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

// What logind sends when a property of `path` changes: the new values in `changed`, or only the
// names in `invalidated`, which the listener reads anew.
void SendPropertiesChanged(const QDBusConnection& bus, const QString& path,
                           const QString& interface, const QVariantMap& changed,
                           const QStringList& invalidated = {}) {
    QDBusMessage signal =
        QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << interface << changed << invalidated;
    bus.send(signal);
}

const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSessionPath = QStringLiteral("/org/freedesktop/login1/session/auto");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");

TEST_F(DBusIdleTest, LogindsIdleBlockAndLockReachTheWatcher) {
    Fakes fakes;
    qunsetenv("XDG_SESSION_ID");
    fakes.session.locked = true;
    InhibitorWatch watch(QDBusConnection::sessionBus(), QDBusConnection::sessionBus());
    QSignalSpy changed(&watch, &InhibitorWatch::Changed);
    QSignalSpy lock(&watch, &InhibitorWatch::LockChanged);
    watch.Start();
    EXPECT_FALSE(watch.Inhibited());
    EXPECT_TRUE(watch.Locked()) << "the hint as it is at the start";
    fakes.session.locked = false;
    SendPropertiesChanged(fakes.bus, kSessionPath, kSession, {{"LockedHint", false}});
    ASSERT_TRUE(lock.wait(10000));
    EXPECT_FALSE(watch.Locked());
    fakes.logind.blocked = true;
    SendPropertiesChanged(fakes.bus, kManagerPath, kManager,
                          {{"BlockInhibited", QStringLiteral("shutdown:idle:sleep")}});
    ASSERT_TRUE(changed.wait(10000));
    EXPECT_TRUE(watch.Inhibited()) << "logind blocks \"idle\"";
    fakes.logind.blocked = false;
    SendPropertiesChanged(fakes.bus, kManagerPath, kManager,
                          {{"BlockInhibited", QStringLiteral("shutdown:sleep")}});
    ASSERT_TRUE(changed.wait(10000));
    EXPECT_FALSE(watch.Inhibited());
    EXPECT_EQ(lock.count(), 2);
    // logind's Lock signal stops the saver before the lock screen's own hint comes.
    fakes.bus.send(QDBusMessage::createSignal(kSessionPath, kSession, QStringLiteral("Lock")));
    ASSERT_TRUE(lock.wait(10000));
    EXPECT_TRUE(watch.Locked());
    EXPECT_EQ(changed.count(), 2);
}

// Each change comes with its signal, long before the desktops' two-second poll: the stand-in's
// property is left at the other value, so that only the signal can have told the watch, unless
// the signal names the property without its value, which the watch then reads.
TEST_F(DBusIdleTest, LogindsChangeSignalsAreFollowedWithoutAPoll) {
    enum class Object { Manager, Session };
    const struct {
        Object object;
        const char* interface; // the interface the signal speaks for
        QVariantMap changed;
        QStringList invalidated;
        bool before;  // the stand-in's property at the start (idle blocked, or locked)
        bool after;   // the stand-in's property when the signal comes
        bool follows; // the watch's answer after the signal
        const char* fact;
    } cases[] = {
        {Object::Manager,
         "org.freedesktop.login1.Manager",
         {{"BlockInhibited", QStringLiteral("shutdown:idle")}},
         {},
         false,
         false,
         true,
         "a player takes an idle inhibitor"},
        {Object::Manager,
         "org.freedesktop.login1.Manager",
         {{"BlockInhibited", QStringLiteral("sleep")}},
         {},
         true,
         true,
         false,
         "the player lets it go"},
        {Object::Manager,
         "org.freedesktop.login1.Manager",
         {},
         {"BlockInhibited"},
         false,
         true,
         true,
         "named without its value: read anew"},
        {Object::Session,
         "org.freedesktop.login1.Session",
         {{"LockedHint", true}},
         {},
         false,
         false,
         true,
         "the lock screen sets the hint"},
        {Object::Session,
         "org.freedesktop.login1.Session",
         {{"LockedHint", false}},
         {},
         true,
         true,
         false,
         "and clears it when the user is back"},
        {Object::Session,
         "org.freedesktop.login1.Session",
         {},
         {"LockedHint"},
         false,
         true,
         true,
         "the hint named without its value"},
        {Object::Session,
         "org.freedesktop.login1.Seat",
         {{"LockedHint", true}},
         {},
         false,
         false,
         false,
         "another interface's property of that name is not the session's"},
        {Object::Manager,
         "org.freedesktop.login1.Manager",
         {{"BlockInhibited", QStringLiteral("idle")}, {"Docked", true}},
         {},
         false,
         false,
         true,
         "among other properties"},
    };
    qunsetenv("XDG_SESSION_ID");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fact);
        Fakes fakes;
        const bool manager = c.object == Object::Manager;
        (manager ? fakes.logind.blocked : fakes.session.locked) = c.before;
        InhibitorWatch watch(QDBusConnection::sessionBus(), QDBusConnection::sessionBus());
        const auto answer = [&] { return manager ? watch.Inhibited() : watch.Locked(); };
        QSignalSpy heard(&watch, manager ? &InhibitorWatch::Changed : &InhibitorWatch::LockChanged);
        watch.Start();
        ASSERT_EQ(answer(), c.before) << "read once at the start";
        heard.clear(); // the start's own answer
        (manager ? fakes.logind.blocked : fakes.session.locked) = c.after;
        SendPropertiesChanged(fakes.bus, manager ? kManagerPath : kSessionPath,
                              QString::fromLatin1(c.interface), c.changed, c.invalidated);
        if (c.follows != c.before) {
            ASSERT_TRUE(heard.wait(10000));
        } else {
            heard.wait(300); // nothing is to come; a change would show below
        }
        EXPECT_EQ(answer(), c.follows);
        EXPECT_EQ(heard.count(), c.follows != c.before ? 1 : 0);
    }
}

QDBusMessage ScreenSaverCall(const char* method, const QVariantList& arguments) {
    const QString name = QStringLiteral("org.freedesktop.ScreenSaver");
    QDBusMessage call = QDBusMessage::createMethodCall(
        name, QStringLiteral("/org/freedesktop/ScreenSaver"), name, QString::fromLatin1(method));
    call.setArguments(arguments);
    return call;
}

// A client of org.freedesktop.ScreenSaver on a bus connection of its own, as a player is. It
// waits for each answer in an event loop, so that the service in this thread can give it.
class Client {
public:
    explicit Client(const QString& name)
        : m_name(name)
        , m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name)) {}
    ~Client() { QDBusConnection::disconnectFromBus(m_name); }

    uint Inhibit() {
        return m_bus
            .call(ScreenSaverCall("Inhibit", {QStringLiteral("player"), QStringLiteral("a film")}),
                  QDBus::BlockWithGui)
            .arguments()
            .value(0)
            .toUInt();
    }
    void UnInhibit(uint cookie) {
        m_bus.call(ScreenSaverCall("UnInhibit", {cookie}), QDBus::BlockWithGui);
    }

private:
    QString m_name;
    QDBusConnection m_bus;
};

TEST_F(DBusIdleTest, AnInhibitFromACallerThatLeftAtOnceGoesWithIt) {
    ScreenSaverService service(QDBusConnection::sessionBus());
    ASSERT_TRUE(service.Register());
    {
        // Inhibit, sent without waiting for the answer; the bus answers the question after it
        // only once it has passed the Inhibit on. Then the caller leaves, before the service
        // has even seen its request.
        QDBusConnection leaver =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("leaver"));
        ASSERT_TRUE(
            leaver.send(ScreenSaverCall("Inhibit", {QStringLiteral("x"), QStringLiteral("y")})));
        leaver.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.DBus"));
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("leaver"));
    // A later caller's requests reach the service after the leaver's.
    Client stayer(QStringLiteral("stayer"));
    const uint cookie = stayer.Inhibit();
    EXPECT_TRUE(service.Inhibited());
    stayer.UnInhibit(cookie);
    EXPECT_FALSE(service.Inhibited())
        << "the request of a caller that has left holds the saver off";
}

TEST_F(DBusIdleTest, ACallerLiftsOnlyItsOwnInhibit) {
    ScreenSaverService service(QDBusConnection::sessionBus());
    ASSERT_TRUE(service.Register());
    Client a(QStringLiteral("a"));
    Client b(QStringLiteral("b"));
    const uint aCookie = a.Inhibit();
    b.UnInhibit(aCookie);
    EXPECT_TRUE(service.Inhibited()) << "B lifted A's request with A's cookie";
    const uint bCookie = b.Inhibit();
    a.UnInhibit(aCookie);
    EXPECT_TRUE(service.Inhibited()) << "A's own cookie lifted B's request too";
    a.UnInhibit(bCookie);
    EXPECT_TRUE(service.Inhibited()) << "A lifted B's request with B's cookie";
    b.UnInhibit(bCookie);
    EXPECT_FALSE(service.Inhibited()) << "B's own cookie lifted nothing";
}

class FakeIdleMonitor : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.Mutter.IdleMonitor")
public Q_SLOTS:
    uint AddIdleWatch(qulonglong /*interval*/) { return 1; }
};

// GNOME's idle monitor on a connection and a thread of their own.
struct MonitorFake {
    QThread thread;
    FakeIdleMonitor monitor;

    MonitorFake() {
        monitor.moveToThread(&thread);
        thread.start();
        QDBusConnection bus =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("monitor"));
        bus.registerObject(QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core"), &monitor,
                           QDBusConnection::ExportAllSlots);
        bus.registerService(QStringLiteral("org.gnome.Mutter.IdleMonitor"));
    }
    // Its owner leaves the bus, as gnome-shell does when the session ends.
    static void Leave() { QDBusConnection::disconnectFromBus(QStringLiteral("monitor")); }
    ~MonitorFake() {
        Leave();
        thread.quit();
        thread.wait();
    }
};

TEST_F(DBusIdleTest, GnomesIdleMonitorLeavingTheBusLosesTheSource) {
    MonitorFake fake;
    const std::unique_ptr<DBusIdleSource> source(
        DBusIdleSource::Mutter(QDBusConnection::sessionBus()));
    QSignalSpy lost(source.get(), &IdleSource::Lost);
    ASSERT_TRUE(source->Start(60000));
    EXPECT_EQ(lost.count(), 0);
    MonitorFake::Leave();
    EXPECT_TRUE(lost.wait(10000)) << "the monitor left the bus unnoticed";
    EXPECT_EQ(source->Provider(),
              QStringLiteral("GNOME's idle monitor (org.gnome.Mutter.IdleMonitor)"));
}

TEST_F(DBusIdleTest, TheLogSaysWhoKeepsOrgFreedesktopScreenSaver) {
    const QDBusConnection none = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("none"));
    QDBusConnection desktop =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("desktop"));
    const struct {
        QDBusConnection bus;
        bool desktopHasIt;
        const char* note;
        const char* fact;
    } cases[] = {
        {none, false, "no session bus (", "no bus: not \"belongs to the desktop\""},
        {QDBusConnection::sessionBus(), false, "keeping org.freedesktop.ScreenSaver's", "free"},
        {QDBusConnection::sessionBus(), true, "org.freedesktop.ScreenSaver belongs to the desktop",
         "the desktop's"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fact);
        if (c.desktopHasIt) {
            ASSERT_TRUE(desktop.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
        }
        InhibitorWatch watch(c.bus, none);
        watch.Start();
        EXPECT_EQ(watch.HasSessionBus(), c.bus.isConnected());
        EXPECT_TRUE(watch.ScreenSaverNote().startsWith(QString::fromLatin1(c.note)))
            << watch.ScreenSaverNote().toStdString();
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("none"));
    QDBusConnection::disconnectFromBus(QStringLiteral("desktop"));
}

} // namespace
} // namespace chronivo

#include "dbus_idle_test.moc"
