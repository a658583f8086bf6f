#!/usr/bin/env bash
# Installs the Debian packages needed to build, test and run the calculator, if any is missing.
# Works on a fresh Debian 12 / Ubuntu machine; uses sudo when not run as root.
set -euo pipefail

packages=(
  # compilers and build tools
  g++ cmake make pkg-config clang libclang-rt-14-dev clang-format
  # Qt 6 Widgets and SVG
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # fonts the windows fall back to, and the URW fonts that stand in for Arial and Symbol where
  # Liberation is missing (for the tests on such desktops)
  fonts-dejavu-core fonts-liberation2 fonts-urw-base35
  # packaging checks, with an X server for the window class
  dpkg-dev file desktop-file-utils appstream xvfb xauth x11-utils
  # glibc locale sources, for the test that the conversions ignore the locale
  locales
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
