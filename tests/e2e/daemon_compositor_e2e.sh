#!/usr/bin/env bash
# The idle watcher in a real desktop's compositor, headless, on the test's own session bus: GNOME's
# mutter, which offers its idle monitor on the bus (org.gnome.Mutter.IdleMonitor), or KDE's KWin,
# which offers the Wayland protocol ext_idle_notifier_v1. The watcher with a two-second idle time
# must choose that source and start the saver. Run under dbus-run-session.
# Usage: daemon_compositor_e2e.sh PATH-TO-CHRONIVO mutter|kwin
set -euo pipefail
# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"

CHRONIVO=$1
COMPOSITOR=$2
case "$COMPOSITOR" in
mutter)
    program=mutter
    expected="GNOME's idle monitor"
    ;;
kwin)
    program=kwin_wayland
    expected="the Wayland compositor's idle notifications (ext_idle_notifier_v1)"
    ;;
*)
    fail "unknown compositor '$COMPOSITOR'"
    ;;
esac
if ! command -v "$program" >/dev/null 2>&1; then
    echo "skipped: $program is not installed (scripts/install-deps.sh installs it)"
    exit "$SKIP"
fi
[ -n "${DBUS_SESSION_BUS_ADDRESS-}" ] || fail "run this under dbus-run-session"

E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/chronivo-e2e.XXXXXX")
COMPOSITOR_PID=""
stop_all() {
    [ -z "$COMPOSITOR_PID" ] || kill "$COMPOSITOR_PID" 2>/dev/null || true
    cleanup
}
trap stop_all EXIT
export XDG_RUNTIME_DIR="$E2E_TMP/runtime" XDG_CONFIG_HOME="$E2E_TMP/config"
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY
if [ "$COMPOSITOR" = mutter ]; then
    mutter --headless --wayland --no-x11 --virtual-monitor 1280x720 >"$E2E_TMP/compositor.log" 2>&1 &
else
    # A copy without the file capabilities the package gives kwin_wayland, which a sandbox that
    # forbids gaining privileges refuses to run; KWin only wants them for a higher priority.
    cp "$(command -v kwin_wayland)" "$E2E_TMP/kwin_wayland"
    HOME="$E2E_TMP" "$E2E_TMP/kwin_wayland" --virtual --no-lockscreen --socket wayland-9 \
        --width 1024 --height 768 >"$E2E_TMP/compositor.log" 2>&1 &
fi
COMPOSITOR_PID=$!
wl_socket() { compgen -G "$XDG_RUNTIME_DIR/wayland-[0-9]" | head -n1 || true; }
monitor_answers() {
    gdbus call --session --dest org.gnome.Mutter.IdleMonitor \
        --object-path /org/gnome/Mutter/IdleMonitor/Core \
        --method org.gnome.Mutter.IdleMonitor.GetIdletime >/dev/null 2>&1
}
socket_there() { [ -n "$(wl_socket)" ]; }
wait_until "the compositor's Wayland socket" socket_there
if [ "$COMPOSITOR" = mutter ]; then
    wait_until "mutter's idle monitor" monitor_answers
fi
WAYLAND_DISPLAY=$(basename "$(wl_socket)")
export WAYLAND_DISPLAY QT_QPA_PLATFORM=wayland

start_app --daemon --after 2s --verbose
saver_running() { [ -n "$(pgrep -P "$APP_PID" 2>/dev/null || true)" ]; }
wait_until "the saver after two idle seconds" saver_running
grep -qF "chronivo: watching $expected" "$E2E_TMP/app.log" ||
    fail "log: $(cat "$E2E_TMP/app.log")"
saver=$(pgrep -P "$APP_PID" | head -n1)
kill -s TERM "$APP_PID"
expect_exit 0
wait_until "the saver to end with the watcher" sh -c "! kill -0 $saver 2>/dev/null"
echo "ok: $COMPOSITOR"
