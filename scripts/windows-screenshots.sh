#!/usr/bin/env bash
# Makes the README's pictures of Chronivo.scr under Wine, from the end-to-end tests of a Windows
# build (tests/windows/windows_e2e.sh), each on an X server of its own:
#   docs/windows-saver.png     "/s", the whole screen, scaled to 800 x 600
#   docs/windows-settings.png  "/c", the settings dialog as it opens
# There is no picture of "/p HWND": under Wine a program's drawing into another program's window
# never reaches the screen (the window is drawn through its top-level window's process).
#
# Usage: scripts/windows-screenshots.sh [BUILD_WINDOWS]   (default build-windows, made by
# `make windows`; needs Xvfb, xdotool, ImageMagick and Wine)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-windows}
qt_dir=$(sed -n 's/^Qt6_DIR:PATH=//p' "$build/CMakeCache.txt" 2>/dev/null || true)
if [ -z "$qt_dir" ] || [ ! -x "$build/bin/Chronivo.scr" ]; then
    echo "windows-screenshots.sh: $build is no Windows build with bin/Chronivo.scr" >&2
    exit 1
fi
build=$(cd "$build" && pwd)
qt=$(cd "$qt_dir/../../.." && pwd)
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT

e2e() { bash tests/windows/windows_e2e.sh "$qt" "$build/wine-prefix" "$build/bin/Chronivo.scr" "$@"; }
e2e saver key "$shots/saver.png"
e2e dialog "$shots/dialog.png"

# 64 colours lose nothing one can see of a flat background and its text, and most of the bytes.
convert "$shots/saver.png" -resize 800x600 +dither -colors 64 -strip docs/windows-saver.png
convert "$shots/dialog.png" -strip docs/windows-settings.png
for picture in docs/windows-saver.png docs/windows-settings.png; do
    echo "$picture: $(identify -format '%wx%h' "$picture"), $(($(stat -c %s "$picture") / 1024)) KB"
done
