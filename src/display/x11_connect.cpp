#include "display/x11_connect.h"

#include <xcb/xcb.h>

#include <cstdio>
#include <unistd.h>

namespace chronivo {

namespace {

// Standard error sent to a temporary file for a moment, and what was written there meanwhile.
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

xcb_connection_t* ConnectX11(const char* display, int* screen, std::string* refusal) {
    StandardErrorCatch caught;
    xcb_connection_t* connection = xcb_connect(display, screen);
    *refusal = caught.Finish();
    return connection;
}

xcb_screen_t* X11Screen(xcb_connection_t* connection, int number) {
    if (xcb_connection_has_error(connection) != 0) {
        return nullptr;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < number && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    return screens.rem > 0 ? screens.data : nullptr;
}

} // namespace chronivo
