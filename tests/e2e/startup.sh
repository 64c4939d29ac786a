#!/usr/bin/env bash
# Start-up, the colour display and closing, as a user meets them.
source "$(dirname "$0")/lib.sh"
start_display
start_app

check "main window title" "ヴィンドレ 051113" "$(xdotool getwindowname "$MAIN_WIN")"
check "no About window after start-up" "" "$(xdotool search --onlyvisible --name '^バージョン情報$' 2>/dev/null || true)"
geometry=$(xwininfo -id "$MAIN_WIN" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
check "client area width" "346" "${geometry%x*}"

read -r cx cy < <(client_origin "$MAIN_WIN")
# The swatch's middle lies below the menu bar, at client (300, 20) plus the menu bar.
menu_h=$(( ${geometry#*x} - 103 ))
sx=$((cx + 300)); sy=$((cy + menu_h + 20))
shot startup
check "swatch black at start" "0,0,0" "$(screen_pixel $sx $sy)"

# End on the focused red scroll bar takes red to 255.
xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true
key "$MAIN_WIN" End
shot red
check "End on SC_R turns the swatch red" "255,0,0" "$(screen_pixel $sx $sy)"

close_by_wm "$MAIN_WIN"
wait_app
check "exit code after closing by the window manager" "0" "$APP_CODE"

finish
