#!/bin/sh
# Builds the fuzz preset and runs the pipeline fuzzer for a number of seconds (default 60) on a
# copy of the seed corpus, so the repository corpus does not grow. Exits non-zero on a finding;
# the crashing input is kept in the working directory shown at the end.
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
mkdir "$work/corpus" "$work/findings"
cp "$root"/fuzz/corpus/* "$work/corpus/"

status=0
"$root/build/fuzz/fuzz/pipeline_fuzzer" \
  -max_total_time="$seconds" -max_len=256 -timeout=5 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$work/findings/" \
  "$work/corpus" || status=$?

if [ "$status" -ne 0 ] || [ -n "$(ls -A "$work/findings")" ]; then
  echo "pipeline_fuzzer: finding(s) in $work/findings" >&2
  exit 1
fi
rm -rf "$work"
echo "pipeline_fuzzer: no findings in ${seconds} s"
