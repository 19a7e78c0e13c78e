#!/usr/bin/env bash
# Makes Chronivo's Windows installer and zip from a cross build (`make windows`):
#   scripts/package-windows.sh BUILD_DIR OUT_DIR
# writes OUT_DIR/chronivo-<version>-setup.exe (NSIS, packaging/windows/chronivo.nsi) and
# OUT_DIR/chronivo-<version>-windows-x86_64.zip, both from one `cmake --install` of BUILD_DIR
# into a staging folder, stripped. The zip holds the same files as the installer but the
# launcher, which only the installer uses. Needs makensis (nsis), zip and mingw-w64's strip.
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 BUILD_DIR OUT_DIR" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
source=$(cd "$(dirname "$0")/.." && pwd)
strip=x86_64-w64-mingw32-strip

for tool in makensis zip "$strip" cmake; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "package-windows.sh: $tool is not installed (scripts/install-deps.sh --windows)" >&2
        exit 1
    fi
done
if [ ! -f "$build/packaging/version.txt" ]; then
    echo "package-windows.sh: $build is not a Windows build of Chronivo (make windows)" >&2
    exit 1
fi
version=$(cat "$build/packaging/version.txt")
setup=$out/chronivo-$version-setup.exe
zip=$out/chronivo-$version-windows-x86_64.zip

work=$(mktemp -d "$out/.package.XXXXXX")
trap 'rm -rf "$work"' EXIT
stage=$work/Chronivo

# --strip strips the programs; the DLLs come as their builds made them, so all go through strip.
cmake --install "$build" --prefix "$stage" --strip >"$work/install.log" ||
    { cat "$work/install.log" >&2; exit 1; }
grep -F "The system's own DLLs" "$work/install.log" || true
find "$stage" -type f \( -iname '*.dll' -o -iname '*.exe' -o -iname '*.scr' \) \
    -exec "$strip" --strip-unneeded {} +

# The installer's file lists, in NSIS's words ($INSTDIR is its variable): each folder, then its
# files; the uninstaller deletes the files, then the folders, deepest first, each when empty.
install_nsh=$work/install-files.nsh
uninstall_nsh=$work/uninstall-files.nsh
: >"$install_nsh"
: >"$uninstall_nsh"
# shellcheck disable=SC2016
while IFS= read -r dir; do
    rel=${dir#"$stage"}
    printf 'SetOutPath "$INSTDIR%s"\n' "${rel//\//\\}" >>"$install_nsh"
    while IFS= read -r file; do
        name=${file##*/}
        printf 'File "%s"\n' "$file" >>"$install_nsh"
        printf 'Delete "$INSTDIR%s\\%s"\n' "${rel//\//\\}" "$name" >>"$uninstall_nsh"
    done < <(find "$dir" -mindepth 1 -maxdepth 1 -type f | LC_ALL=C sort)
done < <(find "$stage" -type d | LC_ALL=C sort)
# shellcheck disable=SC2016
while IFS= read -r dir; do
    rel=${dir#"$stage"}
    printf 'RMDir "$INSTDIR%s"\n' "${rel//\//\\}" >>"$uninstall_nsh"
done < <(find "$stage" -mindepth 1 -type d | LC_ALL=C sort -r)

rm -f "$setup" "$zip"
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DSOURCE="$source" -DOUTFILE="$setup" \
    -DINSTALL_FILES="$install_nsh" -DUNINSTALL_FILES="$uninstall_nsh" \
    "$source/packaging/windows/chronivo.nsi"
(cd "$work" && zip -q -9 -r -X "$zip" Chronivo -x Chronivo/ChronivoSettings.exe)

echo "$setup: $(stat -c %s "$setup") bytes"
echo "$zip: $(stat -c %s "$zip") bytes"
echo "installed folder: $(du -sk --apparent-size "$stage" | cut -f1) KiB in $(find "$stage" -type f | wc -l) files"
