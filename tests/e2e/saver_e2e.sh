#!/usr/bin/env bash
# End-to-end tests of the chronivo binary on its own Xvfb, driven by xdotool.
# Usage: saver_e2e.sh PATH-TO-CHRONIVO CASE [ARGUMENT]
set -euo pipefail
# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"

CHRONIVO=$1
CASE=$2
ARG=${3-}

# The pointer starts here in every saver case, well inside the screen.
readonly START_X=500
readonly START_Y=400

# Starts the saver with the given command line and waits for its window.
start_saver() {
    move_pointer "$START_X" "$START_Y"
    start_app "$@"
    wait_for_saver
}

# The saver records the pointer position at the first movement it sees.
record_start() {
    move_pointer "$START_X" $((START_Y + 100))
    expect_running "the first movement closed the saver"
}

case "$CASE" in
covers-screen)
    # The saver window covers the whole primary screen and paints it: every corner and the
    # centre differ from the X server's black root.
    start_x
    start_saver "$ARG"
    geometry=$(window_geometry "$SAVER_WINDOW")
    [ "$geometry" = "${SCREEN_W}x${SCREEN_H}+0+0 IsViewable" ] ||
        fail "saver window geometry is '$geometry'"
    painted() {
        local p
        for p in "0 0" "$((SCREEN_W - 1)) 0" "0 $((SCREEN_H - 1))" \
            "$((SCREEN_W - 1)) $((SCREEN_H - 1))" "$((SCREEN_W / 2)) $((SCREEN_H / 2))"; do
            # shellcheck disable=SC2086
            [ "$(screen_pixel $p)" != "000000" ] || return 1
        done
    }
    wait_until "the saver to paint the whole screen" painted
    xdotool key space
    expect_exit 0
    ;;
first-move-keeps)
    # However far the first movement jumps, it only records where the pointer is.
    start_x
    start_saver /s
    move_pointer 1000 20
    expect_running "the first movement closed the saver"
    move_pointer 1002 22
    expect_exit 0
    ;;
three-px-keeps)
    # One right, one right, one down: 3 pixels from the recorded position keep the saver; a
    # fourth pixel closes it, since small movements add up.
    start_x
    start_saver /s
    record_start
    y=$((START_Y + 100))
    move_pointer $((START_X + 1)) "$y"
    move_pointer $((START_X + 2)) "$y"
    move_pointer $((START_X + 2)) $((y + 1))
    expect_running "3 pixels in total closed the saver"
    move_pointer $((START_X + 3)) $((y + 1))
    expect_exit 0
    ;;
two-and-two-closes)
    # 2 right and 2 down is 4 pixels: the saver closes with exit code 0.
    start_x
    start_saver /s
    record_start
    move_pointer $((START_X + 2)) $((START_Y + 102))
    expect_exit 0
    ;;
four-single-moves)
    # Four moves of one pixel each: the distance is measured from the recorded position, so
    # the fourth closes the saver.
    start_x
    start_saver /s
    record_start
    y=$((START_Y + 100))
    for dx in 1 2 3; do
        move_pointer $((START_X + dx)) "$y"
    done
    expect_running "fewer than four one-pixel moves closed the saver"
    move_pointer $((START_X + 4)) "$y"
    expect_exit 0
    ;;
key)
    # Any key press closes the saver, a modifier alone too.
    start_x
    start_saver /s
    xdotool key "$ARG"
    expect_exit 0
    ;;
grab-keys)
    # The saver holds the keyboard: a key pressed while another program's window has the
    # focus still reaches the saver and closes it.
    start_x
    xlogo -geometry 100x100+10+10 >/dev/null 2>&1 &
    other_pid=$!
    other_window() { xdotool search --onlyvisible --classname xlogo 2>/dev/null | head -n1 || true; }
    other_shown() { [ -n "$(other_window)" ]; }
    wait_until "the other program's window" other_shown
    other=$(other_window)
    start_saver /s
    xdotool windowfocus --sync "$other"
    [ "$(focus_window)" = "$other" ] || fail "the other window did not take the focus"
    expect_running "taking the focus away closed the saver"
    xdotool key a
    expect_exit 0
    kill "$other_pid" 2>/dev/null || true
    ;;
wheel-keeps)
    # Turning the wheel without moving the pointer does nothing; a key then still closes.
    start_x
    start_saver /s
    record_start
    xdotool click 4 click 5
    expect_running "the wheel closed the saver"
    xdotool key a
    expect_exit 0
    ;;
click)
    # A click closes the saver and leaves the pointer one right and one up; in the
    # bottom-right corner, where it cannot move right, one left and one up.
    # ARG: button x y expected-x expected-y
    read -r button x y want_x want_y <<<"$ARG"
    start_x
    start_saver /s
    move_pointer "$x" "$y"
    xdotool click "$button"
    expect_exit 0
    where=$(pointer_position)
    [ "$where" = "$want_x $want_y" ] || fail "pointer at $where, expected $want_x $want_y"
    ;;
