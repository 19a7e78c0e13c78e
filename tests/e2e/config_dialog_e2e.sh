#!/usr/bin/env bash
# The settings dialog of the chronivo binary on its own Xvfb: `chronivo /c` shows it, keys
# typed into it change the settings, OK (Return) stores them in the settings file, writes the
# idle watcher's autostart entry and starts the watcher, and the program ends with exit code 0. Optionally saves a screenshot of the dialog as it opened.
# Then, with the X server set to blank the screen after 5 minutes and 10 minutes stored, the
# dialog grows by the note that says so; optionally saved as a second screenshot.
# Usage: config_dialog_e2e.sh PATH-TO-CHRONIVO [SCREENSHOT.png [SCREENSHOT-WITH-NOTE.png]]
set -euo pipefail
# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"

if ! command -v xset >/dev/null 2>&1; then
    echo "skipped: xset is not installed (scripts/install-deps.sh installs it)"
    exit "$SKIP"
fi

CHRONIVO=$1
SHOT=${2-}
BLANK_SHOT=${3-}

start_x
start_app /c

wait_for_dialog
settle

# The dialog is drawn: its picture has many colours, not one flat fill.
picture="$E2E_TMP/dialog.png"
import -window "$DIALOG_WINDOW" "$picture"
colours=$(convert "$picture" -format '%k' info:)
[ "$colours" -gt 8 ] || fail "the dialog shows only $colours colours"
if [ -n "$SHOT" ]; then
    cp "$picture" "$SHOT"
fi
plain_size=$(window_geometry "$DIALOG_WINDOW" | cut -d+ -f1)

# OK starts the session's idle watcher below; it is ended on the way out, whatever happens.
lock="$XDG_RUNTIME_DIR/chronivo-daemon-$(id -u).lock"
stop_watcher() {
    local pid
    pid=$(head -n1 "$lock" 2>/dev/null || true)
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
    fi
}
trap 'stop_watcher; cleanup' EXIT

# The focus starts on OK. With nothing stored the target controls are off, so Tab reaches the
# mode list next: four steps down is "Target Date (Far)". Then "24 Hour time" on, past
# "Show seconds", "World time" and the slider (ten steps right: 1010, stored as 1200),
# "Rainbow color" on, and "Start the saver after" on with 25 typed into its minutes field.
# Return presses the default button, OK.
xdotool key --delay 50 Tab Down Down Down Down Tab space Tab Tab Tab
for _ in 1 2 3 4 5 6 7 8 9 10; do
    xdotool key --delay 20 Right
done
xdotool key --delay 50 Tab space Tab space Tab ctrl+a 2 5 Return
expect_exit 0

ini="$XDG_CONFIG_HOME/Velstrand/Utilities/Chronivo.conf"
[ -f "$ini" ] || fail "no settings file at $ini"
# Prints the value of a key of the [ScreenSaver] group.
value() {
    awk -F= -v key="$1" '
        /^\[/ { group = $0 }
        group == "[ScreenSaver]" && $1 == key { sub(/^[^=]*=/, ""); print; exit }' "$ini"
}
expect_value() {
    local got
    got=$(value "$1")
    [ "$got" = "$2" ] || fail "$1 is '$got', expected '$2' in $(cat "$ini")"
}
expect_value Option 4
expect_value 24Hour 1
expect_value ShowSec 0
expect_value WorldTime 0
expect_value Speed 1200
expect_value Rainbow 1
# The target is the moment the dialog opened; mode 4 stores the Year box, the present year.
for key in Year Month Day Hour Minute Second; do
    [[ "$(value "$key")" =~ ^[0-9]+$ ]] || fail "$key is '$(value "$key")'"
done
[ "$(value Month)" -ge 1 ] && [ "$(value Month)" -le 12 ] || fail "Month $(value Month)"
grep -q '^Title=' "$ini" || fail "no Title in $(cat "$ini")"
[ -z "$(value WTcount)" ] || fail "world-time entries were stored with world time off"
expect_value StartAfter 25

# The saver starts by itself from now on: at each log-in through the autostart entry, and in
# this session through the watcher OK started, which holds the session's lock.
entry="$XDG_CONFIG_HOME/autostart/chronivo-daemon.desktop"
grep -qx 'Exec=chronivo --daemon' "$entry" || fail "no autostart entry at $entry"
wait_until "the watcher OK started" test -s "$lock"
watcher=$(head -n1 "$lock")
tr '\0' ' ' <"/proc/$watcher/cmdline" | grep -q -- ' --daemon ' ||
    fail "the lock's process $watcher is not a watcher: $(tr '\0' ' ' <"/proc/$watcher/cmdline")"
kill -s TERM "$watcher"
wait_until "the watcher to end and free its lock" test ! -e "$lock"

# The X server blanks the screen after 5 minutes, and the saver is set to start after 10: the
# dialog says so under the row, which makes it taller. Esc closes it without storing anything.
xset s 300
export XDG_CONFIG_HOME="$E2E_TMP/config-blank"
mkdir -p "$XDG_CONFIG_HOME/Velstrand/Utilities"
printf '[ScreenSaver]\nStartAfter=10\n' >"$XDG_CONFIG_HOME/Velstrand/Utilities/Chronivo.conf"
start_app /c
wait_for_dialog
settle
note_size=$(window_geometry "$DIALOG_WINDOW" | cut -d+ -f1)
[ "${note_size%x*}" = "${plain_size%x*}" ] && [ "${note_size#*x}" -gt "${plain_size#*x}" ] ||
    fail "the dialog with the note is $note_size, without it $plain_size"
if [ -n "$BLANK_SHOT" ]; then
    import -window "$DIALOG_WINDOW" "$BLANK_SHOT"
fi
xdotool key Escape
expect_exit 0
echo "ok: settings dialog"
