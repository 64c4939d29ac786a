#!/usr/bin/env bash
# Runs one test program under Wine, in the session session.sh started:
#   run.sh STATE PROGRAM [ARGUMENTS...]
# Wine hands no variable whose name starts with QT_ over to Windows programs, so
# those set here (QT_QPA_PLATFORM, QT_SCALE_FACTOR ...) are set by a batch file that
# then starts the program. The program's own output reaches no pipe under Wine: it
# writes a file, shown afterwards. The exit code is the program's.
set -euo pipefail
state=${1:?usage: $0 STATE PROGRAM [ARGUMENTS...]}
shift
# shellcheck source=/dev/null
. "$state"
run=$(mktemp -d "$work/run.XXXXXX")
quoted() { local text=${1//%/%%}; printf '"%s"' "$text"; }
{
    while IFS= read -r name; do
        printf '@set %s\r\n' "$(quoted "$name=${!name}")"
    done < <(compgen -e | grep '^QT_' || true)
    printf '@%s' "$(quoted "$(winepath -w "$1")")"
    shift
    for argument in "$@"; do printf ' %s' "$(quoted "$argument")"; done
    printf ' -o %s\r\n' "$(quoted "$(winepath -w "$run/output.txt"),txt")"
    printf '@exit /b %%ERRORLEVEL%%\r\n'
} >"$run/run.bat"
code=0
wine cmd /c "$(winepath -w "$run/run.bat")" </dev/null || code=$?
cat "$run/output.txt" 2>/dev/null || echo "no output from $*"
rm -rf "$run"
exit "$code"
