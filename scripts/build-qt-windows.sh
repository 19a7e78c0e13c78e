#!/usr/bin/env bash
# Builds Qt for Windows (x86-64, mingw-w64, shared, release) from Debian's own qt6-base source,
# the same version as the host tools that run the build, into a cache folder outside the tree,
# and prints the folder of the installed Qt on its last line. A folder is used only when it was
# made by the same Qt version, compiler and configure line (its name is their digest) and its
# build finished; anything else is built anew. About half an hour on two cores.
#
# Usage: scripts/build-qt-windows.sh [--fetch-only] [CACHE-FOLDER]
#   (default folder ~/.cache/chronivo/qt-windows)
# --fetch-only installs the packages and fetches the source into the cache folder, and builds
# nothing: every use of apt happens then, so the build itself can run beside other apt work.
set -euo pipefail

fetch_only=false
if [ "${1:-}" = --fetch-only ]; then
    fetch_only=true
    shift
fi
cache=${1:-${XDG_CACHE_HOME:-$HOME/.cache}/chronivo/qt-windows}
export DEBIAN_FRONTEND=noninteractive

need_packages() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    if [ "${#missing[@]}" -gt 0 ]; then
        apt-get install -y --no-install-recommends "${missing[@]}"
    fi
}
need_packages g++-mingw-w64-x86-64-posix qt6-base-dev-tools qt6-base-dev cmake ninja-build \
    dpkg-dev xz-utils

qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
compiler=$(x86_64-w64-mingw32-g++-posix -dumpfullversion)
# The bundled third-party libraries make the DLLs carry everything they need. Left out, since
# Chronivo uses none of them and each costs build time: OpenGL, D-Bus, SQL, network, printing,
# Qt Concurrent, Qt Xml and JPEG images; tablet events need a header Debian's tarball lacks.
# direct2d stays: without it qwindows.dll does not link in 6.4.2. Qt Test stays for the suite.
configure_line=(-xplatform win32-g++ -device-option CROSS_COMPILE=x86_64-w64-mingw32-
    -release -shared -nomake examples -nomake tests
    -qt-zlib -qt-pcre -qt-libpng -no-libjpeg -qt-freetype -qt-harfbuzz -qt-doubleconversion
    -no-opengl -no-dbus -no-feature-sql -no-feature-network -no-feature-tabletevent
    -no-feature-printsupport -no-feature-concurrent -no-feature-xml)
# The cross compiler as CMake is told of it, for Qt's build and for every project built with it.
toolchain_text=$(cat <<'TOOLCHAIN'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TOOLCHAIN
)
key=$(printf '%s\n' "$qt_version" "$compiler" "${configure_line[@]}" "$toolchain_text" |
    sha256sum | cut -c1-16)
prefix="$cache/qt-$key"
if [ -f "$prefix/.complete" ]; then
    echo "Qt for Windows ($qt_version) is built already:"
    echo "$prefix"
    exit 0
fi

# The source comes from the archive the machine already uses, as a deb-src entry of its own,
# and is kept in the cache folder by version.
source_dir="$cache/source-$qt_version"
if [ ! -f "$source_dir/.complete" ]; then
    sources=/etc/apt/sources.list.d/chronivo-deb-src.sources
    if [ ! -f "$sources" ]; then
        sed -n '/^Types:/,/^$/p' /etc/apt/sources.list.d/debian.sources |
            sed 's/^Types: deb$/Types: deb-src/' >"$sources"
        apt-get update
    fi
    rm -rf "$source_dir"
    mkdir -p "$source_dir"
    (cd "$source_dir" && apt-get source --download-only "qt6-base=$qt_version")
    touch "$source_dir/.complete"
fi
if $fetch_only; then
    echo "Qt for Windows ($qt_version): source fetched into $source_dir"
    exit 0
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/chronivo-qt-windows.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
dpkg-source --no-check -x "$source_dir"/qt6-base_*.dsc src >/dev/null

rm -rf "$prefix"
mkdir -p "$prefix"
# Kept with the installed Qt, where Qt's own toolchain file (lib/cmake/Qt6/qt.toolchain.cmake)
# finds it again when a project is configured for Windows.
toolchain="$prefix/mingw-toolchain.cmake"
printf '%s\n' "$toolchain_text" >"$toolchain"

mkdir -p build
cd build
../src/configure -prefix "$prefix" -qt-host-path /usr "${configure_line[@]}" -- \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
cmake --build . --parallel "$(nproc)"
cmake --install .
touch "$prefix/.complete"
echo "Qt for Windows ($qt_version) built:"
echo "$prefix"
