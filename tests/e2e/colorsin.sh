#!/usr/bin/env bash
# Colours in, as a user brings them: picked from the screen with F4 on X11 (a click on
# another program's window, on the program's own, the arrow keys and Enter, Escape and
# a right click, at 100 % and 200 %, a pointer that another program holds), and taken
# from the clipboard with Ctrl+V, whatever its owner holds.
source "$(dirname "$0")/lib.sh"
# A box of the program's, captioned with its title, within seconds; its id, or nothing.
box() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "^ヴィンドレ 051113\$" 2>/dev/null | grep -vx "$MAIN_WIN" || true)
        [ -n "$id" ] && { sleep 0.3; echo "$id"; return; }
        sleep 0.05
    done
}
# The program's colour, read as another program reads it.
colour() { key "$MAIN_WIN" F5; clipboard; }
pick_at() { xdotool mousemove "$1" "$2"; sleep 0.3; }

start_display
xsetroot -solid '#996633'
# Columns of #102030 and #405060 from x 800, #C0FFEE from x 832; y 600 to 663.
helper ready paint 800 600

for scale in 1 2; do
    rm -f "$APP_DIR/vindre.ini"
    start_app env QT_SCALE_FACTOR=$scale
    key "$MAIN_WIN" F4
    pick_at 830 610
    check "$scale: one loupe while picking" 1 "$(loupes | wc -l)"
    # The loupe over the border between the columns and the plain part.
    shot loupe-$scale
    pick_at 840 620
    xdotool click 1
    sleep 0.3
    check "$scale: no loupe once picked" 0 "$(loupes | wc -l)"
    check "$scale: a click takes another program's pixel" "#C0FFEE" "$(colour)"

    # At 200 % Qt's pointer reaches only even screen pixels; the arrow keys reach each one.
    key "$MAIN_WIN" F4
    pick_at 810 620
    xdotool key Right
    sleep 0.3
    xdotool key Return
    sleep 0.3
    check "$scale: Right then Enter takes the odd column" "#405060" "$(colour)"
    key "$MAIN_WIN" F4
    pick_at 814 620
    xdotool key Left Left Up Return
    sleep 0.3
    check "$scale: Left, Left, Up then Enter takes the even column" "#102030" "$(colour)"

    key "$MAIN_WIN" F4
    pick_at 840 620
    xdotool key Escape
    sleep 0.3
    check "$scale: Escape keeps the colour" "#102030 0" "$(colour) $(loupes | wc -l)"
    key "$MAIN_WIN" F4
    pick_at 840 620
    xdotool click 3
    sleep 0.3
    check "$scale: a right click keeps the colour" "#102030 0" "$(colour) $(loupes | wc -l)"
    close_by_wm "$MAIN_WIN"
    wait_app
done

start_app
# From the menu by its letters; the screen's last pixel, the loupe turned to the other side.
key "$MAIN_WIN" alt+c
xdotool key p
pick_at 1023 767
xdotool click 1
sleep 0.3
check "the menu's item, the screen's corner" "#996633" "$(colour)"

# The program's own window, and the pointer a cross over every window alike.
read -r cx cy < <(client_origin "$MAIN_WIN")
label=$(screen_pixel $((cx + 4)) $((cy + 30)))
xdotool mousemove 500 700
sleep 0.3
plain=$($SCREEN cursor)
key "$MAIN_WIN" F4
pick_at 500 700
over_root=$($SCREEN cursor)
pick_at $((cx + 4)) $((cy + 30))
over_program=$($SCREEN cursor)
check "the cross over the root and over the program alike" "yes" \
    "$([ "$over_root" = "$over_program" ] && [ "$over_root" != "$plain" ] && echo yes || echo no)"
xdotool click 1
sleep 0.3
own=$(IFS=, read -r r g b <<<"$label"; printf '#%02X%02X%02X' "$r" "$g" "$b")
check "a pixel of the program's own window" "$own" "$(colour)"

# Another program holds the pointer: a box says so, and nothing is left held.
helper held hold
key "$MAIN_WIN" F4
refusal=$(box)
check "a held pointer: a box captioned with the title, no loupe" "yes 0" \
    "$([ -n "$refusal" ] && echo yes) $(loupes | wc -l)"
shot held
kill "${HELPER_PIDS[-1]}"
key "$refusal" Return
check "the box closes with Enter" "" "$(box)"
check "nothing is left held" free "$($SCREEN free)"
check "a refused pick keeps the colour" "$own" "$(colour)"
key "$MAIN_WIN" F4
pick_at 840 620
xdotool click 1
sleep 0.3
check "after the box, F4 and a click pick" "#C0FFEE" "$(colour)"

