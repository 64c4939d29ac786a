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

# Runs the program as the user, with the user's own HOME, until the window is up.
start_as_user() {
    as_user "$USER_NAME" env HOME="$USER_HOME" "$1" >"$WORK/app.log" 2>&1 &
    APP_PID=$!
    MAIN_WIN=$(wait_window "ヴィンドレ 051113")
}
# A folder like /tmp: the user's copy there, and another user's link in it to the
# user's own ~/.bashrc. The kernel here may follow it (fs.protected_symlinks=0); the
# program does not.
SHARED=$WORK/tmp
mkdir -m 1777 "$SHARED"
as_user "$USER_NAME" cp "$VINDRE" "$SHARED/vindre"
as_user "$USER_NAME" sh -c "printf 'umask 022\n' >'$USER_HOME/.bashrc'"
ln -s "$USER_HOME/.bashrc" "$SHARED/vindre.ini"
chown -h nobody:nogroup "$SHARED/vindre.ini"
start_as_user "$SHARED/vindre"
close_and_end "a link planted in a shared folder"
check "a link planted in a shared folder: not followed, settings in the user's own folder" \
    "umask 022 yes" "$(cat "$USER_HOME/.bashrc") $(grep -q '^ColorR=0' "$USER_HOME/.config/vindre/vindre.ini" && echo yes)"

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

finish
