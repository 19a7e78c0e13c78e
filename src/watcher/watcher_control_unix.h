#pragma once

#include "watcher/watcher_control.h"

#include <sys/types.h>

namespace chronivo {

// The lock's place for user `uid`: in `runtimeDir` ($XDG_RUNTIME_DIR) when that is set, else in
// the folder chronivo-<uid> under `tempDir`, made here with mode 0700 when it is missing. A folder
// serves only when it is a folder itself (not a link to one), belongs to `uid` and has mode 0700,
// so that no other user can put a lock there or read ours.
WatcherLockPlace WatcherLockPlaceFor(const QString& runtimeDir, const QString& tempDir, uid_t uid);

} // namespace chronivo
