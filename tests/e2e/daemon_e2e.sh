#!/usr/bin/env bash
# End-to-end tests of the idle watcher (chronivo --daemon) on its own Xvfb, where the idle time
# comes from the X11 screen-saver extension and input from xdotool.
# Usage: daemon_e2e.sh PATH-TO-CHRONIVO CASE [PATH-TO-FAKE-DESKTOP-SERVICES]
set -euo pipefail
# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"

CHRONIVO=$1
CASE=$2
FAKES=${3-}

# The process id of the saver the watcher started, empty when none runs.
saver_pid() { pgrep -P "$APP_PID" -f '/s$' 2>/dev/null | head -n1 || true; }
saver_running() { [ -n "$(saver_pid)" ]; }
saver_gone() { ! saver_running; }
# The saver's window on screen.
saver_shown() {
    local pid
    pid=$(saver_pid)
    [ -n "$pid" ] && [ -n "$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null)" ]
}

case "$CASE" in
idle-starts-input-ends)
    # Two seconds without input start the saver; a key ends it; two more idle seconds start it
    # again; SIGTERM ends the watcher and its saver, exit code 0.
    start_x
    start_app --daemon --after 2s --verbose
    wait_until "the saver after two idle seconds" saver_shown
    xdotool key a
    wait_until "the saver to end on a key" saver_gone
    expect_running() { app_running || fail "the watcher ended: $(cat "$E2E_TMP/app.log")"; }
    expect_running
    wait_until "the saver again after two more idle seconds" saver_shown
    saver=$(saver_pid)
    kill -s TERM "$APP_PID"
    expect_exit 0
    wait_until "the saver to end with the watcher" sh -c "! kill -0 $saver 2>/dev/null"
    grep -q '^chronivo: watching the X11 screen-saver extension' "$E2E_TMP/app.log" ||
        fail "log: $(cat "$E2E_TMP/app.log")"
    ;;
gnome-monitor)
    # On this test's own session bus, GNOME's idle monitor comes before the X server's count: its
    # idle watch starts the saver; while the session manager (then KDE's power management)
    # reports an inhibitor, an idle watch starts nothing, and the saver comes once it is gone.
    start_x
    coproc FAKE { exec "$FAKES"; }
    read -r ready <&"${FAKE[0]}"
    [ "$ready" = ready ] || fail "the fake desktop services did not start"
    said() { grep -q "$1" "$E2E_TMP/app.log"; }
    start_app --daemon --after 60 --verbose
    wait_until "the watcher to choose GNOME's monitor" said "watching GNOME's idle monitor"
    echo idle >&"${FAKE[1]}"
    wait_until "the saver on the monitor's idle watch" saver_shown
    # The monitor's word that the user is back leaves the judging to the saver, which has held the
    # keyboard and the pointer for a second and saw no input of its own: it stays until a key.
    sleep 1
    echo active >&"${FAKE[1]}"
    wait_until "the watcher to tell the saver" said "^chronivo: resumed: tell the saver"
    sleep 1
    saver_shown || fail "the saver ended on input it did not see itself"
    xdotool key a
    wait_until "the saver to end on a key" saver_gone
    echo inhibit >&"${FAKE[1]}"
    wait_until "the watcher to hear of the inhibitor" said "^chronivo: inhibited"
    echo idle >&"${FAKE[1]}"
    wait_until "the watcher to hear the idle watch" said "^chronivo: idle: nothing"
    saver_gone || fail "the saver started although the session manager reports an inhibitor"
    echo uninhibit >&"${FAKE[1]}"
    wait_until "the saver once the inhibitor is gone" saver_shown
    # KDE's power management holds it off the same way.
    xdotool key a
    wait_until "the saver to end on a key" saver_gone
    echo kde-inhibit >&"${FAKE[1]}"
    wait_until "the watcher to hear of KDE's inhibitor" \
        sh -c "grep -c '^chronivo: inhibited' '$E2E_TMP/app.log' | grep -qx 2"
    echo idle >&"${FAKE[1]}"
    wait_until "the watcher to hear the idle watch" \
        sh -c "grep -c '^chronivo: idle: nothing' '$E2E_TMP/app.log' | grep -qx 2"
    saver_gone || fail "the saver started although KDE's power management reports an inhibitor"
    echo kde-uninhibit >&"${FAKE[1]}"
    wait_until "the saver once KDE's inhibitor is gone" saver_shown
    kill -s TERM "$APP_PID"
    expect_exit 0
    ;;
