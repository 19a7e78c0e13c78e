#include "settings/profile_store.h"

#include "settings_test_env.h"

#include <QLockFile>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Runs `write` in a forked child whose files may not grow beyond `limitBytes`, with SIGXFSZ
// ignored so that an oversized write fails with EFBIG instead of killing the child. This is a
// write failing half-way for real, even for root. The child reports what the write returned and
// its LastError through a pipe.
ChildResult RunWithFileSizeLimit(rlim_t limitBytes, const std::function<bool(QString&)>& write) {
    ChildResult result;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return result;
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        signal(SIGXFSZ, SIG_IGN);
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

// A file of a few kilobytes as our own store writes it.
QByteArray FillProfile(QSettingsStore& store, const QString& path) {
    EXPECT_TRUE(store.WriteProfileInt(kSection, QStringLiteral("Option"), 3));
    EXPECT_TRUE(store.WriteProfileString(kSection, QStringLiteral("Title"), QStringLiteral("Old")));
    EXPECT_TRUE(store.WriteProfileString(QStringLiteral("Other"), QStringLiteral("Pad"),
                                         QString(3000, u'x')));
    return FileBytes(path);
}

TEST_F(ProfileStoreFailureTest, WriteCutShortWhileCopyingLeavesTheFileIntact) {
    // Files may not grow past 512 bytes: the copy of a 3 kB file fails early. The write reports
    // the failure, the file is byte-for-byte as before and no scratch or lock file is left.
    const QByteArray before = FillProfile(*m_store, IniPath());
    ASSERT_GT(before.size(), 3000);
    const ChildResult child = RunWithFileSizeLimit(512, [&](QString& error) {
        const bool ok = m_store->WriteProfileString(kSection, QStringLiteral("Title"), "New");
        error = m_store->LastError();
        return ok;
    });
    ASSERT_TRUE(child.exited);
    EXPECT_FALSE(child.stored);
    EXPECT_TRUE(child.lastError.contains(IniPath())) << child.lastError.toStdString();
    EXPECT_TRUE(child.lastError.contains(QStringLiteral("could not be written in full")))
        << child.lastError.toStdString();
    EXPECT_EQ(FileBytes(IniPath()), before);
    EXPECT_EQ(Entries(IniDir()), kOnlyTheFile);
    EXPECT_EQ(m_store->GetProfileString(kSection, QStringLiteral("Title")), QStringLiteral("Old"));
}

TEST_F(ProfileStoreFailureTest, WriteCutShortWhileRewritingLeavesTheFileIntact) {
    // Files may grow to exactly the old size: the copy succeeds and QSettings' rewrite, one line
    // longer, is cut short. QSettings reports success for that; the store must not, and the file
    // must be byte-for-byte as before.
    const QByteArray before = FillProfile(*m_store, IniPath());
    const ChildResult child = RunWithFileSizeLimit(rlim_t(before.size()), [&](QString& error) {
        const bool ok = m_store->WriteProfileInt(kSection, QStringLiteral("Speed"), 600);
        error = m_store->LastError();
        return ok;
    });
    ASSERT_TRUE(child.exited);
    EXPECT_FALSE(child.stored);
    EXPECT_TRUE(child.lastError.contains(IniPath())) << child.lastError.toStdString();
    EXPECT_EQ(FileBytes(IniPath()), before);
    EXPECT_EQ(Entries(IniDir()), kOnlyTheFile);
    EXPECT_EQ(m_store->GetProfileInt(kSection, QStringLiteral("Speed"), 1000), 1000);
}

TEST_F(ProfileStoreFailureTest, WriteThatFitsTheLimitSucceeds) {
    // The same child with room to spare stores the value: the failures above come from the limit.
    const QByteArray before = FillProfile(*m_store, IniPath());
    const ChildResult child = RunWithFileSizeLimit(rlim_t(before.size() + 4096), [&](QString&) {
        return m_store->WriteProfileInt(kSection, QStringLiteral("Speed"), 600);
    });
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
    auto store = QSettingsStore::ForCurrentUser();
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
