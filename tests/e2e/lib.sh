# Shared by the end-to-end scripts: a private X display with a window manager
# (openbox unless a script names another), a copy of the program in its own folder
# (the settings file lives beside it), and small helpers. Source it with the path of
# the built program as $1.
set -euo pipefail

VINDRE_BUILT=${1:?usage: $0 path/to/vindre}
WORK=$(mktemp -d /tmp/vindre-e2e.XXXXXX)
APP_DIR=$WORK/app
mkdir -p "$APP_DIR"
cp "$VINDRE_BUILT" "$APP_DIR/vindre"
VINDRE=$APP_DIR/vindre
APP_PID=
XVFB_PID=
WM_PID=
WM_BUS_PID=
FAILURES=0
CHECKS=0
TEST_USERS=()
HELPER_PIDS=()
SCREEN="/usr/bin/python3 $(dirname "${BASH_SOURCE[0]}")/screen.py"
# A home of the test's own: whatever the program keeps in its user's configuration
# folder stays in here.
export HOME=$WORK/runner-home
unset XDG_CONFIG_HOME
mkdir -m 700 "$HOME"
# A sanitized build writes its reports into files here, also from processes whose
# output goes nowhere; finish() fails on any.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}log_path=$WORK/sanitizer"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:+$UBSAN_OPTIONS:}log_path=$WORK/sanitizer"

stop_display() {
    [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null || true
    [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null || true
    [ -n "$WM_BUS_PID" ] && kill "$WM_BUS_PID" 2>/dev/null || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
    wait 2>/dev/null || true
    APP_PID= WM_PID= WM_BUS_PID= XVFB_PID=
}

cleanup() {
    for pid in "${HELPER_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    stop_display
    for user in "${TEST_USERS[@]}"; do userdel "$user" 2>/dev/null || true; done
    if [ "${KEEP_E2E:-0}" = 1 ]; then echo "kept $WORK"; else rm -rf "$WORK"; fi
}
trap cleanup EXIT

# An X server with the window manager named: openbox (by default), metacity or xfwm4;
# its screen $SCREEN_SIZE, 1024x768 unless set.
start_display() {
    local wm=${1:-openbox} fd_file=$WORK/display
    # -noreset: otherwise the server resets whenever its last client leaves, and a
    # client connecting at that moment (the window manager, right after the probe) is refused.
    Xvfb -displayfd 3 -noreset -screen 0 ${SCREEN_SIZE:-1024x768}x24 -nolisten tcp 3>"$fd_file" 2>"$WORK/xvfb.log" &
    XVFB_PID=$!
    # Xvfb writes its display number once it accepts connections; on a loaded
    # machine that can take seconds.
    for _ in $(seq 600); do
        grep -q '^[0-9]' "$fd_file" 2>/dev/null && break
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.05
    done
    if ! grep -q '^[0-9]' "$fd_file" 2>/dev/null; then
        echo "Xvfb did not start:"; cat "$WORK/xvfb.log"; exit 1
    fi
    export DISPLAY=:$(head -n1 "$fd_file")
    unset QT_QPA_PLATFORM WAYLAND_DISPLAY
    for _ in $(seq 200); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
    # A home of its own here for what it writes, and no user's settings: its defaults.
    mkdir -p "$WORK/wm-home"
    local wm_env=(env -u XDG_CONFIG_HOME -u XDG_CACHE_HOME -u XDG_DATA_HOME HOME="$WORK/wm-home"
        GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1)
    case $wm in
        openbox) "${wm_env[@]}" openbox --sm-disable >"$WORK/wm.log" 2>&1 & ;;
        metacity) "${wm_env[@]}" metacity --sm-disable --no-composite >"$WORK/wm.log" 2>&1 & ;;
        xfwm4)
            # xfwm4 reads its settings from xfconfd, which a session bus starts.
            dbus-daemon --session --nofork --print-address=4 4>"$WORK/wm-bus" 2>"$WORK/wm-bus.log" &
            WM_BUS_PID=$!
            for _ in $(seq 200); do [ -s "$WORK/wm-bus" ] && break; sleep 0.05; done
            "${wm_env[@]}" DBUS_SESSION_BUS_ADDRESS="$(head -n1 "$WORK/wm-bus")" \
                xfwm4 --compositor=off --sm-client-disable >"$WORK/wm.log" 2>&1 &
            ;;
        *) echo "no such window manager here: $wm"; exit 1 ;;
    esac
    WM_PID=$!
    # The window manager is ready once it has claimed the window manager selection.
    for _ in $(seq 600); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        kill -0 "$WM_PID" 2>/dev/null || break
        sleep 0.05
    done
    echo "$wm did not start on $DISPLAY:"; cat "$WORK/wm.log"; exit 1
}

