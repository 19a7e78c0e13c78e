#include "idle/blank_watch.h"

#include "display/x11_connect.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>

#include <xcb/dpms.h>
#include <xcb/screensaver.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <string>

namespace chronivo {

namespace {

// How often the X server is asked whether it has blanked the screen, milliseconds.
constexpr int kX11PollMs = 1000;

// A desktop's screen-saver service: its bus name, which is also its interface, and its object.
struct ScreenSaverService {
    const char* name;
    const char* path;
};

constexpr ScreenSaverService kScreenSavers[] = {
    {"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver"},
    {"org.mate.ScreenSaver", "/org/mate/ScreenSaver"},
    {"org.cinnamon.ScreenSaver", "/org/cinnamon/ScreenSaver"},
    {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver"},
};

const QString kFreedesktopName = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kDisplayConfig = QStringLiteral("org.gnome.Mutter.DisplayConfig");
const QString kDisplayConfigPath = QStringLiteral("/org/gnome/Mutter/DisplayConfig");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

} // namespace

BlankWatch::BlankWatch(QDBusConnection bus)
    : m_bus(std::move(bus)) {
    m_x11Poll.setInterval(kX11PollMs);
    connect(&m_x11Poll, &QTimer::timeout, this, &BlankWatch::PollX11);
}

BlankWatch::~BlankWatch() {
    if (m_x11 != nullptr) {
        xcb_disconnect(m_x11);
    }
}

void BlankWatch::Start(bool ownFreedesktopService) {
    QDBusConnectionInterface* names = m_bus.isConnected() ? m_bus.interface() : nullptr;
    for (const ScreenSaverService& service : kScreenSavers) {
        const QString name = QString::fromLatin1(service.name);
        if (names == nullptr || (ownFreedesktopService && name == kFreedesktopName)) {
            continue;
        }
        const QString path = QString::fromLatin1(service.path);
        // Listen before asking, so that no change can come in between. The signal is followed
        // whoever owns the name, now or later.
        m_bus.connect(name, path, name, QStringLiteral("ActiveChanged"), this,
                      SLOT(OnActiveChanged(QDBusMessage)));
        if (names->isServiceRegistered(name).value()) {
            const QDBusReply<bool> active = m_bus.call(
                QDBusMessage::createMethodCall(name, path, name, QStringLiteral("GetActive")),
                QDBus::Block, 1000);
            if (active.isValid()) {
                Set(name, active.value());
            }
        }
    }
    if (names != nullptr) {
        m_bus.connect(kDisplayConfig, kDisplayConfigPath, kProperties,
                      QStringLiteral("PropertiesChanged"), this,
                      SLOT(OnDisplayConfigChanged(QDBusMessage)));
        if (names->isServiceRegistered(kDisplayConfig).value()) {
            QDBusMessage get = QDBusMessage::createMethodCall(kDisplayConfig, kDisplayConfigPath,
                                                              kProperties, QStringLiteral("Get"));
            get << kDisplayConfig << QStringLiteral("PowerSaveMode");
            const QDBusReply<QDBusVariant> mode = m_bus.call(get, QDBus::Block, 1000);
            if (mode.isValid()) {
                Set(kDisplayConfig, PowerSaveModeIsDark(mode.value().variant().toInt()));
            }
        }
    }
    StartX11();
}

void BlankWatch::OnActiveChanged(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (!arguments.isEmpty()) {
        // The interface names the desktop's service, whichever of them sent it.
        Set(message.interface(), arguments.front().toBool());
    }
}

void BlankWatch::OnDisplayConfigChanged(const QDBusMessage& message) {
    // PropertiesChanged(interface, changed properties, invalidated names).
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2 || arguments[0].toString() != kDisplayConfig) {
        return;
    }
    const QVariantMap changed = qdbus_cast<QVariantMap>(arguments[1]);
    const auto mode = changed.constFind(QStringLiteral("PowerSaveMode"));
    if (mode != changed.constEnd()) {
        Set(kDisplayConfig, PowerSaveModeIsDark(mode->toInt()));
    }
}

void BlankWatch::Set(const QString& source, bool dark) {
    m_dark[source] = dark;
    bool blanked = false;
    for (const auto& [name, isDark] : m_dark) {
        blanked = blanked || isDark;
    }
    if (blanked != m_blanked) {
        m_blanked = blanked;
        Q_EMIT Changed(blanked);
    }
}

void BlankWatch::StartX11() {
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (display == nullptr || *display == '\0' || (wayland != nullptr && *wayland != '\0')) {
        return;
    }
    int screenNumber = 0;
    std::string refusal;
    xcb_connection_t* connection = ConnectX11(display, &screenNumber, &refusal);
    const xcb_screen_t* screen = X11Screen(connection, screenNumber);
    if (screen == nullptr) {
        xcb_disconnect(connection);
        return;
    }
    const xcb_query_extension_reply_t* saver =
        xcb_get_extension_data(connection, &xcb_screensaver_id);
    const xcb_query_extension_reply_t* dpms = xcb_get_extension_data(connection, &xcb_dpms_id);
    m_x11ScreenSaver = saver != nullptr && saver->present != 0;
    m_x11Dpms = dpms != nullptr && dpms->present != 0;
    if (!m_x11ScreenSaver && !m_x11Dpms) {
        xcb_disconnect(connection);
        return;
    }
    m_x11 = connection;
    m_root = screen->root;
    m_x11Poll.start();
    PollX11();
}

void BlankWatch::PollX11() {
    bool dark = false;
    if (m_x11ScreenSaver) {
        xcb_screensaver_query_info_reply_t* info = xcb_screensaver_query_info_reply(
            m_x11, xcb_screensaver_query_info(m_x11, m_root), nullptr);
        if (info != nullptr) {
            dark = info->state == XCB_SCREENSAVER_STATE_ON;
            std::free(info);
        }
    }
    if (m_x11Dpms) {
        xcb_dpms_info_reply_t* info = xcb_dpms_info_reply(m_x11, xcb_dpms_info(m_x11), nullptr);
        if (info != nullptr) {
            dark = dark || (info->state != 0 && info->power_level != XCB_DPMS_DPMS_MODE_ON);
            std::free(info);
        }
    }
    if (xcb_connection_has_error(m_x11) != 0) {
        // The display has gone; the idle source says so to the watcher.
        m_x11Poll.stop();
        return;
    }
    Set(QStringLiteral("X11"), dark);
}

} // namespace chronivo