scaled)
    # At a device pixel ratio of 2 the exit rules count the screen's own pixels, not Qt's
    # logical ones: 3 pixels keep the saver and a fourth closes it; a click nudges the pointer
    # one pixel right and one up. ARG: move or click
    start_x
    export QT_SCALE_FACTOR=2
    start_saver /s
    if [ "$ARG" = move ]; then
        record_start
        y=$((START_Y + 100))
        move_pointer $((START_X + 2)) "$y"
        move_pointer $((START_X + 2)) $((y + 1))
        expect_running "3 pixels in total closed the saver"
        move_pointer $((START_X + 3)) $((y + 1))
        expect_exit 0
    else
        xdotool click 1
        expect_exit 0
        where=$(pointer_position)
        [ "$where" = "$((START_X + 1)) $((START_Y - 1))" ] ||
            fail "pointer at $where, expected $((START_X + 1)) $((START_Y - 1))"
    fi
    ;;
refused)
    # An X server that wants a cookie the client lacks refuses the connection: one line on
    # standard error and exit code 1, never Qt's abort. ARG: the command line
    command -v xauth >/dev/null 2>&1 || {
        echo "skipped: xauth is not installed (scripts/install-deps.sh installs it)"
        exit "$SKIP"
    }
    need_tools
    E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/chronivo-e2e.XXXXXX")
    trap cleanup EXIT
    cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
    touch "$E2E_TMP/server" "$E2E_TMP/client"
    # The server takes every cookie in its file, whatever display it is filed under.
    xauth -q -f "$E2E_TMP/server" add :0 . "$cookie"
    Xvfb -displayfd 3 -auth "$E2E_TMP/server" -nolisten tcp 3>"$E2E_TMP/display" \
        >"$E2E_TMP/xvfb.log" 2>&1 &
    XVFB_PID=$!
    wait_until "Xvfb to start" test -s "$E2E_TMP/display"
    display=":$(head -n1 "$E2E_TMP/display")"
    xauth -q -f "$E2E_TMP/client" add "$display" . "$cookie"
    # The server answers a client with the cookie...
    wait_until "the X server to answer" env DISPLAY="$display" XAUTHORITY="$E2E_TMP/client" \
        xwininfo -root >/dev/null 2>&1
    # ... and refuses chronivo, which has none.
    code=0
    # shellcheck disable=SC2086
    out=$(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE DISPLAY="$display" \
        XAUTHORITY="$E2E_TMP/none" XDG_CONFIG_HOME="$E2E_TMP" "$CHRONIVO" $ARG 2>&1) || code=$?
    [ "$code" -eq 1 ] || fail "exit code $code, expected 1; output: $out"
    [ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] || fail "more than one line: $out"
    want="chronivo: no display to draw on: the xcb platform cannot connect to the X display"
    want="$want \"$display\", which answers \"Authorization required"
    case "$out" in
    "$want"*) ;;
    *) fail "message was: $out" ;;
    esac
    ;;
settings-not-a-file)
    # A named pipe at the settings path would hold a reader for ever. The saver (/s) shows at
    # once with the defaults and says why in one line; the dialog (/c) opens, and its OK refuses
    # to save over the pipe with a message. ARG: /s or /c
    start_x
    fifo="$XDG_CONFIG_HOME/Velstrand/Utilities/Chronivo.conf"
    mkdir -p "$(dirname "$fifo")"
    mkfifo "$fifo"
    if [ "$ARG" = /s ]; then
        start_saver /s
        said() { grep -q 'is a named pipe, not a regular file' "$E2E_TMP/app.log"; }
        wait_until "the line that the settings were not read" said
        [ "$(wc -l <"$E2E_TMP/app.log")" -eq 1 ] || fail "said: $(cat "$E2E_TMP/app.log")"
        xdotool key a
    else
        start_app /c
        wait_for_dialog
        xdotool key Return
        message_shown() {
            [ "$(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | wc -l)" -ge 2 ]
        }
        wait_until "the message that nothing was saved" message_shown
        xdotool key Return
        wait_until "the dialog to take the focus again" dialog_focused
        xdotool key Escape
    fi
    expect_exit 0
    [ -p "$fifo" ] || fail "the named pipe is gone"
    ;;
dialog)
    # Anything but the saver switches opens the settings dialog; the program ends with exit
    # code 0 once it is closed. ARG: command line|key that closes the dialog
    IFS='|' read -r line key <<<"$ARG"
    start_x
    if [ -z "$line" ]; then
        start_app
    else
        # shellcheck disable=SC2086
        start_app $line
    fi
    wait_for_dialog
    xdotool key "$key"
    expect_exit 0
    ;;
*)
    fail "unknown case '$CASE'"
    ;;
esac
echo "ok: $CASE $ARG"
