#!/usr/bin/env bash
# Makes a fresh Wine prefix for the tests: prefix.sh PREFIX [WIDTHxHEIGHT]
# Without Mono and Gecko, which Wine would offer to download. Windows has the
# interface face "ＭＳ Ｐゴシック" and Wine has not: Wine's font replacement draws
# it with IPAPGothic. With a size, programs run on a desktop of Wine's own, where
# Wine draws and places the windows itself, as Windows does, and no X window manager
# stands in between.
set -euo pipefail
export WINEPREFIX=${1:?usage: $0 PREFIX [WIDTHxHEIGHT]}
desktop=${2:-}
export WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
wineboot -i </dev/null >"$WINEPREFIX.log" 2>&1
registry=$WINEPREFIX/vindre-tests.reg
{
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    printf '"ＭＳ Ｐゴシック"="IPAPGothic"\r\n"MS PGothic"="IPAPGothic"\r\n\r\n'
    if [ -n "$desktop" ]; then
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Default"="%s"\r\n' "$desktop"
    fi
} | iconv -f UTF-8 -t UTF-16 >"$registry"
wine regedit /S "$(winepath -w "$registry")" </dev/null >>"$WINEPREFIX.log" 2>&1
rm -f "$registry"
