#include "idle/screen_saver_service.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace chronivo {

namespace {

const QString kScreenSaverName = QStringLiteral("org.freedesktop.ScreenSaver");

// Programs use either path.
const QString kScreenSaverPaths[] = {QStringLiteral("/org/freedesktop/ScreenSaver"),
                                     QStringLiteral("/ScreenSaver")};

} // namespace

ScreenSaverService::ScreenSaverService(QDBusConnection bus)
    : m_bus(std::move(bus)) {
    m_callers.setConnection(m_bus);
    m_callers.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(&m_callers, &QDBusServiceWatcher::serviceUnregistered, this,
            &ScreenSaverService::CallerGone);
}

ScreenSaverService::~ScreenSaverService() {
    if (m_registered) {
        for (const QString& path : kScreenSaverPaths) {
            m_bus.unregisterObject(path);
        }
        m_bus.unregisterService(kScreenSaverName);
    }
}

bool ScreenSaverService::Register() {
    if (!m_bus.registerService(kScreenSaverName)) {
        return false;
    }
    for (const QString& path : kScreenSaverPaths) {
        m_bus.registerObject(path, this, QDBusConnection::ExportAllSlots);
    }
    m_registered = true;
    return true;
}

uint ScreenSaverService::Inhibit(const QString& /*application*/, const QString& /*reason*/) {
    const QString caller = calledFromDBus() ? message().service() : QString();
    const uint cookie = m_nextCookie++;
    if (!caller.isEmpty()) {
        m_callers.addWatchedService(caller);
        // A caller that left before its name was watched (a call sent without waiting for the
        // answer, then gone) is never reported as leaving: asked now, after the watch is set, it
        // is either still here, and its leaving will be reported, or gone, and its request with it.
        const QDBusConnectionInterface* busDaemon = m_bus.interface();
        if (busDaemon != nullptr && !busDaemon->isServiceRegistered(caller).value()) {
            CallerGone(caller);
            return cookie;
        }
    }
    m_requests.emplace(cookie, caller);
    Q_EMIT Changed();
    return cookie;
}

void ScreenSaverService::UnInhibit(uint cookie) {
    const QString caller = calledFromDBus() ? message().service() : QString();
    const auto request = m_requests.find(cookie);
    if (request == m_requests.end() || request->second != caller) {
        return; // not a request of this caller's
    }
    m_requests.erase(request);
    Q_EMIT Changed();
}

void ScreenSaverService::CallerGone(const QString& caller) {
    m_callers.removeWatchedService(caller);
    const std::size_t before = m_requests.size();
    std::erase_if(m_requests, [&caller](const auto& request) { return request.second == caller; });
    if (m_requests.size() != before) {
        Q_EMIT Changed();
    }
}

} // namespace chronivo
