#!/usr/bin/env bash
# End-to-end tests of chronivo /s on Qt's Wayland platform, in its own headless sway: keys from
# wtype, pointer movements and clicks from swaymsg, windows read from sway's tree.
# Usage: wayland_e2e.sh PATH-TO-CHRONIVO CASE [ARGUMENT]
set -euo pipefail
# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"
# shellcheck source=wayland_lib.sh
source "$(dirname "$0")/wayland_lib.sh"

CHRONIVO=$1
CASE=$2
ARG=${3-}

# The pointer is here when the saver starts, below the frame's texts, and its first movement goes
# 100 pixels up.
readonly START_X=500
readonly START_Y=730
readonly FIRST_Y=$((START_Y - 100))

# The program's windows are the ones expected ($1, lines as app_windows prints them).
windows_are() { [ "$(app_windows)" = "$1" ]; }

# Nothing but the saver's background around the pointer: one colour in the 30 x 30 pixels
# that its image would cover.
pointer_hidden() {
    [ "$(as_wl_user grim -g "$((START_X - 10)),$((START_Y - 10)) 30x30" -t ppm - |
        convert ppm:- -format %k info:)" = 1 ]
}

# Starts the saver and waits until its windows are the ones expected ($1) and the pointer, still
# where it was, has entered the saver and been hidden. Only then do the movements the cases make
# come after the pointer's entry: sway may place it over a new window a moment after the window
# shows, and an entry that came with a movement would make that movement none for the saver.
start_saver() {
    wl_move "$START_X" "$START_Y"
    start_wl_app /s
    wait_until "the saver's windows" windows_are "$1"
    wait_until "the pointer to be hidden" pointer_hidden
}

# The screen's colour at (x, y) of output $1 as rrggbb, from grim.
output_pixel() {
    as_wl_user grim -o "$1" -t ppm - | convert ppm:- -format "%[hex:u.p{$2,$3}]" info: |
        tr 'A-F' 'a-f'
}

# The first movement only records where the pointer is.
record_start() {
    wl_move "$START_X" "$FIRST_Y"
    expect_running "the first movement closed the saver"
}

start_sway
case "$CASE" in
key)
    # Full screen on the only output, with the keyboard, and no pointer drawn over it; any key
    # then closes. ARG: an xkb key.
    start_saver "HEADLESS-1 0 0 $WL_W $WL_H focused"
    expect_running "showing the saver closed it"
    wl_key "$ARG"
    expect_exit 0
    ;;
click)
    # A click closes the saver (no nudge: a Wayland client cannot move the pointer).
    # ARG: the button, 1 left, 2 middle, 3 right.
    start_saver "HEADLESS-1 0 0 $WL_W $WL_H focused"
    wl_click "$ARG"
    expect_exit 0
    ;;
three-px-keeps)
    # One right, one right, one down: 3 pixels from the first position seen keep the saver; a
    # fourth pixel closes it, since small movements add up.
    start_saver "HEADLESS-1 0 0 $WL_W $WL_H focused"
    record_start
    wl_move $((START_X + 1)) "$FIRST_Y"
    wl_move $((START_X + 2)) "$FIRST_Y"
    wl_move $((START_X + 2)) $((FIRST_Y + 1))
    expect_running "3 pixels in total closed the saver"
    wl_move $((START_X + 3)) $((FIRST_Y + 1))
    expect_exit 0
    ;;
two-and-two-closes)
    # 2 right and 2 down is 4 pixels: the saver closes with exit code 0.
    start_saver "HEADLESS-1 0 0 $WL_W $WL_H focused"
    record_start
    wl_move $((START_X + 2)) $((FIRST_Y + 2))
    expect_exit 0
    ;;
second-output)
    # A second output, 640 x 480 right of the first, gets a black full-screen cover; the saver
    # keeps the first and the keyboard. The pointer entering the cover is no movement yet; a
    # key, a click on the cover or a movement then ends the run. ARG: key | click | move
    add_output 640 480 "$WL_W" 0
    start_saver "HEADLESS-1 0 0 $WL_W $WL_H focused
HEADLESS-2 $WL_W 0 640 480"
    wl_move $((WL_W + 200)) 200
    expect_running "the pointer entering the cover closed the saver"
    # Checked once the pointer is over it: sway 1.7 redraws a headless output that a window
    # has just filled only once something else there changes.
    painted() {
        local p
        for p in "0 0" "639 0" "0 479" "639 479" "320 240"; do
            # shellcheck disable=SC2086
            [ "$(output_pixel HEADLESS-2 $p)" = 000000 ] || return 1
        done
        [ "$(output_pixel HEADLESS-1 $((WL_W - 1)) $((WL_H - 1)))" != 000000 ]
    }
    wait_until "a black cover and the saver's frame" painted
    case "$ARG" in
    key) wl_key b ;;
    click) wl_click 1 ;;
    move)
        # Both windows measure in the layout's pixels: 2 from the first position on the cover,
        # over the saver's window, keeps; 4 closes.
        wl_move $((WL_W + 1)) 200
        expect_running "the first movement closed the saver"
        wl_move $((WL_W - 2)) 200
        wl_move $((WL_W - 1)) 200
        expect_running "2 pixels from the first position closed the saver"
        wl_move $((WL_W - 3)) 200
        ;;
    *) fail "unknown input '$ARG'" ;;
    esac
    expect_exit 0
    ;;
second-output-frames)
    # With AllScreens=1 the second output shows the saver's frames instead of black, composed for
    # its own 640 x 480: no black in its corners and more colours than a background alone. A key
    # then ends the run.
    mkdir -p "$XDG_CONFIG_HOME/Velstrand/Utilities"
    printf '[ScreenSaver]\nAllScreens=1\n' >"$XDG_CONFIG_HOME/Velstrand/Utilities/Chronivo.conf"
    if [ "$(id -u)" -eq 0 ]; then
        chown -R 65534:65534 "$XDG_CONFIG_HOME"
    fi
    add_output 640 480 "$WL_W" 0
    start_saver "HEADLESS-1 0 0 $WL_W $WL_H focused
HEADLESS-2 $WL_W 0 640 480"
    # As for the cover: sway redraws the output once the pointer is over it.
    wl_move $((WL_W + 200)) 200
    expect_running "the pointer entering the second output closed the saver"
    framed() {
        local shot=$E2E_TMP/output2.ppm p
        as_wl_user grim -o HEADLESS-2 -t ppm - >"$shot"
        for p in 0,479 639,0 639,479; do
            [ "$(convert "ppm:$shot" -format "%[hex:u.p{$p}]" info:)" != 000000 ] || return 1
        done
        [ "$(convert "ppm:$shot" -format %k info:)" -gt 1 ]
    }
    wait_until "the saver's frames on the second output" framed
    wl_key b
    expect_exit 0
    ;;
*)
    fail "unknown case '$CASE'"
    ;;
esac
echo "ok: $CASE $ARG"
