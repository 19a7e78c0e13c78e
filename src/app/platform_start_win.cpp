#include "app/platform_start.h"

#include "app/command_line.h"
#include "app/hosted_run.h"
#include "app/saver_app.h"
#include "saver/saver_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <memory>

#include <windows.h>

namespace chronivo {

namespace {

// The size of window `hwnd`'s client area, device pixels; nothing once it has gone.
std::optional<QSize> ClientPixels(HWND hwnd) {
    RECT rect{};
    if (!IsWindow(hwnd) || !GetClientRect(hwnd, &rect)) {
        return std::nullopt;
    }
    return QSize(rect.right - rect.left, rect.bottom - rect.top);
}

HWND HandleOf(quintptr window) {
    return reinterpret_cast<HWND>(window);
}

// Gives the window that is made transient for `owner`, another program's window, that window as
// its owner once it is on screen. Qt keeps an owner only when it is a window of its own: showing
// the dialog would take the owner it was given away again.
class ForeignOwner final : public QObject {
public:
    explicit ForeignOwner(QWindow& owner)
        : m_owner(owner) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && widget != nullptr && widget->isWindow() &&
            widget->windowHandle() != nullptr &&
            widget->windowHandle()->transientParent() == &m_owner) {
            // The show event comes before the window is shown, so the owner is set just after.
            QTimer::singleShot(0, widget, [widget, owner = HandleOf(m_owner.winId())] {
                SetWindowLongPtrW(HandleOf(widget->winId()), GWLP_HWNDPARENT,
                                  reinterpret_cast<LONG_PTR>(owner));
            });
        }
        return false;
    }

private:
    QWindow& m_owner;
};

// The settings dialog owned by Screen Saver Settings' window, so that it stays above it and that
// window waits for it. A window that is gone leaves the dialog on its own.
int RunConfigOver(int& argc, char** argv, quintptr window) {
    QApplication app(argc, argv);
    // The application title, also the name of the settings profile.
    QCoreApplication::setApplicationName(QStringLiteral("Chronivo"));
    std::unique_ptr<QWindow> owner;
    std::unique_ptr<ForeignOwner> ownerSetter;
    if (IsWindow(HandleOf(window))) {
        owner.reset(QWindow::fromWinId(static_cast<WId>(window)));
        ownerSetter = std::make_unique<ForeignOwner>(*owner);
        app.installEventFilter(ownerSetter.get());
    }
    SaverApp saver;
    saver.RunConfigOver(owner.get());
    return 0;
}

} // namespace

std::optional<int> RunPlatformMode(int& argc, char** argv) {
    const SystemRequest request = ParseSystemRequest(CommandTextOfProcess(argc, argv));
    switch (request.kind) {
    case SystemRequest::Kind::None:
        return std::nullopt;
    case SystemRequest::Kind::Preview:
        return RunInsideHost(argc, argv, static_cast<WId>(request.window),
                             std::to_string(request.window),
                             [hwnd = HandleOf(request.window)] { return ClientPixels(hwnd); });
    case SystemRequest::Kind::ConfigOver:
        return RunConfigOver(argc, argv, request.window);
    }
    return std::nullopt;
}

std::string NoDisplayProblemOfProcess(int /*argc*/, char** /*argv*/) {
    // Every Windows session has its desktop.
    return {};
}

std::optional<DesktopBlank> DesktopBlankOfSession() {
    // The saver's time is Windows' own screen-saver time, which the dialog shows and sets.
    return std::nullopt;
}

} // namespace chronivo
