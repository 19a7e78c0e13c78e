#!/usr/bin/env bash
# Runs a Windows program of the build under Wine, as CMake's emulator for the Windows build:
#   scripts/wine-run.sh QT_PREFIX WINE_PREFIX PROGRAM [ARGUMENT...]
# Qt's DLLs (from QT_PREFIX, Qt for Windows) and the mingw-w64 runtime are found through
# WINEPATH, so the build needs no copies of them. WINE_PREFIX is made
# on first use (once, whatever runs in parallel). A crash ends the program instead of waiting in
# Wine's debugger.
set -euo pipefail

qt=$1
# Wine takes only an absolute prefix.
WINEPREFIX=$(realpath -m "$2")
export WINEPREFIX
shift 2

wine=/usr/lib/wine/wine64
if [ ! -x "$wine" ]; then
    wine=$(command -v wine64 || command -v wine || true)
fi
if [ -z "$wine" ]; then
    echo "wine-run.sh: Wine is not installed (Debian packages wine and wine64)" >&2
    exit 127
fi

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="winedbg.exe=d;mscoree=d;mshtml=d"
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
pthreads=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")
export WINEPATH="Z:$qt/bin;Z:$runtime;Z:$pthreads"
# Qt finds its plugins beside its DLLs. Wine hands a program no QT_* variable of ours (only a
# WINEQT_* one, renamed): a test program that wants Qt's offscreen platform sets it itself.

wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver || echo wineserver)

mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    if [ ! -f "$WINEPREFIX/.chronivo-ready" ]; then
        # 9>&-: the Wine server these start must not hold the lock for as long as it runs.
        if ! "$wine" wineboot --init </dev/null >"$WINEPREFIX.log" 2>&1 9>&-; then
            echo "wine-run.sh: the Wine prefix $WINEPREFIX could not be made; see $WINEPREFIX.log" >&2
            exit 1
        fi
        # Qt finds none of the dialog font's faces (MS Shell Dlg maps to Wine's own Tahoma,
        # which Qt's font list lacks) and falls back to a fixed-width bitmap face; a Windows
        # machine has its own user-interface face, so the prefix takes Debian's DejaVu Sans.
        for face in "MS Shell Dlg" "MS Shell Dlg 2"; do
            "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
                /v "$face" /t REG_SZ /d "DejaVu Sans" /f </dev/null >>"$WINEPREFIX.log" 2>&1 9>&- ||
                exit 1
        done
        # The server keeps the registry in memory and writes it out when it ends: until then the
        # files hold a prefix without its shell folders, and a test that copies the prefix (the
        # installer's) copied that. The prefix is ready once the server has ended.
        "$wineserver" -w </dev/null >/dev/null 2>&1 9>&- || true
        touch "$WINEPREFIX/.chronivo-ready"
    fi
) 9>"$WINEPREFIX.lock" || exit 1

# A server that outlives each program by a while: a test run starts hundreds of programs, and
# starting the server anew for each costs seconds.
# Its output goes nowhere: a server holding on to a test's output would keep the test waiting.
"$wineserver" -p120 </dev/null >/dev/null 2>&1 || true

# A pipe handed to the program also goes to any of Wine's own processes that start with it (the
# desktop, the services), which outlive it: the pipe's reader (CTest listing a test program's
# cases) would wait for them, seen in CI as a timeout after the whole list. Such output goes
# through files instead, copied out when the program ends.
is_pipe() { [ -p "$1" ] || [ -S "$1" ]; }
if is_pipe /dev/stdout || is_pipe /dev/stderr; then
    out=$(mktemp)
    err=$(mktemp)
    trap 'rm -f "$out" "$err"' EXIT
    status=0
    "$wine" "$@" >"$out" 2>"$err" || status=$?
    cat "$out"
    cat "$err" >&2
    exit "$status"
fi
exec "$wine" "$@"
