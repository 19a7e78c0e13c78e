#!/usr/bin/env bash
# What the settings dialog costs while it is open and left alone, its preview drawing ten frames a
# second: the dialog's processor time per wall-clock second, for the default settings and for
# rainbow stripes, on an X server (Xvfb) of 1920x1080, the first two seconds after it shows left
# out. At the default font the preview is 263 x 148 pixels there.
#
#   bench/dialog_cpu.sh [CHRONIVO] [SECONDS]     (defaults: build/bin/chronivo, 20)
set -euo pipefail

CHRONIVO=${1:-build/bin/chronivo}
DURATION=${2:-20}
TMP=$(mktemp -d "${TMPDIR:-/tmp}/chronivo-dialog-cpu.XXXXXX")
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$TMP"' EXIT

Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$TMP/display" 2>/dev/null &
pids+=($!)
until [ -s "$TMP/display" ]; do sleep 0.05; done
export DISPLAY=":$(cat "$TMP/display")" XDG_CONFIG_HOME="$TMP/config" QT_QPA_PLATFORM=xcb
until xdotool getdisplaygeometry >/dev/null 2>&1; do sleep 0.05; done
mkdir -p "$XDG_CONFIG_HOME/Velstrand/Utilities"
ticks=$(getconf CLK_TCK)
# utime + stime of process $1, clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

for scene in "default:" "stripes:Rainbow=1"; do
    printf '[ScreenSaver]\n%s\n' "${scene#*:}" >"$XDG_CONFIG_HOME/Velstrand/Utilities/Chronivo.conf"
    "$CHRONIVO" /c 2>/dev/null &
    dialog=$!
    pids+=("$dialog")
    until xdotool search --onlyvisible --pid "$dialog" >/dev/null 2>&1; do sleep 0.1; done
    sleep 2
    before=$(cpu_ticks "$dialog")
    sleep "$DURATION"
    after=$(cpu_ticks "$dialog")
    kill "$dialog"
    wait "$dialog" 2>/dev/null || true
    awk -v scene="${scene%%:*}" -v t=$((after - before)) -v hz="$ticks" -v s="$DURATION" \
        'BEGIN { printf "%-8s %6.1f ms of processor time per second (%.2f %% of a core)\n",
                 scene, t * 1000 / hz / s, t * 100 / hz / s }'
done
