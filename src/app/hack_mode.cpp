#include "app/hack_mode.h"

#include "app/saver_app.h"
#include "app/termination_signals.h"
#include "display/x11_display.h"
#include "saver/saver_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWindow>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace chronivo {

namespace {

// How often the host's window is asked for its size, milliseconds: as often as a frame is drawn.
constexpr int kFollowPeriodMs = 100;

int Fail(const std::string& message) {
    std::fprintf(stderr, "chronivo: %s\n", message.c_str());
    return 1;
}

std::string HexId(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(id));
    return text;
}

// A size in device pixels as the logical pixels Qt's widgets are measured in.
QSize LogicalSize(QSize devicePixels, qreal ratio) {
    if (ratio <= 0.0) {
        ratio = 1.0;
    }
    return QSize(static_cast<int>(std::ceil(devicePixels.width() / ratio)),
                 static_cast<int>(std::ceil(devicePixels.height() / ratio)));
}

} // namespace

int RunHackMode(const HackRequest& request, int& argc, char** argv) {
    // First of all, so that a host that ends us at once still gets a clean exit.
    if (!InstallTerminationHandlers()) {
        return Fail("cannot catch SIGTERM and SIGINT, which end a hack");
    }
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        return Fail("drawing into a window needs an X display, and DISPLAY is not set");
    }
    // Only the xcb platform reaches another program's window, whatever the desktop prefers.
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));

    std::string error;
    const std::unique_ptr<X11Display> x11 = X11Display::Open(display, &error);
    if (!x11) {
        return Fail(error);
    }
    const std::uint32_t id =
        request.kind == HackRequest::Kind::RootWindow ? x11->RootWindow() : request.windowId;
    const std::optional<QSize> hostPixels = x11->WindowSize(id);
    if (!hostPixels) {
        return Fail("there is no window " + HexId(id) + " on display \"" + display + "\"");
    }

    QApplication app(argc, argv);
    // The application title, also the name of the settings profile.
    QCoreApplication::setApplicationName(QStringLiteral("Chronivo"));
    TerminationWatcher watcher;
    QObject::connect(&watcher, &TerminationWatcher::Received, &app,
                     [] { QCoreApplication::exit(0); });

    // Declared before the saver, so it is deleted after the saver's windows, its children.
    const std::unique_ptr<QWindow> host(QWindow::fromWinId(id));
    if (!host) {
        return Fail("cannot use window " + HexId(id));
    }
    SaverApp saver;
    if (!saver.InitHosted(*host, LogicalSize(*hostPixels, host->devicePixelRatio()))) {
        return Fail("the saver window could not be shown in window " + HexId(id));
    }

    QTimer follow;
    follow.setInterval(kFollowPeriodMs);
    QObject::connect(&follow, &QTimer::timeout, &app, [&] {
        const std::optional<QSize> pixels = x11->WindowSize(id);
        if (!pixels) {
            // The host destroyed its window (and ours with it) without a signal: the run is over.
            QCoreApplication::exit(0);
            return;
        }
        saver.FollowHostSize(LogicalSize(*pixels, host->devicePixelRatio()));
    });
    follow.start();

    const int code = QApplication::exec();
    follow.stop();
    // Delete the windows that are waiting for it (replaced ones) while their host still exists.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return code;
}

} // namespace chronivo
