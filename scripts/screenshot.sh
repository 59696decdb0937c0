#!/usr/bin/env bash
# Takes the README's picture: the real program on a virtual X display, fed by
# the simulated board, after its first minute (statistics shown, the log box
# enabled, the AC traces settled). Needs Xvfb and ImageMagick's `import`
# (Debian: xvfb imagemagick) and the program built (make build).
#
#   scripts/screenshot.sh [PNG [SECONDS [PROGRAM OPTION]...]]
#       default app/desktop/screenshot.png after 60 s; options go to the program
set -euo pipefail
cd "$(dirname "$0")/.."
output=$(realpath -m "${1:-app/desktop/screenshot.png}")
seconds=${2:-60}
shift $(($# < 2 ? $# : 2))
program=$(realpath "${BUILD_DIR:-build}/app/dezidure")
simulator=$(realpath "${BUILD_DIR:-build}/tools/dezidure-sim")
for tool in Xvfb import; do
  command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing (apt-get install xvfb imagemagick)" >&2; exit 1; }
done

source scripts/background.sh

Xvfb -displayfd 3 -screen 0 800x700x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
"$simulator" --exit-on-hangup --channels 8 --seed 7 >"$work/port" 2>/dev/null &
pids+=($!)
display=":$(first_line "$work/display")" || { echo "screenshot: Xvfb did not start" >&2; exit 1; }
port=$(first_line "$work/port") || { echo "screenshot: the simulator did not start" >&2; exit 1; }
# In the scratch directory, so nothing the program might write lands in the tree.
(cd "$work" && DISPLAY=$display QT_QPA_PLATFORM=xcb DEZIDURE_COM1=$port exec "$program" "$@") &
pids+=($!)
sleep "$seconds"
DISPLAY=$display import -window Zav "$output"
echo "screenshot: $output"
