#!/bin/sh
# How Reelboard's lookups do on real pages: runs the real program (`reelboard --headless`) twice over a
# collection of sparse videos against a fake web that serves the saved pages of FOLDER (default
# ../shared/realweb beside the repository), and prints per information page which values a user sees
# right against FOLDER/expected.json, per search page how many of its real result targets the lookup
# then requests, and the share of release names whose wall title is right.
# Usage: bench/real_pages.sh [-v] [-k] [-s] [FOLDER]
#        -v also prints the values shown wrong, -k keeps the temporary folder (with the request log),
#        -s links the information pages by https addresses (answered by the local TLS end point).
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

folder=${1:-}
if [ -z "$folder" ]; then
    folder=$root/../shared/realweb
    # In a linked worktree, "beside the repository" means beside its main checkout.
    if [ ! -d "$folder" ] && common=$(git -C "$root" rev-parse --path-format=absolute --git-common-dir 2>/dev/null); then
        folder=$(dirname "$common")/../shared/realweb
    fi
fi
[ -f "$folder/expected.json" ] || { echo "no expected.json in $folder" >&2; exit 1; }

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
exec python3 "$root/bench/real_pages.py" $options --pages "$(cd "$folder" && pwd)" --program "$program"