player-inhibits)
    # On a bare X11 session nobody offers org.freedesktop.ScreenSaver, so the watcher does: a
    # player that holds an inhibition there keeps the saver away, and once the player has gone
    # (without a word: its requests go with it), idle starts the saver.
    start_x
    start_app --daemon --after 2s --verbose
    said() { grep -q "$1" "$E2E_TMP/app.log"; }
    wait_until "the watcher to keep org.freedesktop.ScreenSaver" said "keeping org.freedesktop"
    coproc PLAYER { exec "$FAKES" player; }
    read -r ready <&"${PLAYER[0]}"
    [ "$ready" = ready ] || fail "the player did not get its inhibition"
    wait_until "the watcher to hear of the player" said "^chronivo: inhibited"
    sleep 3
    saver_gone || fail "the saver started although a player inhibits it"
    exec {PLAYER[1]}>&-
    wait_until "the saver once the player has gone" saver_shown
    kill -s TERM "$APP_PID"
    expect_exit 0
    ;;
x11-blank)
    # The X server's own screen saver blanks 3 s after the last input: the saver the watcher
    # started after 2 s ends with the blank and does not come back behind the dark screen. With
    # the blank first (1 s), the watcher's time (3 s) starts nothing.
    start_x
    said() { grep -q "$1" "$E2E_TMP/app.log"; }
    xset s 3 0
    start_app --daemon --after 2s --verbose
    wait_until "the saver after two idle seconds" saver_shown
    wait_until "the saver to end when the X server blanks" saver_gone
    said "^chronivo: blanked: stop the saver" || fail "log: $(cat "$E2E_TMP/app.log")"
    sleep 3
    saver_gone || fail "the saver came back behind the X server's blank"
    kill -s TERM "$APP_PID"
    expect_exit 0
    xset s 1 0
    xdotool key a
    start_app --daemon --after 3s --verbose
    wait_until "the watcher's idle time behind the blank" said "^chronivo: idle: nothing"
    saver_gone || fail "the saver started behind the X server's blank"
    kill -s TERM "$APP_PID"
    expect_exit 0
    ;;
one-per-session)
    # A second watcher in the same session says so and ends at once with exit code 1.
    start_x
    start_app --daemon --after 60
    wait_until "the first watcher's lock" sh -c "ls '$XDG_RUNTIME_DIR' | grep -q chronivo-daemon"
    code=0
    out=$("$CHRONIVO" --daemon --after 60 2>&1) || code=$?
    [ "$code" -eq 1 ] || fail "second watcher: exit code $code, expected 1"
    [[ "$out" == "chronivo: the idle watcher already runs in this session (process $APP_PID)" ]] ||
        fail "second watcher said: $out"
    kill -s INT "$APP_PID"
    expect_exit 0
    ;;
off)
    # Without "StartAfter" and without --after there is nothing to watch for.
    start_x
    start_app --daemon
    expect_exit 0
    grep -q '^chronivo: the saver is not set to start by itself (StartAfter is 0)' \
        "$E2E_TMP/app.log" || fail "said: $(cat "$E2E_TMP/app.log")"
    ;;
