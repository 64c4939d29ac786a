#!/usr/bin/env bash
# The settings file vindre.ini beside the program, as a user meets it: the first
# start, the window coming back to the same place run after run under a real window
# manager, odd values typed in by hand, two copies at once, a save killed midway,
# UTF-16 files, links, files that are no settings file, the end of the program asked
# by the system, a file or folder the program may not write, and a place the window
# manager did not take.
source "$(dirname "$0")/lib.sh"
start_display
INI=$APP_DIR/vindre.ini

# Writes its arguments as lines ending in CR LF.
crlf() { printf '%s\r\n' "$@"; }

# Compares the file with the lines given, byte for byte.
check_file() {
    local what=$1
    shift
    crlf "$@" >"$WORK/expected.ini"
    if cmp -s "$WORK/expected.ini" "$INI"; then
        check "$what" same same
    else
        check "$what" "$(od -c <"$WORK/expected.ini")" "$(od -c <"$INI" 2>&1)"
    fi
}

start_and_activate() {
    start_app
    xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true
}

# For a copy started by hand as $APP_PID.
start_and_activate_window() {
    MAIN_WIN=$(wait_window "ヴィンドレ 051113")
    xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true
}

close_and_wait() {
    close_by_wm "$MAIN_WIN"
    wait_app
    check "$1: exit code" 0 "$APP_CODE"
}

# Starts one more copy, its window told from the others' by its process.
start_copy() {
    "$VINDRE" >>"$WORK/app.log" 2>&1 &
    APP_PID=$!
    MAIN_WIN=$(timeout 20 xdotool search --sync --all --onlyvisible --pid "$APP_PID" --name "^ヴィンドレ 051113\$" | head -n1)
    sleep 0.3
}

# Waits until the program has more than one window up (a dialog or an error box).
wait_second_window() {
    for _ in $(seq 100); do
        [ "$(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | wc -l)" -ge 2 ] && return 0
        sleep 0.05
    done
    return 1
}

# No file: the default place and colour; the close writes exactly the six keys.
start_and_activate
check "first start: frame at 100,100" "100 100" "$(frame_origin "$MAIN_WIN")"
key "$MAIN_WIN" F5
check "first start: black" "#000000" "$(clipboard)"
close_and_wait "first close"
# The colour copied is kept as one used before.
check_file "first close: the new file" "[Main]" X=100 Y=100 ColorR=0 ColorG=0 ColorB=0 ClipTransLower=0 \
    "[History]" "#000000"

# A stored place stays where it is, run after run: no creeping by the frame's size.
crlf "[Main]" X=199 Y=397 ColorR=255 ColorG=128 ColorB=0 ClipTransLower=0 >"$INI"
for run in 1 2 3; do
    start_and_activate
    check "run $run: frame at 199,397" "199 397" "$(frame_origin "$MAIN_WIN")"
    read -r cx cy < <(client_origin "$MAIN_WIN")
    check "run $run: client area inside the frame" "yes" "$([ "$cx" -gt 199 ] && [ "$cy" -gt 397 ] && echo yes)"
    key "$MAIN_WIN" F5
    check "run $run: colour" "#FF8000" "$(clipboard)"
    close_and_wait "run $run"
    check_file "run $run: file" "[Main]" X=199 Y=397 ColorR=255 ColorG=128 ColorB=0 ClipTransLower=0 \
        "[History]" "#FF8000"
done
shot stored-place

# A window moved by the user is found there at the next start.
start_and_activate
xdotool windowmove "$MAIN_WIN" 300 200
sleep 0.5
moved=$(frame_origin "$MAIN_WIN")
close_and_wait "moved"
start_and_activate
check "moved window comes back to its frame position" "$moved" "$(frame_origin "$MAIN_WIN")"
close_and_wait "after the move"
check "moved: the file holds the frame position" "X=${moved% *} Y=${moved#* }" \
    "$(tr -d '\r' <"$INI" | grep -E '^[XY]=' | paste -sd' ')"

# Values typed in by hand: clamped, replaced by defaults, hexadecimal; written back
# as the program understood them. Other sections and comments stay.
crlf "; my settings" "[Other]" "Key=kept" "" "[Main]" X=abc Y=120 ColorR=300 ColorG=-5 ColorB=abc \
    ClipTransLower=true >"$INI"
