// chronivo-render run as a program: its exit codes and error line, and what its JSON records and
// PNG pictures show. Every run gets its own settings directory and zone, and no display.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <sys/stat.h>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

struct RunResult {
    int exitCode = -1;
    QString out;
    QByteArray outBytes; // as they came, for a picture on standard output
    QString err;
};

class ChronivoRenderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    // Writes a settings file with the [ScreenSaver] lines given and returns its path.
    QString Settings(const QString& lines, const QString& name = QStringLiteral("s.ini")) {
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(("[ScreenSaver]\n" + lines).toUtf8());
        return file.fileName();
    }

    // Runs chronivo-render with `args` in the zone `tz`, without a display or a chosen platform,
    // with the user's settings in this test's own directory; `setup` may change the process
    // before it starts.
    RunResult Render(const QStringList& args, const QString& tz = QStringLiteral("UTC"),
                     const std::function<void(QProcess&)>& setup = {}, int waitMs = 60000) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name :
             {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET"}) {
            env.remove(QString::fromLatin1(name));
        }
        env.insert("TZ", tz);
        env.insert("XDG_CONFIG_HOME", Path("config"));
        env.insert("XDG_RUNTIME_DIR", m_dir.path());
        QProcess process;
        process.setProcessEnvironment(env);
        if (setup) {
            setup(process);
        }
        process.start(QStringLiteral(CHRONIVO_RENDER), args);
        RunResult run;
        if (process.waitForFinished(waitMs) && process.exitStatus() == QProcess::NormalExit) {
            run.exitCode = process.exitCode();
        }
        run.outBytes = process.readAllStandardOutput();
        run.out = QString::fromUtf8(run.outBytes);
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    // The names of the files in this test's directory, hidden ones included.
    std::string Files() const {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).join(' ').toStdString();
    }

    // The JSON lines of a run, one object per frame.
    static std::vector<QJsonObject> Frames(const RunResult& run) {
        std::vector<QJsonObject> frames;
        for (const QString& line : run.out.split('\n', Qt::SkipEmptyParts)) {
            QJsonParseError error{};
            const QJsonDocument doc = QJsonDocument::fromJson(line.toUtf8(), &error);
            EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
            frames.push_back(doc.object());
        }
        return frames;
    }

    static QJsonArray Rect(int left, int top, int right, int bottom) {
        return QJsonArray{left, top, right, bottom};
    }

    QTemporaryDir m_dir;
};

// A mode-3 countdown to 2026-01-16 13:00:00 local time, titled "Launch".
const QString kLaunch = QStringLiteral(
    "Option=3\nTitle=Launch\nYear=2026\nMonth=1\nDay=16\nHour=13\nMinute=0\nSecond=0\n");

struct BadArgs {
    QStringList args;
    const char* named; // what the error line must name
};

TEST_F(ChronivoRenderTest, BadArgumentsExitTwoAndWriteNothing) {
    // Each bad argument: exit code 2, one line on standard error naming the problem, nothing on
    // standard output and no PNG, even with --json and --png given.
    QTemporaryDir folder;
    const QString fifo = Path("settings-pipe");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(Path("loop-b"), Path("loop-a")) &&
                QFile::link(Path("loop-a"), Path("loop-b")));
    const BadArgs cases[] = {
        {{"--frobnicate"}, "--frobnicate"},                         // unknown option
        {{"--at", "2026-01-16 12:00"}, "2026-01-16 12:00"},         // malformed time
        {{"--at", "2026-02-30T00:00:00Z"}, "2026-02-30T00:00:00Z"}, // no such day
        {{"--size", "1024by768"}, "1024by768"},                     // malformed size
        {{"--size", "0x768"}, "0x768"},                             // size of zero
        {{"--size", "20000x768"}, "too large"},
        {{"--settings", Path("missing.ini")}, "does not exist"}, // unreadable settings file
        {{"--settings", folder.path()}, "is a folder, not a regular file"},
        {{"--settings", fifo}, "is a named pipe, not a regular file"}, // never waits for a writer
        {{"--settings", "/dev/null"}, "is a character device, not a regular file"},
        {{"--settings", Path("loop-a")}, "is a loop of symbolic links, not a regular file"},
        {{"--dpi", "many"}, "--dpi"}, // bad numbers
        {{"--frames", "0"}, "--frames"},
        {{"--step-ms", "-1"}, "--step-ms"},
        {{"--size"}, "--size needs a value"}, // missing value
        {{"stray"}, "stray"},                 // not an option
        {{"--json"}, "twice"},                // an option given twice
        {{"--help"}, "--help takes no other options"},
        {{"--version"}, "--version takes no other options"},
        {{"-platform", "xcb"}, "-platform"}, // Qt's own options are not taken
    };
    const QString png = Path("out.png");
    for (const BadArgs& c : cases) {
        const RunResult run = Render(QStringList{"--json", "--png", png} + c.args);
        const std::string what = c.args.join(' ').toStdString();
        EXPECT_EQ(run.exitCode, 2) << what;
        EXPECT_TRUE(run.out.isEmpty()) << what;
        EXPECT_FALSE(QFile::exists(png)) << what;
        EXPECT_EQ(run.err.count('\n'), 1) << what << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.startsWith("chronivo-render: ")) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.named))) << run.err.toStdString();
    }
}

