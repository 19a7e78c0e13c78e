#include "idle/session_inhibitors.h"

#include "idle/screen_saver_service.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>

namespace chronivo {

namespace {

// How often the desktop's inhibitor services are asked, milliseconds.
constexpr int kPollMs = 2000;

} // namespace

InhibitorWatch::InhibitorWatch(QDBusConnection bus, QDBusConnection system)
    : m_bus(std::move(bus))
    , m_system(std::move(system))
    // XDG_SESSION_ID names the session; without it "auto" is the session of the asking process.
    , m_sessionPath(QStringLiteral("/org/freedesktop/login1/session/") +
                    qEnvironmentVariable("XDG_SESSION_ID", QStringLiteral("auto"))) {
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &InhibitorWatch::Check);
}

InhibitorWatch::~InhibitorWatch() = default;

void InhibitorWatch::Start() {
    if (m_bus.isConnected()) {
        auto service = std::make_unique<ScreenSaverService>(m_bus);
        if (service->Register()) {
            connect(service.get(), &ScreenSaverService::Changed, this, &InhibitorWatch::Check);
            m_service = std::move(service);
        }
    }
    if (m_system.isConnected()) {
        m_system.connect(QStringLiteral("org.freedesktop.login1"), m_sessionPath,
                         QStringLiteral("org.freedesktop.login1.Session"), QStringLiteral("Lock"),
                         this, SLOT(OnLock()));
    }
    m_poll.start();
    Check();
}

QString InhibitorWatch::ScreenSaverNote() const {
    if (!m_bus.isConnected()) {
        return QStringLiteral("no session bus (%1): no program can ask through "
                              "org.freedesktop.ScreenSaver or the desktop's session manager that "
                              "the saver wait")
            .arg(m_bus.lastError().message());
    }
    return OwnsScreenSaver() ? QStringLiteral("keeping org.freedesktop.ScreenSaver's inhibitors, "
                                              "which nobody else offers here")
                             : QStringLiteral("org.freedesktop.ScreenSaver belongs to the desktop");
}

void InhibitorWatch::OnLock() {
    if (!m_locked) {
        m_locked = true;
        Q_EMIT LockChanged(true);
    }
}

QVariant InhibitorWatch::Logind(const QString& path, const QString& interface,
                                const QString& name) const {
    if (!m_system.isConnected()) {
        return {};
    }
    QDBusMessage get = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), path,
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << interface << name;
    const QDBusReply<QDBusVariant> reply = m_system.call(get, QDBus::Block, 1000);
    return reply.isValid() ? reply.value().variant() : QVariant();
}

bool InhibitorWatch::Ask(const QString& service, const QString& path, const QString& interface,
                         const QString& method, uint argument) const {
    if (m_bus.interface() == nullptr || !m_bus.interface()->isServiceRegistered(service).value()) {
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments({argument});
    const QDBusReply<bool> reply = m_bus.call(call, QDBus::Block, 1000);
    return reply.isValid() && reply.value();
}

void InhibitorWatch::Check() {
    // 8: "the session may not be marked idle"; 4: "the screen settings may not change".
    const bool inhibited =
        (m_service != nullptr && m_service->Inhibited()) ||
        Ask(QStringLiteral("org.gnome.SessionManager"), QStringLiteral("/org/gnome/SessionManager"),
            QStringLiteral("org.gnome.SessionManager"), QStringLiteral("IsInhibited"), 8) ||
        Ask(QStringLiteral("org.kde.Solid.PowerManagement.PolicyAgent"),
            QStringLiteral("/org/kde/Solid/PowerManagement/PolicyAgent"),
            QStringLiteral("org.kde.Solid.PowerManagement.PolicyAgent"),
            QStringLiteral("HasInhibition"), 4);
    // logind: "idle" among the blocked operations, and this session's lock.
    const bool blocked =
        Logind(QStringLiteral("/org/freedesktop/login1"),
               QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("BlockInhibited"))
            .toString()
            .split(QLatin1Char(':'))
            .contains(QStringLiteral("idle"));
    const bool locked = Logind(m_sessionPath, QStringLiteral("org.freedesktop.login1.Session"),
                               QStringLiteral("LockedHint"))
                            .toBool();
    if ((inhibited || blocked) != m_inhibited) {
        m_inhibited = inhibited || blocked;
        Q_EMIT Changed(m_inhibited);
    }
    if (locked != m_locked) {
        m_locked = locked;
        Q_EMIT LockChanged(locked);
    }
}

} // namespace chronivo
