#!/bin/sh
# The wall of COUNT movies (10,000 by default), every one with a poster and its thumbnail, in the real
# window on the offscreen platform. Each run prints, from the navigation to "menu.html": the time until
# the first posters in view have their pictures (first_posters_ms) and until the page has loaded
# (load_ms); the time from the library being ready until then (ready_to_loaded_ms, which adds the start
# page and the wall page build); the memory of the program with all the browser's processes (rss_mb
# counts shared pages in every process, pss_mb divides them; pss_after_scroll_mb once more after the
# scroll); then a scroll to the end and back to the top: how long until every poster in view had its
# picture, and how many were still missing after 20 s (end_missing, top_missing; 0 is right); then a
# switch to the 年代 order: from the click until the new page's first posters are in view
# (sort_first_posters_ms). Each line begins with the machine's load average, as the machine is shared.
# Goals: first_posters_ms under 1000, load_ms under 1500, sort_first_posters_ms under 1000, pss_mb
# under 400, no poster missing.
#   bench/window_wall.sh [BUILD_DIR] [COUNT] [RUNS]      (defaults: build/release 10000 3)
set -eu
build=$(realpath "${1:-build/release}")
count=${2:-10000}
runs=${3:-3}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "making $count movies in $work" >&2
"$build/app/reelboard_demo_library" "$work" "$count" >/dev/null
mkdir -p "$work/home"
cd "$work"
i=0
while [ "$i" -lt "$runs" ]; do
    i=$((i + 1))
    rm -f wall_choice.txt # each run starts in scan order
    HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CACHE_HOME="$work/home/cache" \
    XDG_CONFIG_HOME="$work/home/config" http_proxy=http://127.0.0.1:9 https_proxy=http://127.0.0.1:9 no_proxy= \
    QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 \
        "$build/app/reelboard" --bench-wall 2>/dev/null | grep '^wall_loaded=' | sed "s/^/load=$(cut -d' ' -f1 /proc/loadavg) /"
done
