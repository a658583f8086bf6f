#!/usr/bin/env bash
# Runs atspi_client.py against the program, as a screen reader would meet it: a private X server
# (Xvfb), a private session bus and the AT-SPI accessibility bus.
#
#   tests/a11y/run_atspi_test.sh PROGRAM
#
# Needs xvfb, dbus, at-spi2-core, python3-pyatspi, xdotool and xclip (scripts/install-deps.sh test).
set -euo pipefail

if [[ ${1:-} != --inside ]]; then
  exec dbus-run-session -- "$0" --inside "$@"
fi
program=$2
here=$(cd "$(dirname "$0")" && pwd)

# A display number nobody uses: Xvfb picks one and writes it to a pipe.
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
read -r -t 10 -u "$displayfd" display
export DISPLAY=:$display
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
bus=$!
# The program joins the accessibility bus only if the bus is there when it starts.
for _ in $(seq 100); do
  if dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus org.a11y.Bus.GetAddress \
    >/dev/null 2>&1; then
    break
  fi
  sleep 0.1
done
"$program" >/dev/null 2>&1 &
app=$!
trap 'kill $app $bus $xvfb 2>/dev/null || true' EXIT

/usr/bin/python3 "$here/atspi_client.py"
