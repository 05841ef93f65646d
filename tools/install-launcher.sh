#!/bin/sh
# Adds a menu entry for the Notavo in an office folder to the current user's desktop menu:
# a .desktop file, the scalable icon and the AppStream metainfo under $XDG_DATA_HOME. With
# --system (as root) the entry is for every user of this computer, under /usr/local/share
# ($DESTDIR in front, when set).
set -eu

data_home=${XDG_DATA_HOME:-$HOME/.local/share}
if [ "${1:-}" = "--system" ]; then
    data_home=${DESTDIR:-}/usr/local/share
    shift
fi
office=${1:?usage: install-launcher.sh [--system] <office folder>}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
office=$(cd "$office" && pwd)
# A desktop entry is line based: a folder name with a line break or a control character cannot
# be written into it faithfully.
if printf '%s' "$office" | LC_ALL=C grep -q '[[:cntrl:]]'; then
    echo "The folder name $office holds a control character; choose another folder." >&2
    exit 1
fi
if [ ! -x "$office/Notavo" ]; then
    echo "No Notavo program in $office: run 'make office DIR=$office' first." >&2
    exit 1
fi

id=io.github.notavo.Notavo
mkdir -p "$data_home/applications" "$data_home/icons/hicolor/scalable/apps" "$data_home/metainfo"

# Exec quoting by the desktop-entry rules: backslash, quote, backtick and dollar are escaped
# inside double quotes, and every backslash is doubled once more for the string value.
exec_path=$(printf '%s' "$office/Notavo" | sed -e 's/[\\"`$]/\\&/g' -e 's/\\/\\\\/g' -e 's/%/%%/g')
# The working folder is a plain string value: only the backslash is escaped.
path_value=$(printf '%s' "$office" | sed -e 's/\\/\\\\/g')
# Both go into a sed replacement, where backslash, '&' and the '|' delimiter are special.
sed_escape() { printf '%s' "$1" | sed -e 's/[\\&|]/\\&/g'; }
entry="$data_home/applications/$id.desktop"
sed -e "s|@EXEC@|\"$(sed_escape "$exec_path")\"|" -e "s|@OFFICE_DIR@|$(sed_escape "$path_value")|" \
    "$source_dir/resources/desktop/$id.desktop.in" > "$entry.tmp"
mv "$entry.tmp" "$entry"
cp "$source_dir/resources/pictures/notavo.svg" "$data_home/icons/hicolor/scalable/apps/$id.svg"
cp "$source_dir/resources/desktop/$id.metainfo.xml" "$data_home/metainfo/$id.metainfo.xml"
# Readable by every user whatever the umask (the entry may be for all of them).
chmod 644 "$entry" "$data_home/icons/hicolor/scalable/apps/$id.svg" "$data_home/metainfo/$id.metainfo.xml"

if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$entry"
fi
command -v update-desktop-database >/dev/null 2>&1 && update-desktop-database -q "$data_home/applications" || true
echo "Menu entry installed: $entry"
