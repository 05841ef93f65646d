#!/bin/sh
# release-root.sh <suite> <folder>: makes, once, a minimal Debian root of that release holding
# what a small X11 desktop has and nothing of Qt: the X11 and xcb client libraries, fontconfig,
# freetype, GLib, D-Bus, GL and a font. Later calls find it made and return at once.
# Exit 2: the release cannot be fetched from the configured Debian mirror.
set -eu
suite=${1:?usage: release-root.sh <suite> <folder>}
root=${2:?usage: release-root.sh <suite> <folder>}
[ -e "$root/.notavo-complete" ] && exit 0

# The mirror this computer installs from (deb822 or one-line sources).
mirror=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null | sed -n 's|^URIs: *\(.*/debian\)/*$|\1|p' | head -n 1)
[ -n "$mirror" ] || mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null \
    | sed -n 's|^deb \(\[[^]]*\] \)\{0,1\}\([^ ]*/debian\)/* .*|\2|p' | head -n 1)
[ -n "$mirror" ] || { echo "no Debian mirror configured"; exit 2; }

case $suite in
    bullseye|bookworm) glib=libglib2.0-0 ;;
    *) glib=libglib2.0-0t64 ;;
esac
packages="libx11-6,libxcb1,libx11-xcb1,libfontconfig1,libfreetype6,$glib,libdbus-1-3,libgl1,libegl1,fonts-dejavu-core"

rm -rf "$root"
mkdir -p "$root"
keyring=/usr/share/keyrings/debian-archive-$suite-stable.gpg
[ -e "$keyring" ] || keyring=/usr/share/keyrings/debian-archive-keyring.gpg
if ! debootstrap --variant=minbase --keyring="$keyring" --include="$packages" \
        "$suite" "$root" "$mirror" > "$root.log" 2>&1; then
    tail -n 5 "$root.log"
    if grep -q -e "Failed getting release file" -e "Couldn't download" "$root.log"; then
        rm -rf "$root"
        exit 2
    fi
    exit 1
fi
# A root only ever runs programs: no need for its package lists and downloads.
rm -rf "$root/var/cache/apt/archives/"*.deb "$root/var/lib/apt/lists/"*
touch "$root/.notavo-complete"
