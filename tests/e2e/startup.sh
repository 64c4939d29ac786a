#!/usr/bin/env bash
# Start-up, the colour display and closing, as a user meets them.
source "$(dirname "$0")/lib.sh"

# A display number where no X server runs.
no_x=90
while [ -e "/tmp/.X11-unix/X$no_x" ] || [ -e "/tmp/.X$no_x-lock" ]; do no_x=$((no_x + 1)); done

# Asked before any display is looked for.
code=0; out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$VINDRE" --version) || code=$?
check "--version without a display" "0 ヴィンドレ 051113" "$code $out"
code=0; out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$VINDRE" --help) || code=$?
check "--help names the settings file beside the program" "0 yes" \
    "$code $(grep -qxF "  $APP_DIR/vindre.ini" <<<"$out" && echo yes)"

# Nothing to show the window on: a plain message and exit code 1, never Qt's abort.
message="vindre: no display to show the window on (DISPLAY is not set, or no X server answers there).
Start it on a desktop, or under a virtual one: xvfb-run -a vindre"
for display in unset ":$no_x"; do
    if [ "$display" = unset ]; then setting=(-u DISPLAY); else setting=("DISPLAY=$display"); fi
    code=0; out=$(cd "$WORK" && env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "${setting[@]}" "$VINDRE" 2>&1) || code=$?
    check "DISPLAY $display: exit code 1 and the message" "1 $message" "$code $out"
done

start_display
# A screen the X server has not, which Qt would abort or crash on.
for display in "$DISPLAY.1" "$DISPLAY.-1"; do
    code=0; out=$(cd "$WORK" && DISPLAY=$display "$VINDRE" 2>&1) || code=$?
    check "DISPLAY $display: exit code 1 and the message" "1 $message" "$code $out"
done
# An empty plugin name, which Qt would abort on, while a display answers.
code=0; out=$(cd "$WORK" && "$VINDRE" -platform '' 2>&1) || code=$?
check "-platform '': exit code 1 and the message" "1 $message" "$code $out"
# A plugin Qt has not, by option or by variable: no abort either.
unknown="vindre: no display to show the window on (Qt has no platform plugin \"bogus\").
Start it on a desktop, or under a virtual one: xvfb-run -a vindre"
code=0; out=$(cd "$WORK" && "$VINDRE" -platform bogus 2>&1) || code=$?
check "-platform bogus: exit code 1 and the message" "1 $unknown" "$code $out"
code=0; out=$(cd "$WORK" && QT_QPA_PLATFORM=bogus "$VINDRE" 2>&1) || code=$?
check "QT_QPA_PLATFORM=bogus: exit code 1 and the message" "1 $unknown" "$code $out"
# Qt takes -display as the title's value and opens DISPLAY; so does the program.
"$VINDRE" -title -display ":$no_x" >"$WORK/app.log" 2>&1 &
APP_PID=$!
check "-title -display: the window on DISPLAY, titled -display" "yes" "$(wait_window "-display" >/dev/null && echo yes)"
kill -TERM "$APP_PID"
wait_app
# Qt's own options still work: -display wins over DISPLAY.
DISPLAY=:$no_x "$VINDRE" -display "$DISPLAY" >"$WORK/app.log" 2>&1 &
APP_PID=$!
check "-display starts the window there" "yes" "$(wait_window "ヴィンドレ 051113" >/dev/null && echo yes)"
kill -TERM "$APP_PID"
wait_app
rm -f "$APP_DIR/vindre.ini"
start_app

check "main window title" "ヴィンドレ 051113" "$(xdotool getwindowname "$MAIN_WIN")"
check "no About window after start-up" "" "$(xdotool search --onlyvisible --name '^バージョン情報$' 2>/dev/null || true)"
geometry=$(xwininfo -id "$MAIN_WIN" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
check "client area width" "346" "${geometry%x*}"

read -r cx cy < <(client_origin "$MAIN_WIN")
# The swatch's middle lies below the menu bar, at client (300, 20) plus the menu bar.
menu_h=$(( ${geometry#*x} - 103 ))
sx=$((cx + 300)); sy=$((cy + menu_h + 20))
shot startup

# The window manager's icon: the program's own 32 x 32 palette, pixel for pixel as
# drawn in the XPM (ARGB, fully transparent pixels as 0), not the generic icon.
icon_pixels_from_xpm() {
    convert "$(dirname "$0")/../../resources/vindre.xpm" -depth 8 rgba:- | od -An -v -tu1 -w4 |
        awk '{ printf "%.0f\n", $4 == 0 ? 0 : (($4 * 256 + $1) * 256 + $2) * 256 + $3 }'
}
# The pixels of the 32 x 32 entry of _NET_WM_ICON, which may hold several sizes.
icon_pixels_of_window() {
    xprop -id "$1" -notype -f _NET_WM_ICON 32c ' $0+\n' _NET_WM_ICON | sed 's/^_NET_WM_ICON//' |
        tr ',' '\n' | awk '{ v[n++] = $1 } END {
            for (i = 0; i + 1 < n; i += 2 + w * h) {
                w = v[i] + 0; h = v[i + 1] + 0
                if (w == 32 && h == 32) { for (j = 0; j < w * h; j++) print v[i + 2 + j]; exit }
            } }'
}
check "_NET_WM_ICON pixels equal to the XPM" "1024" \
    "$(paste -d' ' <(icon_pixels_from_xpm) <(icon_pixels_of_window "$MAIN_WIN") | awk '$1 == $2 { n++ } END { print n + 0 }')"
check "swatch black at start" "0,0,0" "$(screen_pixel $sx $sy)"

# End on the focused red scroll bar takes red to 255.
xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true
key "$MAIN_WIN" End
shot red
check "End on SC_R turns the swatch red" "255,0,0" "$(screen_pixel $sx $sy)"

close_by_wm "$MAIN_WIN"
wait_app
check "exit code after closing by the window manager" "0" "$APP_CODE"

finish
