#!/usr/bin/env bash
# Shows that the Touchstone reader streams: a synthetic 2-port sweep of GB gigabytes (default 2)
# is written through a named pipe in /tmp (so nothing lands on the disk) and read by the reader
# opening it by name, as the command-line calculator opens a file. The peak memory of the
# reading process must be that of reading a small file, give or take 2 MiB.
#
#   scripts/check-touchstone-memory.sh BUILD_DIR [GB]
#
# BUILD_DIR is a build directory configured with VORANTH_BENCH=ON, such as build/release after
# `cmake --preset release -DVORANTH_BENCH=ON`; the driver bench/touchstone_stream is built there
# if needed. Not part of the tests: the large
# run takes a minute or so.
set -euo pipefail

if (( $# < 1 || $# > 2 )); then
  echo "usage: $0 BUILD_DIR [GB]" >&2
  exit 2
fi
build=$1
gigabytes=${2:-2}
(( gigabytes >= 1 )) || { echo "GB must be a whole number of 1 or more" >&2; exit 2; }
cmake --build "$build" --target touchstone_stream >/dev/null
driver=$build/bench/touchstone_stream

scratch=$(mktemp -d /tmp/voranth-touchstone.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
mkfifo "$scratch/sweep.s2p"

# Reads POINTS generated points through the pipe; prints the driver's report.
run() {
  "$driver" generate "$1" MA >"$scratch/sweep.s2p" &
  local status=0
  "$driver" read sweep.s2p 2 "$scratch/sweep.s2p" || status=$?
  wait $! && return $status
}
peak() { sed -n 's/^peak RSS \([0-9]*\) KiB$/\1/p'; }

small_points=10000
bytes_per_point=$(( $("$driver" generate "$small_points" MA | wc -c) / small_points ))
large_points=$(( gigabytes * 1024 * 1024 * 1024 / bytes_per_point ))

small=$(run "$small_points")
echo "small: $small"
start=$(date +%s%N)
large=$(run "$large_points")
milliseconds=$(( ($(date +%s%N) - start) / 1000000 ))
echo "large (${gigabytes} GiB, ${large_points} points, ${milliseconds} ms): $large"

small_kib=$(echo "$small" | peak)
large_kib=$(echo "$large" | peak)
if (( large_kib > small_kib + 2048 )); then
  echo "FAIL: peak memory grew from ${small_kib} KiB to ${large_kib} KiB" >&2
  exit 1
fi
echo "ok: peak memory ${large_kib} KiB for ${gigabytes} GiB, ${small_kib} KiB for a small file"
