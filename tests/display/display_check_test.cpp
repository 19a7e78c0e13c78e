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
    PlatformInputs inputs;
    std::vector<std::string> candidates;
};

TEST(QtPlatformCandidatesTest, FollowsQtsOwnOrder) {
    const auto set = [](const char* value) { return std::optional<std::string>(value); };
    ChoiceCase cases[] = {
        {"nothing set: xcb", {}, {"xcb"}},
        {"WAYLAND_DISPLAY, even empty, goes first", {}, {"wayland", "xcb"}},
        {"a Wayland session goes first", {}, {"wayland", "xcb"}},
        {"an empty QT_QPA_PLATFORM is no choice", {}, {"xcb"}},
        {"QT_QPA_PLATFORM's list, options dropped", {}, {"wayland-egl", "offscreen"}},
        {"-platform wins over QT_QPA_PLATFORM", {}, {"xcb"}},
    };
    cases[1].inputs.waylandDisplay = set("");
    cases[2].inputs.sessionType = set("wayland");
    cases[3].inputs.qpaPlatform = set("");
    cases[4].inputs.qpaPlatform = set("wayland-egl:opt;offscreen");
    cases[5].inputs.qpaPlatform = set("offscreen");
    cases[5].inputs.platformArgument = set("xcb");
    for (const ChoiceCase& c : cases) {
        EXPECT_EQ(QtPlatformCandidates(c.inputs), c.candidates) << c.fact;
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
        {{"/s"}, {}, 1, "the xcb platform has no X display to connect to"},
        {{"/c"},
         {},
         1,
         "(platform xcb as chosen by Qt's default; QT_QPA_PLATFORM unset, DISPLAY "
         "unset, WAYLAND_DISPLAY unset, XDG_SESSION_TYPE unset)"},
        {{}, {}, 1, "no display to draw on"},
        {{"/s"}, {"DISPLAY=" + dead}, 1, "cannot connect to the X display"},
        {{"/s"}, {"QT_QPA_PLATFORM=xcb", "DISPLAY=" + dead}, 1, "chosen by QT_QPA_PLATFORM"},
        {{"-platform", "xcb", "-display", dead}, {}, 1, "-display \":"},
        {{"/s"},
         {"WAYLAND_DISPLAY=gone"},
         1,
         "connect to the Wayland display \"/tmp/runtime/gone\", and the xcb platform"},
        {{"/s"}, {"QT_QPA_PLATFORM=wayland", "XDG_RUNTIME_DIR="}, 1, "platform wayland as"},
        // Hack mode checks its X display itself.
        {{"--root"}, {}, 1, "DISPLAY is not set"},
        // What needs no display keeps working.
        {{"--help"}, {}, 0, "Usage: chronivo"},
        {{"--version"}, {}, 0, "chronivo " CHRONIVO_VERSION},
        {{"/s"}, {"QT_QPA_PLATFORM="}, 1, "as chosen by Qt's default; QT_QPA_PLATFORM \"\","},
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
        const std::string what = (c.args + c.env).join(' ').toStdString();
        ASSERT_TRUE(process.waitForFinished(30000)) << what;
        const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(process.readAllStandardError());
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << what;
        EXPECT_EQ(process.exitCode(), c.exitCode) << what << ": " << err.toStdString();
        if (c.exitCode == 1) {
            EXPECT_TRUE(out.isEmpty()) << what;
            EXPECT_EQ(err.count('\n'), 1) << what << ": " << err.toStdString();
            EXPECT_TRUE(err.startsWith("chronivo: ") && err.contains(c.within))
                << what << ": " << err.toStdString();
        } else {
            EXPECT_TRUE(out.contains(c.within)) << what << ": " << out.toStdString();
        }
    }
}

} // namespace
} // namespace chronivo