start_and_activate
check "300, -5, abc: frame at 100,120" "100 120" "$(frame_origin "$MAIN_WIN")"
key "$MAIN_WIN" F5
check "300, -5, abc give #FF0000" "#FF0000" "$(clipboard)"
close_and_wait "clamped values"
check_file "clamped values written back" "; my settings" "[Other]" "Key=kept" "" "[Main]" X=100 Y=120 \
    ColorR=255 ColorG=0 ColorB=0 ClipTransLower=0 "[History]" "#FF0000"

crlf "[Main]" X=150 Y=150 ColorR=0x80 'ColorG=$80' ColorB=12px ClipTransLower=true >"$INI"
start_and_activate
key "$MAIN_WIN" F5
check "0x80, \$80, 12px give #808000" "#808000" "$(clipboard)"
close_and_wait "hexadecimal"
check_file "hexadecimal written back in decimal" "[Main]" X=150 Y=150 ColorR=128 ColorG=128 ColorB=0 \
    ClipTransLower=0 "[History]" "#808000"

# LF line ends and a lower-case option of 2.
printf '[main]\nx=150\ny=150\ncolorr=0xAB\ncolorg=205\ncolorb=-1\ncliptranslower=2\n' >"$INI"
start_and_activate
key "$MAIN_WIN" F5
check "ClipTransLower=2 turns lower case on" "#abcd00" "$(clipboard)"
close_and_wait "lower case"
check "lower case written back as 1, LF kept" \
    "$(printf '[main]\nx=150\ny=150\ncolorr=171\ncolorg=205\ncolorb=0\ncliptranslower=1\n[History]\r\n#ABCD00\r\n' | od -c)" \
    "$(od -c <"$INI")"

# A place wholly off the screen would leave the window out of reach.
crlf "[Main]" X=5000 Y=100 >"$INI"
start_and_activate
check "off-screen place: frame at 100,100" "100 100" "$(frame_origin "$MAIN_WIN")"
close_and_wait "off-screen place"

# At QT_SCALE_FACTOR=2 X and Y are still screen pixels: read, kept on the screen, and
# written back as they were; a place wholly off the screen is brought back.
for place in "300 200 300 200" "700 500 700 500" "5000 200 100 100"; do
    read -r x y shown_x shown_y <<<"$place"
    crlf "[Main]" X=$x Y=$y ColorR=0 ColorG=0 ColorB=0 ClipTransLower=0 >"$INI"
    start_app env QT_SCALE_FACTOR=2
    check "scale 2, X=$x Y=$y: frame at $shown_x,$shown_y" "$shown_x $shown_y" "$(frame_origin "$MAIN_WIN")"
    close_and_wait "scale 2, X=$x Y=$y"
    check_file "scale 2, X=$x Y=$y: written back" "[Main]" X=$shown_x Y=$shown_y ColorR=0 ColorG=0 ColorB=0 ClipTransLower=0
done

# The colours copied come back after a restart, newest first, one chosen from the
# menu is set, and the menu empties at once; in a section edited by hand the lines
# that are no code stay, and so do the [Main] keys and another section.
crlf "; mine" "[Other]" "Key=kept" "[History]" "; favourites" "garbage" "#zzzzzz" "[Main]" X=150 Y=150 \
    ColorR=0 ColorG=0 ColorB=0 ClipTransLower=0 >"$INI"
start_and_activate
key "$MAIN_WIN" F5
key "$MAIN_WIN" End
key "$MAIN_WIN" F5
key "$MAIN_WIN" F2
key "$MAIN_WIN" F5
close_and_wait "three colours copied"
check_file "three colours copied: newest first, after the lines of the hand-edited section" "; mine" "[Other]" \
    "Key=kept" "[History]" "; favourites" "garbage" "#zzzzzz" "#00FFFF" "#FF0000" "#000000" "[Main]" X=150 Y=150 \
    ColorR=0 ColorG=255 ColorB=255 ClipTransLower=0
start_and_activate
key "$MAIN_WIN" alt+c
xdotool key h Down Return
sleep 0.3
key "$MAIN_WIN" F5
check "the second colour of the menu, chosen" "#FF0000" "$(clipboard)"
key "$MAIN_WIN" alt+c
xdotool key h e
sleep 0.3
close_and_wait "the list emptied"
check_file "the list emptied: the hand-edited lines and the other sections kept" "; mine" "[Other]" "Key=kept" \
    "[History]" "; favourites" "garbage" "#zzzzzz" "[Main]" X=150 Y=150 ColorR=255 ColorG=0 ColorB=0 ClipTransLower=0

