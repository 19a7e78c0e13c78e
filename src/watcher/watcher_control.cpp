#include "watcher/watcher_control.h"

#include "watcher/watcher_control_platform.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QStringList>
#include <QThread>

namespace chronivo {

namespace {

// The programs this process started as the session's watcher, as canonical paths.
QStringList s_startedWatchers;

// Takes the watcher's lock for this process. What cannot be a watcher's lock is cleared first: a
// link or a file of another user's in the lock's place, and a lock naming a process that is no
// watcher of this user's (only when nobody holds that lock file).
WatcherLockTry TakeWatcherLock(QLockFile& lock) {
    WatcherLockTry result;
    const QString path = lock.fileName();
    result.problem = ClearForeignLock(path, &result.cleared);
    if (!result.problem.isEmpty()) {
        return result;
    }
    if (lock.tryLock(0)) {
        result.taken = true;
        return result;
    }
    if (lock.error() != QLockFile::LockFailedError) {
        result.problem = QStringLiteral("the lock file %1 cannot be made (%2)")
                             .arg(path, lock.error() == QLockFile::PermissionError
                                            ? QStringLiteral("permission denied")
                                            : QStringLiteral("an error of the file system"));
        return result;
    }
    qint64 pid = 0;
    QString host;
    QString application;
    if (!lock.getLockInfo(&pid, &host, &application)) {
        // A watcher starting this moment has not written it yet; one left half-written is
        // taken for stale by QLockFile itself once it is old enough.
        result.problem =
            QStringLiteral("the lock file %1 is being written by another idle watcher").arg(path);
        return result;
    }
    QString notWatcher;
    if (IsOurWatcher(pid, &notWatcher)) {
        result.watcher = pid;
        result.problem =
            QStringLiteral("the idle watcher already runs in this session (process %1)").arg(pid);
        return result;
    }
    // QLockFile removes the file only when no process holds its lock on it.
    if (lock.removeStaleLockFile() && lock.tryLock(0)) {
        result.taken = true;
        result.cleared =
            QStringLiteral("cleared a lock that no idle watcher of yours held: %1").arg(notWatcher);
        return result;
    }
    result.problem =
        QStringLiteral("the lock file %1 is held, but not by an idle watcher of yours: %2")
            .arg(path, notWatcher);
    return result;
}

// The lock at `path`, taken for this process when it can be.
SessionWatcherLock TakeWatcherLockAt(const QString& path) {
    SessionWatcherLock lock;
    lock.file = std::make_unique<QLockFile>(path);
    lock.attempt = TakeWatcherLock(*lock.file);
    return lock;
}

} // namespace

SessionWatcherLock::SessionWatcherLock() = default;
SessionWatcherLock::SessionWatcherLock(SessionWatcherLock&&) noexcept = default;
SessionWatcherLock::~SessionWatcherLock() = default;

bool StartedAsWatcher(const QString& program) {
    return s_startedWatchers.contains(program);
}

SessionWatcherLock TakeSessionWatcherLock() {
    const WatcherLockPlace place = SessionWatcherLockPlace();
    if (place.path.isEmpty()) {
        SessionWatcherLock none;
        none.attempt.problem = place.problem;
        return none;
    }
    return TakeWatcherLockAt(place.path);
}

WatcherStop StopWatcher(int waitMs, QString* why) {
    const auto say = [why](const QString& text) {
        if (why != nullptr) {
            *why = text;
        }
    };
    const WatcherLockPlace place = SessionWatcherLockPlace();
    if (place.path.isEmpty()) {
        // A watcher refuses such a folder as well, so none can run there.
        say(place.problem);
        return WatcherStop::NoPlace;
    }
    const QDeadlineTimer deadline(waitMs);
    qint64 signalled = 0;
    for (;;) {
        const SessionWatcherLock lock = TakeWatcherLockAt(place.path);
        const WatcherLockTry& attempt = lock.attempt;
        if (attempt.taken) {
            lock.file
                ->unlock(); // nobody holds it now: a dead watcher's lock is taken over and freed
            say(attempt.cleared);
            return WatcherStop::Stopped;
        }
        if (attempt.watcher != 0 && attempt.watcher != signalled) {
            SignalWatcher(attempt.watcher);
            signalled = attempt.watcher;
        }
        if (deadline.hasExpired()) {
            say(attempt.watcher != 0
                    ? QStringLiteral("the idle watcher (process %1) did not end within %2 ms")
                          .arg(attempt.watcher)
                          .arg(waitMs)
                    : attempt.problem);
            return WatcherStop::StillRunning;
        }
        QThread::msleep(50);
    }
}

bool StartWatcher(const QString& program) {
    const QString canonical = QFileInfo(program).canonicalFilePath();
    if (!canonical.isEmpty() && !s_startedWatchers.contains(canonical)) {
        s_startedWatchers << canonical;
    }
    return QProcess::startDetached(program, {QStringLiteral("--daemon")});
}

} // namespace chronivo
