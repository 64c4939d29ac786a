#!/usr/bin/env bash
# A machine shared with others: an ordinary user made for the test, another user
# (nobody) who plants links and files where both may write, and root running the
# users' copies. Nobody's tricks reach the user's files, root's settings never land
# in the user's folders, and every close that should save saves without a box.
source "$(dirname "$0")/lib.sh"
if [ "$(id -u)" != 0 ]; then
    echo "skip - only root makes the users these checks need"
    exit 77
fi
start_display
chmod 755 "$WORK"
make_user USER_NAME "$WORK/user"
USER_HOME=$WORK/user
crlf() { printf '%s\r\n' "$@"; }

# Runs the program as the user, with the user's own HOME unless another is given
# before the program, until the window is up.
start_as_user() {
    as_user "$USER_NAME" env HOME="$USER_HOME" "$@" >"$WORK/app.log" 2>&1 &
    APP_PID=$!
    MAIN_WIN=$(wait_window "ヴィンドレ 051113")
}
# Another user's link to the user's own ~/.bashrc where the user's run keeps its
# settings: beside the user's copy in a folder like /tmp (sticky; the kernel here may
# follow it, fs.protected_symlinks=0) and in one the group may write, not sticky, which
# the kernel never guards; and in an XDG_CONFIG_HOME or a HOME of theirs (su -m).
SHARED=$WORK/tmp
mkdir -m 1777 "$SHARED"
mkdir -m 2775 "$WORK/team"
mkdir -p "$WORK/other/.config/vindre"
chown "$USER_NAME:nogroup" "$WORK/team"
for folder in "$SHARED" "$WORK/team" "$WORK/other/.config/vindre"; do
    [ "$folder" = "$WORK/other/.config/vindre" ] || as_user "$USER_NAME" cp "$VINDRE" "$folder/vindre"
    ln -s "$USER_HOME/.bashrc" "$folder/vindre.ini"
    chown -h nobody:nogroup "$folder/vindre.ini"
done
chown -R nobody:nogroup "$WORK/other"
for run in "$SHARED/vindre" "$WORK/team/vindre" "XDG_CONFIG_HOME=$WORK/other/.config $VINDRE" "HOME=$WORK/other $VINDRE"; do
    as_user "$USER_NAME" sh -c "printf 'umask 022\n' >'$USER_HOME/.bashrc'; rm -f '$USER_HOME/.config/vindre/vindre.ini'"
    start_as_user $run
    close_and_end "another user's link, ${run//$WORK\//}"
    check "another user's link, ${run//$WORK\//}: not followed, settings in the user's own folder" "umask 022 yes" \
        "$(cat "$USER_HOME/.bashrc") $(grep -q '^ColorR=0' "$USER_HOME/.config/vindre/vindre.ini" && echo yes)"
done

# Another user's file there: read neither, nor in the way of the user's own file.
rm "$SHARED/vindre.ini"
crlf "[Main]" ColorR=255 >"$SHARED/vindre.ini"
chown nobody:nogroup "$SHARED/vindre.ini"
start_as_user "$SHARED/vindre"
close_and_end "another user's file in a shared folder"
check "another user's file in a shared folder: left alone" "65534 1" \
    "$(stat -c %u "$SHARED/vindre.ini") $(grep -c 'ColorR=255' "$SHARED/vindre.ini")"

# A file root left in the user's own folder is the user's to replace.
mkdir "$USER_HOME/app"
cp "$VINDRE" "$USER_HOME/app/vindre"
crlf "[Main]" ColorR=255 >"$USER_HOME/app/vindre.ini"
chown -R "$USER_NAME:" "$USER_HOME/app/vindre" && chown "$USER_NAME:" "$USER_HOME/app"
start_as_user "$USER_HOME/app/vindre"
close_and_end "root's file in the user's folder"
check "root's file in the user's folder: replaced, now the user's" "$USER_NAME 1" \
    "$(stat -c %U "$USER_HOME/app/vindre.ini") $(grep -c '^ClipTransLower=0' "$USER_HOME/app/vindre.ini")"