# Two copies at once keep each other's recent colours whichever closes last, on top
# of what the file holds by then: a code added by hand meanwhile stays.
for order in "A B" "B A"; do
    crlf "[Main]" "[History]" "#111111" >"$INI"
    start_copy
    A=("$APP_PID" "$MAIN_WIN")
    key "$MAIN_WIN" End
    key "$MAIN_WIN" F5
    start_copy
    B=("$APP_PID" "$MAIN_WIN")
    key "$MAIN_WIN" F2
    key "$MAIN_WIN" F5
    crlf "[Main]" "[History]" "#123456" "#111111" >"$INI"
    for copy in $order; do
        eval "APP_PID=\${$copy[0]} MAIN_WIN=\${$copy[1]}"
        close_and_wait "two copies, closed $order: $copy"
    done
    [ "$order" = "A B" ] && expected="#FFFFFF #FF0000" || expected="#FF0000 #FFFFFF"
    check "two copies, closed $order: the last one's colour first, the other's, the codes already there" \
        "$expected #123456 #111111" "$(tr -d '\r' <"$INI" | sed '1,/^\[History\]$/d' | paste -sd' ')"
done

# SIGTERM closes the window as a user would, so the settings are saved.
rm -f "$INI"
start_and_activate
key "$MAIN_WIN" End
kill -TERM "$APP_PID"
wait_app
check "SIGTERM: exit code" 0 "$APP_CODE"
check_file "SIGTERM: settings saved" "[Main]" X=100 Y=100 ColorR=255 ColorG=0 ColorB=0 ClipTransLower=0

# Also with the colour dialog open.
start_and_activate
key "$MAIN_WIN" F9
key "$MAIN_WIN" F3
check "F3 opens the colour dialog" "yes" "$(wait_second_window && echo yes)"
kill -TERM "$APP_PID"
wait_app
check "SIGTERM with a dialog open: exit code" 0 "$APP_CODE"
check_file "SIGTERM with a dialog open: saved" "[Main]" X=100 Y=100 ColorR=255 ColorG=0 ColorB=0 ClipTransLower=1

# A save killed before its end (strace sends the signal as it flushes the new file)
# leaves that file beside the old one, which stays as it was. The next save removes
# it, but not the new file of a save stopped meanwhile, which then ends as it should.
leftovers() { (cd "$APP_DIR" && ls -d vindre.ini.new-* 2>/dev/null | paste -sd' '); }
save_signalled() {
    # The leak checker stops the process's threads by tracing them, which strace
    # already does: a sanitized build checks for leaks everywhere but here.
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
        strace -qq -o /dev/null -e trace=fsync -e inject=fsync:signal="$1" "$VINDRE" >"$WORK/app.log" 2>&1 &
    APP_PID=$!
    MAIN_WIN=$(wait_window "ヴィンドレ 051113")
    key "$MAIN_WIN" "$2"
    close_by_wm "$MAIN_WIN"
}
{ crlf "[Main]"; printf ';'; head -c $((16 * 1024 * 1024 - 100)) /dev/zero | tr '\0' x; } >"$INI"
cp "$INI" "$WORK/before-kill.ini"
save_signalled SIGKILL End
wait_app
killed=$(leftovers)
check "killed save: the file as it was, the whole new one beside it" "same yes" \
    "$(cmp -s "$WORK/before-kill.ini" "$INI" && echo same) $([ -n "$killed" ] &&
        [ "$(stat -c %s "$APP_DIR/$killed")" -gt "$(stat -c %s "$INI")" ] && echo yes)"
save_signalled SIGSTOP F2
STOPPED=$APP_PID
for _ in $(seq 100); do [ "$(leftovers)" != "$killed" ] && break; sleep 0.1; done
stopped=$(leftovers | tr ' ' '\n' | grep -vxF "$killed")
start_copy
key "$MAIN_WIN" End
close_and_wait "the save after a killed one"
check "the save after a killed one: saved, the leftover gone, the stopped save's file kept" "ColorR=255 yes" \
    "$(tr -d '\r' <"$INI" | grep -x ColorR=255) $([ -n "$stopped" ] && [ "$(leftovers)" = "$stopped" ] && echo yes)"
