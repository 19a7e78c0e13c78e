#!/usr/bin/env bash
# The settings dialog's full-screen preview: with a speed chosen but not stored, "Full screen..."
# runs the saver over the whole screen with that speed (its background is the one chronivo-render
# predicts for it); a key ends that run and only that run; the dialog stays, and Esc then closes
# it with nothing stored and nothing left behind.
# Usage: config_preview_e2e.sh PATH-TO-CHRONIVO PATH-TO-CHRONIVO-RENDER
set -euo pipefail
# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"

CHRONIVO=$1
RENDER=$2

start_x
ini="$XDG_CONFIG_HOME/Velstrand/Utilities/Chronivo.conf"
mkdir -p "$(dirname "$ini")"
printf '[ScreenSaver]\nSpeed=60\n' >"$ini"
stored=$(cat "$ini")
start_app /c
wait_for_dialog
settle

# From OK past the mode list and three check boxes to the slider, End: the slowest speed. Then
# past "Rainbow color", "Start the saver after" and "More options..." to "Full screen...".
xdotool key --delay 50 Tab Tab Tab Tab Tab End Tab Tab Tab Tab space

run_pid() { RUN=$(pgrep -P "$APP_PID" | head -n1) && [ -n "$RUN" ]; }
wait_until "the full-screen run to start" run_pid
tr '\0' ' ' <"/proc/$RUN/cmdline" | grep -q ' /s $' ||
    fail "the run is not the saver: $(tr '\0' ' ' <"/proc/$RUN/cmdline")"
trial=$(tr '\0' '\n' <"/proc/$RUN/environ" | sed -n 's/^CHRONIVO_SETTINGS=//p')
[ -f "$trial" ] || fail "the run has no settings file ('$trial')"
grep -qx 'Speed=6000' "$trial" || fail "the run's settings hold no unsaved speed: $(cat "$trial")"

run_window() { xdotool search --onlyvisible --pid "$RUN" 2>/dev/null | head -n1 || true; }
covers() {
    local w
    w=$(run_window)
    [ -n "$w" ] && [ "$(window_geometry "$w")" = "${SCREEN_W}x${SCREEN_H}+0+0 IsViewable" ]
}
wait_until "the run to cover the screen" covers
expect_predicted_background "$trial" "$E2E_TMP/app.log"

xdotool key space
wait_until "the run to end on a key" bash -c "! kill -0 $RUN 2>/dev/null"
wait_until "the run's settings to go" test ! -e "$trial"
expect_running "the dialog went with the run"
dialog_shown || fail "the dialog went with the run"

wait_until "the dialog to take the focus" dialog_focused
xdotool key Escape
expect_exit 0
[ "$(cat "$ini")" = "$stored" ] || fail "the settings changed: $(cat "$ini")"
echo "ok: full-screen preview"
