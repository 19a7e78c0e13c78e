#include "saver/device_pointer.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>

#ifdef CHRONIVO_HAVE_XCB
#include <xcb/xcb.h>
#endif

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

#ifdef CHRONIVO_HAVE_XCB
// Qt's own connection to the X server, or null on any other platform.
xcb_connection_t* X11Connection() {
    if (qGuiApp == nullptr) {
        return nullptr;
    }
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

struct X11Pointer {
    xcb_window_t root = XCB_NONE; // the root window of the screen the pointer is on
    QPoint position;              // on that root window, device pixels
};

// Where the X server has the pointer; nothing when it does not answer.
std::optional<X11Pointer> QueryX11Pointer(xcb_connection_t* connection) {
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    if (screens.rem <= 0 || screens.data == nullptr) {
        return std::nullopt;
    }
    xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(
        connection, xcb_query_pointer(connection, screens.data->root), nullptr);
    if (reply == nullptr) {
        return std::nullopt;
    }
    const X11Pointer pointer{reply->root, QPoint(reply->root_x, reply->root_y)};
    std::free(reply);
    return pointer;
}
#endif

} // namespace

QPoint ToDevicePixels(QPointF logical, qreal ratio) {
    return QPoint(static_cast<int>(std::lround(logical.x() * ratio)),
                  static_cast<int>(std::lround(logical.y() * ratio)));
}

QPoint DevicePointer::Position() {
#ifdef CHRONIVO_HAVE_XCB
    if (xcb_connection_t* connection = X11Connection()) {
        if (const auto pointer = QueryX11Pointer(connection)) {
            return pointer->position;
        }
    }
#endif
    const QPoint logical = QCursor::pos();
    return ToDevicePixels(logical, RatioAt(logical));
}

bool DevicePointer::MoveTo(QPoint devicePixels) {
#ifdef CHRONIVO_HAVE_XCB
    if (xcb_connection_t* connection = X11Connection()) {
        if (const auto pointer = QueryX11Pointer(connection)) {
            // X11 coordinates are 16-bit; the server keeps the pointer on its screens.
            xcb_warp_pointer(
                connection, XCB_NONE, pointer->root, 0, 0, 0, 0,
                static_cast<std::int16_t>(std::clamp(devicePixels.x(), -32768, 32767)),
                static_cast<std::int16_t>(std::clamp(devicePixels.y(), -32768, 32767)));
            xcb_flush(connection);
            return true;
        }
    }
#else
    (void)devicePixels;
#endif
    return false;
}

} // namespace chronivo
