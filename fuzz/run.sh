#!/bin/sh
# Builds the fuzz preset and runs each fuzzer, the text pipeline's and the Touchstone reader's,
# for the given number of seconds (default 60; the whole run takes twice that) on a copy of its
# seed corpus, so the repository corpora do not grow. Exits non-zero on a finding; the crashing
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
found=0

# run NAME CORPUS MAX_LEN
run() {
  mkdir "$work/$1" "$work/$1/corpus" "$work/$1/findings"
  cp "$root/fuzz/$2"/* "$work/$1/corpus/"
  status=0
  "$root/build/fuzz/fuzz/$1" \
    -max_total_time="$seconds" -max_len="$3" -timeout=5 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$work/$1/findings/" \
    "$work/$1/corpus" || status=$?
  if [ "$status" -ne 0 ] || [ -n "$(ls -A "$work/$1/findings")" ]; then
    echo "$1: finding(s) in $work/$1/findings" >&2
    found=1
  else
    echo "$1: no findings in ${seconds} s"
  fi
}

run pipeline_fuzzer corpus 256
run touchstone_fuzzer corpus_touchstone 4096

[ "$found" -eq 0 ] || exit 1
rm -rf "$work"
