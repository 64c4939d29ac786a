#!/usr/bin/env bash
# Picking a colour from the screen: through the desktop portal where a Wayland session
# is present, through X11 where none is or where no portal can pick. The portal is the
# desktop's own frontend on a private session bus, with a backend of ours that picks
# the colours a user would.
source "$(dirname "$0")/lib.sh"
HERE=$(cd "$(dirname "$0")/portal" && pwd)
BUS_PID=
MONITOR_PID=
BACKEND_PID=
FRONTEND_PID=
PICKS=$WORK/picks.log
MONITOR=$WORK/monitor.log
: >"$PICKS"

stop_portal() {
    for pid in "$FRONTEND_PID" "$BACKEND_PID"; do
        [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
    done
    FRONTEND_PID= BACKEND_PID=
}
portal_cleanup() {
    stop_portal
    for pid in "$MONITOR_PID" "$BUS_PID"; do [ -n "$pid" ] && kill "$pid" 2>/dev/null || true; done
    cleanup
}
trap portal_cleanup EXIT

has_owner() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q 'boolean true'
}
wait_owner() {
    for _ in $(seq 400); do has_owner "$1" && return 0; sleep 0.05; done
    echo "nobody took $1 on the bus"; exit 1
}

start_bus() {
    dbus-daemon --config-file="$HERE/session.conf" --nofork --print-address=3 3>"$WORK/bus" &
    BUS_PID=$!
    for _ in $(seq 200); do [ -s "$WORK/bus" ] && break; sleep 0.05; done
    export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$WORK/bus")
    dbus-monitor --session >"$MONITOR" 2>&1 &
    MONITOR_PID=$!
}

# The backend answers the colour picks in the order given (see backend.py).
start_portal() {
    /usr/bin/python3 "$HERE/backend.py" "$PICKS" "$@" >"$WORK/backend.log" 2>&1 &
    BACKEND_PID=$!
    wait_owner org.freedesktop.impl.portal.desktop.vindretest
    XDG_DESKTOP_PORTAL_DIR=$HERE XDG_CURRENT_DESKTOP=vindretest \
        /usr/libexec/xdg-desktop-portal --replace >"$WORK/frontend.log" 2>&1 &
    FRONTEND_PID=$!
    wait_owner org.freedesktop.portal.Desktop
}

# Waits until the portal has sent its answer to this many picks in all.
wait_responses() {
    for _ in $(seq 400); do
        [ "$(grep -c 'interface=org.freedesktop.portal.Request; member=Response' "$MONITOR")" -ge "$1" ] && {
            sleep 0.3; return 0; }
        sleep 0.05
    done
    echo "no answer from the portal"
}

# Opens the colour dialog and presses its Pick Screen Color button; sets DIALOG.
press_pick() {
    key "$MAIN_WIN" F3
    DIALOG=$(wait_window "色を選択")
    key "$DIALOG" alt+p
}

# Qt's own picking: the colour under the pointer when it clicks, here the root window's,
# which is not the colour the portal gives.
click_root() {
    xdotool mousemove 5 760
    sleep 0.3
    xdotool click 1
    sleep 0.3
}

# Confirms the dialog and reads the program's colour as another program does.
chosen_color() {
    key "$DIALOG" Return
    window_gone "色を選択" || true
    key "$MAIN_WIN" F5
    clipboard
}

restart_app() {
    if [ -n "$APP_PID" ]; then close_by_wm "$MAIN_WIN"; wait_app; fi
    rm -f "$APP_DIR/vindre.ini"
    start_app
}

start_display
xsetroot -solid '#996633'
start_bus
start_portal 0.2,0.4,0.8 cancel "hold:$WORK/release:0.8,0.4,0.2"
export QT_QPA_PLATFORM=xcb

# A Wayland session: the program itself still runs on X11 (XWayland).
export WAYLAND_DISPLAY=vindre-test
restart_app
press_pick
wait_responses 1
check "the portal was asked for our dialog" "x11:$(printf '%x' "$DIALOG")|0.2,0.4,0.8" "$(sed -n 1p "$PICKS")"
shot portal-picked
check "the portal's colour, confirmed with OK" "#3366CC" "$(chosen_color)"

press_pick
wait_responses 2
check "cancelled in the portal" "|cancel" "$(sed -n 2p "$PICKS" | cut -d'|' -f2- | sed 's/^/|/')"
check "a cancelled pick keeps the colour" "#3366CC" "$(chosen_color)"

# The dialog closes while the portal's picker is still up; the late answer changes nothing.
press_pick
for _ in $(seq 200); do [ "$(wc -l <"$PICKS")" -ge 3 ] && break; sleep 0.05; done
key "$DIALOG" Escape
check "the dialog closes while the portal picks" "yes" "$(window_gone "色を選択" && echo yes || echo no)"
touch "$WORK/release"
wait_responses 3
key "$MAIN_WIN" F5
check "a late answer to a closed dialog changes nothing" "#3366CC" "$(clipboard)"
check "and the program goes on" "running" "$(kill -0 "$APP_PID" 2>/dev/null && echo running || echo gone)"

# No Wayland session: the dialog picks through X11 and leaves the portal alone.
unset WAYLAND_DISPLAY
restart_app
press_pick
click_root
check "without Wayland, picked through X11" "#996633" "$(chosen_color)"
check "without Wayland, the portal is not asked" "3" "$(wc -l <"$PICKS")"

# A Wayland session without a portal: the dialog picks through X11 after all.
stop_portal
export WAYLAND_DISPLAY=vindre-test
restart_app
press_pick
click_root
check "with no portal, picked through X11" "#996633" "$(chosen_color)"
xsetroot -solid '#336699'
key "$MAIN_WIN" F4
click_root
key "$MAIN_WIN" F5
check "with no portal, F4 picks through X11" "#336699" "$(clipboard)"

# A portal that answers one pick twice: only the first answer counts.
/usr/bin/python3 "$HERE/backend.py" --frontend "$PICKS" "0.2,0.4,0.8+0.8,0.4,0.2" "0.8,0.4,0.2" >"$WORK/frontend.log" 2>&1 &
FRONTEND_PID=$!
wait_owner org.freedesktop.portal.Desktop
restart_app
press_pick
wait_responses 5
check "a pick answered twice takes the first answer" "#3366CC" "$(chosen_color)"
# F4 in a Wayland session: the portal picks.
key "$MAIN_WIN" F4
wait_responses 6
key "$MAIN_WIN" F5
check "F4 picks through the portal" "#CC6633" "$(clipboard)"

close_by_wm "$MAIN_WIN"
wait_app
finish
