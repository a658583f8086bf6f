#!/bin/sh
# Takes docs/sweep-light.png, docs/sweep-dark.png and docs/sweep-150.png: the sweep window with
# the example amplifier and filter (docs/examples), the cursor moved down the table, under the
# light colours, under GTK's Adwaita dark scheme and at 150 % scale. Runs the program on its own
# X server each time; needs the docs group of scripts/install-deps.sh and a release build.
#
#   scripts/picture-sweep.sh [BUILD_DIR]      (default build/release)
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

# From the examples' folder, so that the window names the files as a user there would.
build=$(cd "$build" && pwd)
cd "$root/docs/examples"
"$build/app/voranth" --source amp.s2p:22 --load filter.s2p:11 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
until xdotool search --onlyvisible --name 'amp.s2p' >/dev/null 2>&1; do sleep 0.2; done
sleep 1
window=$(xdotool search --onlyvisible --name 'amp.s2p' | head -n 1)
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
# The cursor down the table, which has the focus, to 2.4 GHz.
for _ in $(seq 200); do xdotool key Down; done
sleep 1

import -window "$window" "$root/docs/sweep-$look.png"
echo "wrote $root/docs/sweep-$look.png"