TEST_F(ChronivoRenderTest, HelpAndVersionAloneAnswerOnStandardOutput) {
    // Like chronivo's own: the usage, or the version and nothing more, on standard output,
    // nothing on standard error, exit code 0, with no display and no settings.
    for (const QString& option : {QStringLiteral("--help"), QStringLiteral("--version")}) {
        const RunResult run = Render({option});
        EXPECT_EQ(run.exitCode, 0) << option.toStdString();
        EXPECT_TRUE(
            run.err.isEmpty() &&
            (option == "--help"
                 ? run.out.startsWith("Usage: chronivo-render [--settings FILE] [--at TIME]")
                 : run.out == "chronivo-render " CHRONIVO_VERSION "\n"))
            << run.err.toStdString() << run.out.toStdString();
    }
}

TEST_F(ChronivoRenderTest, ClockFrameAt1024x768) {
    // With a countdown band: the countdown first, then banner, weekday, date and time in their
    // rows (exclusive at right and bottom); magenta at 12:00:00, the clock lines green, the
    // countdown yellow (blue and green inverted) while counting down.
    const RunResult run = Render({"--settings", Settings(kLaunch), "--at", "2026-01-16T12:00:00Z",
                                  "--size", "1024x768", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const auto frames = Frames(run);
    ASSERT_EQ(frames.size(), 1u);
    const QJsonObject& f = frames[0];
    EXPECT_EQ(f["at"], "2026-01-16T12:00:00.000Z");
    EXPECT_EQ(f["kind"], "clock");
    EXPECT_EQ(f["timeBase"], 0);
    EXPECT_EQ(f["background"], "#FF00FF");
    EXPECT_EQ(f["fullScreenCountdown"], false);
    EXPECT_DOUBLE_EQ(f["countdownDays"].toDouble(), -1.0 / 24.0);
    struct Line {
        const char* role;
        QJsonArray rect;
        bool centre;
        const char* color;
    };
    const Line lines[] = {
        {"countdown", Rect(0, 704, 1024, 768), true, "#FFFF00"},
        {"banner", Rect(0, 0, 1024, 10), false, "#00FF00"},
        {"weekday", Rect(0, 10, 1024, 163), true, "#00FF00"},
        {"date", Rect(0, 266, 1024, 419), true, "#00FF00"},
        {"time", Rect(0, 522, 1024, 675), true, "#00FF00"},
    };
    const QJsonArray texts = f["texts"].toArray();
    ASSERT_EQ(static_cast<std::size_t>(texts.size()), std::size(lines));
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const QJsonObject t = texts[i].toObject();
        const Line& want = lines[i];
        EXPECT_EQ(t["role"], want.role);
        EXPECT_EQ(t["rect"].toArray(), want.rect) << want.role;
        EXPECT_EQ(t["centre"], want.centre) << want.role;
        EXPECT_EQ(t["color"], want.color) << want.role;
        EXPECT_GT(t["pixelSize"].toInt(), 0) << want.role;
    }
    EXPECT_EQ(texts[0].toObject()["text"], " Launch: 1:00:00.0 ");
    EXPECT_TRUE(texts[1].toObject()["text"].toString().startsWith(QStringLiteral("© ")));
    EXPECT_EQ(texts[2].toObject()["text"], "Friday");
    EXPECT_EQ(texts[3].toObject()["text"], "January 16, 2026");
    EXPECT_EQ(texts[4].toObject()["text"], "12:00 PM");
}

TEST_F(ChronivoRenderTest, LocalTimeInTheZoneOfTz) {
    // Without Z the time is local in TZ: 17:30 in Kolkata is 12:00 UTC, and the clock reads
    // 05:30 PM; minute 30 gives time base 18000.
    const RunResult run = Render({"--at", "2026-01-16T17:30:00", "--json"}, "Asia/Kolkata");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const auto frames = Frames(run);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0]["at"], "2026-01-16T12:00:00.000Z");
    EXPECT_EQ(frames[0]["timeBase"], 18000);
    EXPECT_EQ(frames[0]["texts"].toArray()[3].toObject()["text"], "05:30 PM");
}

