#include "app/x11_display.h"

#include <cstdlib>

#ifdef CHRONIVO_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdio>
#include <unistd.h>
#endif

namespace chronivo {

#ifdef CHRONIVO_HAVE_XCB

namespace {

// libxcb writes an X server's reason for refusing a client (a missing cookie, too many clients)
// straight to standard error, where it would stand as a line of its own. It is caught here, to
// be told within our one line instead. Only for a moment while nothing else writes there.
class StandardErrorCatch {
public:
    StandardErrorCatch() {
        std::fflush(stderr);
        m_file = std::tmpfile();
        m_saved = m_file != nullptr ? dup(STDERR_FILENO) : -1;
        if (m_saved >= 0) {
            dup2(fileno(m_file), STDERR_FILENO);
        }
    }
    ~StandardErrorCatch() { Finish(); }

    StandardErrorCatch(const StandardErrorCatch&) = delete;
    StandardErrorCatch& operator=(const StandardErrorCatch&) = delete;

    // Puts standard error back and returns what was written meanwhile, on one line.
    std::string Finish() {
        std::string text;
        if (m_saved >= 0) {
            std::fflush(stderr);
            dup2(m_saved, STDERR_FILENO);
            close(m_saved);
            m_saved = -1;
            std::rewind(m_file);
            char buffer[256];
            std::size_t n = 0;
            while ((n = std::fread(buffer, 1, sizeof buffer, m_file)) > 0 && text.size() < 1024) {
                text.append(buffer, n);
            }
        }
        if (m_file != nullptr) {
            std::fclose(m_file);
            m_file = nullptr;
        }
        for (char& c : text) {
            if (c == '\n' || c == '\r' || c == '\t') {
                c = ' ';
            }
        }
        const std::size_t end = text.find_last_not_of(' ');
        return end == std::string::npos ? std::string() : text.substr(0, end + 1);
    }

private:
    std::FILE* m_file = nullptr;
    int m_saved = -1;
};

} // namespace

struct X11Display::Connection {
    xcb_connection_t* xcb = nullptr;
    ~Connection() { xcb_disconnect(xcb); }
};

std::unique_ptr<X11Display> X11Display::Open(const std::string& name, std::string* error) {
    int screenNumber = 0;
    auto connection = std::make_unique<Connection>();
    // xcb_connect never returns null: a failed connection is an object in an error state, and
    // must be disconnected all the same.
    StandardErrorCatch serverReason;
    connection->xcb = xcb_connect(name.c_str(), &screenNumber);
    const std::string reason = serverReason.Finish();
    if (xcb_connection_has_error(connection->xcb) != 0) {
        *error = "cannot connect to the X display \"" + name + "\"";
        if (!reason.empty()) {
            *error += ", which answers \"" + reason + "\"";
        }
        return nullptr;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection->xcb));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    if (screens.rem <= 0 || screens.data == nullptr) {
        *error = "the X display \"" + name + "\" has no screen " + std::to_string(screenNumber);
        return nullptr;
    }
    const std::uint32_t root = screens.data->root;
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

#else // no X11

struct X11Display::Connection {};

std::unique_ptr<X11Display> X11Display::Open(const std::string& /*name*/, std::string* error) {
    *error = "this build of chronivo has no X11 support, which drawing into a window needs";
    return nullptr;
}

std::optional<QSize> X11Display::WindowSize(std::uint32_t /*id*/) const {
    return std::nullopt;
}

#endif

X11Display::X11Display(std::unique_ptr<Connection> connection, std::uint32_t root)
    : m_connection(std::move(connection))
    , m_root(root) {}

X11Display::~X11Display() = default;

} // namespace chronivo
