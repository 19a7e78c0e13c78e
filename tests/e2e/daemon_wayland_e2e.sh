#!/usr/bin/env bash
# End-to-end tests of the idle watcher in its own headless sway: the idle time comes from the
# compositor (org_kde_kwin_idle in sway 1.7), keys from wtype, and an idle inhibitor from a small
# client that shows a window and holds a zwp_idle_inhibitor_v1 on it, as a video player does.
# Usage: daemon_wayland_e2e.sh PATH-TO-CHRONIVO CASE [PATH-TO-IDLE-INHIBIT-CLIENT]
set -euo pipefail
# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"
# shellcheck source=wayland_lib.sh
source "$(dirname "$0")/wayland_lib.sh"

CHRONIVO=$1
CASE=$2
INHIBITOR=${3-}

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
    # A window that inhibits idle keeps the saver away for as long as it is there; once it has
    # gone, two idle seconds start the saver.
    start_sway
    install -m 755 "$INHIBITOR" "$E2E_TMP/idle_inhibit_client"
    wl_run_command
    coproc CLIENT { exec "${WL_RUN[@]}" "$E2E_TMP/idle_inhibit_client"; }
    read -r ready <&"${CLIENT[0]}"
    [ "$ready" = ready ] || fail "the inhibiting client did not start"
    start_wl_app --daemon --after 2s --verbose
    sleep 5
    saver_gone || fail "the saver started although a window inhibits idle"
    kill "$CLIENT_PID"
    wait_until "the saver once the inhibiting window has gone" saver_shown
    kill -s TERM "$APP_PID"
    expect_exit 0
    ;;
*)
    fail "unknown case '$CASE'"
    ;;
esac
echo "ok: $CASE"
