#!/usr/bin/env bash
# End-to-end test of the saver on two screens: its own Xvfb with one 1440x600 screen split by
# RandR into monitor A (800x600 at 0,0, the primary) and monitor B (640x480 at 800,0). The root
# window is white, so whatever the saver leaves uncovered shows.
# Usage: screens_e2e.sh PATH-TO-CHRONIVO INPUT [frames]   (INPUT: key | click | move)
# With "frames" the settings have AllScreens=1, and B shows the saver's frames instead of black.
set -euo pipefail
# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"

CHRONIVO=$1
INPUT=$2
FRAMES=${3:-}

command -v xrandr >/dev/null 2>&1 || {
    echo "skipped: xrandr is not installed (scripts/install-deps.sh installs it)"
    exit "$SKIP"
}

# One 1440x600 screen with a white root.
start_x_screen 1440x600 -wr
xrandr --setmonitor A 800/211x600/159+0+0 screen >/dev/null
xrandr --setmonitor B 640/169x480/127+800+0 none >/dev/null
[ "$(xrandr --listmonitors | head -n1)" = "Monitors: 2" ] || fail "two monitors were not made"

wheel_colour() {
    local c=$1 r g b
    r=${c:0:2} g=${c:2:2} b=${c:4:2}
    [[ "$r$g$b" == *[Ff][Ff]* ]] || return 1
    [ "$r" = 00 ] || [ "$g" = 00 ] || [ "$b" = 00 ]
}

# The screen's colour at (x, y) as rrggbb, lower case.
pixel() {
    local c
    c=$(screen_pixel "$1" "$2")
    echo "${c,,}"
}

# Both monitors covered: A shows the saver's frame (a wheel colour in its corners), B is black
# to its edges; the part of the root that is on no monitor stays white.
covered() {
    local p
    for p in "799 599" "0 599"; do
        # shellcheck disable=SC2086
        wheel_colour "$(screen_pixel $p)" || return 1
    done
    for p in "800 0" "1439 0" "800 479" "1439 479" "1120 240"; do
        # shellcheck disable=SC2086
        [ "$(pixel $p)" = 000000 ] || return 1
    done
    [ "$(pixel 1120 590)" = ffffff ]
}

# Both monitors show the saver's frames: a wheel colour in the corners of each (B's top left has
# the notice line), and on B the clock's texts, so more colours than its background alone; the
# part of the root that is on no monitor stays white. From one screenshot.
framed() {
    local shot=$E2E_TMP/shot.xwd p c
    xwd -root -silent >"$shot"
    for p in 799,599 0,599 1439,0 800,479 1439,479; do
        c=$(convert "xwd:$shot" -format "%[hex:u.p{$p}]" info:)
        wheel_colour "$c" || return 1
    done
    [ "$(convert "xwd:$shot" -crop 640x480+800+0 +repage -format %k info:)" -gt 1 ] || return 1
    c=$(convert "xwd:$shot" -format "%[hex:u.p{1120,590}]" info:)
    [ "${c,,}" = ffffff ]
}

[ "$(pixel 1120 240)" = ffffff ] || fail "monitor B is not white before the saver"
move_pointer 1100 300
if [ "$FRAMES" = frames ]; then
    mkdir -p "$XDG_CONFIG_HOME/Velstrand/Utilities"
    printf '[ScreenSaver]\nAllScreens=1\n' >"$XDG_CONFIG_HOME/Velstrand/Utilities/Chronivo.conf"
    start_app /s
    wait_for_saver
    wait_until "the saver's frames on both monitors" framed
else
    start_app /s
    wait_for_saver
    wait_until "both monitors to be covered" covered
fi
expect_running "covering the monitors closed the saver"

case "$INPUT" in
key)
    # A key while the pointer is over monitor B.
    xdotool key b
    ;;
click)
    # A click on monitor B: the pointer nudge and the close, as on the saver window.
    xdotool click 1
    ;;
move)
    # Movements on monitor B: the first records, the next more than 3 pixels away closes.
    move_pointer 1200 200
    expect_running "the first movement closed the saver"
    move_pointer 1203 201
    ;;
*)
    fail "unknown input '$INPUT'"
    ;;
esac
expect_exit 0
if [ "$INPUT" = click ]; then
    where=$(pointer_position)
    [ "$where" = "1101 299" ] || fail "pointer at $where, expected 1101 299"
fi
echo "ok: two screens${FRAMES:+ with frames on both}, $INPUT"
