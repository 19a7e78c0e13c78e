#pragma once

namespace chronivo {

// What the idle watcher hears from the session: its idle source, its inhibitor and lock sources,
// and the saver it started.
enum class WatchEvent {
    Idle,        // no input for the chosen time
    Resumed,     // input again after Idle
    Inhibited,   // a program asks that no saver start (a video player, a presentation)
    Uninhibited, // no such request is left
    Locked,      // the session is locked
    Unlocked,    // and no longer
    SaverGone,   // the saver process ended by itself (the user's input closed it, or it failed)
};

// What the watcher does about it.
enum class WatchAction {
    None,
    StartSaver,
    StopSaver,
};

// The idle watcher's states, apart from any source: the saver runs while the session is idle,
// nothing inhibits it and the session is not locked. It never starts over a locked session, and
// a saver that ended by itself is not started again before the session has been active and idle
// anew, so a saver that fails at once is not restarted in a loop.
class IdleWatcher {
public:
    WatchAction On(WatchEvent event);

    bool Showing() const { return m_showing; }
    bool IdleNow() const { return m_idle; }
    bool InhibitedNow() const { return m_inhibited; }
    bool LockedNow() const { return m_locked; }

private:
    // StartSaver when the saver should run and does not yet.
    WatchAction StartIfDue();

    bool m_idle = false;
    bool m_inhibited = false;
    bool m_locked = false;
    bool m_showing = false;
};

// The event's and the action's names, for the watcher's log.
const char* WatchEventName(WatchEvent event);
const char* WatchActionName(WatchAction action);

} // namespace chronivo
