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
wait_until "XScreenSaver to start the hack" hack_started
expect_predicted_background "$settings" "$E2E_TMP/xscreensaver.log"

"${AS[@]}" xscreensaver-command -deactivate >/dev/null
wait_until "the hack to end after deactivation" hack_gone
echo "ok: XScreenSaver ran chronivo --root ($LAST) and ended it"
