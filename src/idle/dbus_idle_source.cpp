#include "idle/dbus_idle_source.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

namespace chronivo {

DBusIdleSource::DBusIdleSource(QDBusConnection bus, QString service, QString path, const char* name)
    : m_bus(std::move(bus))
    , m_service(std::move(service))
    , m_path(std::move(path))
    , m_name(name) {}

DBusIdleSource* DBusIdleSource::Mutter(QDBusConnection bus) {
    return new DBusIdleSource(std::move(bus), QStringLiteral("org.gnome.Mutter.IdleMonitor"),
                              QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core"),
                              "GNOME's idle monitor (org.gnome.Mutter.IdleMonitor)");
}

DBusIdleSource* DBusIdleSource::Muffin(QDBusConnection bus) {
    return new DBusIdleSource(std::move(bus), QStringLiteral("org.cinnamon.Muffin.IdleMonitor"),
                              QStringLiteral("/org/cinnamon/Muffin/IdleMonitor/Core"),
                              "Cinnamon's idle monitor (org.cinnamon.Muffin.IdleMonitor)");
}

uint DBusIdleSource::AddWatch(const char* method, const QVariantList& arguments) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(m_service, m_path, m_service, QString::fromLatin1(method));
    call.setArguments(arguments);
    const QDBusReply<uint> reply = m_bus.call(call);
    return reply.isValid() ? reply.value() : 0;
}

bool DBusIdleSource::Start(int idleMs) {
    if (!m_bus.isConnected() || m_bus.interface() == nullptr) {
        return false;
    }
    // Watched before it is asked for, so that its leaving cannot slip in between.
    m_owner = std::make_unique<QDBusServiceWatcher>(m_service, m_bus,
                                                    QDBusServiceWatcher::WatchForUnregistration);
    connect(m_owner.get(), &QDBusServiceWatcher::serviceUnregistered, this, &DBusIdleSource::Lost);
    if (!m_bus.interface()->isServiceRegistered(m_service).value()) {
        m_owner.reset();
        return false;
    }
    // Listen before asking, so that no firing can come in between.
    m_bus.connect(m_service, m_path, m_service, QStringLiteral("WatchFired"), this,
                  SLOT(OnWatchFired(uint)));
    m_idleWatch = AddWatch("AddIdleWatch", {QVariant::fromValue(static_cast<qulonglong>(idleMs))});
    if (m_idleWatch == 0) {
        m_bus.disconnect(m_service, m_path, m_service, QStringLiteral("WatchFired"), this,
                         SLOT(OnWatchFired(uint)));
        m_owner.reset();
        return false;
    }
    return true;
}

void DBusIdleSource::OnWatchFired(uint id) {
    if (id == m_idleWatch) {
        // The idle watch stays and fires again at the next idle stretch; the user-active watch
        // fires once, at the next input, and is gone.
        m_activeWatch = AddWatch("AddUserActiveWatch", {});
        Q_EMIT Idle();
    } else if (id != 0 && id == m_activeWatch) {
        m_activeWatch = 0;
        Q_EMIT Resumed();
    }
}

} // namespace chronivo
