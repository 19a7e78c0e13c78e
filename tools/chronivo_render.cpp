// chronivo-render: composes the frames of one saver window off-screen, with the composition code
// the saver window itself uses, and writes the last one as a PNG and every one as a JSON line.
//
//   chronivo-render [--settings FILE] [--at TIME] [--size WxH] [--dpi N]
//                   [--frames N] [--step-ms N] [--png FILE] [--json]
//   chronivo-render --help | --version
//
// Exit codes: 0 done (or the usage or version shown); 2 a bad argument (one line on standard error,
// nothing written); 1 no display for the platform QT_QPA_PLATFORM names, a frame that could not be
// composed, or a PNG or JSON that could not be written in full, or a --png path that cannot take a
// picture (one line on standard error; no PNG file is left behind half written, and a named pipe or
// device given to --png is written into, never replaced).

#include "render_json.h"
#include "render_options.h"
#include "render_output.h"

#include "display/display_check.h"
#include "saver/frame_composer.h"
#include "saver/saver_settings.h"
#include "settings/profile_store.h"
#include "time/time_sample.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <variant>

namespace {

void Complain(const std::string& problem) {
    std::fprintf(stderr, "chronivo-render: %s\n", problem.c_str());
}

// The line that says why the picture cannot be written to `path`.
std::string PngProblem(const QString& path, const std::string& problem) {
    if (path == QStringLiteral("-")) {
        return "cannot write the PNG to standard output: " + problem;
    }
    return "cannot write the PNG file '" + path.toStdString() + "': " + problem;
}

// The moment `ms` milliseconds after `start`.
chronivo::TimeSample After(chronivo::TimeSample start, std::int64_t ms) {
    chronivo::FixedClock clock(start);
    clock.Advance(ms);
    return clock.Now();
}

} // namespace

int main(int argc, char** argv) {
    chronivo::HoldClosedStandardStreams();
#ifdef SIGXFSZ
    // A write past the file-size limit then fails with EFBIG and is reported, instead of the
    // signal killing us with the picture half written.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(QString::fromLocal8Bit(argv[i]));
    }
    if (const auto info = chronivo::RenderInfoText(args)) {
        std::string problem = chronivo::WriteText(stdout, *info);
        if (problem.empty()) {
            problem = chronivo::FinishStream(stdout);
        }
        if (!problem.empty()) {
            Complain("cannot write to standard output: " + problem);
            return 1;
        }
        return 0;
    }
    const auto parsed = chronivo::ParseRenderOptions(args);
    if (const auto* problem = std::get_if<std::string>(&parsed)) {
        Complain(*problem);
        return 2;
    }
    const auto& options = std::get<chronivo::RenderOptions>(parsed);

    std::unique_ptr<chronivo::ProfileStore> store;
    if (options.settingsFile.isEmpty()) {
        store = chronivo::CurrentUserStore();
    } else {
        const std::string problem = chronivo::SettingsFileProblem(options.settingsFile);
        if (!problem.empty()) {
            Complain(problem);
            return 2;
        }
        store = std::make_unique<chronivo::QSettingsStore>(options.settingsFile);
    }

    // What cannot take a picture at all (a folder, a socket, a loop of links) is refused before
    // any frame is made or any JSON written.
    if (!options.pngFile.isEmpty()) {
        const auto way = chronivo::PngWayFor(options.pngFile);
        if (const auto* problem = std::get_if<std::string>(&way)) {
            Complain(PngProblem(options.pngFile, *problem));
            return 1;
        }
    }

    // Frames need fonts, so a GUI application; without a display the offscreen platform serves.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    }
    // Qt sees only the program name: none of our arguments may be taken for one of its own.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    // A platform named in QT_QPA_PLATFORM that cannot reach its display would make Qt abort the
    // process with a core dump; one line says why instead.
    if (const std::string problem =
            chronivo::NoDisplayProblem(chronivo::PlatformInputs::FromProcess(qtArgc, qtArgv));
        !problem.empty()) {
        Complain(problem);
        return 1;
    }

    // Read exactly as a saver window reads them when it is built, at the first frame's moment.
    const chronivo::TimeSample start = options.at ? *options.at : chronivo::SystemClock().Now();
    const chronivo::SaverSettings settings = chronivo::ReadSaverSettings(*store, start.seconds);
    if (!store->ReadProblem().isEmpty()) {
        Complain(store->ReadProblem().toStdString()); // and go on with the defaults
    }

    const QGuiApplication app(qtArgc, qtArgv);

    chronivo::FrameOptions frameOptions;
    frameOptions.dpi = options.dpi;
    try {
        // One window: font slots, countdown target and state, striped flag and the stripes' pace
        // carried along.
        chronivo::StripePace pace;
        chronivo::FrameComposer window(settings, pace, frameOptions);
        for (std::int32_t i = 0; i < options.frames; ++i) {
            const chronivo::TimeSample now = After(start, std::int64_t{i} * options.stepMs);
            const chronivo::FrameRecord& frame = window.DrawFrame(now, options.size);
            if (options.json) {
                const std::string problem =
                    chronivo::WriteText(stdout, chronivo::FrameJson(frame) + "\n");
                if (!problem.empty()) {
                    Complain("cannot write the JSON to standard output: " + problem);
                    return 1;
                }
            }
        }
        if (const std::string problem = chronivo::FinishStream(stdout); !problem.empty()) {
            Complain("cannot write the JSON to standard output: " + problem);
            return 1;
        }
        if (!options.pngFile.isEmpty()) {
            const std::string problem =
                chronivo::WritePngFile(window.FrameImage(), options.pngFile);
            if (!problem.empty()) {
                Complain(PngProblem(options.pngFile, problem));
                return 1;
            }
        }
    } catch (const std::exception& error) {
        Complain(std::string("the frame cannot be composed: ") + error.what());
        return 1;
    }
    return 0;
}
