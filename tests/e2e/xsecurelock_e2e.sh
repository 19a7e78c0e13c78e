#!/usr/bin/env bash
# End-to-end test with the real xsecurelock on its own Xvfb: XSECURELOCK_SAVER=saver_xscreensaver
# and XSECURELOCK_XSCREENSAVER_PATH naming a folder that holds only a link called chronivo, as
# the package installs it in /usr/lib/xscreensaver (that module's default folder). Without a
# ~/.xscreensaver the module runs a hack of that folder as "FOLDER/chronivo -root" in the window
# xsecurelock gives it; the screen must show the background colour that chronivo-render computes
# for that moment with the same settings, and SIGTERM to xsecurelock must end the hack. No key is
# pressed, so no password is ever asked for.
# Usage: xsecurelock_e2e.sh PATH-TO-CHRONIVO PATH-TO-CHRONIVO-RENDER
set -euo pipefail
# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"

CHRONIVO=$1
RENDER=$2

command -v xsecurelock >/dev/null 2>&1 || {
    echo "skipped: xsecurelock is not installed (scripts/install-deps.sh installs it)"
    exit "$SKIP"
}

start_x
# A home without ~/.xscreensaver: saver_xscreensaver then runs the hacks of its folder.
export HOME="$E2E_TMP/home"
# One zone for the hack and the prediction alike.
export TZ=UTC
mkdir -p "$HOME" "$XDG_CONFIG_HOME/Velstrand/Utilities" "$E2E_TMP/xscreensaver"
ln -s "$(realpath "$CHRONIVO")" "$E2E_TMP/xscreensaver/chronivo"
# A speed other than the default, so the colour only matches when the hack read these settings.
settings="$XDG_CONFIG_HOME/Velstrand/Utilities/Chronivo.conf"
printf '[ScreenSaver]\nSpeed=450\n' >"$settings"

# The screen is never blanked by X while the test looks at it.
XSECURELOCK_SAVER=saver_xscreensaver XSECURELOCK_XSCREENSAVER_PATH="$E2E_TMP/xscreensaver" \
    XSECURELOCK_BLANK_TIMEOUT=-1 xsecurelock >"$E2E_TMP/xsecurelock.log" 2>&1 &
APP_PID=$!
started_or_gone() { hack_started || app_gone; }
wait_until "xsecurelock to start the hack" started_or_gone
if [ -z "$HACK_PID" ]; then
    cat "$E2E_TMP/xsecurelock.log" >&2
    fail "xsecurelock ended without starting the hack"
fi
command_line=$(tr '\0' ' ' <"/proc/$HACK_PID/cmdline")
[ "$command_line" = "$E2E_TMP/xscreensaver/chronivo -root " ] ||
    fail "the hack runs as: $command_line"
expect_predicted_background "$settings" "$E2E_TMP/xsecurelock.log"

# xsecurelock ends its saver when it ends itself.
kill -s TERM "$APP_PID"
wait_until "the hack to end with xsecurelock" hack_gone
echo "ok: xsecurelock ran chronivo -root from its hack folder ($LAST) and ended it"
