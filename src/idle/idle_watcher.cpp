#include "idle/idle_watcher.h"

namespace chronivo {

WatchAction IdleWatcher::StartIfDue() {
    if (m_idle && !m_inhibited && !m_locked && !m_blanked && !m_showing) {
        m_showing = true;
        return WatchAction::StartSaver;
    }
    return WatchAction::None;
}

WatchAction IdleWatcher::On(WatchEvent event) {
    switch (event) {
    case WatchEvent::Idle:
        m_idle = true;
        return StartIfDue();
    case WatchEvent::Resumed:
        m_idle = false;
        return m_showing ? WatchAction::TellSaverOfInput : WatchAction::None;
    case WatchEvent::Inhibited:
        // A saver already on screen stays: whoever inhibits now cannot be seen behind it.
        m_inhibited = true;
        return WatchAction::None;
    case WatchEvent::Uninhibited:
        m_inhibited = false;
        return StartIfDue();
    case WatchEvent::Locked:
        // The desktop's lock screen comes first; the saver never draws over it.
        m_locked = true;
        break;
    case WatchEvent::Unlocked:
        // Whoever unlocked is at the keyboard: wait for the next idle time.
        m_locked = false;
        m_idle = false;
        return WatchAction::None;
    case WatchEvent::Blanked:
        // Nobody sees a saver behind a dark screen; it would only cost the processor.
        m_blanked = true;
        m_idle = false;
        break;
    case WatchEvent::Unblanked:
        // Whatever woke the screen, the saver waits for the next idle time.
        m_blanked = false;
        m_idle = false;
        return WatchAction::None;
    case WatchEvent::SaverGone:
        m_showing = false;
        m_idle = false;
        return WatchAction::None;
    }
    if (m_showing) {
        m_showing = false;
        return WatchAction::StopSaver;
    }
    return WatchAction::None;
}

const char* WatchEventName(WatchEvent event) {
    switch (event) {
    case WatchEvent::Idle:
        return "idle";
    case WatchEvent::Resumed:
        return "resumed";
    case WatchEvent::Inhibited:
        return "inhibited";
    case WatchEvent::Uninhibited:
        return "uninhibited";
    case WatchEvent::Locked:
        return "locked";
    case WatchEvent::Unlocked:
        return "unlocked";
    case WatchEvent::Blanked:
        return "blanked";
    case WatchEvent::Unblanked:
        return "unblanked";
    case WatchEvent::SaverGone:
        return "saver gone";
    }
    return "?";
}

const char* WatchActionName(WatchAction action) {
    switch (action) {
    case WatchAction::None:
        return "nothing";
    case WatchAction::StartSaver:
        return "start the saver";
    case WatchAction::StopSaver:
        return "stop the saver";
    case WatchAction::TellSaverOfInput:
        return "tell the saver";
    }
    return "?";
}

} // namespace chronivo