# Where hard links to others' files are allowed, the user hard-links a link of root's
# (to a file only root may read) into the user's folder, and root runs the user's
# copy: root's settings go to root's own folder, the file stays as it was.
hardlinks=$(cat /proc/sys/fs/protected_hardlinks)
restore_hardlinks() { echo "$hardlinks" >/proc/sys/fs/protected_hardlinks; }
if echo 0 >/proc/sys/fs/protected_hardlinks 2>/dev/null; then
    crlf "[Secret]" Key=root-only >"$WORK/secret"
    chmod 600 "$WORK/secret"
    before=$(md5sum <"$WORK/secret")
    ln -s "$WORK/secret" "$WORK/rootlink"
    rm "$USER_HOME/app/vindre.ini"
    as_user "$USER_NAME" ln "$WORK/rootlink" "$USER_HOME/app/vindre.ini" || true
    restore_hardlinks
    VINDRE=$USER_HOME/app/vindre start_app
    close_and_end "root and a link with two names"
    check "root and a link with two names: not followed, the file untouched" "$before yes" \
        "$(md5sum <"$WORK/secret") $([ -f "$HOME/.config/vindre/vindre.ini" ] && echo yes)"
    rm "$USER_HOME/app/vindre.ini"
else
    echo "skip - root and a link with two names: fs.protected_hardlinks cannot be changed here"
fi

# An access control list on the file: kept through the save, the group no wider.
crlf "[Main]" ColorR=255 >"$APP_DIR/vindre.ini"
chmod 600 "$APP_DIR/vindre.ini"
setfacl -m "u:$USER_NAME:rw,g::---" "$APP_DIR/vindre.ini"
acl=$(getfacl -cp "$APP_DIR/vindre.ini")
start_app
close_and_end "a file with an access control list"
check "a file with an access control list: kept, the group no wider" "$acl" "$(getfacl -cp "$APP_DIR/vindre.ini")"

# Root as sudo -E leaves it: the user's HOME, no session bus, the display's key only
# in the user's ~/.Xauthority, and a vindre folder of root's left in the user's
# ~/.config by an older run, which the user swaps for one of their own once root's run
# has started. Root's settings, and the address of the bus started for it, go to
# root's own home (a folder of the test's bound over /root); the user's files stay.
stop_display
cookie=$(mcookie)
xauth -q -f "$WORK/server.auth" add :0 . "$cookie" 2>/dev/null
Xvfb -displayfd 3 -auth "$WORK/server.auth" -nolisten tcp 3>"$WORK/display.auth" 2>"$WORK/xvfb.log" &
XVFB_PID=$!
for _ in $(seq 600); do grep -q '^[0-9]' "$WORK/display.auth" 2>/dev/null && break; sleep 0.05; done
export DISPLAY=:$(head -n1 "$WORK/display.auth") XAUTHORITY=$WORK/runner.auth
xauth -q add "$DISPLAY" . "$cookie" 2>/dev/null
as_user "$USER_NAME" xauth -q -f "$USER_HOME/.Xauthority" add "$DISPLAY" . "$cookie" 2>/dev/null
rm -rf "$USER_HOME/.config/vindre" "$USER_HOME/app/vindre.ini" "$USER_HOME/.dbus"
mkdir -m 700 "$USER_HOME/.config/vindre" "$WORK/root-account"
crlf "[Main]" ColorR=1 >"$USER_HOME/.config/vindre/vindre.ini"
unshare --mount --propagation private sh -c 'mount --bind "$0" /root && exec "$@"' "$WORK/root-account" \
    env -u DBUS_SESSION_BUS_ADDRESS -u XAUTHORITY HOME="$USER_HOME" "$USER_HOME/app/vindre" >"$WORK/app.log" 2>&1 &
APP_PID=$!
MAIN_WIN=$(wait_window "ヴィンドレ 051113") || { cat "$WORK/app.log"; exit 1; }
as_user "$USER_NAME" mv "$USER_HOME/.config/vindre" "$USER_HOME/.config/vindre.old"
as_user "$USER_NAME" sh -c "mkdir '$USER_HOME/.config/vindre' && printf '[Main]\r\nColorR=7\r\n' >'$USER_HOME/.config/vindre/vindre.ini'"
kill -TERM "$APP_PID"
wait_app
check "root with the user's environment: exit code" 0 "$APP_CODE"
ini=$USER_HOME/.config/vindre/vindre.ini
check "root with the user's environment: its settings and its bus's address in root's home" "yes yes" \
    "$(grep -q '^ColorR=0' "$WORK/root-account/.config/vindre/vindre.ini" && echo yes) $([ -d "$WORK/root-account/.dbus" ] && echo yes)"
check "root with the user's environment: the user's file untouched, nothing of root's made" \
    "$(crlf "[Main]" ColorR=7) $USER_NAME none" \
    "$(cat "$ini") $(stat -c %U "$ini") $(find "$USER_HOME" -user 0 ! -path "*/vindre.old*" | grep . || echo none)"

finish
