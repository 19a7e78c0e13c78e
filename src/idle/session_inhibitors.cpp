#include "idle/session_inhibitors.h"

#include "idle/screen_saver_service.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>

namespace chronivo {

namespace {

// How often the desktop's inhibitor services are asked, milliseconds.
constexpr int kPollMs = 2000;

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

// Whether logind's list of blocked operations ("shutdown:idle:sleep") holds "idle".
bool BlocksIdle(const QString& blocked) {
    return blocked.split(QLatin1Char(':')).contains(QStringLiteral("idle"));
}

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
        m_system.connect(kLogind, m_sessionPath, kSession, QStringLiteral("Lock"), this,
                         SLOT(OnLock()));
        m_system.connect(kLogind, kManagerPath, kProperties, QStringLiteral("PropertiesChanged"),
                         this, SLOT(OnManagerProperties(QString, QVariantMap, QStringList)));
        m_system.connect(kLogind, SignalSessionPath(), kProperties,
                         QStringLiteral("PropertiesChanged"), this,
                         SLOT(OnSessionProperties(QString, QVariantMap, QStringList)));
    }
    // Read once after the signals are followed, so that no change falls in between.
    m_blocked = BlockedNow();
    m_poll.start();
    Check();
    ReadLockedHint();
}

QString InhibitorWatch::SignalSessionPath() const {
    QDBusMessage get = QDBusMessage::createMethodCall(kLogind, kManagerPath, kManager,
                                                      QStringLiteral("GetSession"));
    get << m_sessionPath.section(QLatin1Char('/'), -1);
    const QDBusReply<QDBusObjectPath> reply = m_system.call(get, QDBus::Block, 1000);
    return reply.isValid() ? reply.value().path() : m_sessionPath;
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
    SetLocked(true);
    // A locker that never sets the hint would keep the saver away for good: the hint has the
    // last word once the locker has had its time.
    QTimer::singleShot(kPollMs, this, &InhibitorWatch::ReadLockedHint);
}

void InhibitorWatch::OnManagerProperties(const QString& interface, const QVariantMap& changed,
                                         const QStringList& invalidated) {
    const QString name = QStringLiteral("BlockInhibited");
    if (interface != kManager) {
        return;
    }
    if (const auto value = changed.find(name); value != changed.end()) {
        m_blocked = BlocksIdle(value->toString());
        PublishInhibited();
    } else if (invalidated.contains(name)) {
        m_blocked = BlockedNow();
        PublishInhibited();
    }
}

void InhibitorWatch::OnSessionProperties(const QString& interface, const QVariantMap& changed,
                                         const QStringList& invalidated) {
    const QString name = QStringLiteral("LockedHint");
    if (interface != kSession) {
        return;
    }
    if (const auto value = changed.find(name); value != changed.end()) {
        SetLocked(value->toBool());
    } else if (invalidated.contains(name)) {
        ReadLockedHint();
    }
}

bool InhibitorWatch::BlockedNow() const {
    return BlocksIdle(Logind(kManagerPath, kManager, QStringLiteral("BlockInhibited")).toString());
}

void InhibitorWatch::ReadLockedHint() {
    SetLocked(Logind(m_sessionPath, kSession, QStringLiteral("LockedHint")).toBool());
}

QVariant InhibitorWatch::Logind(const QString& path, const QString& interface,
                                const QString& name) const {
    if (!m_system.isConnected()) {
        return {};
    }
    QDBusMessage get =
        QDBusMessage::createMethodCall(kLogind, path, kProperties, QStringLiteral("Get"));
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
    m_asked =
        (m_service != nullptr && m_service->Inhibited()) ||
        Ask(QStringLiteral("org.gnome.SessionManager"), QStringLiteral("/org/gnome/SessionManager"),
            QStringLiteral("org.gnome.SessionManager"), QStringLiteral("IsInhibited"), 8) ||
        Ask(QStringLiteral("org.kde.Solid.PowerManagement.PolicyAgent"),
            QStringLiteral("/org/kde/Solid/PowerManagement/PolicyAgent"),
            QStringLiteral("org.kde.Solid.PowerManagement.PolicyAgent"),
            QStringLiteral("HasInhibition"), 4);
    PublishInhibited();
}

void InhibitorWatch::PublishInhibited() {
    if ((m_asked || m_blocked) != m_inhibited) {
        m_inhibited = m_asked || m_blocked;
        Q_EMIT Changed(m_inhibited);
    }
}

void InhibitorWatch::SetLocked(bool locked) {
    if (locked != m_locked) {
        m_locked = locked;
        Q_EMIT LockChanged(locked);
    }
}

} // namespace chronivo
