#!/usr/bin/env bash
# Installs what is missing, builds the calculator (Release) and starts it. Builds the program
# only: neither the tests nor the benchmarks, nor what they need.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build
cmake --preset release -DVORANTH_TESTS=OFF >/dev/null
cmake --build --preset release -j "$(nproc)" --target voranth
exec build/release/app/voranth
