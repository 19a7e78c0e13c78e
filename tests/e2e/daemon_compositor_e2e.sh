#!/usr/bin/env bash
# The idle watcher in a real desktop's compositor, headless, on the test's own session bus: GNOME's
# mutter, which offers its idle monitor on the bus (org.gnome.Mutter.IdleMonitor), KDE's KWin,
# which offers the Wayland protocol ext_idle_notifier_v1, or Cinnamon's muffin on Xvfb, which
# offers org.cinnamon.Muffin.IdleMonitor. The watcher with a two-second idle time must choose that
# source and start the saver (and, with muffin, where xdotool can type, end it on a key). Run
# under dbus-run-session.
# Usage: daemon_compositor_e2e.sh PATH-TO-CHRONIVO mutter|kwin|muffin
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
muffin)
    program=muffin
    expected="Cinnamon's idle monitor"
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

COMPOSITOR_PID=""
stop_all() {
    [ -z "$COMPOSITOR_PID" ] || kill "$COMPOSITOR_PID" 2>/dev/null || true
    cleanup
}
# Whether the desktop's idle monitor answers on the bus; $1: its name's middle part.
monitor_answers() {
    gdbus call --session --dest "org.$1.IdleMonitor" --object-path "/org/${1//.//}/IdleMonitor/Core" \
        --method "org.$1.IdleMonitor.GetIdletime" >/dev/null 2>&1
}
if [ "$COMPOSITOR" = muffin ]; then
    # An X11 window manager: on the usual Xvfb.
    start_x
    trap stop_all EXIT
    # muffin 6.4 and later refuse to start without being told their session is an X11 one.
    HOME="$E2E_TMP" XDG_SESSION_TYPE=x11 muffin --replace >"$E2E_TMP/compositor.log" 2>&1 &
    COMPOSITOR_PID=$!
    wait_until "muffin's idle monitor" monitor_answers cinnamon.Muffin
else
    E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/chronivo-e2e.XXXXXX")
    trap stop_all EXIT
    export XDG_RUNTIME_DIR="$E2E_TMP/runtime" XDG_CONFIG_HOME="$E2E_TMP/config"
    mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
    chmod 700 "$XDG_RUNTIME_DIR"
    unset DISPLAY WAYLAND_DISPLAY
    if [ "$COMPOSITOR" = mutter ]; then
        mutter --headless --wayland --no-x11 --virtual-monitor 1280x720 \
            >"$E2E_TMP/compositor.log" 2>&1 &
    else
        # A copy without the file capabilities the package gives kwin_wayland, which a sandbox
        # that forbids gaining privileges refuses to run; KWin only wants them for a higher
        # priority.
        cp "$(command -v kwin_wayland)" "$E2E_TMP/kwin_wayland"
        HOME="$E2E_TMP" "$E2E_TMP/kwin_wayland" --virtual --no-lockscreen --socket wayland-9 \
            --width 1024 --height 768 >"$E2E_TMP/compositor.log" 2>&1 &
    fi
    COMPOSITOR_PID=$!
    wl_socket() { compgen -G "$XDG_RUNTIME_DIR/wayland-[0-9]" | head -n1 || true; }
    socket_there() { [ -n "$(wl_socket)" ]; }
    wait_until "the compositor's Wayland socket" socket_there
    if [ "$COMPOSITOR" = mutter ]; then
        wait_until "mutter's idle monitor" monitor_answers gnome.Mutter
    fi
    WAYLAND_DISPLAY=$(basename "$(wl_socket)")
    export WAYLAND_DISPLAY QT_QPA_PLATFORM=wayland
fi

start_app --daemon --after 2s --verbose
saver_running() { [ -n "$(pgrep -P "$APP_PID" 2>/dev/null || true)" ]; }
wait_until "the saver after two idle seconds" saver_running
grep -qF "chronivo: watching $expected" "$E2E_TMP/app.log" ||
    fail "log: $(cat "$E2E_TMP/app.log")"
if [ "$COMPOSITOR" = muffin ]; then
    # Input again: the monitor's user-active watch ends the saver.
    xdotool key a
    wait_until "the saver to end on a key" sh -c "[ -z \"\$(pgrep -P $APP_PID)\" ]"
    # The saver may close on the key itself before the watcher hears of the input and logs it.
    wait_until "the watcher to log that input came back" grep -q '^chronivo: resumed' "$E2E_TMP/app.log"
    wait_until "the saver again after two more idle seconds" saver_running
fi
saver=$(pgrep -P "$APP_PID" | head -n1)
kill -s TERM "$APP_PID"
expect_exit 0
wait_until "the saver to end with the watcher" sh -c "! kill -0 $saver 2>/dev/null"
echo "ok: $COMPOSITOR"
