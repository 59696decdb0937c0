#!/usr/bin/env bash
# Measures how little the program costs and how far it keeps up. First the
# benchmarks in bench/ (receive path, sweep start, serial read, and the review
# of a long log: reading speed, first overview, redraw, memory), then the whole
# program on a virtual X display fed by the simulated board, at each delivery
# pattern: CPU time of the dezidure process (user + system, from
# /proc/PID/stat) per second of running, and what the screen shows, watched
# from outside by dezidure-screenwatch: how many times a second the scope's
# picture changes, and how long a probe frame takes from its last byte at the
# port to its mark on the screen.
# Prints one line per figure with its ratio to the board's nominal rate.
#
# BUILD_DIR   build directory with the program, the simulator and the benchmarks (default: build)
# PROGRAM     the program to measure (default: BUILD_DIR's), e.g. an older build to compare with
# SECONDS_PER_RUN   length of each whole-program measurement (default: 20)
# DEZIDURE_BENCH_REVIEW_MINUTES   length of the made-up log that the review
#                   benchmarks read (default: 10; the longest log the live
#                   window writes is 660 minutes, about 2.7 GB)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
seconds=${SECONDS_PER_RUN:-20}
warmup=3

program=${PROGRAM:-$build/app/dezidure}
simulator="$build/tools/dezidure-sim"
watcher="$build/tools/dezidure-screenwatch"
benchmarks="$build/bench/dezidure_bench"
for binary in "$program" "$simulator" "$watcher" "$benchmarks"; do
  if [ ! -x "$binary" ]; then
    echo "bench: $binary is missing; build first (make build, or BUILD_DIR=...)" >&2
    exit 1
  fi
done
program=$(realpath "$program")

source scripts/background.sh

echo "Benchmarks (details in $build/bench/benchmarks.log):"
"$benchmarks" 2>"$build/bench/benchmarks.log" | sed 's/^/  /'

read_bytes() { awk '/^rchar:/ { print $2 }' "/proc/$1/io"; }

Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$work/display" >/dev/null 2>&1 &
pids+=($!)
display=$(first_line "$work/display") || { echo "bench: Xvfb did not start" >&2; exit 1; }
ticks_per_second=$(getconf CLK_TCK)

# The value of NAME in a line of name=value figures.
figure() { echo "$2" | tr ' ' '\n' | awk -F= -v name="$1" '$1 == name { print $2 }'; }

# run NAME TARGET_PERCENT RATIO SIMULATOR-OPTIONS...
run() {
  local name=$1 target=$2 ratio=$3
  shift 3
  rm -f "$work/probes" "$work/port"
  "$simulator" --exit-on-hangup --channels 8 --probe-log "$work/probes" "$@" >"$work/port" 2>/dev/null &
  local sim=$!
  pids+=("$sim")
  local port
  port=$(first_line "$work/port") || { echo "bench: the simulator did not start" >&2; exit 1; }
  # In the scratch directory, so nothing the program might write lands in the tree.
  (cd "$work" && DISPLAY=":$display" QT_QPA_PLATFORM=xcb DEZIDURE_COM1="$port" exec "$program" 2>/dev/null) &
  local app=$!
  pids+=("$app")
  sleep "$warmup"
  if ! kill -0 "$app" 2>/dev/null; then
    echo "bench: the program ended during start-up" >&2
    exit 1
  fi
  local ticks0 bytes0 ticks1 bytes1 start end screen
  ticks0=$(cpu_ticks "$app")
  bytes0=$(read_bytes "$app")
  start=$(date +%s.%N)
  screen=$(DISPLAY=":$display" "$watcher" --seconds "$seconds" --probe-log "$work/probes") ||
    { echo "bench: the screen watcher failed" >&2; exit 1; }
  end=$(date +%s.%N)
  if ! kill -0 "$app" 2>/dev/null; then
    echo "bench: the program ended during the measurement" >&2
    exit 1
  fi
  ticks1=$(cpu_ticks "$app")
  bytes1=$(read_bytes "$app")
  kill -TERM "$app"
  wait "$app" 2>/dev/null || true
  kill -TERM "$sim" 2>/dev/null || true
  wait "$sim" 2>/dev/null || true
  awk -v name="$name" -v ratio="$ratio" -v target="$target" -v ticks=$((ticks1 - ticks0)) \
      -v hz="$ticks_per_second" -v start="$start" -v end="$end" -v bytes=$((bytes1 - bytes0)) \
      -v updates="$(figure updates_per_s "$screen")" -v gap="$(figure gap_max_ms "$screen")" \
      -v probes="$(figure probes "$screen")" -v p50="$(figure latency_p50_ms "$screen")" \
      -v p95="$(figure latency_p95_ms "$screen")" 'BEGIN {
    s = end - start
    cpu = ticks / hz / s
    printf "  whole program, %s = %sx nominal: %.2f %% of one core (%.4f CPU s/s; read %.0f bytes/s from port and display), target < %s %%\n",
      name, ratio, cpu * 100, cpu, bytes / s, target
    printf "    screen: %.1f updates/s (target 30 to 60), longest gap %.0f ms; byte to screen: p50 %.1f ms, p95 %.1f ms over %d probes (target p95 <= 50 ms)\n",
      updates, gap, p50, p95, probes
  }'
}

echo "Whole program on a virtual X display, 8 channels with temperatures, ${seconds} s each:"
# Nominal: one 27-byte frame every 3 ms, 2,667 samples/s.
run "nominal rate (333 frames/s, 2,667 samples/s)" 1 1.00 --rate 1
# The same through a USB adapter that passes bytes on every 16 ms.
run "nominal rate in 16 ms adapter pieces" 1 1.00 --rate 1 --interval 16
run "10x the nominal rate (3,333 frames/s, 26,667 samples/s)" 5 10.00 --rate 10
# 115200 baud 8N1 carries 11,520 bytes/s: 426.7 frames/s, 1.28x nominal, written
# every millisecond in pieces of about 11 bytes, as a USB adapter's latency timer does.
run "full 115200-baud line rate in 1 ms pieces (427 frames/s, 3,413 samples/s)" 3 1.28 --rate 1.28 --interval 1
