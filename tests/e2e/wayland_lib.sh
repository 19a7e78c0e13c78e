#!/usr/bin/env bash
# Shared set-up of the end-to-end tests on Wayland: a private headless sway (1.7) with its own
# XDG_RUNTIME_DIR, a virtual pointer and keyboard in its seat, and helpers that run Wayland
# clients in it, send keys (wtype) and move and click the pointer (swaymsg). Source it after
# e2e_lib.sh; everything started here is stopped on exit.
#
# sway refuses to run as root. Run as root (as CI is), sway and every client of it run as the
# unprivileged user nobody, so the compositor's socket is theirs alone; run as anyone else, they
# run as that user. The binary under test is copied where that user can run it.
set -euo pipefail

# The first output, as sway's configuration sets it.
readonly WL_W=1024
readonly WL_H=768

need_wayland_tools() {
    local tool
    for tool in sway swaymsg wtype wayvnc socat grim jq convert setpriv; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "skipped: $tool is not installed (scripts/install-deps.sh installs it)"
            exit "$SKIP"
        fi
    done
    if ! compgen -G '/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so' >/dev/null; then
        echo "skipped: Qt's Wayland platform plugin is not installed (package qt6-wayland)"
        exit "$SKIP"
    fi
}

SWAY_PID=""
VNC_PID=""
VNC_CLIENT_PID=""
WL_HOME=""
WAYLAND_DISPLAY=""
SWAYSOCK=""

