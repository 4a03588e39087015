#!/bin/sh
# The second start over a read-only library whose information is kept in the local store, against the
# same scan over the writable library with the metadata files beside the videos (the figure of
# bench/scan_bench.sh), and the requests a headless second start over the read-only library sends to
# the web (the update check aside; every poster is kept too). Default: 10000 videos, all with
# information, in 2000 folders among 40000 other files.
# Usage: bench/read_only_scan.sh [BUILD_DIR [VIDEOS FOLDERS OTHERS]]
# Without BUILD_DIR the release build of bench/scan_bench.sh (build/scan-bench) is used. Root makes
# the library read-only with a bind mount; anyone else by taking the write permission away.
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
videos=${1:-10000}
folders=${2:-2000}
others=${3:-40000}
build=$(cd "$build" && pwd)
bench="$build/bench/scan_bench"
reelboard="$build/app/reelboard"

work=$(mktemp -d)
mounted=0
cleanup() {
    [ $mounted -eq 1 ] && umount "$work/ro"
    [ -n "${server:-}" ] && kill "$server" 2>/dev/null
    chmod -R u+w "$work"
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_CACHE_HOME="$work/cache"
"$bench" generate "$work/c" "$videos" "$folders" "$others" "$videos" 3

# The median of five scans, in ms, after one to warm the page cache.
scans() {
    "$bench" scan "$1" >/dev/null
    for round in 1 2 3 4 5; do "$bench" scan "$1" | sed 's/.*, \([0-9]*\) ms,.*/\1/'; done | sort -n | sed -n 3p
}
writable=$(scans "$work/c")

view="$work/c"
if [ "$(id -u)" -eq 0 ]; then
    mkdir "$work/ro"
    mount --bind "$work/c" "$work/ro" && mounted=1 && mount -o remount,bind,ro "$work/ro"
    view="$work/ro"
fi
"$bench" to-store "$view" "$work/c"
[ $mounted -eq 1 ] || chmod -R a-w "$work/c"
if touch "$view/probe" 2>/dev/null; then echo "could not make the library read-only" >&2; exit 1; fi
readonly=$(scans "$view")
echo "scan of $videos videos: writable with metadata beside them $writable ms," \
    "read-only with it in the local store $readonly ms" \
    "($(awk "BEGIN { printf \"%.2f\", $readonly / $writable }")x)"

# A local web that counts what it is asked, answering 404 to everything.
python3 - "$work/port" "$work/requests" <<'PY' &
import socket, sys
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(64)
open(sys.argv[1], "w").write(str(s.getsockname()[1]))
asked = 0
open(sys.argv[2], "w").write("0")
while True:
    c, _ = s.accept()
    data = c.recv(65536)
    if b"update.reelboard.invalid" not in data:
        asked += 1
        open(sys.argv[2], "w").write(str(asked))
    c.sendall(b"HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n")
    c.close()
PY
server=$!
while [ ! -s "$work/port" ]; do sleep 0.1; done
proxy="http://127.0.0.1:$(cat "$work/port")"
mkdir "$work/run"
printf '\377\376' > "$work/run/dirs.txt"
printf '%s\r\n' "$view" | iconv -f UTF-8 -t UTF-16LE >> "$work/run/dirs.txt"
t0=$(date +%s%N)
(cd "$work/run" && http_proxy=$proxy https_proxy=$proxy HOME="$work/run" "$reelboard" --headless 2>/dev/null)
t1=$(date +%s%N)
echo "headless second start over the read-only library: $(( (t1 - t0) / 1000000 )) ms," \
    "$(cat "$work/requests") requests to the web besides the update check"
