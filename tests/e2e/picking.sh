#!/usr/bin/env bash
# F4 with a pointer that jumps, as a tablet, a touch screen or a remote desktop moves
# it (xdotool moves it through the X test extension, straight onto the place), under
# openbox, metacity and xfwm4 at 100 % and 200 %; and a pick whose loupe another
# program takes off the screen, and the pointer and the keyboard with it.
source "$(dirname "$0")/lib.sh"
trap 'echo "stopped at line $LINENO: $BASH_COMMAND"' ERR

colour() { key "$MAIN_WIN" F5; clipboard; }
code_at() { IFS=, read -r r g b <<<"$(screen_pixel "$1" "$2")"; printf '#%02X%02X%02X' "$r" "$g" "$b"; }
# The loupe's window, within seconds.
loupe() { for _ in $(seq 100); do loupes | grep . && return; sleep 0.05; done; }
# What the loupe shows magnified in its middle: the pixel under the pointer.
loupe_middle() { read -r x y < <(client_origin "$(loupe)") && code_at $((x + 56 * scale)) $((y + 56 * scale)); }

for wm in openbox metacity xfwm4; do
    start_display "$wm"
    xsetroot -solid '#336699'
    # Columns of #102030 and #405060 from x 800, #C0FFEE from x 832; y 600 to 663.
    helper ready paint 800 600
    for scale in 1 2; do
        start_app env QT_SCALE_FACTOR=$scale
        key "$MAIN_WIN" F4
        xdotool mousemove 832 620 sleep 0.3 click 1 sleep 0.3
        # Back onto the very place of the last pick, where Qt last saw the pointer.
        xdotool mousemove 500 400
        key "$MAIN_WIN" F4
        xdotool mousemove 832 620 sleep 0.3
        check "$wm $scale: the loupe shows where the pointer jumped" "#C0FFEE" "$(loupe_middle)"
        xdotool click 1 sleep 0.3
        check "$wm $scale: a click there takes its pixel" "#C0FFEE" "$(colour)"
        # Left starts from there, to an odd screen pixel, which Qt cannot name at 200 %.
        xdotool mousemove 500 400
        key "$MAIN_WIN" F4
        xdotool mousemove 832 620 sleep 0.3 key Left Return sleep 0.3
        check "$wm $scale: Left and Enter from where it jumped" "#405060" "$(colour)"

        # Onto the program's own window where the loupe stood: it moves away, and the
        # window below draws itself again before it is read.
        read -r cx cy < <(client_origin "$MAIN_WIN")
        tx=$((cx + 220 * scale)) ty=$((cy + 105 * scale))
        own=$(code_at $tx $ty)
        xdotool mousemove $((tx - 40 * scale)) $((ty - 40 * scale))
        key "$MAIN_WIN" F4
        xdotool mousemove $tx $ty sleep 0.3
        shown=$(loupe_middle)
        xdotool key Escape mousemove $((tx - 40 * scale)) $((ty - 40 * scale))
        key "$MAIN_WIN" F4
        xdotool mousemove $tx $ty click 1 sleep 0.3
        check "$wm $scale: under the loupe a moment ago, shown and taken" "$own $own" "$shown $(colour)"

        # Another program unmaps the loupe: the grabs go with it, and so does the pick.
        key "$MAIN_WIN" F4
        xdotool windowunmap "$(loupe)" sleep 0.3
        key "$MAIN_WIN" F2
        check "$wm $scale: a lost grab ends the pick, keys reach the window" "#101010" "$(colour)"
        xdotool mousemove $((cx + 4)) $((cy + 30)) click 1 sleep 0.3
        check "$wm $scale: and a click in it picks nothing" "#101010" "$(colour)"
        key "$MAIN_WIN" F4
        xdotool mousemove 840 620 sleep 0.3 click 1 sleep 0.3
        check "$wm $scale: the next F4 picks" "#C0FFEE" "$(colour)"
        close_by_wm "$MAIN_WIN"
        wait_app
    done
    kill "${HELPER_PIDS[-1]}"
    stop_display
done
finish