wayland_cleanup() {
    if [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null; then
        kill "$APP_PID" 2>/dev/null || true
        wait "$APP_PID" 2>/dev/null || true
    fi
    APP_PID=""
    local pid
    for pid in "$VNC_CLIENT_PID" "$VNC_PID" "$SWAY_PID"; do
        if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
        fi
    done
    # The runtime folder and everything else the user made go with the temporary folder.
    cleanup
}

# Sets WL_RUN to the command that runs a program as the compositor's user, in its environment:
# its runtime folder, its sockets, its home and settings, and Qt on Wayland.
wl_run_command() {
    WL_RUN=()
    if [ "$(id -u)" -eq 0 ]; then
        WL_RUN=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    fi
    WL_RUN+=(env -u DISPLAY -u WAYLAND_DISPLAY -u SWAYSOCK HOME="$WL_HOME"
        XDG_RUNTIME_DIR="$WL_RUNTIME" XDG_CONFIG_HOME="$XDG_CONFIG_HOME"
        XDG_CACHE_HOME="$WL_HOME/cache" QT_QPA_PLATFORM=wayland)
    # Set only once sway runs: sway itself takes an empty SWAYSOCK for its socket's path.
    if [ -n "$SWAYSOCK" ]; then
        WL_RUN+=(WAYLAND_DISPLAY="$WAYLAND_DISPLAY" SWAYSOCK="$SWAYSOCK")
    fi
    if [ -n "${LSAN_OPTIONS-}" ]; then
        WL_RUN+=(LSAN_OPTIONS="$LSAN_OPTIONS")
    fi
}

# Runs "$@" as the compositor's user. In the background, start it as "${WL_RUN[@]}" "$@" &
# instead, so that $! is the program's own id (each of the two runners replaces itself).
as_wl_user() {
    wl_run_command
    "${WL_RUN[@]}" "$@"
}

wl_socket() { compgen -G "$WL_RUNTIME/wayland-*[0-9]" | head -n1 || true; }
ipc_socket() { compgen -G "$WL_RUNTIME/sway-ipc.*.sock" | head -n1 || true; }
sway_sockets() { [ -S "$(ipc_socket)" ] && [ -S "$(wl_socket)" ]; }
sway_answers() { as_wl_user swaymsg -t get_version >/dev/null 2>&1; }
seat_has_pointer() {
    as_wl_user swaymsg -r -t get_seats | jq -e '[.[].devices[].type] | index("pointer")' \
        >/dev/null
}

# Starts headless sway with one WL_W x WL_H output (HEADLESS-1) and waits until it answers and
# its seat has a pointer. The headless backend has no input devices of its own: wayvnc, on a
# socket of the runtime folder, keeps a virtual pointer and keyboard in the seat, so that clients
# bind a pointer and swaymsg's seat commands have one to move. wayvnc 0.5 adds them at its start,
# 0.9 only while a client is connected: a client that greets it and stays, reading nothing.
start_sway() {
    need_wayland_tools
    E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/chronivo-wl.XXXXXX")
    trap wayland_cleanup EXIT
    # Passable for the unprivileged user; its own folders below stay private.
    chmod 711 "$E2E_TMP"
    WL_RUNTIME="$E2E_TMP/runtime"
    WL_HOME="$E2E_TMP/home"
    export XDG_CONFIG_HOME="$E2E_TMP/config"
    mkdir -m 700 "$WL_RUNTIME" "$WL_HOME" "$XDG_CONFIG_HOME"
    if [ "$(id -u)" -eq 0 ]; then
        chown 65534:65534 "$WL_RUNTIME" "$WL_HOME" "$XDG_CONFIG_HOME"
    fi
    # LeakSanitizer reads its suppressions as that user too: a copy it can read.
    if [[ "${LSAN_OPTIONS-}" =~ suppressions=([^:]+) ]]; then
        install -m 644 "${BASH_REMATCH[1]}" "$E2E_TMP/lsan.supp"
        LSAN_OPTIONS=${LSAN_OPTIONS/"${BASH_REMATCH[1]}"/"$E2E_TMP/lsan.supp"}
    fi
    install -m 755 "$CHRONIVO" "$E2E_TMP/chronivo"
    CHRONIVO="$E2E_TMP/chronivo"
    as_wl_user test -x "$CHRONIVO" ||
        fail "the compositor's user cannot run $CHRONIVO: is a folder above it closed to others?"
    cat >"$E2E_TMP/sway.conf" <<EOF
xwayland disable
default_border none
focus_follows_mouse no
output HEADLESS-1 mode ${WL_W}x${WL_H} position 0 0
EOF
    chmod 644 "$E2E_TMP/sway.conf"
    wl_run_command
    WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        "${WL_RUN[@]}" sway -c "$E2E_TMP/sway.conf" >"$E2E_TMP/sway.log" 2>&1 &
    SWAY_PID=$!
    wait_until "sway's sockets" sway_sockets
    WAYLAND_DISPLAY=$(basename "$(wl_socket)")
    SWAYSOCK=$(ipc_socket)
    wait_until "sway to answer" sway_answers
    wl_run_command
    "${WL_RUN[@]}" wayvnc --unix-socket "$WL_RUNTIME/vnc" >"$E2E_TMP/wayvnc.log" 2>&1 &
    VNC_PID=$!
    wait_until "wayvnc's socket" test -S "$WL_RUNTIME/vnc"
    # The protocol's greeting, then no security and a shared session, sent without waiting for
    # the server's side; ignoreeof keeps the connection open after them.
    printf 'RFB 003.008\n\001\001' >"$E2E_TMP/vnc-client"
    chmod 644 "$E2E_TMP/vnc-client"
    "${WL_RUN[@]}" socat -u "OPEN:$E2E_TMP/vnc-client,ignoreeof" "UNIX-CONNECT:$WL_RUNTIME/vnc" \
        >"$E2E_TMP/vnc-client.log" 2>&1 &
    VNC_CLIENT_PID=$!
    wait_until "a pointer in sway's seat" seat_has_pointer
}

output_count() { as_wl_user swaymsg -r -t get_outputs | jq length; }
more_outputs_than() { [ "$(output_count)" -gt "$1" ]; }

# Adds a headless output W x H at X,Y (HEADLESS-2, HEADLESS-3, ... in order) and waits for it.
add_output() {
    local w=$1 h=$2 x=$3 y=$4 before
    before=$(output_count)
    as_wl_user swaymsg -q create_output
    wait_until "the new output" more_outputs_than "$before"
    local name
    name=$(as_wl_user swaymsg -r -t get_outputs | jq -r '.[-1].name')
    as_wl_user swaymsg -q output "$name" mode "${w}x${h}" position "$x" "$y"
}

# Starts the binary with the given arguments as the compositor's user; its id is in APP_PID.
start_wl_app() {
    wl_run_command
    "${WL_RUN[@]}" "$CHRONIVO" "$@" >"$E2E_TMP/app.log" 2>&1 &
    APP_PID=$!
}

# The program's full-screen windows in sway's tree, one line each: output name, then the
# window's x y width height, with "focused" after the one that has the keyboard.
app_windows() {
    as_wl_user swaymsg -r -t get_tree | jq -r --argjson pid "$APP_PID" '
        .nodes[] | select(.type == "output") | .name as $out
        | .. | objects | select(.pid? == $pid and .fullscreen_mode == 1)
        | "\($out) \(.rect.x) \(.rect.y) \(.rect.width) \(.rect.height)"
          + (if .focused then " focused" else "" end)'
}

# Sends keys as wtype does: wl_key KEY ... (xkb names, e.g. a, Shift_L).
wl_key() {
    local args=() k
    for k in "$@"; do
        args+=(-k "$k")
    done
    as_wl_user wtype "${args[@]}"
}

# Puts the pointer at X,Y of the whole layout; the window under it gets the motion.
wl_move() { as_wl_user swaymsg -q seat - cursor set "$1" "$2"; }
# Presses and releases a button: 1 left, 2 middle, 3 right.
wl_click() {
    as_wl_user swaymsg -q seat - cursor press "button$1"
    as_wl_user swaymsg -q seat - cursor release "button$1"
}
