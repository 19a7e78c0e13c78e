#pragma once

#include "idle/idle_watcher.h"

#include <QDBusConnection>
#include <QProcess>
#include <QString>

#include <functional>

namespace chronivo {

// The saver the idle watcher runs as a child process ("chronivo /s" of this process's own
// program), started and ended as the watcher's states say.
class SaverProcess {
public:
    using Log = std::function<void(const QString& line)>;

    // `bus` is the session bus (GNOME's overview is closed through it before the saver starts);
    // `inputSignal` is the signal that tells a running saver of input it cannot see; `log` gets
    // each event with what came of it.
    SaverProcess(QDBusConnection bus, int inputSignal, Log log);
    SaverProcess(const SaverProcess&) = delete;
    SaverProcess& operator=(const SaverProcess&) = delete;

    // Hands `event` to the watcher's states and does what they say: start the saver, ask it to
    // end, or tell it of input.
    void Handle(WatchEvent event);

    // Ends a saver still running: asked first, killed when it takes longer than three seconds.
    void End();

private:
    QDBusConnection m_bus;
    int m_inputSignal;
    Log m_log;
    IdleWatcher m_watcher;
    QProcess m_saver;
};

} // namespace chronivo
