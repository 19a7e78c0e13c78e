#!/usr/bin/env bash
# End-to-end test with the real XScreenSaver daemon on its own Xvfb: a fresh home whose
# ~/.xscreensaver names "chronivo --root" as its only hack; the saver is activated, the screen
# must show the background colour that chronivo-render computes for that moment with the same
# settings, and the hack must be gone once the saver is deactivated.
# Usage: xscreensaver_e2e.sh PATH-TO-CHRONIVO PATH-TO-CHRONIVO-RENDER
set -euo pipefail
# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"

CHRONIVO=$1
RENDER=$2

for tool in xscreensaver xscreensaver-command; do
    command -v "$tool" >/dev/null 2>&1 || {
        echo "skipped: $tool is not installed (scripts/install-deps.sh installs it)"
        exit "$SKIP"
    }
done

# XScreenSaver launches no hack for root, so as root the daemon and its commands run as nobody.
AS=()
if [ "$(id -u)" -eq 0 ]; then
    AS=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi

start_x
export HOME="$E2E_TMP/home"
# One zone for the hack and the prediction alike.
export TZ=UTC
# The hack is found on PATH by its plain name, as in a user's ~/.xscreensaver. A copy, so that
# nobody can run it wherever the build lives; the leak checker's suppressions go along with it.
mkdir -p "$HOME" "$XDG_CONFIG_HOME/Velstrand/Utilities" "$E2E_TMP/bin"
cp "$CHRONIVO" "$E2E_TMP/bin/chronivo"
PATH="$E2E_TMP/bin:$PATH"
export PATH
if [[ "${LSAN_OPTIONS-}" =~ suppressions=([^:]+) ]]; then
    cp "${BASH_REMATCH[1]}" "$E2E_TMP/lsan.supp"
    LSAN_OPTIONS=${LSAN_OPTIONS/"${BASH_REMATCH[1]}"/"$E2E_TMP/lsan.supp"}
    export LSAN_OPTIONS
fi
# A speed other than the default, so the colour only matches when the hack read these settings.
settings="$XDG_CONFIG_HOME/Velstrand/Utilities/Chronivo.conf"
printf '[ScreenSaver]\nSpeed=450\n' >"$settings"
cat >"$HOME/.xscreensaver" <<'CONF'
mode:		one
selected:	0
lock:		False
timeout:	0:30:00
splash:		False
fade:		False
unfade:		False
dpmsEnabled:	False
programs:	chronivo --root \n
CONF
if [ ${#AS[@]} -gt 0 ]; then
    chown -R nobody:nogroup "$E2E_TMP"
fi

"${AS[@]}" xscreensaver -no-splash -verbose >"$E2E_TMP/xscreensaver.log" 2>&1 &
APP_PID=$!
daemon_answers() { "${AS[@]}" xscreensaver-command -time >/dev/null 2>&1; }
wait_until "the XScreenSaver daemon" daemon_answers
"${AS[@]}" xscreensaver-command -activate >/dev/null

# The hack: a chronivo process on this display (XScreenSaver names the screen too, ":N.0").
hack_pid() {
    local pid
    for pid in $(pgrep -x chronivo || true); do
        if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -Eqx "DISPLAY=$DISPLAY(\.[0-9]+)?"; then
            echo "$pid"
            return 0
        fi
    done
    return 1
}
hack_started() { HACK_PID=$(hack_pid); }
HACK_PID=""
wait_until "XScreenSaver to start the hack" hack_started

# Milliseconds since 1970 as chronivo-render's --at wants it.
at_text() { date -u -d "@$(($1 / 1000)).$(printf '%03d' $(($1 % 1000)))" +%Y-%m-%dT%H:%M:%S.%3NZ; }
# The background chronivo-render computes at that moment, as "R G B" in decimal.
predicted() {
    local hex
    hex=$(QT_QPA_PLATFORM=offscreen "$RENDER" --settings "$settings" --at "$(at_text "$1")" \
        --size "${SCREEN_W}x${SCREEN_H}" --json 2>/dev/null |
        sed -n 's/.*"background": "#\([0-9A-Fa-f]\{6\}\)".*/\1/p')
    [ -n "$hex" ] || fail "chronivo-render printed no background"
    echo "$((16#${hex:0:2})) $((16#${hex:2:2})) $((16#${hex:4:2}))"
}
# Whether the screen's background (bottom-right corner) has the predicted colour: each channel
# between its values at the start and the end of the screenshot, the start taken 300 ms early
# for the frame on screen being up to one period old, with 2 units for rounding.
shows_predicted_background() {
    local t0 t1 shot lo hi i
    t0=$(($(date +%s%3N) - 300))
    shot=$(screen_pixel $((SCREEN_W - 1)) $((SCREEN_H - 1)))
    t1=$(date +%s%3N)
    [ "${shot,,}" != 000000 ] || return 1
    read -r -a lo <<<"$(predicted "$t0")"
    read -r -a hi <<<"$(predicted "$t1")"
    local got=($((16#${shot:0:2})) $((16#${shot:2:2})) $((16#${shot:4:2})))
    LAST="screen $shot, predicted ${lo[*]} to ${hi[*]}"
    for i in 0 1 2; do
        local a=${lo[$i]} b=${hi[$i]}
        if [ "$a" -gt "$b" ]; then
            local t=$a
            a=$b
            b=$t
        fi
        [ "${got[$i]}" -ge $((a - 2)) ] && [ "${got[$i]}" -le $((b + 2)) ] || return 1
    done
}
LAST=""
end=$((SECONDS + DEADLINE))
until shows_predicted_background; do
    if [ "$SECONDS" -ge "$end" ]; then
        cat "$E2E_TMP/xscreensaver.log" >&2
        fail "the screen never showed the predicted background ($LAST)"
    fi
    sleep 0.1
done

"${AS[@]}" xscreensaver-command -deactivate >/dev/null
hack_gone() { ! kill -0 "$HACK_PID" 2>/dev/null; }
wait_until "the hack to end after deactivation" hack_gone
echo "ok: XScreenSaver ran chronivo --root ($LAST) and ended it"
