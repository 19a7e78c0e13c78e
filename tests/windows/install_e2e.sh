#!/usr/bin/env bash
# End-to-end test of the Windows installer under Wine: packages the build
# (scripts/package-windows.sh), installs silently into a Wine prefix of the test's own, runs the
# saver as Windows would, from the system folder, opens the settings from the Start menu, and
# uninstalls; then does it once more with another screen saver chosen, which must stay.
# Usage: install_e2e.sh QT_PREFIX WINE_PREFIX BUILD_DIR
# Unlike the other Windows tests, the installed programs run with plain Wine, with no path to
# the build's Qt and no drive that reaches it, so they find their DLLs and plugins in the
# installed folder or not at all.
set -euo pipefail
# shellcheck source=wine_e2e_lib.sh
source "$(dirname "$0")/wine_e2e_lib.sh"

QT=$1
BUILD_PREFIX=$2
BUILD=$3
SCRIPTS=$(cd "$(dirname "$0")/../../scripts" && pwd)

if ! command -v makensis >/dev/null 2>&1; then
    echo "skipped: makensis is not installed (Debian package nsis)"
    exit "$SKIP"
fi
if ! command -v zip >/dev/null 2>&1; then
    echo "skipped: zip is not installed"
    exit "$SKIP"
fi
start_wine_x "$QT" "$BUILD_PREFIX"

"$SCRIPTS/package-windows.sh" "$BUILD" "$E2E_TMP/package" >"$E2E_TMP/package.log" 2>&1 ||
    fail "packaging failed: $(cat "$E2E_TMP/package.log")"
VERSION=$(cat "$BUILD/packaging/version.txt")
SETUP=$E2E_TMP/package/chronivo-$VERSION-setup.exe
ZIP=$E2E_TMP/package/chronivo-$VERSION-windows-x86_64.zip

WINE=/usr/lib/wine/wine64
[ -x "$WINE" ] || WINE=$(command -v wine64 || command -v wine)
# Runs a Windows program in the test's prefix as a user would: no WINEPATH, no QT_PLUGIN_PATH.
plain_wine() {
    env -u WINEPATH -u QT_PLUGIN_PATH -u QT_QPA_PLATFORM WINEPREFIX="$TEST_PREFIX" \
        WINEDEBUG=-all WINEDLLOVERRIDES="winedbg.exe=d;mscoree=d;mshtml=d" "$WINE" "$@"
}

DRIVE_C=$TEST_PREFIX/drive_c
INSTDIR=$DRIVE_C/Program\ Files/Chronivo
SYSTEM_SAVER=$DRIVE_C/windows/system32/Chronivo.scr
SHORTCUT="$DRIVE_C/ProgramData/Microsoft/Windows/Start Menu/Programs/Chronivo Settings.lnk"
readonly INSTALL_KEY='HKLM\Software\Chronivo'
readonly UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Chronivo'
readonly DESKTOP_KEY='HKCU\Control Panel\Desktop'
readonly SAVER_KEY='HKCU\Software\Velstrand\Utilities\Chronivo\ScreenSaver'

# Value $2 of key $1 as "TYPE DATA"; empty when there is none (`reg query` then fails).
reg_value() {
    { reg_query "$1" /v "$2" || true; } | awk -v name="$2" 'tolower($1) == tolower(name) && $2 ~ /^REG_/ {
        type = $2; sub(/^[ \t]*[^ \t]+[ \t]+[^ \t]+[ \t]*/, ""); print type, $0 }'
}
expect_reg() {
    local got
    got=$(reg_value "$1" "$2")
    [ "${got,,}" = "${3,,}" ] || fail "$1 $2 is '$got', expected '$3'"
}
# `reg query` fails on a key that is not there.
expect_no_key() {
    ! "$WINE_RUN" "$QT" "$TEST_PREFIX" reg query "$1" >/dev/null 2>&1 ||
        fail "$1 is still there: $(reg_query "$1")"
}

# The files of the installed folder, relative to it, one a line, sorted.
installed_files() { (cd "$INSTDIR" && find . -type f | sed 's|^\./||' | LC_ALL=C sort); }
# What the installer must put there: the zip's files, the launcher and the uninstaller.
expected_files() {
    {
        unzip -Z1 "$ZIP" | grep -v '/$' | sed 's|^Chronivo/||'
        echo ChronivoSettings.exe
        echo Uninstall.exe
    } | LC_ALL=C sort
}

install_silently() {
    plain_wine 'C:\setup.exe' /S "$@" >>"$E2E_TMP/setup.log" 2>&1 ||
        fail "the installer failed: $(cat "$E2E_TMP/setup.log")"
}

# Runs the uninstaller silently and waits for it: it copies itself to a temporary folder,
# starts that copy and ends at once, so the wait is for the folder to go.
uninstall_silently() {
    plain_wine "C:\\Program Files\\Chronivo\\Uninstall.exe" /S >>"$E2E_TMP/setup.log" 2>&1 ||
        fail "the uninstaller failed: $(cat "$E2E_TMP/setup.log")"
    folder_gone() { [ ! -e "$INSTDIR" ]; }
    wait_until "the uninstaller to remove $INSTDIR" folder_gone
}

