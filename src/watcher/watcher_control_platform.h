#pragma once

// What each system's own file (watcher_control_unix.cpp) gives the watcher's lock, beside
// SessionWatcherLockPlace and IsOurWatcher, and what it may ask of the shared part.

#include <QString>

namespace chronivo {

// Removes what sits in the lock's place at `path` but cannot be a lock of this user's (a link,
// another user's file), unread. Returns why that failed, in words; empty when nothing was in the
// way or it went. `cleared` gets what was removed, in words.
QString ClearForeignLock(const QString& path, QString* cleared);

// Asks the watcher `pid` to end, once more sure that it is one of ours (IsOurWatcher); nothing
// when it is gone or is none.
void SignalWatcher(qint64 pid);

// Whether StartWatcher of this process started `program` (a canonical path) as a watcher.
bool StartedAsWatcher(const QString& program);

} // namespace chronivo
