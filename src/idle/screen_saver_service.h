#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusServiceWatcher>
#include <QObject>

#include <map>

namespace chronivo {

// org.freedesktop.ScreenSaver's Inhibit and UnInhibit, kept by the watcher on sessions where
// nobody else offers them (sway, Hyprland, a bare X11 session), so that video players and
// presentation programs can hold the saver off there too. A caller's requests go when it leaves
// the bus, so a crashed player does not hold the saver off for ever, and only the caller that made
// a request can end it.
class ScreenSaverService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    explicit ScreenSaverService(QDBusConnection bus);
    // Gives the name and the object paths back.
    ~ScreenSaverService() override;

    // Takes the name and the usual object paths on the bus; false when someone else has it.
    bool Register();
    bool Inhibited() const { return !m_requests.empty(); }

public Q_SLOTS:
    // A request to hold the saver off; the cookie ends it.
    uint Inhibit(const QString& application, const QString& reason);
    // Ends the caller's own request of that cookie; another caller's cookie is ignored.
    void UnInhibit(uint cookie);

Q_SIGNALS:
    void Changed();

private:
    void CallerGone(const QString& caller);

    QDBusConnection m_bus;
    std::map<uint, QString> m_requests; // cookie -> the caller's unique bus name
    uint m_nextCookie = 1;
    QDBusServiceWatcher m_callers;
    bool m_registered = false;
};

} // namespace chronivo