# The saver's window: Wine names a window's class after its program, and only the saver itself
# (not the launcher that started it) has one.
saver_window() {
    xdotool search --onlyvisible --classname '^chronivo\.scr$' 2>/dev/null | head -n1 || true
}
# The saver's window covers the screen and is painted.
saver_painted() { window_painted "$(saver_window)"; }
saver_focused() {
    [ "$(focus_window)" = "$SAVER_WINDOW" ] ||
        xdotool windowfocus --sync "$SAVER_WINDOW" 2>/dev/null
    [ "$(focus_window)" = "$SAVER_WINDOW" ]
}
any_dialog_window() {
    xdotool search --onlyvisible --name '^Velstrand ScreenSaver Configuration$' 2>/dev/null |
        head -n1 || true
}
any_dialog_shown() { [ -n "$(any_dialog_window)" ]; }
no_dialog_shown() { [ -z "$(any_dialog_window)" ]; }

# The Wine prefix loses its drive Z:, Linux's root, so that nothing installed can reach the
# build's Qt through it: the installed programs find Qt where the installer put it or fail.
cp "$SETUP" "$TEST_PREFIX/drive_c/setup.exe"
rm "$TEST_PREFIX/dosdevices/z:"

# --- A silent install that makes Chronivo the user's screen saver.
install_silently /CURRENT

[ "$(installed_files)" = "$(expected_files)" ] ||
    fail "installed files differ from the package's:
$(diff <(expected_files) <(installed_files) || true)"
for file in Chronivo.scr Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll plugins/platforms/qwindows.dll \
    libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll LICENSE.txt \
    LICENSE.Qt-LGPL-3.txt LICENSE.GPL-3.txt README.txt; do
    [ -s "$INSTDIR/$file" ] || fail "$file is not installed"
done
cmp -s "$SYSTEM_SAVER" "$INSTDIR/ChronivoSettings.exe" ||
    fail "the system folder's Chronivo.scr is not the launcher"
shortcut_there() { [ -s "$SHORTCUT" ]; }
wait_until "the Start menu entry" shortcut_there

expect_reg "$INSTALL_KEY" InstallDir 'REG_SZ C:\Program Files\Chronivo'
expect_reg "$UNINSTALL_KEY" DisplayName 'REG_SZ Chronivo'
expect_reg "$UNINSTALL_KEY" DisplayVersion "REG_SZ $VERSION"
expect_reg "$UNINSTALL_KEY" Publisher 'REG_SZ The Chronivo authors'
expect_reg "$UNINSTALL_KEY" DisplayIcon 'REG_SZ C:\Program Files\Chronivo\Chronivo.scr,0'
expect_reg "$UNINSTALL_KEY" UninstallString 'REG_SZ "C:\Program Files\Chronivo\Uninstall.exe"'
size=$(reg_value "$UNINSTALL_KEY" EstimatedSize)
if [ "${size%% *}" != REG_DWORD ] || [ $((${size#* })) -le 1000 ]; then
    fail "EstimatedSize is '$size', expected the kilobytes of the installed folder"
fi
expect_reg "$DESKTOP_KEY" SCRNSAVE.EXE 'REG_SZ C:\windows\system32\Chronivo.scr'
expect_reg "$DESKTOP_KEY" ScreenSaveActive 'REG_SZ 1'

# A setting of the user's own, which no install or uninstall may touch.
reg_add "$SAVER_KEY" /v Title /t REG_SZ /d "Kept"

# --- The system folder's Chronivo.scr starts the installed saver, which covers the screen and
# ends on a key; the exit code comes back through the launcher.
move_pointer 500 400
: >"$E2E_TMP/app.log"
plain_wine 'C:\windows\system32\Chronivo.scr' /s >>"$E2E_TMP/app.log" 2>&1 &
APP_PID=$!
wait_until "the saver to cover the screen with its picture" saver_painted
SAVER_WINDOW=$(saver_window)
wait_until "the saver to take the keyboard" saver_focused
xdotool key a
expect_exit 0

# --- The Start menu entry opens the settings dialog; Escape closes it.
plain_wine start /unix "$SHORTCUT" >>"$E2E_TMP/app.log" 2>&1 ||
    fail "the Start menu entry did not start: $(cat "$E2E_TMP/app.log")"
wait_until "the settings dialog from the Start menu" any_dialog_shown
DIALOG_WINDOW=$(any_dialog_window)
wait_until "the dialog to take the focus" dialog_focused
xdotool key Escape
wait_until "the dialog to close" no_dialog_shown

# --- The uninstaller removes everything it installed, and Chronivo as the screen saver, but
# keeps the user's settings.
uninstall_silently
[ ! -e "$SYSTEM_SAVER" ] || fail "the system folder's Chronivo.scr is still there"
[ ! -e "$SHORTCUT" ] || fail "the Start menu entry is still there"
expect_no_key "$INSTALL_KEY"
expect_no_key "$UNINSTALL_KEY"
expect_reg "$DESKTOP_KEY" SCRNSAVE.EXE ""
expect_reg "$SAVER_KEY" Title 'REG_SZ Kept'

# --- Installed again without /CURRENT, with another saver chosen: the install leaves the
# choice alone, and so does the uninstaller.
reg_add "$DESKTOP_KEY" /v SCRNSAVE.EXE /t REG_SZ /d 'C:\windows\system32\Other.scr'
install_silently
expect_reg "$DESKTOP_KEY" SCRNSAVE.EXE 'REG_SZ C:\windows\system32\Other.scr'
[ -e "$SYSTEM_SAVER" ] || fail "the second install put no Chronivo.scr in the system folder"
uninstall_silently
expect_reg "$DESKTOP_KEY" SCRNSAVE.EXE 'REG_SZ C:\windows\system32\Other.scr'
[ ! -e "$SYSTEM_SAVER" ] || fail "the second uninstall left the system folder's Chronivo.scr"
expect_reg "$SAVER_KEY" Title 'REG_SZ Kept'

echo "ok: installed, ran from the system folder and the Start menu, uninstalled"
