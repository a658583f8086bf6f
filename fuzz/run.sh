#!/bin/sh
# Builds the fuzz preset and runs each fuzzer, the text pipeline's and the Touchstone reader's,
# for the given number of seconds (default 60; both run at once, so the whole run takes that) on
# a copy of its seed corpus, so the repository corpora do not grow. Exits non-zero on a finding; the crashing
# input is kept in the working directory shown at the end.
#
#   fuzz/run.sh [seconds]
set -eu

seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)

cd "$root"
scripts/install-deps.sh fuzz
cmake --preset fuzz
cmake --build --preset fuzz

work=$(mktemp -d "${TMPDIR:-/tmp}/voranth-fuzz.XXXXXX")

# run NAME CORPUS MAX_LEN: the fuzzer's log goes to its folder; its closing statistics, and on a
# finding the end of its log, are printed when it is done. Fails on a finding.
run() {
  mkdir "$work/$1" "$work/$1/corpus" "$work/$1/findings"
  cp "$root/fuzz/$2"/* "$work/$1/corpus/"
  status=0
  "$root/build/fuzz/fuzz/$1" \
    -max_total_time="$seconds" -max_len="$3" -timeout=5 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$work/$1/findings/" \
    "$work/$1/corpus" >"$work/$1/log" 2>&1 || status=$?
  if [ "$status" -ne 0 ] || [ -n "$(ls -A "$work/$1/findings")" ]; then
    tail -n 60 "$work/$1/log" >&2
    echo "$1: finding(s) in $work/$1/findings" >&2
    return 1
  fi
  grep '^stat::number_of_executed_units' "$work/$1/log" || true
  echo "$1: no findings in ${seconds} s"
}

# Both at once, a core each: each still runs for the whole time.
run pipeline_fuzzer corpus 256 &
pipeline=$!
run touchstone_fuzzer corpus_touchstone 4096 &
touchstone=$!
found=0
wait "$pipeline" || found=1
wait "$touchstone" || found=1

[ "$found" -eq 0 ] || exit 1
rm -rf "$work"
