#!/usr/bin/env bash
# What the running saver costs the machine: the processor time of the saver and of the display
# server per wall-clock second, each and together, the time from start to the first complete frame
# on the screen, and the saver's peak memory, for three scenes (a solid clock, rainbow stripes, ten
# world cities) at 1920x1080 and 3840x2160: on X11 (Xvfb), then on Wayland (headless sway with
# its software renderer, as the Wayland tests run it), so that both stand side by side from one
# run. When Debian's xscreensaver-data is installed, the same run measures `popsquares -root`, a
# classic full-screen 2D hack, on the same X server, so the comparison is a ratio on one machine.
# sway refuses to run as root: run as root, sway and the saver on it run as the user nobody.
#
#   bench/saver_cpu.sh [CHRONIVO] [SECONDS]
#
# CHRONIVO defaults to build/bin/chronivo, SECONDS (per scene) to 20. The first second after start
# is left out of the steady figures, so loading fonts and fitting them does not count as running
# cost. Each size gets a fresh X server with a black root window (-br); the first frame is the
# moment the screen's bottom-right pixel stops being black (build/bench/first_frame_probe; on
# Wayland it is not measured).
set -euo pipefail

CHRONIVO=${1:-build/bin/chronivo}
DURATION=${2:-20}
PROBE=${PROBE:-$(dirname "$CHRONIVO")/../bench/first_frame_probe}
POPSQUARES=${POPSQUARES:-/usr/libexec/xscreensaver/popsquares}
SETTLE=1

for tool in Xvfb xwininfo; do
    command -v "$tool" >/dev/null 2>&1 || { echo "saver_cpu: $tool is not installed" >&2; exit 1; }
done
for program in "$CHRONIVO" "$PROBE"; do
    [ -x "$program" ] || { echo "saver_cpu: $program is not an executable" >&2; exit 1; }
done

