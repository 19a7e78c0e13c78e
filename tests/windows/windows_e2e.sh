#!/usr/bin/env bash
# End-to-end tests of Chronivo.scr under Wine on its own Xvfb, driven by xdotool: Wine's X11
# driver turns the X server's input into the Windows messages the program reads.
# Usage: windows_e2e.sh QT_PREFIX WINE_PREFIX CHRONIVO_SCR CASE [ARGUMENT...]
#   saver key|click|move [SHOT.png]   /s: covers the screen, draws, ends on that input
#   dialog [SHOT.png]                 /c: keys change the settings, OK stores them in the registry
#   preview PREVIEW_HOST              /p HWND: shows in another program's window, ends with it
#   preview-config PREVIEW_HOST       /c:HWND: the dialog is owned by another program's window
# A SHOT saves a screenshot as the test takes it (scripts/windows-screenshots.sh).
set -euo pipefail
# shellcheck source=wine_e2e_lib.sh
source "$(dirname "$0")/wine_e2e_lib.sh"

QT=$1
BUILD_PREFIX=$2
CHRONIVO=$3
CASE=$4
shift 4

# The pointer starts here in every saver case, well inside the screen.
readonly START_X=500
readonly START_Y=400

# The saver's window covers the screen and is painted.
saver_painted() { window_painted "$(app_window)"; }

# Starts the saver and waits until it covers the screen with its picture.
start_saver() {
    move_pointer "$START_X" "$START_Y"
    start_app /s
    wait_until "the saver to cover the screen with its picture" saver_painted
}

# Fails when the saver has ended or its window has gone. Its window goes some 300 ms after the
# input that ends it, so a second is ample to see it go.
expect_saver_stays() {
    sleep 1
    app_running && [ -n "$(app_window)" ] || fail "the saver ended: $*"
}

# The frames change: a second screenshot a few hundred milliseconds after the first differs in
# most of its pixels (the background's colour moves on every frame or two).
frames_change() {
    screenshot "$E2E_TMP/frame-b.png"
    [ "$(pixels_changed "$E2E_TMP/frame-a.png" "$E2E_TMP/frame-b.png")" -gt \
        $((SCREEN_W * SCREEN_H / 2)) ]
}

# Starts the settings dialog and waits until it has the keyboard.
start_dialog() {
    start_app /c
    wait_until "the settings dialog" dialog_shown
    DIALOG_WINDOW=$(dialog_window)
    wait_until "the dialog to take the focus" dialog_focused
}

readonly SAVER_KEY='HKCU\Software\Velstrand\Utilities\Chronivo\ScreenSaver'

# The values of Chronivo's key as "name type value" lines, in SAVER_VALUES.
read_saver_key() {
    SAVER_VALUES=$(reg_query "$SAVER_KEY" | awk '$2 ~ /^REG_/ {
        name = $1; type = $2; sub(/^[ \t]*[^ \t]+[ \t]+[^ \t]+[ \t]*/, ""); print name, type, $0 }')
}
# The "type value" stored under name $1; empty when there is none.
stored() { awk -v key="$1" '$1 == key { $1 = ""; sub(/^ /, ""); print }' <<<"$SAVER_VALUES"; }
expect_value() {
    local got
    got=$(stored "$1")
    [ "$got" = "$2 $3" ] || fail "$1 is '$got', expected '$2 $3' in: $SAVER_VALUES"
}
expect_type() {
    local got
    got=$(stored "$1")
    [ "${got%% *}" = "$2" ] || fail "$1 is '$got', expected a $2 in: $SAVER_VALUES"
}
# Windows' screen saver: on, after $1 seconds, and program $2 (compared ignoring case).
expect_desktop() {
    local desktop want got
    desktop=$(reg_query 'HKCU\Control Panel\Desktop')
    want=$(printf '%s\n' "ScreenSaveActive REG_SZ 1" "ScreenSaveTimeOut REG_SZ $1" \
        "SCRNSAVE.EXE REG_SZ ${2,,}")
    got=$(awk '$1 ~ /^(ScreenSaveActive|ScreenSaveTimeOut|SCRNSAVE.EXE)$/ {
        name = $1; type = $2; sub(/^[ \t]*[^ \t]+[ \t]+[^ \t]+[ \t]*/, "")
        if (name == "SCRNSAVE.EXE") $0 = tolower($0)
        print name, type, $0 }' <<<"$desktop" | sort)
    [ "$got" = "$(sort <<<"$want")" ] || fail "Windows' screen saver is: $got; expected: $want"
}

