#!/usr/bin/env bash
# Start-up of the Windows program under Wine, until its window is mapped, against the
# bare Qt window of its kind cross-built the same way: the two by turns, in one Wine
# prefix whose server stays up, so that Wine's own start is not counted.
#   startup-wine.sh path/to/vindre.exe path/to/startup_floor.exe
source "$(dirname "$0")/../tests/e2e/lib.sh"
FLOOR=${2:?usage: $0 path/to/vindre.exe path/to/startup_floor.exe}
mv "$APP_DIR/vindre" "$APP_DIR/vindre.exe"
cp "$FLOOR" "$APP_DIR/startup_floor.exe"
export WINEPREFIX=$WORK/prefix WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
start_display
bash "$(dirname "$0")/../tests/wine/prefix.sh" "$WINEPREFIX"
# The server wineboot left goes after three idle seconds; this one stays.
wineserver -k
wineserver -p
/usr/bin/python3 "$(dirname "$0")/startup.py" --through wine "$APP_DIR/vindre.exe" "$APP_DIR/startup_floor.exe"
wineserver -k
