#include "settings/profile_store.h"

#include "settings/settings_keys.h"
#include "settings_test_env.h"

#include <QDir>
#include <QLockFile>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace chronivo {
namespace {

using test::Entries;
using test::FileBytes;
using test::PutFile;
// Every case runs in its own temporary XDG_CONFIG_HOME.
class ProfileStoreFailureTest : public test::SettingsTest {};

const QString kSection = QStringLiteral("ScreenSaver");
const QStringList kOnlyTheFile{QStringLiteral("Chronivo.conf")};

struct ChildResult {
    bool exited = false;
    bool stored = false;
    QString lastError;
};

// Runs `write` in a forked child whose files may not grow beyond `limitBytes`. Nothing here
// ignores SIGXFSZ: the store must keep it from killing the child, so that an oversized write
// fails with EFBIG and is reported. A child still busy after ten seconds is killed, so a hang
// fails the case instead of the run. The child reports what `write` returned and the text it
// gave through a pipe.
ChildResult RunInChild(rlim_t limitBytes, const std::function<bool(QString&)>& write) {
    ChildResult result;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return result;
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        alarm(10);
        const rlimit limit{limitBytes, limitBytes};
        QString error;
        const bool stored = setrlimit(RLIMIT_FSIZE, &limit) == 0 && write(error);
        const QByteArray report = QByteArray(stored ? "1" : "0") + error.toUtf8();
        const ssize_t sent = ::write(pipeEnds[1], report.constData(), size_t(report.size()));
        _exit(sent == report.size() ? 0 : 1);
    }
    close(pipeEnds[1]);
    QByteArray report;
    char buffer[256];
    for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, got);
    close(pipeEnds[0]);
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
        WEXITSTATUS(status) == 0 && !report.isEmpty()) {
        result.exited = true;
        result.stored = report.startsWith('1');
        result.lastError = QString::fromUtf8(report.mid(1));
    }
    return result;
}

// What the dialog's OK stores at once: three keys of the file's section.
const ProfileValue kSave[] = {{QStringLiteral("Option"), 4},
                              {QStringLiteral("Speed"), 600},
                              {QStringLiteral("Title"), QStringLiteral("New")}};

// A file of a few kilobytes as our own store writes it.
QByteArray FillProfile(QSettingsStore& store, const QString& path) {
    EXPECT_TRUE(store.WriteProfileInt(kSection, QStringLiteral("Option"), 3));
    EXPECT_TRUE(store.WriteProfileString(kSection, QStringLiteral("Title"), QStringLiteral("Old")));
    EXPECT_TRUE(store.WriteProfileString(QStringLiteral("Other"), QStringLiteral("Pad"),
                                         QString(3000, u'x')));
    return FileBytes(path);
}

TEST_F(ProfileStoreFailureTest, ASaveCutShortAnywhereChangesNothing) {
    // Files may not grow past a limit that cuts the save short at its lock, at the first bytes
    // of its new copy, half-way and one byte before the end: each time the save reports the
    // failure, the file is byte for byte as before, and no copy or lock is left.
    const QByteArray before = FillProfile(*m_store, IniPath());
    ASSERT_GT(before.size(), 3000);
    for (const rlim_t limit : {rlim_t(0), rlim_t(1), rlim_t(1500), rlim_t(before.size() + 5)}) {
        const ChildResult child = RunInChild(limit, [&](QString& error) {
            const bool ok = WriteValues(*m_store, kSave);
            error = m_store->LastError();
            return ok;
        });
        ASSERT_TRUE(child.exited) << "killed at limit " << limit;
        EXPECT_FALSE(child.stored) << limit;
        EXPECT_TRUE(child.lastError.contains(IniPath()) &&
                    child.lastError.endsWith(QStringLiteral("Nothing was changed.")))
            << child.lastError.toStdString();
        EXPECT_EQ(FileBytes(IniPath()), before) << limit;
        EXPECT_EQ(Entries(IniDir()), kOnlyTheFile) << limit;
    }
}

