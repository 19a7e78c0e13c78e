#include "app/termination_signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <initializer_list>

#include <fcntl.h>
#include <unistd.h>

namespace chronivo {

const int kInputElsewhereSignal = SIGUSR1;

namespace {

// Read end [0] and write end [1] of the self-pipe; -1 until the handlers are installed.
int s_signalPipe[2] = {-1, -1};

extern "C" void OnTerminationSignal(int signalNumber) {
    // Only async-signal-safe calls here; errno is kept for the code the signal interrupted.
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // A full pipe already holds a signal that will be reported, so a failed write loses nothing.
    [[maybe_unused]] const ssize_t written = write(s_signalPipe[1], &byte, 1);
    errno = savedErrno;
}

// Makes the self-pipe once and sends `signals` to its handler; false when either fails.
bool InstallPipeHandlers(std::initializer_list<int> signals) {
    if (s_signalPipe[0] < 0) {
        int ends[2] = {-1, -1};
        if (pipe(ends) != 0) {
            return false;
        }
        for (const int fd : ends) {
            // Not handed to programs we might start; never blocking the handler or the reader.
            fcntl(fd, F_SETFD, FD_CLOEXEC);
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        }
        s_signalPipe[0] = ends[0];
        s_signalPipe[1] = ends[1];
    }
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls resume, so no code of Qt's sees EINTR because of us.
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : signals) {
        if (sigaction(signalNumber, &action, nullptr) != 0) {
            return false;
        }
    }
    return true;
}

} // namespace

void IgnoreFileSizeSignal() {
    std::signal(SIGXFSZ, SIG_IGN);
}

bool InstallTerminationHandlers() {
    return InstallPipeHandlers({SIGTERM, SIGINT});
}

bool InstallInputElsewhereHandler() {
    return InstallPipeHandlers({kInputElsewhereSignal});
}

TerminationWatcher::TerminationWatcher() {
    if (s_signalPipe[0] < 0) {
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(s_signalPipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationWatcher::OnReadable);
}

TerminationWatcher::~TerminationWatcher() = default;

void TerminationWatcher::OnReadable() {
    unsigned char byte = 0;
    // Every signal that came is reported once, in order.
    while (read(s_signalPipe[0], &byte, 1) == 1) {
        Q_EMIT Received(byte);
    }
}

} // namespace chronivo
