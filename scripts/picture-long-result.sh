#!/bin/sh
# Takes docs/long-result.png: the main window after a Calculate with a source impedance too long
# for its box (shown in its compact form) and an unbounded mismatch loss, with the impedance's
# tooltip open. Runs the window on its own X server; needs the docs group of
# scripts/install-deps.sh and a release build.
#
#   scripts/picture-long-result.sh [BUILD_DIR]      (default build/release)
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}

if [ -z "${VORANTH_PICTURE_DISPLAY:-}" ]; then
  exec env VORANTH_PICTURE_DISPLAY=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build"
fi

# The window's client area opens at (108, 126) on a screen large enough for it.
x=108
y=126
"$build/app/voranth" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
until xdotool search --name Voranth >/dev/null 2>&1; do sleep 0.2; done
sleep 1

click() {
  xdotool mousemove --sync $((x + $1)) $((y + $2))
  sleep 0.2
  xdotool mousedown 1
  sleep 0.1
  xdotool mouseup 1
  sleep 0.2
}
# Into the box whose centre is at (column, row) of the client area.
enter() {
  click "$1" "$2"
  xdotool key ctrl+a
  xdotool type --delay 30 "$3"
}

enter 404 132 50      # Z0
enter 264 180 0.99999 # ΓS
enter 344 172 0
enter 512 180 1       # ΓL
enter 592 172 90
click 404 452         # Calculate
# Rest on the source resistance until its tooltip shows.
xdotool mousemove $((x + 240)) $((y + 232))
sleep 0.3
xdotool mousemove $((x + 241)) $((y + 233))
sleep 2

shot=$(mktemp "${TMPDIR:-/tmp}/voranth-picture.XXXXXX.png")
import -window root "$shot"
convert "$shot" -crop "812x541+$x+$y" +repage "$root/docs/long-result.png"
rm -f "$shot"
echo "wrote $root/docs/long-result.png"
