#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs every test.
#   scripts/test.sh               the Release build (the default)
#   scripts/test.sh debug asan    any of the presets release, debug, asan
# VORANTH_WERROR=ON turns compiler warnings into errors.
set -euo pipefail
cd "$(dirname "$0")/.."
presets=("$@")
[[ ${#presets[@]} -eq 0 ]] && presets=(release)
# The sanitizers' build is clang's, with its sanitizer runtimes (the fuzzers' packages).
groups=(test)
[[ " ${presets[*]} " == *" asan "* ]] && groups+=(fuzz)
scripts/install-deps.sh "${groups[@]}"

for preset in "${presets[@]}"; do
  echo "== $preset"
  cmake --preset "$preset" -DVORANTH_WERROR="${VORANTH_WERROR:-OFF}" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
  QT_QPA_PLATFORM=offscreen ctest --preset "$preset" -j "$(nproc)"
done
