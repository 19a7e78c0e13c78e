#!/usr/bin/env bash
# Shared set-up of the end-to-end tests of the Windows program under Wine, on the helpers of the
# Linux ones (../e2e/e2e_lib.sh: a private Xvfb, waits with a deadline, pixel checks). Each test
# also gets a Wine prefix of its own, a copy of the build's: its registry is the test's alone,
# and its wineserver, which starts Wine's desktop on the test's X server, serves no other test.
# The scripts take QT_PREFIX WINE_PREFIX CHRONIVO_SCR first, as CMake passes them.
set -euo pipefail

# Under Wine a program takes a few seconds to show its first window; every wait may take longer.
E2E_DEADLINE=40
# shellcheck source=../e2e/e2e_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/e2e_lib.sh"

WINE_RUN=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)/wine-run.sh
readonly WINE_RUN

# Replaces e2e_lib.sh's list: the Windows program needs Wine, and no Linux saver's extras.
need_tools() {
    local tool
    for tool in Xvfb xdotool xwininfo xwd convert import compare; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "skipped: $tool is not installed (scripts/install-deps.sh installs it)"
            exit "$SKIP"
        fi
    done
    if [ ! -x /usr/lib/wine/wine64 ] && ! command -v wine64 >/dev/null 2>&1 &&
        ! command -v wine >/dev/null 2>&1; then
        echo "skipped: Wine is not installed (Debian packages wine and wine64)"
        exit "$SKIP"
    fi
}

QT_PREFIX=""
BASE_PREFIX=""
TEST_PREFIX=""

wineserver_of() {
    local wine
    wine=$(command -v /usr/lib/wine/wine64 wine64 wine 2>/dev/null | head -n1)
    local server
    server=$(dirname "$wine")/wineserver
    [ -x "$server" ] || server=$(command -v wineserver || echo wineserver)
    echo "$server"
}

wine_cleanup() {
    if [ -n "$TEST_PREFIX" ] && [ -d "$TEST_PREFIX" ]; then
        # Ends this prefix's server and the programs it runs (Wine's desktop and services).
        WINEPREFIX=$TEST_PREFIX "$(wineserver_of)" -k 2>/dev/null || true
        # The server's folder under /tmp, named by the prefix folder's device and inode, would
        # stay behind; no other folder has that name while the prefix exists.
        local device inode dir
        read -r device inode < <(stat -c '%d %i' "$TEST_PREFIX")
        for dir in /tmp/.wine-"$(id -u)" /tmp/wine-*; do
            rm -rf "$dir/server-$(printf '%x-%x' "$device" "$inode")"
        done
        rm -rf "$TEST_PREFIX" "$TEST_PREFIX.lock"
    fi
    cleanup
}

