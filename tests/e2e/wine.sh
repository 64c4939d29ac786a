#!/usr/bin/env bash
# The Windows program, vindre.exe, under Wine on Xvfb and openbox, as a user meets it:
# the window and its keys, F4 on the screen's own pixels, the clipboard after the
# program has ended, the settings file beside the program in CRLF and, from a folder
# the program may not write, in %APPDATA%, the end of the session, the About window,
# and a second program reading what the first one copied.
#
# Root may write anywhere, Windows programs run by root under Wine too: where the
# test runs as root, Wine runs as a user of the test's own.
source "$(dirname "$0")/lib.sh"
WINE_TESTS=$(cd "$(dirname "$0")/../wine" && pwd)
mv "$APP_DIR/vindre" "$APP_DIR/vindre.exe"
VINDRE=$APP_DIR/vindre.exe
INI=$APP_DIR/vindre.ini

chmod 755 "$WORK"
if [ "$(id -u)" -eq 0 ]; then
    make_user WINE_USER "$WORK/wine-home"
    chown -R "$WINE_USER:" "$APP_DIR"
    AS=(as_user "$WINE_USER")
else
    mkdir -m 700 "$WORK/wine-home"
    AS=()
fi
export HOME=$WORK/wine-home WINEPREFIX=$WORK/wine-home/prefix WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
start_display
"${AS[@]}" bash "$WINE_TESTS/prefix.sh" "$WINEPREFIX"
wine_run() { "${AS[@]}" wine "$@"; }
# A second argument is Windows' own scale in percent, as the display settings set it
# (the program asks for each monitor's own, and Wine gives every monitor this one).
if [ -n "${2:-}" ]; then
    wine_run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $((96 * $2 / 100)) /f >/dev/null 2>&1
    "${AS[@]}" wineserver -w
fi

crlf() { printf '%s\r\n' "$@"; }

# Starts the program in $1 (by default the copy beside its settings file); a Windows
# program under Wine takes some seconds more than a Linux one to show its window.
start_exe() {
    "${AS[@]}" wine "${1:-$VINDRE}" >"$WORK/app.log" 2>&1 &
    APP_PID=$!
    MAIN_WIN=
    for _ in $(seq 600); do
        MAIN_WIN=$(xdotool search --onlyvisible --name '^ヴィンドレ 051113$' 2>/dev/null | head -n1 || true)
        [ -n "$MAIN_WIN" ] && break
        sleep 0.1
    done
    [ -n "$MAIN_WIN" ] || { echo "no window"; cat "$WORK/app.log"; exit 1; }
    sleep 0.5
    xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true
}

# Waits up to thirty seconds for the program to end; APP_CODE as wait_app sets it.
wait_exe() {
    APP_CODE=running
    for _ in $(seq 300); do
        kill -0 "$APP_PID" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$APP_PID" 2>/dev/null && return 0
    APP_CODE=0
    wait "$APP_PID" || APP_CODE=$?
    APP_PID=
}

# Whether the window manager may let the user resize window $1 (a sizing border on
# Windows, which Wine hands on as the Motif resize function).
resizable() {
    local functions
    functions=$(xprop -id "$1" _MOTIF_WM_HINTS | sed 's/.*= //' | cut -d, -f2)
    (( functions & 0x2 )) && echo yes || echo no
}

