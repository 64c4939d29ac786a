#!/usr/bin/env bash
# A Wayland session, under a headless weston with XWayland: the program takes X11
# where an X server answers, and runs as a Wayland client only where none does; there
# it leaves the stored place alone, since it can neither set nor learn it.
source "$(dirname "$0")/lib.sh"
INI=$APP_DIR/vindre.ini
SOCKET=vindre-e2e-$$
WESTON_PID=

stop_weston() {
    [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null || true
    [ -n "$WESTON_PID" ] && kill "$WESTON_PID" 2>/dev/null || true
    cleanup
}
trap stop_weston EXIT

unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export XDG_RUNTIME_DIR=$WORK/runtime XDG_SESSION_TYPE=wayland
mkdir -m 700 "$XDG_RUNTIME_DIR"
weston --backend=headless-backend.so --xwayland --idle-time=0 --socket="$SOCKET" >"$WORK/weston.log" 2>&1 &
WESTON_PID=$!
# weston names its X display once the compositor and the X socket are ready; its log
# is there only once the background shell has opened it.
x_display=
for _ in $(seq 300); do
    x_display=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$WORK/weston.log" 2>/dev/null || true)
    [ -n "$x_display" ] && [ -S "$XDG_RUNTIME_DIR/$SOCKET" ] && break
    kill -0 "$WESTON_PID" 2>/dev/null || break
    sleep 0.05
done
if [ -z "$x_display" ] || [ ! -S "$XDG_RUNTIME_DIR/$SOCKET" ]; then
    echo "SKIP: weston with XWayland did not start here:"; cat "$WORK/weston.log"
    exit 77
fi
export WAYLAND_DISPLAY=$SOCKET

# Both displays: an X11 client, which X11 tools see. weston's window manager puts it
# where it likes, and the stored place, not taken, stays as it was.
printf '[Main]\r\nX=400\r\nY=300\r\n' >"$INI"
DISPLAY=$x_display "$VINDRE" >"$WORK/app.log" 2>&1 &
APP_PID=$!
MAIN_WIN=$(DISPLAY=$x_display wait_window "ヴィンドレ 051113" || true)
check "Wayland session with XWayland: an X11 client" "yes" "$([ -n "$MAIN_WIN" ] && echo yes)"
check "with XWayland: placed elsewhere by weston" yes \
    "$([ -n "$MAIN_WIN" ] && [ "$(DISPLAY=$x_display frame_origin "$MAIN_WIN")" != "400 300" ] && echo yes)"
kill -TERM "$APP_PID"
wait_app
check "with XWayland: exit code" 0 "$APP_CODE"
check "with XWayland: X and Y as they were" "X=400 Y=300" "$(tr -d '\r' <"$INI" | grep -E '^[XY]=' | paste -sd' ')"

# Wayland alone: everything but the place is saved; X and Y stay as they were written.
printf '[Main]\r\nX=0x10\r\nY=$20\r\nColorR=0x80\r\n' >"$INI"
WAYLAND_DEBUG=client "$VINDRE" >"$WORK/app.log" 2>&1 &
APP_PID=$!
shown=
for _ in $(seq 300); do
    grep -q 'ack_configure' "$WORK/app.log" && { shown=yes; break; }
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.05
done
check "Wayland alone: the window is shown" yes "$shown"
kill -TERM "$APP_PID"
wait_app
check "Wayland alone: exit code" 0 "$APP_CODE"
# What the program said, without the protocol trace.
[ "$APP_CODE" = 0 ] || grep -av '^\[' "$WORK/app.log" | tail -n 20
check "Wayland alone: X and Y as they were" \
    "$(printf '[Main]\r\nX=0x10\r\nY=$20\r\nColorR=128\r\nColorG=0\r\nColorB=0\r\nClipTransLower=0\r\n' | od -c)" \
    "$(od -c <"$INI")"

finish