TMP=$(mktemp -d "${TMPDIR:-/tmp}/chronivo-cpu.XXXXXX")
XVFB_PID=""
SWAY_PID=""
RUN_PID=""
stop() {
    [ -n "$1" ] || return 0
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
cleanup() {
    stop "$RUN_PID"
    stop "$XVFB_PID"
    stop "$SWAY_PID"
    rm -rf "$TMP"
}
trap cleanup EXIT

mkdir -p "$TMP/runtime" "$TMP/scenes"
chmod 700 "$TMP/runtime"
printf '[ScreenSaver]\n' >"$TMP/scenes/solid.ini"
printf '[ScreenSaver]\nRainbow=1\n' >"$TMP/scenes/stripes.ini"
{
    printf '[ScreenSaver]\nWorldTime=1\nShowSec=1\nWTcount=10\n'
    i=0
    for city in "Honolulu:-36000" "Los Angeles:-28800" "New York:-18000" "Rio de Janeiro:-10800" \
        "London:1" "Berlin:3601" "Moscow:10800" "Calcutta:19800" "Tokyo:32400" \
        "Wellington:43201"; do
        printf 'WTtext%d=%s\nWTzone%d=%s\n' "$i" "${city%:*}" "$i" "${city##*:}"
        i=$((i + 1))
    done
} >"$TMP/scenes/world.ini"

TICKS=$(getconf CLK_TCK)
# Processor time (user + system) of a process so far, in clock ticks: fields 14 and 15 of
# /proc/PID/stat, counted after the command name in parentheses.
cpu_ticks() { sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
now_ns() { date +%s%N; }

# measure SIZE NAME FIRST_FRAME_MS COMMAND...: runs the command on the current display server
# (SERVER_PID) and prints one line of figures.
measure() {
    local size=$1 name=$2 first=$3
    shift 3
    "$@" >"$TMP/run.log" 2>&1 &
    RUN_PID=$!
    if [ "$first" = probe ]; then
        first=$("$PROBE" "$START_NS" "$((${size%x*} - 1))" "$((${size#*x} - 1))" 10) || first="-"
    fi
    sleep "$SETTLE"
    local t0 r0 x0 t1 r1 x1 peak
    t0=$(now_ns)
    r0=$(cpu_ticks "$RUN_PID")
    x0=$(cpu_ticks "$SERVER_PID")
    sleep "$DURATION"
    kill -0 "$RUN_PID" 2>/dev/null || { echo "saver_cpu: $name ended early" >&2; cat "$TMP/run.log" >&2; exit 1; }
    t1=$(now_ns)
    r1=$(cpu_ticks "$RUN_PID")
    x1=$(cpu_ticks "$SERVER_PID")
    peak=$(awk '/^VmHWM:/ { print $2 }' "/proc/$RUN_PID/status")
    stop "$RUN_PID"
    RUN_PID=""
    awk -v size="$size" -v name="$name" -v first="$first" -v t="$TICKS" -v wall="$(((t1 - t0)))" \
        -v r="$((r1 - r0))" -v x="$((x1 - x0))" -v kb="$peak" 'BEGIN {
        s = 100 * r / t / (wall / 1e9); xs = 100 * x / t / (wall / 1e9)
        printf "%-9s  %-10s  %7.1f %%  %7.1f %%  %7.1f %%  %11s  %8.1f\n",
            size, name, s, xs, s + xs, first, kb / 1024 }'
}

printf 'each scene %d s steady, after %d s of start-up; %% of one core\n' "$DURATION" "$SETTLE"
printf '%-9s  %-10s  %9s  %9s  %9s  %11s  %8s\n' \
    screen scene saver server together "first frame" "peak MiB"
SIZES=(1920x1080 3840x2160)
echo "X11 (Xvfb):"
for size in "${SIZES[@]}"; do
    Xvfb -displayfd 3 -screen 0 "${size}x24" -br -nolisten tcp -noreset 3>"$TMP/display" \
        >"$TMP/xvfb.log" 2>&1 &
    XVFB_PID=$!
    SERVER_PID=$XVFB_PID
    for _ in $(seq 100); do [ -s "$TMP/display" ] && break; sleep 0.05; done
    export DISPLAY=":$(head -n1 "$TMP/display")"
    export XDG_RUNTIME_DIR="$TMP/runtime" QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS
    for _ in $(seq 100); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.05; done

    for scene in solid stripes world; do
        config="$TMP/config-$scene"
        mkdir -p "$config/Velstrand/Utilities"
        cp "$TMP/scenes/$scene.ini" "$config/Velstrand/Utilities/Chronivo.conf"
        START_NS=$(now_ns)
        XDG_CONFIG_HOME="$config" measure "$size" "$scene" probe "$CHRONIVO" /s
    done
    if [ -x "$POPSQUARES" ]; then
        measure "$size" popsquares "-" "$POPSQUARES" -root
    else
        printf '%-9s  popsquares: not installed (Debian package xscreensaver-data)\n' "$size"
    fi
    stop "$XVFB_PID"
    XVFB_PID=""
    rm -f "$TMP/display"
done

# Wayland: headless sway with one output of each size, the saver as a client of it.
RUN_AS=()
if [ "$(id -u)" -eq 0 ]; then
    RUN_AS=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
if ! command -v sway >/dev/null 2>&1; then
    echo "Wayland: sway is not installed (scripts/install-deps.sh installs it)"
else
    echo "Wayland (sway, headless, pixman):"
    WL=$TMP/wl
    mkdir -p "$WL" && chmod 711 "$TMP" "$WL"
    install -m 755 "$CHRONIVO" "$WL/chronivo"
    for size in "${SIZES[@]}"; do
        rm -rf "$WL/runtime" "$WL/home"
        mkdir -m 700 "$WL/runtime" "$WL/home"
        printf 'xwayland disable\ndefault_border none\noutput HEADLESS-1 mode %s\n' "$size" \
            >"$WL/sway.conf"
        chmod 644 "$WL/sway.conf"
        [ "$(id -u)" -ne 0 ] || chown 65534:65534 "$WL/runtime" "$WL/home"
        wl_env=(env -u DISPLAY -u WAYLAND_DISPLAY HOME="$WL/home" XDG_RUNTIME_DIR="$WL/runtime")
        WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
            "${RUN_AS[@]}" "${wl_env[@]}" sway -c "$WL/sway.conf" >"$WL/sway.log" 2>&1 &
        SWAY_PID=$!
        SERVER_PID=$SWAY_PID
        for _ in $(seq 200); do compgen -G "$WL/runtime/wayland-*[0-9]" >/dev/null && break; sleep 0.05; done
        socket=$(basename "$(compgen -G "$WL/runtime/wayland-*[0-9]" | head -n1)")
        for scene in solid stripes world; do
            config="$WL/config-$scene"
            mkdir -p "$config/Velstrand/Utilities"
            cp "$TMP/scenes/$scene.ini" "$config/Velstrand/Utilities/Chronivo.conf"
            [ "$(id -u)" -ne 0 ] || chown -R 65534:65534 "$config"
            measure "$size" "$scene" "-" "${RUN_AS[@]}" "${wl_env[@]}" WAYLAND_DISPLAY="$socket" \
                QT_QPA_PLATFORM=wayland XDG_CONFIG_HOME="$config" "$WL/chronivo" /s
        done
        stop "$SWAY_PID"
        SWAY_PID=""
    done
fi
printf 'first frame: ms from start to the first complete frame on the screen\n'
printf 'peak MiB: the program'\''s peak resident memory (VmHWM)\n'
