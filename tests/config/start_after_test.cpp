// The session's side of "Start the saver after": the autostart entry and the idle watcher of
// the running session, in temporary XDG_CONFIG_HOME and XDG_RUNTIME_DIR folders, with a stand-in
// for the watcher that holds its lock as the real one does.
#include "config/start_after.h"
#include "res/tool_run.h"
#include "watcher/watcher_control.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace chronivo {
namespace {

struct PathCase {
    const char* xdgConfigHome;
    const char* expected;
    const char* fact;
};

TEST(AutostartEntryPath, FollowsTheXdgRules) {
    const PathCase cases[] = {
        {"/cfg", "/cfg/autostart/chronivo-daemon.desktop", "an absolute XDG_CONFIG_HOME"},
        {"/cfg/", "/cfg/autostart/chronivo-daemon.desktop", "with a trailing slash"},
        {"", "/home/u/.config/autostart/chronivo-daemon.desktop", "unset: ~/.config"},
        {"cfg", "/home/u/.config/autostart/chronivo-daemon.desktop", "relative: ignored"},
    };
    for (const PathCase& c : cases) {
        EXPECT_EQ(
            AutostartEntryPathFor(QString::fromLatin1(c.xdgConfigHome), QStringLiteral("/home/u")),
            QString::fromLatin1(c.expected))
            << c.fact;
    }
}

struct BlankCase {
    std::optional<int> blankSeconds; // none: the desktop never blanks
    std::optional<int> sooner;       // the largest whole minute before the blank
    int first;                       // what the field offers while nothing is stored
    const char* fact;
};

TEST(DesktopBlankTimes, OfferATimeBeforeTheDesktopsBlank) {
    const BlankCase cases[] = {
        {300, 4, 4, "GNOME's 5 minutes: 4 comes first, and is the first choice"},
        {600, 9, 9, "Xvfb's 10 minutes: the default would tie, so 9"},
        {601, 10, 10, "just after 10 minutes: the default comes first"},
        {61, 1, 1, "a minute and a second: one minute"},
        {60, std::nullopt, 10, "one minute: no time the field offers comes first"},
        {100000, 1440, 10, "more than a day: the field's longest time"},
        {std::nullopt, std::nullopt, 10, "no blank: the default"},
    };
    for (const BlankCase& c : cases) {
        const auto blank =
            c.blankSeconds ? std::optional<DesktopBlank>({*c.blankSeconds, {}}) : std::nullopt;
        EXPECT_EQ(blank ? SoonerStartAfterMinutes(blank->seconds) : std::nullopt, c.sooner)
            << c.fact;
        EXPECT_EQ(FirstStartAfterMinutes(blank), c.first) << c.fact;
    }
}

QString ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Temporary XDG folders for this process and the watchers it starts.
class StartAfterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_root.isValid());
        m_hadRuntimeDir = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
        m_oldRuntimeDir = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", m_root.filePath(QStringLiteral("runtime")).toLocal8Bit());
        // Mode 0700, as the watcher's lock wants its folder.
        ASSERT_TRUE(QDir(m_root.path()).mkdir(QStringLiteral("runtime")));
        ASSERT_TRUE(QFile::setPermissions(m_root.filePath(QStringLiteral("runtime")),
                                          QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner));
        m_places.autostartEntry = AutostartEntryPathFor(m_root.filePath(QStringLiteral("config")),
                                                        m_root.filePath(QStringLiteral("home")));
    }
    void TearDown() override {
        // No stand-in outlives the case.
        EXPECT_NE(StopWatcher(), WatcherStop::StillRunning);
        if (m_hadRuntimeDir) {
            qputenv("XDG_RUNTIME_DIR", m_oldRuntimeDir);
        } else {
            qunsetenv("XDG_RUNTIME_DIR");
        }
    }

    // The process in the watcher's lock, read without taking the lock; 0 when there is none.
    static qint64 LockHolder() {
        qint64 pid = 0;
        QString host;
        QString application;
        return QLockFile(SessionWatcherLockPlace().path).getLockInfo(&pid, &host, &application)
                   ? pid
                   : 0;
    }
    // Waits (at most 20 s) for a watcher other than `previous` to hold the lock; its pid or 0.
    static qint64 WaitForWatcherOtherThan(qint64 previous) {
        const QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired()) {
            const qint64 pid = LockHolder();
            if (pid != 0 && pid != previous) {
                return pid;
            }
            QThread::msleep(20);
        }
        return 0;
    }

    QTemporaryDir m_root;
    bool m_hadRuntimeDir = false;
    QByteArray m_oldRuntimeDir;
    StartAfterPlaces m_places;
};

