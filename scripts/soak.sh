#!/usr/bin/env bash
# Long runs, not part of `make test` (make soak):
#
# 1. The window's receive path with the log on: the board simulator streams
#    at RATE times the board's pace for MINUTES; passes when the resident
#    memory stayed flat after warm-up and every frame sent is in the log,
#    correct and once.
# 2. The recorder at the board's pace for RECORD_BOARD_MINUTES: at most 0.5 %
#    of one core (CPU time from /proc), resident memory within 1 MiB after
#    warm-up, and a kill -9 while frames stream costs at most the frames of
#    the last quarter of a second.
# 3. The recorder's compressed long run: the simulator at ten times the
#    board's pace for RECORD_LONG_MINUTES; resident memory within 1 MiB, and
#    the files hold exactly the frames sent, counted by sequence.
# Both recorder runs start a new file every minute. Their files are checked
# by replaying them through the simulator, which sends every line's frame
# as the board sent it: those bytes must be the bytes it sent first.
#
#   scripts/soak.sh [MINUTES [RATE]]     default 10 minutes at 10x for the window
#
# RECORD_BOARD_MINUTES   default 2
# RECORD_LONG_MINUTES    default 5; the long form is 60: an hour at ten times
#                        the pace, ten hours of the board's time (about 2.5 GB of files)
# SOAK_PARTS             which to run, default "window recorder"
# BUILD_DIR              build directory with the programs (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
minutes=${1:-10}
rate=${2:-10}
parts=${SOAK_PARTS:-window recorder}

targets=(dezidure-sim)
case " $parts " in *" window "*) targets+=(fault_soak) ;; esac
case " $parts " in *" recorder "*) targets+=(dezidure-record) ;; esac
cmake --build "$build" --target "${targets[@]}" -j "$(nproc)" >/dev/null
sim=$(realpath "$build/tools/dezidure-sim")

case " $parts " in *" window "*)
  "$build/tests/fault/fault_soak" "$sim" "$minutes" "$rate"
esac
case " $parts " in *" recorder "*) ;; *) exit 0 ;; esac

recorder=$(realpath "$build/recorder/dezidure-record")
source scripts/background.sh
frame_bytes=27  # eight channels with temperatures
failed=0

# record_run MINUTES RATE MAX_CPU_PERCENT term|kill
record_run() {
  local minutes=$1 rate=$2 max_cpu=$3 ending=$4
  local dir="$work/record-${rate}x"
  mkdir -p "$dir/logs"
  local duration=()
  [ "$ending" = term ] && duration=(--duration $((minutes * 60)))
  "$sim" --channels 8 --rate "$rate" "${duration[@]}" --record "$dir/sent.bin" --wait-for-reader \
    >"$dir/port" 2>"$dir/sim.err" &
  local board=$!
  pids+=("$board")
  local port
  port=$(first_line "$dir/port") || { echo "record soak: the simulator did not start" >&2; exit 1; }
  # Through a link, so that the recorder waits for the board when the simulator ends.
  ln -s "$port" "$dir/board"
  "$recorder" "$dir/board" --dir "$dir/logs" --rotate 1m 2>"$dir/recorder.err" &
  local rec=$!
  pids+=("$rec")
  echo "record soak: $minutes min at ${rate}x the board's pace, a new file every minute, ended by $ending"

  local start ticks0 warm=$((minutes * 6 < 60 ? minutes * 6 : 60)) lowest=0 highest=0 elapsed=0 resident
  start=$(date +%s.%N)
  ticks0=$(cpu_ticks "$rec")
  while kill -0 "$board" 2>/dev/null && { [ "$ending" = term ] || [ "$elapsed" -lt $((minutes * 60)) ]; }; do
    sleep 5
    elapsed=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%d", b - a }')
    resident=$(awk '/^VmRSS:/ { print $2 }' "/proc/$rec/status")
    if [ "$elapsed" -ge "$warm" ]; then
      [ "$lowest" -eq 0 ] || [ "$resident" -lt "$lowest" ] && lowest=$resident
      [ "$resident" -gt "$highest" ] && highest=$resident
    fi
    echo "record soak: $elapsed s, resident $resident KiB"
  done
  local cpu
  cpu=$(awk -v t=$(($(cpu_ticks "$rec") - ticks0)) -v hz="$(getconf CLK_TCK)" -v a="$start" -v b="$(date +%s.%N)" \
    'BEGIN { printf "%.2f", 100 * t / hz / (b - a) }')
  local status=0
  if [ "$ending" = kill ]; then
    # The board stops, and at once the recorder is killed with what it has not written yet.
    kill -TERM "$board"
    kill -KILL "$rec"
    wait "$rec" 2>/dev/null || true
  else
    wait "$board" || true
    kill -TERM "$rec"
    wait "$rec" || status=$?
  fi
  wait "$board" 2>/dev/null || true
  # The simulator's replay sends each line's frame as the board sent it.
  cat "$dir"/logs/*.csv | "$sim" --replay /dev/stdin --flood --record "$dir/logged.bin" >"$dir/replay-port" \
    2>"$dir/replay.err" &
  local replay=$!
  pids+=("$replay")
  cat "$(first_line "$dir/replay-port")" >/dev/null 2>&1 &
  pids+=($!)
  wait "$replay"

  local sent logged lost allowed=0 same=yes
  sent=$(stat -c %s "$dir/sent.bin")
  logged=$(stat -c %s "$dir/logged.bin")
  lost=$(((sent - logged) / frame_bytes))
  # A quarter of a second of frames at the pace, rounded up.
  [ "$ending" = kill ] && allowed=$(awk -v r="$rate" 'BEGIN { printf "%d", r * 1000 / 3 / 4 + 1 }')
  cmp -s -n "$logged" "$dir/sent.bin" "$dir/logged.bin" || same=no
  echo "record soak: $((sent / frame_bytes)) frames sent, $((logged / frame_bytes)) in" \
    "$(ls "$dir"/logs/*.csv | wc -l) files, in order: $same; $lost lost (at most $allowed);" \
    "$(grep -o '[0-9]* malformed' "$dir/replay.err") lines; CPU $cpu % of a core (at most $max_cpu %);" \
    "resident memory within $((highest - lowest)) KiB after warm-up; exit status $status"
  grep -v ' frames, ' "$dir/recorder.err" | sed 's/^/  /'
  if [ "$same" = yes ] && [ "$lost" -le "$allowed" ] && [ "$sent" -gt 0 ] && [ "$status" -eq 0 ] &&
    grep -q ' 0 malformed' "$dir/replay.err" && [ $((highest - lowest)) -lt 1024 ] &&
    awk -v c="$cpu" -v m="$max_cpu" 'BEGIN { exit !(c <= m) }'; then
    echo "record soak: passed"
  else
    echo "record soak: FAILED"
    failed=1
  fi
}

record_run "${RECORD_BOARD_MINUTES:-2}" 1 0.5 kill
record_run "${RECORD_LONG_MINUTES:-5}" 10 100 term
exit $failed
