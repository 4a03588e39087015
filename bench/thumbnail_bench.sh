#!/bin/sh
# Thumbnails of 200 posters of 1000 x 1500 pixels: ours (one by one, and shared among the cores as
# a wall build does) against vipsthumbnail at the same box and quality, on copies of the same files.
# Usage: bench/thumbnail_bench.sh BUILD_DIR   (a release build with -DREELBOARD_BUILD_BENCH=ON)
set -eu
build=${1:?usage: thumbnail_bench.sh BUILD_DIR}
bench="$build/bench/thumbnail_bench"
[ -x "$bench" ] || { echo "build the thumbnail_bench target first" >&2; exit 1; }
if ! command -v vipsthumbnail >/dev/null 2>&1; then
    apt-get install -y --no-install-recommends libvips-tools >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bench" generate "$work/posters" 200
for copy in vips ours parallel; do
    cp -r "$work/posters" "$work/$copy"
done
sync

now() { date +%s%N; }
ms() { echo $(( ($2 - $1) / 1000000 )); }

for round in 1 2 3; do
    rm -f "$work"/vips/*.thumb.jpg "$work"/ours/*.thumb.jpg "$work"/parallel/*.thumb.jpg
    t0=$(now); (cd "$work/vips" && vipsthumbnail --size 117x165 -o '%s.thumb.jpg[Q=90]' poster*.jpg); t1=$(now)
    "$bench" make "$work/ours" >/dev/null; t2=$(now)
    "$bench" make "$work/parallel" parallel >/dev/null; t3=$(now)
    echo "round $round: vipsthumbnail $(ms $t0 $t1) ms, ours one by one $(ms $t1 $t2) ms, ours on every core $(ms $t2 $t3) ms"
done
echo "thumbnails: $(ls "$work"/vips/*.thumb.jpg | wc -l) (vips), $(ls "$work"/ours/*.thumb.jpg | wc -l) (ours)"
