#!/usr/bin/env bash
# The clipboard formats and the colour commands, through the keys and menus a user
# presses, with the clipboard read back as another program reads it.
source "$(dirname "$0")/lib.sh"
start_display
# A home of its own, empty, and a session bus as on a desktop (without one, D-Bus
# would start one and note its address in the home): the program stores nothing there.
APP_HOME=$WORK/home
mkdir -p "$APP_HOME"
# $@: variables to set, such as the locale.
run_app() { start_app env -u XDG_CONFIG_HOME HOME="$APP_HOME" "$@" dbus-run-session --; }
run_app
xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true
W=$MAIN_WIN

read -r cx cy < <(client_origin "$W")
height=$(xwininfo -id "$W" | awk '/Height:/ {print $2}')
menu_h=$((height - 103))
# Client point (x, y) below the menu bar, on the screen.
at() { echo $((cx + $1)) $((cy + menu_h + $2)); }
swatch_rgb() { screen_pixel $(at 300 20); }
hex_of() { IFS=, read -r r g b <<<"$1"; printf '#%02X%02X%02X' "$r" "$g" "$b"; }

key "$W" F5
check "F5 copies the code of black" "#000000" "$(clipboard)"

# The arrow keys on the focused red bar move it the way they point, keypad's too.
key "$W" Right; key "$W" Right; key "$W" F5
check "Right twice on red" "#020000" "$(clipboard)"
key "$W" Left; key "$W" F5
check "Left on red" "#010000" "$(clipboard)"
key "$W" KP_Right; key "$W" Down; key "$W" F5
check "keypad Right and Down on red" "#030000" "$(clipboard)"
key "$W" KP_Left; key "$W" Up; key "$W" KP_Left; key "$W" Left; key "$W" F5
check "keypad Left, Up, past the minimum" "#000000" "$(clipboard)"

# The focused bar shows the focus: the bars look different with it on red and on green.
bars() { screen_hash $(at 24 8) 209 61; }
focus_on_red=$(bars)
shot focus-red
key "$W" Tab
shot focus-green
check "focus on red and on green look different" "yes" "$([ "$focus_on_red" != "$(bars)" ] && echo yes || echo no)"
key "$W" shift+Tab
check "focus back on red looks as before" "$focus_on_red" "$(bars)"

key "$W" End
key "$W" F5
check "End on red, F5" "#FF0000" "$(clipboard)"

key "$W" F9
key "$W" F5
check "F9 lower case, F5" "#ff0000" "$(clipboard)"
key "$W" F9
key "$W" F5
check "F9 again, upper case" "#FF0000" "$(clipboard)"

key "$W" F2
key "$W" F5
check "F2 negative" "#00FFFF" "$(clipboard)"
check "swatch after negative" "0,255,255" "$(swatch_rgb)"

key "$W" F1
key "$W" F5
code=$(clipboard)
check "F1 gives a colour code" "ok" "$([[ $code =~ ^#[0-9A-F]{6}$ ]] && echo ok || echo "$code")"
check "swatch shows the random colour" "$code" "$(hex_of "$(swatch_rgb)")"

# The button's pop-up opens at the frame's left edge, 103 below the frame's top.
# Where the pop-up is on the screen; empty when it is not up.
popup_origin() {
    local id origin=""
    sleep 0.5
    for id in $(xdotool search --onlyvisible --classname vindre 2>/dev/null); do
        [ "$id" = "$W" ] && continue
        xwininfo -id "$id" | grep -q 'Override Redirect State: yes' || continue
        origin=$(client_origin "$id")
    done
    echo "$origin"
}
read -r fx fy < <(frame_origin "$W")
# Return and the keypad's Enter press the focused button, three Tabs on from the red bar.
key "$W" Tab; key "$W" Tab; key "$W" Tab
for enter in Return KP_Enter; do
    key "$W" $enter
    check "$enter on the focused button: pop-up menu position" "$fx $((fy + 103))" "$(popup_origin)"
    xdotool key Escape
    sleep 0.3
done
read -r bx by < <(at 40 88)
xdotool mousemove "$bx" "$by" click 1
popup=$(popup_origin)
shot popup
check "pop-up menu position" "$fx $((fy + 103))" "$popup"
xdotool key Down Return
sleep 0.3
check "first pop-up item" "COLOR=\"$code\"" "$(clipboard)"

# A double click on the button: its second click lands on the pop-up that the first
# opened, and chooses nothing there.
printf 'sentinel' | xclip -selection clipboard -i
xdotool mousemove "$bx" "$by" click --repeat 2 --delay 80 1
check "double click on the button leaves the pop-up open" "$fx $((fy + 103))" "$(popup_origin)"
check "double click on the button copies nothing" "sentinel" "$(clipboard)"
xdotool key Escape
sleep 0.3