# Presses keys and F5, and prints what the clipboard then holds.
copied_after() {
    [ $# -eq 0 ] || xdotool key "$@"
    xdotool key F5
    sleep 0.5
    clipboard
}

# --- The window, its bars and its keys.
crlf '[Main]' 'X=200' 'Y=150' 'ColorR=250' 'ColorG=128' 'ColorB=0' >"$INI"
chown --reference="$APP_DIR" "$INI"
start_exe
check "caption" '_NET_WM_NAME(UTF8_STRING) = "ヴィンドレ 051113"' "$(xprop -id "$MAIN_WIN" _NET_WM_NAME)"
check "a fixed frame" no "$(resizable "$MAIN_WIN")"
check "its size at this scale" "$((346 * ${2:-100} / 100))" "$(xwininfo -id "$MAIN_WIN" | sed -n 's/^ *Width: //p')"
shot wine-main
check "the colour read from vindre.ini" "#FA8000" "$(copied_after)"
check "the red bar has the keyboard: Right" "#FB8000" "$(copied_after Right)"
check "Tab to the green bar: Right" "#FB8100" "$(copied_after Tab Right)"
check "Tab to the blue bar: Page Down" "#FB8110" "$(copied_after Tab Next)"
check "F2 negative" "#047EEF" "$(copied_after F2)"
check "F9 lower case" "#047eef" "$(copied_after F9)"

# --- F4 takes the screen's own pixels; the arrow keys move the pointer by one of them.
# Columns of #102030 (even x) and #405060 (odd x) from x 800, #C0FFEE from x 832.
helper ready paint 800 600
xdotool key F4 sleep 0.5 mousemove 832 620 sleep 0.5 key Left Return sleep 0.5
check "F4: Left moves one screen pixel, Enter takes it" "#405060" "$(copied_after)"
# Under Wine a click reaches the program only over its own windows: the window's
# own background, below the bars, as the X server shows it.
read -r cx cy < <(client_origin "$MAIN_WIN")
IFS=, read -r r g b <<<"$(screen_pixel $((cx + 200)) $((cy + 98)))"
xdotool key F4 sleep 0.5 mousemove $((cx + 200)) $((cy + 98)) sleep 0.5 click 1 sleep 0.5
check "F4: a click takes the pixel under the pointer" "$(printf '#%02x%02x%02x' "$r" "$g" "$b")" "$(copied_after)"
check "F4 over, the keys reach the window again: F2" \
    "$(printf '#%02x%02x%02x' $((255 - r)) $((255 - g)) $((255 - b)))" "$(copied_after F2)"

random=$(copied_after F1)
check "F1 a random colour, in lower case" "yes" \
    "$([[ $random =~ ^#[0-9a-f]{6}$ && $random != "#047eef" ]] && echo yes || echo "$random")"

# --- The About window opens from its menu, on the main window's corner.
xdotool key alt+v
ABOUT=$(wait_window "バージョン情報") || ABOUT=
check "About window" "yes" "$([ -n "$ABOUT" ] && echo yes || echo no)"
check "... with a fixed frame" no "$([ -n "$ABOUT" ] && resizable "$ABOUT")"
shot wine-about
[ -z "$ABOUT" ] || key "$ABOUT" alt+F4
check "About closed, the main window still there" "yes" \
    "$(window_gone "バージョン情報" && xdotool search --onlyvisible --name '^ヴィンドレ 051113$' >/dev/null && echo yes || echo no)"

# --- Alt+F4 ends the program; what it copied stays on the clipboard. Copied last
# with nobody reading it meanwhile: Windows asks the program for the text only when
# someone pastes, unless the program hands it over as it ends.
xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true
xdotool key F2 F5
sleep 0.3
xdotool key alt+F4
wait_exe
check "Alt+F4 ends the program" 0 "$APP_CODE"
red=$((255 - 16#${random:1:2})) green=$((255 - 16#${random:3:2})) blue=$((255 - 16#${random:5:2}))
random=$(printf '#%02x%02x%02x' "$red" "$green" "$blue")
check "the clipboard after the program ended" "$random" "$(clipboard)"
crlf '[Main]' 'X=200' 'Y=150' "ColorR=$red" "ColorG=$green" "ColorB=$blue" 'ClipTransLower=1' >"$WORK/main.ini"
check "vindre.ini beside the program, [Main] in CRLF" "same" \
    "$(head -c "$(stat -c %s "$WORK/main.ini")" "$INI" | cmp -s - "$WORK/main.ini" && echo same || od -c "$INI")"
check "every line of it ends in CR LF" "0" "$(grep -c $'[^\r]$' "$INI" || true)"

# --- Another Windows program takes the text in: Ctrl+V in a new copy, after F2.
start_exe
xdotool key F2 ctrl+v
sleep 0.3
check "Ctrl+V in a second run reads what the first one copied" "$random" "$(copied_after)"

# --- The end of the session (WM_QUERYENDSESSION, WM_ENDSESSION) saves as closing does.
xdotool key F2
negative=$(copied_after)
"${AS[@]}" wineboot --end-session >/dev/null 2>&1 || true
wait_exe
check "the end of the session ends the program" 0 "$APP_CODE"
check "the end of the session saved the colour" "ColorR=$((255 - red))" "$(grep -a '^ColorR=' "$INI" | tr -d '\r')"
check "... copied just before" "$(printf '#%02x%02x%02x' $((255 - red)) $((255 - green)) $((255 - blue)))" "$negative"

# --- A folder the program may not write: the settings go to %APPDATA%\vindre.
READONLY=$WORK/readonly
mkdir "$READONLY"
cp "$VINDRE" "$READONLY/vindre.exe"
[ ${#AS[@]} -gt 0 ] || chmod 555 "$READONLY"
start_exe "$READONLY/vindre.exe"
xdotool key F1
xdotool key alt+F4
wait_exe
check "from a folder it may not write: ends at once" 0 "$APP_CODE"
check "nothing written beside it" "vindre.exe" "$(ls "$READONLY")"
appdata=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Roaming/vindre/vindre.ini' | head -n1)
check "vindre.ini in %APPDATA%\\vindre" "yes" "$([ -n "$appdata" ] && echo yes || echo no)"
check "... its [Main] keys in CRLF, in order" "[Main] X= Y= ColorR= ColorG= ColorB= ClipTransLower=" \
    "$(sed -n '1,7p' "$appdata" 2>/dev/null | sed 's/=.*\r$/=/; s/\r$//' | paste -sd' ')"

finish
