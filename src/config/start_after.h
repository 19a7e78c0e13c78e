#pragma once

#include "settings/settings_keys.h"
#include "watcher/desktop_blank.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace chronivo {

// "Start the saver after": the idle time the dialog offers, in minutes, from this to
// kStartAfterMaxMinutes.
inline constexpr int kStartAfterMinMinutes = 1;
// What the field shows while nothing (or 0, "off") is stored, unless the desktop's own blank
// comes sooner (FirstStartAfterMinutes).
inline constexpr int kStartAfterDefaultMinutes = 10;

// The largest whole minute, within the field's range, that comes before a desktop blank after
// `blankSeconds` (300 s: 4); none when the blank comes after 60 seconds or less.
std::optional<int> SoonerStartAfterMinutes(int blankSeconds);

// What the field first offers while no time is stored: the default, or the sooner time when the
// desktop blanks at or before the default (a desktop that blanks within a minute keeps the
// default; the note under the row explains).
int FirstStartAfterMinutes(const std::optional<DesktopBlank>& blank);

// The note under the row for a saver that starts after `minutes`: the desktop's blank comes no
// later, so the saver starts only if the blank does not come first; said more plainly when no
// time the field offers comes sooner. Empty when the saver comes first.
QString StartAfterNote(int minutes, const std::optional<DesktopBlank>& blank);

// The text of the button that takes the sooner time: "Use 4 minutes".
QString SoonerStartAfterText(int minutes);

// Where OK carries "Start the saver after" beyond the settings. On Linux: the XDG autostart entry
// that runs the idle watcher at each log-in, and the program started as this session's watcher
// (as `program --daemon`). On Windows: the screen saver that Windows' own timer starts, the
// program's path as it goes into the system's setting. An empty member leaves that part alone,
// which is what the dialog does unless it is told otherwise, so a dialog in a test touches none.
struct StartAfterPlaces {
    QString autostartEntry;
    QString watcherProgram;
    QString systemSaver = {};
};

// Linux: $XDG_CONFIG_HOME/autostart/chronivo-daemon.desktop, with `homeDir`/.config instead when
// `xdgConfigHome` is empty or relative (as the XDG rules say).
QString AutostartEntryPathFor(const QString& xdgConfigHome, const QString& homeDir);

// This session's places. On Linux: the entry for the environment's XDG_CONFIG_HOME and home
// folder, and the program now running. On Windows: the installed screen saver in the system
// folder when there is one, else the program now running.
StartAfterPlaces SessionStartAfterPlaces();

// Windows' own time, in minutes, when its screen saver is on and is `places.systemSaver` (0 when
// it is off or another saver is chosen), which the dialog shows instead of the stored setting:
// the system's setting is what counts there, and another program may have changed it. Nothing
// when `systemSaver` is empty, and nothing on Linux, where the stored setting is all there is.
std::optional<int> SystemStartAfter(const StartAfterPlaces& places);

// Linux: the autostart entry's text, a hidden application that runs `chronivo --daemon`, which
// reads the stored idle time itself.
QByteArray AutostartEntryText();

// Makes the session follow a StartAfter of `minutes` (0: off) that has just been stored. On Linux:
// writes the autostart entry (on) or removes it (off), then stops the session's running watcher,
// which may be waiting for an old idle time, and starts a fresh one when on. On Windows: sets the
// system's screen-saver time and makes `systemSaver` the user's saver (on), or turns the system's
// saver timer off (off). Returns what went wrong,
// one sentence each for the user; empty when everything went through.
QStringList ApplyStartAfter(int minutes, const StartAfterPlaces& places);

} // namespace chronivo
