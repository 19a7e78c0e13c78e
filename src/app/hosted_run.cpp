#include "app/hosted_run.h"

#include "app/saver_app.h"
#include "app/termination_signals.h"
#include "saver/saver_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <memory>

namespace chronivo {

namespace {

// How often the host's window is asked for its size, milliseconds: as often as a frame is drawn.
constexpr int kFollowPeriodMs = 100;

} // namespace

int StartFailure(const std::string& message) {
    std::fprintf(stderr, "chronivo: %s\n", message.c_str());
    return 1;
}

QSize LogicalSize(QSize devicePixels, qreal ratio) {
    if (ratio <= 0.0) {
        ratio = 1.0;
    }
    return QSize(static_cast<int>(std::ceil(devicePixels.width() / ratio)),
                 static_cast<int>(std::ceil(devicePixels.height() / ratio)));
}

int RunInsideHost(int& argc, char** argv, WId id, const std::string& shownId,
                  const HostPixels& hostPixels) {
    const std::optional<QSize> firstPixels = hostPixels();
    if (!firstPixels) {
        return StartFailure("there is no window " + shownId);
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
        return StartFailure("cannot use window " + shownId);
    }
    SaverApp saver;
    if (!saver.InitHosted(*host, LogicalSize(*firstPixels, host->devicePixelRatio()))) {
        return StartFailure("the saver window could not be shown in window " + shownId);
    }

    QTimer follow;
    follow.setInterval(kFollowPeriodMs);
    QObject::connect(&follow, &QTimer::timeout, &app, [&] {
        const std::optional<QSize> pixels = hostPixels();
        if (!pixels) {
            // The host destroyed its window (and ours with it) without a word: the run is over.
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
