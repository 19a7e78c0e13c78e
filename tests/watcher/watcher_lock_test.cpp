// The idle watcher's lock: the folders it may live in, and which processes count as a watcher of
// this user's. Folders of other modes are made in a temporary folder; one of another user's needs
// root (chown to 65534), and that row is left out otherwise.
#include "watcher/watcher_control_unix.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace chronivo {
namespace {

constexpr uid_t kOther = 65534;

enum class Made { Nothing, Folder, Link, File };

struct PlaceCase {
    bool runtime; // the folder is XDG_RUNTIME_DIR's; else the own folder under the temporary one
    Made made;
    mode_t mode;
    bool theirs;         // given to user 65534
    const char* problem; // part of the message; empty when the folder serves
    const char* fact;
};

TEST(WatcherLockPlace, OnlyAFolderOfTheUsersOwnWithMode0700Serves) {
    const PlaceCase cases[] = {
        {true, Made::Folder, 0700, false, "", "XDG_RUNTIME_DIR as logind makes it"},
        {true, Made::Nothing, 0, false, "does not exist", "XDG_RUNTIME_DIR names no folder"},
        {true, Made::Folder, 0755, false, "has mode 0755, not 0700", "others may read it"},
        {true, Made::Folder, 0500, false, "has mode 0500, not 0700", "not writable"},
        {true, Made::Folder, 0700, true, "belongs to user 65534", "another user's folder"},
        {true, Made::Link, 0700, false, "is a symbolic link", "a link to a good folder"},
        {true, Made::File, 0700, false, "is not a folder", "a file"},
        {false, Made::Nothing, 0, false, "", "unset: the own folder is made with mode 0700"},
        {false, Made::Folder, 0700, false, "", "unset: the own folder is there already"},
        {false, Made::Folder, 0777, false, "has mode 0777", "unset: someone made it open"},
        {false, Made::Folder, 0700, true, "belongs to user 65534", "unset: someone else's"},
        {false, Made::Link, 0700, false, "is a symbolic link", "unset: a link planted there"},
    };
    const uid_t me = ::getuid();
    for (const PlaceCase& c : cases) {
        SCOPED_TRACE(c.fact);
        if (c.theirs && ::geteuid() != 0) {
            continue; // only root can give a folder away
        }
        QTemporaryDir root;
        ASSERT_TRUE(root.isValid());
        const QString dir = c.runtime ? root.filePath(QStringLiteral("runtime"))
                                      : root.filePath(QStringLiteral("chronivo-%1").arg(me));
        const QByteArray native = QFile::encodeName(dir);
        const QByteArray good = QFile::encodeName(root.filePath(QStringLiteral("good")));
        ASSERT_EQ(::mkdir(good.constData(), 0700), 0);
        if (c.made == Made::Folder) {
            ASSERT_EQ(::mkdir(native.constData(), 0700), 0);
        } else if (c.made == Made::Link) {
            ASSERT_EQ(::symlink(good.constData(), native.constData()), 0);
        } else if (c.made == Made::File) {
            ASSERT_TRUE(QFile(dir).open(QIODevice::WriteOnly));
        }
        if (c.made == Made::Folder || c.made == Made::File) {
            ASSERT_EQ(::chmod(native.constData(), c.mode), 0);
        }
        if (c.theirs) {
            ASSERT_EQ(::chown(native.constData(), kOther, kOther), 0);
        }
        const WatcherLockPlace place =
            WatcherLockPlaceFor(c.runtime ? dir : QString(), root.path(), me);
        if (*c.problem == '\0') {
            EXPECT_EQ(place.path, dir + QStringLiteral("/chronivo-daemon-%1.lock").arg(me));
            EXPECT_EQ(place.problem, QString());
            struct stat info = {};
            ASSERT_EQ(::lstat(native.constData(), &info), 0);
            EXPECT_EQ(info.st_mode & 0777, 0700u);
        } else {
            EXPECT_EQ(place.path, QString());
            EXPECT_TRUE(place.problem.contains(dir) &&
                        place.problem.contains(QString::fromLatin1(c.problem)))
                << place.problem.toStdString();
        }
    }
    EXPECT_TRUE(WatcherLockPlaceFor(QStringLiteral("run"), QString(), me)
                    .problem.startsWith(QStringLiteral("XDG_RUNTIME_DIR (run) is not an absolute")))
        << "a relative XDG_RUNTIME_DIR";
}

// A process of the test's, started with `arguments`; its id once it runs.
qint64 Started(QProcess& process, const QString& program, const QStringList& arguments) {
    process.start(program, arguments);
    return process.waitForStarted() ? process.processId() : 0;
}

// Waits (at most 20 s) until `done` says so.
bool WaitUntil(const std::function<bool()>& done) {
    const QDeadlineTimer deadline(20000);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(20);
    }
    return true;
}

