#include "app/command_line.h"
#include "app/platform_start.h"
#include "app/saver_app.h"
#include "app/termination_signals.h"
#include "saver/saver_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QString>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace {

constexpr char kUsage[] =
    "Usage: chronivo [/s | /c | --root [--window-id ID] | --window-id ID | --daemon]\n"
    "A full-screen date-and-time screen saver.\n"
    "\n"
    "  /s, -s, s           run the saver full screen until a key, a click or a mouse movement\n"
    "  /c, -c, c           open the settings dialog over the active window\n"
    "  -root, --root       draw the saver into the window in XSCREENSAVER_WINDOW, or else into\n"
    "                      the root window, until SIGTERM or SIGINT (as an XScreenSaver hack)\n"
    "  -window-id ID, --window-id ID\n"
    "                      draw the saver into X window ID (0x... in hex, or decimal) until\n"
    "                      SIGTERM or SIGINT; after -root it wins (a settings window's preview)\n"
    "  --daemon [--after N | --after Ns] [--verbose]\n"
    "                      watch the session and start the saver after the stored idle time\n"
    "                      (or N minutes, or N seconds), ending it when input comes back\n"
    "  anything else       open the settings dialog on its own (no arguments included)\n"
    "  --help              show this text\n"
    "  --version           show the version\n"
    "\n"
    "Letter case does not matter for /s and /c; the text after the program name must be\n"
    "exactly one of the switches above, so \"/s extra\" opens the settings dialog.\n";

} // namespace

int main(int argc, char** argv) {
    chronivo::IgnoreFileSizeSignal();
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("chronivo %s\n", CHRONIVO_VERSION);
        return 0;
    }
    if (const std::optional<int> code = chronivo::RunPlatformMode(argc, argv)) {
        return *code;
    }
    // Read before QApplication takes its own options out of argv.
    const QString text = chronivo::CommandTextOfProcess(argc, argv);
    if (const std::string problem = chronivo::NoDisplayProblemOfProcess(argc, argv);
        !problem.empty()) {
        std::fprintf(stderr, "chronivo: %s\n", problem.c_str());
        return 1;
    }
    // From here on the idle watcher's word about input is kept until the saver's window can
    // judge it, instead of ending the process as the signal would by default.
    chronivo::InstallInputElsewhereHandler();
    QApplication app(argc, argv);
    // The application title, also the name of the settings profile.
    QCoreApplication::setApplicationName(QStringLiteral("Chronivo"));
    chronivo::SaverApp saver;
    if (!saver.InitInstance(text)) {
        // Configuration mode: the dialog has closed.
        return 0;
    }
    if (saver.MainWindow() == nullptr) {
        // No window could be shown, so nothing could ever end an event loop.
        std::fputs("chronivo: the saver window could not be created\n", stderr);
        return 1;
    }
    // The idle watcher that started the saver tells it of input the desktop saw.
    const chronivo::TerminationWatcher signals;
    QObject::connect(&signals, &chronivo::TerminationWatcher::Received, &app,
                     [&saver](int signalNumber) {
                         if (signalNumber == chronivo::kInputElsewhereSignal) {
                             saver.InputElsewhere();
                         }
                     });
    const int code = QApplication::exec();
    // Delete the windows that are waiting for it (the closed one, a replaced one).
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return code;
}
