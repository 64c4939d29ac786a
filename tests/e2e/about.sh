#!/usr/bin/env bash
# The About window as a user meets it: opened from the menu bar onto the main
# window's corner, modal, closed by its close box, and its two links handed to
# the desktop's opener.
source "$(dirname "$0")/lib.sh"

# Qt hands links to xdg-open; this one only writes down what it was given.
mkdir -p "$WORK/bin"
OPENED=$WORK/opened.txt
: >"$OPENED"
cat >"$WORK/bin/xdg-open" <<EOF
#!/bin/sh
printf '%s\n' "\$*" >>"$OPENED"
EOF
chmod +x "$WORK/bin/xdg-open"
export PATH=$WORK/bin:$PATH

ABOUT_NAME="バージョン情報"

# The outer frame's top-left corner: the client's less the frame extents.
frame_origin() {
    local x y extents
    read -r x y < <(client_origin "$1")
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    set -- $extents
    echo "$((x - $1)) $((y - $3))"
}

client_size() {
    xwininfo -id "$1" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'
}

RED='r >= 200 && g <= 80 && b <= 80'
WHITE='r >= 200 && g >= 200 && b >= 200'

# Waits until the opener has been called n times; prints what it got last.
opened_after() {
    for _ in $(seq 100); do
        [ "$(wc -l <"$OPENED")" -ge "$1" ] && break
        sleep 0.05
    done
    sed -n "${1}p" "$OPENED"
}

swatch_pixel() {
    local cx cy
    read -r cx cy < <(client_origin "$MAIN_WIN")
    screen_pixel $((cx + 300)) $((cy + MENU_H + 20))
}

start_display
start_app
MENU_H=$(( $(client_size "$MAIN_WIN" | cut -dx -f2) - 103 ))
xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true

# --- First showing: a click on the menu-bar item "バージョン情報(V)", the third one.
read -r cx cy < <(client_origin "$MAIN_WIN")
xdotool mousemove $((cx + 205)) $((cy + MENU_H / 2)) click 1
ABOUT=$(wait_window "$ABOUT_NAME")
check "About window shown by the menu-bar item" "yes" "$([ -n "$ABOUT" ] && echo yes || echo no)"
check "caption" "_NET_WM_NAME(UTF8_STRING) = \"$ABOUT_NAME\"" "$(xprop -id "$ABOUT" _NET_WM_NAME)"
check "client size" "217x135" "$(client_size "$ABOUT")"
check "outer corner on the main window's" "$(frame_origin "$MAIN_WIN")" "$(frame_origin "$ABOUT")"
check "transient for the main window" "$(printf '0x%x' "$MAIN_WIN")" \
    "$(xprop -id "$ABOUT" WM_TRANSIENT_FOR | awk '{print $NF}')"
check "modal" "yes" "$(xprop -id "$ABOUT" _NET_WM_STATE | grep -q _NET_WM_STATE_MODAL && echo yes || echo no)"
check "fixed size" "yes" "$(xprop -id "$ABOUT" WM_NORMAL_HINTS | grep -q 'minimum size: 217 by 135' &&
    xprop -id "$ABOUT" WM_NORMAL_HINTS | grep -q 'maximum size: 217 by 135' && echo yes || echo no)"

allows() { xprop -id "$1" _NET_WM_ALLOWED_ACTIONS | grep -q "$2" && echo yes || echo no; }
check "About cannot be minimised" "no" "$(allows "$ABOUT" _NET_WM_ACTION_MINIMIZE)"
check "About cannot be maximised" "no" "$(allows "$ABOUT" _NET_WM_ACTION_MAXIMIZE_)"
check "main window can be minimised" "yes" "$(allows "$MAIN_WIN" _NET_WM_ACTION_MINIMIZE)"
check "main window cannot be maximised" "no" "$(allows "$MAIN_WIN" _NET_WM_ACTION_MAXIMIZE_)"

read -r ax ay < <(client_origin "$ABOUT")
check "background black" "0,0,0" "$(screen_pixel $((ax + 200)) $((ay + 20)))"
check "banner frame" "181,181,181" "$(screen_pixel $((ax + 8)) $((ay + 88)))"
check "banner inside black" "0,0,0" "$(screen_pixel $((ax + 58)) $((ay + 100)))"
check "title in white" "yes" "$([ "$(count_pixels $((ax + 8)) $((ay + 8)) 100 12 "$WHITE")" -gt 20 ] && echo yes || echo no)"
shot about

