#!/usr/bin/env bash
# Runs atspi_client.py against the program, as a screen reader would meet it: a private X server
# (Xvfb), a private session bus and the AT-SPI accessibility bus.
#
#   tests/a11y/run_atspi_test.sh PROGRAM [CLIENT [ARGUMENT...]]
#
# CLIENT is a client script here (atspi_client.py when none is named); the ARGUMENTs go to the
# program.
# Needs xvfb, dbus, at-spi2-core, python3-pyatspi, xdotool and xclip (scripts/install-deps.sh test).
set -euo pipefail

if [[ ${1:-} != --inside ]]; then
  exec dbus-run-session -- "$0" --inside "$@"
fi
program=$2
client=${3:-atspi_client.py}
here=$(cd "$(dirname "$0")" && pwd)

# A display number nobody uses: Xvfb picks one and writes it to a pipe.
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
read -r -t 10 -u "$displayfd" display
export DISPLAY=:$display
# The server names its display as it starts listening; on a busy machine it may still refuse the
# first clients for a while. The program starts once the server answers one (30 s at most).
answered=no
for _ in $(seq 600); do
  if xdotool getdisplaygeometry >/dev/null 2>&1; then
    answered=yes
    break
  fi
  sleep 0.05
done
if [[ $answered != yes ]]; then
  echo "FAIL: the X server :$display did not answer within 30 s" >&2
  exit 1
fi
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
bus=$!
# The program joins the accessibility bus only if the bus is there when it starts (30 s at most).
answered=no
for _ in $(seq 300); do
  if dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus org.a11y.Bus.GetAddress \
    >/dev/null 2>&1; then
    answered=yes
    break
  fi
  sleep 0.1
done
if [[ $answered != yes ]]; then
  echo "FAIL: the accessibility bus did not start within 30 s" >&2
  exit 1
fi
# The program's own words are kept, and shown when the client fails.
log=$(mktemp)
"$program" "${@:4}" >"$log" 2>&1 &
app=$!
trap 'kill $app $bus $xvfb 2>/dev/null || true; rm -f "$log"' EXIT

if ! /usr/bin/python3 "$here/$client"; then
  if ! kill -0 "$app" 2>/dev/null; then
    status=0
    wait "$app" || status=$?
    echo "the program had ended, with status $status; its output:" >&2
  else
    echo "the program is still running; its output so far:" >&2
  fi
  tail -n 40 "$log" >&2
  exit 1
fi
