#!/usr/bin/env bash
# The clipboard formats and the colour commands, through the keys and menus a user
# presses, with the clipboard read back as another program reads it.
source "$(dirname "$0")/lib.sh"
start_display
start_app
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
read -r fx fy < <(frame_origin "$W")
read -r bx by < <(at 40 88)
xdotool mousemove "$bx" "$by" click 1
sleep 0.5
popup=""
for id in $(xdotool search --onlyvisible --classname vindre 2>/dev/null); do
    [ "$id" = "$W" ] && continue
    xwininfo -id "$id" | grep -q 'Override Redirect State: yes' || continue
    popup=$(client_origin "$id")
done
shot popup
check "pop-up menu position" "$fx $((fy + 103))" "$popup"
xdotool key Down Return
sleep 0.3
check "first pop-up item" "COLOR=\"$code\"" "$(clipboard)"

# Stay on top, set and cleared.
key "$W" F8
check "F8 sets _NET_WM_STATE_ABOVE" "yes" "$(xprop -id "$W" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE && echo yes || echo no)"
check "F8 keeps the window in place" "$fx $fy" "$(frame_origin "$W")"
# The colour dialog stays in front of a window that is on top.
key "$W" F3
dialog=$(wait_window "Select Color" || true)
check "F3 opens the colour dialog" "yes" "$([ -n "$dialog" ] && echo yes || echo no)"
if [ -n "$dialog" ]; then
    shot dialog
    check "dialog is transient for the main window" "$(printf '0x%x' "$W")" \
        "$(xprop -id "$dialog" WM_TRANSIENT_FOR | grep -o '0x[0-9a-f]*')"
    xdotool key Escape
    sleep 0.3
fi
key "$W" F5
check "Escape leaves the colour" "$code" "$(clipboard)"
key "$W" F8
check "F8 again clears _NET_WM_STATE_ABOVE" "no" "$(xprop -id "$W" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE && echo yes || echo no)"

# Brightness halving from the menu: 選択色(C) opens with its first item highlighted;
# six steps down, past the separators, is 輝度1/2.
key "$W" F2
before=$(hex_of "$(swatch_rgb)")
key "$W" alt+c
for _ in 1 2 3 4 5 6; do xdotool key Down; done
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
finish