TEST_F(ChronivoRenderTest, UserSettingsByDefault) {
    // Without --settings the user's own settings file is read: 24-hour clock with seconds.
    QDir().mkpath(Path("config/Velstrand/Utilities"));
    Settings("24Hour=1\nShowSec=1\n", "config/Velstrand/Utilities/Chronivo.conf");
    const RunResult run = Render({"--at", "2026-01-16T12:34:56.789Z", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const auto frames = Frames(run);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0]["at"], "2026-01-16T12:34:56.789Z");
    EXPECT_EQ(frames[0]["texts"].toArray()[3].toObject()["text"], "12:34:56");
}

TEST_F(ChronivoRenderTest, WeekdaySlotKeepsTheFridayFont) {
    // The weekday slot is fitted to "Friday" on the first frame; five days later "Wednesday" is
    // drawn at that size, although on this narrow screen a window that starts on a Wednesday
    // fits a smaller font.
    const QStringList common{"--size", "600x800", "--json"};
    const RunResult carried =
        Render(common + QStringList{"--at", "2026-01-16T12:00:00Z", "--frames", "2", "--step-ms",
                                    QString::number(5LL * 86400 * 1000)});
    const RunResult fresh = Render(common + QStringList{"--at", "2026-01-21T12:00:00Z"});
    ASSERT_EQ(carried.exitCode, 0) << carried.err.toStdString();
    ASSERT_EQ(fresh.exitCode, 0) << fresh.err.toStdString();
    const auto frames = Frames(carried);
    ASSERT_EQ(frames.size(), 2u);
    const QJsonObject friday = frames[0]["texts"].toArray()[1].toObject();
    const QJsonObject wednesday = frames[1]["texts"].toArray()[1].toObject();
    const QJsonObject fitted = Frames(fresh)[0]["texts"].toArray()[1].toObject();
    EXPECT_EQ(friday["text"], "Friday");
    EXPECT_EQ(wednesday["text"], "Wednesday");
    EXPECT_EQ(wednesday["pixelSize"], friday["pixelSize"]);
    EXPECT_LT(fitted["pixelSize"].toInt(), friday["pixelSize"].toInt());
}

struct Switching {
    const char* at;
    std::vector<bool> fullScreen; // the state each frame was drawn in
};

