#pragma once

#include <QString>

namespace chronivo {

// Where the idle watcher of this user's session keeps its lock: $XDG_RUNTIME_DIR, else the
// temporary folder, with the user's id in the name. One watcher holds it at a time.
QString WatcherLockPath();

// Asks the session's running watcher, if any, to end (SIGTERM to the process in the lock) and
// waits up to `waitMs` for its lock to go. True when no watcher runs afterwards.
bool StopWatcher(int waitMs = 3000);

// Starts `program --daemon` detached from the caller, to run for the rest of the session. True
// when it was started.
bool StartWatcher(const QString& program);

} // namespace chronivo
