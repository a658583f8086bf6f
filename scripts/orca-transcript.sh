#!/usr/bin/env bash
# What Orca says while a keyboard user works the calculator: starts the program and Orca in a
# private X server with their own session and accessibility buses, types into each input, moves
# through it word by word (Ctrl+Right, Ctrl+Left), presses Calculate, edits an input, opens the
# details window (Ctrl+I), edits again and copies (Ctrl+Shift+C); then prints every line that Orca
# spoke, with the keys that led to it.
#
#   scripts/orca-transcript.sh [PROGRAM] [LOG]
#
# PROGRAM defaults to build/release/app/voranth, LOG (Orca's whole debug output) to a temporary
# file. Needs orca, xvfb, xdotool, dbus and at-spi2-core (apt-get install orca).
set -euo pipefail

if [[ ${1:-} != --inside ]]; then
  exec dbus-run-session -- "$0" --inside "$@"
fi
program=$(realpath "${2:-build/release/app/voranth}")
work=$(mktemp -d "${TMPDIR:-/tmp}/voranth-orca.XXXXXX")
log=${3:-$work/orca.log}

exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
read -r -t 10 -u "$displayfd" display
export DISPLAY=:$display
for _ in $(seq 200); do
  xdotool getdisplaygeometry >/dev/null 2>&1 && break
  sleep 0.05
done
# Orca keeps its settings under the home directory: a fresh one each time.
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0 GTK_MODULES=
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
bus=$!
for _ in $(seq 100); do
  if dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus org.a11y.Bus.GetAddress \
    >/dev/null 2>&1; then
    break
  fi
  sleep 0.1
done
gsettings set org.gnome.desktop.a11y.applications screen-reader-enabled true 2>/dev/null || true
orca --replace --disable speech --disable braille --debug-file="$log" >/dev/null 2>&1 &
orca=$!
app=
trap 'kill $app $orca $bus $xvfb 2>/dev/null || true' EXIT
# Orca is ready once it has written its first lines.
for _ in $(seq 100); do
  [[ -s $log ]] && break
  sleep 0.1
done
sleep 3
"$program" >/dev/null 2>&1 &
app=$!
xdotool search --sync --onlyvisible --name '^Voranth$' windowfocus --sync >/dev/null
sleep 3

# The keys pressed, with the time, to be merged with what Orca said.
keys=$work/keys
stamp() { echo "$(date +%H:%M:%S.%6N) - KEY: $*" >>"$keys"; }
# press KEY...: one key or chord at a time, the modifier held a moment as a person holds it, with
# time for Orca to speak.
press() {
  local key
  for key in "$@"; do
    stamp "$key"
    if [[ $key == *+* ]]; then
      local modifiers=${key%+*}
      # shellcheck disable=SC2086 # one word per modifier
      xdotool keydown ${modifiers//+/ } key "${key##*+}" sleep 0.5 keyup ${modifiers//+/ }
    else
      xdotool key "$key"
    fi
    sleep 1.2
  done
}
# put TEXT: selects the box's text and types TEXT over it.
put() {
  press ctrl+a
  stamp "type '$1'"
  xdotool type --delay 80 -- "$1"
  sleep 1.2
}

# Z0 holds 50; then each reflection-coefficient box in turn.
press Home ctrl+Right ctrl+Left
for value in 'RL 14 dB' '-45' '0.3' '30'; do
  press Tab
  put "$value"
  press Home ctrl+Right ctrl+Right ctrl+Right ctrl+Left ctrl+Left ctrl+Left End
done
press Tab space
press shift+Tab
put '60'
press ctrl+i
press ctrl+Tab shift+Tab
# Back to the main window, as a window manager would on a click into it.
stamp "focus the main window"
xdotool search --onlyvisible --name '^Voranth$' windowfocus >/dev/null
sleep 1.2
put '0.2'
press Tab space ctrl+shift+c
sleep 2

# What Orca said, without its echo of each key ('tab ', 'left control '), among the keys.
grep -h 'SPEECH OUTPUT' "$log" | grep -v "SPEECH OUTPUT: '[^']* ' {" | cat - "$keys" | sort -s -k1,1 |
  sed -e "s/ - SPEECH OUTPUT: / /" -e "s/{'established': False}//" -e "s/ - KEY: /   [key] /"