TEST_F(ProfileStoreFailureTest, ASaveOnAFullFileSystemChangesNothing) {
    // A real 20 kB file system, filled up: the save fails whole; with room again it succeeds.
    // Mounting one needs a mount namespace of the child's own, which only root may make.
    const ChildResult child = RunInChild(RLIM_INFINITY, [&](QString& error) {
        const QByteArray tiny = QFile::encodeName(Root() + QStringLiteral("/tiny"));
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mkdir(tiny.constData(), 0700) != 0 ||
            mount("tmpfs", tiny.constData(), "tmpfs", 0, "size=20k") != 0) {
            error = QStringLiteral("skip");
            return false;
        }
        const QString path = QFile::decodeName(tiny) + QStringLiteral("/Chronivo.conf");
        QSettingsStore store(path);
        if (!store.WriteProfileString(kSection, QStringLiteral("Title"), QString(2000, u'o')))
            return false;
        const QByteArray before = FileBytes(path);
        QFile filler(QFile::decodeName(tiny) + QStringLiteral("/filler"));
        filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        while (filler.write(QByteArray(512, 'f')) == 512) {
        }
        const bool failed = !WriteValues(store, kSave);
        const bool whole = FileBytes(path) == before &&
                           Entries(QFile::decodeName(tiny)).size() == 2 &&
                           store.LastError().endsWith(QStringLiteral("Nothing was changed."));
        filler.close();
        QFile::remove(filler.fileName());
        error = store.LastError();
        return failed && whole && WriteValues(store, kSave) &&
               store.GetProfileString(kSection, QStringLiteral("Title")) == QStringLiteral("New");
    });
    if (child.lastError == QStringLiteral("skip"))
        GTEST_SKIP() << "no mount namespace of our own (not root): no tiny file system";
    ASSERT_TRUE(child.exited);
    EXPECT_TRUE(child.stored) << child.lastError.toStdString();
}

TEST_F(ProfileStoreFailureTest, WriteThatFitsTheLimitSucceeds) {
    // The same child with room to spare stores the value: the failures above come from the limit.
    const QByteArray before = FillProfile(*m_store, IniPath());
    const ChildResult child = RunInChild(rlim_t(before.size() + 4096),
                                         [&](QString&) { return WriteValues(*m_store, kSave); });
    ASSERT_TRUE(child.exited);
    EXPECT_TRUE(child.stored) << child.lastError.toStdString();
    EXPECT_EQ(m_store->GetProfileInt(kSection, QStringLiteral("Speed"), 1000), 600);
}

TEST_F(ProfileStoreFailureTest, SettingsPathBelowARegularFileFails) {
    // XDG_CONFIG_HOME points below a regular file, so the settings folder cannot exist: writes
    // fail with a sentence naming the file and the obstacle, reads give their defaults, and the
    // regular file is untouched.
    const QString blocker = Root() + QStringLiteral("/blocker");
    PutFile(blocker, "just a file\n");
    SetConfigHome(blocker + QStringLiteral("/config"));
    auto store = std::make_unique<QSettingsStore>(QSettingsStore::DefaultIniPath());
    EXPECT_FALSE(store->WriteProfileInt(kSection, QStringLiteral("Option"), 1));
    const QString error = store->LastError();
    EXPECT_TRUE(error.contains(store->Location())) << error.toStdString();
    EXPECT_TRUE(error.contains(blocker + QStringLiteral(" is a file, not a folder")))
        << error.toStdString();
    EXPECT_EQ(store->GetProfileInt(kSection, QStringLiteral("Speed"), 600), 600);
    EXPECT_EQ(store->GetProfileString(kSection, QStringLiteral("Title"), QStringLiteral("d")),
              QStringLiteral("d"));
    EXPECT_EQ(FileBytes(blocker), QByteArray("just a file\n"));
    EXPECT_EQ(Entries(Root()), QStringList{QStringLiteral("blocker")});
}

