#include "idle/watcher_control.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLockFile>
#include <QProcess>
#include <QThread>

#include <csignal>

#include <sys/types.h>
#include <unistd.h>

namespace chronivo {

QString WatcherLockPath() {
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty()) {
        dir = QDir::tempPath();
    }
    return dir + QStringLiteral("/chronivo-daemon-%1.lock").arg(getuid());
}

bool StopWatcher(int waitMs) {
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        QLockFile lock(WatcherLockPath());
        if (lock.tryLock(0)) {
            lock.unlock();
            return true; // nobody holds it (a dead watcher's lock is taken over and freed)
        }
        qint64 pid = 0;
        QString host;
        QString application;
        if (lock.getLockInfo(&pid, &host, &application) && pid > 0) {
            ::kill(static_cast<pid_t>(pid), SIGTERM);
        }
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(50);
    }
}

bool StartWatcher(const QString& program) {
    return QProcess::startDetached(program, {QStringLiteral("--daemon")});
}

} // namespace chronivo
