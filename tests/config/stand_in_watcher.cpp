// Stands in for `chronivo --daemon` where the tests start and stop the session's idle watcher:
// takes the watcher's lock as the watcher does and holds it until SIGTERM, or for a minute at
// most, so a test that fails leaves nothing running. Any arguments but "--daemon" end it at once
// with code 2, without the lock.
#include "watcher/watcher_control.h"

#include <QCoreApplication>

#include <csignal>
#include <cstring>
#include <ctime>

int main(int argc, char** argv) {
    if (argc != 2 || std::strcmp(argv[1], "--daemon") != 0) {
        return 2;
    }
    // SIGTERM is waited for, not caught, so the lock is released on the way out.
    sigset_t terminate;
    sigemptyset(&terminate);
    sigaddset(&terminate, SIGTERM);
    sigprocmask(SIG_BLOCK, &terminate, nullptr);
    const QCoreApplication app(argc, argv);
    const chronivo::SessionWatcherLock lock = chronivo::TakeSessionWatcherLock();
    if (!lock.attempt.taken) {
        return 1;
    }
    const timespec most{60, 0};
    sigtimedwait(&terminate, nullptr, &most);
    return 0;
}
