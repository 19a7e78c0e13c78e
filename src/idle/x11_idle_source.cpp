#include "idle/x11_idle_source.h"

#include "display/x11_connect.h"

#include <xcb/screensaver.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace chronivo {

namespace {

// How often the server's idle time is asked for, milliseconds.
constexpr int kPollMs = 1000;

} // namespace

IdleCrossing CrossingOf(bool wasIdle, std::uint32_t msSinceInput, int idleMs) {
    const bool idle = static_cast<std::int64_t>(msSinceInput) >= idleMs;
    if (idle == wasIdle) {
        return IdleCrossing::None;
    }
    return idle ? IdleCrossing::Idle : IdleCrossing::Resumed;
}

X11IdleSource::X11IdleSource() {
    m_timer.setInterval(kPollMs);
    connect(&m_timer, &QTimer::timeout, this, &X11IdleSource::Poll);
}

X11IdleSource::~X11IdleSource() {
    if (m_connection != nullptr) {
        xcb_disconnect(m_connection);
    }
}

QString X11IdleSource::Provider() const {
    return QStringLiteral("the X display %1").arg(m_display);
}

bool X11IdleSource::Start(int idleMs) {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        return false;
    }
    int screenNumber = 0;
    // A server that refuses us is a source that is not there: the watcher's own line names the
    // display when no source is found, so libxcb's line about it is not wanted.
    std::string refusal;
    xcb_connection_t* connection = ConnectX11(display, &screenNumber, &refusal);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return false;
    }
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(connection, &xcb_screensaver_id);
    const xcb_screen_t* screen = X11Screen(connection, screenNumber);
    if (extension == nullptr || extension->present == 0 || screen == nullptr) {
        xcb_disconnect(connection);
        return false;
    }
    m_display = QString::fromLocal8Bit(display);
    m_connection = connection;
    m_root = screen->root;
    m_idleMs = idleMs;
    m_idle = false;
    m_timer.start();
    return true;
}

void X11IdleSource::Poll() {
    xcb_screensaver_query_info_reply_t* info = xcb_screensaver_query_info_reply(
        m_connection, xcb_screensaver_query_info(m_connection, m_root), nullptr);
    if (info == nullptr) {
        if (xcb_connection_has_error(m_connection) != 0) {
            // The server has ended (or dropped us): no answer will come again.
            m_timer.stop();
            Q_EMIT Lost();
        }
        return; // otherwise asked again at the next poll
    }
    const std::uint32_t msSinceInput = info->ms_since_user_input;
    std::free(info);
    switch (CrossingOf(m_idle, msSinceInput, m_idleMs)) {
    case IdleCrossing::Idle:
        m_idle = true;
        Q_EMIT Idle();
        break;
    case IdleCrossing::Resumed:
        m_idle = false;
        Q_EMIT Resumed();
        break;
    case IdleCrossing::None:
        break;
    }
}

} // namespace chronivo
