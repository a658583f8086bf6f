#!/usr/bin/env bash
# Installs what is missing, builds the calculator (Release) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target voranth
exec build/release/app/voranth
