#pragma once

#include <QObject>

namespace chronivo {

// Where the watcher learns that the session has been idle: one of the ways a desktop tells it
// (a Wayland protocol, a D-Bus idle monitor, the X11 screen-saver extension), turned into
// signals.
class IdleSource : public QObject {
    Q_OBJECT
public:
    // The source's name, for the watcher's log.
    virtual const char* Name() const = 0;
    // What the source listens to once started ("the X display :1"), for the line that says it is
    // gone.
    virtual QString Provider() const = 0;

    // Starts watching for `idleMs` milliseconds without input. False, with nothing started, when
    // the session does not offer this source.
    virtual bool Start(int idleMs) = 0;

Q_SIGNALS:
    // No input for the chosen time.
    void Idle();
    // Input again after Idle.
    void Resumed();
    // The display, the compositor or the monitor has gone: nothing more will come, and the session
    // it served has most likely ended.
    void Lost();
};

} // namespace chronivo
