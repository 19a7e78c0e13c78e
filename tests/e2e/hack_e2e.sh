#!/usr/bin/env bash
# End-to-end tests of hack mode (-root, -window-id): the saver draws into another program's
# window on its own Xvfb, follows that window's size and ends cleanly on a signal.
# Usage: hack_e2e.sh PATH-TO-CHRONIVO CASE [ARGUMENT]
set -euo pipefail
# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"

CHRONIVO=$1
CASE=$2
ARG=${3-}
# Set only where a case sets it.
unset XSCREENSAVER_WINDOW

# Whether a colour RRGGBB lies on the saver's colour wheel: one channel full, one empty. Neither
# the black root nor the white host window is.
wheel_colour() {
    local c=$1 r g b
    r=${c:0:2} g=${c:2:2} b=${c:4:2}
    [[ "$r$g$b" == *[Ff][Ff]* ]] || return 1
    [ "$r" = 00 ] || [ "$g" = 00 ] || [ "$b" = 00 ]
}

# Whether the screen at (x, y) shows a wheel colour.
painted_at() { wheel_colour "$(screen_pixel "$1" "$2")"; }

# A host window of another program: xlogo (white) at (40, 30), WxH given. Its id is in HOST.
start_host() {
    xlogo -bg white -fg white -geometry "$1+40+30" >/dev/null 2>&1 &
    HOST_PID=$!
    host_window() { xdotool search --onlyvisible --classname xlogo 2>/dev/null | head -n1 || true; }
    host_shown() { [ -n "$(host_window)" ]; }
    wait_until "the host window" host_shown
    HOST=$(host_window)
}
HOST_PID=""
stop_host() {
    if [ -n "$HOST_PID" ]; then
        kill "$HOST_PID" 2>/dev/null || true
        wait "$HOST_PID" 2>/dev/null || true
        HOST_PID=""
    fi
}

# The absolute geometry WxH+X+Y of every viewable window of the program under test.
saver_geometries() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null || true); do
        window_geometry "$w" | awk '{ print $1 }'
    done
}
# Whether the program shows a window of size $1 (WxH) and paints its corners.
covers() {
    local geometry w h x y
    geometry=$(saver_geometries | grep -m1 "^$1+" || true)
    [ -n "$geometry" ] || return 1
    IFS='x+' read -r w h x y <<<"$geometry"
    painted_at $((x + w - 1)) $((y + h - 1)) && painted_at "$x" $((y + h - 1)) &&
        painted_at $((x + w - 1)) $((y + h / 2))
}

# The host window's size, as WxH.
host_size() { window_geometry "$HOST" | awk '{ print $1 }' | cut -d+ -f1; }

case "$CASE" in
embed)
    # -window-id in hex or decimal: a child window covers the host's window and paints the
    # saver's frames; when the host grows and shrinks, the saver follows; a signal (TERM or INT)
    # ends the run with exit code 0. ARG: hex|decimal TERM|INT
    read -r form signal <<<"$ARG"
    start_x
    start_host 300x200
    if [ "$form" = hex ]; then
        id=$(printf '0x%x' "$HOST")
    else
        id=$HOST
    fi
    start_app -window-id "$id"
    wait_until "the saver inside the host window" covers "$(host_size)"
    xdotool windowsize "$HOST" 520 410
    wait_until "the host window to grow" test "$(host_size)" = 520x410
    wait_until "the saver to follow the larger host" covers "$(host_size)"
    xdotool windowsize "$HOST" 200 150
    wait_until "the host window to shrink" test "$(host_size)" = 200x150
    wait_until "the saver to follow the smaller host" covers "$(host_size)"
    expect_running "the saver ended while the host was resized"
    kill -s "$signal" "$APP_PID"
    expect_exit 0
    stop_host
    ;;
root-env)
    # -root draws into the window that XSCREENSAVER_WINDOW names, as the daemon starts hacks.
    start_x
    start_host 260x180
    XSCREENSAVER_WINDOW=$(printf '0x%x' "$HOST") start_app -root
    wait_until "the saver inside the daemon's window" covers "$(host_size)"
    kill -s TERM "$APP_PID"
    expect_exit 0
    stop_host
    ;;
preview)
    # "--root -window-id ID", as XScreenSaver's settings window runs the hack for its preview:
    # the saver draws inside window ID, not in the window XSCREENSAVER_WINDOW names (here the
    # root window), and SIGTERM ends the run with exit code 0.
    start_x
    start_host 300x200
    root=$(xwininfo -root | awk '/Window id:/ { print $4; exit }')
    XSCREENSAVER_WINDOW=$root start_app --root -window-id "$(printf '0x%x' "$HOST")"
    wait_until "the saver inside the previewing window" covers "$(host_size)"
    expect_running "the preview ended by itself"
    kill -s TERM "$APP_PID"
    expect_exit 0
    stop_host
    ;;
root)
    # -root without XSCREENSAVER_WINDOW draws over the whole root window.
    start_x
    start_app --root
    wait_until "the saver over the root window" covers "${SCREEN_W}x${SCREEN_H}"
    kill -s INT "$APP_PID"
    expect_exit 0
    ;;
settings-not-a-file)
    # A named pipe at the settings path: the hack draws with the defaults at once, says why in
    # one line, and a signal still ends it.
    start_x
    mkdir -p "$XDG_CONFIG_HOME/Velstrand/Utilities"
    mkfifo "$XDG_CONFIG_HOME/Velstrand/Utilities/Chronivo.conf"
    start_app --root
    wait_until "the saver over the root window" covers "${SCREEN_W}x${SCREEN_H}"
    grep -q '^chronivo: the settings file .* is a named pipe, not a regular file' \
        "$E2E_TMP/app.log" || fail "said: $(cat "$E2E_TMP/app.log")"
    kill -s TERM "$APP_PID"
    expect_exit 0
    ;;
host-gone)
    # The host destroys its window without a signal: the run ends with exit code 0.
    start_x
    start_host 300x200
    start_app --window-id "$HOST"
    wait_until "the saver inside the host window" covers "$(host_size)"
    stop_host
    expect_exit 0
    ;;
no-window)
    # An id that names no window: a clear message and exit code 1, before anything is shown.
    start_x
    start_app -window-id 0x7ffffff
    expect_exit 1
    grep -q '^chronivo: there is no window 0x7ffffff on display ' "$E2E_TMP/app.log" ||
        fail "message was: $(cat "$E2E_TMP/app.log")"
    ;;
no-display)
    # Without DISPLAY there is no window to draw into: a clear message and exit code 1.
    code=0
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$CHRONIVO" -window-id 0x400001 2>&1) || code=$?
    [ "$code" -eq 1 ] || fail "exit code $code, expected 1"
    [ "$out" = "chronivo: drawing into a window needs an X display, and DISPLAY is not set" ] ||
        fail "message was: $out"
    ;;
bad-arguments)
    # A hack command line that cannot be followed: one line on stderr and exit code 2, with no
    # display needed. ARG: the arguments|the expected message
    IFS='|' read -r line want <<<"$ARG"
    code=0
    # shellcheck disable=SC2086
    out=$(env -u DISPLAY "$CHRONIVO" $line 2>&1 >/dev/null) || code=$?
    [ "$code" -eq 2 ] || fail "exit code $code, expected 2"
    [ "$out" = "chronivo: $want" ] || fail "message was: $out"
    ;;
*)
    fail "unknown case '$CASE'"
    ;;
esac
echo "ok: $CASE $ARG"