TEST_F(ChronivoRenderTest, FullScreenCountdownSwitchesOnTheNextFrame) {
    // Frames one second apart around one hour from the target 13:00:00. Banded goes full-screen
    // on the frame after one below the hour (3599 s); full-screen goes back after one above it
    // (3601 s); exactly one hour (3600 s) changes nothing.
    const Switching cases[] = {
        // 3602, 3601, 3600, 3599 s before; then the first full-screen frame.
        {"2026-01-16T11:59:58Z", {false, false, false, false, true}},
        // 3598 s after sets it; 3599, 3600 keep it; 3601 clears it for the fifth frame.
        {"2026-01-16T13:59:58Z", {false, true, true, true, false}},
    };
    for (const Switching& c : cases) {
        const RunResult run = Render({"--settings", Settings(kLaunch), "--at", c.at, "--size",
                                      "1024x768", "--frames", "5", "--step-ms", "1000", "--json"});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const auto frames = Frames(run);
        ASSERT_EQ(frames.size(), c.fullScreen.size()) << c.at;
        for (std::size_t i = 0; i < frames.size(); ++i) {
            const QJsonArray texts = frames[i]["texts"].toArray();
            EXPECT_EQ(frames[i]["fullScreenCountdown"].toBool(), c.fullScreen[i]) << c.at << i;
            // Full-screen: the bare countdown over the whole frame and nothing else.
            EXPECT_EQ(texts.size(), c.fullScreen[i] ? 1 : 5) << c.at << i;
            if (c.fullScreen[i]) {
                EXPECT_EQ(texts[0].toObject()["rect"].toArray(), Rect(0, 0, 1024, 768));
            }
        }
        // The third frame is exactly one hour away, written as the exact double.
        EXPECT_TRUE(run.out.split('\n')[2].contains("\"countdownDays\": ") &&
                    run.out.split('\n')[2].contains("0.041666666666666664"))
            << run.out.split('\n')[2].toStdString();
    }
}

TEST_F(ChronivoRenderTest, ColoursOfTextsAndCountdown) {
    // 12:01:00 with speed 600: a red background, the clock lines cyan; the countdown to 13:00
    // white (counting down), the one from 11:00 blue (counting up); world-time labels black.
    const QString downSettings = Settings(kLaunch, "down.ini");
    const QString upSettings = Settings(QString(kLaunch).replace("Hour=13", "Hour=11"), "up.ini");
    const QString worldSettings =
        Settings("WorldTime=1\nWTcount=1\nWTtext0=Oslo\nWTzone0=7201\n", "world.ini");
    struct ColourCase {
        QString settings;
        const char* role;
        const char* color;
    };
    const ColourCase cases[] = {
        {downSettings, "time", "#00FFFF"},
        {downSettings, "countdown", "#FFFFFF"},
        {upSettings, "countdown", "#0000FF"},
        {worldSettings, "city", "#000000"},
    };
    for (const ColourCase& c : cases) {
        const RunResult run = Render({"--settings", c.settings, "--at", "2026-01-16T12:01:00Z",
                                      "--size", "800x600", "--json"});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const auto frames = Frames(run);
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0]["background"], "#FF0000");
        bool found = false;
        for (const auto& value : frames[0]["texts"].toArray()) {
            if (value.toObject()["role"] == c.role) {
                found = true;
                EXPECT_EQ(value.toObject()["color"], c.color) << c.role;
            }
        }
        EXPECT_TRUE(found) << c.role;
    }
}

TEST_F(ChronivoRenderTest, WorldTimeShowsTheTrueLocalTimesFromWestToEast) {
    // Stored as the dialog stores them (alphabetically, with their historic codes), read at
    // 2026-12-07 11:20 UTC on a computer in Berlin: each city at its own zone's time, the bands
    // from west to east.
    const QString settings = Settings("WorldTime=1\nWTcount=4\n"
                                      "WTtext0=Kiritimati\nWTzone0=14400\n"
                                      "WTtext1=New York\nWTzone1=-35999\n"
                                      "WTtext2=Sydney\nWTzone2=72000\n"
                                      "WTtext3=Wellington\nWTzone3=0\n");
    const RunResult run = Render(
        {"--settings", settings, "--at", "2026-12-07T11:20:00Z", "--size", "1280x1024", "--json"},
        QStringLiteral("Europe/Berlin"));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const auto frames = Frames(run);
    ASSERT_EQ(frames.size(), 1u);
    QStringList texts;
    for (const auto& value : frames[0]["texts"].toArray()) {
        texts.push_back(value.toObject()["text"].toString());
    }
    EXPECT_EQ(texts, QStringList({"New York 06:20 AM", "Sydney 10:20 PM", "Wellington 12:20 AM",
                                  "Kiritimati 01:20 AM"}));
}

