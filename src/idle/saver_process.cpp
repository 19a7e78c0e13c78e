#include "idle/saver_process.h"

#include "idle/overview.h"

#include <QCoreApplication>

#include <csignal>

namespace chronivo {

namespace {

// How long a saver that was asked to end may take before it is killed, milliseconds.
constexpr int kSaverEndMs = 3000;

} // namespace

SaverProcess::SaverProcess(QDBusConnection bus, int inputSignal, Log log)
    : m_bus(std::move(bus))
    , m_inputSignal(inputSignal)
    , m_log(std::move(log)) {
    m_saver.setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(&m_saver, &QProcess::finished, [this] {
        if (m_watcher.Showing()) {
            Handle(WatchEvent::SaverGone);
        }
    });
    QObject::connect(&m_saver, &QProcess::errorOccurred, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart && m_watcher.Showing()) {
            Handle(WatchEvent::SaverGone);
        }
    });
}

void SaverProcess::Handle(WatchEvent event) {
    const WatchAction action = m_watcher.On(event);
    m_log(QStringLiteral("%1: %2").arg(QString::fromLatin1(WatchEventName(event)),
                                       QString::fromLatin1(WatchActionName(action))));
    if (action == WatchAction::StartSaver) {
        // GNOME's overview would take the saver's window in as a small picture.
        if (LeaveOverview(m_bus)) {
            m_log(QStringLiteral("closed GNOME's Activities overview for the saver"));
        }
        m_saver.start(QCoreApplication::applicationFilePath(), {QStringLiteral("/s")});
    } else if (action == WatchAction::StopSaver) {
        m_saver.terminate();
    } else if (action == WatchAction::TellSaverOfInput && m_saver.processId() > 0) {
        ::kill(static_cast<pid_t>(m_saver.processId()), m_inputSignal);
    }
}

void SaverProcess::End() {
    if (m_saver.state() != QProcess::NotRunning) {
        m_saver.terminate();
        if (!m_saver.waitForFinished(kSaverEndMs)) {
            m_saver.kill();
            m_saver.waitForFinished(kSaverEndMs);
        }
    }
}

} // namespace chronivo
