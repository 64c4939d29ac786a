#!/usr/bin/env bash
# Runs one test program under Wine, in the session session.sh started:
#   run.sh STATE PROGRAM [ARGUMENTS...]
# The program's own output reaches no pipe under Wine, so it writes a file, which is
# shown afterwards; the exit code is the program's.
set -euo pipefail
state=${1:?usage: $0 STATE PROGRAM [ARGUMENTS...]}
shift
# shellcheck source=/dev/null
. "$state"
out=$(mktemp "$work/output.XXXXXX")
code=0
wine "$@" -o "$(winepath -w "$out"),txt" </dev/null || code=$?
cat "$out"
rm -f "$out"
exit "$code"
