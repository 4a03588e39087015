#!/bin/sh
# The crash-safety test at length: a child process rewriting metadata files, "dirs.txt", a page, a
# picture and its thumbnail is killed with SIGKILL at random moments ROUNDS times (default 5000), and
# every file is checked after each kill. Prints the kill count, the time and the leftover temporaries.
# Usage: bench/kill_writes.sh [ROUNDS [BUILD_DIR]]
# Without BUILD_DIR the debug build in build/debug is used (built first if needed).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
rounds=${1:-5000}
build=${2:-"$here/../build/debug"}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$here/.." -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
fi
ninja -C "$build" test_library rewrite_loop >/dev/null
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
QT_QPA_PLATFORM=offscreen REELBOARD_KILL_ROUNDS=$rounds \
    "$build/tests/test_library" --gtest_filter='CrashSafety.*' >"$log" 2>&1 || status=$?
if [ $status -eq 0 ]; then grep -E '^\[ +(crash|PASSED|OK) ' "$log"; else cat "$log"; fi
exit $status
