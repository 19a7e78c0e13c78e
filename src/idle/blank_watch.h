#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <map>

class QDBusMessage;
struct xcb_connection_t;

namespace chronivo {

// Whether the desktop has blanked the screen by itself: its screen saver or screen shield is
// active (ActiveChanged of GNOME's, MATE's and Cinnamon's screen-saver services, and of
// org.freedesktop.ScreenSaver where the desktop keeps it, as KDE does), GNOME's compositor has
// switched the display off (org.gnome.Mutter.DisplayConfig's PowerSaveMode), or, in an X11
// session, the X server's own screen saver is on or DPMS has put the monitor out of "on".
// Nothing here polls but the X server, once a second, and only in an X11 session: an X server
// beside a Wayland compositor (Xwayland) counts only its own clients' input.
class BlankWatch : public QObject {
    Q_OBJECT
public:
    explicit BlankWatch(QDBusConnection bus);
    ~BlankWatch() override;

    // Starts listening and reads where each source stands now. `ownFreedesktopService`: the
    // watcher itself keeps org.freedesktop.ScreenSaver, which then says nothing of the screen.
    void Start(bool ownFreedesktopService);

Q_SIGNALS:
    // The screen went dark (true) or shows again (false).
    void Changed(bool blanked);

private Q_SLOTS:
    void OnActiveChanged(const QDBusMessage& message);
    void OnDisplayConfigChanged(const QDBusMessage& message);

private:
    // Records what one source says and tells when the whole answer changes.
    void Set(const QString& source, bool dark);
    void StartX11();
    void PollX11();

    QDBusConnection m_bus;
    std::map<QString, bool> m_dark; // source -> whether it says the screen is dark
    bool m_blanked = false;
    xcb_connection_t* m_x11 = nullptr;
    std::uint32_t m_root = 0;
    bool m_x11ScreenSaver = false; // the MIT-SCREEN-SAVER extension is there
    bool m_x11Dpms = false;        // the DPMS extension is there
    QTimer m_x11Poll;
};

// Whether mutter's PowerSaveMode `mode` leaves the screen dark: 1 standby, 2 suspend, 3 off; 0 is
// on and -1 unknown.
constexpr bool PowerSaveModeIsDark(int mode) {
    return mode >= 1 && mode <= 3;
}

} // namespace chronivo
