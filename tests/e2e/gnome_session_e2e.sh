#!/usr/bin/env bash
# The idle watcher in a full GNOME session, headless: gnome-session with gnome-shell on a virtual
# monitor, the settings daemons that own org.freedesktop.ScreenSaver and the screen's power, and
# the shell's screen shield, which blanks the screen after GNOME's idle delay. The session starts
# once, on a session bus and a "system" bus of its own (with a stand-in for logind), as an
# unprivileged user; then each case runs `chronivo --daemon --after Ns --verbose` afresh:
#   later-blank    the desktop blanks after 60 s: the saver starts after 5 s and covers the screen
#   behind-blank   the desktop blanks after 5 s: no saver behind it with --after 10s
#   blank-ends     the desktop blanks after 10 s: the saver started after 3 s ends then
#   overview       with the Activities overview open the saver still covers the whole screen
#   nudge-and-key  a one-pixel pointer move leaves the saver running, a key ends it at once
# Input comes from mutter's remote desktop service, screenshots from gnome-screenshot. Animations
# are off, so the shell blanks right at its idle delay instead of after a ten-second fade.
# Usage: gnome_session_e2e.sh PATH-TO-CHRONIVO PATH-TO-CHRONIVO-RENDER [CASE...]
set -euo pipefail

readonly SKIP=77
readonly SCREEN_W=1280
readonly SCREEN_H=720
readonly SESSION_ID=c1
HERE=$(cd "$(dirname "$0")" && pwd)

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
skip() {
    echo "skipped: $*"
    exit "$SKIP"
}

# ---- Outside: a private folder, the unprivileged user, a clean environment ----

