#!/bin/sh
# First runs of the lookups without a window (stages 5 to 7 and the last wall, in one process) over
# new movies that have no metadata yet: COUNT lookups that find nothing (the local web answers 404),
# the same with the web unreachable (the proxy is a closed local port), and a first run over NEW
# movies whose lookups all find a page and a poster on the local web. Each line begins with the
# machine's load average, as the machine is shared.
# Goals: the COUNT lookups that find nothing in under 60 s; the first run growing linearly.
#   bench/first_run.sh [BUILD_DIR] [COUNT] [NEW]     (defaults: build/release 5000 10000; a release
#                                                    build with -DREELBOARD_BUILD_BENCH=ON)
set -eu
build=$(realpath "${1:-build/release}")
count=${2:-5000}
new=${3:-10000}
bench="$build/bench/web_first_run_bench"
[ -x "$bench" ] || { echo "build the web_first_run_bench target first" >&2; exit 1; }
for run in "nothing $count" "unreachable $count" "found $new"; do
    # shellcheck disable=SC2086
    echo "load=$(cut -d' ' -f1 /proc/loadavg) $("$bench" $run 2>/dev/null)"
done
