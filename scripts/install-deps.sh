#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Chronivo need, and only
# those that are missing. Uses sudo when not run as root. With --windows: those that building
# Chronivo for Windows (and Qt for it), its installer, and running its tests under Wine need.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-base-private-dev qt6-qpa-plugins libgl-dev
    libxcb1-dev libxcb-screensaver0-dev libxcb-dpms0-dev
    libwayland-dev wayland-protocols plasma-wayland-protocols
    fonts-dejavu-core tzdata
    # The interface fonts of GNOME and KDE, which the dialog's layout is tested with.
    fonts-cantarell fonts-noto-core
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth xdotool x11-utils x11-apps x11-xserver-utils imagemagick xscreensaver xsecurelock
    qt6-wayland sway wtype wayvnc grim jq mutter kwin-wayland muffin cinnamon-settings-daemon
    gnome-shell gnome-session gnome-settings-daemon gjs gnome-screenshot
    clang-format dbus-daemon libglib2.0-bin procps git socat
    clang libclang-rt-dev llvm
    locales
    dpkg-dev desktop-file-utils groff-base lintian systemd
)

if [ "${1:-}" = --windows ]; then
    packages=(
        cmake ninja-build dpkg-dev xz-utils qt6-base-dev qt6-base-dev-tools
        g++-mingw-w64-x86-64-posix googletest nsis zip
        wine wine64 fonts-wine fonts-dejavu-core xvfb xauth xdotool x11-utils imagemagick
    )
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi

# The C-locale tests run the process in German; generate that locale when it is missing.
if [ "${1:-}" != --windows ] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    echo "Generating locale de_DE.UTF-8"
    "${sudo[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