// The process that holds the lock at `path`, or 0.
qint64 LockHolder(const QString& path) {
    qint64 pid = 0;
    QString host;
    QString application;
    return QLockFile(path).getLockInfo(&pid, &host, &application) ? pid : 0;
}

TEST(WatcherCheck, OnlyThisUsersDaemonOfChronivoIsAWatcher) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString runtime = root.filePath(QStringLiteral("runtime"));
    ASSERT_EQ(::mkdir(QFile::encodeName(runtime).constData(), 0700), 0);
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    const QString lockPath = SessionWatcherLockPlace().path;
    // The stand-in under another name, started with --daemon, is not a watcher of ours.
    const QString player = root.filePath(QStringLiteral("player"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(CHRONIVO_STAND_IN_WATCHER), player));
    QProcess sleeper;
    QProcess impostor;
    QProcess theirs;
    // As root only: setpriv takes user 65534 and then becomes sleep.
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    const qint64 theirPid =
        ::geteuid() == 0 && !setpriv.isEmpty()
            ? Started(theirs, setpriv,
                      {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                       QStringLiteral("--clear-groups"), QStringLiteral("sleep"),
                       QStringLiteral("60")})
            : -1;
    EXPECT_TRUE(theirPid == -1 || WaitUntil([theirPid] {
                    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(theirPid));
                    return cmdline.open(QIODevice::ReadOnly) &&
                           cmdline.readAll().startsWith("sleep");
                }));
    const struct {
        qint64 pid;
        const char* why;
        const char* fact;
    } cases[] = {
        {Started(sleeper, QStringLiteral("sleep"), {QStringLiteral("60")}),
         "is not an idle watcher: its first argument is not --daemon", "a sleep of the user's"},
        {Started(impostor, player, {QStringLiteral("--daemon")}), "which is not chronivo",
         "another program started with --daemon (it holds the lock)"},
        {theirPid, "belongs to user 65534", "another user's process"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fact);
        if (c.pid == -1) {
            continue;
        }
        ASSERT_NE(c.pid, 0);
        QString why;
        EXPECT_FALSE(IsOurWatcher(c.pid, &why));
        EXPECT_TRUE(why.contains(QString::fromLatin1(c.why))) << why.toStdString();
    }
    // The impostor holds the lock: it is not signalled, and the lock stays its own.
    ASSERT_TRUE(WaitUntil([&] { return LockHolder(lockPath) == impostor.processId(); }));
    QString why;
    EXPECT_EQ(StopWatcher(500, &why), WatcherStop::StillRunning);
    EXPECT_TRUE(why.contains(QStringLiteral("not by an idle watcher of yours")))
        << why.toStdString();
    EXPECT_EQ(impostor.state(), QProcess::Running);
    const qint64 impostorPid = impostor.processId();
    impostor.kill();
    impostor.waitForFinished();
    // The same program, started by StartWatcher, is one, and StopWatcher ends it.
    ASSERT_TRUE(StartWatcher(player));
    qint64 watcher = 0;
    ASSERT_TRUE(WaitUntil([&] {
        watcher = LockHolder(lockPath); // the killed impostor's lock until the watcher takes it
        return watcher != 0 && watcher != impostorPid;
    }));
    EXPECT_TRUE(IsOurWatcher(watcher));
    EXPECT_EQ(StopWatcher(), WatcherStop::Stopped);
    qputenv("XDG_RUNTIME_DIR", oldRuntime);
}

} // namespace
} // namespace chronivo