untrusted-lock)
    # A lock that no watcher of this user's holds neither keeps a watcher from starting nor gets
    # its process signalled: one naming a process that is no watcher (a sleep of this test's),
    # the same belonging to another user (as root), and a link to a file elsewhere.
    start_x
    said() { grep -q "$1" "$E2E_TMP/app.log"; }
    # Its output goes nowhere, so that a failing step ends the test at once instead of when
    # the sleep ends and lets go of the test's output.
    sleep 120 </dev/null >/dev/null 2>&1 &
    victim=$!
    lock="$XDG_RUNTIME_DIR/chronivo-daemon-$(id -u).lock"
    elsewhere="$E2E_TMP/elsewhere"
    for kind in ours theirs link; do
        if [ "$kind" = theirs ] && [ "$(id -u)" -ne 0 ]; then
            continue # only root can give a file away
        fi
        printf '%s\nsleep\n%s\n' "$victim" "$(uname -n)" >"$lock"
        case $kind in
        theirs) chown 65534:65534 "$lock" ;;
        link) mv "$lock" "$elsewhere" && ln -s "$elsewhere" "$lock" ;;
        esac
        start_app --daemon --after 60 --verbose
        wait_until "the watcher to start despite the $kind lock" said "^chronivo: watching"
        kill -0 "$victim" || fail "the process the $kind lock named was signalled"
        kill -s TERM "$APP_PID"
        expect_exit 0
    done
    [ "$(head -n1 "$elsewhere")" = "$victim" ] || fail "the file the link led to was changed"
    kill "$victim"
    ;;
lock-places)
    # Without XDG_RUNTIME_DIR the lock goes to a folder of the user's own, made with mode 0700,
    # under the temporary folder; an XDG_RUNTIME_DIR that is missing is refused with what is
    # wrong with it, not with "already runs" (watcher_lock_test has the other faults).
    start_x
    export TMPDIR="$E2E_TMP/tmp"
    mkdir -m 1777 "$TMPDIR"
    code=0
    out=$(XDG_RUNTIME_DIR="$E2E_TMP/missing" "$CHRONIVO" --daemon --after 60 2>&1) || code=$?
    [ "$code" -eq 1 ] || fail "exit code $code"
    [[ "$out" == "chronivo: XDG_RUNTIME_DIR ($E2E_TMP/missing) does not exist; "* ]] ||
        fail "said: $out"
    unset XDG_RUNTIME_DIR
    start_app --daemon --after 60
    own="$TMPDIR/chronivo-$(id -u)"
    wait_until "the lock in a folder of its own" test -e "$own/chronivo-daemon-$(id -u).lock"
    [ "$(stat -c %a "$own")" = 700 ] || fail "the folder has mode $(stat -c %a "$own")"
    kill -s TERM "$APP_PID"
    expect_exit 0
    ;;
no-session-bus)
    # Without a session bus the watcher still watches the X server, and says that there is no
    # bus instead of naming the desktop as the keeper of the inhibitors.
    start_x
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$E2E_TMP/no-bus"
    start_app --daemon --after 60 --verbose
    wait_until "the watcher to say there is no bus" grep -q '^chronivo: no session bus (' \
        "$E2E_TMP/app.log"
    ! grep -q 'belongs to the desktop' "$E2E_TMP/app.log" || fail "log: $(cat "$E2E_TMP/app.log")"
    kill -s TERM "$APP_PID"
    expect_exit 0
    ;;
display-gone | compositor-gone)
    # The X server (or the Wayland compositor, a headless sway) ends under a running watcher:
    # the watcher says so, ends with exit code 0 and frees the session's lock for the next
    # session's watcher.
    if [ "$CASE" = display-gone ]; then
        start_x
        start_app --daemon --after 60 --verbose
        runtime=$XDG_RUNTIME_DIR uid=$(id -u) server=XVFB_PID gone="the X display $DISPLAY"
    else
        # shellcheck source=wayland_lib.sh
        source "$(dirname "$0")/wayland_lib.sh"
        start_sway
        start_wl_app --daemon --after 60 --verbose
        runtime=$WL_RUNTIME uid=$(as_wl_user id -u) server=SWAY_PID
        gone="the Wayland compositor on $WAYLAND_DISPLAY"
    fi
    lock="$runtime/chronivo-daemon-$uid.lock"
    wait_until "the watcher to choose its source" grep -q '^chronivo: watching' "$E2E_TMP/app.log"
    kill "${!server}"
    wait "${!server}" 2>/dev/null || true
    printf -v "$server" ''
    expect_exit 0
    grep -qx "chronivo: $gone is gone; the idle watcher ends" "$E2E_TMP/app.log" ||
        fail "log: $(cat "$E2E_TMP/app.log")"
    [ ! -e "$lock" ] || fail "the lock outlived the watcher"
    ;;
*)
    fail "unknown case '$CASE'"
    ;;
esac
echo "ok: $CASE"
