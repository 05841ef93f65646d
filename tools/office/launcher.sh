#!/bin/sh
# Starts Notavo from an office folder. This folder, where everyone files messages, is the data
# folder; the program and everything it loads are in lib/, which nobody in the office can
# change, so nothing anyone drops into this folder is ever loaded by the program.
# (Built-ins only, but for the system's loader and a dialog: a desktop may start this with a
# bare environment.)
case $0 in
    */*) folder=${0%/*} ;;
    *) folder=. ;;
esac
folder=$(cd -- "$folder" && pwd -P) || exit 1
NOTAVO_DATA_FOLDER=$folder
export NOTAVO_DATA_FOLDER
# The folder brings Qt's X11 platform only: on a Wayland desktop Notavo runs through XWayland,
# also when the session asks Qt for a platform the folder does not have.
platform=${QT_QPA_PLATFORM%%[:;]*}
if [ -z "$platform" ] || [ ! -e "$folder/lib/plugins/platforms/libq$platform.so" ]; then
    QT_QPA_PLATFORM=xcb
    export QT_QPA_PLATFORM
    platform=xcb
fi

# Says in one sentence what this computer lacks to run the program (nothing when it has all):
# the system's loader is asked, as it would resolve the program and its X11 platform, and its
# answer is put in words, with the minimum from lib/requirements (written by the install).
lacking() {
    loader=/lib64/ld-linux-x86-64.so.2 glibc=? glibcxx=? built=
    while read -r key value; do
        case $key in
            loader) loader=$value ;;
            glibc) glibc=$value ;;
            glibcxx) glibcxx=$value ;;
            built) built=$value ;;
        esac
    done < "$folder/lib/requirements"
    newer=
    [ -z "$built" ] || newer=" ($built or newer has it)"
    if [ ! -x "$loader" ]; then
        echo "Notavo cannot start on this computer: it needs a 64-bit PC (x86-64) with the GNU C library $glibc or newer, and $loader is not there."
        return
    fi
    report=$("$loader" --list "$folder/lib/Notavo" 2>&1
        [ "$platform" != xcb ] || "$loader" --list "$folder/lib/plugins/platforms/libqxcb.so" 2>&1)
    missing= old_c= old_cxx= old_other=
    while read -r line; do
        case $line in
            *"=> not found"*)
                name=${line%% *}
                case " $missing " in *" $name "*) ;; *) missing="$missing $name" ;; esac ;;
            *"error while loading shared libraries: "*)
                # One that is there but cannot be loaded (damaged, empty) counts as missing.
                name=${line##*shared libraries: }
                name=${name%%:*}
                name=${name##*/}
                case " $missing " in *" $name "*) ;; *) missing="$missing $name" ;; esac ;;
            *"version \`GLIBC_"*) old_c=1 ;;
            *"version \`GLIBCXX_"* | *"version \`CXXABI_"*) old_cxx=1 ;;
            *"version \`"*"' not found"*)
                name=${line%%: version*}; old_other=${name##*/} ;;
        esac
    done <<EOF
$report
EOF
    if [ -n "$old_c" ]; then
        # "glibc 2.31" (older loaders know no --version)
        have=$(getconf GNU_LIBC_VERSION 2>/dev/null)
        have=${have##* }
        echo "Notavo cannot start on this computer: it needs the GNU C library $glibc or newer, and this computer has ${have:-an older one}$newer."
    elif [ -n "$old_cxx" ]; then
        echo "Notavo cannot start on this computer: it needs the C++ runtime libstdc++ with GLIBCXX_$glibcxx or newer, and this computer has an older one$newer."
    elif [ -n "$missing" ]; then
        set -- $missing
        if [ $# -eq 1 ]; then
            echo "Notavo cannot start on this computer: the system library $1 is missing; install the package that holds it$newer."
        else
            echo "Notavo cannot start on this computer: the system libraries$missing are missing; install the packages that hold them$newer."
        fi
    elif [ -n "$old_other" ]; then
        echo "Notavo cannot start on this computer: its system library $old_other is older than the one Notavo needs$newer."
    fi
}

# The sentence on the terminal, and in whatever dialog or notification this desktop offers.
tell() {
    printf '%s\n' "$1" >&2
    [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || return 0
    : "${PATH:=/usr/local/bin:/usr/bin:/bin}"
    if command -v zenity >/dev/null 2>&1; then
        zenity --error --title=Notavo --no-markup --text="$1"
    elif command -v kdialog >/dev/null 2>&1; then
        kdialog --title Notavo --error "$1"
    elif command -v xmessage >/dev/null 2>&1; then
        xmessage -center -title Notavo -buttons OK:0 "$1"
    elif command -v notify-send >/dev/null 2>&1; then
        notify-send --app-name=Notavo --urgency=critical "Notavo cannot start" "$1"
    elif command -v gdbus >/dev/null 2>&1; then
        text=$(printf '%s' "$1" | sed 's/[\\"]/\\&/g')
        gdbus call --session --dest org.freedesktop.Notifications \
            --object-path /org/freedesktop/Notifications \
            --method org.freedesktop.Notifications.Notify Notavo 0 dialog-error \
            '"Notavo cannot start"' "\"$text\"" '[]' '{"urgency": <byte 2>}' 'int32 -1'
    fi > /dev/null 2>&1 &
}

sentence=$(lacking)
if [ -n "$sentence" ]; then
    tell "$sentence"
    exit 1
fi
exec "$folder/lib/Notavo" "$@"
