#!/usr/bin/env bash
# Installs the Debian packages that a task needs, where any is missing; uses sudo when not run as
# root. Each command installs only its own group:
#
#   scripts/install-deps.sh [GROUP...]        (no group: all)
#
#   build     compiler, CMake, Qt and fonts: building and running the program (scripts/start.sh)
#   test      build, Google Test and the locale sources that the tests need (scripts/test.sh)
#   bench     build and Google Benchmark (the benchmarks, VORANTH_BENCH=ON)
#   fuzz      clang with libFuzzer and the sanitizer runtimes (fuzz/run.sh, the asan preset)
#   package   build and the tools that make and check the Debian package, lintian among them
#             (scripts/check-package.sh)
#   lint      clang-format and shellcheck
#   docs      build, and the tools that take the pictures in docs/: an X server to run the
#             window in, xdotool to drive it, ImageMagick to capture it, rsvg-convert for plots,
#             Qt's GTK platform theme for the dark scheme
#   all       every group (.ci/run)
#
# Written for Debian 12; the README says which other releases should do. A name written "a|b"
# below takes the first of the alternatives that the release has.
set -euo pipefail

usage() {
  echo "usage: $0 [build|test|bench|fuzz|package|lint|docs|all]..." >&2
  exit 2
}

build=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  # the faces that stand in for the windows' fonts
  fonts-dejavu-core "fonts-liberation2|fonts-liberation")
# Debian's GTest package config names the gmock libraries too, so find_package(GTest) needs them.
test=(libgtest-dev libgmock-dev
  # the linker of the test programs
  lld
  # glibc's locale sources, for the test that the conversions ignore the locale
  locales
  # the URW fonts that stand in for Arial and Symbol where Liberation is missing, for the tests
  # of the windows on such desktops
  fonts-urw-base35
  # the screen-reader test: an X server, a session bus, the AT-SPI buses and client library, and
  # tools to press keys and read the clipboard
  xvfb xauth dbus-daemon at-spi2-core python3-pyatspi xdotool xclip
  # the check of the two-port between source and load against scikit-rf
  python3-scikit-rf)
bench=(libbenchmark-dev)
fuzz=(cmake ninja-build clang)
# with an X server, to read the window class of the installed program
package=(dpkg-dev file desktop-file-utils appstream xvfb xauth x11-utils lintian)
lint=(clang-format shellcheck)
docs=(xvfb xauth x11-utils xdotool imagemagick librsvg2-bin qt6-gtk-platformtheme)

packages=()
fuzzing=false
(( $# )) || set -- all
for group in "$@"; do
  case $group in
    build) packages+=("${build[@]}") ;;
    test) packages+=("${build[@]}" "${test[@]}") ;;
    bench) packages+=("${build[@]}" "${bench[@]}") ;;
    fuzz) packages+=("${fuzz[@]}"); fuzzing=true ;;
    package) packages+=("${build[@]}" "${package[@]}") ;;
    lint) packages+=("${lint[@]}") ;;
    docs) packages+=("${build[@]}" "${docs[@]}") ;;
    all)
      packages+=("${build[@]}" "${test[@]}" "${bench[@]}" "${fuzz[@]}" "${package[@]}" "${lint[@]}"
        "${docs[@]}")
      fuzzing=true
      ;;
    *) usage ;;
  esac
done

sudo=()
(( $(id -u) == 0 )) || sudo=(sudo)
lists_updated=false

# While another apt or dpkg holds the package lock (an unattended upgrade, another build), apt
# waits for it, up to five minutes, rather than failing at once.
apt_get() {
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 "$@"
}
# Says so before a command that may have to wait: when a lock on one of apt's lock files is held
# (Linux's /proc/locks lists every lock with its file's device and inode).
say_if_locked() {
  local file inode
  for file in /var/lib/dpkg/lock-frontend /var/lib/dpkg/lock /var/lib/apt/lists/lock; do
    inode=$(stat -c %i "$file" 2>/dev/null) || continue
    if awk -v inode="$inode" '{ split($6, id, ":"); if (id[3] == inode) found = 1 } END { exit !found }' \
         /proc/locks 2>/dev/null; then
      echo "Waiting for another package manager to release $file (up to 5 minutes)..."
      return
    fi
  done
}

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
update_lists() {
  if ! $lists_updated; then
    say_if_locked
    apt_get update -qq
    lists_updated=true
  fi
}
known() { apt-cache show "$1" >/dev/null 2>&1; }

# Installs each of the given names that is missing.
install_missing() {
  local name choice alternative
  local -a alternatives
  local missing=()
  for name in "$@"; do
    choice=""
    IFS='|' read -r -a alternatives <<<"$name"
    for alternative in "${alternatives[@]}"; do
      if installed "$alternative"; then choice=installed; break; fi
    done
    [[ $choice == installed ]] && continue
    if (( ${#alternatives[@]} > 1 )); then
      update_lists
      for alternative in "${alternatives[@]}"; do
        if known "$alternative"; then choice=$alternative; break; fi
      done
    fi
    missing+=("${choice:-${alternatives[0]}}")
  done
  (( ${#missing[@]} )) || return 0
  # The same package may be named by several groups.
  mapfile -t missing < <(printf '%s\n' "${missing[@]}" | sort -u)
  echo "Installing: ${missing[*]}"
  update_lists
  say_if_locked
  apt_get install -y -qq --no-install-recommends "${missing[@]}"
}

install_missing "${packages[@]}"

# libFuzzer and the sanitizer runtimes belong to the installed clang's version N. A release that
# has the package libclang-rt-N-dev ships them there; an older one in libclang-common-N-dev,
# which clang itself pulls in.
if $fuzzing; then
  version=$(clang -dumpversion)
  runtime=libclang-rt-${version%%.*}-dev
  if ! installed "$runtime"; then
    known "$runtime" || update_lists
    if known "$runtime"; then install_missing "$runtime"; fi
  fi
fi
