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
    Blanked,     // the desktop has blanked the screen (its own screen saver, the display off)
    Unblanked,   // the screen shows again
    SaverGone,   // the saver process ended by itself (the user's input closed it, or it failed)
};

// What the watcher does about it.
enum class WatchAction {
    None,
    StartSaver,
    StopSaver,
    // Input came while the saver shows. The saver's own exit rules decide about the input it
    // sees (a nudge of a pixel or two keeps it); it is told so that it ends when the input went
    // where it cannot see it (a key while another window has the keyboard).
    TellSaverOfInput,
};

// The idle watcher's states, apart from any source: the saver runs while the session is idle,
// nothing inhibits it, the session is not locked and the desktop has not blanked the screen. It
// never starts over a locked session or behind a dark screen, and a saver that ended by itself,
// or that the desktop's blank ended, is not started again before the session has been active and
// idle anew, so a saver that fails at once is not restarted in a loop. Input ends the saver only
// through the saver's own exit rules.
class IdleWatcher {
public:
    WatchAction On(WatchEvent event);

    bool Showing() const { return m_showing; }

private:
    // StartSaver when the saver should run and does not yet.
    WatchAction StartIfDue();

    bool m_idle = false;
    bool m_inhibited = false;
    bool m_locked = false;
    bool m_blanked = false;
    bool m_showing = false;
};

// The event's and the action's names, for the watcher's log.
const char* WatchEventName(WatchEvent event);
const char* WatchActionName(WatchAction action);

} // namespace chronivo