kill -CONT "$(pgrep -P "$STOPPED")"
APP_PID=$STOPPED
wait_app
check "the stopped save, let go: ends, saved, nothing left" "0 ColorG=255 " \
    "$APP_CODE $(tr -d '\r' <"$INI" | grep -x ColorG=255) $(leftovers)"

# UTF-16 in either byte order: read, and written back in the same encoding.
utf16() {
    local order=$1
    shift
    if [ "$order" = LE ]; then printf '\xff\xfe'; else printf '\xfe\xff'; fi
    crlf "$@" | iconv -f UTF-8 -t "UTF-16$order"
}
for order in LE BE; do
    utf16 $order "; 設定" "[Main]" X=150 Y=150 ColorR=18 ColorG=52 ColorB=86 ClipTransLower=0 >"$INI"
    start_and_activate
    key "$MAIN_WIN" F5
    check "UTF-16$order: colour read" "#123456" "$(clipboard)"
    key "$MAIN_WIN" F2
    close_and_wait "UTF-16$order"
    utf16 $order "; 設定" "[Main]" X=150 Y=150 ColorR=237 ColorG=203 ColorB=169 ClipTransLower=0 \
        "[History]" "#123456" >"$WORK/expected.ini"
    check "UTF-16$order: written back in UTF-16$order" same \
        "$(cmp "$WORK/expected.ini" "$INI" >/dev/null 2>&1 && echo same || od -c "$INI" | head -5)"
done

# A link to a file not made yet, in a folder that exists: the file is made there,
# and the link stays.
mkdir "$WORK/elsewhere"
rm -f "$INI"
ln -s "$WORK/elsewhere/settings.ini" "$INI"
start_and_activate
close_and_wait "dangling link"
check "dangling link: still a link to the same place" "$WORK/elsewhere/settings.ini" "$(readlink "$INI")"
check_file "dangling link: the file it points to" "[Main]" X=100 Y=100 ColorR=0 ColorG=0 ColorB=0 ClipTransLower=0
rm -f "$INI"

# Root saving another user's file leaves it theirs.
if [ "$(id -u)" = 0 ]; then
    crlf "[Main]" X=100 Y=100 >"$INI"
    chown 65534:65534 "$INI"
    start_and_activate
    close_and_wait "another user's file"
    check "another user's file: the owner stays" "65534:65534" "$(stat -c %u:%g "$INI")"

    # A link whose target climbs out through another link: the kernel takes ".." from
    # where e leads. The file it reaches is read, keeps its owner and is replaced; the
    # root-only file that the same text names if ".." is taken as text stays as it was.
    rm -f "$INI"
    mkdir -p "$APP_DIR/n1/n2" "$APP_DIR/etc" "$WORK/etc"
    ln -s n1/n2 "$APP_DIR/e"
    ln -s e/../../etc/target "$INI"
    crlf "[Main]" X=100 Y=100 ColorR=255 >"$APP_DIR/etc/target"
    chown 65534:65534 "$APP_DIR/etc/target"
    crlf "[Secret]" Key=root-only >"$WORK/etc/target"
    chmod 600 "$WORK/etc/target"
    describe_root_only() { stat -c '%u:%g %a %s' "$1"; md5sum <"$1"; }
    before=$(describe_root_only "$WORK/etc/target")
    start_and_activate
    key "$MAIN_WIN" F5
    check "climbing link: the file the kernel reaches is read" "#FF0000" "$(clipboard)"
    close_and_wait "climbing link"
    INI=$APP_DIR/etc/target check_file "climbing link: that file saved" "[Main]" X=100 Y=100 ColorR=255 ColorG=0 \
        ColorB=0 ClipTransLower=0 "[History]" "#FF0000"
    check "climbing link: its owner stays, the root-only file is untouched" "65534:65534 $before" \
        "$(stat -c %u:%g "$APP_DIR/etc/target") $(describe_root_only "$WORK/etc/target")"
    rm -rf "$INI" "$APP_DIR/e" "$APP_DIR/n1" "$APP_DIR/etc"

    # Root does not follow a link another user made: it reads as no file, and root's
    # settings go to root's own configuration folder instead.
    ln -s "$WORK/etc/target" "$INI"
    chown -h 65534:65534 "$INI"
    start_and_activate
    key "$MAIN_WIN" F5
    check "another user's link: not followed by root" "#000000" "$(clipboard)"
    close_and_wait "another user's link"
    check "another user's link: root's settings in its own folder, the target untouched" "yes $before" \
        "$([ -f "$HOME/.config/vindre/vindre.ini" ] && echo yes) $(describe_root_only "$WORK/etc/target")"
    rm -f "$INI"
