#!/usr/bin/env bash
# The program as a desktop installs it: cmake --install into a prefix the user may not
# write, the desktop entry, metainfo, icons and manual page checked by their own
# validators, then started from its menu entry by an ordinary user whose settings
# must come back from ~/.config.
source "$(dirname "$0")/lib.sh"
BUILD=$(cd "$(dirname "$VINDRE_BUILT")" && pwd)
APP_ID=com.example.Vindre
PREFIX=$WORK/prefix

# The icons and the compressed manual page come from the build's data target.
cmake --build "$BUILD" --target vindre vindre_data >"$WORK/build.log" 2>&1 || { cat "$WORK/build.log"; exit 1; }
cmake --install "$BUILD" --prefix "$PREFIX" >"$WORK/install.log" 2>&1 || { cat "$WORK/install.log"; exit 1; }
# Stamped once the install has ended: cmake names each file before it copies it, so
# the log's last write can come before the last file, a folder's time after it.
touch "$WORK/installed"
DESKTOP=$PREFIX/share/applications/$APP_ID.desktop
METAINFO=$PREFIX/share/metainfo/$APP_ID.metainfo.xml

check "desktop-file-validate says nothing" "" "$(desktop-file-validate "$DESKTOP" 2>&1)"
metainfo_report=$(appstreamcli validate --no-net "$METAINFO" 2>&1) || true
check "appstreamcli: no errors or warnings" "" "$(grep -E '^[EW]:' <<<"$metainfo_report" || true)"
check "appstreamcli: validation successful" "yes" "$(grep -q 'Validation was successful' <<<"$metainfo_report" && echo yes)"
check "metainfo names the desktop entry" "$APP_ID.desktop" \
    "$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$METAINFO")"

entry() { sed -n "s/^$1=//p" "$DESKTOP"; }
check "desktop entry icon" "$APP_ID" "$(entry Icon)"
for size in 16 24 32 48 64 128 256; do
    check "icon ${size}x${size}" "${size}x${size}" \
        "$(identify -format '%wx%h' "$PREFIX/share/icons/hicolor/${size}x${size}/apps/$APP_ID.png" 2>&1)"
done
check "scalable icon renders" "256x256" \
    "$(rsvg-convert -w 256 -h 256 "$PREFIX/share/icons/hicolor/scalable/apps/$APP_ID.svg" | identify -format '%wx%h' - 2>&1)"
check "manual page renders without warnings" "" \
    "$(LC_ALL=C.UTF-8 MANROFFSEQ='' man --warnings -l "$PREFIX/share/man/man1/vindre.1.gz" 2>&1 >/dev/null)"

# An ordinary user: the prefix is not theirs, HOME is new and empty, XDG_CONFIG_HOME unset.
HOME_DIR=$WORK/home
mkdir -m 700 "$HOME_DIR" "$WORK/runtime"
chmod 755 "$WORK"
if [ "$(id -u)" = 0 ]; then
    chown 65534:65534 "$HOME_DIR" "$WORK/runtime"
    AS_USER=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
else
    chmod -R a-w "$PREFIX"
    AS_USER=()
fi
start_display
# Started as the menu starts it: the entry's Exec line, found on the PATH.
read -r -a EXEC <<<"$(entry Exec)"
RUN_AS=("${AS_USER[@]}")
RUN_HOME=$HOME_DIR
start_installed() {
    "${RUN_AS[@]}" env -u XDG_CONFIG_HOME HOME="$RUN_HOME" XDG_RUNTIME_DIR="$WORK/runtime" \
        PATH="$PREFIX/bin:/usr/bin:/bin" "${EXEC[@]}" >"$WORK/app.log" 2>&1 &
    APP_PID=$!
    MAIN_WIN=
    for _ in $(seq 200); do
        MAIN_WIN=$(xdotool search --onlyvisible --pid "$APP_PID" --name '^ヴィンドレ 051113$' 2>/dev/null | head -n1 || true)
        [ -n "$MAIN_WIN" ] && break
        sleep 0.05
    done
    [ -n "$MAIN_WIN" ] || { echo "the installed program showed no window:"; cat "$WORK/app.log"; exit 1; }
    sleep 0.3
    xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true
}

