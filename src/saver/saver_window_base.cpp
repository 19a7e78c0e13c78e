#include "saver/saver_window_base.h"

#include "saver/device_pointer.h"

#include <QCloseEvent> // with QApplicationStateChangeEvent
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMetaObject>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

#include <cstdint>
#include <cstdlib>

namespace chronivo {

namespace {

// How often a missing keyboard or pointer grab is asked for again, milliseconds. On X11 a grab
// fails until the window is viewable, which is a few milliseconds after it is shown.
constexpr int kGrabRetryMs = 25;

} // namespace

int SaverWindowBase::s_mouseSeen = 0;
QPoint SaverWindowBase::s_mouseStart;
std::optional<bool> SaverWindowBase::s_waylandForTesting;

bool IsWaylandPlatform(QStringView platformName) {
    return platformName == u"wayland" || platformName.startsWith(u"wayland-");
}

bool MouseMovedTooFar(QPoint start, QPoint now) {
    // 64-bit so that no pair of coordinates can overflow.
    const std::int64_t dx = std::llabs(std::int64_t{now.x()} - start.x());
    const std::int64_t dy = std::llabs(std::int64_t{now.y()} - start.y());
    return dx + dy > 3;
}

QPoint NudgedPointerPosition(QPoint before, QPoint readBack) {
    const QPoint asked = before + QPoint(1, 1);
    if (readBack.x() != asked.x() && readBack.y() != asked.y()) {
        // The pointer could move neither right nor down: go left instead.
        return before + QPoint(-1, -1);
    }
    return before + QPoint(1, -1);
}

SaverWindowBase::SaverWindowBase()
    : m_wayland(s_waylandForTesting.value_or(IsWaylandPlatform(QGuiApplication::platformName()))) {
    if (QGuiApplication::applicationState() == Qt::ApplicationActive) {
        m_seesInput.start();
    }
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_DeleteOnClose);
    // Every pointer movement must arrive, not only drags.
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::BlankCursor);

    m_grabRetry.setInterval(kGrabRetryMs);
    connect(&m_grabRetry, &QTimer::timeout, this, &SaverWindowBase::TryGrabInput);

    // Qt tells only the application object that the application lost the focus; hand it to the
    // window so the exit rules see it with the window's own deactivation.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                QApplicationStateChangeEvent forwarded(state);
                QCoreApplication::sendEvent(this, &forwarded);
            });
}

SaverWindowBase::~SaverWindowBase() = default;

void SaverWindowBase::ResetMouseStateForTesting() {
    s_mouseSeen = 0;
    s_mouseStart = QPoint();
}

void SaverWindowBase::SetWaylandForTesting(std::optional<bool> wayland) {
    s_waylandForTesting = wayland;
}

bool SaverWindowBase::CreateFullScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return false;
    }
    setWindowTitle(QString());
    if (m_wayland) {
        // The full-screen window has the keyboard focus of its output, and the pointer's events
        // while the pointer is over it; that is all a Wayland client gets (grabs are for popups).
        ShowFullScreenOn(*screen);
        return windowHandle() != nullptr && isVisible();
    }
    setGeometry(screen->geometry());
    show();
    activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
    TryGrabInput();
    if (!HasInputGrab()) {
        m_grabRetry.start();
    }
    return windowHandle() != nullptr && isVisible();
}

void SaverWindowBase::ShowFullScreenOn(QScreen& screen) {
    // The native window is given its screen before it is shown, so its first full-screen request
    // names that screen's output.
    winId();
    if (windowHandle() != nullptr) {
        windowHandle()->setScreen(&screen);
    }
    setGeometry(screen.geometry());
    showFullScreen();
}

bool SaverWindowBase::CreateOnScreen(QScreen& screen) {
    // The main saver window keeps the focus and the grabs.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QString());
    if (m_wayland) {
        ShowFullScreenOn(screen);
        return windowHandle() != nullptr && isVisible();
    }
    // The native window is placed on its screen before it is shown, so it never appears on the
    // primary screen first.
    winId();
    if (windowHandle() != nullptr) {
        windowHandle()->setScreen(&screen);
    }
    setGeometry(screen.geometry());
    show();
    return windowHandle() != nullptr && isVisible();
}

bool SaverWindowBase::CreateInside(QWindow& host, QSize size) {
    m_hosted = true;
    // Input goes through to the host's window (an empty input shape on X11), and the window never
    // takes the focus from it.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                   Qt::WindowTransparentForInput);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setMouseTracking(false);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(QString());
    // The native window must exist before it can be given a parent of another program's.
    winId();
    QWindow* window = windowHandle();
    if (window == nullptr) {
        return false;
    }
    window->setParent(&host);
    setGeometry(QRect(QPoint(0, 0), size));
    show();
    return isVisible();
}

void SaverWindowBase::TryGrabInput() {
    QWindow* window = windowHandle();
    if (m_retired || window == nullptr || !isVisible()) {
        m_grabRetry.stop();
        return;
    }
    if (!m_keyboardGrabbed) {
        m_keyboardGrabbed = window->setKeyboardGrabEnabled(true);
        if (m_keyboardGrabbed && !m_seesInput.isValid()) {
            m_seesInput.start();
        }
    }
    if (!m_mouseGrabbed) {
        m_mouseGrabbed = window->setMouseGrabEnabled(true);
    }
    if (HasInputGrab()) {
        m_grabRetry.stop();
    }
}

