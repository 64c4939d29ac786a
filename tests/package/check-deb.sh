#!/usr/bin/env bash
# Installs the Debian package on this machine, starts the program from its menu entry as
# an ordinary user, then removes and purges it and checks that nothing of it is left.
# Changes the system's packages: run it as root on a machine (or container) meant for it.
# Usage: tests/package/check-deb.sh [path/to/vindre_*.deb]   (default: scripts/package)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
[ "$(id -u)" = 0 ] || { echo "run as root: it installs and removes a package"; exit 2; }
if dpkg-query -W -f='${Status}' vindre 2>/dev/null | grep -q 'ok installed'; then
    echo "vindre is installed already; remove it first"; exit 2
fi
DEB=${1:-}
if [ -z "$DEB" ]; then
    "$ROOT/scripts/package" >/dev/null
    DEB=$(ls "$ROOT"/build-deb/vindre_*.deb)
fi
DEB=$(realpath "$DEB")

source "$ROOT/tests/e2e/lib.sh" /usr/bin/true
section() { printf '\n== %s\n' "$*"; }
# Everything outside the package manager's own records and caches.
snapshot() {
    find /usr /etc /opt /srv /var -xdev \
        \( -path /var/lib/dpkg -o -path /var/lib/apt -o -path /var/cache -o -path /var/log \
           -o -path /var/tmp -o -path /var/lib/systemd \) -prune -o -print | sort
}

section "package"
dpkg-deb --field "$DEB" Package Version Architecture Depends
section "lintian --pedantic"
lintian --pedantic "$DEB" 2>&1 | grep -v 'running with root privileges' || true
errors=$(lintian "$DEB" 2>&1 | grep -c '^E:' || true)
check "lintian: no errors" 0 "$errors"

snapshot >"$WORK/before.txt"
section "apt-get install $DEB"
DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$DEB" 2>&1 | grep -E '^(Setting up|Processing|E:|Unpacking)' || true
check "installed" "install ok installed" "$(dpkg-query -W -f='${Status}' vindre 2>&1)"
section "dpkg -L vindre"
dpkg -L vindre
check "program on the PATH" /usr/bin/vindre "$(command -v vindre)"
check "manual page found by man" /usr/share/man/man1/vindre.1.gz "$(man -w vindre 2>&1)"
DESKTOP=/usr/share/applications/com.example.Vindre.desktop
check "desktop-file-validate on the installed entry" "" "$(desktop-file-validate "$DESKTOP" 2>&1)"

section "started from the menu entry as nobody"
start_display
HOME_DIR=$WORK/home
mkdir -m 700 "$HOME_DIR" "$WORK/runtime"
chmod 755 "$WORK"
chown 65534:65534 "$HOME_DIR" "$WORK/runtime"
read -r -a EXEC <<<"$(sed -n 's/^Exec=//p' "$DESKTOP")"
echo "Exec: ${EXEC[*]}"
setpriv --reuid=65534 --regid=65534 --clear-groups -- env -u XDG_CONFIG_HOME \
    HOME="$HOME_DIR" XDG_RUNTIME_DIR="$WORK/runtime" PATH=/usr/local/bin:/usr/bin:/bin "${EXEC[@]}" >"$WORK/app.log" 2>&1 &
APP_PID=$!
MAIN_WIN=$(wait_window "ヴィンドレ 051113")
check "window of user nobody" 65534 "$(stat -c %u /proc/"$APP_PID")"
check "WM_CLASS matches StartupWMClass" "\"$(sed -n 's/^StartupWMClass=//p' "$DESKTOP")\"" \
    "$(xprop -id "$MAIN_WIN" WM_CLASS | sed 's/.*, //')"
key "$MAIN_WIN" End
close_by_wm "$MAIN_WIN"
wait_app
check "closed with exit code 0" 0 "$APP_CODE"
if [ "$APP_CODE" = running ]; then kill -KILL "$APP_PID"; wait "$APP_PID" 2>/dev/null || true; APP_PID=; fi
check "settings in ~/.config/vindre" "$(printf '[Main]\r')" \
    "$(head -n1 "$HOME_DIR/.config/vindre/vindre.ini" 2>&1)"
check "nothing written beside /usr/bin/vindre" "" "$(ls /usr/bin/vindre.ini 2>/dev/null || true)"
echo "program output:"; sed 's/^/  /' "$WORK/app.log"

section "apt-get remove vindre"
DEBIAN_FRONTEND=noninteractive apt-get remove -y -q vindre 2>&1 | grep -E '^(Removing|Processing|E:)' || true
check "no file of the package left after remove" "" \
    "$(comm -13 "$WORK/before.txt" <(snapshot))"
# dpkg, not apt: apt no longer knows a removed package that had no configuration files.
section "dpkg --purge vindre"
echo "state after remove: $(dpkg-query -W -f='${Status}' vindre 2>&1 || true)"
# What earlier versions left beside the program when root ran it goes with the purge.
printf '[Main]\r\nX=100\r\n' >/usr/bin/vindre.ini
dpkg --purge vindre
check "dpkg forgets the package" "" "$(dpkg-query -W -f='${Status}' vindre 2>/dev/null || true)"
snapshot >"$WORK/after.txt"
check "file lists before install and after purge are the same" "" "$(diff "$WORK/before.txt" "$WORK/after.txt")"

section "result"
finish