# Root runs the installed copy first: its settings go to its own home, and nothing
# beside the program stands in the way of anyone else's.
if [ "$(id -u)" = 0 ]; then
    RUN_AS=() RUN_HOME=$WORK/root-home
    mkdir -m 700 "$RUN_HOME"
    start_installed
    key "$MAIN_WIN" F2
    close_and_end "root's run"
    check "root's run: settings under root's ~/.config/vindre" "0 yes" \
        "$(stat -c %u "$RUN_HOME/.config/vindre/vindre.ini" 2>&1) $(grep -q ColorR=255 "$RUN_HOME/.config/vindre/vindre.ini" && echo yes)"
    check "root's run: nothing beside the installed program" "vindre" "$(ls "$PREFIX/bin" | paste -sd' ')"
    RUN_AS=("${AS_USER[@]}") RUN_HOME=$HOME_DIR

    # Root with a user's HOME, as sudo -E leaves it: root's settings go to the home of
    # root's account (here a folder of the test's, in root's place), and nothing of
    # root's lands in the user's home, whatever it holds already.
    make_user USER_NAME "$WORK/user"
    mkdir -m 700 "$WORK/root-account"
    RUN_AS=(unshare --mount --propagation private sh -c 'mount --bind "$0" /root && exec "$@"' "$WORK/root-account")
    RUN_HOME=$WORK/user
    for held in "nothing" "~/.config/vindre"; do
        [ "$held" = nothing ] || as_user "$USER_NAME" mkdir -p "$WORK/user/.config/vindre"
        start_installed
        close_and_end "root with the user's HOME holding $held"
        check "root with the user's HOME holding $held: root's settings in root's home, none in the user's" \
            "yes " "$([ -f "$WORK/root-account/.config/vindre/vindre.ini" ] && echo yes) $(find "$WORK/user" -user 0)"
    done
    RUN_AS=("${AS_USER[@]}") RUN_HOME=$HOME_DIR
fi

start_installed
check "WM_CLASS is the entry's StartupWMClass" "\"$(entry StartupWMClass)\"" \
    "$(xprop -id "$MAIN_WIN" WM_CLASS | sed 's/.*, //')"
# End takes red to 255, F2 turns the colour into its negative.
key "$MAIN_WIN" End
key "$MAIN_WIN" F2
key "$MAIN_WIN" F5
check "colour set by keys" "#00FFFF" "$(clipboard)"
xdotool windowmove "$MAIN_WIN" 300 200
sleep 0.5
moved=$(frame_origin "$MAIN_WIN")
check "window moved" "300 200" "$moved"
close_and_end "first run"
shot installed-first-run

INI=$HOME_DIR/.config/vindre/vindre.ini
check "settings written under ~/.config/vindre" "yes" "$([ -f "$INI" ] && echo yes)"
check "settings file owned by the user" "$(stat -c %u "$HOME_DIR")" "$(stat -c %u "$INI" 2>&1)"
check "nothing written into the prefix" "" "$(find "$PREFIX" -newer "$WORK/installed" -print)"
check "nothing beside the installed program" "vindre" "$(ls "$PREFIX/bin" | paste -sd' ')"

# Something else on the clipboard, so the next copy must come from the new run.
printf 'none' | xclip -selection clipboard
start_installed
check "second run: place from the settings" "$moved" "$(frame_origin "$MAIN_WIN")"
key "$MAIN_WIN" F5
check "second run: colour from the settings" "#00FFFF" "$(clipboard)"
close_and_end "second run"
check "still nothing beside the installed program" "vindre" "$(ls "$PREFIX/bin" | paste -sd' ')"

finish
