#!/usr/bin/env bash
# Starts the simulated sensor board on a pseudo-terminal and the program on it
# as its port COM1. Closing the window ends the simulator.
# Extra arguments go to the simulator (for example --channels 4 --no-temperatures).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}

sim_out=$(mktemp)
"$build/tools/dezidure-sim" --exit-on-hangup "$@" >"$sim_out" &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true; rm -f "$sim_out"' EXIT

for _ in $(seq 100); do
  [ -s "$sim_out" ] && break
  sleep 0.05
done
port=$(head -n 1 "$sim_out")
if [ -z "$port" ]; then
  echo "run: the board simulator did not start" >&2
  exit 1
fi
echo "run: simulated sensor board on $port (COM1)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display found; showing the window on a virtual X display"
  exec_prefix=(xvfb-run -a -s "-screen 0 1280x1024x24")
else
  exec_prefix=()
fi
DEZIDURE_COM1="$port" "${exec_prefix[@]}" "$build/app/dezidure"
