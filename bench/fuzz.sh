#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (the "fuzz" preset) and runs each for a while.
#
#   bench/fuzz.sh [-t SECONDS] [-r RUNS] [-j JOBS] [TARGET...]
#
# A target stops at whichever limit comes first (60 seconds when neither is given).
# TARGET is a name such as read_movie_xml (default: all). Each target runs alone, on a copy of its seed
# corpus and kept findings in $FUZZ_SCRATCH (default /tmp/reelboard-fuzz), so the corpus in the tree
# never grows; the copy is kept between runs. Prints executions and executions per second per target,
# and where any crash, leak, timeout or out-of-memory input was saved. Exits non-zero on any finding.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
limit=()
jobs=2
while getopts "t:r:j:" opt; do
  case $opt in
    t) limit+=(-max_total_time="$OPTARG") ;;
    r) limit+=(-runs="$OPTARG") ;;
    j) jobs=$OPTARG ;;
    *) echo "usage: $0 [-t SECONDS] [-r RUNS] [-j JOBS] [TARGET...]" >&2; exit 2 ;;
  esac
done
[ ${#limit[@]} -gt 0 ] || limit=(-max_total_time=60)
shift $((OPTIND - 1))

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in "$root"/tests/fuzz/*_fuzz.cpp; do
    name=$(basename "$source" _fuzz.cpp)
    targets+=("$name")
  done
fi

# Longest input per target: whole pages may be long (an information page up to 2 MB), names and
# command arguments are short.
max_len() {
  case $1 in
    title_from_file_name | decode_text) echo 4096 ;;
    edit_movie_info) echo 16384 ;;
    make_thumbnail) echo 32768 ;;
    extract_movie_info) echo 2097152 ;;
    *) echo 65536 ;;
  esac
}

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake --preset fuzz -S "$root" "${launcher[@]}" >/dev/null
cmake --build "$root/build/fuzz" -j "$jobs" --target "${targets[@]/#/fuzz_}"

# Absolute: the targets change their current directory to their own temporary folder.
scratch=$(realpath -m "${FUZZ_SCRATCH:-/tmp/reelboard-fuzz}")
# The targets write files on every run; on a disk file system each replaced file is flushed, which
# makes them twenty times slower than in memory.
if [ -z "${TMPDIR:-}" ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi
# No target keeps memory from one input to the next, and one input frees far less than 32 MB: a
# smaller quarantine still catches every use after free within an input, and spares each run the
# page faults of cycling through the default 256 MB.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:quarantine_size_mb=32}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
failed=0
printf '%-22s %14s %10s  %s\n' target executions exec/s result
for name in "${targets[@]}"; do
  work=$scratch/$name
  mkdir -p "$work/corpus" "$work/findings"
  cp -n "$root/tests/fuzz/corpus/$name"/* "$work/corpus/"
  if [ -d "$root/tests/fuzz/regressions/$name" ]; then
    cp -n "$root/tests/fuzz/regressions/$name"/* "$work/corpus/"
  fi
  log=$work/last.log
  status=0
  (cd "$work" && "$root/build/fuzz/tests/fuzz/fuzz_$name" "${limit[@]}" -max_len="$(max_len "$name")" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/findings/" "$work/corpus") >"$log" 2>&1 ||
    status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  result=ok
  if [ "$status" -ne 0 ]; then
    result="FAILED (exit $status): $(ls -t "$work/findings" | head -1), see $log"
    failed=1
  fi
  printf '%-22s %14s %10s  %s\n' "$name" "${runs:-?}" "${speed:-?}" "$result"
done
exit $failed
