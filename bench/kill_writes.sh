#!/bin/sh
# The crash-safety tests at length.
# 1. A child process rewriting metadata files, "dirs.txt", a page, a picture and its thumbnail is
#    killed with SIGKILL at random moments ROUNDS times (default 5000), and every file is checked
#    after each kill. Prints the kill count, the time and the leftover temporaries.
# 2. A Reelboard without a window whose edits race its lookups over one library is killed at random
#    moments EDIT_ROUNDS times (default 3000); after each kill every edit it had reported saved must
#    be in the metadata files. Prints the kills, the edits saved and the edits lost (0 expected).
# Usage: bench/kill_writes.sh [ROUNDS [BUILD_DIR [EDIT_ROUNDS]]]
# Without BUILD_DIR the debug build in build/debug is used (built first if needed).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
rounds=${1:-5000}
build=${2:-"$here/../build/debug"}
edit_rounds=${3:-3000}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$here/.." -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
fi
ninja -C "$build" test_library rewrite_loop test_pipeline library_peer >/dev/null
log=$(mktemp)
cache=$(mktemp -d)
trap 'rm -f "$log"; rm -rf "$cache"' EXIT
status=0
QT_QPA_PLATFORM=offscreen REELBOARD_KILL_ROUNDS=$rounds \
    "$build/tests/test_library" --gtest_filter='CrashSafety.*' >"$log" 2>&1 || status=$?
if [ $status -eq 0 ]; then grep -E '^\[ +(crash|PASSED|OK) ' "$log"; else cat "$log"; exit $status; fi
QT_QPA_PLATFORM=offscreen REELBOARD_EDIT_KILL_ROUNDS=$edit_rounds XDG_CACHE_HOME="$cache" \
    "$build/tests/test_pipeline" --gtest_filter='SharedLibrary.NoSavedEditIsLost*' >"$log" 2>&1 || status=$?
if [ $status -eq 0 ]; then grep -E '^\[ +(kills|PASSED|OK) ' "$log"; else cat "$log"; fi
exit $status
