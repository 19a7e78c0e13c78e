#include "saver/device_pointer.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace chronivo {

namespace {

// Qt's own connection to the X server, or null on any other platform (Wayland, offscreen).
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

// Where the X server has the pointer; nothing when Qt is not on X11 or the server does not answer.
std::optional<X11Pointer> QueryX11Pointer() {
    xcb_connection_t* connection = X11Connection();
    if (connection == nullptr) {
        return std::nullopt;
    }
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

} // namespace

std::optional<QPoint> NativePointerPosition() {
    if (const auto pointer = QueryX11Pointer()) {
        return pointer->position;
    }
    return std::nullopt;
}

bool NativePointerMoveTo(QPoint devicePixels) {
    const auto pointer = QueryX11Pointer();
    if (!pointer) {
        return false;
    }
    // X11 coordinates are 16-bit; the server keeps the pointer on its screens.
    xcb_connection_t* connection = X11Connection();
    xcb_warp_pointer(connection, XCB_NONE, pointer->root, 0, 0, 0, 0,
                     static_cast<std::int16_t>(std::clamp(devicePixels.x(), -32768, 32767)),
                     static_cast<std::int16_t>(std::clamp(devicePixels.y(), -32768, 32767)));
    xcb_flush(connection);
    return true;
}

} // namespace chronivo
