#!/usr/bin/env bash
# A Debian 13 ("trixie") root on this Debian machine, for building and testing Chronivo there:
#
#   scripts/debian13-root.sh [CACHE-FOLDER]
#       makes the root with mmdebstrap and installs what scripts/install-deps.sh names, or finds
#       it in the cache folder and brings its packages up to date; prints its folder last.
#   scripts/debian13-root.sh --run ROOT SOURCE COMMAND [ARGUMENT...]
#       runs COMMAND as root inside ROOT, in SOURCE (a folder of this machine seen at /src).
#
# A root is used again only when it was made from the same suites, archive and install script
# (its name is their digest) and was finished; its packages are upgraded at every use, so a
# cached root is never older than the archive. Needs root, for mmdebstrap and the mounts.
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
    echo "debian13-root.sh: run it as root (it makes a root file system and mounts into it)" >&2
    exit 1
fi
here=$(cd "$(dirname "$0")" && pwd)

# Unmounts whatever is mounted on or inside a folder (a run that was killed leaves its mounts),
# deepest first; nothing may be removed from a root while the host's /dev or the source is
# mounted in it.
unmount_under() {
    local folder mounts
    folder=$(realpath -m "$1")
    mounts=$(awk -v f="$folder" '$5 == f || index($5, f "/") == 1 { print $5 }' /proc/self/mountinfo |
        sort -r)
    for m in $mounts; do
        umount -l "$m"
    done
    if awk -v f="$folder" '$5 == f || index($5, f "/") == 1 { found = 1 } END { exit !found }' \
        /proc/self/mountinfo; then
        echo "debian13-root.sh: something is still mounted inside $folder" >&2
        exit 1
    fi
}

# Runs a command inside the root with /proc, /sys, /dev (with its own /dev/shm, without which
# sway cannot allocate buffers) and the source folder mounted, and the host's name servers.
run_in_root() {
    local root=$1 source=$2
    shift 2
    # Global, not local: the exit trap that unmounts runs after a failing mount has left the
    # function.
    mounted=()
    unmount_under "$root"
    unmount_all() {
        local i
        for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
            umount -l "${mounted[i]}" 2>/dev/null || true
        done
    }
    trap unmount_all EXIT
    # Each mount is recorded once made; one that fails ends the script (and unmounts the rest).
    mount_at() {
        mount "$@"
        mounted+=("${!#}")
    }
    # The root a mount of its own, as / is: a test may make / private in a namespace of its own.
    mount_at --bind "$root" "$root"
    mount_at -t proc proc "$root/proc"
    mount_at -t sysfs sysfs "$root/sys"
    mount_at --bind /dev "$root/dev"
    mount_at --bind /dev/pts "$root/dev/pts"
    mount_at -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"
    mkdir -p "$root/src"
    mount_at --bind "$source" "$root/src"
    cp -L /etc/resolv.conf "$root/etc/resolv.conf"
    local status=0
    chroot "$root" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" LANG=C.UTF-8 \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        DEBIAN_FRONTEND=noninteractive CI="${CI:-}" \
        /bin/sh -c 'cd /src && exec "$@"' sh "$@" || status=$?
    unmount_all
    trap - EXIT
    return "$status"
}

if [ "${1:-}" = --run ]; then
    [ $# -ge 4 ] || {
        echo "usage: debian13-root.sh --run ROOT SOURCE COMMAND [ARGUMENT...]" >&2
        exit 2
    }
    root=$2 source=$(cd "$3" && pwd)
    shift 3
    run_in_root "$root" "$source" "$@"
    exit
fi

cache=${1:-${XDG_CACHE_HOME:-$HOME/.cache}/chronivo/debian13}
export DEBIAN_FRONTEND=noninteractive
if ! command -v mmdebstrap >/dev/null; then
    apt-get install -y --no-install-recommends mmdebstrap
fi

# The archive this machine uses, with trixie's updates and security suites.
archive=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)
archive=${archive:-http://deb.debian.org/debian}
security=${archive%/debian}/debian-security
sources=("deb $archive trixie main" "deb $archive trixie-updates main"
    "deb $security trixie-security main")
key=$(printf '%s\n' "${sources[@]}" | cat - "$here/install-deps.sh" | sha256sum | cut -c1-16)
root="$cache/trixie-$key"

if [ -f "$root/.complete" ]; then
    echo "Debian 13 root found; bringing its packages up to date"
    run_in_root "$root" "$here" sh -c 'apt-get update -qq && apt-get upgrade -y -qq'
else
    # Roots made from another install script or archive are stale: they go.
    for old in "$cache"/trixie-*; do
        [ -e "$old" ] || continue
        unmount_under "$old"
        rm -rf "$old"
    done
    mkdir -p "$cache"
    mmdebstrap --variant=apt trixie "$root" "${sources[@]}"
    run_in_root "$root" "$here" ./install-deps.sh
    # D-Bus and the desktop sessions want the machine's identity.
    chroot "$root" systemd-machine-id-setup >/dev/null 2>&1 ||
        chroot "$root" dbus-uuidgen --ensure=/etc/machine-id
    touch "$root/.complete"
fi
echo "Debian 13 root:"
echo "$root"