# The Windows name of file $1 under Wine's drive Z:, which is the root.
windows_path() { echo "Z:${1//\//\\}"; }

# Starts the stand-in for Screen Saver Settings, preview_host.exe $1, with the arguments after it
# and the saver; its process id is in APP_PID, what it says in host.log.
start_host() {
    local host=$1 mode=$2
    shift 2
    "$WINE_RUN" "$QT" "$TEST_PREFIX" "$host" "$mode" "$(windows_path "$CHRONIVO")" "$@" \
        >"$E2E_TMP/host.log" 2>&1 &
    APP_PID=$!
}
host_log() { tr -d '\r' <"$E2E_TMP/host.log"; }
host_said() { grep -qs -- "$1" "$E2E_TMP/host.log"; }
# Waits for the host to end with exit code 0, having said $1.
expect_host_success() {
    wait_until "the host to end" app_gone
    local code=0
    wait "$APP_PID" || code=$?
    APP_PID=""
    if [ "$code" -ne 0 ] || ! host_said "$1"; then
        fail "the host ended with exit code $code: $(host_log)"
    fi
}
# The settings dialog of whichever process shows it.
any_dialog_window() {
    xdotool search --onlyvisible --name '^Velstrand ScreenSaver Configuration$' 2>/dev/null |
        head -n1 || true
}
any_dialog_shown() { [ -n "$(any_dialog_window)" ]; }

case "$CASE" in
saver)
    # /s covers the screen, draws frames that change, hides the pointer, and ends with exit
    # code 0 on the input ARG: a key, a click, or a movement of more than 3 pixels (3 keep it).
    input=$1
    shot=${2-}
    start_wine_x "$QT" "$BUILD_PREFIX"
    start_saver
    if [ "$input" = key ]; then
        screenshot "$E2E_TMP/frame-a.png"
        [ -z "$shot" ] || cp "$E2E_TMP/frame-a.png" "$shot"
        # The large text is drawn: its edges blend the text's colour into the solid background,
        # so the frame below the small notice at the top holds many colours, not one.
        colours=$(convert "$E2E_TMP/frame-a.png" -crop "${SCREEN_W}x$((SCREEN_H * 9 / 10))+0+$((SCREEN_H / 10))" \
            +repage -unique-colors -format %w info:)
        [ "$colours" -gt 16 ] || fail "below the notice the frame holds $colours colours: no large text"
        wait_until "a frame unlike the first" frames_change
        code=0
        pointer_hidden || code=$?
        [ "$code" -ne 1 ] || fail "the pointer shows over the saver"
        xdotool key a
    elif [ "$input" = click ]; then
        xdotool click 1
    else
        # The first movement only records where the pointer is; 3 pixels from there in small
        # steps keep the saver, and the fourth ends it.
        y=$((START_Y + 100))
        move_pointer "$START_X" "$y"
        expect_saver_stays "the first movement closed the saver"
        move_pointer $((START_X + 1)) "$y"
        move_pointer $((START_X + 2)) "$y"
        move_pointer $((START_X + 2)) $((y + 1))
        expect_saver_stays "3 pixels in total closed the saver"
        move_pointer $((START_X + 3)) $((y + 1))
    fi
    expect_exit 0
    if [ "$input" = click ]; then
        # As on Linux, the click leaves the pointer one right and one up.
        where=$(pointer_position)
        [ "$where" = "$((START_X + 1)) $((START_Y - 1))" ] ||
            fail "pointer at $where, expected $((START_X + 1)) $((START_Y - 1))"
    fi
    ;;