else
    echo "skip - another user's file and links: only root saves files of others"
fi

# Files that are no settings file: a FIFO, a link to an endless device, a file too
# large. The window comes up at once with the defaults; the close, refused, may end
# the program, which leaves the file alone.
describe_ini() {
    ls -l "$INI"
    if [ "$1" = large ]; then md5sum <"$INI"; fi
}
# The device is a node of the test's own, like /dev/zero: only root may make one.
kinds="fifo large"
[ "$(id -u)" = 0 ] && kinds="fifo device large" || echo "skip - device: only root makes a device node"
for kind in $kinds; do
    rm -f "$INI"
    case $kind in
        fifo) mkfifo "$INI" ;;
        device) mknod "$WORK/zero" c 1 5; ln -s "$WORK/zero" "$INI" ;;
        large) crlf "[Main]" X=150 Y=150 ColorR=255 >"$INI"; truncate -s 17M "$INI" ;;
    esac
    before=$(describe_ini "$kind")
    started=$(date +%s%N)
    start_and_activate
    check "$kind: the window comes up within a few seconds" yes \
        "$([ $(( ($(date +%s%N) - started) / 1000000 )) -lt 5000 ] && echo yes)"
    check "$kind: frame at 100,100" "100 100" "$(frame_origin "$MAIN_WIN")"
    key "$MAIN_WIN" F5
    check "$kind: black" "#000000" "$(clipboard)"
    close_by_wm "$MAIN_WIN"
    check "$kind: the close is refused" "yes" "$(wait_second_window && echo yes)"
    [ "$kind" = fifo ] && shot refused-close
    xdotool key alt+x
    wait_app
    check "$kind: ended without saving, exit code" 0 "$APP_CODE"
    check "$kind: left alone" "$before" "$(describe_ini "$kind")"
done
rm -f "$INI"

# A read-only file, for a user who may not write it (root may write anything).
if [ "$(id -u)" = 0 ]; then
    AS_USER=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
    chown nobody:nogroup "$APP_DIR"
    chmod 755 "$WORK"
else
    AS_USER=()
fi
crlf "[Main]" X=199 Y=397 ColorR=255 ColorG=128 ColorB=0 ClipTransLower=0 >"$INI"
[ "$(id -u)" = 0 ] && chown nobody:nogroup "$INI"
chmod 444 "$INI"
cp "$INI" "$WORK/read-only.ini"
"${AS_USER[@]}" "$VINDRE" >"$WORK/app.log" 2>&1 &
APP_PID=$!
MAIN_WIN=$(wait_window "ヴィンドレ 051113")
close_by_wm "$MAIN_WIN"
check "read-only file: the error box comes up" "yes" "$(wait_second_window && echo yes)"
shot read-only
check "read-only file: the main window stays" "yes" "$(xdotool search --onlyvisible --name "^ヴィンドレ 051113\$" | grep -qx "$MAIN_WIN" && echo yes)"
# The box has the focus, as a user finds it.
xdotool key Return
sleep 0.5
check "read-only file: the box is gone, the program runs" "1 running" \
    "$(xdotool search --onlyvisible --pid "$APP_PID" | wc -l) $(kill -0 "$APP_PID" && echo running)"
xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true
key "$MAIN_WIN" F5
check "read-only file: the window still works" "#FF8000" "$(clipboard)"
kill -TERM "$APP_PID"
wait_app
check "read-only file at SIGTERM: exit code" 0 "$APP_CODE"
check "read-only file at SIGTERM: said on standard error" "vindre: $INI に書き込めません" \
    "$(grep -F 'に書き込めません' "$WORK/app.log")"
check "read-only file: unchanged" same "$(cmp -s "$WORK/read-only.ini" "$INI" && echo same)"
check "read-only file: nothing left beside it" "vindre vindre.ini" "$(ls "$APP_DIR" | paste -sd' ')"