TEST_F(ProfileStoreFailureTest, SettingsPathThatIsAFolderFails) {
    // A folder where the file should be: the write fails and says so; the folder stays empty.
    ASSERT_TRUE(QDir().mkpath(IniPath()));
    EXPECT_FALSE(m_store->WriteProfileInt(kSection, QStringLiteral("Option"), 1));
    EXPECT_TRUE(m_store->LastError().contains(QStringLiteral("is a folder")))
        << m_store->LastError().toStdString();
    EXPECT_TRUE(Entries(IniPath()).isEmpty());
    EXPECT_EQ(m_store->GetProfileInt(kSection, QStringLiteral("Option"), 5), 5);
}

TEST_F(ProfileStoreFailureTest, SomethingOtherThanAFileIsNeverOpened) {
    // A named pipe would hold its reader for ever and a device would be read without end: reads
    // give the defaults and say why, a save refuses, each naming the file. In a child that is
    // killed should it hang.
    const QByteArray path = QFile::encodeName(IniPath());
    const std::pair<const char*, std::function<bool()>> cases[] = {
        {"a named pipe", [&] { return mkfifo(path.constData(), 0600) == 0; }},
        {"a device", [&] { return QFile::link(QStringLiteral("/dev/zero"), IniPath()); }},
        {"a folder", [&] { return QDir().mkpath(IniPath()); }},
    };
    for (const auto& [kind, make] : cases) {
        ASSERT_TRUE(QDir().mkpath(IniDir()));
        ASSERT_TRUE(make()) << kind;
        const ChildResult child = RunInChild(RLIM_INFINITY, [&](QString& said) {
            QSettingsStore store(IniPath());
            const bool defaults = store.GetProfileInt(kSection, QStringLiteral("Speed"), 6) == 6;
            said = store.ReadProblem() + QLatin1Char('|');
            const bool refused = !WriteValues(store, kSave);
            said += store.LastError();
            return defaults && refused;
        });
        ASSERT_TRUE(child.exited) << kind << " hung or crashed the child";
        EXPECT_TRUE(child.stored) << kind;
        const QStringList said = child.lastError.split(QLatin1Char('|'));
        for (const QString& sentence : said) {
            EXPECT_TRUE(sentence.contains(IniPath()) && sentence.contains(QLatin1String(kind)))
                << sentence.toStdString();
        }
        EXPECT_EQ(Entries(IniDir()), kOnlyTheFile) << kind;
        QFile::remove(IniPath());
        QDir().rmdir(IniPath());
    }
}

TEST_F(ProfileStoreFailureTest, ASaveKeepsOwnerAndModeAndRefusesAReadOnlyFile) {
    struct OwnerCase {
        uid_t uid; // 0: the test's own user
        mode_t mode;
        bool saved;
    };
    const OwnerCase cases[] = {
        {0, 0640, true},     // a private file stays private
        {65534, 0604, true}, // root saving another user's file gives it back to that user
        {0, 0444, false},    // read-only: left alone, even by root
    };
    for (const OwnerCase& c : cases) {
        if (c.uid != 0 && geteuid() != 0)
            continue; // only root can save as someone other than the file's owner
        ASSERT_TRUE(m_store->WriteProfileInt(kSection, QStringLiteral("Option"), 1));
        const QByteArray path = QFile::encodeName(IniPath());
        const uid_t owner = c.uid != 0 ? c.uid : geteuid();
        ASSERT_EQ(chown(path.constData(), owner, c.uid != 0 ? c.uid : getegid()), 0);
        ASSERT_EQ(chmod(path.constData(), c.mode), 0);
        const QByteArray before = FileBytes(IniPath());
        EXPECT_EQ(WriteValues(*m_store, kSave), c.saved) << m_store->LastError().toStdString();
        struct stat st = {};
        ASSERT_EQ(stat(path.constData(), &st), 0);
        EXPECT_EQ(st.st_uid, owner);
        EXPECT_EQ(st.st_mode & 07777, c.mode);
        if (!c.saved) {
            EXPECT_TRUE(m_store->LastError().contains(QStringLiteral("read-only")));
            EXPECT_EQ(FileBytes(IniPath()), before);
        }
        chmod(path.constData(), 0600);
        QFile::remove(IniPath());
    }
}

