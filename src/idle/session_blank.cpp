#include "idle/session_blank.h"

#include "display/x11_connect.h"

#include <xcb/dpms.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace chronivo {

namespace {

template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <class T>
Reply<T> Own(T* reply) {
    return Reply<T>(reply, &std::free);
}

} // namespace

std::optional<X11BlankTimes> ReadX11BlankTimes(const QString& display) {
    if (display.isEmpty()) {
        return std::nullopt;
    }
    const QByteArray name = display.toLocal8Bit();
    int screen = 0;
    std::string refusal;
    xcb_connection_t* connection = ConnectX11(name.constData(), &screen, &refusal);
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> owner(connection,
                                                                             &xcb_disconnect);
    if (xcb_connection_has_error(connection) != 0) {
        return std::nullopt;
    }
    const auto saver =
        Own(xcb_get_screen_saver_reply(connection, xcb_get_screen_saver(connection), nullptr));
    if (!saver) {
        return std::nullopt;
    }
    X11BlankTimes times;
    times.screenSaverTimeout = saver->timeout;
    const xcb_query_extension_reply_t* dpms = xcb_get_extension_data(connection, &xcb_dpms_id);
    if (dpms != nullptr && dpms->present != 0) {
        const auto info = Own(xcb_dpms_info_reply(connection, xcb_dpms_info(connection), nullptr));
        const auto timeouts = Own(
            xcb_dpms_get_timeouts_reply(connection, xcb_dpms_get_timeouts(connection), nullptr));
        if (info && info->state != 0 && timeouts) {
            times.dpmsEnabled = true;
            times.standby = timeouts->standby_timeout;
            times.suspend = timeouts->suspend_timeout;
            times.off = timeouts->off_timeout;
        }
    }
    return times;
}

std::optional<DesktopBlank> ReadDesktopBlank(const DesktopSession& session,
                                             const GsettingsGet& get) {
    std::vector<DesktopBlank> blanks =
        DesktopSettingsBlanks(DesktopKindOf(session.currentDesktop), session.configHome, get);
    if (const auto x11 = ReadX11BlankTimes(session.x11Display)) {
        for (DesktopBlank& blank : X11Blanks(*x11)) {
            blanks.push_back(std::move(blank));
        }
    }
    return SoonestBlank(blanks);
}

} // namespace chronivo
