#!/bin/sh
# Starts Notavo from an office folder. This folder, where everyone files messages, is the data
# folder; the program and everything it loads are in lib/, which nobody in the office can
# change, so nothing anyone drops into this folder is ever loaded by the program.
# (Built-ins only: a desktop may start this with a bare environment.)
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
fi
exec "$folder/lib/Notavo" "$@"
