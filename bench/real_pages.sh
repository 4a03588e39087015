#!/bin/sh
# How Reelboard's lookups do on real pages: for each FOLDER (default ../shared/realweb and
# ../shared/realweb2 beside the repository) runs the real program (`reelboard --headless`) twice over a
# collection of sparse videos against a fake web that serves the saved pages of FOLDER (the movie
# databases at https addresses, every picture address a distinct picture), and prints per information
# page which values a user sees right against FOLDER/expected.json, which picture became the poster and
# how many were stored, how the databases were paced, per search page how many of its real result
# targets the lookup then requests, the share of release names whose wall title is right, and at the
# end one table with every measure per set.
# Usage: bench/real_pages.sh [-v] [-k] [-s] [FOLDER...]
#        -v also prints the values shown wrong, -k keeps the temporary folders (with the request logs),
#        -s links every information page by an https address (answered by the local TLS end point).
#        REELBOARD=path picks the program; by default the newer of build/release and build/debug.
# Everything runs in a temporary folder and on 127.0.0.1 and ends by itself (each run within 600 s).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
options=
while getopts "vks" opt; do
    case $opt in
    v) options="$options -v" ;;
    k) options="$options --keep" ;;
    s) options="$options --https" ;;
    *) echo "usage: $0 [-v] [-k] [-s] [FOLDER]" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))

if [ $# -eq 0 ]; then
    shared=$root/../shared
    # In a linked worktree, "beside the repository" means beside its main checkout.
    if [ ! -d "$shared/realweb" ] && common=$(git -C "$root" rev-parse --path-format=absolute --git-common-dir 2>/dev/null); then
        shared=$(dirname "$common")/../shared
    fi
    set -- "$shared/realweb" "$shared/realweb2"
fi
for folder in "$@"; do
    [ -f "$folder/expected.json" ] || { echo "no expected.json in $folder" >&2; exit 1; }
done

program=${REELBOARD:-}
if [ -z "$program" ]; then
    for candidate in "$root/build/release/app/reelboard" "$root/build/debug/app/reelboard"; do
        if [ -x "$candidate" ] && { [ -z "$program" ] || [ "$candidate" -nt "$program" ]; }; then
            program=$candidate
        fi
    done
fi
[ -n "$program" ] && [ -x "$program" ] || { echo "build reelboard first (cmake --preset release)" >&2; exit 1; }
# The runs start in their own temporary folder.
program=$(realpath "$program")
command -v openssl >/dev/null || apt-get install -y --no-install-recommends openssl >/dev/null

# shellcheck disable=SC2086
exec python3 "$root/bench/real_pages.py" $options --program "$program" -- "$@"