bool SaverWindowBase::event(QEvent* event) {
    if (m_hosted) {
        // The host decides when the saver ends.
        return QWidget::event(event);
    }
    switch (event->type()) {
    case QEvent::WindowActivate: // being activated: nothing
        break;
    case QEvent::Enter: // the pointer comes over the window: nothing, but see HidePointerAgain
        if (m_wayland) {
            HidePointerAgain();
        }
        break;
    case QEvent::WindowDeactivate: // being deactivated: as for a mouse move
        SystemPointerTest();
        break;
    case QEvent::ApplicationStateChange: // the application loses the focus: as for a mouse move
        if (static_cast<QApplicationStateChangeEvent*>(event)->applicationState() ==
            Qt::ApplicationActive) {
            if (!m_seesInput.isValid()) {
                m_seesInput.start();
            }
        } else {
            if (!m_keyboardGrabbed) {
                m_seesInput.invalidate();
            }
            SystemPointerTest();
        }
        break;
    case QEvent::MouseMove:
        if (m_wayland) {
            // The event's own position, in the same logical pixels on every window of ours; from
            // the window's corner, since the global one comes rounded to whole logical pixels.
            MouseDistanceTest(ToDevicePixels(
                mapToGlobal(static_cast<QMouseEvent*>(event)->position()), devicePixelRatio()));
        } else {
            // The system's pointer, never the event's position.
            MouseDistanceTest(DevicePointer::Position());
        }
        break;
    case QEvent::KeyPress: // any key, Shift, Alt and Alt+F4 included
        RequestClose();
        break;
    case QEvent::KeyRelease: // releasing a key: nothing
    case QEvent::Wheel:      // turning the wheel: nothing
        break;
    case QEvent::MouseButtonPress:
        switch (static_cast<QMouseEvent*>(event)->button()) {
        case Qt::LeftButton:
        case Qt::RightButton:
        case Qt::MiddleButton:
            if (!m_wayland) { // a Wayland client cannot move the pointer
                NudgePointer();
            }
            RequestClose();
            break;
        default: // further buttons: nothing
            break;
        }
        break;
    case QEvent::Close:
        if (!m_closeRequested) {
            // Not the saver's own request (the window manager's close): refused.
            event->ignore();
            return true;
        }
        break;
    default:
        break;
    }

    const bool result = QWidget::event(event);
    if (event->type() == QEvent::Close && event->isAccepted()) {
        // The window goes (WA_DeleteOnClose), and with it the run.
        Q_EMIT Closed();
    }
    return result;
}

void SaverWindowBase::SystemPointerTest() {
    // On Wayland the pointer's position is known only from the motion events, each of which has
    // run the test already: there is nothing new to measure.
    if (!m_wayland) {
        MouseDistanceTest(DevicePointer::Position());
    }
}

void SaverWindowBase::MouseDistanceTest(QPoint now) {
    if (s_mouseSeen == 0) {
        // The first event only records where the pointer is, however far it jumped.
        s_mouseStart = now;
        s_mouseSeen = 1;
        return;
    }
    if (MouseMovedTooFar(s_mouseStart, now)) {
        RequestClose();
    }
}

void SaverWindowBase::NudgePointer() {
    // One device pixel where the platform lets us place the pointer so (X11)...
    const QPoint beforePixels = DevicePointer::Position();
    if (DevicePointer::MoveTo(beforePixels + QPoint(1, 1))) {
        DevicePointer::MoveTo(NudgedPointerPosition(beforePixels, DevicePointer::Position()));
        return;
    }
    // ... elsewhere one logical pixel, the least Qt moves it by.
    const QPoint before = QCursor::pos();
    QCursor::setPos(before + QPoint(1, 1));
    const QPoint readBack = QCursor::pos();
    QCursor::setPos(NudgedPointerPosition(before, readBack));
}

void SaverWindowBase::HidePointerAgain() {
    // Qt's Wayland plugin sends the pointer's image only when it differs from the last one it
    // recorded; a blank pointer recorded before the pointer first entered is then never sent,
    // and the compositor's arrow stays. Another shape first makes the blank one count as new.
    setCursor(Qt::ArrowCursor);
    setCursor(Qt::BlankCursor);
}

void SaverWindowBase::InputElsewhere() {
    // Input may also have come just before the window could see it: a key pressed as the saver
    // starts reaches the watcher, and the saver hears of it only once its window is up.
    if (m_hosted || (m_seesInput.isValid() && m_seesInput.elapsed() >= kInputSettleMs)) {
        return;
    }
    RequestClose();
}

void SaverWindowBase::RequestClose() {
    // Queued, never immediate: the close runs once the current event has been handled.
    QMetaObject::invokeMethod(this, &SaverWindowBase::OnCloseRequest, Qt::QueuedConnection);
}

void SaverWindowBase::OnCloseRequest() {
    // Several requests may be queued; only the first one closes. A retired window has been
    // replaced and goes without ending the run.
    if (m_retired || m_closeRequested) {
        return;
    }
    m_closeRequested = true;
    close();
}

void SaverWindowBase::Retire() {
    if (m_retired) {
        return;
    }
    m_retired = true;
    m_grabRetry.stop();
    deleteLater();
}

} // namespace chronivo