struct Step {
    int minutes;
    bool running; // a watcher, a fresh one, runs afterwards
    const char* fact;
};

TEST_F(StartAfterTest, WritesTheEntryAndRestartsTheWatcherOrRemovesAndStopsThem) {
    m_places.watcherProgram = QStringLiteral(CHRONIVO_STAND_IN_WATCHER);
    const Step steps[] = {
        {10, true, "on: the entry is written and a watcher starts"},
        {25, true, "another time: the watcher waiting for the old one is replaced"},
        {0, false, "off: the entry goes and the watcher ends"},
        {0, false, "off again: nothing to remove or to end"},
        {1440, true, "on again"},
    };
    qint64 previous = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.fact);
        EXPECT_EQ(ApplyStartAfter(s.minutes, m_places), QStringList());
        EXPECT_EQ(QFileInfo::exists(m_places.autostartEntry), s.running);
        if (s.running) {
            EXPECT_EQ(ReadText(m_places.autostartEntry), QString::fromUtf8(AutostartEntryText()));
            previous = WaitForWatcherOtherThan(previous);
            EXPECT_NE(previous, 0) << "no fresh watcher took the lock";
        } else {
            // StopWatcher has seen the lock free, and nothing was started after it.
            EXPECT_FALSE(QFileInfo::exists(SessionWatcherLockPlace().path));
        }
    }
}

TEST_F(StartAfterTest, ALockNamingAProcessThatIsNoWatcherIsClearedAndTheProcessLeftAlone) {
    // A lock as another user could once plant it: naming a process of ours that is no watcher.
    QProcess sleeper;
    sleeper.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(sleeper.waitForStarted());
    QFile lock(SessionWatcherLockPlace().path);
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(sleeper.processId()) + "\nsleep\n" +
               QSysInfo::machineHostName().toUtf8() + '\n');
    lock.close();
    m_places.watcherProgram = QStringLiteral(CHRONIVO_STAND_IN_WATCHER);
    EXPECT_EQ(ApplyStartAfter(10, m_places), QStringList());
    EXPECT_NE(WaitForWatcherOtherThan(sleeper.processId()), 0) << "no watcher took the lock";
    EXPECT_FALSE(sleeper.waitForFinished(1000)) << "the process the lock named was signalled";
}

TEST_F(StartAfterTest, AFolderUnfitForTheLockIsReportedInsteadOfAWatcherThatCannotRun) {
    // XDG_RUNTIME_DIR open to others: no watcher may keep its lock there, and OK says so.
    ASSERT_TRUE(QFile::setPermissions(m_root.filePath(QStringLiteral("runtime")),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                          QFileDevice::ExeOther));
    m_places.watcherProgram = QStringLiteral(CHRONIVO_STAND_IN_WATCHER);
    const QStringList problems = ApplyStartAfter(10, m_places);
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(
        problems[0].startsWith(QStringLiteral("The idle watcher cannot run in this session: ")))
        << problems[0].toStdString();
    EXPECT_TRUE(problems[0].contains(SessionWatcherLockPlace().problem));
}

TEST_F(StartAfterTest, TheEntryRunsTheWatcherAndPassesTheValidator) {
    ASSERT_EQ(ApplyStartAfter(10, m_places), QStringList());
    const QString text = ReadText(m_places.autostartEntry);
    for (const char* line : {"[Desktop Entry]\n", "\nType=Application\n",
                             "\nName=Chronivo idle watcher\n", "\nExec=chronivo --daemon\n",
                             "\nNoDisplay=true\n", "\nX-GNOME-Autostart-enabled=true\n"}) {
        EXPECT_TRUE(text.contains(QString::fromLatin1(line))) << line;
    }
    const QString validator = QStringLiteral(CHRONIVO_DESKTOP_FILE_VALIDATE);
    if (!ToolExists(validator)) {
        GTEST_SKIP() << "desktop-file-validate not installed (package desktop-file-utils)";
    }
    const ToolResult r = RunTool(validator, {m_places.autostartEntry});
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(r.out + r.err, QString());
}

TEST_F(StartAfterTest, AnEntryThatCannotBeWrittenIsReportedWithItsPath) {
    // The autostart folder would have to be made inside a regular file.
    QFile blocker(m_root.filePath(QStringLiteral("config")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QStringList problems = ApplyStartAfter(10, m_places);
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems.front().contains(m_places.autostartEntry))
        << problems.front().toStdString();
    EXPECT_TRUE(QFileInfo(blocker.fileName()).isFile());
}

} // namespace
} // namespace chronivo
