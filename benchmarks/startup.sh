#!/usr/bin/env bash
# Start-up until the window is mapped, then closed the normal way; the same against a
# bare Qt window of its kind, as a ratio; the same with the largest and hardest
# settings files; and the resident memory of a running picker.
#   startup.sh path/to/vindre path/to/startup_floor
source "$(dirname "$0")/../tests/e2e/lib.sh"
FLOOR=${2:?usage: $0 path/to/vindre path/to/startup_floor}
start_display
/usr/bin/python3 "$(dirname "$0")/startup.py" "$VINDRE" "$FLOOR"
/usr/bin/python3 "$(dirname "$0")/settingsfiles.py" "$VINDRE"
cat >"$WORK/once.sh" <<ONCE
set -e
"$VINDRE" >/dev/null 2>&1 &
pid=\$!
until id=\$(xdotool search --onlyvisible --name '^ヴィンドレ 051113\$' 2>/dev/null | head -n1) && [ -n "\$id" ]; do sleep 0.005; done
wmctrl -i -c "\$id"
wait \$pid
ONCE
hyperfine --warmup 2 --runs 20 "bash $WORK/once.sh"
start_app
sleep 1
echo "resident memory of a running picker: $(awk '/VmRSS/ {print $2, $3}' /proc/$APP_PID/status)"
echo "peak: $(awk '/VmHWM/ {print $2, $3}' /proc/$APP_PID/status)"
close_by_wm "$MAIN_WIN"
wait_app