# Ctrl+V with what other programs leave on the clipboard; F5, which reads the colour,
# takes the clipboard back each time. xclip in the foreground, an owner this script
# can end; $1 and on: xclip's options.
own_clipboard() {
    xclip -quiet -selection clipboard "$@" >/dev/null 2>&1 &
    OWNER_PID=$!
    HELPER_PIDS+=($OWNER_PID)
    sleep 0.3
}
# Ctrl+V, $1 times (once by default) with no copy between: "box" for each box, then the colour.
paste_refused() {
    local refused
    for _ in $(seq "${1:-1}"); do
        key "$MAIN_WIN" ctrl+v
        refused=$(box)
        [ -n "$refused" ] && key "$refused" Return
        echo -n "${refused:+box} "
    done
    colour
}
printf ' \n  color: rgb(255 128 0);\n' | own_clipboard -i
key "$MAIN_WIN" ctrl+v
check "Ctrl+V, a declaration that xclip holds" "#FF8000" "$(colour)"
# Today's CSS, pasted, and copied back from the CSS sub-menu by the keyboard alone.
printf '$brand: color-mix(in oklch, oklch(62.3%% 0.214 259.815) 80%%, white) !default;' | own_clipboard -i
key "$MAIN_WIN" ctrl+v
check "Ctrl+V, color-mix() of oklch() in a Sass line" "#5A9CFF" "$(colour)"
printf 'color: var(--bs-primary);' | own_clipboard -i
check "Ctrl+V, var(): a box, the colour kept" "box #5A9CFF" "$(paste_refused)"
key "$MAIN_WIN" alt+c
key "$MAIN_WIN" s
# From the first item, Up wraps round to the last: oklch() is the fourth from the end.
xdotool key --delay 200 Up Up Up Up Return
sleep 0.3
check "the CSS sub-menu's oklch()" "oklch(69.5% 0.161 258.3)" "$(clipboard)"
printf '#FF8000' | own_clipboard -i
key "$MAIN_WIN" ctrl+v
convert -size 4x4 xc:'#123456' "$WORK/image.png"
own_clipboard -t image/png -i "$WORK/image.png"
check "Ctrl+V, an image only: a box, the colour kept" "box #FF8000" "$(paste_refused)"
own_clipboard -i /dev/null
kill "$OWNER_PID"
check "Ctrl+V, nobody's clipboard: a box, the colour kept" "box #FF8000" "$(paste_refused)"
peak() { awk '/VmHWM/ {print $2}' "/proc/$APP_PID/status"; }
# What a box costs at the peak: little, but several MB where AddressSanitizer keeps
# freed memory aside.
before=$(peak)
helper mute mute
check "Ctrl+V, an owner that never answers: a box, the colour kept" "box #FF8000" "$(paste_refused)"
box_cost=$(($(peak) - before))
kill "${HELPER_PIDS[-1]}"
# 50 MB of text: the program looks at its beginning and takes no more memory for it.
head -c 50000000 /dev/zero | tr '\0' a >"$WORK/long.txt"
own_clipboard -i "$WORK/long.txt"
before=$(peak)
check "Ctrl+V, 50 MB of text: a box, the colour kept" "box #FF8000" "$(paste_refused)"
check "and under 5 MB more memory at the peak than the box" yes \
    "$([ $(($(peak) - before - box_cost)) -lt 5000 ] && echo yes || echo "$before kB, then $(peak) kB, the box $box_cost kB")"

# A text in pieces is taken whole or not at all; only text is read, and only the
# answer to the request sent.
helper owner INCR '#abc' def ''
key "$MAIN_WIN" ctrl+v
check "Ctrl+V, a text in pieces" "#ABCDEF" "$(colour)"
helper owner INCR '#abc' exit
check "Ctrl+V, an owner that ends after the first piece: a box, the colour kept" "box #ABCDEF" "$(paste_refused)"
helper owner INTEGER '#fff'
check "Ctrl+V, an INTEGER for the text: a box, the colour kept" "box #ABCDEF" "$(paste_refused)"
helper owner late '#fff'
check "Ctrl+V twice, each request answered only at the next: two boxes, the colour kept" "box box #ABCDEF" \
    "$(paste_refused 2)"
# 256 characters in 754 bytes: 249 ideographic spaces, then the code.
{ for _ in $(seq 249); do printf '\343\200\200'; done; printf '#ff8000'; } | own_clipboard -i
key "$MAIN_WIN" ctrl+v
check "Ctrl+V, 256 characters in more bytes" "#FF8000" "$(colour)"

close_by_wm "$MAIN_WIN"
wait_app
check "exit code" 0 "$APP_CODE"
finish
