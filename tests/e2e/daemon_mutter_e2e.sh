#!/usr/bin/env bash
# The idle watcher with GNOME's own idle monitor: a headless mutter (its Wayland compositor, which
# offers org.gnome.Mutter.IdleMonitor) on the test's own session bus, and the watcher with a
# two-second idle time in it. Run under dbus-run-session.
# Usage: daemon_mutter_e2e.sh PATH-TO-CHRONIVO
set -euo pipefail
# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"

CHRONIVO=$1
if ! command -v mutter >/dev/null 2>&1; then
    echo "skipped: mutter is not installed (scripts/install-deps.sh installs it)"
    exit "$SKIP"
fi
[ -n "${DBUS_SESSION_BUS_ADDRESS-}" ] || fail "run this under dbus-run-session"

E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/chronivo-e2e.XXXXXX")
MUTTER_PID=""
stop_all() {
    [ -z "$MUTTER_PID" ] || kill "$MUTTER_PID" 2>/dev/null || true
    cleanup
}
trap stop_all EXIT
export XDG_RUNTIME_DIR="$E2E_TMP/runtime" XDG_CONFIG_HOME="$E2E_TMP/config"
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY
mutter --headless --wayland --no-x11 --virtual-monitor 1280x720 >"$E2E_TMP/mutter.log" 2>&1 &
MUTTER_PID=$!
wl_socket() { compgen -G "$XDG_RUNTIME_DIR/wayland-[0-9]" | head -n1 || true; }
monitor_answers() {
    gdbus call --session --dest org.gnome.Mutter.IdleMonitor \
        --object-path /org/gnome/Mutter/IdleMonitor/Core \
        --method org.gnome.Mutter.IdleMonitor.GetIdletime >/dev/null 2>&1
}
socket_there() { [ -n "$(wl_socket)" ]; }
wait_until "mutter's Wayland socket" socket_there
wait_until "mutter's idle monitor" monitor_answers
WAYLAND_DISPLAY=$(basename "$(wl_socket)")
export WAYLAND_DISPLAY QT_QPA_PLATFORM=wayland

start_app --daemon --after 2s --verbose
saver_running() { [ -n "$(pgrep -P "$APP_PID" 2>/dev/null || true)" ]; }
wait_until "the saver after two idle seconds" saver_running
grep -q "^chronivo: watching GNOME's idle monitor" "$E2E_TMP/app.log" ||
    fail "log: $(cat "$E2E_TMP/app.log")"
saver=$(pgrep -P "$APP_PID" | head -n1)
kill -s TERM "$APP_PID"
expect_exit 0
wait_until "the saver to end with the watcher" sh -c "! kill -0 $saver 2>/dev/null"
echo "ok: mutter"
