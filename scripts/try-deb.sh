#!/usr/bin/env bash
# Installs a Chronivo package with apt, checks what it installed and removes it again:
# `chronivo` on PATH is the package's, both desktop entries pass desktop-file-validate without a
# word, and chronivo-render draws one frame of a fixed moment as JSON with no display. Run as
# root, on a machine (or in a root) where Chronivo is not installed otherwise.
#
#   scripts/try-deb.sh PATH/chronivo_<version>_<architecture>.deb
set -euo pipefail

deb=$(realpath "$1")
export DEBIAN_FRONTEND=noninteractive
trap 'apt-get remove -y chronivo >/dev/null 2>&1 || true' EXIT
apt-get install -y "$deb"
hash -r
if [ "$(command -v chronivo)" != /usr/bin/chronivo ]; then
    echo "chronivo on PATH is $(command -v chronivo), not the package's /usr/bin/chronivo" >&2
    exit 1
fi
chronivo --version
for entry in /usr/share/applications/chronivo.desktop \
    /usr/share/applications/screensavers/chronivo.desktop; do
    validate_out=$(desktop-file-validate "$entry" 2>&1) || true
    if [ -n "$validate_out" ]; then
        echo "$validate_out" >&2
        echo "desktop-file-validate is not silent on $entry" >&2
        exit 1
    fi
done
render_dir=$(mktemp -d)
: >"$render_dir/settings.conf"
chronivo-render --settings "$render_dir/settings.conf" --at 2026-01-15T12:00:00Z \
    --size 320x240 --json | tee "$render_dir/frame.json"
grep -q '2026-01-15T12:00:00.000Z' "$render_dir/frame.json"
rm -rf "$render_dir"
apt-get remove -y chronivo
trap - EXIT
echo "the package installs, runs and goes again"
