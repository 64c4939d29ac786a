#!/usr/bin/env bash
# A display and a fresh Wine prefix for the Windows test programs, shared by the
# tests of one run (a ctest fixture), all inside one temporary folder:
#   session.sh start STATE   makes them; STATE is then a file of shell assignments
#   session.sh stop STATE    ends them and removes the folder
# The programs run on a desktop of Wine's own (prefix.sh).
set -euo pipefail
action=${1:?usage: $0 start|stop STATE}
state=${2:?usage: $0 start|stop STATE}

start_session() {
    local work
    work=$(mktemp -d /tmp/vindre-wine.XXXXXX)
    # Every process started here outlives this script, so none may hold ctest's output.
    Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" \
        </dev/null >"$work/xvfb.log" 2>&1 &
    echo $! >"$work/xvfb.pid"
    for _ in $(seq 600); do
        grep -q '^[0-9]' "$work/display" 2>/dev/null && break
        sleep 0.05
    done
    grep -q '^[0-9]' "$work/display" || { echo "Xvfb did not start:"; cat "$work/xvfb.log"; exit 1; }
    mkdir -m 700 "$work/home"
    cat >"$state" <<STATE
work=$work
export DISPLAY=:$(head -n1 "$work/display")
export HOME=$work/home
export WINEPREFIX=$work/prefix
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
unset XDG_CONFIG_HOME XDG_CACHE_HOME XDG_DATA_HOME WAYLAND_DISPLAY
STATE
    # shellcheck source=/dev/null
    . "$state"
    # One Wine server for all the tests, kept until the end.
    mkdir "$WINEPREFIX"
    wineserver -p </dev/null >"$work/wineserver.log" 2>&1
    bash "$(dirname "$0")/prefix.sh" "$WINEPREFIX" 1024x768
}

stop_session() {
    [ -f "$state" ] || return 0
    # shellcheck source=/dev/null
    . "$state"
    wineserver -k 2>/dev/null || true
    kill "$(cat "$work/xvfb.pid")" 2>/dev/null || true
    rm -rf "$work" "$state"
}

case $action in
    start) stop_session; start_session ;;
    stop) stop_session ;;
    *) echo "usage: $0 start|stop STATE" >&2; exit 2 ;;
esac
