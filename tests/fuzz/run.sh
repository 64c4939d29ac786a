#!/usr/bin/env bash
# Builds the fuzzers with clang, AddressSanitizer (with leak checks) and
# UndefinedBehaviorSanitizer in a build folder of its own, then runs one of them from
# its seeds for a bounded time. Usage: run.sh BUILD_DIR [SECONDS] [inifile | colortext].
# Exit 77: no clang here.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
BUILD=${1:?usage: $0 build-dir [seconds]}
RUN_SECONDS=${2:-30}
TARGET=${3:-inifile}

if ! command -v clang++ >/dev/null 2>&1; then
    echo "clang++ is not installed: no fuzzing"
    exit 77
fi

cmake -S "$HERE" -B "$BUILD" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD"

# New inputs go to a scratch corpus; the seeds in the repository stay as they are.
CORPUS=$(mktemp -d /tmp/vindre-fuzz.XXXXXX)
trap 'rm -rf "$CORPUS"' EXIT
cd "$BUILD"
# libFuzzer's own exit code for a finding is 77, the code that tells CTest "skipped":
# every finding must end the run as a failure instead.
status=0
./fuzz_$TARGET -max_total_time="$RUN_SECONDS" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
    -error_exitcode=1 -timeout_exitcode=1 \
    -dict="$HERE/$TARGET.dict" -print_final_stats=1 "$CORPUS" "$HERE/$TARGET-seeds" || status=$?
if [ "$status" -ne 0 ]; then
    echo "the fuzzer found a fault (exit $status); the input is in $BUILD" >&2
    exit 1
fi
