#!/usr/bin/env bash
# Long run of the receive path with the log on, not part of `make test`:
# the board simulator streams at a multiple of its nominal rate for a number
# of minutes; passes when the resident memory stayed flat after warm-up and
# every frame sent is in the log, correct and once.
#
#   scripts/soak.sh [MINUTES [RATE]]     default 10 minutes at 10x (make soak)
#
# BUILD_DIR   build directory with the simulator and fault_soak (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
minutes=${1:-10}
rate=${2:-10}

cmake --build "$build" --target fault_soak dezidure-sim -j "$(nproc)" >/dev/null
"$build/tests/fault/fault_soak" "$(realpath "$build/tools/dezidure-sim")" "$minutes" "$rate"
