#include "app/termination_signals.h"

#include <QSocketNotifier>

namespace chronivo {

// No POSIX signals here: a saver is ended through its windows, and no idle watcher of ours runs.
const int kInputElsewhereSignal = 0;

bool InstallTerminationHandlers() {
    return false;
}

bool InstallInputElsewhereHandler() {
    return false;
}

void IgnoreFileSizeSignal() {}

TerminationWatcher::TerminationWatcher() = default;
TerminationWatcher::~TerminationWatcher() = default;

void TerminationWatcher::OnReadable() {}

} // namespace chronivo