TEST_F(ChronivoRenderTest, ASettingsPathThatIsNoFileGivesTheDefaultsAndOneLine) {
    // A named pipe at the user's settings path would block a reader for ever: the frame is made
    // with the defaults at once, and one line says why. Given more than five seconds, it hung.
    const QString dir = Path("config/Velstrand/Utilities");
    ASSERT_TRUE(QDir().mkpath(dir));
    ASSERT_EQ(mkfifo(QFile::encodeName(dir + "/Chronivo.conf").constData(), 0600), 0);
    const RunResult run = Render({"--at", "2026-01-16T12:01:00Z", "--size", "80x60", "--json"},
                                 QStringLiteral("UTC"), {}, 5000);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(Frames(run).size(), 1u);
    EXPECT_EQ(run.err.count('\n'), 1);
    EXPECT_TRUE(run.err.startsWith("chronivo-render: the settings file ") &&
                run.err.contains("is a named pipe, not a regular file"))
        << run.err.toStdString();
}

TEST_F(ChronivoRenderTest, StripesWidenWhenFramesStandStill) {
    // Striped frames whose time base does not move lag; the fifth in a row widens the stripes,
    // so the sixth frame is painted two pixels wide. Frames 100 ms apart keep pace.
    const QString striped = Settings("Rainbow=1\n");
    const RunResult still = Render({"--settings", striped, "--at", "2026-01-16T12:00:00Z", "--size",
                                    "320x200", "--frames", "6", "--step-ms", "0", "--json"});
    const RunResult paced = Render({"--settings", striped, "--at", "2026-01-16T12:00:00Z", "--size",
                                    "320x200", "--frames", "6", "--json"});
    ASSERT_EQ(still.exitCode, 0) << still.err.toStdString();
    ASSERT_EQ(paced.exitCode, 0) << paced.err.toStdString();
    const std::vector<int> stillWidths{1, 1, 1, 1, 1, 2};
    const std::vector<int> pacedWidths{1, 1, 1, 1, 1, 1};
    const auto stillFrames = Frames(still);
    const auto pacedFrames = Frames(paced);
    ASSERT_EQ(stillFrames.size(), 6u);
    ASSERT_EQ(pacedFrames.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(stillFrames[i]["stripeWidth"].toInt(), stillWidths[i]) << i;
        EXPECT_EQ(pacedFrames[i]["stripeWidth"].toInt(), pacedWidths[i]) << i;
        EXPECT_EQ(stillFrames[i]["rainbow"], true) << i;
    }
}

TEST_F(ChronivoRenderTest, PngShowsTheLastFrame) {
    // Two frames a minute apart: the PNG is the second one, red at 12:01, 1024 x 768, with the
    // background alone between the weekday (rows up to 162) and the date (from row 266).
    const QString png = Path("clock.png");
    const RunResult run = Render({"--at", "2026-01-16T12:00:00Z", "--size", "1024x768", "--frames",
                                  "2", "--step-ms", "60000", "--png", png});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    const QImage image(png);
    ASSERT_EQ(image.size(), QSize(1024, 768));
    for (int y : {200, 230}) {
        for (int x = 0; x < image.width(); x += 7) {
            ASSERT_EQ(image.pixel(x, y) & 0xFFFFFFu, 0xFF0000u) << x << "," << y;
        }
    }
}

TEST_F(ChronivoRenderTest, PngShowsTheStripes) {
    // One-pixel stripes at time base 0 on 1024 columns: magenta at x = 0, and x = 512, one
    // segment ahead, red, down the whole height where no text is.
    const QString png = Path("stripes.png");
    const RunResult run = Render({"--settings", Settings("Rainbow=1\n"), "--at",
                                  "2026-01-16T12:00:00Z", "--size", "1024x768", "--png", png});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QImage image(png);
    ASSERT_EQ(image.size(), QSize(1024, 768));
    for (int y : {200, 240, 450, 500, 700}) {
        EXPECT_EQ(image.pixel(0, y) & 0xFFFFFFu, 0xFF00FFu) << y;
        EXPECT_EQ(image.pixel(512, y) & 0xFFFFFFu, 0xFF0000u) << y;
    }
}

