// The watcher's lock on systems with POSIX users, processes and signals, and a /proc file
// system that tells what a process runs.
#include "watcher/watcher_control_unix.h"
#include "watcher/watcher_control_platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace chronivo {

namespace {

const QString kFolderRule = QStringLiteral(
    "the idle watcher keeps its lock only in a folder of yours that nobody else can reach "
    "(mode 0700)");

QString ErrorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// What makes `dir` unfit for the lock of user `uid`, as the end of a sentence; empty when nothing.
QString FolderFault(const QString& dir, uid_t uid) {
    struct stat info = {};
    if (::lstat(QFile::encodeName(dir).constData(), &info) != 0) {
        return errno == ENOENT ? QStringLiteral("does not exist")
                               : QStringLiteral("cannot be read (%1)").arg(ErrorText(errno));
    }
    if (S_ISLNK(info.st_mode)) {
        return QStringLiteral("is a symbolic link, not a folder");
    }
    if (!S_ISDIR(info.st_mode)) {
        return QStringLiteral("is not a folder");
    }
    if (info.st_uid != uid) {
        return QStringLiteral("belongs to user %1, not to you (user %2)").arg(info.st_uid).arg(uid);
    }
    if ((info.st_mode & 0777) != 0700) {
        return QStringLiteral("has mode %1, not 0700")
            .arg(static_cast<uint>(info.st_mode & 0777), 4, 8, QLatin1Char('0'));
    }
    return {};
}

QByteArray ReadProcFile(qint64 pid, const char* name) {
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The real and the effective user of a process from its /proc status; empty when it is gone.
QList<QByteArray> UidsOf(qint64 pid) {
    const QList<QByteArray> lines = ReadProcFile(pid, "status").split('\n');
    for (const QByteArray& line : lines) {
        if (line.startsWith("Uid:")) {
            return line.mid(4).simplified().split(' ').mid(0, 2);
        }
    }
    return {};
}

// The program a process runs, as the kernel names it (" (deleted)" after a reinstall taken off).
QString ProgramOf(qint64 pid) {
    char target[4096];
    const QByteArray link = QFile::encodeName(QStringLiteral("/proc/%1/exe").arg(pid));
    const ssize_t size = ::readlink(link.constData(), target, sizeof target - 1);
    if (size <= 0) {
        return {};
    }
    QString program = QFile::decodeName(QByteArray(target, static_cast<int>(size)));
    const QString deleted = QStringLiteral(" (deleted)");
    if (program.endsWith(deleted)) {
        program.chop(deleted.size());
    }
    return program;
}

// Whether a process runs this process's own program (the same file, wherever it was started).
bool RunsOurProgram(qint64 pid) {
    struct stat ours = {};
    struct stat theirs = {};
    const QByteArray link = QFile::encodeName(QStringLiteral("/proc/%1/exe").arg(pid));
    return ::stat("/proc/self/exe", &ours) == 0 && ::stat(link.constData(), &theirs) == 0 &&
           ours.st_dev == theirs.st_dev && ours.st_ino == theirs.st_ino;
}

} // namespace

WatcherLockPlace WatcherLockPlaceFor(const QString& runtimeDir, const QString& tempDir, uid_t uid) {
    QString dir;
    QString named; // the folder as a message names it
    if (!runtimeDir.isEmpty()) {
        dir = QDir::cleanPath(runtimeDir);
        named = QStringLiteral("XDG_RUNTIME_DIR (%1)").arg(runtimeDir);
        if (!QDir::isAbsolutePath(dir)) {
            return {{}, QStringLiteral("%1 is not an absolute path; %2").arg(named, kFolderRule)};
        }
    } else {
        dir = QDir::cleanPath(tempDir + QStringLiteral("/chronivo-%1").arg(uid));
        named = QStringLiteral("the folder %1").arg(dir);
        // Made here with mode 0700 when missing; one that is there already is checked like any.
        if (::mkdir(QFile::encodeName(dir).constData(), 0700) != 0 && errno != EEXIST) {
            return {{},
                    QStringLiteral("%1 cannot be made (%2); %3")
                        .arg(named, ErrorText(errno), kFolderRule)};
        }
    }
    const QString fault = FolderFault(dir, uid);
    if (!fault.isEmpty()) {
        return {{}, QStringLiteral("%1 %2; %3").arg(named, fault, kFolderRule)};
    }
    return {dir + QStringLiteral("/chronivo-daemon-%1.lock").arg(uid), {}};
}

WatcherLockPlace SessionWatcherLockPlace() {
    return WatcherLockPlaceFor(qEnvironmentVariable("XDG_RUNTIME_DIR"), QDir::tempPath(),
                               ::getuid());
}

bool IsOurWatcher(qint64 pid, QString* why) {
    const auto no = [why](const QString& reason) {
        if (why != nullptr) {
            *why = reason;
        }
        return false;
    };
    if (pid <= 0) {
        return no(QStringLiteral("the lock names no process"));
    }
    const QList<QByteArray> uids = UidsOf(pid);
    if (uids.isEmpty()) {
        return no(QStringLiteral("process %1 does not run").arg(pid));
    }
    const QByteArray me = QByteArray::number(::getuid());
    for (const QByteArray& uid : uids) {
        if (uid != me) {
            return no(QStringLiteral("process %1 belongs to user %2, not to you")
                          .arg(pid)
                          .arg(QString::fromLatin1(uid)));
        }
    }
    const QString program = ProgramOf(pid);
    const QList<QByteArray> arguments = ReadProcFile(pid, "cmdline").split('\0');
    if (arguments.size() < 2 || arguments.at(1) != "--daemon") {
        return no(QStringLiteral("process %1 (%2) is not an idle watcher: its first argument is "
                                 "not --daemon")
                      .arg(pid)
                      .arg(program));
    }
    if (!RunsOurProgram(pid) && !StartedAsWatcher(program) &&
        QFileInfo(program).fileName() != QLatin1String("chronivo")) {
        return no(
            QStringLiteral("process %1 runs %2, which is not chronivo").arg(pid).arg(program));
    }
    if (why != nullptr) {
        why->clear();
    }
    return true;
}

QString ClearForeignLock(const QString& path, QString* cleared) {
    const QByteArray native = QFile::encodeName(path);
    // In a folder nobody else can write to, a link or another user's file is nothing our
    // watcher made: it is removed unread, never followed or believed.
    struct stat info = {};
    if (::lstat(native.constData(), &info) == 0 &&
        (!S_ISREG(info.st_mode) || info.st_uid != ::getuid())) {
        if (::unlink(native.constData()) != 0) {
            return QStringLiteral("the lock file %1 is not yours and cannot be removed (%2)")
                .arg(path, ErrorText(errno));
        }
        *cleared = QStringLiteral("removed %1, which was no lock of yours (%2)")
                       .arg(path, S_ISREG(info.st_mode)
                                      ? QStringLiteral("a file of user %1").arg(info.st_uid)
                                      : QStringLiteral("not a regular file"));
    }
    return {};
}

// SIGTERM to a watcher of ours. The process is held by a pidfd before it is checked, where the
// kernel offers them, so that if it ends meanwhile and its number goes to another process, that
// other process is not signalled. (Called through syscall: Debian 12's C library declares the
// pidfd functions without C linkage for C++.)
void SignalWatcher(qint64 pid) {
    const auto handle = static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0U));
    if (handle < 0 && errno == ESRCH) {
        return; // gone already
    }
    if (IsOurWatcher(pid)) {
        if (handle >= 0) {
            ::syscall(SYS_pidfd_send_signal, handle, SIGTERM, nullptr, 0U);
        } else {
            ::kill(static_cast<pid_t>(pid), SIGTERM);
        }
    }
    if (handle >= 0) {
        ::close(handle);
    }
}

} // namespace chronivo
