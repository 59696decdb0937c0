#!/usr/bin/env bash
# Fuzzes the receive path for a bounded time: arbitrary byte chunks through the
# window's receive handler with random control settings between them, under
# AddressSanitizer and UndefinedBehaviorSanitizer.
#
#   scripts/fuzz.sh [SECONDS]     default 60; `make fuzz FUZZ_SECONDS=3600` for a long run
#
# Builds with clang in build-fuzz, seeds the corpus with streams recorded from
# the board simulator, keeps what it finds in build-fuzz/corpus between runs,
# and leaves any failing input in build-fuzz/findings/. Replay one with
#   build-fuzz/fuzz/receive_fuzz build-fuzz/findings/crash-...
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build-fuzz
jobs=$(nproc)

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWERROR=ON \
  -DDEZIDURE_FUZZ=ON -DSANITIZE=ON -DBUILD_TESTING=OFF -DDEZIDURE_BENCH=OFF -DDEZIDURE_DISPLAY_TESTS=OFF >/dev/null
cmake --build "$build" --target receive_fuzz dezidure-sim -j "$jobs"

# Absolute paths: the fuzz target changes its working directory.
seeds="$PWD/$build/seeds"
corpus="$PWD/$build/corpus"
findings="$PWD/$build/findings"
scratch="$PWD/$build/scratch"
mkdir -p "$seeds" "$corpus" "$findings" "$scratch"

# Valid streams of the simulated board, clean and with every kind of damage a
# receiver must recover from.
seed() {
  local name=$1
  shift
  : >"$seeds/$name"
  "$build/tools/dezidure-sim" --device "$seeds/$name" --flood "$@" >/dev/null 2>&1
}
seed clean-8ch-temperatures --channels 8 --frames 60
seed clean-1ch --channels 1 --no-temperatures --frames 200
seed clean-3ch --channels 3 --no-temperatures --frames 120 --seed 3
seed damaged-8ch-temperatures --channels 8 --frames 80 --seed 5 \
  --faults garbage,badlength,split,sync-in-data --fault-probability 0.3
seed damaged-2ch --channels 2 --no-temperatures --frames 150 --seed 9 \
  --faults garbage,badlength,sync-in-data --fault-probability 0.3

export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
# The window's log files land in a directory below this one.
export TMPDIR="$scratch"
echo "fuzz: receive path for ${seconds} s (corpus $corpus, findings $findings)"
"$build/fuzz/receive_fuzz" -max_total_time="$seconds" -max_len=4096 -timeout=20 -rss_limit_mb=4096 \
  -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "$seeds"