if [ "${1-}" != --inside ]; then
    [ $# -ge 2 ] || fail "usage: $0 PATH-TO-CHRONIVO PATH-TO-CHRONIVO-RENDER [CASE...]"
    for tool in gnome-session gnome-shell gjs gnome-screenshot gsettings gdbus dbus-daemon \
        dbus-run-session convert setpriv /usr/libexec/gsd-power /usr/libexec/gsd-screensaver-proxy; do
        command -v "$tool" >/dev/null 2>&1 ||
            skip "$tool is not installed (scripts/install-deps.sh installs it)"
    done
    # The shell builds its screen shield, which blanks the screen, only on a machine whose
    # logind keeps its seats there (it looks for the folder, then talks to our stand-in). As
    # root the empty folder is made where a machine without logind lacks it.
    if [ ! -d /run/systemd/seats ] && [ "$(id -u)" -eq 0 ]; then
        mkdir -p /run/systemd/seats
    fi
    [ -d /run/systemd/seats ] ||
        skip "/run/systemd/seats is missing: without it GNOME's shell neither blanks nor locks"
    TMP=$(mktemp -d "${TMPDIR:-/tmp}/chronivo-gnome.XXXXXX")
    # The document portal, started on demand by the session's bus, may still be unmounting its
    # folder in the runtime folder when the bus has ended.
    remove_tmp() {
        for _ in $(seq 50); do
            rm -rf "$TMP" 2>/dev/null && return 0
            sleep 0.1
        done
        rm -rf "$TMP"
    }
    trap remove_tmp EXIT
    # Passable for the session's user; its own folders below stay private.
    chmod 711 "$TMP"
    mkdir -m 700 "$TMP/home" "$TMP/runtime"
    install -m 755 "$1" "$TMP/chronivo"
    install -m 755 "$2" "$TMP/chronivo-render"
    install -m 644 "$0" "$TMP/gnome_session_e2e.sh"
    install -m 644 "$HERE/logind_standin.js" "$HERE/remote_input.js" "$HERE/background_lib.sh" \
        "$TMP/"
    run_as=()
    user=$(id -un)
    if [ "$(id -u)" -eq 0 ]; then
        # GNOME runs as a user, never as root: as nobody, in folders of its own.
        chown 65534:65534 "$TMP/home" "$TMP/runtime"
        run_as=(setpriv --reuid=65534 --regid=65534 --clear-groups --inh-caps=-all)
        user=$(id -un 65534 2>/dev/null || echo nobody)
    fi
    # LeakSanitizer reads its suppressions as that user too: a copy it can read.
    if [[ "${LSAN_OPTIONS-}" =~ suppressions=([^:]+) ]]; then
        install -m 644 "${BASH_REMATCH[1]}" "$TMP/lsan.supp"
        LSAN_OPTIONS=${LSAN_OPTIONS/"${BASH_REMATCH[1]}"/"$TMP/lsan.supp"}
    fi
    shift 2
    status=0
    # Nothing of the caller's desktop or bus goes in: env -i, and a session bus of its own. The
    # bus daemon's chatter goes to a log; the script's own output comes out on 3 and 4.
    "${run_as[@]}" env -i HOME="$TMP/home" USER="$user" \
        PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 XDG_RUNTIME_DIR="$TMP/runtime" \
        XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_DESKTOP=gnome \
        XDG_SESSION_CLASS=user XDG_SESSION_ID="$SESSION_ID" ${LSAN_OPTIONS:+LSAN_OPTIONS="$LSAN_OPTIONS"} \
        dbus-run-session -- bash "$TMP/gnome_session_e2e.sh" --inside "$TMP" "$@" \
        3>&1 4>&2 >"$TMP/bus.log" 2>&1 || status=$?
    if [ "$status" -ne 0 ] && [ "$status" -ne "$SKIP" ]; then
        echo "---- the session bus's log" >&2
        tail -n 40 "$TMP/bus.log" >&2
        if [ -f "$TMP/home/logs/session.log" ]; then
            echo "---- gnome-session's log" >&2
            tail -n 40 "$TMP/home/logs/session.log" >&2
        fi
    fi
    exit "$status"
fi

# ---- Inside: the session's user on its own session bus ----

TMP=$2
shift 2
exec 1>&3 2>&4 3>&- 4>&-
CHRONIVO=$TMP/chronivo
RENDER=$TMP/chronivo-render
# shellcheck source=background_lib.sh
source "$TMP/background_lib.sh"
LOG=$TMP/home/logs
mkdir -p "$LOG"
export XDG_CONFIG_HOME=$TMP/home/.config XDG_DATA_HOME=$TMP/home/.local/share \
    XDG_CACHE_HOME=$TMP/home/.cache
# Only the session's own autostart folder: none of the machine's other autostart programs.
export XDG_CONFIG_DIRS=$TMP/home/xdg
mkdir -p "$XDG_CONFIG_HOME/gnome-session/sessions" "$XDG_DATA_HOME/applications" \
    "$XDG_CONFIG_DIRS/autostart" "$XDG_CACHE_HOME"

STARTED=() # every process this script started, ended in reverse order on exit
WATCHER_PID=""
SESSION_PID=""

# The ids of process $1 and all its descendants.
process_tree() {
    local child
    echo "$1"
    for child in $(pgrep -P "$1" || true); do
        process_tree "$child"
    done
}
# Ends process $1 (SIGTERM), waits up to 10 s, then kills it.
end_process() {
    kill "$1" 2>/dev/null || return 0
    for _ in $(seq 100); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    echo "process $1 ($(tr '\0' ' ' <"/proc/$1/cmdline" 2>/dev/null)) did not end: killing it" >&2
    kill -9 "$1" 2>/dev/null || true
}
stop_everything() {
    local pids=() pid i
    stop_watcher
    # gnome-session first, which ends its components; then whatever of them is left.
    if [ -n "$SESSION_PID" ]; then
        mapfile -t pids < <(process_tree "$SESSION_PID")
    fi
    for ((i = ${#STARTED[@]} - 1; i >= 0; i--)); do
        pids+=("${STARTED[$i]}")
    done
    for pid in "${pids[@]}"; do
        end_process "$pid"
    done
}
trap stop_everything EXIT

# Runs "$@" until it succeeds; fails after $2 seconds with message $1.
wait_until() {
    local what=$1 seconds=$2
    shift 2
    local end=$((SECONDS + seconds))
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || fail "timed out after $seconds s waiting for $what"
        sleep 0.1
    done
}
# Succeeds when "$@" stays false for $1 seconds.
never_within() {
    local seconds=$1
    shift
    local end=$((SECONDS + seconds))
    while [ "$SECONDS" -lt "$end" ]; do
        ! "$@" || return 1
        sleep 0.1
    done
}

# ---- The session ----

# A "system" bus of the session's own, with logind and the display manager stood in for: the
# shell builds its screen shield only where it can lock.
start_system_bus() {
    dbus-daemon --session --nofork --address="unix:path=$TMP/runtime/system_bus" \
        >"$LOG/system-bus.log" 2>&1 &
    STARTED+=($!)
    export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$TMP/runtime/system_bus
    wait_until "the private system bus" 10 test -S "$TMP/runtime/system_bus"
    gjs "$TMP/logind_standin.js" "$SESSION_ID" >"$LOG/logind.log" 2>&1 &
    STARTED+=($!)
    wait_until "the logind stand-in" 10 grep -qx ready "$LOG/logind.log"
}

bus_has() { gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null | grep -q true; }
shell_answers() { gdbus introspect --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
    >/dev/null 2>&1; }
session_ready() {
    shell_answers && bus_has org.gnome.ScreenSaver && bus_has org.freedesktop.ScreenSaver &&
        bus_has org.gnome.SettingsDaemon.Power && bus_has org.gnome.Mutter.RemoteDesktop
}

start_session() {
    # The shell headless on one virtual monitor, Wayland only, as a session component.
    cat >"$XDG_DATA_HOME/applications/org.gnome.Shell.Headless.desktop" <<EOF
[Desktop Entry]
Type=Application
Name=GNOME Shell (headless)
Exec=gnome-shell --wayland --headless --no-x11 --virtual-monitor ${SCREEN_W}x${SCREEN_H}
X-GNOME-Autostart-Phase=DisplayServer
X-GNOME-Provides=panel;windowmanager;
X-GNOME-Autostart-Notify=true
X-GNOME-AutoRestart=false
EOF
    local component
    for component in Power ScreensaverProxy; do
        cp "/etc/xdg/autostart/org.gnome.SettingsDaemon.$component.desktop" \
            "$XDG_CONFIG_DIRS/autostart/"
    done
    cat >"$XDG_CONFIG_HOME/gnome-session/sessions/chronivo-test.session" <<EOF
[GNOME Session]
Name=Headless test session
RequiredComponents=org.gnome.Shell.Headless;org.gnome.SettingsDaemon.ScreensaverProxy;org.gnome.SettingsDaemon.Power;
EOF
    # Animations off: the shell blanks at its idle delay, not after a ten-second fade, and the
    # overview opens and closes at once. No lock: the saver is what shows.
    gsettings set org.gnome.desktop.interface enable-animations false
    gsettings set org.gnome.desktop.screensaver lock-enabled false
    gsettings set org.gnome.desktop.session idle-delay 300
    # Without systemd: gnome-session 43 asks for its own session management with --builtin; 48
    # no longer knows the option.
    local builtin=()
    if gnome-session --help 2>&1 | grep -q -- --builtin; then
        builtin=(--builtin)
    fi
    gnome-session "${builtin[@]}" --session=chronivo-test >"$LOG/session.log" 2>&1 &
    SESSION_PID=$!
    wait_until "the GNOME session (shell, screen shield, settings daemons)" 120 session_ready
    WAYLAND_DISPLAY=$(basename "$(compgen -G "$XDG_RUNTIME_DIR/wayland-[0-9]" | head -n1)")
    export WAYLAND_DISPLAY
}

# ---- Input, through one remote desktop session ----

# The helper's commands and answers go through two pipes that stay open in this shell (and in
# the cases' subshells) as INPUT_TO and INPUT_FROM.
start_input() {
    mkfifo "$TMP/runtime/input-to" "$TMP/runtime/input-from"
    gjs "$TMP/remote_input.js" <"$TMP/runtime/input-to" >"$TMP/runtime/input-from" \
        2>"$LOG/input.log" &
    STARTED+=($!)
    exec {INPUT_TO}>"$TMP/runtime/input-to" {INPUT_FROM}<"$TMP/runtime/input-from"
    local reply
    read -r -t 20 reply <&"$INPUT_FROM" || fail "the remote desktop session did not start"
    [ "$reply" = ready ] || fail "remote desktop: $reply"
}
send_input() {
    local reply
    echo "$*" >&"$INPUT_TO"
    read -r -t 10 reply <&"$INPUT_FROM" || fail "no answer from the input helper to '$*'"
    [ "$reply" = ok ] || fail "input '$*': $reply"
}
nudge() { send_input move 1 0; }
press_key() { send_input key 97; } # "a"

# ---- The shell ----

overview_is() {
    gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
        --method org.freedesktop.DBus.Properties.Get org.gnome.Shell OverviewActive |
        grep -q "<$1>"
}
# Opens (true) or closes (false) the Activities overview and waits until it is so.
set_overview() {
    gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
        --method org.freedesktop.DBus.Properties.Set org.gnome.Shell OverviewActive "<$1>" \
        >/dev/null
    wait_until "OverviewActive $1" 10 overview_is "$1"
}
# Whether the shell's screen shield is up: the screen blanked (or locked).
blanked() {
    gdbus call --session --dest org.gnome.ScreenSaver --object-path /org/gnome/ScreenSaver \
        --method org.gnome.ScreenSaver.GetActive 2>/dev/null | grep -q true
}
unblanked() { ! blanked; }

# A desktop as each case starts from: GNOME blanks after $1 seconds and never locks, the screen
# awake (where the last case left it blank), the overview closed, and input just now, from which
# the idle time counts.
fresh_desktop() {
    gsettings set org.gnome.desktop.session idle-delay "$1"
    gsettings set org.gnome.desktop.screensaver lock-enabled false
    if blanked; then
        press_key
        wait_until "the shell to unblank" 10 unblanked
    fi
    set_overview false
    nudge
}

# ---- The watcher and its saver ----

# Starts `chronivo --daemon --after $1 --verbose` with settings of its own (GNOME's settings
# database stays the session's).
start_watcher() {
    CASE_DIR=$(mktemp -d "$TMP/home/case.XXXXXX")
    mkdir -p "$CASE_DIR/config"
    ln -s "$XDG_CONFIG_HOME/dconf" "$CASE_DIR/config/dconf"
    XDG_CONFIG_HOME="$CASE_DIR/config" QT_QPA_PLATFORM=wayland \
        "$CHRONIVO" --daemon --after "$1" --verbose >"$CASE_DIR/watcher.log" 2>&1 &
    WATCHER_PID=$!
}
stop_watcher() {
    [ -n "$WATCHER_PID" ] || return 0
    kill "$WATCHER_PID" 2>/dev/null || true
    wait "$WATCHER_PID" 2>/dev/null || true
    WATCHER_PID=""
}
# The watcher's `chronivo /s` child, if any; prints its id.
saver_pid() {
    local pid
    for pid in $(pgrep -P "$WATCHER_PID" 2>/dev/null || true); do
        if { tr '\0' ' ' <"/proc/$pid/cmdline"; } 2>/dev/null | grep -q ' /s $'; then
            echo "$pid"
            return 0
        fi
    done
    return 1
}
saver_running() { saver_pid >/dev/null; }
saver_gone() { ! saver_running; }
# Runs case $1 in a subshell of its own, which ends its watcher and on failure shows its log.
# In the background, so that a failing command still ends it (set -e holds nowhere inside `if`).
run_case() {
    (
        trap 'status=$?; [ $status -eq 0 ] || cat "$CASE_DIR/watcher.log" >&2 || true; stop_watcher' EXIT
        CASE_DIR=""
        "case_${1//-/_}"
    ) &
    wait $!
}

# ---- Screenshots ----

# Colour of the screenshot $1 at (x, y) as RRGGBB.
pixel() { convert "$1" -format "%[hex:u.p{$2,$3}]" info:; }
# Whether a screenshot shows the saver over the whole screen: its four corners and the middle
# of each edge have the background chronivo-render predicts for the moment of the shot (the
# start taken 300 ms early, as the frame on screen may be one period old). LAST says what was
# seen. The shell's top bar, wallpaper and overview are black or grey there.
covers_screen() {
    local shot=$CASE_DIR/shot.png t0 t1 x y colour
    t0=$(($(date +%s%3N) - 300))
    gnome-screenshot -f "$shot" 2>>"$LOG/screenshot.log" || return 1
    t1=$(date +%s%3N)
    local lo hi
    : >"$CASE_DIR/settings.conf" # the watcher's saver reads no settings file either
    lo=$(predicted "$CASE_DIR/settings.conf" "$t0" "${SCREEN_W}x${SCREEN_H}")
    hi=$(predicted "$CASE_DIR/settings.conf" "$t1" "${SCREEN_W}x${SCREEN_H}")
    LAST="predicted $lo to $hi:"
    local ok=0
    for point in 0,0 $((SCREEN_W - 1)),0 0,$((SCREEN_H - 1)) $((SCREEN_W - 1)),$((SCREEN_H - 1)) \
        $((SCREEN_W / 2)),0 $((SCREEN_W / 2)),$((SCREEN_H - 1)) 0,$((SCREEN_H / 2)) \
        $((SCREEN_W - 1)),$((SCREEN_H / 2)); do
        x=${point%,*}
        y=${point#*,}
        colour=$(pixel "$shot" "$x" "$y")
        LAST+=" ($x,$y) $colour"
        colour_between "$colour" "$lo" "$hi" || ok=1
    done
    return "$ok"
}
expect_covers_screen() {
    local end=$((SECONDS + 10))
    until covers_screen; do
        if [ "$SECONDS" -ge "$end" ]; then
            fail "$1: the saver does not cover the screen ($LAST)"
        fi
        sleep 0.5
    done
}

# ---- The cases ----

# The desktop blanks after 60 s; the watcher's 5 s come first: the saver starts and covers the
# whole screen.
case_later_blank() {
    fresh_desktop 60
    start_watcher 5s
    wait_until "the saver after 5 idle seconds" 15 saver_running
    expect_covers_screen later-blank
}

# The desktop blanks after 5 s, before the watcher's 10 s: the screen goes dark at 5 s and no
# saver starts behind it.
case_behind_blank() {
    fresh_desktop 5
    start_watcher 10s
    local start=$SECONDS
    wait_until "the shell to blank after 5 idle seconds" 15 blanked
    never_within $((start + 15 - SECONDS)) saver_running ||
        fail "a saver started behind the desktop's blank (at $((SECONDS - start)) s)"
}

# The saver starts after 3 s; the desktop blanks at 10 s and the saver ends with it, and stays
# away while the screen is dark.
case_blank_ends() {
    fresh_desktop 10
    start_watcher 3s
    wait_until "the saver after 3 idle seconds" 10 saver_running
    wait_until "the shell to blank after 10 idle seconds" 20 blanked
    local end=$((SECONDS + 5))
    until saver_gone; do
        [ "$SECONDS" -lt "$end" ] || fail "the saver still runs 5 s after the desktop blanked"
        sleep 0.1
    done
    never_within 5 saver_running || fail "the saver came back while the screen was dark"
}

# With the Activities overview open when the idle time comes, the saver still covers the whole
# screen.
case_overview() {
    fresh_desktop 60
    start_watcher 5s
    sleep 3
    set_overview true
    wait_until "the saver after 5 idle seconds" 15 saver_running
    expect_covers_screen overview
}

# A one-pixel pointer move leaves the saver running; a key then ends it at once. Where the nudge
# ends the saver, the key is still tried on the next one, and the case fails after.
case_nudge_and_key() {
    fresh_desktop 60
    start_watcher 3s
    wait_until "the saver after 3 idle seconds" 10 saver_running
    local saver nudge_ended=""
    saver=$(saver_pid)
    # Input before the saver's window is up and has the keyboard ends it, as input elsewhere
    # does (the saver cannot tell a nudge from a key there): on a busy machine the window may
    # take more than a second. Once it covers the screen, a moment for it to take the keyboard.
    expect_covers_screen nudge-and-key
    sleep 1
    nudge
    sleep 2
    if ! kill -0 "$saver" 2>/dev/null; then
        nudge_ended=yes
        wait_until "the saver again after 3 more idle seconds" 10 saver_running
        saver=$(saver_pid)
        sleep 1
    fi
    press_key
    wait_until "the saver to end on a key" 3 sh -c "! kill -0 $saver 2>/dev/null"
    [ -z "$nudge_ended" ] || fail "a one-pixel nudge ended the saver (a key then ended the next)"
}

ALL_CASES=(later-blank behind-blank blank-ends overview nudge-and-key)
CASES=("$@")
[ ${#CASES[@]} -gt 0 ] || CASES=("${ALL_CASES[@]}")

start_system_bus
start_session
start_input
echo "session ready after $SECONDS s"
failed=()
for name in "${CASES[@]}"; do
    started=$SECONDS
    if run_case "$name"; then
        echo "ok: $name ($((SECONDS - started)) s)"
    else
        failed+=("$name")
        echo "FAILED: $name ($((SECONDS - started)) s)"
    fi
done
echo "all cases ran after $SECONDS s"
[ ${#failed[@]} -eq 0 ] || fail "${failed[*]}"
