#include "idle/idle_sources.h"

#include "idle/dbus_idle_source.h"
#include "idle/wayland_idle_source.h"
#include "idle/x11_idle_source.h"

#include <vector>

namespace chronivo {

std::unique_ptr<IdleSource> StartFirstIdleSource(const QDBusConnection& bus, int idleMs) {
    std::vector<std::unique_ptr<IdleSource>> candidates;
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        candidates.emplace_back(
            std::make_unique<WaylandIdleSource>(WaylandIdleSource::Protocol::ExtIdleNotify));
        candidates.emplace_back(
            std::make_unique<WaylandIdleSource>(WaylandIdleSource::Protocol::KdeIdle));
    }
    candidates.emplace_back(DBusIdleSource::Mutter(bus));
    candidates.emplace_back(DBusIdleSource::Muffin(bus));
    candidates.emplace_back(std::make_unique<X11IdleSource>());
    for (auto& candidate : candidates) {
        // One that fails has started nothing, so the others can go at once.
        if (candidate->Start(idleMs)) {
            return std::move(candidate);
        }
    }
    return nullptr;
}

QString NoIdleSourceText() {
    return QStringLiteral("no idle source in this session: looked for the Wayland idle "
                          "protocols on WAYLAND_DISPLAY '%1', GNOME's and Cinnamon's idle "
                          "monitors on the session bus and the X11 screen-saver extension on "
                          "DISPLAY '%2'")
        .arg(qEnvironmentVariable("WAYLAND_DISPLAY"), qEnvironmentVariable("DISPLAY"));
}

} // namespace chronivo
