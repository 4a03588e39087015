#!/bin/sh
# A whole batch run (`reelboard --headless`, stages 1 to 7) over 10,000 movies that all have their
# metadata already: no lookup runs, every movie goes through the poster workers (whose image hosts are
# unreachable: the proxy points at a closed local port, so nothing leaves the machine), the update
# check fails, and the wall is written three times. Reports the time from start to exit and the peak
# memory.
# Usage: bench/pipeline_headless.sh BUILD_DIR [VIDEOS]
#        (a release build with -DREELBOARD_BUILD_BENCH=ON; builds scan_bench and reelboard)
set -eu
build=$(cd "${1:?usage: pipeline_headless.sh BUILD_DIR [VIDEOS]}" && pwd)
videos=${2:-10000}
reelboard="$build/app/reelboard"
generator="$build/bench/scan_bench"
for tool in "$reelboard" "$generator"; do
    [ -x "$tool" ] || { echo "build the reelboard and scan_bench targets first" >&2; exit 1; }
done

[ -x /usr/bin/time ] || apt-get install -y --no-install-recommends time >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# VIDEOS videos in VIDEOS/5 folders among 4 x VIDEOS other files, every one with a metadata file.
"$generator" generate "$work/collection" "$videos" $((videos / 5)) $((videos * 4)) "$videos" 3
mkdir "$work/run"
printf '%s\n' "$work/collection" | iconv -f UTF-8 -t UTF-16LE > "$work/run/dirs.txt"

cd "$work/run"
for round in 1 2; do
    rm -f menu.html
    start=$(date +%s%N)
    env http_proxy=http://127.0.0.1:9 https_proxy=http://127.0.0.1:9 no_proxy= HOME="$work" \
        /usr/bin/time -f '%M' -o "$work/peak" "$reelboard" --headless 2>"$work/status"
    end=$(date +%s%N)
    lines=$(wc -l <"$work/status")
    echo "round $round: $videos movies, $(( (end - start) / 1000000 )) ms from start to exit," \
         "peak memory $(( $(tail -n 1 "$work/peak") / 1024 )) MB, $lines status lines," \
         "menu.html $(( $(stat -c %s menu.html) / 1024 )) KB"
done