# Starts the test's X server (1024 x 768, black root) and its Wine prefix, copied from the
# build's prefix $2 (made first when there is none yet); $1 is Qt for Windows' folder.
start_wine_x() {
    QT_PREFIX=$1
    BASE_PREFIX=$2
    start_x
    trap wine_cleanup EXIT
    if [ ! -f "$BASE_PREFIX/.chronivo-ready" ]; then
        # Without a display: the server it leaves running for a while must not start Wine's
        # desktop on this test's X server, which goes with the test.
        env -u DISPLAY "$WINE_RUN" "$QT_PREFIX" "$BASE_PREFIX" cmd /c exit 0 >/dev/null 2>&1 ||
            fail "could not make the Wine prefix $BASE_PREFIX"
    fi
    # Beside the build's prefix, so that its files can be hard links: the copy takes no time
    # and no room. The registry files are copied, since they are what a test changes.
    TEST_PREFIX=$(mktemp -d "$BASE_PREFIX.e2e.XXXXXX")
    cp -al "$BASE_PREFIX/." "$TEST_PREFIX/" 2>/dev/null || cp -a "$BASE_PREFIX/." "$TEST_PREFIX/"
    local reg
    for reg in "$TEST_PREFIX"/*.reg; do
        [ -e "$reg" ] || continue
        cp --remove-destination "$BASE_PREFIX/$(basename "$reg")" "$reg"
    done
    # No window manager runs on the test's X server, and Wine is told so: a window it leaves to
    # a window manager takes two seconds to go, waiting for a manager that never answers.
    printf '\n[Software\\\\Wine\\\\X11 Driver] 0\n"Managed"="N"\n' >>"$TEST_PREFIX/user.reg"
}

# Starts the program under test with the given arguments in the background; its id (that of the
# Wine process that runs it) is in APP_PID.
start_app() {
    : >"$E2E_TMP/app.log" # emptied before the program starts, as in e2e_lib.sh
    "$WINE_RUN" "$QT_PREFIX" "$TEST_PREFIX" "$CHRONIVO" "$@" >>"$E2E_TMP/app.log" 2>&1 &
    APP_PID=$!
}

# A registry key of the test's prefix as `reg query` prints it.
reg_query() { "$WINE_RUN" "$QT_PREFIX" "$TEST_PREFIX" reg query "$@" 2>/dev/null | tr -d '\r'; }
reg_add() { "$WINE_RUN" "$QT_PREFIX" "$TEST_PREFIX" reg add "$@" /f >/dev/null 2>&1; }

# Whether the X pointer's picture is fully transparent (XFixes, through Python's ctypes). Exit
# code 2 when that cannot be asked here.
pointer_hidden() {
    command -v python3 >/dev/null 2>&1 || return 2
    python3 - <<'EOF'
import ctypes, sys
try:
    x11 = ctypes.CDLL("libX11.so.6")
    fixes = ctypes.CDLL("libXfixes.so.3")
except OSError:
    sys.exit(2)
class CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]
x11.XOpenDisplay.restype = ctypes.c_void_p
fixes.XFixesGetCursorImage.restype = ctypes.POINTER(CursorImage)
fixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
fixes.XFixesQueryVersion.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                     ctypes.POINTER(ctypes.c_int)]
display = x11.XOpenDisplay(None)
major, minor = ctypes.c_int(6), ctypes.c_int(0)
if not display or not fixes.XFixesQueryVersion(display, ctypes.byref(major), ctypes.byref(minor)):
    sys.exit(2)
image = fixes.XFixesGetCursorImage(display)
if not image:
    sys.exit(2)
c = image.contents
# Each pixel is ARGB in an unsigned long: a hidden pointer has no pixel with any alpha.
sys.exit(0 if all((c.pixels[i] >> 24) & 0xFF == 0 for i in range(c.width * c.height)) else 1)
EOF
}

# The picture of the whole screen in file $1.
screenshot() { import -window root "$1"; }
# Colour of pixel (x, y) of picture $1 as RRGGBB.
picture_pixel() { convert "$1" -format "%[hex:u.p{$2,$3}]" info:; }
# How many pixels differ between pictures $1 and $2.
pixels_changed() {
    # ImageMagick prints large counts as 1.2e+06; awk reads either form.
    compare -metric AE "$1" "$2" null: 2>&1 | awk '{ printf "%d\n", $1 }' || true
}

# Whether window W covers the screen and is painted: every corner and the centre differ from the
# X server's black root.
window_painted() {
    local w=$1 picture=$E2E_TMP/painted.png p
    [ -n "$w" ] && [ "$(window_geometry "$w")" = "${SCREEN_W}x${SCREEN_H}+0+0 IsViewable" ] ||
        return 1
    screenshot "$picture"
    for p in "0 0" "$((SCREEN_W - 1)) 0" "0 $((SCREEN_H - 1))" \
        "$((SCREEN_W - 1)) $((SCREEN_H - 1))" "$((SCREEN_W / 2)) $((SCREEN_H / 2))"; do
        # shellcheck disable=SC2086
        [ "$(picture_pixel "$picture" $p)" != 000000 ] || return 1
    done
}
