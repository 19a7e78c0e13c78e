#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

#include <memory>

namespace chronivo {

class ScreenSaverService;

// Whether anything on the session asks that no saver start: the desktop's session manager for
// the programs that asked it (org.gnome.SessionManager's IsInhibited(8) on GNOME, MATE and
// Cinnamon; KDE's power management HasInhibition(4)), asked every two seconds since those are
// methods that announce no change, logind's idle inhibitors (BlockInhibited holding "idle"), and
// the requests made to our own ScreenSaverService where we own the name. Also whether logind says
// the session is locked (LockedHint), so that the saver never comes up over a lock screen. logind's
// two properties are read once at Start and then followed through its PropertiesChanged signals.
class InhibitorWatch : public QObject {
    Q_OBJECT
public:
    // `bus` is the session bus, `system` the system bus where logind lives.
    InhibitorWatch(QDBusConnection bus, QDBusConnection system);
    ~InhibitorWatch() override;

    // Takes org.freedesktop.ScreenSaver when it is free, reads logind's answers, follows their
    // changes and starts asking the others.
    void Start();
    bool Inhibited() const { return m_inhibited; }
    bool Locked() const { return m_locked; }
    bool OwnsScreenSaver() const { return m_service != nullptr; }
    // Whether the session bus is there: without it no program can ask that no saver start.
    bool HasSessionBus() const { return m_bus.isConnected(); }
    // After Start, one line for the watcher's log on who keeps org.freedesktop.ScreenSaver: we,
    // the desktop, or nobody for want of a session bus (with the reason the bus gave).
    QString ScreenSaverNote() const;

Q_SIGNALS:
    // The answers changed.
    void Changed(bool inhibited);
    void LockChanged(bool locked);

private Q_SLOTS:
    // logind asks the session's lock screen to come up: the saver goes at once, before the
    // locker takes the screen and sets the hint.
    void OnLock();
    // logind's PropertiesChanged from the manager (BlockInhibited) and from this session
    // (LockedHint): the new value, or for one only named as changed, the value read anew.
    void OnManagerProperties(const QString& interface, const QVariantMap& changed,
                             const QStringList& invalidated);
    void OnSessionProperties(const QString& interface, const QVariantMap& changed,
                             const QStringList& invalidated);

private:
    // Asks the session managers and our own service now, without waiting for the next poll.
    void Check();
    // Emits Changed when the answers together differ from the last ones given.
    void PublishInhibited();
    // Takes the session's lock state, with LockChanged when it differs.
    void SetLocked(bool locked);
    // Whether logind's BlockInhibited holds "idle" now.
    bool BlockedNow() const;
    // Takes logind's LockedHint as it is now.
    void ReadLockedHint();
    // This session's object as logind names it in its signals ("/org/freedesktop/login1/session/
    // _32" for session "2"); m_sessionPath when logind does not say.
    QString SignalSessionPath() const;
    // A boolean answer of `method` with `argument`; false when the service is absent or fails.
    bool Ask(const QString& service, const QString& path, const QString& interface,
             const QString& method, uint argument) const;
    // A property of logind's, invalid when logind does not answer.
    QVariant Logind(const QString& path, const QString& interface, const QString& name) const;

    QDBusConnection m_bus;
    QDBusConnection m_system;
    QString m_sessionPath; // this session's object at logind
    std::unique_ptr<ScreenSaverService> m_service;
    QTimer m_poll;
    bool m_asked = false;   // a session manager or our own service holds the saver off
    bool m_blocked = false; // logind blocks "idle"
    bool m_inhibited = false;
    bool m_locked = false;
};

} // namespace chronivo