dialog)
    # /c shows the settings dialog; keys change it and OK (Return) stores every setting in the
    # registry with its type, and makes Chronivo Windows' screen saver after the minutes given.
    shot=${1-}
    start_wine_x "$QT" "$BUILD_PREFIX"
    start_dialog
    if [ -n "$shot" ]; then
        settle
        import -window "$DIALOG_WINDOW" "$shot"
    fi
    # The focus starts on OK. With nothing stored the target controls are off, so Tab reaches
    # the mode list next: four steps down is "Target Date (Far)", which turns on the Title box
    # before it, where "Launch" is typed. Then "24 Hour time" on, past "Show seconds", "World
    # time" and the slider (ten steps right: 1010, stored as 1200), "Rainbow color" on, and
    # "Start the saver after" on with 25 typed into its minutes field. Return presses OK.
    xdotool key --delay 50 Tab Down Down Down Down shift+Tab
    xdotool type --delay 50 Launch
    xdotool key --delay 50 Tab Tab space Tab Tab Tab
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        xdotool key --delay 20 Right
    done
    xdotool key --delay 50 Tab space Tab space Tab ctrl+a 2 5 Return
    expect_exit 0

    read_saver_key
    expect_value Option REG_DWORD 0x4
    expect_value 24Hour REG_DWORD 0x1
    expect_value ShowSec REG_DWORD 0x0
    expect_value WorldTime REG_DWORD 0x0
    expect_value Speed REG_DWORD 0x4b0
    expect_value Rainbow REG_DWORD 0x1
    expect_value Title REG_SZ Launch
    expect_value StartAfter REG_DWORD 0x19
    # The target is the moment the dialog opened; mode 4 stores the Year box, the present year.
    for key in Year Month Day Hour Minute Second; do
        expect_type "$key" REG_DWORD
    done
    [ -z "$(stored "WTcount")" ] || fail "world-time entries were stored with world time off"

    # Windows starts the saver after 25 minutes without input: its own time and switch, and
    # this program as its screen saver.
    expect_desktop 1500 "$(windows_path "$CHRONIVO")"

    # The dialog shows Windows' time when it opens: with another time in Chronivo's own key, OK
    # pressed at once stores the 25 minutes it showed, and leaves Windows' time as it was.
    reg_add "$SAVER_KEY" /v StartAfter /t REG_DWORD /d 7
    start_dialog
    xdotool key Return
    expect_exit 0
    read_saver_key
    expect_value StartAfter REG_DWORD 0x19
    expect_desktop 1500 "$(windows_path "$CHRONIVO")"
    ;;
preview)
    # /p HWND: the saver's window appears in the host's little monitor and fills it, and the
    # saver ends by itself with exit code 0 once the host destroys its window (preview_host.exe
    # checks both). Its frames cannot be checked by their pixels here: Wine draws a child window
    # on the surface of its top-level window's process, so what a program draws into another
    # program's window never reaches the X server. ARG: preview_host.exe
    start_wine_x "$QT" "$BUILD_PREFIX"
    start_host "$1" /p "$(windows_path "$E2E_TMP/close")"
    wait_until "the saver's window in the host's monitor" host_said "fills the monitor"
    touch "$E2E_TMP/close"
    expect_host_success "the saver ended with exit code 0"
    ;;
preview-config)
    # /c:HWND: the settings dialog is owned by the host's window (preview_host.exe checks), and
    # the saver ends with exit code 0 once it is closed. ARG: preview_host.exe
    start_wine_x "$QT" "$BUILD_PREFIX"
    start_host "$1" /c
    wait_until "the settings dialog" any_dialog_shown
    DIALOG_WINDOW=$(any_dialog_window)
    host_found_it() { host_said "owned by the host" || ! app_running; }
    wait_until "the host to find the dialog" host_found_it
    wait_until "the dialog to take the focus" dialog_focused
    xdotool key Escape
    expect_host_success "the settings dialog is owned by the host's window"
    ;;
*)
    fail "unknown case '$CASE'"
    ;;
esac
echo "ok: $CASE $*"
