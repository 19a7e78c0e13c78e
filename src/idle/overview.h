#pragma once

#include <QDBusConnection>

namespace chronivo {

// Closes GNOME's Activities overview when it is open (org.gnome.Shell's OverviewActive). While it
// is open the shell shows every new window as a small picture inside it, the saver's full-screen
// window too; GNOME opens it at log-in, so a session left alone since then has it open. True when
// the overview was open and the shell took the request; nothing happens on other desktops.
bool LeaveOverview(const QDBusConnection& bus);

} // namespace chronivo