# A folder named in Shift-JIS, the program started from another folder: the file
# beside the program is read and written, and nothing else.
SJIS_DIR=$WORK/$'\x83\x94\x83B'
mkdir "$SJIS_DIR"
cp "$VINDRE" "$SJIS_DIR/vindre"
crlf "[Main]" X=150 Y=150 ColorR=255 >"$SJIS_DIR/vindre.ini"
mkdir "$WORK/elsewhere-cwd"
(cd "$WORK/elsewhere-cwd" && exec "$SJIS_DIR/vindre") >"$WORK/app.log" 2>&1 &
APP_PID=$!
start_and_activate_window
key "$MAIN_WIN" F5
check "Shift-JIS folder: the file beside the program read" "#FF0000" "$(clipboard)"
close_and_wait "Shift-JIS folder"
INI=$SJIS_DIR/vindre.ini check_file "Shift-JIS folder: written beside the program" "[Main]" X=150 Y=150 ColorR=255 \
    ColorG=0 ColorB=0 ClipTransLower=0 "[History]" "#FF0000"
check "Shift-JIS folder: nothing in the working folder" "" "$(ls -A "$WORK/elsewhere-cwd")"

# Installed where the user may not write: the file goes to ~/.config/vindre/.
INSTALLED=$WORK/installed
mkdir -m 755 "$INSTALLED" "$WORK/home"
cp "$VINDRE" "$INSTALLED/vindre"
chmod 555 "$INSTALLED"
[ "$(id -u)" = 0 ] && chown nobody:nogroup "$WORK/home"
(export HOME=$WORK/home; unset XDG_CONFIG_HOME; exec "${AS_USER[@]}" "$INSTALLED/vindre") >"$WORK/app.log" 2>&1 &
APP_PID=$!
start_and_activate_window
close_and_wait "read-only program folder"
INI=$WORK/home/.config/vindre/vindre.ini check_file "read-only program folder: saved in ~/.config/vindre" \
    "[Main]" X=100 Y=100 ColorR=0 ColorG=0 ColorB=0 ClipTransLower=0
check "read-only program folder: nothing beside the program, a private folder" "vindre 700" \
    "$(ls "$INSTALLED" | paste -sd' ') $(stat -c %a "$WORK/home/.config/vindre")"
chmod 755 "$INSTALLED"
# A read-only folder: Escape keeps the window for another try; "終了(&X)" ends the
# program without saving.
chmod 644 "$INI"
chmod 555 "$APP_DIR"
"${AS_USER[@]}" "$VINDRE" >"$WORK/app.log" 2>&1 &
APP_PID=$!
MAIN_WIN=$(wait_window "ヴィンドレ 051113")
close_by_wm "$MAIN_WIN"
check "read-only folder: the error box comes up" "yes" "$(wait_second_window && echo yes)"
xdotool key Escape
sleep 0.5
check "read-only folder: Escape keeps the window" "1 running" \
    "$(xdotool search --onlyvisible --pid "$APP_PID" | wc -l) $(kill -0 "$APP_PID" && echo running)"
close_by_wm "$MAIN_WIN"
check "read-only folder: the box again at the next close" "yes" "$(wait_second_window && echo yes)"
xdotool key alt+x
wait_app
check "read-only folder: Alt+X ends, exit code" 0 "$APP_CODE"
check "read-only folder: unchanged" same "$(cmp -s "$WORK/read-only.ini" "$INI" && echo same)"
check "read-only folder: nothing left beside it" "vindre vindre.ini" "$(ls "$APP_DIR" | paste -sd' ')"
chmod 755 "$APP_DIR"

# A place the window manager did not take stays stored as it was, but a move by the
# user afterwards is saved: metacity keeps the title bar on the screen.
stop_display
start_display metacity
crlf "[Main]" X=100 Y=-40 >"$INI"
start_app
check "metacity: a place above the screen not taken" "100 0" "$(frame_origin "$MAIN_WIN")"
xdotool windowmove "$MAIN_WIN" 300 200
sleep 0.5
close_and_wait "metacity, moved by the user"
check "metacity, moved by the user: saved there" "X=300 Y=200" "$(tr -d '\r' <"$INI" | grep -E '^[XY]=' | paste -sd' ')"

finish