# An ordinary user of the test's own, with a new home in the test's folder, removed
# at the end (as root only): make_user VARIABLE HOME. Their commands run through
# as_user NAME COMMAND....
make_user() {
    local name=vt$$x${#TEST_USERS[@]}
    useradd --no-create-home --home-dir "$2" --shell /usr/sbin/nologin "$name"
    TEST_USERS+=("$name")
    mkdir -m 700 "$2"
    chown "$name:" "$2"
    printf -v "$1" %s "$name"
}
as_user() {
    local name=$1
    shift
    setpriv --reuid="$name" --regid="$(id -g "$name")" --init-groups -- "$@"
}

# Starts a helper of screen.py and waits for its word; its pid is the last in HELPER_PIDS.
helper() {
    local word=$1 log=$WORK/helper-${#HELPER_PIDS[@]}.log
    shift
    $SCREEN "$@" >"$log" 2>&1 &
    HELPER_PIDS+=($!)
    for _ in $(seq 200); do grep -q "^$word\$" "$log" && return 0; sleep 0.05; done
    echo "screen.py $*: $(cat "$log")"
    exit 1
}

# Our override-redirect windows on the screen: the loupe while a pick is under way.
loupes() {
    local id
    for id in $(xdotool search --onlyvisible --classname vindre 2>/dev/null); do
        xwininfo -id "$id" | grep -q 'Override Redirect State: yes' && echo "$id"
    done
    true
}

# Starts the program, through the command given if any (env, a launcher); its
# stdout/stderr go to $WORK/app.log.
start_app() {
    "$@" "$VINDRE" >"$WORK/app.log" 2>&1 &
    APP_PID=$!
    MAIN_WIN=$(wait_window "ヴィンドレ 051113") || {
        cat "$WORK/app.log"; sanitizer_reports; exit 1
    }
}

# Waits for a visible window with exactly this name; prints its id.
wait_window() {
    local name=$1 id
    for _ in $(seq 200); do
        id=$(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null | head -n1 || true)
        if [ -n "$id" ]; then sleep 0.3; echo "$id"; return 0; fi
        sleep 0.05
    done
    echo "no window named $name" >&2
    return 1
}

window_gone() {
    local name=$1
    for _ in $(seq 100); do
        xdotool search --onlyvisible --name "^${name}\$" >/dev/null 2>&1 || return 0
        sleep 0.05
    done
    return 1
}

# Waits up to ten seconds for the program to end and sets APP_CODE to its exit
# code ("running" when it did not end). Not for $(...): a subshell cannot wait.
wait_app() {
    APP_CODE=running
    for _ in $(seq 200); do
        kill -0 "$APP_PID" 2>/dev/null || break
        sleep 0.05
    done
    kill -0 "$APP_PID" 2>/dev/null && return 0
    APP_CODE=0
    wait "$APP_PID" || APP_CODE=$?
    APP_PID=
}

close_by_wm() { wmctrl -i -c "$1"; }

# Closes the main window as a user does and checks that the program ended at once;
# one still running (an error box up) is killed, so the next check starts afresh.
close_and_end() {
    close_by_wm "$MAIN_WIN"
    wait_app
    check "$1: exit code" 0 "$APP_CODE"
    if [ "$APP_CODE" = running ]; then
        kill -KILL "$APP_PID"
        wait "$APP_PID" 2>/dev/null || true
        APP_PID=
    fi
}

# The client area's top-left corner on the screen: "x y".
client_origin() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}'
}

