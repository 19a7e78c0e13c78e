#!/usr/bin/env bash
# Runs the real saver on its own X server (Xvfb, 1920 x 1080) and prints the processor time it
# used per wall-clock second and its peak memory.
#
#   bench/saver_cpu.sh [CHRONIVO] [SECONDS] [SETTINGS.ini]
#
# CHRONIVO defaults to build/bin/chronivo, SECONDS to 30. SETTINGS.ini, when given, becomes the
# saver's settings file (group [ScreenSaver]); otherwise the saver runs on its defaults (a solid
# clock). The first second after start-up is left out of the steady figure, so that loading
# fonts and fitting them does not count as running cost; the total figure includes it.
set -euo pipefail

CHRONIVO=${1:-build/bin/chronivo}
DURATION=${2:-30}
SETTINGS=${3:-}
SETTLE=1

for tool in Xvfb xwininfo; do
    command -v "$tool" >/dev/null 2>&1 || { echo "saver_cpu: $tool is not installed" >&2; exit 1; }
done
[ -x "$CHRONIVO" ] || { echo "saver_cpu: $CHRONIVO is not an executable" >&2; exit 1; }

TMP=$(mktemp -d "${TMPDIR:-/tmp}/chronivo-cpu.XXXXXX")
XVFB_PID=""
SAVER_PID=""
cleanup() {
    local pid
    for pid in $SAVER_PID $XVFB_PID; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$TMP"
}
trap cleanup EXIT

mkdir -p "$TMP/config/Velstrand/Utilities" "$TMP/runtime"
chmod 700 "$TMP/runtime"
if [ -n "$SETTINGS" ]; then
    cp "$SETTINGS" "$TMP/config/Velstrand/Utilities/Chronivo.conf"
fi

Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$TMP/display" \
    >"$TMP/xvfb.log" 2>&1 &
XVFB_PID=$!
for _ in $(seq 100); do [ -s "$TMP/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$TMP/display")"
export XDG_CONFIG_HOME="$TMP/config" XDG_RUNTIME_DIR="$TMP/runtime" QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS
for _ in $(seq 100); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.05; done

TICKS=$(getconf CLK_TCK)
# Processor time (user + system) of the process so far, in clock ticks.
cpu_ticks() {
    # Fields 14 and 15 of /proc/PID/stat, counted after the command name in parentheses.
    sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}
now_ns() { date +%s%N; }

start_ns=$(now_ns)
"$CHRONIVO" /s >"$TMP/saver.log" 2>&1 &
SAVER_PID=$!
sleep "$SETTLE"
settled_ns=$(now_ns)
settled_ticks=$(cpu_ticks "$SAVER_PID")
sleep "$DURATION"
kill -0 "$SAVER_PID" 2>/dev/null || { echo "saver_cpu: the saver ended early" >&2; exit 1; }
end_ns=$(now_ns)
end_ticks=$(cpu_ticks "$SAVER_PID")
peak_kb=$(awk '/^VmHWM:/ { print $2 }' "/proc/$SAVER_PID/status")

awk -v t="$TICKS" -v st="$settled_ticks" -v et="$end_ticks" \
    -v s0="$start_ns" -v s1="$settled_ns" -v e="$end_ns" -v kb="$peak_kb" -v d="$DURATION" '
BEGIN {
    steady = (et - st) / t / ((e - s1) / 1e9)
    total = et / t / ((e - s0) / 1e9)
    printf "saver at 1920x1080 for %d s: %.2f %% of one core steady (%.2f %% including start-up)\n",
        d, 100 * steady, 100 * total
    printf "peak memory (VmHWM): %.1f MiB\n", kb / 1024
}'
