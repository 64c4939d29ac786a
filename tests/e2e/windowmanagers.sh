#!/usr/bin/env bash
# Both windows' title bars under the window managers, which read the standard hints
# each their own way: neither window maximises; the main window minimises, the About
# window closes by its close box and Alt+F4 and does not stay minimised. And the
# window's place in screen pixels at every scale, and the colour dialog's, on a
# screen the dialog fits at 200 %.
source "$(dirname "$0")/lib.sh"
SCREEN_SIZE=1920x1080
INI=$APP_DIR/vindre.ini

# name, and its close box's pixels in from the frame's right edge and down from its top.
WINDOW_MANAGERS=("openbox 11 10" "metacity 18 18" "xfwm4 16 15")

# left right top bottom; none for a window with no frame.
extents() { xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //; s/,//gp' | grep . || echo 0 0 0 0; }
# Which of the actions named the window manager allows the window.
actions() {
    local all
    all=$(xprop -id "$1" _NET_WM_ALLOWED_ACTIONS)
    for a in "${@:2}"; do [[ $all == *"_NET_WM_ACTION_$a"* ]] && echo -n "$a " || true; done
}
client_size() { xwininfo -id "$1" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }
# The window's map state once it is $2, or after five seconds.
map_state() {
    for _ in $(seq 100); do [[ $(xwininfo -id "$1") == *"Map State: $2"* ]] && break; sleep 0.05; done
    xwininfo -id "$1" | awk '/Map State:/ {print $3}'
}
click_close_box() {
    local cx cy left right top
    read -r cx cy < <(client_origin "$1")
    read -r left right top _ < <(extents "$1")
    xdotool mousemove $((cx + $(client_size "$1" | cut -dx -f1) + right - CLOSE_IN)) $((cy - top + CLOSE_DOWN)) click 1
}
about_closed() { window_gone "バージョン情報" && echo closed || echo open; }
stored_place() { tr -d '\r' <"$INI" | sed -n 's/^[XY]=//p' | paste -sd' '; }

for row in "${WINDOW_MANAGERS[@]}"; do
    read -r WM CLOSE_IN CLOSE_DOWN <<<"$row"
    start_display "$WM"
    start_app
    xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true
    size=$(client_size "$MAIN_WIN")
    check "$WM: main window's actions" "MINIMIZE CLOSE " "$(actions "$MAIN_WIN" MINIMIZE CLOSE MAXIMIZE_)"
    wmctrl -i -r "$MAIN_WIN" -b add,maximized_vert,maximized_horz; sleep 0.5
    check "$WM: asked to maximise, the main window keeps its size" "$size" "$(client_size "$MAIN_WIN")"

    key "$MAIN_WIN" alt+v
    ABOUT=$(wait_window "バージョン情報") || ABOUT=0
    read -r _ _ top _ < <(extents "$ABOUT")
    check "$WM: About has a title bar" yes "$([ "$top" -ge 15 ] && echo yes || echo no)"
    check "$WM: About's actions" "CLOSE " "$(actions "$ABOUT" MINIMIZE CLOSE MAXIMIZE_)"
    shot "about-$WM"
    xdotool windowminimize "$ABOUT"; sleep 1
    check "$WM: About and main window not left minimised" "IsViewable IsViewable" \
        "$(map_state "$ABOUT" IsViewable) $(map_state "$MAIN_WIN" IsViewable)"
    click_close_box "$ABOUT"
    check "$WM: the close box closes About" closed "$(about_closed)"
    key "$MAIN_WIN" alt+v
    ABOUT=$(wait_window "バージョン情報") || ABOUT=0
    key "$ABOUT" alt+F4
    check "$WM: Alt+F4 closes About" closed "$(about_closed)"

    xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true
    click_close_box "$MAIN_WIN"
    wait_app
    check "$WM: the main window's close box ends the program" 0 "$APP_CODE"

    # Even and odd places: read, opened there and written back as they were; a window
    # moved is written where it went.
    for scale in QT_SCALE_FACTOR=1 QT_SCALE_FACTOR=1.5 QT_SCREEN_SCALE_FACTORS=1.5 QT_SCALE_FACTOR=2; do
        for place in "400 300" "333 257"; do
            printf '[Main]\r\nX=%s\r\nY=%s\r\n' $place >"$INI"
            start_app env "$scale"
            check "$WM, $scale: opened at $place" "$place" "$(frame_origin "$MAIN_WIN")"
            close_by_wm "$MAIN_WIN"
            wait_app
            check "$WM, $scale: $place written back" "$place" "$(stored_place)"
        done
        start_app env "$scale"
        xdotool windowmove "$MAIN_WIN" 401 301
        sleep 0.5
        moved=$(frame_origin "$MAIN_WIN")
        key "$MAIN_WIN" F3
        dialog=$(wait_window "色を選択") || dialog=0
        check "$WM, $scale: the colour dialog's frame at its place" yes \
            "$(within_a_pixel "$(dialog_place "$dialog")" "$(frame_origin "$dialog")")"
        shot "dialog-$WM-${scale#*=}"
        xdotool key Escape
        window_gone "色を選択" || true
        close_by_wm "$MAIN_WIN"
        wait_app
        check "$WM, $scale: moved to $moved, written there" "$moved" "$(stored_place)"
    done
    stop_display
done

finish
