#include "saver/device_pointer.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace chronivo {

namespace {

// The ratio of the screen under a logical position, or of the primary screen off every screen.
qreal RatioAt(QPoint logical) {
    const QScreen* screen = QGuiApplication::screenAt(logical);
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen != nullptr ? screen->devicePixelRatio() : 1.0;
}

} // namespace

QPoint ToDevicePixels(QPointF logical, qreal ratio) {
    return QPoint(static_cast<int>(std::lround(logical.x() * ratio)),
                  static_cast<int>(std::lround(logical.y() * ratio)));
}

QPoint DevicePointer::Position() {
    if (const std::optional<QPoint> native = NativePointerPosition()) {
        return *native;
    }
    const QPoint logical = QCursor::pos();
    return ToDevicePixels(logical, RatioAt(logical));
}

bool DevicePointer::MoveTo(QPoint devicePixels) {
    return NativePointerMoveTo(devicePixels);
}

} // namespace chronivo
