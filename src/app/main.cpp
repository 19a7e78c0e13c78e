#include "app/command_line.h"
#include "app/saver_app.h"
#include "saver/saver_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QString>

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

constexpr char kUsage[] =
    "Usage: chronivo [/s | /c]\n"
    "A full-screen date-and-time screen saver.\n"
    "\n"
    "  /s, -s, s     run the saver full screen until a key, a click or a mouse movement\n"
    "  /c, -c, c     open the settings dialog over the active window\n"
    "  anything else open the settings dialog on its own (no arguments included)\n"
    "  --help        show this text\n"
    "  --version     show the version\n"
    "\n"
    "Letter case does not matter; the text after the program name must be exactly one of the\n"
    "switches above, so \"/s extra\" opens the settings dialog.\n";

// The text after the program name, as the mode is chosen from.
QString CommandText(int argc, char** argv) {
#ifdef _WIN32
    (void)argc;
    (void)argv;
    return chronivo::CommandTextFromRaw(QString::fromWCharArray(GetCommandLineW()));
#else
    return chronivo::CommandTextFromArgs(argc, argv);
#endif
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("chronivo %s\n", CHRONIVO_VERSION);
        return 0;
    }
    // Read before QApplication takes its own options out of argv.
    const QString text = CommandText(argc, argv);

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
    const int code = QApplication::exec();
    // Delete the windows that are waiting for it (the closed one, a replaced one).
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return code;
}