#ifdef Q_OS_UNIX
TEST_F(ChronivoRenderTest, NoDisplayOrOutputThatCannotBeWrittenInFullExitsOne) {
    // A platform named in QT_QPA_PLATFORM that cannot reach its display, a PNG past a 16 KiB
    // file-size limit (this frame's picture is about 36 KiB) and JSON on a full device: exit code
    // 1 (never Qt's abort) and one line naming the trouble; the folder stays as it was, with no
    // cut-short picture, no scratch file, and an older picture of the same name untouched.
    const auto limitFileSize = [](QProcess& process) {
        process.setChildProcessModifier([] {
            const rlimit limit{16384, 16384};
            setrlimit(RLIMIT_FSIZE, &limit);
        });
    };
    const auto fullStdout = [](QProcess& process) {
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
    };
    const auto environment = [](const QStringList& pairs) {
        return [pairs](QProcess& process) {
            QProcessEnvironment env = process.processEnvironment();
            for (const QString& pair : pairs) {
                env.insert(pair.section('=', 0, 0), pair.section('=', 1));
            }
            process.setProcessEnvironment(env);
        };
    };
    int n = 5000; // a display number no X server listens on here
    while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))) {
        ++n;
    }
    const QString dead = QStringLiteral(":%1").arg(n);
    struct ExitOne {
        const char* fact;
        const char* output; // --png FILE, or --json
        bool olderPicture;  // a file of that name is there before the run
        std::function<void(QProcess&)> setup;
        const char* begins; // the line after "chronivo-render: "
        QString named;
    };
    const ExitOne cases[] = {
        {"xcb without DISPLAY", "--png", true, environment({"QT_QPA_PLATFORM=xcb"}),
         "no display to draw on: ", "the xcb platform has no X display to connect to"},
        {"xcb and a display nobody serves", "--json", false,
         environment({"QT_QPA_PLATFORM=xcb", "DISPLAY=" + dead}),
         "no display to draw on: ", "cannot connect to the X display \"" + dead + "\""},
        {"wayland without a compositor", "--png", false, environment({"QT_QPA_PLATFORM=wayland"}),
         "no display to draw on: ", "chosen by QT_QPA_PLATFORM; QT_QPA_PLATFORM \"wayland\""},
        {"new picture past the limit", "--png", false, limitFileSize, "cannot write the ",
         "File too large"},
        {"older picture kept", "--png", true, limitFileSize, "cannot write the ", "File too large"},
        {"JSON on a full device", "--json", false, fullStdout, "cannot write the ",
         "No space left on device"},
    };
    ASSERT_TRUE(QFile::exists(QStringLiteral("/dev/full")));
    const QString png = Path("frame.png");
    for (const ExitOne& c : cases) {
        QFile::remove(png);
        if (c.olderPicture) {
            QFile older(png);
            ASSERT_TRUE(older.open(QIODevice::WriteOnly));
            older.write("older");
        }
        const std::string before = Files();
        QStringList args{"--at", "2026-01-16T12:00:00Z", "--size", "1024x768", c.output};
        if (QString::fromLatin1(c.output) == "--png") {
            args << png;
        }
        const RunResult run = Render(args, QStringLiteral("UTC"), c.setup);
        EXPECT_EQ(run.exitCode, 1) << c.fact;
        EXPECT_TRUE(run.out.isEmpty()) << c.fact;
        EXPECT_EQ(run.err.count('\n'), 1) << c.fact << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.startsWith("chronivo-render: " + QString::fromLatin1(c.begins)) &&
                    run.err.contains(c.named))
            << c.fact << ": " << run.err.toStdString();
        EXPECT_EQ(Files(), before) << c.fact;
        if (c.olderPicture) {
            QFile older(png);
            ASSERT_TRUE(older.open(QIODevice::ReadOnly));
            EXPECT_EQ(older.readAll(), "older") << c.fact;
        }
    }
    // The same picture with room to spare is written whole.
    const RunResult run =
        Render({"--at", "2026-01-16T12:00:00Z", "--size", "1024x768", "--png", png});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QImage(png).size(), QSize(1024, 768));
}

