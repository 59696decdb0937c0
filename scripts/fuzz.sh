#!/usr/bin/env bash
# Fuzzes two targets for a bounded time each, under AddressSanitizer and
# UndefinedBehaviorSanitizer:
#   core_fuzz     the toolkit-free core (frame scanning, trace arithmetic, log
#                 text, log reading whole and piece by piece, the placement of
#                 a log's frames in time and their envelope), checked against
#                 properties that hold for any input;
#   receive_fuzz  arbitrary byte chunks through the window's receive handler
#                 with random control settings between them, every message box
#                 checked against the action that provoked it.
#
#   scripts/fuzz.sh [SECONDS]     per target, default 60; `make fuzz FUZZ_SECONDS=3600` for a long run
#
# Builds with clang in build-fuzz, seeds the corpora with streams recorded from
# the board simulator (and the core's with the log files in fuzz/seeds), keeps
# what each target finds in build-fuzz/corpus/<target> between runs, and leaves
# any failing input in build-fuzz/findings/. Replay one with
#   build-fuzz/fuzz/receive_fuzz build-fuzz/findings/crash-...
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build-fuzz
jobs=$(nproc)

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWERROR=ON \
  -DDEZIDURE_FUZZ=ON -DSANITIZE=ON -DBUILD_TESTING=OFF -DDEZIDURE_BENCH=OFF -DDEZIDURE_DISPLAY_TESTS=OFF >/dev/null
cmake --build "$build" --target core_fuzz receive_fuzz dezidure-sim -j "$jobs"

# Absolute paths: the window target changes its working directory.
seeds="$PWD/$build/seeds"
findings="$PWD/$build/findings"
scratch="$PWD/$build/scratch"
mkdir -p "$seeds" "$findings" "$scratch"

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

# A smaller quarantine than the default 256 MB: every run of the window target
# allocates a window afresh, and reusing freed memory sooner halves its page faults.
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:quarantine_size_mb=64"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
# The window's log files land in a directory below this one.
export TMPDIR="$scratch"

# fuzz TARGET MAX_LEN SEED_DIR...
fuzz() {
  local target=$1 maxLength=$2
  shift 2
  local corpus="$PWD/$build/corpus/$target"
  mkdir -p "$corpus"
  echo "fuzz: $target for ${seconds} s (corpus $corpus, findings $findings)"
  "$build/fuzz/$target" -max_total_time="$seconds" -max_len="$maxLength" -timeout=20 -rss_limit_mb=4096 \
    -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "$@"
}
# Longer inputs for the core: a log line beyond the longest accepted one must fit.
fuzz core_fuzz 8192 "$seeds" "$PWD/fuzz/seeds"
fuzz receive_fuzz 4096 "$seeds"
