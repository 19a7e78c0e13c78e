// Where `cmake --install` puts each file, with which permissions, and that it puts nothing else.
// The build tree is installed into a temporary prefix once per test process.
#include "res/tool_run.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

namespace chronivo {
namespace {

enum class Kind {
    Program,  // a regular file every user may run
    Data,     // a regular file every user may read and nobody runs
    HackLink, // a relative symbolic link that leads to bin/chronivo
};

struct InstalledFile {
    QString path; // below the prefix
    Kind kind;
    const char* fact;
};

std::vector<InstalledFile> ExpectedFiles() {
    const QString man = QStringLiteral(CHRONIVO_MAN_SUFFIX);
    std::vector<InstalledFile> files = {
        {QStringLiteral("bin/chronivo"), Kind::Program, "the program, on PATH"},
        {QStringLiteral("libexec/xscreensaver/chronivo"), Kind::HackLink,
         "XScreenSaver looks for hacks in its libexec directory first"},
        {QStringLiteral("lib/xscreensaver/chronivo"), Kind::HackLink,
         "xsecurelock's saver_xscreensaver looks for hacks in lib/xscreensaver"},
        {QStringLiteral("share/xscreensaver/config/chronivo.xml"), Kind::Data,
         "the description XScreenSaver's settings window shows"},
        {QStringLiteral("share/applications/screensavers/chronivo.desktop"), Kind::Data,
         "MATE's screen saver list"},
        {QStringLiteral("share/applications/chronivo.desktop"), Kind::Data,
         "the menu entry that opens the settings dialog"},
        {QStringLiteral("lib/systemd/user/chronivo-daemon.service"), Kind::Data,
         "the idle watcher as a systemd user service"},
        {QStringLiteral("share/icons/hicolor/scalable/apps/chronivo.svg"), Kind::Data,
         "the icon both entries name"},
        {QStringLiteral("share/man/man1/chronivo") + man, Kind::Data, "the manual page"},
        {QStringLiteral("share/doc/chronivo/copyright"), Kind::Data,
         "the licence, in Debian's machine-readable form"},
    };
    if (CHRONIVO_HAS_RENDER) {
        files.push_back(
            {QStringLiteral("bin/chronivo-render"), Kind::Program, "the frame renderer, on PATH"});
        files.push_back({QStringLiteral("share/man/man1/chronivo-render") + man, Kind::Data,
                         "the frame renderer's manual page"});
    }
    // The package's changelog comes with the compressed pages (both need gzip).
    if (man.endsWith(QLatin1String(".gz"))) {
        files.push_back({QStringLiteral("share/doc/chronivo/changelog.gz"), Kind::Data,
                         "the changelog every Debian package carries"});
    }
    return files;
}

// Installs the build tree with `cmake --install`; prefix is passed to --prefix, destDir (when
// not empty) as DESTDIR. Returns false and records a failure when cmake fails.
bool Install(const QString& prefix, const QString& destDir) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!destDir.isEmpty()) {
        env.insert(QStringLiteral("DESTDIR"), destDir);
    } else {
        env.remove(QStringLiteral("DESTDIR"));
    }
    const ToolResult r = RunTool(QStringLiteral(CHRONIVO_CMAKE_COMMAND),
                                 {QStringLiteral("--install"), QStringLiteral(CHRONIVO_BINARY_DIR),
                                  QStringLiteral("--prefix"), prefix},
                                 env);
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    return r.exitCode == 0;
}

class InstallLayout : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_prefix = std::make_unique<QTemporaryDir>();
        s_installed = s_prefix->isValid() && Install(s_prefix->path(), QString());
    }
    static void TearDownTestSuite() { s_prefix.reset(); }

    void SetUp() override { ASSERT_TRUE(s_installed) << "cmake --install failed"; }

    static QString Path(const QString& relative) {
        return s_prefix->path() + QLatin1Char('/') + relative;
    }

    static std::unique_ptr<QTemporaryDir> s_prefix;
    static bool s_installed;
};

std::unique_ptr<QTemporaryDir> InstallLayout::s_prefix;
bool InstallLayout::s_installed = false;

