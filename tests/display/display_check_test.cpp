// The platform Qt would choose, and chronivo run without a display it can reach: one line on
// standard error and exit code 1, never Qt's abort.
#include "display/display_check.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace chronivo {
namespace {

struct ChoiceCase {
    const char* fact;
    // The inputs the order depends on; {} for unset.
    std::optional<std::string> qpaPlatform, platformArgument, waylandDisplay, sessionType;
    std::vector<std::string> candidates;
};

TEST(QtPlatformCandidatesTest, FollowsQtsOwnOrder) {
    const ChoiceCase cases[] = {
        {"an empty QT_QPA_PLATFORM is no choice: xcb", "", {}, {}, {}, {"xcb"}},
        {"WAYLAND_DISPLAY, even empty, goes first", {}, {}, "", {}, {"wayland", "xcb"}},
        {"a Wayland session goes first", {}, {}, {}, "wayland", {"wayland", "xcb"}},
        {"a list, options dropped", "eglfs:x;offscreen", {}, {}, {}, {"eglfs", "offscreen"}},
        {"-platform wins over QT_QPA_PLATFORM", "offscreen", "xcb", {}, {}, {"xcb"}},
    };
    for (const ChoiceCase& c : cases) {
        PlatformInputs inputs;
        inputs.qpaPlatform = c.qpaPlatform;
        inputs.platformArgument = c.platformArgument;
        inputs.waylandDisplay = c.waylandDisplay;
        inputs.sessionType = c.sessionType;
        EXPECT_EQ(QtPlatformCandidates(inputs), c.candidates) << c.fact;
    }
}

// A display number no X server listens on here.
QString DeadDisplay() {
    for (int n = 5000;; ++n) {
        if (!QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))) {
            return QStringLiteral(":%1").arg(n);
        }
    }
}

struct RunCase {
    QStringList args;
    QStringList env;    // NAME=value, on top of a clean environment
    int exitCode;       // 1: one line on standard error, nothing on standard output
    const char* within; // what that line, or standard output, must contain
};

TEST(NoDisplayTest, OneLineAndExitCodeOne) {
    const QString dead = DeadDisplay();
    const RunCase cases[] = {
        // The saver and the dialog (/c, no arguments) pass the same check before Qt starts; an
        // empty QT_QPA_PLATFORM leaves the choice to Qt.
        {{"/s"},
         {"QT_QPA_PLATFORM="},
         1,
         "no display to draw on: the xcb platform has no X display to connect to (platform xcb as "
         "chosen by Qt's default; QT_QPA_PLATFORM \"\", DISPLAY unset, WAYLAND_DISPLAY unset, "
         "XDG_SESSION_TYPE unset)"},
        // A dead display named on the command line (chronivo_render_test tries DISPLAY's).
        {{"-platform", "xcb", "-display", dead}, {}, 1, "-display \":"},
        {{"/s"},
         {"WAYLAND_DISPLAY=gone"},
         1,
         "connect to the Wayland display \"/tmp/runtime/gone\", and the xcb platform"},
        {{"/s"}, {"QT_QPA_PLATFORM=wayland", "XDG_RUNTIME_DIR="}, 1, "platform wayland as"},
        // Hack mode checks its X display itself.
        {{"--root"}, {}, 1, "DISPLAY is not set"},
        // What needs no display keeps working (--version is answered in the same place).
        {{"--help"}, {}, 0, "Usage: chronivo"},
    };
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    for (const RunCase& c : cases) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET",
                                 "XDG_SESSION_TYPE", "XSCREENSAVER_WINDOW"}) {
            env.remove(QString::fromLatin1(name));
        }
        env.insert("XDG_CONFIG_HOME", home.path());
        env.insert("XDG_RUNTIME_DIR", "/tmp/runtime");
        env.insert("TZ", "UTC");
        for (const QString& pair : c.env) {
            env.insert(pair.section('=', 0, 0), pair.section('=', 1));
        }
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(CHRONIVO_BINARY), c.args);
        SCOPED_TRACE((c.args + c.env).join(' ').toStdString());
        ASSERT_TRUE(process.waitForFinished(30000));
        const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(process.readAllStandardError());
        SCOPED_TRACE(("standard output: " + out + "standard error: " + err).toStdString());
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), c.exitCode);
        EXPECT_TRUE(c.exitCode == 0 ? out.contains(c.within)
                                    : out.isEmpty() && err.count('\n') == 1 &&
                                          err.startsWith("chronivo: ") && err.contains(c.within));
    }
}

} // namespace
} // namespace chronivo
