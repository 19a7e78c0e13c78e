#pragma once

#include "idle/idle_source.h"

#include <memory>

class QSocketNotifier;

struct wl_display;
struct wl_registry;
struct wl_seat;
struct ext_idle_notifier_v1;
struct ext_idle_notification_v1;
struct org_kde_kwin_idle;
struct org_kde_kwin_idle_timeout;

namespace chronivo {

// A Wayland compositor's idle notifications, on a connection of the watcher's own to the
// session's compositor (WAYLAND_DISPLAY): the standard ext_idle_notifier_v1, or KDE's older
// org_kde_kwin_idle that KWin and sway 1.7 offer. The compositor counts the idle time on the
// first seat and honours its own idle inhibitors (a video player's), so nothing here polls.
class WaylandIdleSource final : public IdleSource {
    Q_OBJECT
public:
    enum class Protocol { ExtIdleNotify, KdeIdle };

    explicit WaylandIdleSource(Protocol protocol);
    ~WaylandIdleSource() override;

    const char* Name() const override;
    QString Provider() const override;
    // False without a Wayland compositor or when it lacks the protocol or a seat.
    bool Start(int idleMs) override;

    // Called by the protocol's listeners.
    void OnIdle() { Q_EMIT Idle(); }
    void OnResumed() { Q_EMIT Resumed(); }
    void OnGlobal(wl_registry* registry, std::uint32_t name, const char* interface);

private:
    // Reads and handles the compositor's events; Lost once the connection has ended.
    void Dispatch();
    void Disconnect();

    Protocol m_protocol;
    QString m_socket; // the compositor's socket as it was at Start ("wayland-1")
    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    wl_seat* m_seat = nullptr;
    ext_idle_notifier_v1* m_notifier = nullptr;
    ext_idle_notification_v1* m_notification = nullptr;
    org_kde_kwin_idle* m_kdeIdle = nullptr;
    org_kde_kwin_idle_timeout* m_kdeTimeout = nullptr;
    std::unique_ptr<QSocketNotifier> m_events;
};

} // namespace chronivo
