#!/bin/sh
# Writes Notavo's block into the .stignore of an office folder (Syncthing's ignore file).
set -eu
# When the folder is carried to another site by Syncthing, the program stays each site's own
# (a program synced in from elsewhere would be run here), and so do the files a copy keeps
# only while it writes or moves a message. A leftover temporary is garbage and may be
# deleted where it blocks a folder's deletion ((?d)); a leftover claim folder still holds a
# message until a starting copy puts it back, so it is never deleted for that. Our block goes
# first (the first matching pattern decides); lines of the folder's own .stignore stay.
begin="// Notavo: begin (make office rewrites this block; your own lines go below it)"
end="// Notavo: end"
office=${1:?usage: write-stignore.sh <office folder>}
ignore="$office/.stignore"
new="$office/.notavo-tmp-stignore"
{
    echo "$begin"
    echo "/Notavo"
    echo "/lib"
    echo "/notavo-send"
    echo "(?d).notavo-tmp-*"
    echo ".notavo-claim-*"
    echo "$end"
    if [ -f "$ignore" ]; then
        awk -v end="$end" '
            index($0, "// Notavo: begin") == 1 { skipping = 1; next }
            skipping && $0 == end { skipping = 0; next }
            !skipping' "$ignore"
    fi
} >"$new"
chmod go-w "$new"
mv -f "$new" "$ignore"
