#pragma once

#include "idle/idle_source.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QString>

#include <memory>

namespace chronivo {

// A desktop's idle monitor on the session bus, as GNOME's compositor (org.gnome.Mutter
// .IdleMonitor) and Cinnamon's (org.cinnamon.Muffin.IdleMonitor) offer it: the watcher asks for an
// idle watch of the chosen time, which fires once the session has been idle that long, and then
// for a user-active watch, which fires at the next input. Lost when the monitor's owner (the
// desktop's compositor) leaves the bus.
class DBusIdleSource final : public IdleSource {
    Q_OBJECT
public:
    // `service` also names the interface; `path` is the monitor object of the whole session.
    DBusIdleSource(QDBusConnection bus, QString service, QString path, const char* name);

    // GNOME's and Cinnamon's monitors.
    static DBusIdleSource* Mutter(QDBusConnection bus);
    static DBusIdleSource* Muffin(QDBusConnection bus);

    const char* Name() const override { return m_name; }
    QString Provider() const override { return QString::fromLatin1(m_name); }
    // False when nobody owns the service on the bus or it refuses the idle watch.
    bool Start(int idleMs) override;

private Q_SLOTS:
    void OnWatchFired(uint id);

private:
    // Asks the monitor for a watch; 0 when it refuses.
    uint AddWatch(const char* method, const QVariantList& arguments);

    QDBusConnection m_bus;
    QString m_service;
    QString m_path;
    const char* m_name;
    uint m_idleWatch = 0;
    uint m_activeWatch = 0;
    std::unique_ptr<QDBusServiceWatcher> m_owner; // tells when the monitor leaves the bus
};

} // namespace chronivo
