#!/usr/bin/env bash
# Starts a program on a virtual X display against the simulated board (8
# channels, seed 7) and watches the screen until channel 1's traces have
# settled around the scope's centre line (dezidure-screen-traces, at most 80 s).
#
#   scripts/screen-check.sh HOST_BUILD OUTPUT.png COMMAND [ARGS...]
#
# HOST_BUILD  native build with dezidure-sim and dezidure-screen-traces
# The program finds the board as its COM1: through DEZIDURE_COM1, or, when
# PORT_LINK is set (wine's COM1 points at it), by pointing that link at the
# board's pseudo-terminal. Runs in a scratch folder, so logs stay out of the tree.
set -euo pipefail
host=$(realpath "$1")
output=$(realpath -m "$2")
shift 2

# shellcheck source=scripts/background.sh
source "$(cd "$(dirname "$0")" && pwd)/background.sh"

Xvfb -displayfd 9 -screen 0 800x700x24 -nolisten tcp 9>"$work/display" >/dev/null 2>&1 &
pids+=($!)
display=:$(first_line "$work/display") || { echo "screen-check: Xvfb did not start" >&2; exit 1; }

"$host/tools/dezidure-sim" --exit-on-hangup --channels 8 --seed 7 >"$work/port" 2>/dev/null &
pids+=($!)
port=$(first_line "$work/port") || { echo "screen-check: the simulator did not start" >&2; exit 1; }
if [ -n "${PORT_LINK:-}" ]; then
  ln -sfn "$port" "$PORT_LINK"
else
  export DEZIDURE_COM1="$port"
fi

# A program named by a relative path is found from here, not from the scratch folder.
program_path=$1
shift
case "$program_path" in */*) program_path=$(realpath "$program_path") ;; esac
(cd "$work" && DISPLAY="$display" exec "$program_path" "$@" >"$work/program.out" 2>&1) &
program=$!
pids+=("$program")
status=0
"$host/tests/e2e/dezidure-screen-traces" "$display" "$output" || status=$?
echo "screen-check: screen saved as $output"
if ! kill -0 "$program" 2>/dev/null; then
  echo "screen-check: the program ended early:" >&2
  cat "$work/program.out" >&2
  exit 1
fi
exit "$status"
