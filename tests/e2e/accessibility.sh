#!/usr/bin/env bash
# The main window as a screen reader meets it: each control named, and a change of
# colour announced, read over the accessibility bus as assistive tools read it.
if [ -z "${VINDRE_OWN_SESSION_BUS:-}" ]; then
    # A session bus of our own, with the accessibility bus it starts on demand.
    exec dbus-run-session -- env VINDRE_OWN_SESSION_BUS=1 bash "$0" "$@"
fi
source "$(dirname "$0")/lib.sh"
ATSPI="/usr/bin/python3 $(dirname "$0")/atspi.py"
TITLE="ヴィンドレ 051113"
start_display
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
start_app

# One object per line: depth|role|name|description|value
$ATSPI tree "$TITLE" >"$WORK/tree-before.txt"
object() { grep -c -x -F "$1" "$2" || true; }
for bar in R G B; do
    check "scroll bar named $bar" "1" "$(object "2|scroll bar|$bar||0" "$WORK/tree-before.txt")"
done
check "swatch named, its colour and contrast described" "1" \
    "$(object "2|filler|色見本|#000000 コントラスト比 白地 21.00:1 (AAA) ・ 黒地 1.00:1|" "$WORK/tree-before.txt")"
check "code label" "1" "$(object "2|label|#000000||" "$WORK/tree-before.txt")"

RED="#FF0000 コントラスト比 白地 3.99:1 (AA 大きな文字) ・ 黒地 5.25:1 (AA)"
$ATSPI watch "$TITLE" "accessible-description|filler|色見本|#FF0000" >"$WORK/events.txt" 2>&1 &
WATCH_PID=$!
for _ in $(seq 200); do grep -q '^watching' "$WORK/events.txt" && break; sleep 0.05; done
# The toolkit learns of a new listener asynchronously, from the registry.
sleep 1
key "$MAIN_WIN" End
wait "$WATCH_PID" || true
cat "$WORK/events.txt"
check "red bar's new value announced" "1" \
    "$(object "object:property-change:accessible-value|scroll bar|R||255" "$WORK/events.txt")"
check "new code announced" "1" \
    "$(object "object:property-change:accessible-name|label|#FF0000||" "$WORK/events.txt")"
check "swatch's new colour announced" "1" \
    "$(object "object:property-change:accessible-description|filler|色見本|$RED|" "$WORK/events.txt")"

$ATSPI tree "$TITLE" >"$WORK/tree-after.txt"
check "red bar reads 255" "1" "$(object "2|scroll bar|R||255" "$WORK/tree-after.txt")"
check "code label reads #FF0000" "1" "$(object "2|label|#FF0000||" "$WORK/tree-after.txt")"
check "swatch describes #FF0000" "1" "$(object "2|filler|色見本|$RED|" "$WORK/tree-after.txt")"

close_by_wm "$MAIN_WIN"
wait_app
finish
