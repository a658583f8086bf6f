#!/bin/sh
# Takes docs/details-light.png, docs/details-dark.png and docs/details-150.png: the details window
# (Ctrl+I) after a Calculate, under the light colours, under GTK's Adwaita dark scheme and at
# 150 % scale. Runs the program on its own X server each time; needs the docs group of
# scripts/install-deps.sh and a release build.
#
#   scripts/picture-details.sh [BUILD_DIR]      (default build/release)
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}

if [ -z "${VORANTH_PICTURE_DISPLAY:-}" ]; then
  for look in light dark 150; do
    env VORANTH_PICTURE_DISPLAY="$look" xvfb-run -a -s "-screen 0 1920x1200x24" "$0" "$build"
  done
  exit 0
fi

look=$VORANTH_PICTURE_DISPLAY
case $look in
  dark) export QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark ;;
  150) export QT_SCALE_FACTOR=1.5 ;;
esac

"$build/app/voranth" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
until xdotool search --onlyvisible --name '^Voranth$' >/dev/null 2>&1; do sleep 0.2; done
sleep 1
window=$(xdotool search --onlyvisible --name '^Voranth$' | head -n 1)
xdotool windowfocus --sync "$window"

# From Z0 through the four boxes of ΓS and ΓL, then Calculate, then the details.
for value in 0.5 30 0.3 -70; do
  xdotool key Tab ctrl+a
  xdotool type --delay 30 -- "$value"
done
xdotool key Tab space
sleep 0.5
xdotool key ctrl+i
until xdotool search --onlyvisible --name 'details' >/dev/null 2>&1; do sleep 0.2; done
sleep 1

import -window "$(xdotool search --onlyvisible --name 'details' | head -n 1)" \
  "$root/docs/details-$look.png"
echo "wrote $root/docs/details-$look.png"
