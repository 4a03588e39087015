#!/bin/sh
# The folder scan against `find` listing the same tree plus `cat` reading its metadata files, side by
# side in one run, on a synthetic collection (default: 10000 videos in 2000 folders among 40000 other
# files, 5000 metadata files).
# Usage: bench/scan_bench.sh [BUILD_DIR [VIDEOS FOLDERS OTHERS METADATA DEPTH]]
# Without BUILD_DIR a release build is configured in build/scan-bench.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-}
if [ -z "$build" ]; then
    build="$here/../build/scan-bench"
    cmake -S "$here/.." -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DREELBOARD_BUILD_BENCH=ON \
        -DREELBOARD_BUILD_APP=OFF -DREELBOARD_BUILD_TESTS=OFF >/dev/null
    ninja -C "$build" scan_bench reelboard >/dev/null
else
    shift
fi
build=$(cd "$build" && pwd)
bench="$build/bench/scan_bench"
reelboard="$build/app/reelboard"
[ -x "$bench" ] || { echo "build the scan_bench target first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bench" generate "$work/c" "$@"
find "$work/c" -name '*.xml' -print0 > "$work/xml.list"
echo "collection: $(find "$work/c" -type f | wc -l) files in $(find "$work/c" -type d | wc -l) folders," \
    "$(tr -cd '\0' < "$work/xml.list" | wc -c) metadata files"

now() { date +%s%N; }
ms() { echo $(( ($2 - $1) / 1000000 )); }
peak() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }

# Warm the page cache for both sides alike.
find "$work/c" >/dev/null; xargs -0 cat < "$work/xml.list" >/dev/null; "$bench" scan "$work/c" >/dev/null

# CPU seconds (user + system) of a command, children included; steadier than the clock on a busy machine.
cpu() { /usr/bin/time -f '%U %S' "$@" 2>&1 >/dev/null | tail -1 | awk '{ printf "%d", ($1 + $2) * 1000 }'; }

for round in 1 2 3 4 5; do
    t0=$(now); c_find=$(cpu find "$work/c"); t1=$(now)
    c_cat=$(cpu xargs -0 -a "$work/xml.list" cat); t2=$(now)
    c_scan=$(cpu "$bench" scan "$work/c"); t3=$(now)
    base=$(( $(ms $t0 $t1) + $(ms $t1 $t2) ))
    echo "round $round: find $(ms $t0 $t1) ms + cat $(ms $t1 $t2) ms = $base ms; scan $(ms $t2 $t3) ms" \
        "($(awk "BEGIN { printf \"%.2f\", $(ms $t2 $t3) / $base }")x);" \
        "CPU: find + cat $((c_find + c_cat)) ms, scan $c_scan ms"
done
echo "peak memory of the scan: $(peak "$bench" scan "$work/c") KB"

# Optionally (SCAN_BENCH_HEADLESS=1), and last, since its later stages may write metadata files into
# the collection: the whole headless run, every web request sent to a closed local port. It includes
# the wall page and the lookup stages, so it is no measure of the scan.
if [ "${SCAN_BENCH_HEADLESS:-0}" = 1 ]; then
    mkdir "$work/run"
    printf '\377\376' > "$work/run/dirs.txt"
    printf '%s\r\n' "$work/c" | iconv -f UTF-8 -t UTF-16LE >> "$work/run/dirs.txt"
    t0=$(now)
    memory=$(cd "$work/run" && http_proxy=http://127.0.0.1:9 https_proxy=http://127.0.0.1:9 HOME="$work/run" \
        peak "$reelboard" --headless)
    t1=$(now)
    echo "headless run: $(ms $t0 $t1) ms, peak memory $memory KB"
fi
