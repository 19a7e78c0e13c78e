#include "saver/screen_cover.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace chronivo {

ScreenCover::ScreenCover() {
    // Black is painted over the whole window on every paint; nothing is erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    // The saver window keeps the focus and the grabs.
    setAttribute(Qt::WA_ShowWithoutActivating);
}

ScreenCover::~ScreenCover() = default;

bool ScreenCover::CreateOnScreen(QScreen& screen) {
    setWindowTitle(QString());
    if (OnWayland()) {
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

void ScreenCover::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::black);
}

} // namespace chronivo
