#pragma once

#include "idle/idle_source.h"

#include <QDBusConnection>
#include <QString>

#include <memory>

namespace chronivo {

// The first idle source the session offers, started for `idleMs` milliseconds without input, in
// this order: the Wayland compositor's own idle notifications (only with WAYLAND_DISPLAY set),
// the desktop's idle monitor on the session bus `bus`, the X server's count. Nothing when the
// session offers none.
std::unique_ptr<IdleSource> StartFirstIdleSource(const QDBusConnection& bus, int idleMs);

// The log line for a session that offers no idle source, naming where the watcher looked.
QString NoIdleSourceText();

} // namespace chronivo
