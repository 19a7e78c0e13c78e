#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace chronivo {

// Where the idle watcher of this user's session keeps its lock, or why there is no safe place.
struct WatcherLockPlace {
    QString path;    // the lock file; empty when there is no safe place for it
    QString problem; // what is wrong with the folder, in words, when `path` is empty
};

// The lock's place for this process's user, XDG_RUNTIME_DIR and temporary folder (TMPDIR, else
// /tmp), as WatcherLockPlaceFor says.
WatcherLockPlace SessionWatcherLockPlace();

// Whether process `pid` is an idle watcher of this user's: it runs as this user, "--daemon" is its
// first argument, and its program is this process's own, one StartWatcher started, or one named
// chronivo. When it is not, `why` says why not.
bool IsOurWatcher(qint64 pid, QString* why = nullptr);

// What came of trying to take the watcher's lock.
struct WatcherLockTry {
    bool taken = false;
    qint64 watcher = 0; // the running watcher that holds the lock, when one does
    QString problem;    // why the lock was not taken, in words
    QString cleared;    // what was cleared before the lock was taken, in words; empty for nothing
};

// The session's watcher lock as this process tried to take it: held by `file` for as long as that
// lives when `attempt.taken`. Without a safe place for it, `file` is null and `attempt.problem`
// says what is wrong with the folder.
struct SessionWatcherLock {
    std::unique_ptr<QLockFile> file;
    WatcherLockTry attempt;

    SessionWatcherLock();
    SessionWatcherLock(SessionWatcherLock&&) noexcept;
    ~SessionWatcherLock();
};

// Takes the lock in SessionWatcherLockPlace for this process, as a watcher does when it starts.
SessionWatcherLock TakeSessionWatcherLock();

// What came of asking the session's watcher to end.
enum class WatcherStop {
    Stopped,     // no watcher runs now
    NoPlace,     // the session has no safe folder for the lock, so no watcher can run in it
    StillRunning // the watcher, or whatever holds its lock, is still there
};

// Asks the session's running watcher, if any, to end (SIGTERM, sent only when IsOurWatcher says
// the process in the lock is one) and waits up to `waitMs` for its lock to go. `why` then says
// what was found that is no watcher (a lock naming another process), what is wrong with the folder
// (NoPlace), or why the lock is still held.
WatcherStop StopWatcher(int waitMs = 3000, QString* why = nullptr);

// Starts `program --daemon` detached from the caller, to run for the rest of the session. True
// when it was started; IsOurWatcher then knows `program` for a watcher's.
bool StartWatcher(const QString& program);

} // namespace chronivo
