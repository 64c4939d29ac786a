#!/usr/bin/env bash
# What was copied stays on the clipboard after the program has ended: with no
# clipboard manager a small process of ours keeps offering it until another program
# copies or the display goes away; with one, Qt hands the text over to it.
source "$(dirname "$0")/lib.sh"
# Fresh memory from glibc's heap is mostly zeros, which would hide bytes of the
# keeper's answers left unset; filled instead, they show.
export MALLOC_PERTURB_=165
start_display

SELECTION="/usr/bin/python3 $(dirname "$0")/selection.py"
keeper_pid() { pgrep -f -x "vindre --keep-clipboard [0-9]+ $DISPLAY" || true; }
# Waits up to five seconds for a process to end; prints "gone" or "running".
wait_gone() {
    [ -n "$1" ] || { echo "no process"; return; }
    for _ in $(seq 100); do
        kill -0 "$1" 2>/dev/null || { echo gone; return; }
        sleep 0.05
    done
    echo running
}
# The keeper takes the clipboard a moment after the program has gone.
wait_clipboard() {
    for _ in $(seq 100); do
        [ "$(clipboard)" = "$1" ] && break
        sleep 0.05
    done
    clipboard
}
copy_and_close() {
    start_app
    key "$MAIN_WIN" "$1"
    key "$MAIN_WIN" F5
    close_by_wm "$MAIN_WIN"
    wait_app
}
# For a copy started by hand as $APP_PID: copies the colour and ends it.
copy_and_close_window() {
    MAIN_WIN=$(wait_window "ヴィンドレ 051113")
    key "$MAIN_WIN" "$1"
    key "$MAIN_WIN" F5
    close_by_wm "$MAIN_WIN"
    wait_app
}

copy_and_close End
check "exit code with the clipboard owned" "0" "$APP_CODE"
check "the code is still on the clipboard" "#FF0000" "$(wait_clipboard '#FF0000')"
check "as UTF8_STRING" "#FF0000" "$(timeout 5 xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null || true)"
check "as STRING" "#FF0000" "$(timeout 5 xclip -o -selection clipboard -t STRING 2>/dev/null || true)"
check "TARGETS" "STRING TARGETS TEXT TIMESTAMP UTF8_STRING text/plain text/plain;charset=utf-8" \
    "$(timeout 5 xclip -o -selection clipboard -t TARGETS 2>/dev/null | LC_ALL=C sort | xargs)"
keeper=$(keeper_pid)
check "one keeper" "1" "$(echo "$keeper" | grep -c '^[0-9]')"
if [ -n "$keeper" ]; then
    check "keeper in a session of its own" "$keeper" "$(ps -o sid= -p "$keeper" | tr -d ' ')"
    check "keeper called vindre, as pgrep -x and top see it" "vindre" "$(ps -o comm= -p "$keeper")"
    check "keeper holds no folder" "/" "$(readlink "/proc/$keeper/cwd")"
    check "keeper writes nowhere" "/dev/null /dev/null" "$(readlink "/proc/$keeper/fd/1") $(readlink "/proc/$keeper/fd/2")"
fi
check "the keeper's answer carries nothing past the event" "0000000000000000" \
    "$(timeout 5 $SELECTION notify-tail 2>&1)"
timeout 5 $SELECTION forge-clear
check "a SelectionClear another client forged keeps the text" "#FF0000 running" \
    "$(clipboard) $(kill -0 "$keeper" 2>/dev/null && echo running)"
echo x | xclip -selection clipboard
check "keeper ends when another program copies" "gone" "$(wait_gone "$keeper")"
check "the other program's text" "x" "$(clipboard)"

# A clipboard manager is there: it is asked to take the text, and no keeper starts.
/usr/bin/python3 "$(dirname "$0")/clipboardmanager.py" >"$WORK/manager.log" 2>&1 &
MANAGER_PID=$!
for _ in $(seq 100); do grep -q ready "$WORK/manager.log" && break; sleep 0.05; done
copy_and_close F2
check "exit code with a clipboard manager" "0" "$APP_CODE"
check "the manager was asked to save the text" "SAVE_TARGETS" "$(grep -x SAVE_TARGETS "$WORK/manager.log" || true)"
check "no keeper with a clipboard manager" "" "$(keeper_pid)"
kill "$MANAGER_PID"
wait "$MANAGER_PID" 2>/dev/null || true

# An upgrade replaces the program's file while it runs: the keeper is the program
# that ran, not whatever now has its name.
rm -f "$APP_DIR/vindre.ini"
start_app
cp /bin/true "$WORK/replacement"
mv "$WORK/replacement" "$VINDRE"
copy_and_close_window F2
check "program file replaced while running: the text stays" "#FFFFFF" "$(wait_clipboard '#FFFFFF')"
cp "$VINDRE_BUILT" "$VINDRE"

# The display given by Qt's -display option, with no DISPLAY to fall back on.
rm -f "$APP_DIR/vindre.ini"
env -u DISPLAY "$VINDRE" -display "$DISPLAY" >"$WORK/app.log" 2>&1 &
APP_PID=$!
copy_and_close_window End
check "-display without DISPLAY: the text stays" "#FF0000" "$(wait_clipboard '#FF0000')"

# Qt takes -display as the title's value and opens DISPLAY: the keeper serves that
# display too, though an X server answers at the one named.
Xvfb -displayfd 3 -nolisten tcp 3>"$WORK/other" 2>/dev/null &
OTHER_PID=$!
trap 'kill "$OTHER_PID" 2>/dev/null || true; cleanup' EXIT
for _ in $(seq 600); do grep -q '^[0-9]' "$WORK/other" 2>/dev/null && break; sleep 0.05; done
mv "$APP_DIR/vindre.ini" "$WORK/red.ini"
"$VINDRE" -title -display ":$(head -n1 "$WORK/other")" >"$WORK/app.log" 2>&1 &
APP_PID=$!
MAIN_WIN=$(wait_window "-display")
key "$MAIN_WIN" F2
key "$MAIN_WIN" F5
close_by_wm "$MAIN_WIN"
wait_app
check "-title -display: the keeper serves DISPLAY" "#FFFFFF" "$(wait_clipboard '#FFFFFF')"
kill "$OTHER_PID"
wait "$OTHER_PID" 2>/dev/null || true
mv "$WORK/red.ini" "$APP_DIR/vindre.ini"

# The display goes away: so does the keeper. The colour saved last was red.
copy_and_close F2
check "keeper offers the new code" "#00FFFF" "$(wait_clipboard '#00FFFF')"
keeper=$(keeper_pid)
kill "$WM_PID" "$XVFB_PID"
wait "$WM_PID" "$XVFB_PID" 2>/dev/null || true
WM_PID= XVFB_PID=
check "keeper ends with the display" "gone" "$(wait_gone "$keeper")"

finish
