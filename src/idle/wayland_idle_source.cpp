#include "idle/wayland_idle_source.h"

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"

#include <QSocketNotifier>

#include <wayland-client.h>

#include <cerrno>
#include <cstring>

namespace chronivo {

namespace {

WaylandIdleSource* SourceOf(void* data) {
    return static_cast<WaylandIdleSource*>(data);
}

const wl_registry_listener kRegistryListener = {
    [](void* data, wl_registry* registry, std::uint32_t name, const char* interface,
       std::uint32_t /*version*/) { SourceOf(data)->OnGlobal(registry, name, interface); },
    [](void*, wl_registry*, std::uint32_t) {},
};

const ext_idle_notification_v1_listener kExtListener = {
    [](void* data, ext_idle_notification_v1*) { SourceOf(data)->OnIdle(); },
    [](void* data, ext_idle_notification_v1*) { SourceOf(data)->OnResumed(); },
};

const org_kde_kwin_idle_timeout_listener kKdeListener = {
    [](void* data, org_kde_kwin_idle_timeout*) { SourceOf(data)->OnIdle(); },
    [](void* data, org_kde_kwin_idle_timeout*) { SourceOf(data)->OnResumed(); },
};

} // namespace

WaylandIdleSource::WaylandIdleSource(Protocol protocol)
    : m_protocol(protocol) {}

WaylandIdleSource::~WaylandIdleSource() {
    Disconnect();
}

const char* WaylandIdleSource::Name() const {
    return m_protocol == Protocol::ExtIdleNotify
               ? "the Wayland compositor's idle notifications (ext_idle_notifier_v1)"
               : "the Wayland compositor's idle timeouts (org_kde_kwin_idle)";
}

QString WaylandIdleSource::Provider() const {
    return QStringLiteral("the Wayland compositor on %1").arg(m_socket);
}

void WaylandIdleSource::OnGlobal(wl_registry* registry, std::uint32_t name, const char* interface) {
    if (m_seat == nullptr && std::strcmp(interface, wl_seat_interface.name) == 0) {
        m_seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (m_protocol == Protocol::ExtIdleNotify &&
               std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0) {
        m_notifier = static_cast<ext_idle_notifier_v1*>(
            wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
    } else if (m_protocol == Protocol::KdeIdle &&
               std::strcmp(interface, org_kde_kwin_idle_interface.name) == 0) {
        m_kdeIdle = static_cast<org_kde_kwin_idle*>(
            wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
    }
}

bool WaylandIdleSource::Start(int idleMs) {
    m_display = wl_display_connect(nullptr);
    if (m_display == nullptr) {
        return false;
    }
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &kRegistryListener, this);
    if (wl_display_roundtrip(m_display) < 0 || m_seat == nullptr ||
        (m_notifier == nullptr && m_kdeIdle == nullptr)) {
        Disconnect();
        return false;
    }
    const auto timeout = static_cast<std::uint32_t>(idleMs);
    if (m_notifier != nullptr) {
        m_notification = ext_idle_notifier_v1_get_idle_notification(m_notifier, timeout, m_seat);
        ext_idle_notification_v1_add_listener(m_notification, &kExtListener, this);
    } else {
        m_kdeTimeout = org_kde_kwin_idle_get_idle_timeout(m_kdeIdle, m_seat, timeout);
        org_kde_kwin_idle_timeout_add_listener(m_kdeTimeout, &kKdeListener, this);
    }
    wl_display_flush(m_display);
    // As wl_display_connect chose it.
    m_socket = qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"));
    // The events come on the connection's socket; Qt's event loop says when to read them.
    m_events =
        std::make_unique<QSocketNotifier>(wl_display_get_fd(m_display), QSocketNotifier::Read);
    connect(m_events.get(), &QSocketNotifier::activated, this, &WaylandIdleSource::Dispatch);
    return true;
}

void WaylandIdleSource::Dispatch() {
    // A hang-up makes the socket readable too, and the read fails.
    if (wl_display_dispatch(m_display) < 0 ||
        (wl_display_flush(m_display) < 0 && errno != EAGAIN)) {
        // The compositor has gone, and the session with it: nothing more will come.
        m_events->setEnabled(false);
        Q_EMIT Lost();
    }
}

void WaylandIdleSource::Disconnect() {
    m_events.reset();
    if (m_display == nullptr) {
        return;
    }
    if (m_notification != nullptr) {
        ext_idle_notification_v1_destroy(m_notification);
    }
    if (m_kdeTimeout != nullptr) {
        org_kde_kwin_idle_timeout_release(m_kdeTimeout);
    }
    if (m_notifier != nullptr) {
        ext_idle_notifier_v1_destroy(m_notifier);
    }
    if (m_kdeIdle != nullptr) {
        org_kde_kwin_idle_destroy(m_kdeIdle);
    }
    if (m_seat != nullptr) {
        wl_seat_destroy(m_seat);
    }
    if (m_registry != nullptr) {
        wl_registry_destroy(m_registry);
    }
    wl_display_flush(m_display);
    wl_display_disconnect(m_display);
    m_display = nullptr;
    m_notification = nullptr;
    m_kdeTimeout = nullptr;
    m_notifier = nullptr;
    m_kdeIdle = nullptr;
    m_seat = nullptr;
    m_registry = nullptr;
}

} // namespace chronivo
