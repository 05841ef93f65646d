#!/bin/sh
# make office: installs Notavo into an office folder, then protects the program and everything
# it loads from the people who share the folder, and reports what could not be protected.
set -eu
build=${1:?usage: make-office.sh <build folder> <office folder>}
office=${2:?usage: make-office.sh <build folder> <office folder>}
tools=$(cd "$(dirname "$0")" && pwd)

# A packager's staging install (DESTDIR): the folder is made under $DESTDIR, for $office.
installed=$office
if [ -n "${DESTDIR:-}" ]; then
    case $installed in
        /*) ;;
        *) installed=$(pwd)/$installed ;;
    esac
    office=$DESTDIR$installed
fi
export DESTDIR

mkdir -p "$office"
# Lift an earlier run's protection so the update can replace the files; they are removed rather
# than written over, so a copy still running keeps the files it has loaded.
if [ -e "$office/lib/libQt6Core.so.6" ] || [ -e "$office/Notavo" ]; then
    chattr -R -i "$office/lib" "$office/Notavo" 2>/dev/null || true
    chattr -i "$office/notavo-send" 2>/dev/null || true
    rm -rf "${office:?}/lib" "${office:?}/Notavo" "${office:?}/notavo-send"
fi
# An earlier Notavo kept its qt.conf in the shared folder itself.
if [ -f "$office/qt.conf" ] && head -n 1 "$office/qt.conf" | grep -qx '\[Paths\]'; then
    rm -f "$office/qt.conf"
fi
cmake --install "$build" --prefix "$installed" --strip

# Nobody but the owner may change the program files; the immutable attribute (root only, local
# file systems) also keeps the group from renaming Notavo and lib/ in the group-writable folder.
chmod -R go-w "$office/lib" "$office/Notavo" "$office/notavo-send"
if [ "$(id -u)" -eq 0 ]; then
    if chattr +i "$office/Notavo" "$office/notavo-send" 2>/dev/null && chattr -R +i "$office/lib" 2>/dev/null; then
        echo "Notavo, notavo-send and lib/ are immutable: only root can change them (make office lifts this)."
    else
        unprotected="The file system of $office does not take the immutable attribute (a network share: see the server-side steps in the README)."
    fi
else
    unprotected="Not run as root: Notavo and lib/ could not be made immutable."
fi
if [ -n "${unprotected:-}" ]; then
    echo "$unprotected"
    echo "NOT PROTECTED: whoever can write to $office (the office group, once it is shared) can"
    echo "rename Notavo and lib/ and put a program of their own in their place."
fi

# Keep the program and the files of a save in progress out of a sync to other sites.
"$tools/write-stignore.sh" "$office"
echo "Notavo is in $office; that folder is its data folder."
echo
"$tools/check-office.sh" "$office" || true
