#!/usr/bin/env bash
# The saver's background as chronivo-render ($RENDER) predicts it, for end-to-end tests that
# check a screenshot's colour: sourced by e2e_lib.sh and gnome_session_e2e.sh.

# Milliseconds since 1970 as chronivo-render's --at wants it.
at_text() { date -u -d "@$(($1 / 1000)).$(printf '%03d' $(($1 % 1000)))" +%Y-%m-%dT%H:%M:%S.%3NZ; }
# The background chronivo-render computes with settings file $1 at moment $2 (milliseconds since
# 1970) on a screen of $3 (WxH), as "R G B" in decimal.
predicted() {
    local hex
    hex=$(QT_QPA_PLATFORM=offscreen "$RENDER" --settings "$1" --at "$(at_text "$2")" \
        --size "$3" --json 2>/dev/null |
        sed -n 's/.*"background": "#\([0-9A-Fa-f]\{6\}\)".*/\1/p')
    [ -n "$hex" ] || fail "chronivo-render printed no background"
    echo "$((16#${hex:0:2})) $((16#${hex:2:2})) $((16#${hex:4:2}))"
}
# Whether colour $1 (RRGGBB) lies between the "R G B" colours $2 and $3, channel by channel,
# with 2 units for rounding: the background predicted at the start and the end of a screenshot.
colour_between() {
    local got=($((16#${1:0:2})) $((16#${1:2:2})) $((16#${1:4:2}))) lo hi i
    read -r -a lo <<<"$2"
    read -r -a hi <<<"$3"
    for i in 0 1 2; do
        local a=${lo[$i]} b=${hi[$i]}
        [ "$a" -le "$b" ] || { a=${hi[$i]} && b=${lo[$i]}; }
        [ "${got[$i]}" -ge $((a - 2)) ] && [ "${got[$i]}" -le $((b + 2)) ] || return 1
    done
}
