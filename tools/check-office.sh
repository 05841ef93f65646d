#!/bin/sh
# Reports what a member of the office group could change in an office folder that the program
# loads: the launcher Notavo, lib/ (the program, qt.conf, its libraries and plug-ins), and the
# folder itself. Exit status 0 when all is protected, 1 when something is not.
set -u
office=$(cd "${1:?usage: check-office.sh <office folder>}" && pwd -P) || exit 2
problems=0
unprotected() {
    echo "UNPROTECTED: $*"
    problems=$((problems + 1))
}
immutable() { lsattr -d "$1" 2>/dev/null | cut -d ' ' -f 1 | grep -q i; }
# True when others than the owner can add, remove or rename entries of folder $1.
open_folder() {
    [ -n "$(find "$1" -maxdepth 0 -perm /022 ! -perm -1000)" ]
}

fs=$(stat -f -c %T "$office")
case $fs in
    nfs* | cifs | smb* | fuse* | 9p | ceph | afs | lustre | gfs* | ocfs2)
        echo "$office is on a network share ($fs): the server decides who can change it, and"
        echo "the immutable attribute cannot be set or seen from here. On the server, make"
        echo "Notavo and lib/ unchangeable for the office group: on a Linux server run"
        echo "  chattr +i <folder>/Notavo; chattr -R +i <folder>/lib"
        echo "there (as root); on a Windows server give the group Read & execute only on"
        echo "Notavo and lib (no Modify, no Full control)."
        network=1
        ;;
    *) network=0 ;;
esac

if [ -f "$office/qt.conf" ] || { [ -f "$office/Notavo" ] && head -c 4 "$office/Notavo" | grep -q ELF; }; then
    unprotected "the program lies in the shared folder itself (an earlier Notavo): run make office again"
fi
for item in Notavo notavo-send lib lib/Notavo lib/notavo-send lib/qt.conf; do
    [ -e "$office/$item" ] || unprotected "$office/$item is missing"
done

# Everything the program loads: nobody but its owner may change it, and the owner is root.
find "$office/Notavo" "$office/notavo-send" "$office/lib" -perm /022 ! -type l 2>/dev/null | while read -r file; do
    echo "UNPROTECTED: $file can be changed by its group or by everyone"
done | grep . && problems=$((problems + 1))
find "$office/Notavo" "$office/notavo-send" "$office/lib" ! -user 0 2>/dev/null | head -n 1 | grep -q . &&
    unprotected "files in lib/ or Notavo are not owned by root: their owner can change them"
find "$office/lib" -type l 2>/dev/null | head -n 1 | grep -q . &&
    unprotected "lib/ holds symbolic links"

# Notavo and lib/ sit in the shared folder: whoever can write there can rename them, unless
# they are immutable.
if open_folder "$office"; then
    for item in Notavo notavo-send lib; do
        if [ -e "$office/$item" ] && ! immutable "$office/$item"; then
            if [ "$network" -eq 1 ]; then
                echo "UNVERIFIED: $office/$item (set it unchangeable on the server)"
            else
                unprotected "$office/$item can be renamed or replaced by anyone who can write to $office (not immutable)"
            fi
        fi
    done
fi
parent=$(dirname "$office")
if [ "$parent" != "$office" ] && open_folder "$parent" && ! immutable "$office"; then
    unprotected "$office itself can be renamed: $parent is writable by others"
fi

if [ "$problems" -eq 0 ] && [ "$network" -eq 1 ]; then
    echo "Nothing unprotected seen from here; the server's side could not be checked."
    exit 1
elif [ "$problems" -eq 0 ]; then
    echo "Protected: nobody but root can change what Notavo loads in $office."
    exit 0
fi
echo "$problems problem(s) found in $office."
exit 1
