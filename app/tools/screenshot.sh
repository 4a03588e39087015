#!/bin/sh
# Makes the README's screenshots: the real window over a made-up library of 24 movies, on the offscreen
# platform, saved by the program itself once the wall has loaded, then the film page of its first movie
# (OUTPUT with "-film" before its extension).
#   app/tools/screenshot.sh [BUILD_DIR] [OUTPUT]      (defaults: build/release, docs/screenshot.png)
set -eu
build=$(realpath "${1:-build/release}")
output=${2:-docs/screenshot.png}
mkdir -p "$(dirname "$output")"
output=$(realpath "$output")
film="${output%.png}-film.png"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/app/reelboard_demo_library" "$work" 24 >/dev/null
mkdir -p "$work/home"
cd "$work"
# A home of its own, and a proxy nobody answers: the run touches neither the user's files nor the web.
HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CACHE_HOME="$work/home/cache" \
XDG_CONFIG_HOME="$work/home/config" http_proxy=http://127.0.0.1:9 https_proxy=http://127.0.0.1:9 no_proxy= \
QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 \
    "$build/app/reelboard" --screenshot "$output" --screenshot-film "$film" >/dev/null 2>&1
test -s "$output"
test -s "$film"
echo "$output"
echo "$film"
