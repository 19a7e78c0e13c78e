#!/usr/bin/env bash
# End-to-end tests of the idle watcher in its own headless sway: the idle time comes from the
# compositor (org_kde_kwin_idle in sway 1.7), keys from wtype, and an idle inhibitor from sway's
# own inhibit_idle command, which holds the compositor's idle timeouts as a client's inhibitor
# does.
# Usage: daemon_wayland_e2e.sh PATH-TO-CHRONIVO CASE
set -euo pipefail
# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"
# shellcheck source=wayland_lib.sh
source "$(dirname "$0")/wayland_lib.sh"

CHRONIVO=$1
CASE=$2

# The saver the watcher started (its child), empty when none runs.
saver_pid() { pgrep -P "$APP_PID" 2>/dev/null | head -n1 || true; }
saver_gone() { [ -z "$(saver_pid)" ]; }
# The saver's full-screen window is in sway's tree.
saver_shown() {
    local pid
    pid=$(saver_pid)
    [ -n "$pid" ] && as_wl_user swaymsg -r -t get_tree |
        jq -e --argjson pid "$pid" '[.. | objects | select(.pid? == $pid)] | length > 0' \
            >/dev/null
}

case "$CASE" in
idle-starts-key-ends)
    # Two seconds without input start the saver; a key ends it; SIGTERM ends the watcher.
    start_sway
    start_wl_app --daemon --after 2s --verbose
    wait_until "the saver after two idle seconds" saver_shown
    wl_key a
    wait_until "the saver to end on a key" saver_gone
    grep -q 'watching the Wayland compositor' "$E2E_TMP/app.log" ||
        fail "log: $(cat "$E2E_TMP/app.log")"
    kill -s TERM "$APP_PID"
    expect_exit 0
    ;;
inhibited)
    # A window that inhibits idle keeps the saver away for as long as it does; once it stops,
    # two idle seconds start the saver.
    start_sway
    wl_run_command
    "${WL_RUN[@]}" "$CHRONIVO" /c >"$E2E_TMP/dialog.log" 2>&1 &
    DIALOG_PID=$!
    dialog_open() {
        as_wl_user swaymsg -r -t get_tree |
            jq -e --argjson pid "$DIALOG_PID" '[.. | objects | select(.pid? == $pid)] | length > 0' \
                >/dev/null
    }
    wait_until "the settings dialog" dialog_open
    as_wl_user swaymsg -q "[pid=$DIALOG_PID] inhibit_idle open"
    start_wl_app --daemon --after 2s --verbose
    sleep 5
    saver_gone || fail "the saver started although idle was inhibited"
    as_wl_user swaymsg -q "[pid=$DIALOG_PID] inhibit_idle none"
    wait_until "the saver once nothing inhibits idle" saver_shown
    kill -s TERM "$APP_PID"
    expect_exit 0
    kill "$DIALOG_PID" 2>/dev/null || true
    ;;
*)
    fail "unknown case '$CASE'"
    ;;
esac
echo "ok: $CASE"
