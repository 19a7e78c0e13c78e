#include "idle/overview.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>

namespace chronivo {

bool LeaveOverview(const QDBusConnection& bus) {
    const QString shell = QStringLiteral("org.gnome.Shell");
    if (!bus.isConnected() || bus.interface() == nullptr ||
        !bus.interface()->isServiceRegistered(shell).value()) {
        return false;
    }
    const QString path = QStringLiteral("/org/gnome/Shell");
    const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
    QDBusMessage get =
        QDBusMessage::createMethodCall(shell, path, properties, QStringLiteral("Get"));
    get << shell << QStringLiteral("OverviewActive");
    const QDBusReply<QDBusVariant> open = bus.call(get, QDBus::Block, 1000);
    if (!open.isValid() || !open.value().variant().toBool()) {
        return false;
    }
    QDBusMessage set =
        QDBusMessage::createMethodCall(shell, path, properties, QStringLiteral("Set"));
    set << shell << QStringLiteral("OverviewActive") << QVariant::fromValue(QDBusVariant(false));
    return bus.call(set, QDBus::Block, 1000).type() == QDBusMessage::ReplyMessage;
}

} // namespace chronivo