# The outer frame's top-left corner on the screen: "x y".
frame_origin() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {ax=$4} /Absolute upper-left Y/ {ay=$4}
        /Relative upper-left X/ {rx=$4} /Relative upper-left Y/ {ry=$4} END {print ax - rx, ay - ry}'
}

# The colour of one screen pixel as "r,g,b".
screen_pixel() {
    import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null |
        sed -n '2s/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/p'
}

# How many pixels in the screen rectangle x y w h pass an awk test on r, g, b.
count_pixels() {
    import -window root -crop "$3x$4+$1+$2" -depth 8 txt:- 2>/dev/null |
        sed -n 's/.*: (\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p' |
        awk "{ r=\$1; g=\$2; b=\$3 } $5 { n++ } END { print n + 0 }"
}

# Where the colour dialog's frame belongs: centred across the free area of the screen,
# a third of the free height above it. "x y".
dialog_place() {
    local ax ay aw ah w h left right top bottom
    read -r ax ay aw ah _ < <(xprop -root _NET_WORKAREA | sed 's/.*= //; s/,//g')
    w=$(xwininfo -id "$1" | awk '/Width:/ {print $2}')
    h=$(xwininfo -id "$1" | awk '/Height:/ {print $2}')
    read -r left right top bottom < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    echo $((ax + (aw - w - left - right) / 2)) $((ay + (ah - h - top - bottom) / 3))
}

# "yes" when the points "x y" and "x y" lie within a pixel of each other, else both.
within_a_pixel() {
    awk -v a="$1" -v b="$2" 'BEGIN { split(a, p); split(b, q); x = p[1] - q[1]; y = p[2] - q[2]
        print (x * x <= 1 && y * y <= 1) ? "yes" : a " against " b }'
}

# A fingerprint of the screen rectangle x y w h: equal pictures, equal fingerprints.
screen_hash() {
    import -window root -crop "$3x$4+$1+$2" -depth 8 rgb:- 2>/dev/null | md5sum | cut -d' ' -f1
}

# Bounded: a request to an owner that dies before answering is never answered.
clipboard() { timeout 5 xclip -selection clipboard -o 2>/dev/null || true; }

# Presses a key in the given window, as typed on the keyboard.
key() {
    xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
    xdotool key "$2"
    sleep 0.3
}

shot() { import -window root "$WORK/$1.png"; [ -n "${SHOT_DIR:-}" ] && cp "$WORK/$1.png" "$SHOT_DIR/" || true; }

check() {
    local what=$1 expected=$2 actual=$3
    CHECKS=$((CHECKS + 1))
    if [ "$expected" = "$actual" ]; then
        echo "ok   - $what"
    else
        echo "FAIL - $what: expected [$expected], got [$actual]"
        FAILURES=$((FAILURES + 1))
    fi
}

sanitizer_reports() {
    cat "$WORK"/sanitizer.* 2>/dev/null || true
    grep -E -A40 'ERROR: AddressSanitizer|ERROR: LeakSanitizer|runtime error:' "$WORK/app.log" 2>/dev/null || true
}

finish() {
    local reports
    reports=$(sanitizer_reports)
    # The headline; a report starts with blank and ruled lines.
    check "no sanitizer report" "" "$(grep -m1 -E 'ERROR|runtime error' <<<"$reports" ||
        sed '/^[[:space:]]*$/d' <<<"$reports" | head -n1)"
    [ -z "$reports" ] || echo "$reports"
    echo "$((CHECKS - FAILURES)) passed, $FAILURES failed"
    [ "$FAILURES" -eq 0 ]
}
