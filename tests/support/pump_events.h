#pragma once

#include <QCoreApplication>
#include <QEvent>

namespace chronivo::test {

// Lets Qt handle what is pending: `rounds` passes (1..) of processing events and sending posted
// ones, then the deferred deletions, so windows closed so far are gone.
inline void PumpEvents(int rounds = 3) {
    for (int i = 0; i < rounds; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace chronivo::test
