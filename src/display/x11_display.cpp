#include "display/x11_display.h"

#include "display/x11_connect.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace chronivo {

struct X11Display::Connection {
    xcb_connection_t* xcb = nullptr;
    ~Connection() { xcb_disconnect(xcb); }
};

std::unique_ptr<X11Display> X11Display::Open(const std::string& name, std::string* error) {
    int screenNumber = 0;
    auto connection = std::make_unique<Connection>();
    // xcb_connect never returns null: a failed connection is an object in an error state, and
    // must be disconnected all the same.
    std::string refusal;
    connection->xcb = ConnectX11(name.c_str(), &screenNumber, &refusal);
    if (xcb_connection_has_error(connection->xcb) != 0) {
        *error = "cannot connect to the X display \"" + name + "\"";
        if (!refusal.empty()) {
            *error += ", which answers \"" + refusal + "\"";
        }
        return nullptr;
    }
    const xcb_screen_t* screen = X11Screen(connection->xcb, screenNumber);
    if (screen == nullptr) {
        *error = "the X display \"" + name + "\" has no screen " + std::to_string(screenNumber);
        return nullptr;
    }
    const std::uint32_t root = screen->root;
    return std::unique_ptr<X11Display>(new X11Display(std::move(connection), root));
}

std::optional<QSize> X11Display::WindowSize(std::uint32_t id) const {
    xcb_connection_t* c = m_connection->xcb;
    // Both requests go out before either answer is awaited: one round trip.
    const xcb_get_window_attributes_cookie_t attributesCookie = xcb_get_window_attributes(c, id);
    const xcb_get_geometry_cookie_t geometryCookie = xcb_get_geometry(c, id);
    xcb_generic_error_t* attributesError = nullptr;
    xcb_generic_error_t* geometryError = nullptr;
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(c, attributesCookie, &attributesError);
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, geometryCookie, &geometryError);
    std::optional<QSize> size;
    // Only a window has attributes; a geometry alone could be a pixmap's.
    if (attributes != nullptr && geometry != nullptr) {
        size = QSize(geometry->width, geometry->height);
    }
    std::free(attributes);
    std::free(geometry);
    std::free(attributesError);
    std::free(geometryError);
    return size;
}

X11Display::X11Display(std::unique_ptr<Connection> connection, std::uint32_t root)
    : m_connection(std::move(connection))
    , m_root(root) {}

X11Display::~X11Display() = default;

} // namespace chronivo