// The kind of file at `path` itself, a link not followed (S_IFREG, S_IFLNK, ...).
mode_t KindAt(const QString& path) {
    struct stat st = {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

// Whether `bytes` are the whole 64 x 48 picture.
bool WholePicture(const QByteArray& bytes) {
    return bytes.startsWith("\x89PNG\r\n\x1a\n") &&
           QImage::fromData(bytes, "PNG").size() == QSize(64, 48);
}

TEST_F(ChronivoRenderTest, PngGoesIntoWhatIsThereAndNeverReplacesIt) {
    // A regular file, also through a link, is replaced; a named pipe and a device are written
    // into, "-" is standard output; a folder and a loop of links are refused before any JSON.
    // Whatever was at the path is still of its kind afterwards, and no file comes or goes.
    enum class Arrives { Nowhere, InFile, InPipe, OnStdout };
    struct PngCase {
        QString target;
        bool json;
        int exitCode;
        const char* said; // in the one line on standard error; none when empty
        Arrives arrives;
    };
    QFile older(Path("pic.png"));
    ASSERT_TRUE(older.open(QIODevice::WriteOnly) && older.write("older") == 5);
    older.close();
    ASSERT_TRUE(QFile::link(Path("pic.png"), Path("link.png")));
    ASSERT_EQ(mkfifo(QFile::encodeName(Path("pipe")).constData(), 0600), 0);
    ASSERT_TRUE(QDir().mkdir(Path("folder")));
    ASSERT_TRUE(QFile::link(Path("loop-b"), Path("loop-a")) &&
                QFile::link(Path("loop-a"), Path("loop-b")));
    const PngCase cases[] = {
        {Path("pic.png"), false, 0, "", Arrives::InFile},  // an older picture, replaced
        {Path("link.png"), false, 0, "", Arrives::InFile}, // the link stays, pic.png replaced
        {Path("pipe"), false, 0, "", Arrives::InPipe},
        {"/dev/null", false, 0, "", Arrives::Nowhere}, // written into, never replaced
        {"/dev/full", false, 1, "/dev/full': No space left on device", Arrives::Nowhere},
        {Path("folder"), true, 1, "is a folder", Arrives::Nowhere},
        {Path("loop-a"), true, 1, "is a loop of symbolic links", Arrives::Nowhere},
        {"-", false, 0, "", Arrives::OnStdout},
        {"/dev/stdout", false, 0, "", Arrives::OnStdout}, // a pipe to this test
        {"-", true, 2, "would both write to standard output", Arrives::Nowhere},
    };
    const auto inTestDir = [this](QProcess& process) { process.setWorkingDirectory(m_dir.path()); };
    for (const PngCase& c : cases) {
        const std::string what = c.target.toStdString() + (c.json ? " --json" : "");
        const mode_t kind = KindAt(c.target);
        const std::string files = Files();
        // The reader is there first; the picture is small enough to wait in the pipe whole.
        const int reader =
            c.arrives == Arrives::InPipe
                ? ::open(QFile::encodeName(c.target).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)
                : -1;
        ASSERT_TRUE(c.arrives != Arrives::InPipe || reader >= 0) << std::strerror(errno);
        QStringList args{"--at", "2026-01-16T12:00:00Z", "--size", "64x48", "--png", c.target};
        if (c.json) {
            args << "--json";
        }
        const RunResult run = Render(args, QStringLiteral("UTC"), inTestDir, 10000);
        QByteArray piped(65536, '\0');
        if (reader >= 0) {
            piped.resize(std::max<ssize_t>(::read(reader, piped.data(), piped.size()), 0));
            ::close(reader);
        }
        EXPECT_EQ(run.exitCode, c.exitCode) << what << ": " << run.err.toStdString();
        EXPECT_EQ(run.err.count('\n'), *c.said != '\0' ? 1 : 0) << what;
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.said))) << what << run.err.toStdString();
        EXPECT_EQ(KindAt(c.target), kind) << what;
        EXPECT_EQ(Files(), files) << what;
        EXPECT_EQ(c.arrives == Arrives::InPipe, WholePicture(piped)) << what;
        EXPECT_TRUE(c.arrives == Arrives::OnStdout ? WholePicture(run.outBytes)
                                                   : run.outBytes.isEmpty())
            << what;
        if (c.arrives == Arrives::InFile) {
            QFile file(c.target);
            EXPECT_TRUE(file.open(QIODevice::ReadOnly) && WholePicture(file.readAll())) << what;
        }
    }
}
#endif

} // namespace
