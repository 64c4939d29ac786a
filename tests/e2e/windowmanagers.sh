#!/usr/bin/env bash
# The two windows' title bars under each window manager the program is meant for:
# the main window minimises and closes but never maximises; the About window has a
# title bar with a close box, closes by it and by Alt+F4, and can be neither
# maximised nor left minimised. Window managers read the standard hints each their
# own way, so every check runs under each of them.
source "$(dirname "$0")/lib.sh"

# name, and where its close box is: pixels in from the frame's right edge and down
# from its top edge, in its default theme.
WINDOW_MANAGERS=(
    "openbox 11 10"
    "metacity 18 18"
    "xfwm4 16 15"
)
ABOUT_NAME="バージョン情報"

# left right top bottom; all 0 for a window with no frame.
extents() {
    local found
    found=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //; s/,//gp')
    echo "${found:-0 0 0 0}"
}
allows() { xprop -id "$1" _NET_WM_ALLOWED_ACTIONS | grep -q "$2" && echo yes || echo no; }
client_size() { xwininfo -id "$1" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }
map_state() { xwininfo -id "$1" 2>/dev/null | awk '/Map State:/ {print $3}'; }

# Waits up to five seconds for the window's map state ("IsViewable", "IsUnMapped").
wait_map_state() {
    for _ in $(seq 100); do
        [ "$(map_state "$1")" = "$2" ] && break
        sleep 0.05
    done
    map_state "$1"
}

# Clicks the close box in the title bar of this window.
click_close_box() {
    local cx cy width left right top
    read -r cx cy < <(client_origin "$1")
    width=$(client_size "$1" | cut -dx -f1)
    read -r left right top _ < <(extents "$1")
    xdotool mousemove $((cx + width + right - CLOSE_IN)) $((cy - top + CLOSE_DOWN)) click 1
}

for row in "${WINDOW_MANAGERS[@]}"; do
    read -r WM CLOSE_IN CLOSE_DOWN <<<"$row"
    start_display "$WM"
    rm -f "$APP_DIR/vindre.ini"
    start_app
    xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true
    size=$(client_size "$MAIN_WIN")

    # --- The main window.
    check "$WM: main window may be minimised" yes "$(allows "$MAIN_WIN" _NET_WM_ACTION_MINIMIZE)"
    check "$WM: main window may be closed" yes "$(allows "$MAIN_WIN" _NET_WM_ACTION_CLOSE)"
    check "$WM: main window may not be maximised" no "$(allows "$MAIN_WIN" _NET_WM_ACTION_MAXIMIZE_)"
    wmctrl -i -r "$MAIN_WIN" -b add,maximized_vert,maximized_horz; sleep 0.5
    check "$WM: asked to maximise, the main window keeps its size" "$size" "$(client_size "$MAIN_WIN")"
    xdotool windowminimize "$MAIN_WIN"
    check "$WM: main window minimised" IsUnMapped "$(wait_map_state "$MAIN_WIN" IsUnMapped)"
    wmctrl -i -a "$MAIN_WIN"
    check "$WM: main window back" IsViewable "$(wait_map_state "$MAIN_WIN" IsViewable)"
    xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true

    # --- The About window.
    key "$MAIN_WIN" alt+v
    ABOUT=$(wait_window "$ABOUT_NAME") || ABOUT=0
    read -r _ _ top _ < <(extents "$ABOUT")
    check "$WM: About has a title bar" yes "$([ "${top:-0}" -ge 15 ] && echo yes || echo no)"
    check "$WM: About may be closed" yes "$(allows "$ABOUT" _NET_WM_ACTION_CLOSE)"
    check "$WM: About may not be minimised" no "$(allows "$ABOUT" _NET_WM_ACTION_MINIMIZE)"
    check "$WM: About may not be maximised" no "$(allows "$ABOUT" _NET_WM_ACTION_MAXIMIZE_)"
    shot "about-$WM"
    # Asked to iconify all the same, it does not stay iconified, nor does the main window.
    xdotool windowminimize "$ABOUT"; sleep 1
    check "$WM: About not left minimised" IsViewable "$(wait_map_state "$ABOUT" IsViewable)"
    check "$WM: main window not left minimised" IsViewable "$(wait_map_state "$MAIN_WIN" IsViewable)"
    click_close_box "$ABOUT"
    check "$WM: the close box closes About" closed "$(window_gone "$ABOUT_NAME" && echo closed || echo open)"
    key "$MAIN_WIN" alt+v
    ABOUT=$(wait_window "$ABOUT_NAME") || ABOUT=0
    key "$ABOUT" alt+F4
    check "$WM: Alt+F4 closes About" closed "$(window_gone "$ABOUT_NAME" && echo closed || echo open)"

    # --- Closed by its close box, the program ends and keeps its settings.
    xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true
    click_close_box "$MAIN_WIN"
    wait_app
    check "$WM: the close box ends the program" 0 "$APP_CODE"
    check "$WM: settings written" yes "$([ -f "$APP_DIR/vindre.ini" ] && echo yes || echo no)"
    stop_display
done

finish
