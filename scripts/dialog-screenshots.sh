#!/usr/bin/env bash
# Makes the README's pictures of the settings dialog with its preview, on an X server of its own
# (Xvfb, 2560 x 1440) with the settings of docs/stripes.ini:
#   docs/config-dialog.png     at scale 1
#   docs/config-dialog-2x.png  at scale 2 (QT_SCALE_FACTOR=2), as on a high-density screen
#
# Usage: scripts/dialog-screenshots.sh [BUILD]   (default build; needs Xvfb, xdotool and
# ImageMagick)
set -euo pipefail
cd "$(dirname "$0")/.."

chronivo=$(cd "${1:-build}" && pwd)/bin/chronivo
[ -x "$chronivo" ] || {
    echo "dialog-screenshots.sh: no $chronivo; build first (make)" >&2
    exit 1
}
tmp=$(mktemp -d)
xvfb=""
app=""
trap 'kill $app $xvfb 2>/dev/null || true; rm -rf "$tmp"' EXIT

Xvfb -displayfd 3 -screen 0 2560x1440x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null &
xvfb=$!
until [ -s "$tmp/display" ]; do sleep 0.05; done
export DISPLAY=":$(cat "$tmp/display")" XDG_CONFIG_HOME="$tmp/config" QT_QPA_PLATFORM=xcb
until xdotool getdisplaygeometry >/dev/null 2>&1; do sleep 0.05; done
mkdir -p "$XDG_CONFIG_HOME/Velstrand/Utilities"
cp docs/stripes.ini "$XDG_CONFIG_HOME/Velstrand/Utilities/Chronivo.conf"

for scale in 1 2; do
    QT_SCALE_FACTOR=$scale "$chronivo" /c &
    app=$!
    window=""
    for _ in $(seq 100); do
        window=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | head -n1 || true)
        [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || { echo "dialog-screenshots.sh: the dialog never showed" >&2; exit 1; }
    # A second of frames in the preview.
    sleep 1
    picture=docs/config-dialog.png
    [ "$scale" = 1 ] || picture=docs/config-dialog-${scale}x.png
    import -window "$window" "$tmp/shot.png"
    convert "$tmp/shot.png" -strip "$picture"
    kill "$app"
    wait "$app" 2>/dev/null || true
    app=""
    echo "$picture: $(identify -format '%wx%h' "$picture"), $(($(stat -c %s "$picture") / 1024)) KB"
done