# Stay on top, set and cleared.
key "$W" F8
check "F8 sets _NET_WM_STATE_ABOVE" "yes" "$(xprop -id "$W" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE && echo yes || echo no)"
check "F8 keeps the window in place" "$fx $fy" "$(frame_origin "$W")"
# The colour dialog stays in front of a window that is on top.
key "$W" F3
dialog=$(wait_window "色を選択" || true)
check "F3 opens the colour dialog, captioned in Japanese" "yes" "$([ -n "$dialog" ] && echo yes || echo no)"
# The custom colours of the chooser, on the screen.
custom_colours() {
    local dx dy
    read -r dx dy < <(client_origin "$1")
    screen_hash $((dx + 10)) $((dy + 283)) 230 52
}
if [ -n "$dialog" ]; then
    shot dialog
    check "dialog is transient for the main window" "$(printf '0x%x' "$W")" \
        "$(xprop -id "$dialog" WM_TRANSIENT_FOR | grep -o '0x[0-9a-f]*')"
    check "dialog's frame centred, a third of the free height above it" "$(dialog_place "$dialog")" "$(frame_origin "$dialog")"
    white_customs=$(custom_colours "$dialog")
    xdotool key alt+a
    sleep 0.3
    check "Add to Custom Colors adds one" "yes" "$([ "$white_customs" != "$(custom_colours "$dialog")" ] && echo yes || echo no)"
    xdotool key Escape
    sleep 0.3
fi
key "$W" F5
check "Escape leaves the colour" "$code" "$(clipboard)"
key "$W" F8
check "F8 again clears _NET_WM_STATE_ABOVE" "no" "$(xprop -id "$W" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE && echo yes || echo no)"

# While the menu bar holds the keyboard its active title is highlighted, 選択色(C)
# first: after Alt alone, and after Alt+C then Escape; the Escape that leaves the
# bar leaves no title highlighted. Counted in the highlight's blue on the screen.
first_title_lit() {
    [ "$(count_pixels "$cx" "$cy" 60 "$menu_h" 'b >= 150 && r <= 100')" -gt 100 ] && echo yes || echo no
}
check "no title highlighted at first" no "$(first_title_lit)"
xdotool mousemove $((cx + 20)) $((cy + menu_h / 2)); sleep 0.3
check "the pointer over 選択色, no key: no title highlighted" no "$(first_title_lit)"
xdotool mousemove 0 0
key "$W" alt
shot menu-bar-alt
check "Alt alone: 選択色 highlighted" yes "$(first_title_lit)"
key "$W" Escape
check "the Escape that leaves the menu bar: no title highlighted" no "$(first_title_lit)"
key "$W" alt+c
key "$W" Escape
check "Alt+C, Escape: 選択色 highlighted" yes "$(first_title_lit)"
key "$W" Escape
check "Escape again: no title highlighted" no "$(first_title_lit)"

# The contrast from the keyboard, its tooltip below the swatch and the code in it; with
# the pointer where the tip would go, beside the pointer.
xdotool mousemove $(at 300 80); sleep 0.3
key "$W" F6
check "F6, the pointer where the tip would go: the tip stays up" yes "$([ -n "$(popup_origin)" ] && echo yes || echo no)"
xdotool mousemove 0 0; sleep 0.5
key "$W" alt+c
xdotool key k
read -r _ tip_top < <(popup_origin)
read -r _ swatch_foot < <(at 0 71)
check "Alt+C, K: the contrast below the swatch" yes "$([ "${tip_top:-0}" -gt "$swatch_foot" ] && echo yes || echo "${tip_top:-none}")"
xdotool key Escape

# Brightness halving from the menu: 選択色(C) opens with its first item highlighted;
# ten steps down, past the separators, is 輝度1/2.
key "$W" F2
before=$(hex_of "$(swatch_rgb)")
key "$W" alt+c
for _ in 1 2 3 4 5 6 7 8 9 10; do xdotool key Down; done
xdotool key Return
sleep 0.3
key "$W" F5
halved=$(printf '#%02X%02X%02X' $((16#${before:1:2} / 2)) $((16#${before:3:2} / 2)) $((16#${before:5:2} / 2)))
check "brightness 1/2 from the menu" "$halved" "$(clipboard)"

# The Exit command ends the program with exit code 0.
key "$W" alt+c
xdotool key x
wait_app
check "Exit ends the program with exit code 0" "0" "$APP_CODE"
check "nothing stored in the home" "" "$(find "$APP_HOME" -mindepth 1)"

# The next run starts with white custom colours again; the dialog speaks the program's
# Japanese also for a user who reads German first.
run_app LANGUAGE=de:en
W=$MAIN_WIN
key "$W" F3
dialog=$(wait_window "色を選択" || true)
check "custom colours white at the next start, in Japanese under LANGUAGE=de" "${white_customs:-none}" "$([ -n "$dialog" ] && custom_colours "$dialog")"
xdotool key Escape
sleep 0.3
close_by_wm "$W"
wait_app
check "second run ends with exit code 0" "0" "$APP_CODE"
finish