// Every expected file is there, of its kind: programs runnable by all, data files readable by
// all and not runnable, the hack a relative link that reaches the installed program.
TEST_F(InstallLayout, EachFileInPlace) {
    for (const InstalledFile& f : ExpectedFiles()) {
        SCOPED_TRACE(f.path.toStdString() + ": " + f.fact);
        const QFileInfo info(Path(f.path));
        switch (f.kind) {
        case Kind::Program:
            ASSERT_TRUE(info.isFile() && !info.isSymLink());
            EXPECT_TRUE(info.permissions().testFlag(QFile::ExeOther));
            break;
        case Kind::Data:
            ASSERT_TRUE(info.isFile() && !info.isSymLink());
            EXPECT_TRUE(info.permissions().testFlag(QFile::ReadOther));
            EXPECT_FALSE(info.permissions().testFlag(QFile::ExeUser));
            EXPECT_GT(info.size(), 0);
            break;
        case Kind::HackLink:
            ASSERT_TRUE(info.isSymLink());
            // Relative, so the link stays right inside a package or a DESTDIR staging tree.
            EXPECT_TRUE(std::filesystem::read_symlink(info.filePath().toStdString()).is_relative());
            EXPECT_EQ(info.canonicalFilePath(),
                      QFileInfo(Path(QStringLiteral("bin/chronivo"))).canonicalFilePath());
            break;
        }
    }
}

// The install puts nothing beyond the expected files: no test, benchmark or library files.
TEST_F(InstallLayout, NothingElse) {
    QStringList expected;
    for (const InstalledFile& f : ExpectedFiles()) {
        expected.append(f.path);
    }
    QStringList found;
    QDirIterator it(s_prefix->path(), QDir::Files | QDir::System | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        found.append(QDir(s_prefix->path()).relativeFilePath(it.next()));
    }
    expected.sort();
    found.sort();
    EXPECT_EQ(found.join(QLatin1Char('\n')).toStdString(),
              expected.join(QLatin1Char('\n')).toStdString());
}

// Running the program by either hack name runs the installed program (--version needs no
// display).
TEST_F(InstallLayout, HackNameRunsProgram) {
    for (const InstalledFile& f : ExpectedFiles()) {
        if (f.kind != Kind::HackLink) {
            continue;
        }
        SCOPED_TRACE(f.path.toStdString());
        const ToolResult r = RunTool(Path(f.path), {QStringLiteral("--version")});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_TRUE(r.out.startsWith(QLatin1String("chronivo "))) << r.out.toStdString();
    }
}

const QString kUnit = QStringLiteral("lib/systemd/user/chronivo-daemon.service");

// The watcher's unit at `unitPath` has its groups and keys, and its ExecStart runs the program
// under `prefix`.
void ExpectWatcherUnit(const QString& unitPath, const QString& prefix) {
    QFile file(unitPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << unitPath.toStdString();
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString& line :
         {QStringLiteral("[Unit]"), QStringLiteral("PartOf=graphical-session.target"),
          QStringLiteral("After=graphical-session.target"), QStringLiteral("[Service]"),
          QStringLiteral("ExecStart=") + prefix + QStringLiteral("/bin/chronivo --daemon"),
          QStringLiteral("Restart=on-abnormal"), QStringLiteral("[Install]"),
          QStringLiteral("WantedBy=graphical-session.target")}) {
        EXPECT_TRUE(lines.contains(line)) << line.toStdString();
    }
}

// The unit runs the installed program's watcher with the graphical session, and systemd's own
// checker accepts it in a user manager's view (with a private runtime and config folder).
TEST_F(InstallLayout, WatcherUnitRunsTheInstalledProgram) {
    ExpectWatcherUnit(Path(kUnit), s_prefix->path());
    const QString analyze = QStringLiteral(CHRONIVO_SYSTEMD_ANALYZE);
    if (!ToolExists(analyze)) {
        GTEST_SKIP() << "systemd-analyze not installed (package systemd)";
    }
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    const ToolResult r =
        RunTool(analyze, {QStringLiteral("--user"), QStringLiteral("verify"), Path(kUnit)}, env);
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
}

// With DESTDIR (how packages are staged) every file, the hack link included, lands below
// DESTDIR + prefix, and the link still reaches the program there.
TEST(InstallDestDir, LinkStagedBelowDestDir) {
    QTemporaryDir stage;
    ASSERT_TRUE(stage.isValid());
    const QString prefix = QStringLiteral("/opt/chronivo-install-test");
    ASSERT_TRUE(Install(prefix, stage.path()));
    const QString root = stage.path() + prefix;
    for (const InstalledFile& f : ExpectedFiles()) {
        if (f.kind != Kind::HackLink) {
            continue;
        }
        SCOPED_TRACE(f.path.toStdString());
        const QFileInfo link(root + QLatin1Char('/') + f.path);
        ASSERT_TRUE(link.isSymLink());
        EXPECT_EQ(link.canonicalFilePath(),
                  QFileInfo(root + QStringLiteral("/bin/chronivo")).canonicalFilePath());
    }
    // The unit names the program where the package puts it, not where it was staged.
    ExpectWatcherUnit(root + QLatin1Char('/') + kUnit, prefix);
    EXPECT_FALSE(QFileInfo::exists(prefix)) << "nothing may be written outside DESTDIR";
}

} // namespace
} // namespace chronivo
