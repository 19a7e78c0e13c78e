#pragma once

#include "watcher/desktop_blank.h"

#include <QString>

#include <optional>

namespace chronivo {

// The X server's times on `display`; nothing when it cannot be reached.
std::optional<X11BlankTimes> ReadX11BlankTimes(const QString& display);

// The soonest of the desktop's own blank and lock times and the X server's.
std::optional<DesktopBlank> ReadDesktopBlank(const DesktopSession& session,
                                             const GsettingsGet& get = RunGsettingsGet);

} // namespace chronivo
