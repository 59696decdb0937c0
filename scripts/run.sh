#!/usr/bin/env bash
# Starts the simulated sensor board on a pseudo-terminal and the program on it
# as its port COM1. Closing the window ends the simulator.
# Extra arguments go to the simulator (for example --channels 4 --no-temperatures,
# or --replay FILE.csv to show a recorded log again).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}

source scripts/background.sh

if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ]; then
  echo "run: started through sudo, so the program runs as root; run make as yourself," \
    "it uses sudo only to install packages"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # In a session of its own, so Ctrl-C reaches the program, which closes its
  # window, and not the display under it.
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  pids+=($!)
  display=$(first_line "$work/display") || { echo "run: the virtual display did not start" >&2; exit 1; }
  export DISPLAY=":$display"
  echo "run: no display here, so the window shows on a virtual X display ($DISPLAY) that nobody sees;"
  echo "run: it runs until you press Ctrl-C. On a desktop, make run shows the window."
fi

"$build/tools/dezidure-sim" --exit-on-hangup "$@" >"$work/port" &
pids+=($!)
port=$(first_line "$work/port") || { echo "run: the board simulator did not start" >&2; exit 1; }
echo "run: simulated sensor board on $port (COM1)"

status=0
DEZIDURE_COM1="$port" "$build/app/dezidure" || status=$?
exit "$status"
