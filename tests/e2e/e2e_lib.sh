#!/usr/bin/env bash
# Shared set-up of the end-to-end tests: a private X server (Xvfb) with a 1024 x 768 screen, a
# temporary settings directory, the chronivo binary under test, and helpers that poll with a
# deadline instead of sleeping for a fixed time. Everything started here is stopped on exit.
set -euo pipefail

# ctest reads this exit code as "skipped".
readonly SKIP=77
readonly SCREEN_W=1024
readonly SCREEN_H=768
# How long any one wait may take, seconds.
readonly DEADLINE=${E2E_DEADLINE:-15}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

need_tools() {
    local tool
    for tool in Xvfb xdotool xwininfo xwd convert xlogo; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "skipped: $tool is not installed (scripts/install-deps.sh installs it)"
            exit "$SKIP"
        fi
    done
}

E2E_TMP=""
XVFB_PID=""
APP_PID=""

cleanup() {
    if [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null; then
        kill "$APP_PID" 2>/dev/null || true
        wait "$APP_PID" 2>/dev/null || true
    fi
    if [ -n "$XVFB_PID" ] && kill -0 "$XVFB_PID" 2>/dev/null; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    if [ -n "$E2E_TMP" ]; then
        rm -rf "$E2E_TMP"
    fi
}

# Runs "$@" until it succeeds; fails the test after DEADLINE seconds with message $1.
wait_until() {
    local what=$1
    shift
    local end=$((SECONDS + DEADLINE))
    until "$@"; do
        if [ "$SECONDS" -ge "$end" ]; then
            fail "timed out waiting: $what"
        fi
        sleep 0.05
    done
}

# Starts Xvfb on a free display and points this shell's X clients, Qt and the settings at it.
# $1: the screen as WxH; $2: -br for a black root, -wr for a white one.
start_x_screen() {
    local screen=$1 root=$2
    need_tools
    E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/chronivo-e2e.XXXXXX")
    trap cleanup EXIT
    mkdir -p "$E2E_TMP/config" "$E2E_TMP/runtime"
    chmod 700 "$E2E_TMP/runtime"
    # -displayfd picks a display number nobody uses and writes it to fd 3. -noreset keeps the
    # server (and the pointer position) as it is when the last client disconnects.
    Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp -noreset "$root" \
        3>"$E2E_TMP/display" >"$E2E_TMP/xvfb.log" 2>&1 &
    XVFB_PID=$!
    wait_until "Xvfb to start" test -s "$E2E_TMP/display"
    DISPLAY=":$(head -n1 "$E2E_TMP/display")"
    export DISPLAY
    export XDG_CONFIG_HOME="$E2E_TMP/config"
    export XDG_RUNTIME_DIR="$E2E_TMP/runtime"
    export QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS
    wait_until "the X server to answer" xwininfo -root >/dev/null 2>&1
}

# start_x_screen on the usual SCREEN_W x SCREEN_H screen with a black root.
start_x() { start_x_screen "${SCREEN_W}x${SCREEN_H}" -br; }

# Starts the binary with the given arguments in the background; its id is in APP_PID.
start_app() {
    # Emptied here, not by the background job's own redirection, which may come after the next
    # wait has already read the last run's log and taken its lines for this run's.
    : >"$E2E_TMP/app.log"
    "$CHRONIVO" "$@" >>"$E2E_TMP/app.log" 2>&1 &
    APP_PID=$!
}

app_running() { kill -0 "$APP_PID" 2>/dev/null; }
app_gone() { ! app_running; }

# Waits for the binary to end and checks its exit code.
expect_exit() {
    local expected=$1
    wait_until "the program to end" app_gone
    local code=0
    wait "$APP_PID" || code=$?
    APP_PID=""
    if [ "$code" -ne "$expected" ]; then
        cat "$E2E_TMP/app.log" >&2 || true
        fail "exit code $code, expected $expected"
    fi
}

# Fails when the program has ended. `settle` gives it time to handle the input sent so far.
settle() { sleep 0.4; }
expect_running() {
    settle
    app_running || fail "the program ended: $*"
}

# The visible window of the program, as a decimal X id (empty when there is none).
app_window() { xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | head -n1 || true; }
focus_window() { xdotool getwindowfocus 2>/dev/null || true; }

window_has_focus() {
    local w
    w=$(app_window)
    [ -n "$w" ] && [ "$(focus_window)" = "$w" ]
}

# Waits until the saver's window is on screen and receives the keyboard.
wait_for_saver() {
    wait_until "the saver window to show and take the focus" window_has_focus
    SAVER_WINDOW=$(app_window)
}

# The program's settings dialog, as a decimal X id (empty when there is none).
dialog_window() {
    xdotool search --onlyvisible --pid "$APP_PID" --name \
        '^Velstrand ScreenSaver Configuration$' 2>/dev/null | head -n1 || true
}
dialog_shown() { [ -n "$(dialog_window)" ]; }
dialog_focused() {
    [ "$(focus_window)" = "$DIALOG_WINDOW" ] ||
        xdotool windowfocus --sync "$DIALOG_WINDOW" 2>/dev/null
    [ "$(focus_window)" = "$DIALOG_WINDOW" ]
}

# Waits until the settings dialog is on screen and receives the keyboard; its id is in
# DIALOG_WINDOW.
wait_for_dialog() {
    wait_until "the settings dialog" dialog_shown
    DIALOG_WINDOW=$(dialog_window)
    wait_until "the dialog to take the focus" dialog_focused
}

# Prints the window's absolute geometry as WxH+X+Y and its map state.
window_geometry() {
    xwininfo -id "$1" | awk '
        /Absolute upper-left X:/ { x = $NF }
        /Absolute upper-left Y:/ { y = $NF }
        /Width:/ { w = $NF }
        /Height:/ { h = $NF }
        /Map State:/ { m = $NF }
        END { printf "%sx%s+%s+%s %s\n", w, h, x, y, m }'
}

# Colour of the screen at (x, y) as RRGGBB.
screen_pixel() {
    xwd -root -silent | convert xwd:- -format "%[hex:u.p{$1,$2}]" info:
}

pointer_position() {
    local X Y SCREEN WINDOW
    eval "$(xdotool getmouselocation --shell)"
    echo "$X $Y"
}

# Moves the pointer and waits until it is there (xdotool's --sync would wait for a movement
# that never comes when the pointer is there already).
move_pointer() {
    if [ "$(pointer_position)" != "$1 $2" ]; then
        xdotool mousemove --sync "$1" "$2"
    fi
}

# ---- A daemon runs the hack (xscreensaver_e2e.sh, xsecurelock_e2e.sh) ----

# A chronivo process on this display (daemons name the screen too, ":N.0"); prints its id.
hack_pid() {
    local pid
    for pid in $(pgrep -x chronivo || true); do
        if tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -Eqx "DISPLAY=$DISPLAY(\.[0-9]+)?"; then
            echo "$pid"
            return 0
        fi
    done
    return 1
}
HACK_PID=""
hack_started() { HACK_PID=$(hack_pid); }
hack_gone() { ! kill -0 "$HACK_PID" 2>/dev/null; }

# shellcheck source=background_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/background_lib.sh"
# Whether the screen's background (bottom-right corner) has the colour predicted with settings
# file $1 between the start and the end of the screenshot, the start taken 300 ms early for the
# frame on screen being up to one period old. LAST says what was compared.
shows_predicted_background() {
    local t0 t1 shot lo hi
    t0=$(($(date +%s%3N) - 300))
    shot=$(screen_pixel $((SCREEN_W - 1)) $((SCREEN_H - 1)))
    t1=$(date +%s%3N)
    [ "${shot,,}" != 000000 ] || return 1
    lo=$(predicted "$1" "$t0" "${SCREEN_W}x${SCREEN_H}")
    hi=$(predicted "$1" "$t1" "${SCREEN_W}x${SCREEN_H}")
    LAST="screen $shot, predicted $lo to $hi"
    colour_between "$shot" "$lo" "$hi"
}
LAST=""
# Waits until the screen shows the background predicted with settings file $1; when it never
# does, prints the daemon's log $2 and fails.
expect_predicted_background() {
    local end=$((SECONDS + DEADLINE))
    until shows_predicted_background "$1"; do
        if [ "$SECONDS" -ge "$end" ]; then
            cat "$2" >&2
            fail "the screen never showed the predicted background ($LAST)"
        fi
        sleep 0.1
    done
}
