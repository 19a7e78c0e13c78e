#pragma once

#include <QObject>

#include <csignal>

#include <memory>

class QSocketNotifier;

namespace chronivo {

// Turns SIGTERM and SIGINT into an ordinary event, so that a saver run by a host ends through
// its event loop (windows closed, objects deleted, exit code 0) instead of dying in a signal.
//
// InstallTerminationHandlers() sets the handlers; a signal that comes before a watcher exists is
// kept and reported by the first watcher as soon as the event loop runs. The handler only writes
// the signal's number to a pipe (the self-pipe pattern), which is all a handler may safely do.
// POSIX only; elsewhere installing fails. One implementation per platform, chosen by the build.
bool InstallTerminationHandlers();

// The signal by which the idle watcher tells the saver it started that the desktop saw input
// (see SaverApp::InputElsewhere). Its handler reports it through the same pipe.
extern const int kInputElsewhereSignal;
bool InstallInputElsewhereHandler();

// A write past the file-size limit then fails with EFBIG, which the writer reports, instead of
// the signal killing the process with a file half written. Nothing where there is no such signal.
void IgnoreFileSizeSignal();

// Reports the signals caught by the handlers, from the event loop. At most one watcher at a time.
class TerminationWatcher : public QObject {
    Q_OBJECT
public:
    TerminationWatcher();
    ~TerminationWatcher() override;

    // Whether the handlers are in place and the watcher listens.
    bool IsWatching() const { return m_notifier != nullptr; }

Q_SIGNALS:
    // SIGTERM, SIGINT or kInputElsewhereSignal arrived (those whose handlers are installed);
    // `signalNumber` says which.
    void Received(int signalNumber);

private:
    void OnReadable();

    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace chronivo