# --- Modal: the main window takes no input, F-keys included.
check "swatch black before" "0,0,0" "$(swatch_pixel)"
xdotool key --window "$MAIN_WIN" F2; sleep 0.3
xdotool key F2; sleep 0.3
check "F2 does nothing while About is up" "0,0,0" "$(swatch_pixel)"

# --- The links: white, red under the pointer, no hint box, opened on a left press.
windows_before=$(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | wc -l)
check "links white" "yes" "$([ "$(count_pixels $((ax + 8)) $((ay + 48)) 100 28 "$WHITE")" -gt 40 ] && echo yes || echo no)"
xdotool mousemove $((ax + 20)) $((ay + 54)); sleep 0.3
xdotool mousemove $((ax + 30)) $((ay + 55)); sleep 0.3
check "web link red under the pointer" "yes" "$([ "$(count_pixels $((ax + 8)) $((ay + 48)) 100 14 "$RED")" -gt 20 ] && echo yes || echo no)"
check "mail link stays white" "0" "$(count_pixels $((ax + 8)) $((ay + 64)) 100 14 "$RED")"
shot about-hover
check "no hint box" "$windows_before" "$(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | wc -l)"

xdotool click 3; sleep 0.3
check "right press opens nothing" "0" "$(wc -l <"$OPENED")"
xdotool click 1
check "left press on the web link" "http://www.example.com/" "$(opened_after 1)"
check "a link that opens shows no box" "$windows_before" "$(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | wc -l)"

xdotool mousemove $((ax + 20)) $((ay + 70)); sleep 0.3
check "web link white again" "0" "$(count_pixels $((ax + 8)) $((ay + 48)) 100 14 "$RED")"
check "mail link red under the pointer" "yes" "$([ "$(count_pixels $((ax + 8)) $((ay + 64)) 100 14 "$RED")" -gt 20 ] && echo yes || echo no)"
xdotool click 1
check "left press on the mail link" "mailto:info@example.com" "$(opened_after 2)"
xdotool mousemove $((ax + 150)) $((ay + 30)); sleep 0.3
check "mail link white again" "0" "$(count_pixels $((ax + 8)) $((ay + 64)) 100 14 "$RED")"
check "About still up after opening links" "yes" \
    "$(xdotool search --onlyvisible --name "^${ABOUT_NAME}\$" >/dev/null 2>&1 && echo yes || echo no)"

