#!/bin/sh
# Starts notavo-send from an office folder: the message goes into this folder (unless --folder
# names another), the program lives in lib/ with Notavo. Called through a link (a copy of the
# office's notavo-send in /usr/local/bin), it still finds the office folder.
self=$0
if [ -L "$self" ]; then
    self=$(readlink -f -- "$self") || exit 2
fi
case $self in
    */*) folder=${self%/*} ;;
    *) folder=. ;;
esac
folder=$(cd -- "$folder" && pwd -P) || exit 2
NOTAVO_DATA_FOLDER=$folder
export NOTAVO_DATA_FOLDER
exec "$folder/lib/notavo-send" "$@"