TEST_F(ProfileStoreFailureTest, NothingIsLeftBehindByASaveEndedBySigterm) {
    // A child saves a large file over and over until SIGTERM ends it in the middle of a save:
    // the file is one whole version or the other, and no copy or lock is left. A save killed
    // all the same (SIGKILL) leaves its copy and lock, which the next save clears away.
    const QString big(1 << 20, u'b');
    ASSERT_TRUE(m_store->WriteProfileString(kSection, QStringLiteral("Title"), big));
    for (const int signal : {SIGTERM, SIGKILL}) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        if (child == 0) {
            QSettingsStore store(IniPath());
            for (int i = 0;; ++i) {
                store.WriteProfileString(kSection, QStringLiteral("Title"),
                                         i % 2 == 0 ? big.toLower() : big);
                if (i == 1)
                    (void)::write(ready[1], "r", 1);
            }
        }
        char byte = 0;
        ASSERT_EQ(read(ready[0], &byte, 1), 1);
        usleep(20000);
        kill(child, signal);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        close(ready[0]);
        close(ready[1]);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal);
        if (signal == SIGKILL) {
            EXPECT_TRUE(WriteValues(*m_store, kSave)) << m_store->LastError().toStdString();
        }
        EXPECT_EQ(Entries(IniDir()), kOnlyTheFile) << "after signal " << signal;
        EXPECT_EQ(m_store->GetProfileString(kSection, QStringLiteral("Title")).size(),
                  signal == SIGKILL ? 3 : big.size());
    }
}

TEST_F(ProfileStoreFailureTest, WriteWhileAnotherProgramSavesFailsAndRecovers) {
    // While another writer holds the lock the write gives up after a short wait and leaves the
    // file alone; once the lock is free the next write succeeds and clears LastError.
    ASSERT_TRUE(m_store->WriteProfileInt(kSection, QStringLiteral("Option"), 1));
    const QByteArray before = FileBytes(IniPath());
    {
        QLockFile other(IniPath() + QStringLiteral(".lock"));
        ASSERT_TRUE(other.lock());
        EXPECT_FALSE(m_store->WriteProfileInt(kSection, QStringLiteral("Option"), 2));
        EXPECT_TRUE(m_store->LastError().contains(QStringLiteral("another program")))
            << m_store->LastError().toStdString();
        EXPECT_EQ(FileBytes(IniPath()), before);
    }
    EXPECT_TRUE(m_store->WriteProfileInt(kSection, QStringLiteral("Option"), 2));
    EXPECT_TRUE(m_store->LastError().isEmpty());
    EXPECT_EQ(m_store->GetProfileInt(kSection, QStringLiteral("Option"), 0), 2);
    EXPECT_EQ(Entries(IniDir()), kOnlyTheFile);
}

TEST_F(ProfileStoreFailureTest, ReadOnlyFolderKeepsTheFile) {
    // In a folder where no file may be made, QSettings alone would empty the file; the store
    // reports the failure and keeps it. Root may write anywhere, so there the case says nothing.
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root: a read-only folder does not stop root; the size-limit "
                        "cases above make the failure real instead";
    ASSERT_TRUE(m_store->WriteProfileInt(kSection, QStringLiteral("Option"), 1));
    const QByteArray before = FileBytes(IniPath());
    ASSERT_EQ(chmod(QFile::encodeName(IniDir()).constData(), 0555), 0);
    const bool stored = m_store->WriteProfileInt(kSection, QStringLiteral("Option"), 2);
    const QString error = m_store->LastError();
    chmod(QFile::encodeName(IniDir()).constData(), 0755);
    EXPECT_FALSE(stored);
    EXPECT_TRUE(error.contains(IniPath())) << error.toStdString();
    EXPECT_EQ(FileBytes(IniPath()), before);
}

} // namespace
} // namespace chronivo