# --- The close box hides it; the main window takes input again.
# openbox puts the close box at the right end of the title bar, 11 pixels in.
read -r ax ay < <(client_origin "$ABOUT")
right_edge=$((ax + 217 + $(xprop -id "$ABOUT" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g' | awk '{print $2}')))
read -r fx fy < <(frame_origin "$ABOUT")
xdotool mousemove $((right_edge - 11)) $((fy + 10)) click 1
check "close box hides it" "0" "$(window_gone "$ABOUT_NAME" && echo 0 || echo 1)"
check "main window still there" "yes" "$(xdotool search --onlyvisible --name '^ヴィンドレ 051113$' >/dev/null && echo yes || echo no)"
xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true
key "$MAIN_WIN" F2
check "F2 reaches the main window once About is closed" "255,255,255" "$(swatch_pixel)"

# --- Closed by Alt+F4 while the pointer rests on a link, and shown again under the
# pointer: the pointer is on the main window in between, so the link hears of no
# leave from Qt. Red while the pointer is on it, white once it leaves.
web_link_red() { count_pixels $((ax + 8)) $((ay + 48)) 100 14 "$RED"; }
hover_web_link() {
    xdotool mousemove $((ax + 20)) $((ay + 54)); sleep 0.3
    xdotool mousemove $((ax + 30)) $((ay + 55)); sleep 0.3
}
key "$MAIN_WIN" alt+v
ABOUT3=$(wait_window "$ABOUT_NAME")
read -r ax ay < <(client_origin "$ABOUT3")
hover_web_link
check "web link red before closing" "yes" "$([ "$(web_link_red)" -gt 20 ] && echo yes || echo no)"
key "$ABOUT3" alt+F4
check "Alt+F4 closes it" "0" "$(window_gone "$ABOUT_NAME" && echo 0 || echo 1)"
key "$MAIN_WIN" alt+v
ABOUT4=$(wait_window "$ABOUT_NAME")
check "shown again at the same place" "$ax $ay" "$(client_origin "$ABOUT4")"
xdotool mousemove $((ax + 150)) $((ay + 30)); sleep 0.3
shot about-closed-hovering
check "web link white once the pointer leaves it" "0" "$(web_link_red)"
hover_web_link
check "web link red under the pointer again" "yes" "$([ "$(web_link_red)" -gt 20 ] && echo yes || echo no)"
xdotool mousemove $((ax + 150)) $((ay + 30)); sleep 0.3
check "web link white again after that visit" "0" "$(web_link_red)"
close_by_wm "$ABOUT4"
window_gone "$ABOUT_NAME" || true
xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true

# --- Second showing, over a moved main window kept always on top: Alt+V this time.
xdotool windowmove "$MAIN_WIN" 300 220; sleep 0.5
key "$MAIN_WIN" F8
check "main window always on top" "yes" "$(xprop -id "$MAIN_WIN" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE && echo yes || echo no)"
key "$MAIN_WIN" alt+v
ABOUT2=$(wait_window "$ABOUT_NAME")
check "the same window again" "$ABOUT" "$ABOUT2"
check "outer corner on the moved main window's" "$(frame_origin "$MAIN_WIN")" "$(frame_origin "$ABOUT2")"
check "client size again" "217x135" "$(client_size "$ABOUT2")"
stacking=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g')
pos_main=0; pos_about=0; i=0
for w in $stacking; do
    i=$((i + 1))
    [ "$((w))" = "$((MAIN_WIN))" ] && pos_main=$i
    [ "$((w))" = "$((ABOUT2))" ] && pos_about=$i
done
check "About above the always-on-top main window" "yes" "$([ "$pos_about" -gt "$pos_main" ] && echo yes || echo no)"
read -r ax ay < <(client_origin "$ABOUT2")
check "title in white again" "yes" "$([ "$(count_pixels $((ax + 8)) $((ay + 8)) 100 12 "$WHITE")" -gt 20 ] && echo yes || echo no)"
shot about-again
xdotool mousemove $((ax + 20)) $((ay + 70)); sleep 0.3
xdotool click 1
check "mail link opens on the second showing too" "mailto:info@example.com" "$(opened_after 3)"
close_by_wm "$ABOUT2"
check "closed again" "0" "$(window_gone "$ABOUT_NAME" && echo 0 || echo 1)"
check "opener called once per left press" "3" "$(wc -l <"$OPENED" | tr -d ' ')"


close_by_wm "$MAIN_WIN"
wait_app
check "exit code" "0" "$APP_CODE"

# --- Nothing on the desktop opens links: the press says so, in a box captioned with
# the program's title in front of the About window; dismissed, the program goes on.
mkdir -p "$WORK/no-opener"
start_app env -u BROWSER -u DEFAULT_BROWSER PATH="$WORK/no-opener"
boxes() { xdotool search --all --onlyvisible --pid "$APP_PID" --name "^ヴィンドレ 051113\$" | grep -cvx "$MAIN_WIN"; }
key "$MAIN_WIN" alt+v
ABOUT=$(wait_window "$ABOUT_NAME")
read -r ax ay < <(client_origin "$ABOUT")
xdotool mousemove $((ax + 20)) $((ay + 54)) click 1
for _ in $(seq 100); do [ "$(boxes)" = 1 ] && break; sleep 0.05; done
check "no opener: a box captioned with the program's title" 1 "$(boxes)"
shot no-opener
xdotool key Return
sleep 0.3
check "no opener: Return closes the box, About stays" "0 $ABOUT" "$(boxes) $(wait_window "$ABOUT_NAME")"
close_by_wm "$ABOUT"
window_gone "$ABOUT_NAME" || true
close_by_wm "$MAIN_WIN"
wait_app
check "no opener: exit code" "0" "$APP_CODE"

finish
